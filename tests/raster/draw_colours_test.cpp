// Erasing in object colours: the object's own base colour, else the nearest
// ancestor's, else the background pen; object colours only on displays that
// take direct colours.
#include <gtest/gtest.h>

#include "canvas.h"
#include "objects/draw/qz_draw.h"
#include "objects/qz_object.h"

using rastertest::Canvas;
using rastertest::kPaper;

namespace {

class ObjectColours : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(Qz_Init(), nullptr);
    group = Qz_CreateObject("Root");
    child = Qz_CreateObject("Root");
    ASSERT_NE(group, nullptr);
    ASSERT_NE(child, nullptr);
    childBox = reinterpret_cast<Qz_LayoutBox*>(Qz_DoMethod(child, kRootGetLayoutBox));
    childBox->parent = group;  // what a group does when the child joins it
    childBox->left = 1, childBox->top = 1, childBox->width = 3, childBox->height = 2;
    info.window = reinterpret_cast<struct Window*>(&fakeWindow);
    info.rastPort = &cv.rp;
    info.backgroundPen = 2;
    info.currentBox = childBox;
  }
  void TearDown() override {
    Qz_DisposeObject(child);
    Qz_DisposeObject(group);
    Qz_CleanUp();
  }

  Canvas cv{5, 4};
  Qz_DrawInfo info{};
  int fakeWindow = 0;
  Qz_Object* group = nullptr;
  Qz_Object* child = nullptr;
  Qz_LayoutBox* childBox = nullptr;
};

constexpr uint32_t kGroupColour = 0x00336699;  // COLORREF: red 0x99, green 0x66, blue 0x33
constexpr uint32_t kChildColour = 0x00112233;

}  // namespace

TEST_F(ObjectColours, EraseTakesTheNearestColourSet) {
  struct Case {
    const char* name;
    bool direct;
    uint32_t groupColour, childColour;
    uint32_t expectedRgb;
  };
  const Case cases[] = {
      {"child without colour inside a coloured group", true, kGroupColour, kQzColourNotSet, 0x00996633},
      {"the child's own colour first", true, kGroupColour, kChildColour, 0x00332211},
      {"no colour anywhere: the background pen", true, kQzColourNotSet, kQzColourNotSet, 0x00FFFFFF},
      {"no direct colours: the background pen", false, kGroupColour, kChildColour, 0x00FFFFFF},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    cv.buffer.fill(kPaper);
    info.directColours = c.direct;
    Qz_DoMethod(group, kRootSetBaseColour, c.groupColour);
    Qz_DoMethod(child, kRootSetBaseColour, c.childColour);
    Qz_EraseObjectBackground(child, &info);
    EXPECT_EQ(cv.maskOf(c.expectedRgb), "...../.###./.###./.....");
  }
}

TEST_F(ObjectColours, ToolTipFrameFillsInPenTwoOrInItsColour) {
  Qz_DoMethod(child, kRootSetBaseColour, kQzToolTipColour);
  info.backgroundPen = 3;
  info.directColours = 0;
  Qz_DrawFrame(child, &info, 0, 0, 5, 4, nullptr, 0, 6);
  EXPECT_EQ(cv.maskOf(0x00FFFFFF), "#####/#####/#####/#####");  // pen 2
  info.directColours = 1;
  Qz_DrawFrame(child, &info, 0, 0, 5, 4, nullptr, 0, 6);
  EXPECT_EQ(cv.maskOf(0x00FAFADC), "#####/#####/#####/#####");
}

TEST_F(ObjectColours, ButtonFillsWithTheLightColourOnDirectDisplays) {
  Qz_DoMethod(child, kRootSetLightColour, 0x000000FF);  // COLORREF red
  info.directColours = 1;
  Canvas big(8, 6);
  info.rastPort = &big.rp;
  Qz_DrawFrame(child, &info, 0, 0, 8, 6, nullptr, 0, 4);
  EXPECT_EQ(big.maskOf(0x00FF0000), "......../......../..####../..####../......../........");
}
