// The toolkit's drawing primitives: bevels, frames, curves, discs, turned text.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "canvas.h"
#include "objects/draw/qz_draw.h"

using rastertest::Canvas;
using rastertest::directPen;
using rastertest::kPaper;

namespace {

constexpr uint32_t kLight = 0x00808080, kDark = 0x00DFDFDF;

struct DrawCanvas : Canvas {
  Qz_DrawInfo info{};
  int fakeWindow = 0;
  DrawCanvas(int w, int h) : Canvas(w, h) {
    info.window = reinterpret_cast<struct Window*>(&fakeWindow);
    info.rastPort = &rp;
    info.lightPen = directPen(kLight);
    info.darkPen = directPen(kDark);
    info.backgroundPen = 0;
    info.frameWidth = info.frameHeight = 2;
  }
  // One letter per colour: S shine, D shadow, l light, d dark, f face, h highlight, '.' paper.
  std::string legend() const {
    const std::map<uint32_t, char> names = {{0x00FFFFFF, 'S'}, {0x00000000, 'D'}, {kLight, 'l'}, {kDark, 'd'},
                                            {0x00C0C0C0, 'f'}, {0x003CB4FF, 'h'}, {kPaper, '.'}};
    std::string s;
    for (int y = 0; y < buffer.height(); ++y) {
      if (y) s += '/';
      for (int x = 0; x < buffer.width(); ++x) {
        auto it = names.find(at(x, y));
        s += it != names.end() ? it->second : '?';
      }
    }
    return s;
  }
};

}  // namespace

TEST(Bevels, PenSequences) {
  DrawCanvas bevel(6, 5), indent(6, 5);
  Qz_DrawBevel(&bevel.info, 0, 0, 6, 5);
  EXPECT_EQ(bevel.legend(), "SSSSSS/SddddD/Sd..lD/SdlllD/DDDDDD");
  Qz_DrawIndent(&indent.info, 0, 0, 6, 5);
  EXPECT_EQ(indent.legend(), "lllllS/lDDDdS/lD..dS/lDdddS/lDSSSS");
  Qz_DrawBevel(nullptr, 0, 0, 6, 5);  // no info: nothing, no crash
}

TEST(DrawFrame, StylesThatDrawNothing) {
  for (uint32_t style : {0u, 16u, 17u, 19u, 23u, 0x80u, 0x90u, 200u}) {
    SCOPED_TRACE(style);
    DrawCanvas cv(30, 20);
    Qz_DrawFrame(nullptr, &cv.info, 2, 2, 20, 12, "T", 0, style);
    EXPECT_TRUE(cv.allPaper());
  }
  DrawCanvas cv(30, 20);
  Qz_DrawFrame(nullptr, nullptr, 2, 2, 20, 12, nullptr, 0, 1);
  cv.info.window = nullptr;  // a closed window draws nothing
  Qz_DrawFrame(nullptr, &cv.info, 2, 2, 20, 12, nullptr, 0, 1);
  EXPECT_TRUE(cv.allPaper());
}

