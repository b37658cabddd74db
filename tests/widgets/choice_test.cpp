// Check boxes and radio columns: what a click changes and what it fires.
#include <gtest/gtest.h>

#include <mutex>
#include <utility>
#include <vector>

#include "gadgets/qz_choice.h"
#include "gadgets/qz_group.h"
#include "gadgets/qz_popups.h"
#include "gadgets/qz_widgets.h"
#include "objects/qz_notify.h"
#include "support/ui_harness.h"
#include "widgets/fired_values.h"

namespace {

using Fired = qztest::FiredValues;

class Choice : public testing::Test {
 protected:
  void clickOn(Qz_Object* win, Qz_Object* o) {
    const Qz_LayoutBox b = qztest::UiHarness::box(o);
    ui.click(win, b.left + b.width / 2, b.top + b.height / 2);
    ASSERT_TRUE(ui.settle(win));
  }
  qztest::UiHarness ui;
  Fired fired;
};

TEST_F(Choice, CheckBoxSwitchesOnEachClick) {
  Qz_Object* box = Qz_CreateObject("CheckBox", kRootSetLabel, "Show at start");
  ASSERT_NE(box, nullptr);
  Qz_Object* win = ui.window("Check", 100, 100);
  Qz_DoMethod(win, kGroupAddTail, box);
  ASSERT_TRUE(ui.open(win));
  fired.watch(box, kCheckBoxSetState);
  struct Step {
    std::vector<uint32_t> fired;
    QzWord state;
  };
  const Step steps[] = {{{1}, 1}, {{0}, 0}, {{1}, 1}};
  for (const Step& s : steps) {
    clickOn(win, box);
    EXPECT_EQ(fired.take(), s.fired);
    EXPECT_EQ(Qz_DoMethod(box, kCheckBoxGetState), s.state);
  }
  ui.post(win, box, kCheckBoxSetState, 0);
  ASSERT_TRUE(ui.settle(win));
  EXPECT_EQ(fired.take(), std::vector<uint32_t>{0}) << "set from outside: one notification";
  EXPECT_EQ(Qz_DoMethod(box, kCheckBoxGetState), 0u);
}

// The box round the mark shows there is a choice, also while unchecked
// (when the mark itself draws nothing); checked, the tick is inside it.
TEST_F(Choice, CheckBoxDrawsItsBoxInBothStates) {
  Qz_Object* box = Qz_CreateObject("CheckBox", kRootSetLabel, "Bold", kRootSetWeight, 0u);
  ASSERT_NE(box, nullptr);
  Qz_Object* win = ui.window("Check", 100, 100, 160, 60);
  Qz_DoMethod(win, kGroupAddTail, box);
  ASSERT_TRUE(ui.open(win));
  auto* row = reinterpret_cast<Qz_Object*>(Qz_DoMethod(box, kGroupMemberAt, 0u));
  auto* frame = reinterpret_cast<Qz_Object*>(Qz_DoMethod(row, kGroupMemberAt, 0u));
  ASSERT_NE(frame, nullptr);
  const Qz_LayoutBox b = qztest::UiHarness::box(frame);
  ASSERT_GE(b.width, 12);
  ASSERT_GE(b.height, 12);
  const Qz_LayoutBox whole = qztest::UiHarness::box(box);
  const uint32_t background = ui.pixel(win, whole.left + whole.width - 2, whole.top + whole.height / 2);
  const auto edgesDrawn = [&] {
    int blank = 0;
    for (int x = b.left; x < b.left + b.width; ++x)
      blank += (ui.pixel(win, x, b.top) == background) + (ui.pixel(win, x, b.top + b.height - 1) == background);
    for (int y = b.top; y < b.top + b.height; ++y)
      blank += (ui.pixel(win, b.left, y) == background) + (ui.pixel(win, b.left + b.width - 1, y) == background);
    return blank;
  };
  const auto inkInside = [&] {
    int ink = 0;
    for (int y = b.top + 3; y < b.top + b.height - 3; ++y)
      for (int x = b.left + 3; x < b.left + b.width - 3; ++x) ink += ui.pixel(win, x, y) != ui.pixel(win, b.left + 2, b.top + 2);
    return ink;
  };
  EXPECT_EQ(edgesDrawn(), 0) << "unchecked";
  EXPECT_EQ(inkInside(), 0) << "unchecked: an empty box";
  ui.post(win, box, kCheckBoxSetState, 1);
  ASSERT_TRUE(ui.settle(win));
  EXPECT_EQ(edgesDrawn(), 0) << "checked";
  EXPECT_GT(inkInside(), 0) << "checked: the tick";
}

TEST_F(Choice, RadioColumnMarksTheClickedRowOnce) {
  Qz_Object* column = Qz_CreateObject("MutualExclude");
  ASSERT_NE(column, nullptr);
  EXPECT_EQ(Qz_DoMethod(column, kMutualExcludeMark, 0), 0u) << "an empty column marks nothing";
  for (const char* label : {"Red", "Green", "Blue"}) {
    Qz_DoMethod(column, kGroupAddTail, Qz_CreateObject("Text", kRootSetLabel, label));
  }
  Qz_Object* win = ui.window("Radio", 100, 100);
  Qz_DoMethod(win, kGroupAddTail, column);
  ASSERT_TRUE(ui.open(win));
  fired.watch(column, kMutualExcludeMark);
  auto row = [&](QzWord i) { return reinterpret_cast<Qz_Object*>(Qz_DoMethod(column, kGroupMemberAt, i)); };
  struct Step {
    QzWord row;
    std::vector<uint32_t> fired;
  };
  const Step steps[] = {{1, {1}}, {1, {}}, {2, {2}}, {0, {0}}};
  for (const Step& s : steps) {
    SCOPED_TRACE(testing::Message() << "row " << s.row);
    clickOn(win, row(s.row));
    EXPECT_EQ(fired.take(), s.fired);
    EXPECT_EQ(Qz_DoMethod(column, kMutualExcludeGetMarked), s.row);
  }
}

}  // namespace

