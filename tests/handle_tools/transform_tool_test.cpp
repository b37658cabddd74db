// The transform tool (registered by the test: the program leaves it out):
// a drag makes a pending transform that changes nothing; its corners, moved,
// say where the dragged rectangle of the layer goes when it is applied, and
// one undo puts back every byte; cancel with nothing pending changes
// nothing; a tool switch removes only the pending transform, never an
// applied one or one another maker added.
#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "gadgets/qz_text_entry.h"
#include "gadgets/qz_widgets.h"
#include "handle_tools/handle_tools_fixture.h"
#include "objects/object_text.h"

namespace {

using namespace handle_tools_test;
using namespace qz::tools;

class TransformToolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gZoomPercent = 100;
    ASSERT_EQ(Qz_InitTransformToolClass(Qz_GetGlobalData()), 1u);
    d_.Open(40, 30);
    d_.Paint();
    d_.MakeActive();
    tool_ = Qz_CreateObject("TransformTool");
    ASSERT_NE(tool_, nullptr);
    panel_ = reinterpret_cast<Qz_Object*>(Qz_DoMethod(tool_, kToolGetOptions));
  }
  void TearDown() override {
    Qz_DisposeObject(tool_);
    d_.Close();
    Qz_CleanupTransformToolClass();
  }
  void Press(uint32_t which) {
    Qz_Object* button = FindGadget(panel_, kButtonClassId, which);
    ASSERT_NE(button, nullptr);
    Qz_DoNotify(button, kButtonPressed, 1u);
  }
  void Type(uint32_t which, int32_t value) {
    Qz_Object* edit = FindGadget(panel_, kStringEditClassId, which);
    ASSERT_NE(edit, nullptr);
    Qz_DoMethod(edit, kStringEditSetNumber, uint32_t(value));
    Qz_DoNotify(edit, kStringEditSetNumber, uint32_t(value));
  }
  // The layer as it should be once the rectangle (5, 4) 8 x 6 has gone where
  // `from` says: a pixel `from` maps back into the rectangle takes that
  // pixel's old value, the rest of the rectangle is empty, all else stays.
  using From = std::function<std::optional<HandlePoint>(int32_t x, int32_t y)>;
  std::vector<uint8_t> Expected(const std::vector<uint8_t>& layer, const From& from) const {
    const int32_t w = d_.layer->width, h = d_.layer->height;
    const auto inRect = [](int32_t x, int32_t y) { return x >= 5 && x < 13 && y >= 4 && y < 10; };
    std::vector<uint8_t> out(layer);
    for (int32_t y = 0; y < h; ++y)
      for (int32_t x = 0; x < w; ++x) {
        const std::optional<HandlePoint> source = from(x, y);
        if (source && inRect(source->x, source->y)) {
          out[size_t(y * w + x)] = layer[size_t(source->y * w + source->x)];
        } else if (inRect(x, y)) {
          out[size_t(y * w + x)] = 0;
        }
      }
    return out;
  }
  std::vector<uint8_t> Layer() const {
    std::vector<uint8_t> out;
    for (int32_t y = 0; y < d_.layer->height; ++y)
      out.insert(out.end(), d_.layer->grey[y], d_.layer->grey[y] + d_.layer->width);
    return out;
  }
  Document d_;
  Qz_Object* tool_ = nullptr;
  Qz_Object* panel_ = nullptr;
};

TEST_F(TransformToolTest, ADragMakesAPendingTransformOfTheRectangle) {
  Drag(tool_, d_.doc, 25, 20, 5, 4);
  Qz_Object* action = selectedActionOf(d_.doc, kTransformActionClassId);
  ASSERT_NE(action, nullptr);
  EXPECT_EQ(action, d_.Newest());
  EXPECT_EQ(actionPoints(action), (Points{{5, 4}, {26, 4}, {26, 21}, {5, 21}}));
}

