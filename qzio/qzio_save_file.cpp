#include "qzio/qzio_save_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace qzio {

SaveFile::~SaveFile() { abort(); }

bool SaveFile::open(const std::string& finalPath) {
  abort();
  finalPath_ = finalPath;
  const size_t slash = finalPath.rfind('/');
  const std::string dir = slash == std::string::npos ? "." : finalPath.substr(0, slash == 0 ? 1 : slash);
  std::string name = dir + (dir.back() == '/' ? "" : "/") + ".qzsave-XXXXXX";
  std::vector<char> templ(name.begin(), name.end());
  templ.push_back('\0');
  const int fd = ::mkstemp(templ.data());
  if (fd < 0) return false;
  tempPath_ = templ.data();
  // A replaced file keeps the permissions an ordinary new file would get.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd, 0666 & ~mask);
  stream_ = ::fdopen(fd, "w+b");
  if (!stream_) {
    ::close(fd);
    ::unlink(tempPath_.c_str());
    tempPath_.clear();
    return false;
  }
  return true;
}

int SaveFile::descriptor() const { return stream_ ? ::fileno(stream_) : -1; }

bool SaveFile::commit() {
  if (!stream_) return false;
  bool ok = std::fflush(stream_) == 0 && ::fsync(::fileno(stream_)) == 0;
  ok = (std::fclose(stream_) == 0) && ok;
  stream_ = nullptr;
  if (ok) ok = ::rename(tempPath_.c_str(), finalPath_.c_str()) == 0;
  if (!ok) ::unlink(tempPath_.c_str());
  tempPath_.clear();
  return ok;
}

void SaveFile::abort() {
  if (stream_) {
    std::fclose(stream_);
    stream_ = nullptr;
  }
  if (!tempPath_.empty()) {
    ::unlink(tempPath_.c_str());
    tempPath_.clear();
  }
}

}  // namespace qzio