TEST(DrawFrame, GroupBitAndEmptyTitle) {
  struct Case {
    const char* name;
    uint32_t style, same;
    const char* title;
    const char* sameTitle;
  };
  const Case cases[] = {
      {"0x84 is style 4", 0x84, 4, "Go", "Go"},
      {"0x83 is the groove", 0x83, 3, "Group", "Group"},
      {"an empty title is no title", 1, 1, "", nullptr},
      {"an empty groove title is no title", 3, 3, "", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DrawCanvas a(60, 30), b(60, 30);
    Qz_DrawFrame(nullptr, &a.info, 3, 4, 50, 22, c.title, 0, c.style);
    Qz_DrawFrame(nullptr, &b.info, 3, 4, 50, 22, c.sameTitle, 0, c.same);
    EXPECT_FALSE(a.allPaper());
    EXPECT_EQ(a.legend(), b.legend());
  }
}

TEST(DrawFrame, TitledBevelStartsTwoThirdsDownAndTheTitleCoversIt) {
  DrawCanvas cv(40, 30);
  ASSERT_EQ(cv.rp.TxHeight, 13);
  Qz_DrawFrame(nullptr, &cv.info, 0, 0, 40, 30, "Ab", 0, 1);
  // Bevel (1, 8, 38, 21): its shine top line is row 8, from column 1 to 38.
  EXPECT_EQ(cv.at(1, 8), 0x00FFFFFFu);
  EXPECT_EQ(cv.at(11, 8), 0x00FFFFFFu);
  EXPECT_EQ(cv.at(28, 8), 0x00FFFFFFu);
  EXPECT_EQ(cv.at(1, 7), kPaper);
  // The title ("Ab", 16 wide) is centred: columns 12..27, rows 1..13, in pen 1 on pen 0.
  for (int x = 12; x < 28; ++x) EXPECT_NE(cv.at(x, 8), 0x00FFFFFFu) << x;
  EXPECT_EQ(cv.at(12, 1), 0x00C0C0C0u);
  EXPECT_EQ(cv.at(27, 13), 0x00C0C0C0u);
  // Shadow bottom line of the bevel at row 8 + 21 - 1.
  EXPECT_EQ(cv.at(20, 28), 0u);
}

TEST(DrawFrame, TitleRowsHalveDownwardsForLowFrames) {
  // Style 4 puts the title at ty + (h - T - 2) / 2 rounded down: h 6, T 13
  // gives -4.5 -> -5, so the cell starts at 10 + 1 - 5 = 6 and the I's top
  // bar (three rows into the cell) is on row 9, not 10.
  DrawCanvas cv(30, 30);
  Qz_DrawFrame(nullptr, &cv.info, 2, 10, 20, 6, "I", 0, 4);
  const int tx = 2 + (20 - 8) / 2;
  EXPECT_EQ(cv.at(tx + 2, 9), 0u);
  EXPECT_EQ(cv.at(tx + 3, 8), kPaper);
  // A title wider than the frame starts left of it.
  DrawCanvas wide(60, 30);
  Qz_DrawFrame(nullptr, &wide.info, 20, 2, 10, 26, "WWWW", 0, 4);  // tx = 20 + (10 - 32) / 2 = 9
  bool inkLeftOfFrame = false;
  for (int y = 0; y < 30; ++y) inkLeftOfFrame |= wide.at(10, y) == 0u;
  EXPECT_TRUE(inkLeftOfFrame);
}

TEST(DrawFrame, SeparatorAndFills) {
  DrawCanvas sep(8, 5);
  Qz_DrawFrame(nullptr, &sep.info, 1, 0, 5, 4, nullptr, 0, 20);  // rows y, y+1, y+h-1; x to x+w inclusive
  EXPECT_EQ(sep.legend(), ".llllll./.SSSSSS./......../.DDDDDD./........");
  // Without object colours, style 8 fills the box in pen 3 and style 5 fills inside its frame.
  DrawCanvas eight(6, 4);
  Qz_DrawFrame(nullptr, &eight.info, 0, 0, 6, 4, nullptr, 0, 8);
  EXPECT_EQ(eight.legend(), "hhhhhh/hhhhhh/hhhhhh/hhhhhh");
  DrawCanvas five(8, 7);
  Qz_DrawFrame(nullptr, &five.info, 0, 0, 8, 7, nullptr, 0, 5);
  EXPECT_EQ(five.legend(), "lllllllS/lDDDDDdS/lDhhhhdS/lDhhhhdS/lDhhhhdS/lDdddddS/lDSSSSSS");
}

TEST(DrawFrame, DiscsAndRadioButtons) {
  DrawCanvas raised(13, 11), sunken(13, 11);
  Qz_DrawFrame(nullptr, &raised.info, 0, 0, 13, 11, nullptr, 0, 12);
  Qz_DrawFrame(nullptr, &sunken.info, 0, 0, 13, 11, nullptr, 0, 13);
  // Raised: shine towards the top-left, shadow towards the bottom-right; sunken the other way.
  EXPECT_EQ(raised.at(1, 5), 0x00FFFFFFu);
  EXPECT_EQ(raised.at(12, 7), 0u);
  EXPECT_EQ(sunken.at(1, 5), 0u);
  EXPECT_EQ(sunken.at(12, 7), 0x00FFFFFFu);
  EXPECT_EQ(raised.at(6, 5), 0x00C0C0C0u);  // face in the middle
  DrawCanvas off(13, 13), on(13, 13);
  Qz_DrawFrame(nullptr, &off.info, 0, 0, 13, 13, nullptr, 0, 21);
  Qz_DrawFrame(nullptr, &on.info, 0, 0, 13, 13, nullptr, 0, 22);
  EXPECT_EQ(off.at(6, 6), 0x00FFFFFFu);
  EXPECT_EQ(on.at(6, 6), 0u);  // the dot
  EXPECT_EQ(on.at(0, 0), kPaper);
}

TEST(DrawBezier, StraightWithOneStepAndThroughTheMiddlePoint) {
  Canvas curve(12, 12), line(12, 12);
  Qz_DrawBezier(&curve.rp, 0, 0, 5, 3, 11, 7, 1);
  DrawLine(&line.rp, 0, 0, 11, 7, 0);
  EXPECT_EQ(curve.mask(), line.mask());
  EXPECT_EQ(curve.rp.cp_x, 0);
  EXPECT_EQ(curve.rp.cp_y, 0);

  // Four steps through (0, 8), (4, 0), (8, 8): control (4, -8); points at
  // t = 1/4, 1/2, 3/4 are (1, 1), (4, 0), (5, 1): each of the three terms is
  // truncated on its own, so the curve leans left. The end (8, 8) is left out.
  Canvas four(9, 9);
  Qz_DrawBezier(&four.rp, 0, 8, 4, 0, 8, 8, 4);
  EXPECT_EQ(four.mask(),
            "...##..../.##..#.../.#...#.../.#....#../.#....#../#......#./#......#./#.......#/#........");
  EXPECT_EQ(four.rp.cp_x, 0);
  EXPECT_EQ(four.rp.cp_y, 8);
  EXPECT_DOUBLE_EQ(Qz__BezierWeight(1, 0.5), 0.5);
  EXPECT_DOUBLE_EQ(Qz__BezierWeight(2, 0.25), 0.0625);
  EXPECT_DOUBLE_EQ(Qz__BezierWeight(3, 0.5), 0.0);

  Canvas twice(16, 16);
  SetAPen(&twice.rp, 2);
  RectFill(&twice.rp, 0, 0, 7, 15);
  auto pixels = [&] {
    std::vector<uint32_t> v;
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) v.push_back(twice.at(x, y));
    return v;
  };
  const std::vector<uint32_t> before = pixels();
  SetABPenDrMd(&twice.rp, 1, 0, COMPLEMENT);  // not-xor with black inverts
  Qz_DrawBezier(&twice.rp, 1, 14, 7, 2, 14, 14, 9);
  EXPECT_NE(pixels(), before);
  EXPECT_EQ(twice.at(1, 14), 0x00000000u);  // white start pixel inverted
  Qz_DrawBezier(&twice.rp, 1, 14, 7, 2, 14, 14, 9);
  EXPECT_EQ(pixels(), before);
}