TEST_F(TransformToolTest, CancelWithNothingPendingChangesNothing) {
  Qz_Object* other = Qz_CreateObject("TransformAction");
  ASSERT_EQ(Qz_AddImageAction(d_.doc, other, 0), 1u);
  Qz_DoMethod(other, kRootSelect);
  const uint32_t steps = d_.Steps();
  Press(5);
  Qz_DoMethod(tool_, kToolDeactivate);
  EXPECT_EQ(d_.Steps(), steps);
  EXPECT_EQ(d_.Newest(), other);
}

TEST_F(TransformToolTest, AToolSwitchRemovesOnlyThePendingTransform) {
  Drag(tool_, d_.doc, 2, 2, 10, 10);
  Press(4);  // applied: stays
  Qz_Object* applied = d_.Newest();
  ASSERT_NE(applied, nullptr);
  EXPECT_EQ(Qz_DoMethod(applied, kActionGetQualifier), 1u);
  const uint32_t steps = d_.Steps();
  Drag(tool_, d_.doc, 3, 3, 12, 12);
  ASSERT_EQ(d_.Steps(), steps + 1);
  Qz_DoMethod(tool_, kToolDeactivate);
  EXPECT_EQ(d_.Steps(), steps);
  EXPECT_EQ(d_.Newest(), applied);
  Qz_DoMethod(tool_, kToolDeactivate);  // nothing pending now: nothing goes
  EXPECT_EQ(d_.Steps(), steps);
}

TEST_F(TransformToolTest, AppliedCornersMoveTheRectangleAndOneUndoRestoresEveryByte) {
  struct Case {
    const char* name;
    Points corners;
    From from;  // where a pixel of the result comes from
  } cases[] = {
      {"the corners as dragged", {{5, 4}, {13, 4}, {13, 10}, {5, 10}},
       [](int32_t x, int32_t y) { return HandlePoint{x, y}; }},
      {"moved by (10, 5)", {{15, 9}, {23, 9}, {23, 15}, {15, 15}},
       [](int32_t x, int32_t y) { return HandlePoint{x - 10, y - 5}; }},
      {"twice as wide", {{5, 4}, {21, 4}, {21, 10}, {5, 10}},
       [](int32_t x, int32_t y) {
         return x >= 5 ? std::optional<HandlePoint>({5 + (x - 5) / 2, y}) : std::nullopt;
       }},
      {"mirrored", {{13, 4}, {5, 4}, {5, 10}, {13, 10}},
       [](int32_t x, int32_t y) { return HandlePoint{5 + 12 - x, y}; }},
      {"upside down", {{5, 10}, {13, 10}, {13, 4}, {5, 4}},
       [](int32_t x, int32_t y) { return HandlePoint{x, 4 + 9 - y}; }},
  };
  const std::vector<uint8_t> original = d_.Bytes();
  const std::vector<uint8_t> layer = Layer();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Drag(tool_, d_.doc, 5, 4, 12, 9);
    Qz_Object* action = selectedActionOf(d_.doc, kTransformActionClassId);
    ASSERT_NE(action, nullptr);
    ASSERT_EQ(actionPoints(action), (Points{{5, 4}, {13, 4}, {13, 10}, {5, 10}}));
    changeAction(action, false, [&] { setActionPoints(action, c.corners); });
    EXPECT_EQ(d_.Bytes(), original);  // pending: nothing yet
    const uint32_t steps = d_.Steps();
    Press(4);
    ASSERT_EQ(d_.Steps(), steps);  // the pending transform became the step
    EXPECT_EQ(Layer(), Expected(layer, c.from));
    ASSERT_EQ(Qz_UndoImageAction(d_.doc), 1u);
    EXPECT_EQ(d_.Bytes(), original);
  }
}

