// The folder tree's view of POSIX folders: sub-folders sorted by
// lower-cased name with dot-folders left out, and the name a folder shows.
#include <algorithm>
#include <filesystem>
#include <system_error>

#include "gadgets/qz_list_tree.h"

namespace qz::gadgets {

namespace {

// ASCII letters only: UTF-8 sequences keep their bytes and their order.
std::string lowered(const std::string& s) {
  std::string out = s;
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  }
  return out;
}

}  // namespace

std::vector<std::string> listSubFolders(const std::string& path) {
  namespace fs = std::filesystem;
  std::vector<std::string> names;
  std::error_code error;
  fs::directory_iterator it(path, fs::directory_options::skip_permission_denied, error);
  for (; !error && it != fs::directory_iterator(); it.increment(error)) {
    const std::string name = it->path().filename().string();
    if (name.empty() || name[0] == '.') continue;
    std::error_code kind;
    if (it->is_directory(kind)) names.push_back(name);
  }
  std::sort(names.begin(), names.end(), sortsBeforeByLowerCase);
  return names;
}

bool sortsBeforeByLowerCase(const std::string& a, const std::string& b) {
  const std::string la = lowered(a), lb = lowered(b);
  return la != lb ? la < lb : a < b;
}

std::string folderDisplayName(const std::string& path) {
  if (path.empty() || path == "/") return "/";
  std::string p = path;
  if (p.size() > 1 && p.back() == '/') p.pop_back();
  const std::size_t slash = p.rfind('/');
  return slash == std::string::npos ? p : p.substr(slash + 1);
}

}  // namespace qz::gadgets
