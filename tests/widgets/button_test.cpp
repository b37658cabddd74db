#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gadgets/qz_group.h"
#include "gadgets/qz_input_event.h"
#include "gadgets/qz_widgets.h"
#include "objects/qz_notify.h"
#include "objects/qz_root.h"
#include "platform/windows.h"

namespace {

// Records what a button announces: "P1"/"P0" press (0x30028) with its
// value, "S" select (0x100E6), "D" deselect (0x100F0).
struct Recorder {
  std::string log;
  static void note(QzWord user, Qz_Object*, uint32_t method, const QzWord* value) {
    auto* r = reinterpret_cast<Recorder*>(user);
    if (method == kButtonPressed) r->log += value[0] ? "P1 " : "P0 ";
    if (method == kRootSelect) r->log += "S ";
    if (method == kRootDeselect) r->log += "D ";
    if (method == kToolButtonSetState) r->log += "state" + std::to_string(value[0]) + " ";
  }
  void watch(Qz_Object* o) {
    for (uint32_t m : {kButtonPressed, kRootSelect, kRootDeselect, kToolButtonSetState})
      Qz_AddCallBackNotify(o, m, kNotifyAnyValue, note, reinterpret_cast<QzWord>(this));
  }
};

class Buttons : public testing::Test {
 protected:
  void SetUp() override { Qz_Init(); }
  void TearDown() override { Qz_CleanUp(); }

  // Boxes at 10, 10, 40 x 20; (20, 20) is over it, (100, 100) is not.
  static void place(Qz_Object* o) {
    Qz_LayoutBox* b = &Qz_RootInstance(o)->box;
    b->left = 10;
    b->top = 10;
    b->width = 40;
    b->height = 20;
  }
  static QzWord send(Qz_Object* o, uint32_t cls, uint32_t code, int x = 20, int y = 20) {
    Qz_InputEvent e{};
    e.cls = cls;
    e.code = code;
    e.mouseX = int16_t(x);
    e.mouseY = int16_t(y);
    return Qz_DoMethod(o, kRootHandleIDCMP, &e);
  }
};

enum Step { kDownIn, kDownOut, kUpIn, kUpOut, kMoveIn, kMoveOut, kKey, kInactive, kSelectOn, kSelectOff };

}  // namespace

