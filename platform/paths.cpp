#include "platform/paths.h"

#include "platform/file_internal.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <mutex>
#include <string>
#include <vector>

namespace {

std::string withoutTrailingSlashes(std::string s) {
  while (s.size() > 1 && s.back() == '/') s.pop_back();
  return s;
}

std::string programFolder() {
  static std::once_flag once;
  static std::string folder;
  std::call_once(once, [] {
    std::vector<char> buf(4096);
    ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size() - 1);
    if (n > 0) {
      std::string exe(buf.data(), static_cast<size_t>(n));
      size_t slash = exe.rfind('/');
      folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : exe.substr(0, slash));
    } else {
      folder = ".";
    }
  });
  return folder;
}

std::string envOr(const char* name, const std::string& fallback) {
  const char* v = std::getenv(name);
  return v && *v ? std::string(v) : fallback;
}

void makeFolders(const std::string& path) {
  for (size_t i = 1; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == '/') mkdir(path.substr(0, i).c_str(), 0777);
  }
}

std::string dataRootPath() { return withoutTrailingSlashes(envOr("QZ_DATA_DIR", programFolder())); }

std::string stateRootPath() {
  const char* explicitRoot = std::getenv("QZ_STATE_DIR");
  if (explicitRoot && *explicitRoot) return withoutTrailingSlashes(explicitRoot);
  std::string data = dataRootPath();
  if (access(data.c_str(), W_OK) == 0) return data;
  std::string base = envOr("XDG_STATE_HOME", envOr("HOME", "/tmp") + "/.local/state");
  std::string root = withoutTrailingSlashes(base) + "/quillantrix";
  makeFolders(root);
  return root;
}

size_t deliver(const std::string& s, char* out, size_t size) {
  if (out && size > 0) {
    size_t n = s.size() < size - 1 ? s.size() : size - 1;
    std::memcpy(out, s.data(), n);
    out[n] = '\0';
  }
  return s.size();
}

bool startsWithNoCase(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && strncasecmp(s.data(), prefix.data(), prefix.size()) == 0;
}

bool sameNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

bool exists(const std::string& p) {
  struct stat st;
  return lstat(p.c_str(), &st) == 0;
}

// The entry of folder whose name matches name regardless of case, or "".
std::string looseMatch(const std::string& folder, std::string_view name) {
  DIR* d = opendir(folder.c_str());
  if (!d) return {};
  std::string best;
  while (dirent* e = readdir(d)) {
    if (sameNoCase(e->d_name, name) && (best.empty() || best > e->d_name)) best = e->d_name;
  }
  closedir(d);
  return best;
}

// root + rel, each missing component replaced by a case-insensitive match
// in its folder when there is one.
std::string resolveLoosely(const std::string& root, std::string_view rel) {
  std::string cur = root;
  const bool trailing = !rel.empty() && rel.back() == '/';
  bool lost = false;  // once a folder is missing, nothing below it can match
  size_t pos = 0;
  while (pos <= rel.size()) {
    size_t end = rel.find('/', pos);
    if (end == std::string_view::npos) end = rel.size();
    std::string_view comp = rel.substr(pos, end - pos);
    pos = end + 1;
    if (comp.empty() || comp == ".") continue;
    std::string cand = (cur == "/" ? "" : cur) + "/" + std::string(comp);
    if (!lost && comp != ".." && !exists(cand)) {
      std::string match = looseMatch(cur, comp);
      if (!match.empty()) {
        cand = (cur == "/" ? "" : cur) + "/" + match;
      } else {
        lost = true;
      }
    }
    cur = cand;
  }
  if (trailing && cur.back() != '/') cur += '/';
  return cur;
}

std::string normalize(std::string_view in) {
  if (in.empty()) return {};  // names nothing, so every file call on it fails
  std::string p(in);
  for (char& c : p) {
    if (c == '\\') c = '/';
  }
  std::string_view rest = p;
  std::string rel;
  if (startsWithNoCase(rest, "Quillantrix:")) {
    rest.remove_prefix(12);
    rel = std::string(rest);
  } else if (startsWithNoCase(rest, "Qz_Images:")) {
    rest.remove_prefix(10);
    while (!rest.empty() && rest.front() == '/') rest.remove_prefix(1);
    rel = "Data/Images/" + std::string(rest);
  } else if (!p.empty() && p.front() == '/') {
    return p;  // the user's own path: taken as it is
  } else {
    rel = p;
  }
  size_t skip = 0;
  while (skip < rel.size() && rel[skip] == '/') ++skip;
  std::string_view r = std::string_view(rel).substr(skip);
  while (r.size() >= 2 && r.substr(0, 2) == "./") r.remove_prefix(2);
  auto isFolder = [&](std::string_view name) {
    return startsWithNoCase(r, name) && (r.size() == name.size() || r[name.size()] == '/');
  };
  const bool toState = isFolder("Data/Prefs") || isFolder("ImageDatabase");
  return resolveLoosely(toState ? stateRootPath() : dataRootPath(), r);
}

}  // namespace

void qz::detail::makeStateFolders(const std::string& path) {
  // Only the program's own folders there; a missing folder anywhere else
  // stays an error for the caller.
  const std::string root = stateRootPath();
  for (const char* own : {"/Data/Prefs", "/ImageDatabase"}) {
    const std::string folder = root + own;
    if (path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
        path[folder.size()] == '/') {
      makeFolders(path.substr(0, path.rfind('/')));
      return;
    }
  }
}

QZ_EXTERN_C_BEGIN

size_t Qz_GetDataRoot(char* out, size_t size) { return deliver(dataRootPath(), out, size); }
size_t Qz_GetStateRoot(char* out, size_t size) { return deliver(stateRootPath(), out, size); }

size_t Qz_NormalizePath(const char* path, char* out, size_t size) {
  return deliver(normalize(path ? path : ""), out, size);
}

FILE* Qz_FOpen(const char* path, const char* mode) {
  if (!path || !mode) return nullptr;
  const std::string p = normalize(path);
  if (std::strpbrk(mode, "wa+")) qz::detail::makeStateFolders(p);
  return std::fopen(p.c_str(), mode);
}

QZ_EXTERN_C_END
