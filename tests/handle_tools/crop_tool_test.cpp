// The crop tool and CropAction: drag boxes either way, a pending crop that
// changes nothing until the crop button, panel edits that move it, commit
// and undo byte-exact, cancel on deactivation for every open image, and
// crop or enlarge with margins, layers cut at their offsets and moved.
#include <gtest/gtest.h>

#include "actions/crop_image.h"
#include "raster/canvas.h"
#include "gadgets/qz_text_entry.h"
#include "gadgets/qz_widgets.h"
#include "handle_tools/handle_tools_fixture.h"
#include "tools/crop_box.h"
#include "tools/handle_overlay.h"

namespace {

using namespace handle_tools_test;
using namespace qz::tools;

TEST(CropDragBox, BothDirectionsCoverThePressAndReleaseColumns) {
  struct Case {
    const char* name;
    int32_t px, py, x, y;
    DragBox expected;
  } cases[] = {
      {"left to right", 10, 5, 13, 8, {10, 5, 4, 4}},
      {"right to left", 13, 8, 10, 5, {10, 5, 4, 4}},
      {"one column left", 10, 5, 9, 5, {9, 5, 2, 1}},
      {"a click", 10, 5, 10, 5, {10, 5, 1, 1}},
      {"far apart", -2000000000, 0, 2000000000, 0, {-2000000000, 0, INT32_MAX, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(dragBox(c.px, c.py, c.x, c.y), c.expected);
  }
}

class CropToolTest : public ::testing::Test {
 protected:
  static constexpr int32_t kWidth = 40, kHeight = 30;
  void SetUp() override {
    gZoomPercent = 100;
    d_.Open(kWidth, kHeight);
    d_.Paint();
    d_.MakeActive();
    tool_ = Qz_CreateObject("CropTool");
    ASSERT_NE(tool_, nullptr);
    panel_ = reinterpret_cast<Qz_Object*>(Qz_DoMethod(tool_, kToolGetOptions));
  }
  void TearDown() override {
    Qz_DisposeObject(tool_);
    d_.Close();
  }
  Qz_Object* Edit(uint32_t which) { return FindGadget(panel_, kStringEditClassId, which); }
  void Type(uint32_t which, int32_t value) {
    Qz_Object* edit = Edit(which);
    ASSERT_NE(edit, nullptr);
    Qz_DoMethod(edit, kStringEditSetNumber, uint32_t(value));
    Qz_DoNotify(edit, kStringEditSetNumber, uint32_t(value));
  }
  void Press(uint32_t which) {
    Qz_Object* button = FindGadget(panel_, kButtonClassId, which);
    ASSERT_NE(button, nullptr);
    Qz_DoNotify(button, kButtonPressed, 1u);
  }
  Qz_Object* Pending(const Document& d) {
    Qz_Object* a = selectedActionOf(d.doc, kCropActionClassId);
    return a && Qz_DoMethod(a, kActionGetQualifier) == 0 ? a : nullptr;
  }

  Document d_;
  Qz_Object* tool_ = nullptr;
  Qz_Object* panel_ = nullptr;
};

TEST_F(CropToolTest, ADragAndTheHandlesMakeAPendingCropThatChangesNothing) {
  const uint32_t before = d_.Steps();
  Drag(tool_, d_.doc, 25, 20, 5, 4);  // right to left
  ASSERT_EQ(d_.Steps(), before + 1);
  Qz_Object* crop = Pending(d_);
  ASSERT_NE(crop, nullptr);
  EXPECT_EQ(actionPoints(crop), (Points{{5, 4}, {26, 4}, {26, 21}, {5, 21}}));
  EXPECT_EQ(d_.doc->width, kWidth);
  // The bottom-right handle, pulled back by (-6, -3), goes through the handle editor.
  EXPECT_EQ(Input(tool_, d_.doc, IDCMP_MOUSEBUTTONS, SELECTDOWN, 28, 23), 0u);
  Input(tool_, d_.doc, IDCMP_MOUSEBUTTONS, SELECTUP, 22, 20);
  EXPECT_EQ(actionPoints(crop), (Points{{5, 4}, {20, 4}, {20, 18}, {5, 18}}));
  EXPECT_EQ(Qz_DoMethod(Edit(2), kStringEditGetNumber), 15u);  // the panel follows
}

TEST_F(CropToolTest, TypedXMovesAllPointsAndTypedWidthTheRightEdge) {
  Drag(tool_, d_.doc, 5, 4, 14, 13);
  Qz_Object* crop = Pending(d_);
  ASSERT_NE(crop, nullptr);
  Type(0, 8);
  EXPECT_EQ(actionPoints(crop), (Points{{8, 4}, {18, 4}, {18, 14}, {8, 14}}));
  Type(2, 20);
  EXPECT_EQ(actionPoints(crop), (Points{{8, 4}, {28, 4}, {28, 14}, {8, 14}}));
  Type(3, 5);
  EXPECT_EQ(actionPoints(crop), (Points{{8, 4}, {28, 4}, {28, 9}, {8, 9}}));
}

TEST_F(CropToolTest, TheCropButtonCutsAsOneStepAndOneUndoRestoresEveryByte) {
  const std::vector<uint8_t> original = d_.Bytes();
  Drag(tool_, d_.doc, 5, 4, 14, 13);
  const uint32_t steps = d_.Steps();
  Press(4);
  EXPECT_EQ(d_.Steps(), steps);  // the pending crop became the step
  ASSERT_EQ(d_.doc->width, 10);
  ASSERT_EQ(d_.doc->height, 10);
  EXPECT_EQ(Pending(d_), nullptr);
  for (int32_t y = 0; y < 10; ++y)
    for (int32_t x = 0; x < 10; ++x) {
      ASSERT_EQ(d_.doc->undoR[y][x], uint8_t((x + 5) * 3 + y + 4));
      ASSERT_EQ(d_.layer->grey[y][x], uint8_t((x + 5) * 7 + (y + 4) * 11));
    }
  ASSERT_EQ(Qz_UndoImageAction(d_.doc), 1u);
  ASSERT_EQ(d_.doc->width, kWidth);
  ASSERT_EQ(d_.layer->width, kWidth);
  EXPECT_EQ(d_.Bytes(), original);
}

TEST_F(CropToolTest, TheCropButtonWithNothingPendingUsesTheEditsAndRefusesAnEmptyBox) {
  Type(0, 2), Type(1, 3), Type(2, 0), Type(3, 7);
  Press(4);
  EXPECT_EQ(d_.doc->width, kWidth);  // width 0: nothing
  Type(2, 6);
  Press(4);
  EXPECT_EQ(d_.doc->width, 6);
  EXPECT_EQ(d_.doc->height, 7);
  EXPECT_EQ(d_.doc->undoB[0][0], uint8_t(2 ^ 3));
}

TEST_F(CropToolTest, ChoosingAnotherToolRemovesOnlyPendingCropsOfEveryImage) {
  Document other;
  other.Open(20, 20);
  Drag(tool_, d_.doc, 2, 2, 11, 11);
  Press(4);  // committed on the first image
  ASSERT_EQ(d_.doc->width, 10);
  Drag(tool_, d_.doc, 1, 1, 4, 4);  // then pending on both
  Drag(tool_, other.doc, 1, 1, 8, 8);
  ASSERT_NE(Pending(d_), nullptr);
  ASSERT_NE(Pending(other), nullptr);
  const uint32_t steps = d_.Steps(), otherSteps = other.Steps();
  Qz_DoMethod(tool_, kToolActivate);
  Qz_DoMethod(tool_, kToolDeactivate);
  EXPECT_EQ(Pending(d_), nullptr);
  EXPECT_EQ(Pending(other), nullptr);
  EXPECT_EQ(d_.Steps(), steps - 1);
  EXPECT_EQ(other.Steps(), otherSteps - 1);
  EXPECT_EQ(qz::actions::classIdOf(d_.Newest()), kCropActionClassId);  // the committed one stays
  EXPECT_EQ(d_.doc->width, 10);
  other.Close();
}

// ---- crop or enlarge ----------------------------------------------------------------

TEST_F(CropToolTest, EnlargingByTenWithWhiteGivesExactMargins) {
  Qz_Object* crop = makeCornerAction("CropAction", nullptr, {-10, -10, kWidth + 20, kHeight + 20});
  ASSERT_NE(crop, nullptr);
  Qz_DoMethod(crop, kCropActionSetFill, 0xFFFFFFu);
  Qz_DoMethod(crop, kActionSetQualifier, 1u);
  ASSERT_EQ(Qz_AddImageAction(d_.doc, crop, 0), 1u);
  ASSERT_EQ(Qz_DoMethod(crop, kActionApply), 1u);
  ASSERT_EQ(d_.doc->width, kWidth + 20);
  ASSERT_EQ(d_.doc->height, kHeight + 20);
  for (int32_t y = 0; y < d_.doc->height; ++y)
    for (int32_t x = 0; x < d_.doc->width; ++x) {
      const bool margin = x < 10 || y < 10 || x >= kWidth + 10 || y >= kHeight + 10;
      const uint8_t r = margin ? 255 : uint8_t((x - 10) * 3 + y - 10);
      ASSERT_EQ(d_.doc->undoR[y][x], r) << x << "," << y;
      ASSERT_EQ(d_.doc->r[y][x] == 255, margin || r == 255) << x << "," << y;
      if (margin) {
        ASSERT_EQ(d_.doc->undoB[y][x], 255);
      }
    }
}

TEST_F(CropToolTest, OffsetLayersAreCutAtTheirPlaceAndOtherLayersMove) {
  // A smaller paint layer placed at (5, 3) and an image layer at (2, 2).
  auto* small = reinterpret_cast<Qz_Image*>(Qz_CreateObject("Image", kQzImageSetType, kQzPaintLayer));
  small->parent = d_.doc;
  ASSERT_NE(Qz_AllocImage(small, 20, 20, 8, kQzAllocNoThread, nullptr), nullptr);
  for (int32_t y = 0; y < 20; ++y)
    for (int32_t x = 0; x < 20; ++x) small->grey[y][x] = uint8_t(x * 16 + y);
  Qz_DoMethod(&d_.doc->object, kQzImageAddLayer, small);
  small->placement.layerX = 5, small->placement.layerY = 3;
  auto* picture = reinterpret_cast<Qz_Image*>(Qz_CreateObject("Image", kQzImageSetType, kQzImageLayer));
  picture->parent = d_.doc;
  ASSERT_NE(Qz_AllocImage(picture, 4, 4, 24, kQzAllocNoThread, nullptr), nullptr);
  Qz_DoMethod(&d_.doc->object, kQzImageAddLayer, picture);
  picture->placement.layerX = 2, picture->placement.layerY = 2;

  ASSERT_TRUE(qz::actions::cropOrEnlarge(d_.doc, 10, 8, 12, 9, 0));
  // Document pixel (12, 9) was the small layer's (7, 6); it is now (2, 1) of both.
  EXPECT_EQ(small->width, 12);
  EXPECT_EQ(small->placement.layerX, 0);
  EXPECT_EQ(small->grey[1][2], uint8_t(7 * 16 + 6));
  EXPECT_EQ(d_.layer->grey[1][2], uint8_t(12 * 7 + 9 * 11));
  EXPECT_EQ(picture->placement.layerX, -8);
  EXPECT_EQ(picture->placement.layerY, -6);
  EXPECT_EQ(picture->width, 4);
}

TEST_F(CropToolTest, TheViewShowsThePendingCropsHandlesUntilItGoes) {
  Drag(tool_, d_.doc, 5, 4, 25, 20);  // corners (5, 4) and (26, 21)
  rastertest::Canvas cv(48, 40);
  drawHandles(d_.doc, &cv.rp, 0, 0, 48, 40);
  EXPECT_EQ(cv.at(15, 4), 0x000000u);   // the outline
  EXPECT_EQ(cv.at(30, 25), 0xFFFFFFu);  // inside the bottom-right handle, outside the corner
  EXPECT_EQ(cv.at(15, 10), rastertest::kPaper);  // the picture inside is left alone
  Press(5);  // cancel
  rastertest::Canvas after(48, 40);
  drawHandles(d_.doc, &after.rp, 0, 0, 48, 40);
  EXPECT_TRUE(after.allPaper());
}

}  // namespace
