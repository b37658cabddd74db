// Library-private: the file a save writes. Everything goes to a temporary
// file beside the target, which replaces the target only on commit, so a
// refused or failed save leaves the old file as it was.
#pragma once

#include <cstdio>
#include <string>

namespace qzio {

class SaveFile {
 public:
  SaveFile() = default;
  ~SaveFile();
  SaveFile(const SaveFile&) = delete;
  SaveFile& operator=(const SaveFile&) = delete;

  bool open(const std::string& finalPath);
  FILE* stream() const { return stream_; }
  int descriptor() const;
  // Flushes, syncs and renames over the final path; false on any failure
  // (the temporary file is then removed).
  bool commit();
  void abort();

 private:
  std::string finalPath_;
  std::string tempPath_;
  FILE* stream_ = nullptr;
};

}  // namespace qzio
