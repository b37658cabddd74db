// The transform tool (registered by the test: the program leaves it out):
// a drag makes a pending transform; cancel with nothing pending changes
// nothing; a tool switch removes only the pending transform, never an
// applied one or one another maker added.
#include <gtest/gtest.h>

#include "gadgets/qz_widgets.h"
#include "handle_tools/handle_tools_fixture.h"

namespace {

using namespace handle_tools_test;
using namespace qz::tools;

class TransformToolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gZoomPercent = 100;
    ASSERT_EQ(Qz_InitTransformToolClass(Qz_GetGlobalData()), 1u);
    d_.Open(40, 30);
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

}  // namespace
