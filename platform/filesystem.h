// Directory listing, deleting, renaming, copying (files and whole trees),
// existence tests, folder creation and temporary file names. Every path
// goes through the normaliser (platform/paths.h): "/" and "\" both separate.
//
// Trees are walked without following symbolic links: a link is copied as a
// link and deleted as a link, so nothing outside the tree is ever touched.
// Listings come in the file system's order (sorted by no one).
#pragma once

#include <cstdint>

#include "platform/qz_export.h"

struct Qz_DirectoryEntry {
  void* de_Handle;      // the open listing
  int32_t de_Pending;   // the first entry is fetched and not yet handed out
  char de_Name[256];    // the current entry's name
};

inline constexpr uint32_t QZ_TEMP_NAME_SIZE = 260;

QZ_EXTERN_C_BEGIN
// A listing positioned before the first entry ("." and ".." are listed
// too), or NULL when the folder cannot be read.
QZ_EXPORT Qz_DirectoryEntry* Qz_OpenDirectory(const char* path);
// 1 and the next name in de_Name, or 0 at the end.
QZ_EXPORT int32_t Qz_ScanDirectory(Qz_DirectoryEntry* entry);
QZ_EXPORT void Qz_CloseDirectory(Qz_DirectoryEntry* entry);

// Removes a file (or link); else an empty folder. 1 on success, else 0.
QZ_EXPORT int32_t Qz_DeleteFile(const char* path);
// 1 on success. An existing file is never replaced by a rename: 0 then.
QZ_EXPORT int32_t Qz_RenameFile(const char* oldPath, const char* newPath);
// Replaces an existing target only once the whole copy is written.
QZ_EXPORT int32_t Qz_CopyFile(const char* source, const char* target);
QZ_EXPORT int32_t Qz_DoesFileExist(const char* path);
// One level only; 0 when it exists already or its parent is missing.
QZ_EXPORT int32_t Qz_CreateDir(const char* path);
// "a/b" into "c" gives c/b with b's tree; "a/b/" into "c" puts b's
// contents into c. Refuses a target inside the source. 1, or 0 at the
// first failure.
QZ_EXPORT int32_t Qz_CopyDir(const char* source, const char* target);
// "d" removes d and everything in it; "d/" empties d and keeps it (then
// always 1). A link named as the folder is removed, never followed.
QZ_EXPORT int32_t Qz_DeleteDir(const char* path);
// Makes an empty file with the prefix "Qui" in the temporary folder and
// writes its path into buffer (at least QZ_TEMP_NAME_SIZE bytes).
QZ_EXPORT int32_t Qz_GetTempFileName(char* buffer);
QZ_EXTERN_C_END
