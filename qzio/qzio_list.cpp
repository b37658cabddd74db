// The detection list "Data/QZIOList.QzStr": object text of a LinkedList
// whose members are named after the formats, in the order detection tries
// them. Only the member names matter here, so a small reader of that text
// collects the value of every Qz_SetObjectName line, skipping comments.
#include <cstdio>
#include <string>
#include <vector>

#include "qzio/qzio_list.h"

#include "platform/paths.h"

namespace qzio {
namespace {

// Drops "//" line comments and nested "/* */" block comments.
std::string StripComments(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  int depth = 0;
  while (i < text.size()) {
    if (text.compare(i, 2, "/*") == 0) {
      ++depth;
      i += 2;
    } else if (depth > 0 && text.compare(i, 2, "*/") == 0) {
      --depth;
      i += 2;
    } else if (depth > 0) {
      ++i;
    } else if (text.compare(i, 2, "//") == 0) {
      while (i < text.size() && text[i] != '\n') ++i;
    } else {
      out += text[i++];
    }
  }
  return out;
}

std::string Trim(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t' || s[b] == '\r' || s[b] == '"')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r' || s[e - 1] == '"')) --e;
  return s.substr(b, e - b);
}

}  // namespace

std::vector<std::string> ParseFormatList(const std::string& text) {
  // Tokens end at commas and line ends, as object text splits them.
  std::vector<std::string> tokens;
  std::string cur;
  for (char c : StripComments(text)) {
    if (c == ',' || c == '\n') {
      tokens.push_back(Trim(cur));
      cur.clear();
    } else {
      cur += c;
    }
  }
  tokens.push_back(Trim(cur));
  std::vector<std::string> names;
  for (size_t i = 0; i + 1 < tokens.size(); ++i) {
    if (tokens[i] != "Qz_SetObjectName") continue;
    const std::string& name = tokens[i + 1];
    // A format name becomes part of a class name: letters and digits only.
    bool ok = !name.empty() && name.size() < 64;
    for (char c : name) ok = ok && ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'));
    if (ok) names.push_back(name);
    ++i;
  }
  return names;
}

std::string DataRoot() {
  char root[4096];
  const size_t n = Qz_GetDataRoot(root, sizeof root);
  return n > 0 && n < sizeof root ? std::string(root, n) : std::string(".");
}

bool ReadFormatListFile(const std::string& path, std::vector<std::string>* names) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  std::string text;
  char chunk[4096];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0 && text.size() < (1u << 20)) text.append(chunk, n);
  std::fclose(f);
  *names = ParseFormatList(text);
  return true;
}

}  // namespace qzio
