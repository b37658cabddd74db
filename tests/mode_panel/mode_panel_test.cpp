// The mode panel kit: a stand-in mode describes a panel with every kind of
// row; the panel is built once, its gadgets drive the mode's setters, the
// setters show in the gadgets (from any thread, always on the panel's
// window thread, never echoed back), a radio pair of check boxes ends
// consistent, and without the panel classes the mode simply has no panel.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "gadgets/qz_choice.h"
#include "gadgets/qz_colour_edit.h"
#include "gadgets/qz_group.h"
#include "gadgets/qz_popups.h"
#include "gadgets/qz_sliders.h"
#include "gadgets/qz_text_entry.h"
#include "gadgets/qz_widgets.h"
#include "image/qz_image.h"
#include "modes/mode_panel.h"
#include "modes/qz_root_mode.h"
#include "objects/qz_class_kit.h"
#include "objects/qz_notify.h"
#include "objects/qz_root.h"
#include "plugins/qz_root_plugin.h"
#include "support/object_tree.h"
#include "support/ui_harness.h"

QZ_EXTERN_C_BEGIN
QzWord Qz_InitRootPluginClass(Qz_GlobalData*);
void Qz_CleanupRootPluginClass(void);
QzWord Qz_InitRootModeClass(Qz_GlobalData*);
void Qz_CleanupRootModeClass(void);
QZ_EXTERN_C_END

namespace {

namespace mp = qz::modes;

// The stand-in mode's own ids.
constexpr uint32_t kSetLevel = 0x77700A, kGetLevel = 0x777014;      // kept 0..200, the slider goes to 255
constexpr uint32_t kSetFlag = 0x77701E, kGetFlag = 0x777028;
constexpr uint32_t kSetQuality = 0x777032, kGetQuality = 0x77703C;  // a radio pair's one setting
constexpr uint32_t kSetRule = 0x777046, kGetRule = 0x777050;
constexpr uint32_t kSetTurn = 0x77705A, kGetTurn = 0x777064;
constexpr uint32_t kSetCentre = 0x77706E, kGetCentre = 0x777078;
constexpr uint32_t kSetTint = 0x777082, kGetTint = 0x77708C;
constexpr uint32_t kPress = 0x777096;
constexpr uint32_t kChooseAbove = 0x7770A0, kChooseBelow = 0x7770AA;  // a radio pair of two methods
constexpr uint32_t kGetAbove = 0x7770B4;
constexpr uint32_t kSetSource = 0x7770BE, kGetSource = 0x7770C8;  // a gadget the mode makes

struct TestModeObject {
  Qz_Object header;
  int32_t level = 0, flag = 0, quality = 0, rule = 0, turn = 0, centre = 0, source = 0;
  uint32_t tint = 0;
  std::atomic<int32_t> above{1};
  std::atomic<int32_t> presses{0};
};

// Every setter call, to see that nothing echoes or ping-pongs.
std::mutex gCallsLock;
std::map<uint32_t, int> gCalls;
int CallsOf(uint32_t id) {
  std::lock_guard<std::mutex> lock(gCallsLock);
  return gCalls[id];
}

const qz::kit::Attribute kAttributes[] = {
    {.setter = kSetLevel, .getter = kGetLevel, .minimum = 0, .maximum = 200, .initial = 50,
     .field = qz::kit::field(&TestModeObject::level)},
    {.setter = kSetFlag, .getter = kGetFlag, .minimum = 0, .maximum = 1, .field = qz::kit::field(&TestModeObject::flag)},
    {.setter = kSetQuality, .getter = kGetQuality, .minimum = 0, .maximum = 1, .initial = 1,
     .field = qz::kit::field(&TestModeObject::quality)},
    {.setter = kSetRule, .getter = kGetRule, .minimum = 0, .maximum = 2, .field = qz::kit::field(&TestModeObject::rule)},
    {.setter = kSetTurn, .getter = kGetTurn, .minimum = -360, .maximum = 360, .initial = 90,
     .field = qz::kit::field(&TestModeObject::turn)},
    {.setter = kSetCentre, .getter = kGetCentre, .field = qz::kit::field(&TestModeObject::centre)},
    {.setter = kSetTint, .getter = kGetTint, .field = qz::kit::field(&TestModeObject::tint)},
    {.setter = kSetSource, .getter = kGetSource, .minimum = 0, .maximum = 1,
     .field = qz::kit::field(&TestModeObject::source)},
};

// The mode's own gadget: a choice of two, made for the mode building the panel.
Qz_Object* gMadeFor = nullptr;
Qz_Object* MakeChoice(Qz_Object* mode) {
  gMadeFor = mode;
  Qz_Object* choice = Qz_CreateObject("MutualExclude");
  for (const char* entry : {"Automatic", "Manual"})
    if (choice) Qz_DoMethod(choice, kGroupAddTail, Qz_CreateObject("Text", kRootSetLabel, entry));
  if (choice) Qz_DoMethod(choice, kMutualExcludeMark, 0u);
  return choice;
}

constexpr mp::PanelLabel kRules[] = {"Nearest", "Linear", 42};

constexpr mp::PanelRow kRows[] = {
    mp::slider(42, kSetLevel, 0, 255, 50, "%ld%%"),
    mp::checkBox("Flag", kSetFlag),
    mp::text("Quality"),
    mp::row(),
    mp::radioPair("Low", "High", kSetQuality, 1),
    mp::end(),
    mp::radioPair("above", kChooseAbove, "below", kChooseBelow, 0),
    mp::space(5),
    mp::column("Look", 1),
    mp::popUpList("Rule", kSetRule, kRules),
    mp::angle("Turn", kSetTurn, 90),
    mp::number("Centre", kSetCentre),
    mp::colour(kSetTint),
    mp::end(),
    mp::button("Press", kPress),
    mp::custom("Source", MakeChoice, kMutualExcludeMark, kSetSource),
};
constexpr mp::PanelSpec kPanel{"Stand-in", kRows};

QzWord ChooseSide(Qz_Object* object, uint32_t id) {
  auto* self = qz::kit::self<TestModeObject>(object);
  const int32_t above = id == kChooseAbove ? 1 : 0;
  if (self->above.exchange(above) != above) Qz_DoNotify(object, id, 1u);
  return 0;
}

QzWord TestModeDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  if ((id >> 8) == 0x7770) {
    std::lock_guard<std::mutex> lock(gCallsLock);
    ++gCalls[id];
  }
  switch (id) {
    case kChooseAbove:
    case kChooseBelow: return ChooseSide(object, id);
    case kGetAbove: return uint32_t(qz::kit::self<TestModeObject>(object)->above.load());
    case kPress: ++qz::kit::self<TestModeObject>(object)->presses; return 0;
    default: return qz::kit::inherited(object, id, args);
  }
}

