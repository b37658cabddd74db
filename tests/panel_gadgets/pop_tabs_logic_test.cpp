#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "gadgets/pop_tabs_logic.h"

namespace {

using namespace qz::poptabs;

TEST(PopTabsPlacement, RightEdgeAt225WithinTheLimits) {
  struct Case {
    int32_t pageWidth, pageHeight, minWidth;
    Placement at;
  };
  const Case cases[] = {
      {300, 400, 50, {0, 0, 225, 271}},
      {100, 200, 50, {125, 0, 100, 200}},
      {225, 271, 50, {0, 0, 225, 271}},
      {224, 270, 50, {1, 0, 224, 270}},
      {0, 0, 80, {145, 0, 80, 271}},    // the page reports nothing: the window's minimum width
      {0, 100, 400, {0, 0, 225, 100}},  // a minimum wider than the limit still ends at 225
      {-5, -1, 50, {225, 0, 0, 271}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.pageWidth << "x" << c.pageHeight);
    const Placement p = popUpPlacement(c.pageWidth, c.pageHeight, c.minWidth);
    EXPECT_EQ(p.x, c.at.x);
    EXPECT_EQ(p.y, c.at.y);
    EXPECT_EQ(p.width, c.at.width);
    EXPECT_EQ(p.height, c.at.height);
    EXPECT_EQ(p.x + p.width, kPopUpRight);
  }
}

// One step of a session on a fake millisecond clock.
struct Step {
  enum { kChoose, kClose } what;
  uintptr_t tab;
  uint32_t now;
  Choice expect;  // for kChoose
  uintptr_t currentAfter;
};

TEST(PopTabsChooser, ReopenGuardOnAFakeClock) {
  const uint32_t nearWrap = 0xFFFFFF00u;
  struct Session {
    const char* name;
    uint32_t start;
    std::vector<Step> steps;
  };
  const Session sessions[] = {
      {"the same tab within 250 ms is ignored, then opens",
       1000,
       {{Step::kChoose, 1, 0, Choice::Open, 1},
        {Step::kClose, 0, 0, Choice::Open, 0},
        {Step::kChoose, 1, 249, Choice::Ignore, 0},
        {Step::kChoose, 1, 260, Choice::Open, 1}}},
      {"later than 250 ms reopens",
       1000,
       {{Step::kChoose, 1, 0, Choice::Open, 1},
        {Step::kClose, 0, 0, Choice::Open, 0},
        {Step::kChoose, 1, 250, Choice::Open, 1}}},
      {"another tab opens at once",
       1000,
       {{Step::kChoose, 1, 0, Choice::Open, 1},
        {Step::kClose, 0, 0, Choice::Open, 0},
        {Step::kChoose, 2, 1, Choice::Open, 2}}},
      {"the current tab again releases it",
       1000,
       {{Step::kChoose, 1, 0, Choice::Open, 1},
        {Step::kChoose, 1, 5, Choice::ReleaseCurrent, 0},
        {Step::kChoose, 1, 6, Choice::Open, 1}}},
      {"the guard holds across the tick counter's wrap",
       nearWrap,
       {{Step::kChoose, 3, 0, Choice::Open, 3},
        {Step::kClose, 0, 200, Choice::Open, 0},
        {Step::kChoose, 3, 300, Choice::Ignore, 0}}},
  };
  for (const Session& s : sessions) {
    SCOPED_TRACE(s.name);
    TabChooser chooser;
    EXPECT_EQ(chooser.state(), PopUpState::NeverShown);
    for (const Step& step : s.steps) {
      const uint32_t now = s.start + step.now;
      if (step.what == Step::kClose) {
        chooser.close(now);
        EXPECT_EQ(chooser.state(), PopUpState::Closed);
      } else {
        EXPECT_EQ(chooser.choose(step.tab, now), step.expect) << "at " << step.now;
      }
      EXPECT_EQ(chooser.current(), step.currentAfter) << "at " << step.now;
    }
  }
}

}  // namespace
