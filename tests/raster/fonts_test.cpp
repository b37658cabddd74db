// The built-in face's glyph art, and the fallback when the interface face is missing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "host/fonts/font.h"
#include "support/temp_dir.h"

TEST(FixedFont, EveryPrintableGlyphIsDistinctAndInsideItsCell) {
  qz::fonts::Font& face = qz::fonts::fixedFont();
  std::set<std::vector<uint8_t>> seen;
  for (char32_t cp = 0x21; cp <= 0x7E; ++cp) {
    SCOPED_TRACE(static_cast<char>(cp));
    const qz::fonts::Glyph& g = face.glyph(cp);
    ASSERT_EQ(g.width, 8);
    ASSERT_EQ(g.height, 13);
    EXPECT_EQ(g.top, 10);
    EXPECT_EQ(g.advance, 8);
    int ink = 0;
    for (int y = 0; y < 13; ++y)
      for (int x = 0; x < 8; ++x) {
        const uint8_t a = g.coverage[y * 8 + x];
        EXPECT_TRUE(a == 0 || a == 255);
        if (a == 0) continue;
        ++ink;
        // One clear column each side and one row above, so neighbours never touch.
        EXPECT_TRUE(x >= 1 && x <= 5 && y >= 3 && y <= 11) << "pixel " << x << "," << y;
      }
    EXPECT_GT(ink, 0);
    EXPECT_TRUE(seen.insert(g.coverage).second) << "same art as another glyph";
  }
  const qz::fonts::Glyph& space = face.glyph(U' ');
  EXPECT_EQ(std::count(space.coverage.begin(), space.coverage.end(), 255), 0);
  // Anything outside printable ASCII shows as one box.
  EXPECT_EQ(&face.glyph(0x20AC), &face.glyph(0x00E9));
  EXPECT_EQ(&face.glyph(0x20AC), &face.glyph(0x0009));
  EXPECT_EQ(face.advance(0x1F600), 8);
}

TEST(FreeTypeFont, MissingInterfaceFaceFallsBackToTheFixedFace) {
  // A fresh process (the face choice and fontconfig are per process) with a
  // fontconfig that knows no fonts at all.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  qztest::TempDir dir;
  const std::string conf = dir.file("fonts.conf");
  std::ofstream(conf) << "<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"fonts.dtd\">\n<fontconfig><cachedir>"
                      << dir.file("cache") << "</cachedir></fontconfig>\n";
  EXPECT_EXIT(
      {
        setenv("FONTCONFIG_FILE", conf.c_str(), 1);
        qz::fonts::Font& first = qz::fonts::chooseDefaultFont(qz::fonts::FontChoice::Interface);
        qz::fonts::Font& again = qz::fonts::chooseDefaultFont(qz::fonts::FontChoice::Interface);
        const bool fixed = &first == &qz::fonts::fixedFont() && &again == &first &&
                           &qz::fonts::defaultFont() == &first;
        std::exit(fixed ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "DejaVu Sans.*not available(.|\n)*built-in fixed font");
}
