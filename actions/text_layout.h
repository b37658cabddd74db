// The layout of a text box: lines broken to the box width, the measured
// width of a run, where the caret stands and which character a point falls
// on. Characters are code points; sizes are pixels at the text's real size.
#pragma once

#include <cstddef>
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/qz_export.h"

namespace qz::text {

// What layout needs of a face.
class GlyphMetrics {
 public:
  virtual ~GlyphMetrics() = default;
  virtual int advance(char32_t c) = 0;
  virtual int kerning(char32_t left, char32_t right) = 0;
  // The left bearing (negative when the glyph hangs left of the pen) and the
  // right spacing past the glyph's ink.
  virtual int leftBearing(char32_t c) = 0;
  virtual int rightSpacing(char32_t c) = 0;
};

struct TextLine {
  size_t start = 0;   // first character
  size_t length = 0;  // characters drawn
  size_t next = 0;    // where the following line starts
  int top = 0;        // from the box top
};

inline bool isLineEnd(char32_t c) { return c == 0 || c == U'\n' || c == U'\r'; }

// Width of text[start, start + count) as it fits into a box: the pen's travel
// with kerning, any left overhang of the first glyph, and the ink of the last.
QZ_EXPORT int measureRun(GlyphMetrics& metrics, const std::u32string& text, size_t start, size_t count);
// The pen's travel over text[start, start + count), kerning included.
QZ_EXPORT int penAdvance(GlyphMetrics& metrics, const std::u32string& text, size_t start, size_t count);

// The next line from start: grown while it fits; a line end closes it (and
// is passed over: "\r\n" counts once); an overflow breaks after the last of
// " +,-.:;=?" that fits, else before the character that overflowed. A blank
// that overflows stays at the end of its line. A line that holds nothing
// passes over one character.
QZ_EXPORT TextLine nextLine(GlyphMetrics& metrics, const std::u32string& text, size_t start, int availableWidth);

// The lines whose tops lie within the box height; lineHeight is the font size.
QZ_EXPORT std::vector<TextLine> layoutLines(GlyphMetrics& metrics, const std::u32string& text, int availableWidth,
                                  int boxHeight, int lineHeight);

struct CaretPlace {
  int x = 0, top = 0;  // from the box's left and top
  bool shown = false;  // false when the caret's line lies below the box
};
QZ_EXPORT CaretPlace caretPlace(GlyphMetrics& metrics, const std::u32string& text, const std::vector<TextLine>& lines,
                      int lineHeight, size_t cursor);

// The character index a point (from the box's left and top) puts the caret at.
QZ_EXPORT size_t characterAt(GlyphMetrics& metrics, const std::u32string& text, const std::vector<TextLine>& lines,
                   int lineHeight, int x, int y);

}  // namespace qz::text
