// Text: the fixed face's exact extents and glyph placement, fitting, draw
// modes, quarter-turned text, UTF-8 decoding, and FreeType faces.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "canvas.h"
#include "host/fonts/font.h"

using rastertest::Canvas;
using rastertest::kPaper;

namespace {
int32_t len(const char* s) { return static_cast<int32_t>(std::strlen(s)); }
}  // namespace

TEST(FixedFont, ExtentsAreEightPixelsPerCharacter) {
  struct Case {
    const char* name;
    const char* text;
    int32_t width;
  };
  const Case cases[] = {
      {"empty", "", 0},
      {"ascii", "Hello", 40},
      {"two-byte character", "\xC3\xA9", 8},
      {"mixed", "a\xC3\xA9" "b", 24},
      {"four-byte character", "\xF0\x9F\x98\x80", 8},
      {"malformed bytes count one each", "\xFF\xFE", 16},
  };
  Canvas cv(1, 1);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(TextLength(&cv.rp, c.text, len(c.text)), c.width);
  }
  EXPECT_EQ(cv.rp.TxHeight, 13);
  EXPECT_EQ(qz::fonts::fixedFont().ascent(), 10);
  EXPECT_EQ(TextLength(&cv.rp, "abc", -1), 0);
  EXPECT_EQ(TextLength(&cv.rp, nullptr, 3), 0);
}

TEST(TextFit, LongestLeadingRunThatFits) {
  struct Case {
    const char* name;
    const char* text;
    int32_t maxWidth;
    int32_t bytes;
  };
  const Case cases[] = {
      {"narrower than the first character", "Hello", 7, 0},
      {"zero width", "Hello", 0, 0},
      {"exactly one", "Hello", 8, 1},
      {"one short of all", "Hello", 39, 4},
      {"all", "Hello", 40, 5},
      {"more than enough", "Hello", 1000, 5},
      {"never splits a character", "a\xC3\xA9" "b", 15, 1},
      {"whole two-byte character", "a\xC3\xA9" "b", 16, 3},
      {"negative width", "Hello", -5, 0},
  };
  Canvas cv(1, 1);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(TextFit(&cv.rp, c.text, len(c.text), c.maxWidth), c.bytes);
  }
}

TEST(Text, GlyphSitsInItsCellAndThePenAdvances) {
  Canvas cv(10, 14);
  SetABPenDrMd(&cv.rp, 1, 2, JAM1);
  Move(&cv.rp, 1, 1);
  EXPECT_EQ(Text(&cv.rp, "I", 1), 8);
  EXPECT_EQ(cv.rp.cp_x, 9);
  EXPECT_EQ(cv.rp.cp_y, 1);
  // Cap line 3 rows below the cell top, baseline row 10: ink on rows 4..10 here.
  EXPECT_EQ(cv.mask(),
            ".........."  "/.........."  "/.........."  "/.........."
            "/...###...."  "/....#....."  "/....#....."  "/....#....."
            "/....#....."  "/....#....."  "/...###...."  "/.........."
            "/.........."  "/..........");
}

