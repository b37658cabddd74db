#include "host/x11/uri_list.h"

#include <sstream>

namespace qz::x11 {
namespace {

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Decodes %XX escapes; a malformed escape or an encoded NUL refuses the whole path.
bool percentDecode(const std::string& in, std::string* out) {
  out->clear();
  for (std::size_t i = 0; i < in.size(); ++i) {
    if (in[i] != '%') {
      *out += in[i];
      continue;
    }
    const int hi = i + 1 < in.size() ? hexValue(in[i + 1]) : -1;
    const int lo = i + 2 < in.size() ? hexValue(in[i + 2]) : -1;
    if (hi < 0 || lo < 0 || (hi == 0 && lo == 0)) return false;
    *out += static_cast<char>(hi * 16 + lo);
    i += 2;
  }
  return true;
}

}  // namespace

std::vector<std::string> pathsFromUriList(const std::string& list) {
  std::vector<std::string> paths;
  std::istringstream lines(list);
  std::string line;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    static const std::string kScheme = "file://";
    if (line.compare(0, kScheme.size(), kScheme) != 0) continue;
    std::string rest = line.substr(kScheme.size());
    const std::size_t slash = rest.find('/');
    if (slash == std::string::npos) continue;
    const std::string host = rest.substr(0, slash);
    if (!host.empty() && host != "localhost") continue;
    std::string path;
    if (percentDecode(rest.substr(slash), &path)) paths.push_back(path);
  }
  return paths;
}

}  // namespace qz::x11
