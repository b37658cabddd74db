// Text box layout with a stand-in face of fixed advances: line breaks, lines
// past the box, caret and hit test, the editing keys and the paste limit,
// and the face cache's eviction.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "actions/text_drawing.h"
#include "actions/text_editing.h"
#include "actions/text_font_cache.h"
#include "actions/text_layout.h"

namespace {

using namespace qz::text;

// Every character 5 pixels on, ink 4 x 8 from the pen, ascent 8; the real
// face's size is the font size times the factor, so the advance scales too.
class StandInFace final : public qz::fonts::TextFace {
 public:
  explicit StandInFace(int scale) : scale_(scale) {}
  int ascent() const override { return 8 * scale_; }
  int advance(char32_t) override { return 5 * scale_; }
  int kerning(char32_t, char32_t) override { return 0; }
  qz::fonts::TextGlyph render(char32_t c) override {
    qz::fonts::TextGlyph g;
    g.advance = 5 * scale_;
    if (c == U' ') return g;
    g.width = 4 * scale_, g.height = 8 * scale_, g.top = 8 * scale_;
    g.coverage.assign(size_t(g.width * g.height), 255);
    return g;
  }

 private:
  int scale_;
};

std::unique_ptr<qz::fonts::TextFace> OpenStandIn(const std::string&, int pixelSize, bool, bool) {
  return std::make_unique<StandInFace>(pixelSize / 10);
}

class StandInMetrics final : public GlyphMetrics {
 public:
  int advance(char32_t) override { return 5; }
  int kerning(char32_t, char32_t) override { return 0; }
  int leftBearing(char32_t) override { return 0; }
  int rightSpacing(char32_t) override { return 0; }
};

std::vector<std::u32string> Lines(const std::u32string& text, int width, int height = 1000) {
  StandInMetrics m;
  std::vector<std::u32string> out;
  for (const TextLine& l : layoutLines(m, text, width, height, 10)) out.push_back(text.substr(l.start, l.length));
  return out;
}

TEST(TextLayout, LineBreaks) {
  using L = std::vector<std::u32string>;
  struct Case {
    const char* name;
    std::u32string text;
    int width;
    L expected;
  } cases[] = {
      {"at a blank", U"aaaa bbbb", 22, L{U"aaaa ", U"bbbb"}},
      {"after a hyphen", U"aa-bbbb", 22, L{U"aa-", U"bbbb"}},
      {"after each of +,.:;=?", U"a+b,c.d:e;f=g?h", 11, L{U"a+", U"b,", U"c.", U"d:", U"e;", U"f=", U"g?", U"h"}},
      {"a long word one character before the overflow", U"abcdefgh", 22, L{U"abcd", U"efgh"}},
      {"line ends, CR LF once", U"ab\ncd\r\nef\rg", 100, L{U"ab", U"cd", U"ef", U"g"}},
      {"a second CR adds a blank line", U"ab\r\rcd", 100, L{U"ab", U"", U"cd"}},
      {"a box narrower than a glyph passes over each", U"abc", 3, L{U"", U"", U""}},
      {"fits exactly", U"abcd", 21, L{U"abcd"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Lines(c.text, c.width), c.expected);
  }
}

TEST(TextLayout, LinesBelowTheBoxAreLeftOut) {
  EXPECT_EQ(Lines(U"a\nb\nc\nd", 100, 20).size(), 3u);  // tops 0, 10, 20
  EXPECT_EQ(Lines(U"a\nb\nc\nd", 100, 19).size(), 2u);
}

TEST(TextLayout, CaretAndHitTestOnTwoLines) {
  StandInMetrics m;
  const std::u32string text = U"abc de\nfgh";
  const auto lines = layoutLines(m, text, 100, 100, 10);
  ASSERT_EQ(lines.size(), 2u);
  struct Case {
    int x, y;
    size_t index;
    int caretX, caretTop;
  } cases[] = {
      {0, 0, 0, 0, 0},     {2, 5, 0, 0, 0},   {3, 5, 1, 5, 0},  {14, 9, 3, 15, 0},
      {200, 0, 6, 30, 0},  {0, 10, 7, 0, 10}, {8, 12, 9, 10, 10}, {99, 19, 10, 15, 10},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
    EXPECT_EQ(characterAt(m, text, lines, 10, c.x, c.y), c.index);
    const CaretPlace p = caretPlace(m, text, lines, 10, c.index);
    EXPECT_TRUE(p.shown);
    EXPECT_EQ(p.x, c.caretX);
    EXPECT_EQ(p.top, c.caretTop);
  }
  EXPECT_EQ(characterAt(m, text, lines, 10, 0, 500), text.size());
  const CaretPlace afterEnd = caretPlace(m, U"ab\n", layoutLines(m, U"ab\n", 100, 100, 10), 10, 3);
  EXPECT_EQ(afterEnd.top, 10);
  EXPECT_EQ(afterEnd.x, 0);
}

TEST(TextEditing, Keys) {
  struct Case {
    const char* name;
    EditKey key;
    size_t cursor;
    std::u32string text;
    size_t newCursor;
  } cases[] = {
      {"right", EditKey::Right, 2, U"abcd", 3},
      {"right stops at the end", EditKey::Right, 4, U"abcd", 4},
      {"left", EditKey::Left, 2, U"abcd", 1},
      {"left stops at 0", EditKey::Left, 0, U"abcd", 0},
      {"backspace", EditKey::Backspace, 2, U"acd", 1},
      {"backspace at 0", EditKey::Backspace, 0, U"abcd", 0},
      {"shift backspace", EditKey::BackspaceAll, 3, U"d", 0},
      {"delete", EditKey::Delete, 2, U"abd", 2},
      {"delete at the end", EditKey::Delete, 4, U"abcd", 4},
      {"shift delete", EditKey::DeleteAll, 1, U"a", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TextEdit e{U"abcd", c.cursor};
    applyEditKey(e, c.key);
    EXPECT_EQ(e.text, c.text);
    EXPECT_EQ(e.cursor, c.newCursor);
  }
}

TEST(TextEditing, PasteStopsAtTheLimitCountingTextAfterTheCaret) {
  TextEdit e{std::u32string(3000, U'x'), 1000};
  const std::u32string clip(9000, U'y');
  EXPECT_EQ(insertAtCursor(e, clip), kMaxTextBytes - 3000);
  EXPECT_EQ(utf8Size(e.text), kMaxTextBytes);
  EXPECT_EQ(e.cursor, 1000 + kMaxTextBytes - 3000);
  EXPECT_EQ(e.text.substr(e.cursor), std::u32string(2000, U'x'));
  // A character of several bytes goes in whole or not at all.
  TextEdit full{std::u32string(kMaxTextBytes - 2, U'x'), 0};
  EXPECT_EQ(insertAtCursor(full, U"\u20ac"), 0u);
  EXPECT_EQ(insertAtCursor(full, U"\u00e9\u00e9"), 1u);
  EXPECT_EQ(toUtf8(fromUtf8("\xC3\xA9t\xE2\x82\xAC")), "\xC3\xA9t\xE2\x82\xAC");
}

TEST(TextFontCache, ASeventhKeyEvictsTheOldestWithItsGlyphs) {
  FontCache cache(OpenStandIn);
  std::weak_ptr<FontEntry> oldest;
  for (int32_t size = 10; size <= 60; size += 10) {
    auto entry = cache.entry({size, 1, 0, 0, "Stand-in"});
    ASSERT_NE(entry, nullptr);
    entry->glyph(U'a');
    if (size == 10) oldest = entry;
  }
  EXPECT_EQ(cache.size(), 6u);
  EXPECT_FALSE(oldest.expired());  // a sixth key evicted nothing
  EXPECT_EQ(cache.entry({10, 1, 0, 0, "Stand-in"}), oldest.lock());
  ASSERT_NE(cache.entry({70, 1, 0, 0, "Stand-in"}), nullptr);
  EXPECT_EQ(cache.size(), 6u);
  EXPECT_TRUE(oldest.expired());  // the entry and its glyphs are gone
  EXPECT_NE(cache.entry({10, 1, 1, 0, "Stand-in"}), nullptr);  // style is part of the key
  EXPECT_EQ(cache.entry({0, 1, 0, 0, "Stand-in"}), nullptr);   // no face for size 0
}

TEST(TextDrawing, SmoothingFactorAndTheBoxBottom) {
  FontCache cache(OpenStandIn);
  // Drawn at four times the size and averaged down: the same 4 x 8 ink.
  auto entry = cache.entry({10, 4, 0, 0, "Stand-in"});
  ASSERT_NE(entry, nullptr);
  const CachedGlyph& g = entry->glyph(U'a');
  EXPECT_EQ(g.advance, 5);
  EXPECT_EQ(g.width, 4);
  EXPECT_EQ(g.height, 8);
  std::vector<uint8_t> pixels(40 * 40, 0);
  std::vector<uint8_t*> rows;
  for (int y = 0; y < 40; ++y) rows.push_back(&pixels[size_t(y) * 40]);
  const std::u32string text = U"ab\ncd\nef";
  const TextBox box{2, 3, 30, 15};
  const auto lines = layoutLines(*entry, text, box.width, box.height, 10);
  const DrawnArea area = drawTextLines(*entry, text, lines, box, {rows.data(), 40, 40}, 128);
  int inkedBelow = 0, inked = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x) {
      inked += pixels[size_t(y) * 40 + size_t(x)] != 0;
      if (y >= box.y + box.height) inkedBelow += pixels[size_t(y) * 40 + size_t(x)] != 0;
    }
  EXPECT_EQ(inkedBelow, 0);
  EXPECT_EQ(inked, 2 * 32 + 2 * 4 * 5);  // line 1 whole, line 2 cut at the bottom, line 3 not drawn
  EXPECT_EQ(pixels[size_t(3) * 40 + 2], 128);
  EXPECT_EQ(area.y1, box.y + box.height - 1);
}

}  // namespace

namespace {

TEST(TextFaces, DejaVuRendersInEveryStyleAndIsListedOnce) {
  const std::vector<std::string> families = qz::fonts::scalableFamilies();
  EXPECT_GE(std::count(families.begin(), families.end(), "DejaVu Sans"), 1);
  FontCache cache(qz::fonts::openTextFace);
  for (uint32_t style : {0u, uint32_t(kStyleBold), uint32_t(kStyleItalic), uint32_t(kStyleBold | kStyleItalic)}) {
    SCOPED_TRACE(style);
    auto entry = cache.entry({24, 2, style, 0, "DejaVu Sans"});
    ASSERT_NE(entry, nullptr);
    const CachedGlyph& g = entry->glyph(U'A');
    EXPECT_GT(g.width, 0);
    EXPECT_GT(g.advance, 8);
    EXPECT_GT(*std::max_element(g.coverage.begin(), g.coverage.end()), 200);
    EXPECT_EQ(entry->advance(U'\t'), 4 * entry->advance(U' '));
  }
}

}  // namespace
