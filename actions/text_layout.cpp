// Line breaking, measuring and the caret's place for text boxes.
#include "actions/text_layout.h"

#include <cstdlib>
#include <string_view>

namespace qz::text {
namespace {

bool isBreakAfter(char32_t c) { return c < 0x80 && std::u32string_view(U" +,-.:;=?").find(c) != std::u32string_view::npos; }

// How far past `end` a line that stops there continues: one line end, "\r\n" as one.
size_t passLineEnd(const std::u32string& text, size_t end) {
  if (end >= text.size() || !isLineEnd(text[end])) return end;
  if (text[end] == 0) return end + 1;
  if (text[end] == U'\r' && end + 1 < text.size() && text[end + 1] == U'\n') return end + 2;
  return end + 1;
}

}  // namespace

int penAdvance(GlyphMetrics& metrics, const std::u32string& text, size_t start, size_t count) {
  int width = 0;
  for (size_t i = start; i < start + count && i < text.size(); ++i) {
    width += metrics.advance(text[i]);
    if (i > start) width += metrics.kerning(text[i - 1], text[i]);
  }
  return width;
}

int measureRun(GlyphMetrics& metrics, const std::u32string& text, size_t start, size_t count) {
  if (count == 0) return 0;
  const size_t last = start + count - 1;
  int width = penAdvance(metrics, text, start, count);
  const int bearing = metrics.leftBearing(text[start]);
  if (bearing < 0) width -= bearing;
  return width + std::abs(metrics.rightSpacing(text[last])) + 1;
}

TextLine nextLine(GlyphMetrics& metrics, const std::u32string& text, size_t start, int availableWidth) {
  TextLine line{start, 0, start, 0};
  size_t lastBreak = 0;  // characters up to and including the last opportunity that fits
  size_t n = 0;
  for (; start + n < text.size(); ++n) {
    const char32_t c = text[start + n];
    if (isLineEnd(c)) {
      line.length = n;
      line.next = passLineEnd(text, start + n);
      return line;
    }
    if (measureRun(metrics, text, start, n + 1) > availableWidth) break;
    if (isBreakAfter(c)) lastBreak = n + 1;
  }
  if (start + n >= text.size()) {  // the rest fits
    line.length = n;
    line.next = text.size();
    return line;
  }
  if (text[start + n] == U' ' && n > 0)
    line.length = n + 1;  // the overflowing blank ends the line
  else
    line.length = lastBreak > 0 ? lastBreak : n;
  line.next = passLineEnd(text, start + std::max<size_t>(line.length, 1));
  return line;
}

std::vector<TextLine> layoutLines(GlyphMetrics& metrics, const std::u32string& text, int availableWidth,
                                  int boxHeight, int lineHeight) {
  std::vector<TextLine> lines;
  int top = 0;
  for (size_t at = 0; at < text.size() && top <= boxHeight;) {
    TextLine line = nextLine(metrics, text, at, availableWidth);
    line.top = top;
    lines.push_back(line);
    at = line.next;
    top += lineHeight;
  }
  return lines;
}

CaretPlace caretPlace(GlyphMetrics& metrics, const std::u32string& text, const std::vector<TextLine>& lines,
                      int lineHeight, size_t cursor) {
  CaretPlace place;
  for (const TextLine& line : lines) {
    if (cursor >= line.next && line.next < text.size()) continue;
    if (cursor >= line.next && line.next > line.start && isLineEnd(text[line.next - 1])) {
      place.top = line.top + lineHeight;  // after a closing line end: the start of the line below
      place.shown = true;
      return place;
    }
    const size_t into = std::min(cursor, line.start + line.length) - line.start;
    place.x = penAdvance(metrics, text, line.start, into);
    place.top = line.top;
    place.shown = true;
    return place;
  }
  place.shown = lines.empty();
  return place;
}

size_t characterAt(GlyphMetrics& metrics, const std::u32string& text, const std::vector<TextLine>& lines,
                   int lineHeight, int x, int y) {
  for (const TextLine& line : lines) {
    if (y >= line.top + lineHeight) continue;
    const int halfBlank = metrics.advance(U' ') / 2;
    size_t i = 0;
    while (i < line.length && penAdvance(metrics, text, line.start, i + 1) - halfBlank <= x) ++i;
    return line.start + i;
  }
  return text.size();
}

}  // namespace qz::text