TEST_F(TransformToolTest, TypedPlaceMovesTheLayerRectangleAndRedoMovesItAgain) {
  const std::vector<uint8_t> layer = Layer();
  Drag(tool_, d_.doc, 5, 4, 12, 9);
  Type(0, 15), Type(1, 9);
  Press(4);
  const std::vector<uint8_t> moved = Expected(layer, [](int32_t x, int32_t y) { return HandlePoint{x - 10, y - 5}; });
  EXPECT_EQ(Layer(), moved);
  EXPECT_EQ(d_.layer->grey[9][15], layer[size_t(4 * 40 + 5)]);  // the top-left pixel, moved by (10, 5)
  ASSERT_EQ(Qz_UndoImageAction(d_.doc), 1u);
  EXPECT_EQ(Layer(), layer);
  ASSERT_EQ(Qz_RedoImageAction(d_.doc), 1u);
  EXPECT_EQ(Layer(), moved);
}

TEST_F(TransformToolTest, CrossedCornersTransformNothingAndLeaveNoStep) {
  const std::vector<uint8_t> original = d_.Bytes();
  Drag(tool_, d_.doc, 5, 4, 12, 9);
  Qz_Object* action = selectedActionOf(d_.doc, kTransformActionClassId);
  ASSERT_NE(action, nullptr);
  const uint32_t steps = d_.Steps();
  changeAction(action, false, [&] { setActionPoints(action, Points{{5, 4}, {13, 4}, {5, 10}, {13, 10}}); });
  Press(4);
  EXPECT_EQ(d_.Steps(), steps - 1);
  EXPECT_EQ(d_.Bytes(), original);
}

// On the background the three colour planes move together.
TEST_F(TransformToolTest, TheBackgroundMovesInEveryColourPlane) {
  const std::vector<uint8_t> original = d_.Bytes();
  Qz_Object* action = makeCornerAction("TransformAction", nullptr, {5, 4, 8, 6});
  ASSERT_NE(action, nullptr);
  Qz_DoMethod(action, kActionSetLayer, d_.doc);
  ASSERT_EQ(Qz_AddImageAction(d_.doc, action, 0), 1u);
  setActionPoints(action, Points{{15, 9}, {23, 9}, {23, 15}, {15, 15}});
  Qz_DoMethod(action, kActionSetQualifier, 1u);
  ASSERT_EQ(Qz_DoMethod(action, kActionApply), 1u);
  for (int32_t y = 9; y < 15; ++y)
    for (int32_t x = 15; x < 23; ++x) {
      ASSERT_EQ(d_.doc->undoR[y][x], uint8_t((x - 10) * 3 + y - 5)) << x << "," << y;
      ASSERT_EQ(d_.doc->undoG[y][x], uint8_t(x - 10 + (y - 5) * 5)) << x << "," << y;
      ASSERT_EQ(d_.doc->undoB[y][x], uint8_t((x - 10) ^ (y - 5))) << x << "," << y;
    }
  EXPECT_EQ(d_.doc->undoR[4][5], 0);  // lifted, left empty
  ASSERT_EQ(Qz_UndoImageAction(d_.doc), 1u);
  EXPECT_EQ(d_.Bytes(), original);
}

// A stored undo list keeps what the transform moves apart from where it goes.
TEST(TransformActionText, TheRectangleAndTheMovedCornersAreStoredAndRestored) {
  Qz_Object* action = makeCornerAction("TransformAction", nullptr, {5, 4, 8, 6});
  ASSERT_NE(action, nullptr);
  const Points moved{{15, 9}, {23, 9}, {30, 20}, {15, 15}};
  setActionPoints(action, moved);
  size_t length = 0;
  char* stored = Qz_StoreObjectToBuffer(action, &length, 0);
  ASSERT_NE(stored, nullptr);
  Qz_Object* back = Qz_CreateObjectsFromString(stored);
  ASSERT_NE(back, nullptr) << stored;
  EXPECT_EQ(actionPoints(back), moved);
  const uint32_t source[] = {kTransformActionGetSourceX, kTransformActionGetSourceY, kTransformActionGetSourceWidth,
                             kTransformActionGetSourceHeight};
  const uint32_t expected[] = {5, 4, 8, 6};
  for (size_t i = 0; i < std::size(source); ++i) EXPECT_EQ(Qz_DoMethod(back, source[i]), expected[i]) << i;
  FreeVec(stored);
  Qz_DisposeObject(back);
  Qz_DisposeObject(action);
}

}  // namespace