const qz::kit::ClassDecl kTestMode = {
    .name = "PanelTestMode", .superName = "RootMode", .classId = 0x7770000,
    .instance = qz::kit::instanceOf<TestModeObject>(), .handler = TestModeDispatch,
    .attributes = kAttributes, .setUp = mp::panelSetUp<kPanel>};

// Tables a mode could get wrong: groups that do not close, or close too often.
constexpr mp::PanelRow kUnclosed[] = {mp::column(), mp::checkBox("Flag", kSetFlag)};
constexpr mp::PanelRow kOverClosed[] = {mp::checkBox("Flag", kSetFlag), mp::end()};

Qz_Object* PanelOf(Qz_Object* mode) { return reinterpret_cast<Qz_Object*>(Qz_DoMethod(mode, kQzModeGetPanel)); }
QzWord State(Qz_Object* box) { return Qz_DoMethod(box, kCheckBoxGetState); }

class ModePanelTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(Qz_InitImageBase(), nullptr);
    ASSERT_EQ(Qz_InitRootModeClass(nullptr), 1u);
    ASSERT_EQ(Qz_InitRootPluginClass(nullptr), 1u);
    ASSERT_EQ(qz::kit::addClass(kTestMode), 1u);
    catalogue_[42] = "Forty-two";
    before_ = Qz_GetImageBase()->catalogue;
    Qz_GetImageBase()->catalogue = catalogue_;
    {
      std::lock_guard<std::mutex> lock(gCallsLock);
      gCalls.clear();
    }
    mode_ = Qz_CreateObject("PanelTestMode");
    ASSERT_NE(mode_, nullptr);
    panel_ = PanelOf(mode_);
    ASSERT_NE(panel_, nullptr);
  }
  void TearDown() override {
    if (window_) {  // the panel is the mode's: it leaves the window before the window goes
      ui_.post(window_, window_, kGroupRemove, panel_);
      ui_.settle(window_);
      ui_.dispose(window_);
    }
    Qz_DisposeObject(mode_);
    Qz_GetImageBase()->catalogue = before_;
    qz::kit::removeClass(kTestMode);
    Qz_CleanupRootPluginClass();
    Qz_CleanupRootModeClass();
    Qz_CleanupImageBase();
  }
  Qz_Object* Gadget(uint32_t setter) { return mp::panelGadget(mode_, setter); }
  void OpenWindow() {
    window_ = ui_.window("mode panel", 20, 20, 240, 480);
    ASSERT_NE(window_, nullptr);
    Qz_DoMethod(window_, kGroupAddTail, panel_);
    ASSERT_TRUE(ui_.open(window_));
  }
  // As the user's input does: on the window's thread, then everything it queued.
  void OnWindow(Qz_Object* gadget, uint32_t method, QzWord value) {
    ASSERT_EQ(ui_.post(window_, gadget, method, value), 1u);
    ASSERT_TRUE(ui_.settle(window_));
    ASSERT_TRUE(ui_.settle(window_));
  }
  std::vector<Qz_Object*> Boxes() { return qztest::FindAllOf(panel_, "CheckBox"); }

  qztest::UiHarness ui_;
  const char* catalogue_[64] = {};
  const char* const* before_ = nullptr;
  Qz_Object* mode_ = nullptr;
  Qz_Object* panel_ = nullptr;
  Qz_Object* window_ = nullptr;
};

