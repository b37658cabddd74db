#include "platform/atomic_file_writer.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "platform/file_internal.h"
#include "platform/paths.h"

struct Qz_AtomicFile {
  std::string finalPath;
  std::string tempPath;
  int fd = -1;
  FILE* stream = nullptr;
  bool backup = false;
  bool failed = false;  // a stream could not be made or flushed
};

namespace {

std::string folderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string backupName(const std::string& path) {
  size_t nameStart = path.rfind('/');
  nameStart = nameStart == std::string::npos ? 0 : nameStart + 1;
  size_t search = nameStart;
  if (search < path.size() && path[search] == '.') ++search;  // a leading dot does not count
  size_t dot = path.find('.', search);
  if (dot == std::string::npos) return path + ".bak";
  return path.substr(0, dot) + ".bak" + path.substr(dot);
}

// Temporary files are named ".NAME.qztmp-PID-XXXXXX" beside NAME, and their
// writer holds a lock on them while it lives.
constexpr const char* kTempMark = ".qztmp-";

std::string tempPrefix(const std::string& name) { return "." + name + kTempMark; }

// A writer process that is gone leaves its temporary file behind when it
// dies half way; the next writer of the same target removes such leftovers.
// One is only taken when its process no longer exists and nobody holds its
// lock, so a live writer's file (of this process or another) stays.
void removeDeadLeftovers(const std::string& folder, const std::string& prefix) {
  DIR* dir = opendir(folder.c_str());
  if (!dir) return;
  while (dirent* entry = readdir(dir)) {
    const std::string entryName = entry->d_name;
    if (entryName.compare(0, prefix.size(), prefix) != 0) continue;
    char* end = nullptr;
    const long pid = std::strtol(entryName.c_str() + prefix.size(), &end, 10);
    if (pid <= 0 || !end || *end != '-' || pid == getpid()) continue;
    if (kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
    const std::string path = folder + "/" + entryName;
    const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) continue;
    struct stat st;
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && flock(fd, LOCK_EX | LOCK_NB) == 0) unlink(path.c_str());
    close(fd);
  }
  closedir(dir);
}

void syncFolder(const std::string& folder) {
  int dfd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    fsync(dfd);
    close(dfd);
  }
}

// Keeps the old file under its backup name; false when that fails.
bool makeBackup(const std::string& finalPath) {
  struct stat st;
  if (lstat(finalPath.c_str(), &st) != 0) return errno == ENOENT;  // nothing to keep
  if (!S_ISREG(st.st_mode)) return true;
  const std::string bak = backupName(finalPath);
  unlink(bak.c_str());
  if (link(finalPath.c_str(), bak.c_str()) == 0) return true;
  return qz::detail::copyFileContents(finalPath, bak);
}

void dropTemp(Qz_AtomicFile* f) {
  if (f->stream) {
    std::fclose(f->stream);
    f->stream = nullptr;
  }
  if (f->fd >= 0) {
    close(f->fd);
    f->fd = -1;
  }
  unlink(f->tempPath.c_str());
}

}  // namespace

QZ_EXTERN_C_BEGIN

Qz_AtomicFile* Qz_AtomicFileOpen(const char* path, int32_t backup) {
  if (!path || !*path) {
    errno = EINVAL;
    return nullptr;
  }
  auto* f = new (std::nothrow) Qz_AtomicFile();
  if (!f) {
    errno = ENOMEM;
    return nullptr;
  }
  f->finalPath = qz::normalizePath(path);
  f->backup = backup != 0;
  qz::detail::makeStateFolders(f->finalPath);
  std::string name = f->finalPath.substr(f->finalPath.rfind('/') + 1);
  if (name.size() > 200) name.resize(200);  // room for the marks within a name's 255 bytes
  const std::string folder = folderOf(f->finalPath);
  removeDeadLeftovers(folder, tempPrefix(name));
  std::string tmpl = folder + "/" + tempPrefix(name) + std::to_string(getpid()) + "-XXXXXX";
  f->fd = mkostemp(tmpl.data(), O_CLOEXEC);
  if (f->fd < 0) {
    int e = errno;
    delete f;
    errno = e;
    return nullptr;
  }
  flock(f->fd, LOCK_EX | LOCK_NB);  // tells other writers this file is alive
  f->tempPath = tmpl;
  return f;
}

FILE* Qz_AtomicFileStream(Qz_AtomicFile* f) {
  if (!f || f->fd < 0) return nullptr;
  if (!f->stream) {
    int dupFd = fcntl(f->fd, F_DUPFD_CLOEXEC, 0);
    if (dupFd >= 0) f->stream = fdopen(dupFd, "w+b");
    if (!f->stream) {
      if (dupFd >= 0) close(dupFd);
      f->failed = true;
    }
  }
  return f->stream;
}

int Qz_AtomicFileDescriptor(Qz_AtomicFile* f) { return f ? f->fd : -1; }

const char* Qz_AtomicFilePath(Qz_AtomicFile* f) { return f ? f->finalPath.c_str() : ""; }

int32_t Qz_AtomicFileCommit(Qz_AtomicFile* f) {
  if (!f) return 0;
  bool ok = !f->failed;
  if (f->stream) {
    if (std::fflush(f->stream) != 0 || std::ferror(f->stream)) ok = false;
    if (std::fclose(f->stream) != 0) ok = false;
    f->stream = nullptr;
  }
  if (ok && fsync(f->fd) != 0) ok = false;
  struct stat own;
  if (ok && fstat(f->fd, &own) == 0 && (own.st_mode & 07777) == 0600) {
    // Permissions the writer did not set itself: the old file's, else the
    // usual ones for a new file.
    struct stat st;
    mode_t mode;
    if (stat(f->finalPath.c_str(), &st) == 0) {
      mode = st.st_mode & 07777;
    } else {
      mode = 0666 & ~qz::detail::currentUmask();
    }
    fchmod(f->fd, mode);
  }
  if (close(f->fd) != 0) ok = false;
  f->fd = -1;
  if (ok && f->backup && !makeBackup(f->finalPath)) ok = false;
  if (ok && rename(f->tempPath.c_str(), f->finalPath.c_str()) != 0) ok = false;
  if (ok) {
    syncFolder(folderOf(f->finalPath));
  } else {
    unlink(f->tempPath.c_str());
  }
  delete f;
  return ok ? 1 : 0;
}

void Qz_AtomicFileAbort(Qz_AtomicFile* f) {
  if (!f) return;
  dropTemp(f);
  delete f;
}

size_t Qz_BackupFileName(const char* path, char* out, size_t size) {
  std::string b = backupName(path ? path : "");
  if (out && size > 0) {
    size_t n = b.size() < size - 1 ? b.size() : size - 1;
    std::memcpy(out, b.data(), n);
    out[n] = '\0';
  }
  return b.size();
}

QZ_EXTERN_C_END
