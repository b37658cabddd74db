#include "platform/filesystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "platform/atomic_file_writer.h"
#include "platform/file_internal.h"
#include "platform/paths.h"

namespace {

bool endsWithSeparator(const std::string& p) { return !p.empty() && p.back() == '/'; }

std::string stripTrailing(std::string p) {
  while (p.size() > 1 && p.back() == '/') p.pop_back();
  return p;
}

std::string join(const std::string& dir, const std::string& name) {
  if (dir.empty()) return name;
  return endsWithSeparator(dir) ? dir + name : dir + "/" + name;
}

std::string lastComponent(const std::string& p) {
  std::string s = stripTrailing(p);
  size_t slash = s.rfind('/');
  return slash == std::string::npos ? s : s.substr(slash + 1);
}

// Names in a folder except "." and "..".
bool listNames(const std::string& dir, std::vector<std::string>& names) {
  DIR* d = opendir(dir.c_str());
  if (!d) return false;
  while (dirent* e = readdir(d)) {
    if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0) continue;
    names.emplace_back(e->d_name);
  }
  closedir(d);
  return true;
}

bool copyLink(const std::string& src, const std::string& dst) {
  std::vector<char> buf(4096);
  ssize_t n = readlink(src.c_str(), buf.data(), buf.size() - 1);
  if (n < 0) return false;
  buf[static_cast<size_t>(n)] = '\0';
  unlink(dst.c_str());
  return symlink(buf.data(), dst.c_str()) == 0;
}