TEST_F(ModePanelTest, BuildsEveryRowOnceWithItsLabelsAndFirstValues) {
  EXPECT_EQ(Qz_DoMethod(panel_, kQzPluginGetTitle), qz::toWord(kPanel.title));
  const std::pair<const char*, size_t> counts[] = {
      {"CompactSlider", 1}, {"CheckBox", 5}, {"PopUpList", 1}, {"Angle", 1}, {"ColourEdit", 1}};
  for (const auto& [name, count] : counts) {
    SCOPED_TRACE(name);
    EXPECT_EQ(qztest::FindAllOf(panel_, name).size(), count);
  }
  std::vector<std::string> labels;
  for (Qz_Object* text : qztest::FindAllOf(panel_, "Text"))
    if (auto* label = reinterpret_cast<const char*>(Qz_DoMethod(text, kRootGetLabel))) labels.push_back(label);
  EXPECT_EQ(gMadeFor, mode_);
  for (const char* wanted :
       {"Forty-two", "Quality", "Rule", "Turn", "Centre", "Nearest", "Linear", "Press", "Source", "Manual"}) {
    SCOPED_TRACE(wanted);
    EXPECT_NE(std::find(labels.begin(), labels.end(), wanted), labels.end());
  }
  EXPECT_EQ(Qz_DoMethod(Gadget(kSetLevel), kValueGet), 50u);
  EXPECT_EQ(Qz_DoMethod(Gadget(kSetTurn), kAngleGet), 90u);
  EXPECT_EQ(Qz_DoMethod(Gadget(kSetRule), kPopUpListGetIndex), 0u);
  const std::vector<Qz_Object*> boxes = Boxes();
  ASSERT_EQ(boxes.size(), 5u);
  const QzWord ticked[] = {0, 0, 1, 1, 0};  // flag; Low, High; above, below
  for (size_t i = 0; i < boxes.size(); ++i) EXPECT_EQ(State(boxes[i]), ticked[i]) << "box " << i;
  // Built once: the panel stays the mode's through later calls.
  Qz_DoMethod(mode_, kSetLevel, 60);
  EXPECT_EQ(PanelOf(mode_), panel_);
}

