// The page set-up's arithmetic: papers, fitting, typed sizes and the values
// it refuses.
#include "requesters/page_layout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using namespace qz::page;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

TEST(PageLayout, PaperTable) {
  struct Case {
    int32_t index;
    float width, height;
    int32_t unit;
  };
  const Case cases[] = {
      {kLetter, 215.9004f, 279.40057f, kUnitInches},
      {kLegal, 215.9004f, 355.6007f, kUnitInches},
      {kA4, 210.0f, 297.0f, kUnitCentimetres},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(paperRow(c.index).label);
    PageLayout page;
    ASSERT_TRUE(choosePaper(page, c.index));
    EXPECT_EQ(page.paperWidth, c.width);
    EXPECT_EQ(page.paperHeight, c.height);
    EXPECT_EQ(page.unit, c.unit);
  }
  // The custom rows keep the size and change only the unit.
  PageLayout page;
  choosePaper(page, kA4);
  ASSERT_TRUE(choosePaper(page, kCustomInches));
  EXPECT_EQ(page.paperWidth, 210.0f);
  EXPECT_EQ(page.unit, kUnitInches);
  EXPECT_FALSE(choosePaper(page, 5));
  EXPECT_FALSE(choosePaper(page, -1));
  EXPECT_EQ(page.paper, kCustomInches);
}

TEST(PageLayout, TypingAPaperSizeMakesItCustomInTheShownUnit) {
  PageLayout page;
  choosePaper(page, kA4);
  ASSERT_TRUE(typePaperWidth(page, 200.0f));
  EXPECT_EQ(page.paper, kCustomCentimetres);
  EXPECT_EQ(page.paperWidth, 200.0f);
  choosePaper(page, kLegal);
  ASSERT_TRUE(typePaperHeight(page, 300.0f));
  EXPECT_EQ(page.paper, kCustomInches);
}

TEST(PageLayout, FitsTheImageInsideTheMargins) {
  struct Case {
    const char* name;
    int32_t paper;
    int32_t imageWidth, imageHeight;
    float margin;
    float printWidth, printHeight;
  };
  const Case cases[] = {
      {"wide picture on A4 with 10 mm margins", kA4, 2000, 1000, 10, 190, 95},
      {"tall picture limited by the height", kA4, 1000, 3000, 10, 277.0f / 3, 277},
      {"landscape paper, narrow picture", kCustomCentimetres, 100, 200, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PageLayout page;
    choosePaper(page, c.paper);
    if (c.paper == kCustomCentimetres) {
      typePaperWidth(page, 300);
      typePaperHeight(page, 200);
    }
    for (int side = 0; side < 4; ++side) setMargin(page, Margin(side), c.margin);
    setImage(page, c.imageWidth, c.imageHeight, 72);
    setFit(page, true);
    if (c.printWidth == 0) {  // 300 x 200 area: the height limits, 100 x 200 pixels
      EXPECT_FLOAT_EQ(page.printHeight, 200);
      EXPECT_FLOAT_EQ(page.printWidth, 100);
    } else {
      EXPECT_FLOAT_EQ(page.printWidth, c.printWidth);
      EXPECT_FLOAT_EQ(page.printHeight, c.printHeight);
    }
    EXPECT_FLOAT_EQ(page.resolution, float(c.imageWidth) / (page.printWidth * kInchesPerMillimetre));
  }
}

TEST(PageLayout, DoublingTheResolutionHalvesThePrintAndStopsFitting) {
  PageLayout page;
  choosePaper(page, kA4);
  setImage(page, 2000, 1000, 72);
  setFit(page, true);
  const float width = page.printWidth, height = page.printHeight;
  ASSERT_TRUE(typeResolution(page, page.resolution * 2));
  EXPECT_FALSE(page.fit);
  EXPECT_FLOAT_EQ(page.printWidth, width / 2);
  EXPECT_FLOAT_EQ(page.printHeight, height / 2);
}

TEST(PageLayout, PrintedWidthSetsTheResolution) {
  PageLayout page;
  setImage(page, 600, 300, 72);
  EXPECT_FLOAT_EQ(page.printWidth, 600 / 72.0f * kMillimetresPerInch);
  ASSERT_TRUE(typePrintWidth(page, 127.0f));
  EXPECT_NEAR(page.printWidth, 127.0f, 1e-3);
  EXPECT_NEAR(page.printHeight, 63.5f, 1e-3);
  EXPECT_FLOAT_EQ(page.resolution, 600 / (127.0f * kInchesPerMillimetre));
}

TEST(PageLayout, RefusesSizesThatWouldDivideByZero) {
  PageLayout page;
  setImage(page, 640, 480, 72);
  const PageLayout before = page;
  for (float bad : {0.0f, -5.0f, kNaN, kInf}) {
    SCOPED_TRACE(bad);
    EXPECT_FALSE(typeResolution(page, bad));
    EXPECT_FALSE(typePrintWidth(page, bad));
    EXPECT_FALSE(typePrintHeight(page, bad));
    EXPECT_FALSE(typePaperWidth(page, bad));
    EXPECT_FALSE(typePaperHeight(page, bad));
    EXPECT_EQ(page.resolution, before.resolution);
    EXPECT_EQ(page.printWidth, before.printWidth);
    EXPECT_EQ(page.paperWidth, before.paperWidth);
  }
  EXPECT_FALSE(setMargin(page, kLeft, -1));
  EXPECT_FALSE(setMargin(page, kLeft, kNaN));

  // No image: nothing to fit, no printed size to type.
  PageLayout empty;
  setFit(empty, true);
  EXPECT_FALSE(fitToPage(empty));
  EXPECT_FALSE(typePrintWidth(empty, 100));
  // An image without a resolution counts as 72 dots per inch.
  PageLayout unknown;
  setImage(unknown, 72, 72, kNaN);
  EXPECT_EQ(unknown.resolution, 72.0f);

  // Margins wider than the paper leave the smallest area, never a negative one.
  PageLayout wide;
  choosePaper(wide, kA4);
  setImage(wide, 100, 100, 72);
  setMargin(wide, kLeft, 150);
  setMargin(wide, kRight, 150);
  setFit(wide, true);
  EXPECT_TRUE(positive(wide.printWidth));
  EXPECT_TRUE(positive(wide.resolution));
  EXPECT_FLOAT_EQ(wide.printWidth, kMinimumArea);
}

}  // namespace
