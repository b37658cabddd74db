#include "qzio/c_source_text.h"

#include <charconv>

namespace qz::codec {

bool CSourceText::skipBlanks() {
  while (at_ < text_.size()) {
    const char c = text_[at_];
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v') {
      ++at_;
    } else if (text_.substr(at_, 2) == "/*") {
      const size_t end = text_.find("*/", at_ + 2);
      at_ = end == std::string_view::npos ? text_.size() : end + 2;
    } else {
      return true;
    }
  }
  return false;
}

std::optional<std::string_view> CSourceText::nextLine() {
  if (!skipBlanks()) return std::nullopt;
  const size_t end = text_.find_first_of("\r\n", at_);
  const size_t stop = end == std::string_view::npos ? text_.size() : end;
  std::string_view line = text_.substr(at_, stop - at_);
  at_ = stop;
  return line;
}

std::optional<std::string_view> CSourceText::nextString() {
  while (skipBlanks()) {
    if (text_[at_] != '"') {
      ++at_;  // braces, commas, "static char *name[] =" and the like
      continue;
    }
    const size_t end = text_.find('"', at_ + 1);
    if (end == std::string_view::npos) {
      at_ = text_.size();
      return std::nullopt;
    }
    std::string_view s = text_.substr(at_ + 1, end - at_ - 1);
    at_ = end + 1;
    return s;
  }
  return std::nullopt;
}

bool CSourceText::skipPast(std::string_view word) {
  const size_t found = text_.find(word, at_);
  if (found == std::string_view::npos) return false;
  at_ = found + word.size();
  return true;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool nextWord(std::string_view& text, std::string_view& word) {
  const size_t start = text.find_first_not_of(" \t");
  if (start == std::string_view::npos) {
    text = {};
    return false;
  }
  const size_t end = text.find_first_of(" \t", start);
  word = text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
  text = end == std::string_view::npos ? std::string_view{} : text.substr(end);
  return true;
}

bool parseInt(std::string_view word, int64_t& value) {
  if (!word.empty() && word[0] == '+') word.remove_prefix(1);
  const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
  return error == std::errc{} && end == word.data() + word.size() && value >= INT32_MIN && value <= INT32_MAX;
}

std::optional<Define> parseDefine(std::string_view line) {
  std::string_view keyword, name, number;
  if (!nextWord(line, keyword) || keyword != "#define" || !nextWord(line, name) || !nextWord(line, number))
    return std::nullopt;
  Define define;
  const size_t underscore = name.rfind('_');
  define.field = underscore == std::string_view::npos ? name : name.substr(underscore + 1);
  if (!parseInt(number, define.value)) return std::nullopt;
  return define;
}

std::string_view identifierOf(std::string_view fileName) {
  const size_t slash = fileName.find_last_of("/\\");
  if (slash != std::string_view::npos) fileName.remove_prefix(slash + 1);
  return fileName.substr(0, fileName.find('.'));
}

}  // namespace qz::codec
