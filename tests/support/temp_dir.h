// A fresh temporary folder per test, removed with everything in it.
#pragma once

#include <string>

namespace qztest {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  // path() + "/" + name
  std::string file(const std::string& name) const;

 private:
  std::string path_;
};

// The whole content of a file, byte for byte; empty when it cannot be read.
std::string fileContents(const std::string& path);

// Points QZ_STATE_DIR at a fresh temporary folder for the lifetime of the
// object, so tests never write into the build tree and can run in parallel.
class ScopedStateRoot {
 public:
  ScopedStateRoot();
  ~ScopedStateRoot();
  const std::string& path() const { return dir_.path(); }

 private:
  TempDir dir_;
  std::string previous_;
  bool hadPrevious_ = false;
};

}  // namespace qztest