// Cycle is built but not registered: the test registers it for itself.
TEST(Cycle, ChoosesByIndexAndByTheLineReleasedOver) {
  qztest::UiHarness ui;
  ASSERT_EQ(Qz_FindClassFromName("Cycle"), nullptr) << "not among the registered classes";
  ASSERT_NE(Qz_InitCycleClass(Qz_GetGlobalData()), 0u);
  Qz_Object* cycle = Qz_CreateObject("Cycle");
  ASSERT_NE(cycle, nullptr);
  const char* const texts[] = {"Nearest", "Bilinear", "Bicubic", nullptr};
  Qz_DoMethod(cycle, kCycleSetStrings, texts);
  Fired fired;
  fired.watch(cycle, kCycleChoose);
  struct Step {
    QzWord index;
    QzWord chosen;
    std::vector<uint32_t> fired;
  };
  const Step steps[] = {{2, 2, {2}}, {2, 2, {}}, {3, 2, {}}, {0xFFFFFFFF, 2, {}}, {0, 0, {0}}};
  for (const Step& s : steps) {
    SCOPED_TRACE(testing::Message() << "index " << s.index);
    EXPECT_EQ(Qz_DoMethod(cycle, kCycleChoose, s.index), s.chosen);
    EXPECT_EQ(Qz_DoMethod(cycle, kCycleGetChosen), s.chosen);
    EXPECT_EQ(fired.take(), s.fired);
  }
  // The line released over in the pop-up comes back as the pop-up's choice.
  Qz_DoMethod(cycle, kPopUpChildrenInPopUp, 1);
  auto* lines = reinterpret_cast<Qz_Object*>(Qz_DoMethod(cycle, kGroupFirst));
  Qz_DoMethod(cycle, kPopUpChildrenInPopUp, 0);
  ASSERT_NE(lines, nullptr);
  Qz_DoMethod(cycle, kPopUpChosen, Qz_DoMethod(lines, kGroupMemberAt, 1));
  EXPECT_EQ(Qz_DoMethod(cycle, kCycleGetChosen), 1u);
  EXPECT_EQ(fired.take(), std::vector<uint32_t>{1});
  Qz_DisposeObject(cycle);
  Qz_CleanupCycleClass();
}