bool copyFile(const std::string& src, const std::string& dst) {
  struct stat st;
  if (stat(src.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  int in = open(src.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return false;
  qz::AtomicFileWriter out(dst);
  bool ok = out.ok();
  char buf[1 << 16];
  while (ok) {
    ssize_t n = read(in, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) ok = false;
    if (n <= 0) break;
    for (ssize_t done = 0; ok && done < n;) {
      ssize_t w = write(out.fd(), buf + done, static_cast<size_t>(n - done));
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) ok = false;
      else done += w;
    }
  }
  close(in);
  if (ok) fchmod(out.fd(), st.st_mode & 07777);
  return ok && out.commit();
}

bool deleteEntry(const std::string& p) {
  if (unlink(p.c_str()) == 0) return true;
  return rmdir(p.c_str()) == 0;
}

// Whether path lies in folder or is folder, both already made canonical as
// far as they exist.
bool inside(const std::string& path, const std::string& folder) {
  if (path == folder) return true;
  const std::string prefix = folder == "/" ? "/" : folder + "/";
  return path.compare(0, prefix.size(), prefix) == 0;
}

// Canonical form of a path whose tail may not exist yet.
std::string canonicalLoose(const std::string& p) {
  std::string s = stripTrailing(p);
  std::string tail;
  for (;;) {
    char* real = realpath(s.c_str(), nullptr);
    if (real) {
      std::string out = real;
      std::free(real);
      return tail.empty() ? out : join(out, tail);
    }
    size_t slash = s.rfind('/');
    if (slash == std::string::npos) {
      char* cwd = realpath(".", nullptr);
      std::string out = cwd ? cwd : ".";
      std::free(cwd);
      return join(out, tail.empty() ? s : join(s, tail));
    }
    std::string comp = s.substr(slash + 1);
    tail = tail.empty() ? comp : join(comp, tail);
    s = slash == 0 ? "/" : s.substr(0, slash);
  }
}

bool copyTree(const std::string& source, std::string target) {
  if (!endsWithSeparator(source)) {
    target = join(target, lastComponent(source));
    struct stat st;
    if (stat(target.c_str(), &st) != 0) {
      if (mkdir(target.c_str(), 0777) != 0) return false;
    } else if (!S_ISDIR(st.st_mode)) {
      return false;
    }
  }
  std::vector<std::string> names;
  if (!listNames(source, names)) return false;
  for (const std::string& name : names) {
    const std::string from = join(source, name);
    struct stat st;
    if (lstat(from.c_str(), &st) != 0) continue;  // gone meanwhile: skipped
    bool ok;
    if (S_ISLNK(st.st_mode)) {
      ok = copyLink(from, join(target, name));
    } else if (S_ISDIR(st.st_mode)) {
      ok = copyTree(from, target);
    } else {
      ok = copyFile(from, join(target, name));
    }
    if (!ok) return false;
  }
  return true;
}

void emptyTree(const std::string& dir) {
  std::vector<std::string> names;
  if (!listNames(dir, names)) return;
  for (const std::string& name : names) {
    const std::string p = join(dir, name);
    struct stat st;
    if (lstat(p.c_str(), &st) != 0) continue;
    if (S_ISDIR(st.st_mode)) {
      emptyTree(p);
      rmdir(p.c_str());
    } else {
      unlink(p.c_str());  // files and links alike; a link's target is left alone
    }
  }
}

}  // namespace

QZ_EXTERN_C_BEGIN

Qz_DirectoryEntry* Qz_OpenDirectory(const char* path) {
  if (!path) return nullptr;
  DIR* d = opendir(qz::normalizePath(path).c_str());
  if (!d) return nullptr;
  dirent* first = readdir(d);
  if (!first) {
    closedir(d);
    return nullptr;
  }
  auto* entry = static_cast<Qz_DirectoryEntry*>(std::calloc(1, sizeof(Qz_DirectoryEntry)));
  if (!entry) {
    closedir(d);
    return nullptr;
  }
  entry->de_Handle = d;
  entry->de_Pending = 1;
  std::snprintf(entry->de_Name, sizeof entry->de_Name, "%s", first->d_name);
  return entry;
}

int32_t Qz_ScanDirectory(Qz_DirectoryEntry* entry) {
  if (!entry || !entry->de_Handle) return 0;
  if (entry->de_Pending) {
    entry->de_Pending = 0;
    return 1;
  }
  dirent* e = readdir(static_cast<DIR*>(entry->de_Handle));
  if (!e) return 0;
  std::snprintf(entry->de_Name, sizeof entry->de_Name, "%s", e->d_name);
  return 1;
}

void Qz_CloseDirectory(Qz_DirectoryEntry* entry) {
  if (!entry) return;
  if (entry->de_Handle) closedir(static_cast<DIR*>(entry->de_Handle));
  std::free(entry);
}

int32_t Qz_DeleteFile(const char* path) {
  if (!path) return 0;
  return deleteEntry(stripTrailing(qz::normalizePath(path))) ? 1 : 0;
}

int32_t Qz_RenameFile(const char* oldPath, const char* newPath) {
  if (!oldPath || !newPath) return 0;
  const std::string from = qz::normalizePath(oldPath);
  const std::string to = qz::normalizePath(newPath);
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 1;
  if (errno != EINVAL && errno != ENOSYS) return 0;
  // A file system without the no-replace rename: test first.
  struct stat st;
  if (lstat(to.c_str(), &st) == 0) return 0;
  return rename(from.c_str(), to.c_str()) == 0 ? 1 : 0;
}

int32_t Qz_CopyFile(const char* source, const char* target) {
  if (!source || !target) return 0;
  return copyFile(qz::normalizePath(source), qz::normalizePath(target)) ? 1 : 0;
}

int32_t Qz_DoesFileExist(const char* path) {
  if (!path) return 0;
  struct stat st;
  return stat(qz::normalizePath(path).c_str(), &st) == 0 ? 1 : 0;
}

int32_t Qz_CreateDir(const char* path) {
  if (!path) return 0;
  return mkdir(stripTrailing(qz::normalizePath(path)).c_str(), 0777) == 0 ? 1 : 0;
}

int32_t Qz_CopyDir(const char* source, const char* target) {
  if (!source || !target) return 0;
  const std::string src = qz::normalizePath(source);
  const std::string dst = qz::normalizePath(target);
  struct stat st;
  if (stat(src.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return 0;
  // A copy into its own tree would feed on itself without end.
  if (inside(canonicalLoose(dst), canonicalLoose(src))) return 0;
  return copyTree(src, dst) ? 1 : 0;
}

int32_t Qz_DeleteDir(const char* path) {
  if (!path) return 0;
  const std::string p = qz::normalizePath(path);
  const std::string dir = stripTrailing(p);
  struct stat st;
  if (lstat(dir.c_str(), &st) != 0) return 0;
  if (!S_ISDIR(st.st_mode)) {
    // A link (or file) named as the folder: remove it alone, never what it
    // points to.
    if (endsWithSeparator(p)) return 0;
    return unlink(dir.c_str()) == 0 ? 1 : 0;
  }
  emptyTree(dir);
  if (endsWithSeparator(p)) return 1;
  return rmdir(dir.c_str()) == 0 ? 1 : 0;
}

int32_t Qz_GetTempFileName(char* buffer) {
  if (!buffer) return 0;
  const char* tmp = std::getenv("TMPDIR");
  std::string dir = tmp && *tmp ? stripTrailing(tmp) : std::string("/tmp");
  std::string tmpl = join(dir, "QuiXXXXXX");
  if (tmpl.size() + 1 > QZ_TEMP_NAME_SIZE) return 0;
  int fd = mkostemp(tmpl.data(), O_CLOEXEC);
  if (fd < 0) return 0;
  close(fd);
  std::memcpy(buffer, tmpl.c_str(), tmpl.size() + 1);
  return 1;
}

QZ_EXTERN_C_END
