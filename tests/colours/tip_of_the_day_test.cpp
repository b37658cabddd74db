#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <fstream>
#include <sstream>
#include <string>

#include "gadgets/qz_group.h"
#include "gadgets/qz_tip_of_the_day.h"
#include "gadgets/qz_widgets.h"
#include "gadgets/qz_window.h"
#include "gadgets/tip_state.h"
#include "objects/catalogue.h"
#include "objects/object_text.h"
#include "platform/exec.h"
#include "support/temp_dir.h"
#include "support/ui_harness.h"

namespace {

void writeFile(const std::string& path, const std::string& text) { std::ofstream(path) << text; }
TEST(TipState, ReadsChecksAndSteps) {
  qztest::TempDir dir;
  struct Case {
    const char* text;  // nullptr: no file
    int32_t tip;
    bool show;
    int32_t shown;  // the tip shown of 12
  };
  const Case cases[] = {
      {"3,0", 3, false, 3},         {nullptr, 0, true, 0},       {"5000,1", 5000, true, 11},
      {"-3,1", -3, true, 0},        {"garbage", 0, true, 0},     {"99999999999,1", INT32_MAX, true, 11},
      {"7,1\n", 7, true, 7},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text ? c.text : "(missing)");
    const std::string path = dir.file("state");
    std::remove(path.c_str());
    if (c.text) writeFile(path, c.text);
    const qz::tips::TipState s = qz::tips::readTipState(path.c_str());
    EXPECT_EQ(s.tip, c.tip);
    EXPECT_EQ(s.show, c.show);
    EXPECT_EQ(qz::tips::clampTip(s.tip, 12), c.shown);
  }
  EXPECT_EQ(qz::tips::nextTip(10, 12), 11);
  EXPECT_EQ(qz::tips::nextTip(11, 12), 0);
  EXPECT_EQ(qz::tips::nextTip(5000, 12), 0);
  EXPECT_EQ(qz::tips::nextTip(0, 0), 0);
  ASSERT_TRUE(qz::tips::writeTipState(dir.file("out").c_str(), 4, false));
  EXPECT_EQ(qztest::fileContents(dir.file("out")), "4,0\n");
}

// The shipped tips: a tabbed object with 10 to 20 pages, read through the real tabbed class.
TEST(TipState, ShippedTipsRestore) {
  qztest::UiHarness ui;
  ASSERT_NE(Qz_FindClassFromName("Pages"), nullptr);
  Qz_Object* tips = Qz_RestoreObjectFromDisk("Data/Lingua/TipOfTheDay.QzStr");
  ASSERT_NE(tips, nullptr);
  Qz_Object* pages = reinterpret_cast<Qz_Object*>(Qz_DoMethod(tips, 0xB001E));
  ASSERT_NE(pages, nullptr);
  const QzWord count = Qz_DoMethod(pages, kGroupCount);
  EXPECT_GE(count, 10u);
  EXPECT_LE(count, 20u);
  Qz_DisposeObject(tips);
}

class TipWindow : public testing::Test {
 protected:
  void SetUp() override {
    Qz__LoadCatalog("Data/Lingua/Quillantrix", "");  // the buttons' and the title's texts
    tipsPath = dir.file("tips");
    statePath = dir.file("state");
    writeFile(tipsPath,
              "HGroup\n{\n"
              "\tVGroup\n\t{\n\t\tQz_Text,\t\t\t\"First\",\n\t}\n"
              "\tVGroup\n\t{\n\t\tQz_Text,\t\t\t\"Second\",\n\t}\n"
              "\tVGroup\n\t{\n\t\tQz_Text,\t\t\t\"Third\",\n\t}\n}\n");
  }
  void TearDown() override {
    if (tip) Qz_DisposeObject(tip);
    Qz__FreeCatalog();
  }
  Qz_Object* make(const char* state, const std::string& tips) {
    if (state) writeFile(statePath, state);
    tip = Qz_CreateObject("TipOfTheDay", kTipOfTheDaySetTipsFile, tips.c_str(), kTipOfTheDaySetStateFile,
                          statePath.c_str());
    return tip;
  }
  // Opens; true when the platform window came up.
  bool open() {
    Qz_DoMethod(tip, kRootOpen);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
    while (!Qz__PlatformWindowOf(tip->super) && std::chrono::steady_clock::now() < deadline) Delay(1);
    return Qz__PlatformWindowOf(tip->super) && ui.settle(tip->super);
  }
  void press(const char* name) {
    auto* button = reinterpret_cast<Qz_Object*>(Qz_DoMethod(tip->super, kRootFindByName, name));
    ASSERT_NE(button, nullptr) << name;
    const Qz_LayoutBox b = qztest::UiHarness::box(button);
    ui.click(tip->super, b.left + b.width / 2, b.top + b.height / 2);
    ASSERT_TRUE(ui.settle(tip->super));
  }
  QzWord tipShown() { return Qz_DoMethod(tip, kTipOfTheDayGetTip); }

  qztest::UiHarness ui;
  qztest::TempDir dir;
  std::string tipsPath, statePath;
  Qz_Object* tip = nullptr;
};

TEST_F(TipWindow, NextWrapsAndCloseSavesTheFollowingTip) {
  ASSERT_NE(make("1,1", tipsPath), nullptr);
  ASSERT_TRUE(open());
  EXPECT_EQ(tipShown(), 1u);
  press("TipNext");
  EXPECT_EQ(tipShown(), 2u);
  press("TipNext");  // after the last, the first
  EXPECT_EQ(tipShown(), 0u);
  press("TipClose");
  EXPECT_EQ(qztest::fileContents(statePath), "1,1\n");
  EXPECT_EQ(tipShown(), 1u);
}

TEST_F(TipWindow, StoredNumberOutsideTheTipsIsClamped) {
  ASSERT_NE(make("5000,1", tipsPath), nullptr);
  ASSERT_TRUE(open());
  EXPECT_EQ(tipShown(), 2u);
  press("TipNext");
  EXPECT_EQ(tipShown(), 0u);
}

// "Do not show at start": the start-up open is left out and the box is cleared;
// a later open shows the window, and closing it keeps the choice.
TEST_F(TipWindow, NotShownAtStartWhenAskedSo) {
  ASSERT_NE(make("3,0", tipsPath), nullptr);
  EXPECT_FALSE(open());
  auto* check = reinterpret_cast<Qz_Object*>(Qz_DoMethod(tip->super, kRootFindByName, "TipShowAtStart"));
  ASSERT_NE(check, nullptr);
  EXPECT_EQ(Qz_DoMethod(check, 0x150014), 0u);
  ASSERT_TRUE(open());
  EXPECT_EQ(tipShown(), 2u);  // 3 is past the three tips
  press("TipClose");
  EXPECT_EQ(qztest::fileContents(statePath), "0,0\n");
}

TEST_F(TipWindow, MissingTipsFileStillOpens) {
  ASSERT_NE(make(nullptr, dir.file("no-such-tips")), nullptr);
  ASSERT_TRUE(open());
  EXPECT_EQ(tipShown(), 0u);
  press("TipNext");
  EXPECT_EQ(tipShown(), 0u);
}

}  // namespace
