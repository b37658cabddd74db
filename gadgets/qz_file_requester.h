// The file requester: a window with a folder tree, a file list with
// thumbnails, path and name fields, used wherever the program asks for a
// file or a folder. Method ids, the tags of Qz_FileRequestA, the C
// interface and the C++ one the program's own loading and saving use.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "objects/qz_object.h"

struct Qz_DrawInfo;

// ---- FileRequester ----
inline constexpr uint32_t kFileRequesterClassId = 0x4E0000;
inline constexpr uint32_t kFileRequesterSetFolder = 0x4E001E;
inline constexpr uint32_t kFileRequesterGetFolder = 0x4E0028;
inline constexpr uint32_t kFileRequesterSetName = 0x4E0032;
inline constexpr uint32_t kFileRequesterGetName = 0x4E003C;
inline constexpr uint32_t kFileRequesterRun = 0x4E0046;  // 1 OK, 0 cancel or failure
inline constexpr uint32_t kFileRequesterSetTitle = 0x4E0064;
inline constexpr uint32_t kFileRequesterGetTitle = 0x4E006E;
inline constexpr uint32_t kFileRequesterItemChosen = 0x4E00A0;  // a name of the list
inline constexpr uint32_t kFileRequesterSetExtra = 0x4E00AA;    // also the tag
inline constexpr uint32_t kFileRequesterNameField = 0x4E00BE;   // also the tag (address receiving it)
inline constexpr uint32_t kFileRequesterTagSelections = 0x4E00C8;  // address receiving the handle
inline constexpr uint32_t kFileRequesterFolderOnly = 0x4E00E6;  // also the tag
// Selections through the file list's ids: first (0x220050), next after a
// name (0x22005A); multiple selection (0x22003C) is also a tag.

// Flags of Qz_FileRequestA.
inline constexpr uint32_t kFileRequestSave = 1;
// The caller's path and file buffers hold this many bytes, the NUL included.
inline constexpr uint32_t kFileRequestBufferBytes = 260;

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitFileRequesterClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupFileRequesterClass(void);

// Shows the requester starting in path with the name file, and on OK
// writes the chosen folder and name into them: 1 then, 0 on cancel, on
// failure, or when the choice does not fit the buffers (the user is told).
// Tags: kFileRequesterFolderOnly, kFileRequesterSetExtra (an object shown
// in the requester), kFileRequesterNameField (QzWord* receiving the name
// field), kFileRequesterTagSelections (QzWord* receiving a handle for the
// selections; multiple selection on), 0x22003C non-zero (multiple
// selection on). A handle is only given for a run that returned 1.
QZ_EXPORT QzWord Qz_FileRequestA(const char* title, char* path, char* file, Qz_DrawInfo* drawInfo,
                                 uint32_t flags, const TagItem* tags);
// The other platform's dialog does not exist here: the same requester.
QZ_EXPORT QzWord Qz_FileRequestWin32A(const char* title, char* path, char* file, Qz_DrawInfo* drawInfo,
                                      uint32_t flags, const TagItem* tags);
// The chosen names in list order (the typed name when none is selected),
// then NULL. Valid until Qz_EndFileRequest, which frees the handle; NULL
// handles are ignored.
QZ_EXPORT const char* Qz_GetFirstFileRequestSelection(QzWord handle);
QZ_EXPORT const char* Qz_GetNextFileRequestSelection(QzWord handle, const char* previous);
QZ_EXPORT void Qz_EndFileRequest(QzWord handle);
QZ_EXTERN_C_END

template <typename... Tags>
inline QzWord Qz_FileRequest(const char* title, char* path, char* file, Qz_DrawInfo* drawInfo, uint32_t flags,
                             Tags... tags) {
  const auto words = qz::packWords(tags...);
  return Qz_FileRequestA(title, path, file, drawInfo, flags, reinterpret_cast<const TagItem*>(words.data()));
}

namespace qz {

// The program's own use, without buffer limits.
struct FileRequest {
  std::string title;
  std::string folder;
  std::string name;
  bool save = false;
  bool multiple = false;
  bool folderOnly = false;
  Qz_Object* extra = nullptr;        // shown in the requester, taken out again
  Qz_Object** nameField = nullptr;   // receives the name field while it runs
};

struct FileRequestResult {
  bool chosen = false;
  std::string folder;
  std::vector<std::string> names;  // one, or the selections in list order
};

QZ_EXPORT FileRequestResult requestFiles(const FileRequest& request);

// The folder and a name in it, with one "/" between them, however long.
QZ_EXPORT std::string joinedPath(const std::string& folder, const std::string& name);

namespace thumbs {
class ThumbnailImageService;
}
namespace filereq {
// Tests hand the requesters another image service; NULL: the program's own.
QZ_EXPORT void setThumbnailImageService(thumbs::ThumbnailImageService* images);
}

}  // namespace qz
