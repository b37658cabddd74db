// Build-time generator of the language catalogue: reads the plain source
// ("number<TAB>text" per line, '#' comment lines, escapes \n \t \\) and writes
// the scrambled file the program loads. Numbers missing from the source get
// an empty string, so string n is always string n.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <map>
#include <string>

#include "objects/etf_format.h"

namespace {

bool unescape(const std::string& in, std::string& out) {
  out.clear();
  for (std::size_t i = 0; i < in.size(); ++i) {
    if (in[i] != '\\') {
      out += in[i];
      continue;
    }
    if (++i == in.size()) return false;
    switch (in[i]) {
      case 'n': out += '\n'; break;
      case 't': out += '\t'; break;
      case '\\': out += '\\'; break;
      default: return false;
    }
  }
  return true;
}

std::string fileNamePart(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: qz_etf_pack SOURCE.txt OUTPUT.etf\n";
    return 2;
  }
  std::ifstream in(argv[1]);
  if (!in) {
    std::cerr << argv[1] << ": cannot open\n";
    return 1;
  }
  std::map<unsigned long, std::string> texts;
  std::string line;
  for (int lineNumber = 1; std::getline(in, line); ++lineNumber) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    const std::size_t tab = line.find('\t');
    const std::string number = line.substr(0, tab);
    char* end = nullptr;
    errno = 0;
    const unsigned long n = std::strtoul(number.c_str(), &end, 10);
    std::string text;
    if (tab == std::string::npos || number.empty() || *end != '\0' || errno != 0 || n > 0xFFFE ||
        !unescape(line.substr(tab + 1), text)) {
      std::cerr << argv[1] << ":" << lineNumber << ": expected \"number<TAB>text\"\n";
      return 1;
    }
    if (!texts.emplace(n, text).second) {
      std::cerr << argv[1] << ":" << lineNumber << ": string " << n << " given twice\n";
      return 1;
    }
  }

  qz::etf::Contents contents;
  contents.namePart = fileNamePart(argv[2]);
  if (!texts.empty()) contents.strings.resize(texts.rbegin()->first + 1);
  for (auto& [n, text] : texts) contents.strings[n] = std::move(text);
  const std::vector<uint8_t> bytes = qz::etf::build(contents);

  const std::string temporary = std::string(argv[2]) + ".tmp";
  std::FILE* out = std::fopen(temporary.c_str(), "wb");
  if (!out) {
    std::cerr << temporary << ": " << std::strerror(errno) << "\n";
    return 1;
  }
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
  if (std::fclose(out) != 0 || !written || std::rename(temporary.c_str(), argv[2]) != 0) {
    std::remove(temporary.c_str());
    std::cerr << argv[2] << ": cannot write\n";
    return 1;
  }
  return 0;
}
