// CollapseAction: the changed spans of the layers baked into the background
// with exactly the overwritten bytes kept, the layers' spans reset by a
// fix, and an undo that puts the background back byte for byte.
#include <gtest/gtest.h>

#include <algorithm>

#include "actions/action_internal.h"
#include "tests/actions/action_fixture.h"

namespace {

using qztest::ActionTest;
using qztest::Plane;

class CollapseActionTest : public ActionTest {
 protected:
  // Composite and background told apart in every byte.
  void Paint(Qz_Image* doc) {
    for (int32_t y = 0; y < doc->height; ++y)
      for (int32_t x = 0; x < doc->width; ++x) {
        doc->r[y][x] = uint8_t(100 + x), doc->g[y][x] = uint8_t(120 + y), doc->b[y][x] = uint8_t(140 + x + y);
        doc->undoR[y][x] = uint8_t(x), doc->undoG[y][x] = uint8_t(y), doc->undoB[y][x] = uint8_t(x * y);
      }
  }
  Qz_Object* Collapse(Qz_Image* doc, uint32_t qualifier) {
    Qz_Object* action = Qz_CreateObject("CollapseAction", kActionSetQualifier, qualifier);
    EXPECT_NE(action, nullptr);
    Qz_DoMethod(action, kActionSetLayer, Layer(doc, 0));
    Qz_DoMethod(action, kActionSetImage, doc);
    EXPECT_EQ(Qz_DoMethod(action, kActionApply), 1u);
    EXPECT_EQ(Qz_AddImageAction(doc, action, 0), 1u);
    return action;
  }
  static uint64_t Saved(Qz_Object* action) {
    return Qz_DoMethod(action, kActionTotalSize) - Qz_DoMethod(action, kActionBaseSize);
  }
};

TEST_F(CollapseActionTest, AThreeByTwoSpanIsBakedAndUndoneExactly) {
  Qz_Image* doc = MakeDocument(10, 8, 1);
  Qz_Image* layer = Layer(doc, 0);
  Paint(doc);
  for (int32_t y = 0; y < 8; ++y) layer->spanLeast[y] = 9, layer->spanGreatest[y] = kQzSpanUnchanged;
  for (int32_t y : {2, 3}) layer->spanLeast[y] = 4, layer->spanGreatest[y] = 6;
  const auto before = std::vector{Plane(doc->undoR, 10, 8), Plane(doc->undoG, 10, 8), Plane(doc->undoB, 10, 8)};
  Qz_Object* collapse = Collapse(doc, 1);
  EXPECT_EQ(Saved(collapse), 18u);  // 3 x 2 pixels, three planes
  for (int32_t y = 0; y < 8; ++y)
    for (int32_t x = 0; x < 10; ++x) {
      const bool inSpan = (y == 2 || y == 3) && x >= 4 && x <= 6;
      ASSERT_EQ(doc->undoR[y][x], inSpan ? doc->r[y][x] : uint8_t(x)) << x << "," << y;
      ASSERT_EQ(doc->undoB[y][x], inSpan ? doc->b[y][x] : uint8_t(x * y));
    }
  EXPECT_EQ(Qz_DoMethod(collapse, kActionGetUndoable), 1u);
  ASSERT_EQ(Qz_UndoImageAction(doc), 1u);
  EXPECT_EQ(Plane(doc->undoR, 10, 8), before[0]);
  EXPECT_EQ(Plane(doc->undoG, 10, 8), before[1]);
  EXPECT_EQ(Plane(doc->undoB, 10, 8), before[2]);
}

TEST_F(CollapseActionTest, NothingChangedSavesNothingAndStaysUndoable) {
  Qz_Image* doc = MakeDocument(10, 8, 1);
  Paint(doc);
  Qz_Image* layer = Layer(doc, 0);
  for (int32_t y = 0; y < 8; ++y) layer->spanLeast[y] = 9, layer->spanGreatest[y] = kQzSpanUnchanged;
  const auto background = Plane(doc->undoR, 10, 8);
  Qz_Object* collapse = Collapse(doc, 1);
  EXPECT_EQ(Saved(collapse), 0u);
  EXPECT_EQ(Qz_DoMethod(collapse, kActionGetUndoable), 1u);
  EXPECT_EQ(Plane(doc->undoR, 10, 8), background);
  // Dropped data makes a collapse with saved bytes no longer undoable.
  for (int32_t y = 0; y < 8; ++y) layer->spanLeast[y] = 9, layer->spanGreatest[y] = kQzSpanUnchanged;
  layer->spanLeast[0] = 0, layer->spanGreatest[0] = 9;
  Qz_Object* second = Collapse(doc, 2);
  EXPECT_EQ(Saved(second), 30u);
  EXPECT_EQ(Qz_DoMethod(second, kActionDropUndoData), 30u + 8 * 8);
  EXPECT_EQ(Qz_DoMethod(second, kActionGetUndoable), 0u);
}

TEST_F(CollapseActionTest, AnImageLayerTakesItsPaintIntoItsMaskAndGivesItBack) {
  Qz_Image* doc = MakeDocument(8, 6, 1);
  auto* picture = reinterpret_cast<Qz_Image*>(Qz_DoMethod(&doc->object, kQzImageMakeLayer, kQzImageLayer, 8, 6, 24));
  ASSERT_NE(picture, nullptr);
  ASSERT_NE(picture->inner, nullptr);
  Qz_Image* paint = picture->activeLayer;
  ASSERT_NE(paint, nullptr);
  for (int32_t y = 0; y < 6; ++y) {
    std::fill(picture->inner->grey[y], picture->inner->grey[y] + 8, uint8_t(50));
    std::fill(paint->grey[y], paint->grey[y] + 8, uint8_t(0));
    paint->spanLeast[y] = 7, paint->spanGreatest[y] = kQzSpanUnchanged;
  }
  for (int32_t x = 2; x <= 4; ++x) paint->grey[1][x] = 100;
  paint->spanLeast[1] = 2, paint->spanGreatest[1] = 4;
  const auto mask = Plane(picture->inner->grey, 8, 6);
  Qz_Object* collapse = Qz_CreateObject("CollapseAction", kActionSetQualifier, 2u);
  Qz_DoMethod(collapse, kActionSetLayer, picture);
  Qz_DoMethod(collapse, kActionSetImage, doc);
  ASSERT_EQ(Qz_DoMethod(collapse, kActionApply), 1u);
  ASSERT_EQ(Qz_AddImageAction(doc, collapse, 0), 1u);
  EXPECT_EQ(Saved(collapse), 3u * 4);  // three pixels: R, G, B and the mask
  EXPECT_EQ(picture->inner->grey[1][3], 50 + 100 * 205 / 255);
  EXPECT_EQ(picture->inner->grey[2][3], 50);
  ASSERT_EQ(Qz_UndoImageAction(doc), 1u);
  EXPECT_EQ(Plane(picture->inner->grey, 8, 6), mask);
}

}  // namespace