TEST(FillEllipse, ForegroundInsideOutlinePenAround) {
  Canvas cv(9, 7);
  SetAPen(&cv.rp, directPen(0x00AA0000));
  cv.rp.AOlPen = 1;
  Qz_FillEllipse(&cv.rp, 4, 3, 3, 2);  // box 1..6 x 1..4
  EXPECT_EQ(cv.maskOf(0x00AA0000), "........./........./..####.../..####.../........./........./.........");
  EXPECT_EQ(cv.maskOf(0u), "........./..####.../.#....#../.#....#../..####.../........./.........");
}

TEST(DrawRotatedText, TwoSeventyReadsUpFromBelowThePen) {
  Canvas turned(15, 30), flat(30, 15);
  SetAPen(&turned.rp, 1);
  Move(&turned.rp, 1, 2);
  Qz_DrawRotatedText(&turned.rp, "Hi", 2, 270);
  EXPECT_EQ(turned.rp.cp_x, 1);
  SetABPenDrMd(&flat.rp, 1, 0, JAM1);
  Text(&flat.rp, "Hi", 2);
  // Unturned (u, v) lands at (1 + v, 2 + 16 - 1 - u): columns 1..13, rows 2..17.
  for (int v = 0; v < 13; ++v)
    for (int u = 0; u < 16; ++u) EXPECT_EQ(turned.at(1 + v, 17 - u), flat.at(u, v)) << u << "," << v;
  for (int angle : {0, 90, 180}) {
    Canvas none(15, 30);
    Qz_DrawRotatedText(&none.rp, "Hi", 2, angle);
    EXPECT_TRUE(none.allPaper()) << angle;
  }
}
