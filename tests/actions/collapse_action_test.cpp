// CollapseAction: the changed spans of the layers baked into the background
// with exactly the overwritten bytes kept, the layers' spans reset by a
// fix, and an undo that puts the background back byte for byte.
#include <gtest/gtest.h>

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

}  // namespace