TEST(Text, DrawModeDecidesTheBackground) {
  struct Case {
    const char* name;
    uint8_t mode;
    bool cellFilled;
  };
  const Case cases[] = {{"JAM1 keeps the paper", JAM1, false},
                        {"JAM2 fills the cell", JAM2, true},
                        {"complement keeps the paper", COMPLEMENT, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Canvas cv(20, 15);
    SetABPenDrMd(&cv.rp, 1, 2, c.mode);
    Move(&cv.rp, 2, 1);
    Text(&cv.rp, "gA", 2);
    const uint32_t white = 0x00FFFFFF;
    EXPECT_EQ(cv.at(2, 1) == white, c.cellFilled);    // cell's top-left corner
    EXPECT_EQ(cv.at(17, 13) == white, c.cellFilled);  // cell's bottom-right corner
    EXPECT_EQ(cv.at(18, 13), kPaper);                 // just right of the text
    EXPECT_EQ(cv.at(2, 14), kPaper);                  // just below the cell
    EXPECT_EQ(cv.maskOf(0).find('#') != std::string::npos, true);
    // The descender of g reaches two rows below the baseline (row 1 + 10 + 1).
    bool descender = false;
    for (int x = 2; x < 10; ++x) descender |= cv.at(x, 12) == 0u;
    EXPECT_TRUE(descender);
  }
}

TEST(Text, QuarterTurns) {
  // "LT" unturned on an 16 x 13 canvas, then turned: each ink pixel of the
  // unturned text (u, v) must land where the turn sends it.
  Canvas flat(16, 13);
  SetABPenDrMd(&flat.rp, 1, 0, JAM1);
  Move(&flat.rp, 0, 0);
  ASSERT_EQ(Text(&flat.rp, "LT", 2), 16);
  struct Case {
    const char* name;
    int angle, refX, refY;
    int (*mapX)(int u, int v);
    int (*mapY)(int u, int v);
  };
  const Case cases[] = {
      {"90 reads bottom to top", 90, 0, 16, [](int, int v) { return v; }, [](int u, int) { return 15 - u; }},
      {"270 reads top to bottom", 270, 13, 0, [](int, int v) { return 12 - v; }, [](int u, int) { return u; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Canvas turned(13, 16);
    SetABPenDrMd(&turned.rp, 1, 0, JAM2);  // turned text is always transparent
    EXPECT_EQ(Qz_TextRotated(&turned.rp, c.refX, c.refY, "LT", 2, c.angle), 16);
    EXPECT_EQ(turned.rp.cp_x, 0);
    int ink = 0;
    for (int v = 0; v < 13; ++v)
      for (int u = 0; u < 16; ++u) {
        const bool on = flat.at(u, v) == 0u;
        ink += on;
        EXPECT_EQ(turned.at(c.mapX(u, v), c.mapY(u, v)) == 0u, on) << "u " << u << " v " << v;
      }
    EXPECT_GT(ink, 10);
  }
  // 90: the first character is the lower one; its L-foot is at the bottom right.
  Canvas up(13, 16);
  Qz_TextRotated(&up.rp, 0, 16, "LT", 2, 90);
  EXPECT_EQ(up.at(9, 14), qz::raster::rgbFromColorRef(Qz_GetScreenPens()[0]));
  Canvas none(13, 16);
  EXPECT_EQ(Qz_TextRotated(&none.rp, 0, 16, "LT", 2, 180), 0);
  EXPECT_EQ(Qz_TextRotated(&none.rp, 0, 16, "", 0, 90), 0);
  EXPECT_TRUE(none.allPaper());
}

TEST(Utf8, DecodingOneCodePointAtATime) {
  struct Case {
    const char* name;
    const char* bytes;
    int length;
    char32_t first;
    int advance;
  };
  const Case cases[] = {
      {"ascii", "A", 1, U'A', 1},
      {"two bytes", "\xC3\xA9", 2, U'\u00E9', 2},
      {"three bytes", "\xE2\x82\xAC", 3, U'\u20AC', 3},
      {"four bytes", "\xF0\x9F\x98\x80", 4, U'\U0001F600', 4},
      {"overlong", "\xC0\x80", 2, 0xFFFD, 1},
      {"surrogate", "\xED\xA0\x80", 3, 0xFFFD, 1},
      {"beyond U+10FFFF", "\xF4\x90\x80\x80", 4, 0xFFFD, 1},
      {"cut by the length", "\xE2\x82\xAC", 2, 0xFFFD, 1},
      {"lone continuation", "\x80", 1, 0xFFFD, 1},
      {"bad continuation", "\xC3(", 2, 0xFFFD, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    int i = 0;
    EXPECT_EQ(qz::fonts::decodeUtf8(c.bytes, c.length, i), c.first);
    EXPECT_EQ(i, c.advance);
  }
}

TEST(FreeTypeFont, InterfaceFaceDrawsAntialiasedText) {
  qz::fonts::Font* face = qz::fonts::openFreeTypeFont("DejaVu Sans", 11);
  if (face == nullptr) GTEST_SKIP() << "DejaVu Sans is not installed";
  EXPECT_EQ(face->name(), "DejaVu Sans");
  EXPECT_GE(face->height(), 11);
  EXPECT_LE(face->height(), 16);
  EXPECT_EQ(qz::fonts::openFreeTypeFont("DejaVu Sans", 11), face);  // opened once

  Canvas cv(80, 20);
  Qz_SetRastPortFont(&cv.rp, face);
  EXPECT_EQ(cv.rp.TxHeight, face->height());
  const int32_t one = TextLength(&cv.rp, "Wide", 4);
  EXPECT_GT(one, 16);
  EXPECT_EQ(TextLength(&cv.rp, "WideWide", 8), 2 * one);
  EXPECT_LT(TextLength(&cv.rp, "iiii", 4), one);  // proportional, unlike the fixed face
  SetABPenDrMd(&cv.rp, 1, 0, JAM1);
  Move(&cv.rp, 2, 2);
  EXPECT_EQ(Text(&cv.rp, "Wide", 4), one);
  int ink = 0, partial = 0, outside = 0;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 80; ++x) {
      const uint32_t p = cv.at(x, y);
      if (p == kPaper) continue;
      const bool inCell = x >= 2 && x < 2 + one + 1 && y >= 2 && y < 2 + face->height();
      outside += !inCell;
      (p == 0 ? ink : partial)++;
    }
  EXPECT_GT(ink, 0);
  EXPECT_GT(ink + partial, 30);
  EXPECT_GT(partial, 0);  // edges are blended with the paper
  EXPECT_EQ(outside, 0);
}

TEST(FreeTypeFont, ChoiceAndFallback) {
  EXPECT_EQ(&qz::fonts::defaultFont(), &qz::fonts::fixedFont());  // until a host chooses
  // A family fontconfig does not know resolves to its best match.
  EXPECT_NE(qz::fonts::openFreeTypeFont("No Such Family Anywhere", 12), nullptr);
  EXPECT_EQ(qz::fonts::openFreeTypeFont("DejaVu Sans", 0), nullptr);
  qz::fonts::Font& chosen = qz::fonts::chooseDefaultFont(qz::fonts::FontChoice::Interface);
  EXPECT_EQ(&qz::fonts::defaultFont(), &chosen);
  RastPort rp{};
  Qz_AttachRastPort(&rp, nullptr);
  EXPECT_EQ(rp.Font, &chosen);
  EXPECT_EQ(&qz::fonts::chooseDefaultFont(qz::fonts::FontChoice::Fixed), &qz::fonts::fixedFont());
}