// Gadget to setter, and setter to gadget, for every kind that holds a value.
TEST_F(ModePanelTest, GadgetsSetTheModeAndTheModeShowsInTheGadgets) {
  struct Case {
    const char* name;
    uint32_t setter, getter, gadgetSet, gadgetGet;
    QzWord byGadget, bySetter;
  };
  const Case cases[] = {
      {"slider", kSetLevel, kGetLevel, kValueSet, kValueGet, 120, 7},
      {"check box", kSetFlag, kGetFlag, kCheckBoxSetState, kCheckBoxGetState, 1, 0},
      {"pop-up list", kSetRule, kGetRule, kPopUpListSetIndex, kPopUpListGetIndex, 2, 1},
      {"angle", kSetTurn, kGetTurn, kAngleSet, kAngleGet, 45, uint32_t(-30)},
      {"number", kSetCentre, kGetCentre, kStringEditSetNumber, kStringEditGetNumber, 321, uint32_t(-12)},
      {"colour", kSetTint, kGetTint, kQzColourEditColour, 0, 0x336699, 0x102030},
      {"the mode's own", kSetSource, kGetSource, kMutualExcludeMark, kMutualExcludeGetMarked, 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Qz_Object* gadget = Gadget(c.setter);
    ASSERT_NE(gadget, nullptr);
    const int callsBefore = CallsOf(c.setter);
    Qz_DoMethod(gadget, c.gadgetSet, c.byGadget);
    EXPECT_EQ(Qz_DoMethod(mode_, c.getter), c.byGadget);
    EXPECT_EQ(CallsOf(c.setter), callsBefore + 1);
    Qz_DoMethod(mode_, c.setter, c.bySetter);
    if (c.gadgetGet) {
      EXPECT_EQ(uint32_t(Qz_DoMethod(gadget, c.gadgetGet)), uint32_t(c.bySetter));
    }
    EXPECT_EQ(Qz_DoMethod(mode_, c.getter), c.bySetter);
    EXPECT_EQ(CallsOf(c.setter), callsBefore + 2) << "showing the value sent it back";
  }
  // A button sends its setter at each press and shows nothing.
  Qz_DoNotify(Gadget(kPress), kButtonPressed, 1u);
  Qz_DoNotify(Gadget(kPress), kButtonPressed, 1u);
  EXPECT_EQ(qz::kit::self<TestModeObject>(mode_)->presses.load(), 2);
}

// A setter that keeps less than the gadget offered: the gadget shows what it kept.
TEST_F(ModePanelTest, AClampedValueShowsWhatTheModeKept) {
  Qz_DoMethod(Gadget(kSetLevel), kValueSet, 250u);
  EXPECT_EQ(Qz_DoMethod(mode_, kGetLevel), 200u);
  EXPECT_EQ(Qz_DoMethod(Gadget(kSetLevel), kValueGet), 200u);
  EXPECT_EQ(CallsOf(kSetLevel), 1);
}

// Either box of a pair, ticked or cleared, chooses itself; the partner is
// cleared without choosing in turn, and the setting is sent once.
TEST_F(ModePanelTest, RadioPairsEndConsistentWithoutPingPong) {
  OpenWindow();
  const std::vector<Qz_Object*> boxes = Boxes();
  ASSERT_EQ(boxes.size(), 5u);
  struct Step {
    const char* name;
    size_t box;        // the box the user changes
    QzWord newState;   // what the user's change makes it
    size_t chosen;     // the box ticked afterwards (of that pair)
  };
  struct Pair {
    const char* name;
    size_t first;
    uint32_t firstSetter, secondSetter, getter;
    QzWord firstValue, secondValue;  // the getter's answer with either box chosen
  };
  const Pair pairs[] = {{"one setting", 1, kSetQuality, kSetQuality, kGetQuality, 0, 1},
                        {"two methods", 3, kChooseAbove, kChooseBelow, kGetAbove, 1, 0}};
  for (const Pair& p : pairs) {
    SCOPED_TRACE(p.name);
    const Step steps[] = {{"tick the first", 0, 1, 0},  {"tick the second", 1, 1, 1},
                          {"clear the chosen", 1, 0, 1}, {"clear the other", 0, 0, 0},
                          {"tick the chosen", 0, 1, 0}};
    for (const Step& s : steps) {
      SCOPED_TRACE(s.name);
      const int calls = CallsOf(p.firstSetter) + (p.secondSetter != p.firstSetter ? CallsOf(p.secondSetter) : 0);
      OnWindow(boxes[p.first + s.box], kCheckBoxSetState, s.newState);
      EXPECT_EQ(State(boxes[p.first + s.chosen]), 1u);
      EXPECT_EQ(State(boxes[p.first + 1 - s.chosen]), 0u);
      EXPECT_EQ(Qz_DoMethod(mode_, p.getter), s.chosen == 0 ? p.firstValue : p.secondValue);
      const int after = CallsOf(p.firstSetter) + (p.secondSetter != p.firstSetter ? CallsOf(p.secondSetter) : 0);
      EXPECT_EQ(after, calls + 1);
    }
    // The mode changed elsewhere: the pair follows.
    Qz_DoMethod(mode_, p.secondSetter, 1u);
    ASSERT_TRUE(ui_.settle(window_));
    EXPECT_EQ(State(boxes[p.first]), 0u);
    EXPECT_EQ(State(boxes[p.first + 1]), 1u);
  }
}

TEST_F(ModePanelTest, ShowInPanelSetsAGadgetWithoutSendingIt) {
  mp::showInPanel(mode_, kSetCentre, 77u);
  EXPECT_EQ(Qz_DoMethod(Gadget(kSetCentre), kStringEditGetNumber), 77u);
  EXPECT_EQ(Qz_DoMethod(mode_, kGetCentre), 0u);
  EXPECT_EQ(CallsOf(kSetCentre), 0);
  mp::showInPanel(mode_, 0x7777FF, 1u);  // no such row: nothing
}

void RecordThread(QzWord data, Qz_Object*, uint32_t, const QzWord*) {
  auto* seen = reinterpret_cast<std::pair<std::mutex, std::vector<std::thread::id>>*>(data);
  std::lock_guard<std::mutex> lock(seen->first);
  seen->second.push_back(std::this_thread::get_id());
}

// A setter run on another thread while the panel is shown: every gadget
// update happens on the window's thread, the gadget ends on the last value,
// and nothing is sent back to the mode.
TEST_F(ModePanelTest, WritesFromOtherThreadsReachTheGadgetsOnTheirWindowsThread) {
  OpenWindow();
  std::pair<std::mutex, std::vector<std::thread::id>> seen;
  Qz_Object* level = Gadget(kSetLevel);
  Qz_Object* box = Boxes()[1];
  Qz_AddCallBackNotify(level, kValueSet, kNotifyAnyValue, RecordThread, reinterpret_cast<QzWord>(&seen));
  constexpr int kWrites = 200;
  std::thread writer([this] {
    for (int i = 1; i <= kWrites; ++i) {
      Qz_DoMethod(mode_, kSetLevel, uint32_t(i % 200 + 1));
      Qz_DoMethod(mode_, kSetQuality, uint32_t(i % 2));
    }
  });
  const std::thread::id writerId = writer.get_id();
  writer.join();
  ASSERT_TRUE(ui_.settle(window_));
  EXPECT_EQ(Qz_DoMethod(level, kValueGet), uint32_t(kWrites % 200 + 1));
  EXPECT_EQ(State(box), kWrites % 2 == 0 ? 1u : 0u);  // Low ticked for quality 0
  EXPECT_EQ(CallsOf(kSetLevel), kWrites);
  EXPECT_EQ(CallsOf(kSetQuality), kWrites);
  std::lock_guard<std::mutex> lock(seen.first);
  EXPECT_FALSE(seen.second.empty());
  for (const std::thread::id& id : seen.second) {
    EXPECT_NE(id, writerId);
    EXPECT_NE(id, std::this_thread::get_id());
  }
}

// A short panel, as the warp modes have: entries, a button, sliders, check
// boxes one under another and a radio pair.
constexpr mp::PanelRow kShortRows[] = {
    mp::number("Centre", kSetCentre),
    mp::button("Press", kPress),
    mp::slider("Level", kSetLevel, 0, 255, 50),
    mp::checkBox("Flag", kSetFlag),
    mp::checkBox("Flag again", kSetFlag),
    mp::checkBox("Flag once more", kSetFlag),
    mp::text("Quality"),
    mp::radioPair("Low", "High", kSetQuality, 1),
};
constexpr mp::PanelSpec kShortPanel{"Short", kShortRows};
const qz::kit::ClassDecl kShortMode = {
    .name = "PanelShortMode", .superName = "RootMode", .classId = 0x7771000,
    .instance = qz::kit::instanceOf<TestModeObject>(), .handler = TestModeDispatch,
    .attributes = kAttributes, .setUp = mp::panelSetUp<kShortPanel>};

const Qz_LayoutBox& BoxOf(Qz_Object* o) { return Qz_RootInstance(o)->box; }

// Spare height in a tall column is not shared out to rows that have their
// own height: each keeps it and follows the one above at the group's spacing.
TEST_F(ModePanelTest, RowsOfAShortPanelInATallBoxKeepTheirHeightsOneUnderAnother) {
  ASSERT_EQ(qz::kit::addClass(kShortMode), 1u);
  Qz_Object* mode = Qz_CreateObject("PanelShortMode");
  ASSERT_NE(mode, nullptr);
  Qz_Object* panel = PanelOf(mode);
  ASSERT_NE(panel, nullptr);
  Qz_Object* window = ui_.window("short panel", 20, 20, 240, 900);
  ASSERT_NE(window, nullptr);
  Qz_DoMethod(window, kGroupAddTail, panel);
  ASSERT_TRUE(ui_.open(window));
  ASSERT_TRUE(ui_.settle(window));

  const std::vector<Qz_Object*> boxes = qztest::FindAllOf(panel, "CheckBox");
  ASSERT_EQ(boxes.size(), 5u);
  Qz_Object* content = BoxOf(boxes[0]).parent;
  ASSERT_NE(content, nullptr);
  const auto spacing = int32_t(Qz_DoMethod(content, kGroupGetSpacing));
  std::vector<Qz_Object*> rows;
  for (auto m = Qz_DoMethod(content, kGroupFirst); m; m = Qz_DoMethod(content, kGroupNext, m))
    rows.push_back(reinterpret_cast<Qz_Object*>(m));
  ASSERT_EQ(rows.size(), 9u);  // a radio pair is two rows
  int32_t bottom = 0;
  for (size_t i = 0; i < rows.size(); ++i) {
    SCOPED_TRACE(i);
    const Qz_LayoutBox& b = BoxOf(rows[i]);
    EXPECT_GT(b.height, 0);
    EXPECT_EQ(b.height, b.minHeight);
    if (i > 0) {
      EXPECT_EQ(b.top, bottom + spacing);
    }
    bottom = b.top + b.height;
  }

  ui_.post(window, window, kGroupRemove, panel);
  ui_.settle(window);
  ui_.dispose(window);
  Qz_DisposeObject(mode);
  qz::kit::removeClass(kShortMode);
}

// Without the panel classes, or with a table that does not hold together,
// the mode has no panel and works all the same.
TEST(ModePanelWithout, NoPanelClassesOrABadTableGiveAModeWithoutAPanel) {
  qztest::UiHarness ui;
  ASSERT_NE(Qz_InitImageBase(), nullptr);
  ASSERT_EQ(Qz_InitRootModeClass(nullptr), 1u);
  ASSERT_EQ(qz::kit::addClass(kTestMode), 1u);
  Qz_Object* mode = Qz_CreateObject("PanelTestMode");
  ASSERT_NE(mode, nullptr);
  EXPECT_EQ(PanelOf(mode), nullptr);
  EXPECT_EQ(Qz_DoMethod(mode, kSetLevel, 70u), 70u);
  mp::showInPanel(mode, kSetLevel, 5u);
  EXPECT_EQ(mp::panelGadget(mode, kSetLevel), nullptr);
  Qz_DisposeObject(mode);

  ASSERT_EQ(Qz_InitRootPluginClass(nullptr), 1u);
  for (std::span<const mp::PanelRow> rows : {std::span<const mp::PanelRow>(kUnclosed),
                                             std::span<const mp::PanelRow>(kOverClosed)}) {
    Qz_Object* bare = Qz_CreateObject("RootMode");
    ASSERT_NE(bare, nullptr);
    EXPECT_FALSE(mp::buildPanel(bare, {"Bad", rows}));
    EXPECT_EQ(PanelOf(bare), nullptr);
    Qz_DisposeObject(bare);
  }
  qz::kit::removeClass(kTestMode);
  Qz_CleanupRootPluginClass();
  Qz_CleanupRootModeClass();
  Qz_CleanupImageBase();
}

}  // namespace
