// Asking the user for files: the C interface over the file requester, with
// the caller's fixed buffers, the handle for several selections, and the
// program's own form without buffer limits.
#include <cstdlib>
#include <cstring>

#include "gadgets/qz_file_requester.h"
#include "gadgets/qz_list_tree.h"
#include "platform/lists.h"

namespace qz {

namespace {

constexpr char kTooLong[] = "The chosen file's path is too long to be used here.";

std::string startFolder(const std::string& folder) {
  if (!folder.empty()) return folder;
  const char* home = std::getenv("HOME");
  return home && *home ? home : "/";
}

Qz_Object* makeRequester(const FileRequest& q) {
  Qz_Object* r = Qz_CreateObject("FileRequester", kFileRequesterSetTitle, q.title.c_str());
  if (!r) return nullptr;
  Qz_DoMethod(r, kFileRequesterSetFolder, startFolder(q.folder).c_str());
  Qz_DoMethod(r, kFileRequesterSetName, q.name.c_str());
  if (q.folderOnly) Qz_DoMethod(r, kFileRequesterFolderOnly, 1);
  if (q.multiple) Qz_DoMethod(r, kListTreeSetMultiple, 1);
  if (q.extra) Qz_DoMethod(r, kFileRequesterSetExtra, q.extra);
  if (q.nameField) *q.nameField = reinterpret_cast<Qz_Object*>(Qz_DoMethod(r, kFileRequesterNameField));
  return r;
}

// The requester after a run, or NULL when cancelled (it is then disposed).
Qz_Object* runRequester(const FileRequest& q) {
  Qz_Object* r = makeRequester(q);
  if (!r) return nullptr;
  const bool chosen = Qz_DoMethod(r, kFileRequesterRun) == 1;
  if (q.nameField) *q.nameField = nullptr;
  if (chosen) return r;
  // The caller's object goes back to the caller untouched.
  Qz_DoMethod(r, kFileRequesterSetExtra, 0);
  Qz_DisposeObject(r);
  return nullptr;
}

const char* text(QzWord word) { return word ? reinterpret_cast<const char*>(word) : ""; }

}  // namespace

std::string joinedPath(const std::string& folder, const std::string& name) {
  std::string path(folder.size() + name.size() + 2, '\0');
  std::memcpy(path.data(), folder.c_str(), folder.size() + 1);
  AddPart(path.data(), name.c_str(), uint32_t(path.size()));
  path.resize(std::strlen(path.c_str()));
  return path;
}

FileRequestResult requestFiles(const FileRequest& request) {
  FileRequestResult result;
  Qz_Object* r = runRequester(request);
  if (!r) return result;
  result.chosen = true;
  result.folder = text(Qz_DoMethod(r, kFileRequesterGetFolder));
  for (const char* name = Qz_GetFirstFileRequestSelection(reinterpret_cast<QzWord>(r)); name;
       name = Qz_GetNextFileRequestSelection(reinterpret_cast<QzWord>(r), name))
    result.names.emplace_back(name);
  Qz_DoMethod(r, kFileRequesterSetExtra, 0);
  Qz_DisposeObject(r);
  return result;
}

}  // namespace qz

QZ_EXTERN_C_BEGIN

QZ_EXPORT QzWord Qz_FileRequestA(const char* title, char* path, char* file, Qz_DrawInfo*, uint32_t flags,
                                 const TagItem* tags) {
  qz::FileRequest q;
  q.title = title ? title : "";
  q.folder = path ? path : "";
  q.name = file ? file : "";
  q.save = (flags & kFileRequestSave) != 0;
  q.folderOnly = GetTagData(kFileRequesterFolderOnly, 0, tags) != 0;
  q.extra = reinterpret_cast<Qz_Object*>(GetTagData(kFileRequesterSetExtra, 0, tags));
  q.nameField = reinterpret_cast<Qz_Object**>(GetTagData(kFileRequesterNameField, 0, tags));
  auto* handle = reinterpret_cast<QzWord*>(GetTagData(kFileRequesterTagSelections, 0, tags));
  q.multiple = FindTagItem(kFileRequesterTagSelections, tags) != nullptr || GetTagData(kListTreeSetMultiple, 0, tags) != 0;
  if (handle) *handle = 0;

  Qz_Object* r = qz::runRequester(q);
  if (!r) return 0;
  const std::string folder = qz::text(Qz_DoMethod(r, kFileRequesterGetFolder));
  const std::string name = qz::text(Qz_DoMethod(r, kFileRequesterGetName));
  const bool fits = folder.size() < kFileRequestBufferBytes && name.size() < kFileRequestBufferBytes;
  if (fits && path) std::memcpy(path, folder.c_str(), folder.size() + 1);
  if (fits && file) std::memcpy(file, name.c_str(), name.size() + 1);
  if (fits && handle) {
    *handle = reinterpret_cast<QzWord>(r);
    return 1;
  }
  Qz_DoMethod(r, kFileRequesterSetExtra, 0);
  Qz_DisposeObject(r);
  if (!fits) Qz_MessageBoxA("Quillantrix", qz::kTooLong, 0, nullptr);
  return fits ? 1 : 0;
}

QZ_EXPORT QzWord Qz_FileRequestWin32A(const char* title, char* path, char* file, Qz_DrawInfo* drawInfo,
                                      uint32_t flags, const TagItem* tags) {
  return Qz_FileRequestA(title, path, file, drawInfo, flags, tags);
}

QZ_EXPORT const char* Qz_GetFirstFileRequestSelection(QzWord handle) {
  if (!handle) return nullptr;
  return reinterpret_cast<const char*>(Qz_DoMethod(reinterpret_cast<Qz_Object*>(handle), kListTreeFirstSelected));
}

QZ_EXPORT const char* Qz_GetNextFileRequestSelection(QzWord handle, const char* previous) {
  if (!handle) return nullptr;
  return reinterpret_cast<const char*>(
      Qz_DoMethod(reinterpret_cast<Qz_Object*>(handle), kListTreeNextSelected, previous));
}

QZ_EXPORT void Qz_EndFileRequest(QzWord handle) {
  if (!handle) return;
  auto* r = reinterpret_cast<Qz_Object*>(handle);
  Qz_DoMethod(r, kFileRequesterSetExtra, 0);
  Qz_DisposeObject(r);
}

QZ_EXTERN_C_END