// The firing rules, one event sequence per row. A press announced at a
// select comes before the group's select, as at a deselect.
TEST_F(Buttons, FiringRules) {
  struct Case {
    const char* name;
    QzWord toggle, immediate, silent, type;
    std::vector<Step> steps;
    const char* log;
    QzWord selectedAfter;
  };
  const Case cases[] = {
      {"plain: press and release over it fires once, on release", 0, 0, 0, 0, {kDownIn, kUpIn}, "S P0 D ", 0},
      {"plain: released outside fires nothing", 0, 0, 0, 0, {kDownIn, kUpOut}, "S D ", 0},
      {"plain: dragged out and released fires nothing", 0, 0, 0, 0, {kDownIn, kMoveOut, kUpOut}, "S D ", 0},
      {"plain: out and back in, then released, fires once", 0, 0, 0, 0,
       {kDownIn, kMoveOut, kMoveIn, kUpIn}, "S D S P0 D ", 0},
      {"plain: pressed outside is nothing", 0, 0, 0, 0, {kDownOut, kUpIn}, "", 0},
      {"plain: window inactive mid-press fires nothing", 0, 0, 0, 0, {kDownIn, kInactive, kUpIn}, "S D ", 0},
      {"toggle: on at release, fires as it goes on", 0 + 1, 0, 0, 0, {kDownIn, kUpIn}, "S P1 ", 1},
      {"toggle: a second click turns it off and fires", 1, 0, 0, 0, {kDownIn, kUpIn, kDownIn, kUpIn},
       "S P1 P0 D ", 0},
      {"toggle: released outside stays off", 1, 0, 0, 0, {kDownIn, kUpOut}, "", 0},
      {"immediate silent: changes at the press", 0, 1, 1, 0, {kDownIn}, "P1 S ", 1},
      {"immediate not silent: changes at the release", 0, 1, 0, 0, {kDownIn}, "", 0},
      {"immediate not silent: released outside still changes", 0, 1, 0, 0, {kDownIn, kUpOut}, "P1 S ", 1},
      {"shortcut: fires once and stays pressed", 0, 0, 0, 0, {kKey}, "P1 S ", 1},
      {"shortcut: the release after it ends it quietly", 0, 0, 0, 0, {kKey, kUpOut}, "P1 S D ", 0},
      {"shortcut then deselect: quiet", 0, 0, 0, 0, {kKey, kSelectOff}, "P1 S D ", 0},
      {"0x30032 with 0 on a selected plain button fires", 0, 0, 0, 0, {kSelectOn, kSelectOff}, "S P0 D ", 0},
      {"silent button: selecting fires, deselecting does not", 0, 0, 1, 0, {kSelectOn, kSelectOff}, "P1 S D ", 0},
      {"typed: stays in after release", 0, 0, 0, 9, {kDownIn, kUpIn}, "S ", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Qz_Object* b = Qz_CreateObject("Button", kButtonSetKey, 13);
    ASSERT_NE(b, nullptr);
    if (c.toggle) Qz_DoMethod(b, kButtonToggle, 1);
    if (c.immediate) Qz_DoMethod(b, kButtonImmediate, 1);
    Qz_DoMethod(b, kButtonSilent, c.silent);
    if (c.type) Qz_DoMethod(b, kButtonType, c.type);
    place(b);
    Recorder r;
    r.watch(b);
    for (Step s : c.steps) {
      switch (s) {
        case kDownIn: send(b, IDCMP_MOUSEBUTTONS, SELECTDOWN); break;
        case kDownOut: send(b, IDCMP_MOUSEBUTTONS, SELECTDOWN, 100, 100); break;
        case kUpIn: send(b, IDCMP_MOUSEBUTTONS, SELECTUP); break;
        case kUpOut: send(b, IDCMP_MOUSEBUTTONS, SELECTUP, 100, 100); break;
        case kMoveIn: send(b, IDCMP_MOUSEMOVE, 0); break;
        case kMoveOut: send(b, IDCMP_MOUSEMOVE, 0, 100, 100); break;
        case kKey: EXPECT_EQ(send(b, IDCMP_VANILLAKEY, 13), 1u); break;
        case kInactive: send(b, IDCMP_INACTIVEWINDOW, 0); break;
        case kSelectOn: Qz_DoMethod(b, kButtonSetSelected, 1); break;
        case kSelectOff: Qz_DoMethod(b, kButtonSetSelected, 0); break;
      }
    }
    EXPECT_EQ(r.log, c.log);
    EXPECT_EQ(Qz_DoMethod(b, kButtonGetSelected), c.selectedAfter);
    Qz_DisposeObject(b);
  }
}

TEST_F(Buttons, KeysDisabledButtonsAndSelectResults) {
  Qz_Object* b = Qz_CreateObject("Button", kButtonSetKey, 27);
  place(b);
  EXPECT_EQ(Qz_DoMethod(b, kButtonGetKey), 27u);
  EXPECT_EQ(send(b, IDCMP_VANILLAKEY, 13), 2u) << "another key is not consumed";
  EXPECT_EQ(Qz_DoMethod(b, kRootSelect), reinterpret_cast<QzWord>(b)) << "select answers the outermost object";
  Qz_DoMethod(b, kRootDeselect);
  Qz_DoMethod(b, kRootDisable);
  Recorder r;
  r.watch(b);
  send(b, IDCMP_MOUSEBUTTONS, SELECTDOWN);
  send(b, IDCMP_MOUSEBUTTONS, SELECTUP);
  EXPECT_EQ(send(b, IDCMP_VANILLAKEY, 27), 2u);
  Qz_DoMethod(b, kButtonSetSelected, 1);
  EXPECT_EQ(r.log, "") << "a disabled button cannot be selected";
  EXPECT_EQ(Qz_DoMethod(b, kButtonGetSelected), 0u);
  Qz_DisposeObject(b);
}

TEST_F(Buttons, ToolButtonCyclesThroughItsFaces) {
  Qz_Object* t = Qz_CreateObject("ToolButton");
  ASSERT_NE(t, nullptr);
  for (int i = 0; i < 3; ++i) Qz_DoMethod(t, kGroupAddTail, Qz_CreateObject("Space"));
  place(t);
  Recorder r;
  r.watch(t);
  std::vector<QzWord> states;
  for (int i = 0; i < 4; ++i) {
    send(t, IDCMP_MOUSEBUTTONS, SELECTDOWN);
    send(t, IDCMP_MOUSEBUTTONS, SELECTUP);
    states.push_back(Qz_DoMethod(t, kToolButtonGetState));
  }
  EXPECT_EQ(states, (std::vector<QzWord>{1, 2, 1, 2}));
  send(t, IDCMP_MOUSEBUTTONS, SELECTDOWN, 100, 100);
  EXPECT_EQ(Qz_DoMethod(t, kToolButtonGetState), 2u) << "a press elsewhere changes nothing";
  r.log.clear();
  Qz_DoMethod(t, kRootDeselect);
  EXPECT_EQ(Qz_DoMethod(t, kToolButtonGetState), 0u);
  EXPECT_EQ(r.log, "D state0 ");
  EXPECT_EQ(Qz_DoMethod(t, kToolButtonSetState, 7), 1u) << "a state past the faces becomes 1";
  EXPECT_EQ(Qz_DoMethod(t, kGroupCount), 3u) << "member ids reach the faces";
  Qz_DisposeObject(t);
}

TEST_F(Buttons, ButtonTypesAndStylesSetTheGroupsFrames) {
  // Construction and the frame settings must not disturb the press rules.
  Qz_Object* b = Qz_CreateObject("Button", kGroupSetFrame, 19, kButtonType, 14);
  place(b);
  Recorder r;
  r.watch(b);
  Qz_DoMethod(b, kGroupDragOver, b, 20, 20);
  EXPECT_EQ(Qz_DoMethod(b, kButtonGetSelected), 1u) << "a typed button is spring-loaded";
  Qz_DoMethod(b, kRootDeselect);
  EXPECT_EQ(r.log, "S P0 D ");
  Qz_DisposeObject(b);
}
