// Rast-port calls that go through a platform window: clip regions, refresh
// brackets with their damage rectangle, scrolling, pointer shapes.
#include <gtest/gtest.h>

#include "objects/draw/qz_draw.h"
#include "platform/graphics.h"
#include "platform/windows.h"
#include "support/temp_dir.h"

namespace {

constexpr uint32_t kInk = 0x020000FFu;  // direct red

class WindowGraphics : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(OpenScreenTags(nullptr), nullptr);
    window = OpenWindowTags(nullptr, WA_Left, 10, WA_Top, 10, WA_Width, 12, WA_Height, 8, WA_Flags,
                            WFLG_BORDERLESS, TAG_DONE);
    ASSERT_NE(window, nullptr);
    rp = window->RPort;
    ASSERT_NE(rp, nullptr);
    ASSERT_NE(rp->Layer, nullptr);
    ASSERT_EQ(rp->Layer->window, window);
    SetABPenDrMd(rp, 0, 0, JAM1);
    RectFill(rp, 0, 0, 11, 7);
  }
  void TearDown() override {
    if (window != nullptr) CloseWindow(window);
  }

  // '#' where the ink went, over the window's 12 x 8 backing store.
  std::string inked() {
    std::string s;
    for (int y = 0; y < 8; ++y) {
      if (y) s += '/';
      for (int x = 0; x < 12; ++x) s += ReadRGBPixel(rp, x, y) == 0x0000FFu ? '#' : '.';
    }
    return s;
  }
  void fillAll() {
    SetAPen(rp, kInk);
    RectFill(rp, 0, 0, 11, 7);
  }
  Region* region(int16_t x0, int16_t y0, int16_t x1, int16_t y1) {
    Region* r = NewRegion();
    const Rectangle rect{x0, y0, x1, y1};
    OrRectRegion(r, &rect);
    return r;
  }

  qztest::ScopedStateRoot stateRoot;
  Window* window = nullptr;
  RastPort* rp = nullptr;
};

}  // namespace

TEST_F(WindowGraphics, ClipRegionsAreInclusiveAndNarrowEachOther) {
  Region* outer = region(2, 1, 8, 5);
  Region* inner = region(5, 3, 11, 7);
  EXPECT_EQ(InstallClipRegion(rp->Layer, outer), nullptr);
  fillAll();
  EXPECT_EQ(inked(), "............/..#######.../..#######.../..#######.../..#######.../..#######.../............/............");
  SetAPen(rp, 0);
  RectFill(rp, 0, 0, 11, 7);
  InstallClipRegion(rp->Layer, inner);  // within the one already there
  fillAll();
  EXPECT_EQ(inked(), "............/............/............/.....####.../.....####.../.....####.../............/............");
  InstallClipRegion(rp->Layer, nullptr);  // not refreshing: no clip at all
  fillAll();
  EXPECT_EQ(inked(), "############/############/############/############/############/############/############/############");
  DisposeRegion(outer);
  DisposeRegion(inner);
  EXPECT_EQ(InstallClipRegion(nullptr, nullptr), nullptr);
}

TEST_F(WindowGraphics, RefreshClipsToTheDamage) {
  BeginRefresh(window);
  EXPECT_EQ(window->Refreshing, 1u);
  window->DamageMinX = 1, window->DamageMinY = 2, window->DamageMaxX = 4, window->DamageMaxY = 3;
  InstallClipRegion(rp->Layer, nullptr);
  fillAll();
  EXPECT_EQ(inked(), "............/............/.####......./.####......./............/............/............/............");
  Qz_ClearClip(rp);
  SetAPen(rp, 0);
  RectFill(rp, 0, 0, 11, 7);
  Region* r = region(3, 0, 9, 7);
  InstallClipRegion(rp->Layer, nullptr);
  InstallClipRegion(rp->Layer, r);  // the region within the damage
  fillAll();
  EXPECT_EQ(inked(), "............/............/...##......./...##......./............/............/............/............");
  DisposeRegion(r);
  EndRefresh(window);
  // The refresh's clip ends with it.
  fillAll();
  EXPECT_EQ(inked().find('.'), std::string::npos);
  EXPECT_EQ(window->Refreshing, 0u);
  EXPECT_EQ(window->DamageMinX, 32767);
  EXPECT_EQ(window->DamageMinY, 32767);
  EXPECT_EQ(window->DamageMaxX, 0);
  EXPECT_EQ(window->DamageMaxY, 0);
  InstallClipRegion(rp->Layer, nullptr);
  fillAll();
  EXPECT_EQ(inked().find('.'), std::string::npos);
}

TEST_F(WindowGraphics, ScrollMovesTheContent) {
  SetAPen(rp, kInk);
  RectFill(rp, 6, 0, 6, 7);  // a column at x = 6
  ScrollWindowRaster(window, 2, 0, 0, 0, 11, 7);
  // Moved two to the left; the two uncovered columns on the right keep what they had.
  EXPECT_EQ(inked(), "....#......./....#......./....#......./....#......./....#......./....#......./....#......./....#.......");
  ScrollWindowRaster(nullptr, 1, 1, 0, 0, 5, 5);
}

TEST_F(WindowGraphics, CursorShapesShareSystemPointers) {
  struct Case {
    int32_t shape;
    intptr_t pointer;
  };
  const Case cases[] = {{1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}, {6, 5}, {7, 7}, {8, 7},
                        {9, 9}, {12, 9}, {10, 10}, {11, 10}, {0, 0}, {13, 0}, {-4, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shape);
    EXPECT_EQ(Qz_SetCursor(window, c.shape), 1);
    EXPECT_EQ(reinterpret_cast<intptr_t>(window->Cursor), c.pointer);
  }
  EXPECT_EQ(Qz_SetCursor(nullptr, 3), 0);
}
