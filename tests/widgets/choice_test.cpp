// Check boxes and radio columns: what a click changes and what it fires.
#include <gtest/gtest.h>

#include <mutex>
#include <utility>
#include <vector>

#include "gadgets/qz_choice.h"
#include "gadgets/qz_group.h"
#include "gadgets/qz_widgets.h"
#include "objects/qz_notify.h"
#include "support/ui_harness.h"

namespace {

struct Fired {
  std::mutex lock;
  std::vector<uint32_t> values;
  static void record(QzWord self, Qz_Object*, uint32_t, const QzWord* words) {
    auto* f = reinterpret_cast<Fired*>(self);
    std::lock_guard<std::mutex> g(f->lock);
    f->values.push_back(uint32_t(words[0]));
  }
  std::vector<uint32_t> take() {
    std::lock_guard<std::mutex> g(lock);
    return std::exchange(values, {});
  }
};

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
  Qz_AddCallBackNotify(box, kCheckBoxSetState, kNotifyAnyValue, Fired::record, reinterpret_cast<QzWord>(&fired));
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
  Qz_AddCallBackNotify(column, kMutualExcludeMark, kNotifyAnyValue, Fired::record, reinterpret_cast<QzWord>(&fired));
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
