#include "support/temp_dir.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace qztest {

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "qztest-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

std::string TempDir::file(const std::string& name) const { return path_ + "/" + name; }

std::string fileContents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

ScopedStateRoot::ScopedStateRoot() {
  if (const char* old = std::getenv("QZ_STATE_DIR")) {
    previous_ = old;
    hadPrevious_ = true;
  }
  setenv("QZ_STATE_DIR", dir_.path().c_str(), 1);
}

ScopedStateRoot::~ScopedStateRoot() {
  if (hadPrevious_) {
    setenv("QZ_STATE_DIR", previous_.c_str(), 1);
  } else {
    unsetenv("QZ_STATE_DIR");
  }
}

}  // namespace qztest
