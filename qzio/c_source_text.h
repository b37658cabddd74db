// Reading the C source that X pixmaps and bitmaps are written as: blanks and
// /* */ comments skipped, "#define NAME VALUE" lines, quoted strings and
// "0x" byte lists, all over bytes in memory (the probe or the whole file).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "platform/qz_export.h"

namespace qz::codec {

class QZ_EXPORT CSourceText {
 public:
  explicit CSourceText(std::span<const uint8_t> bytes)
      : text_(reinterpret_cast<const char*>(bytes.data()), bytes.size()) {}

  // Skips blanks and comments; false at the end of the text.
  bool skipBlanks();
  // The next line after blanks and comments, without its line end; empty
  // optional at the end of the text.
  std::optional<std::string_view> nextLine();
  // The next quoted string after blanks, comments and C punctuation (its
  // text without the quotes); empty optional when a quote is not found
  // before the text ends.
  std::optional<std::string_view> nextString();
  // Moves just past the next occurrence of `word`; false when there is none.
  bool skipPast(std::string_view word);

  size_t position() const { return at_; }
  void seek(size_t at) { at_ = at < text_.size() ? at : text_.size(); }
  std::string_view rest() const { return text_.substr(at_); }
  // Moves to just after the first `c` of a line nextLine gave, or past the
  // line when it has none.
  void seekAfter(std::string_view line, char c) {
    const size_t start = size_t(line.data() - text_.data()), found = line.find(c);
    seek(found == std::string_view::npos ? start + line.size() : start + found + 1);
  }

 private:
  std::string_view text_;
  size_t at_ = 0;
};

// "#define NAME VALUE": the part of NAME after its last underscore and the
// value; nothing when the line is not such a define.
struct Define {
  std::string_view field;
  int64_t value = 0;
};
QZ_EXPORT std::optional<Define> parseDefine(std::string_view line);

// The value of a hex digit of either case, or -1.
QZ_EXPORT int hexDigit(char c);

// Splits on blanks and tabs.
QZ_EXPORT bool nextWord(std::string_view& text, std::string_view& word);
// A decimal number word (sign allowed); false when it is not one or is out of
// the 32-bit range.
QZ_EXPORT bool parseInt(std::string_view word, int64_t& value);

// The C identifier a writer gives a picture: the file name without its
// folders, cut at its first ".".
QZ_EXPORT std::string_view identifierOf(std::string_view fileName);

}  // namespace qz::codec
