// Replaces a file so that it is either the whole new content or the old
// file untouched: the new content goes to a temporary file in the final
// file's folder, and only a commit (flush, fsync, rename over the final
// path) makes it the file. An abort, or a writer dropped without commit,
// deletes the temporary file. The old file is never deleted first.
//
// The temporary file is ".NAME.qztmp-PID-XXXXXX" beside NAME. A writer that
// was killed half way leaves it behind: the next writer of the same target
// removes those whose process is gone, and keeps a live writer's.
//
// Write through the FILE* or the descriptor (both reach the same file).
// A library that closes the descriptor it is given (libtiff's TIFFClose)
// must be handed dup() of it.
//
// With backups on, the old file is kept under the backup name before the
// commit: a hard link, else a copy. The backup name puts ".bak" before the
// first "." of the file-name part, a leading "." not counting:
// "a.tar.gz" -> "a.bak.tar.gz", ".profile" -> ".profile.bak".
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/qz_export.h"

struct Qz_AtomicFile;

QZ_EXTERN_C_BEGIN
// Starts replacing path (normalised like every file call). NULL when the
// temporary file cannot be made (errno tells why).
QZ_EXPORT Qz_AtomicFile* Qz_AtomicFileOpen(const char* path, int32_t backup);
QZ_EXPORT FILE* Qz_AtomicFileStream(Qz_AtomicFile* file);
QZ_EXPORT int Qz_AtomicFileDescriptor(Qz_AtomicFile* file);
// The final path, normalised.
QZ_EXPORT const char* Qz_AtomicFilePath(Qz_AtomicFile* file);
// 1 when the new content is the file. On 0 the old file is untouched.
// Either way the record is freed.
QZ_EXPORT int32_t Qz_AtomicFileCommit(Qz_AtomicFile* file);
// Deletes the temporary file and frees the record; NULL is ignored.
QZ_EXPORT void Qz_AtomicFileAbort(Qz_AtomicFile* file);
// Writes the backup name of path into out (cut to size); returns its length.
QZ_EXPORT size_t Qz_BackupFileName(const char* path, char* out, size_t size);
QZ_EXTERN_C_END

namespace qz {

// Aborts unless committed.
class AtomicFileWriter {
 public:
  explicit AtomicFileWriter(const std::string& path, bool backup = false)
      : file_(Qz_AtomicFileOpen(path.c_str(), backup ? 1 : 0)) {}
  ~AtomicFileWriter() { abort(); }
  AtomicFileWriter(const AtomicFileWriter&) = delete;
  AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

  bool ok() const { return file_ != nullptr; }
  FILE* stream() { return file_ ? Qz_AtomicFileStream(file_) : nullptr; }
  int fd() { return file_ ? Qz_AtomicFileDescriptor(file_) : -1; }
  std::string path() { return file_ ? Qz_AtomicFilePath(file_) : std::string(); }
  bool commit() {
    Qz_AtomicFile* f = file_;
    file_ = nullptr;
    return f && Qz_AtomicFileCommit(f) == 1;
  }
  void abort() {
    Qz_AtomicFileAbort(file_);
    file_ = nullptr;
  }

 private:
  Qz_AtomicFile* file_;
};

inline std::string backupFileName(const std::string& path) {
  std::string out(path.size() + 8, '\0');
  out.resize(Qz_BackupFileName(path.c_str(), out.data(), out.size()));
  return out;
}

}  // namespace qz
