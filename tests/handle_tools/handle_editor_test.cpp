// The handle editor: the hit test and cursor kinds of a four-corner action
// at two zooms, how each handle moves the points, and scripted drags, arrow
// keys and typed coordinates that each change the action inside one
// take-back and redo.
#include <gtest/gtest.h>

#include <utility>

#include "handle_tools/handle_tools_fixture.h"
#include "tools/handle_geometry.h"

namespace {

using namespace handle_tools_test;
using namespace qz::tools;

const Points kBox = {{0, 0}, {100, 0}, {100, 50}, {0, 50}};

TEST(HandleGeometry, HitTestGivesTheCursorKindsAtTwoZooms) {
  struct Case {
    const char* name;
    int32_t s, x, y;
    uint32_t kind;
  } cases[] = {
      {"top left, 100 %", 16, -8, -8, kCursorTopLeft},
      {"top right", 16, 108, -16, kCursorTopRight},
      {"bottom right", 16, 116, 58, kCursorBottomRight},
      {"bottom left", 16, -1, 51, kCursorBottomLeft},
      {"top edge", 16, 50, -4, kCursorEdgeTop},
      {"right edge", 16, 110, 25, kCursorEdgeRight},
      {"bottom edge", 16, 45, 60, kCursorEdgeBottom},
      {"left edge", 16, -10, 30, kCursorEdgeLeft},
      {"inside", 16, 40, 20, kCursorMove},
      {"outside", 16, 140, 20, kCursorNone},
      {"beyond the corner handle", 16, -17, -17, kCursorNone},
      {"top left, 400 %", 4, -4, -4, kCursorTopLeft},
      {"where 100 % had a corner", 4, -8, -8, kCursorNone},
      {"bottom edge, 400 %", 4, 50, 53, kCursorEdgeBottom},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(cursorKindOf(hitHandle(kBox, true, c.s, c.x, c.y)), c.kind);
  }
  // Points of any other action are hit within s of them.
  EXPECT_EQ(hitHandle(kBox, false, 4, 97, 3), (HandleHit{HandleKind::Point, 1}));
}

TEST(HandleGeometry, EachHandleMovesItsPoints) {
  struct Case {
    const char* name;
    HandleHit hit;
    Points expected;
  } cases[] = {
      {"corner 2 keeps a rectangle", {HandleKind::Corner, 2}, {{0, 0}, {110, 0}, {110, 55}, {0, 55}}},
      {"corner 0", {HandleKind::Corner, 0}, {{10, 5}, {100, 5}, {100, 50}, {10, 50}}},
      {"right edge moves two corners", {HandleKind::Edge, kEdgeRight}, {{0, 0}, {110, 0}, {110, 50}, {0, 50}}},
      {"top edge", {HandleKind::Edge, kEdgeTop}, {{0, 5}, {100, 5}, {100, 50}, {0, 50}}},
      {"inside moves all", {HandleKind::Inside, 0}, {{10, 5}, {110, 5}, {110, 55}, {10, 55}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(dragHandle(kBox, true, c.hit, 10, 5), c.expected);
  }
}

// ---- scripted input through the tool ----------------------------------------------

// A RootAction that notes the first point's x each time its handles are
// hidden or shown, so a test sees the change inside the bracket.
std::vector<std::pair<uint32_t, int32_t>> gBracket;

QzWord RecordingDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  if (id == kActionHideHandles || id == kActionShowHandles) {
    const Points points = actionPoints(Qz_GetTopMostObject(object));
    gBracket.emplace_back(id, points.empty() ? 0 : points[0].x);
  }
  return qz::kit::inherited(object, id, args);
}

const qz::kit::ClassDecl kRecordingAction = {
    .name = "RecordingBoxAction", .superName = "RootAction", .classId = 0x7E310000, .handler = RecordingDispatch};

class HandleEditorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(qz::kit::addClass(kRecordingAction), 1u);
    gZoomPercent = 100;
    d_.Open(200, 100);
    tool_ = Qz_CreateObject("PositionActionTool");
    ASSERT_NE(tool_, nullptr);
    action_ = Qz_CreateObject("RecordingBoxAction", kActionSetFlags, uint32_t(kActionBoxHandles), 0u);
    for (const HandlePoint& p : cornersOf(20, 10, 100, 50))
      Qz_DoMethod(action_, kActionStartPoints, kActionSetX, uint32_t(p.x), kActionSetY, uint32_t(p.y), 0u);
    ASSERT_EQ(Qz_AddLayerAction(d_.layer, action_, 0), 1u);
    Qz_DoMethod(action_, kRootSelect);
    ASSERT_EQ(selectedAction(d_.doc), action_);
    gBracket.clear();
  }
  void TearDown() override {
    Qz_DisposeObject(tool_);
    d_.Close();
    qz::kit::removeClass(kRecordingAction);
  }
  // The change happened between a hide that saw the old first x and a show that saw the new one.
  void ExpectBracketed(int32_t oldX, int32_t newX) {
    ASSERT_GE(gBracket.size(), 2u);
    EXPECT_EQ(gBracket.front(), std::make_pair(kActionHideHandles, oldX));
    EXPECT_EQ(gBracket.back().second, newX);
    bool shown = false;
    for (const auto& [id, x] : gBracket) shown |= id == kActionShowHandles && x == newX;
    EXPECT_TRUE(shown);
    gBracket.clear();
  }

  Document d_;
  Qz_Object* tool_ = nullptr;
  Qz_Object* action_ = nullptr;
};

TEST_F(HandleEditorTest, DragsMoveTheWholeActionOrOneHandleInsideTheBracket) {
  Drag(tool_, d_.doc, 50, 30, 60, 35);  // inside: the whole action
  EXPECT_EQ(actionPoints(action_), (Points{{30, 15}, {130, 15}, {130, 65}, {30, 65}}));
  ExpectBracketed(20, 30);
  Drag(tool_, d_.doc, 135, 70, 125, 75);  // the bottom-right corner's handle
  EXPECT_EQ(actionPoints(action_), (Points{{30, 15}, {120, 15}, {120, 70}, {30, 70}}));
  ExpectBracketed(30, 30);
  Drag(tool_, d_.doc, 180, 90, 170, 80);  // nowhere near: nothing
  EXPECT_TRUE(gBracket.empty());
  EXPECT_EQ(Qz_DoMethod(tool_, kHandleEditorGetMode), uint32_t(kHandleEditorReplays));
}

TEST_F(HandleEditorTest, HoverSetsTheCursorKindAndHandlesKeepTheirScreenSize) {
  Input(tool_, d_.doc, IDCMP_MOUSEMOVE, 0, 12, 2);  // 8 px outside the top-left corner
  EXPECT_EQ(Qz_DoMethod(tool_, kToolGetCursorKind), kCursorTopLeft);
  EXPECT_EQ(handleSize(d_.doc, d_.layer, false), 16);
  gZoomPercent = 400;
  EXPECT_EQ(handleSize(d_.doc, d_.layer, false), 4);
  // The same 8 window pixels are 2 picture pixels now: still the corner's handle.
  Input(tool_, d_.doc, IDCMP_MOUSEMOVE, 0, 20 * 4 - 8, 10 * 4 - 8);
  EXPECT_EQ(Qz_DoMethod(tool_, kToolGetCursorKind), kCursorTopLeft);
  Input(tool_, d_.doc, IDCMP_MOUSEMOVE, 0, 20 * 4 - 40, 10 * 4 - 40);
  EXPECT_EQ(Qz_DoMethod(tool_, kToolGetCursorKind), kCursorNone);
}

TEST_F(HandleEditorTest, ArrowsNudgeOnePixel) {
  Input(tool_, d_.doc, IDCMP_ARROWKEY, CURSORLEFT, 0, 0);
  Input(tool_, d_.doc, IDCMP_ARROWKEY, CURSORDOWN, 0, 0);
  EXPECT_EQ(actionPoints(action_)[0], (HandlePoint{19, 11}));
  // Without a selected action keys change nothing.
  Qz_DoMethod(action_, kRootDeselect);
  Input(tool_, d_.doc, IDCMP_ARROWKEY, CURSORLEFT, 0, 0);
  EXPECT_EQ(actionPoints(action_)[0], (HandlePoint{19, 11}));
}

TEST_F(HandleEditorTest, WithChoosingOnAPressOutsidePicksTheNewestActionThere) {
  Qz_DoMethod(tool_, kHandleEditorSetMode, uint32_t(kHandleEditorChooses));
  Qz_Object* older = action_;
  Qz_Object* newer = Qz_CreateObject("RecordingBoxAction", kActionSetFlags, uint32_t(kActionBoxHandles), 0u);
  for (const HandlePoint& p : cornersOf(150, 60, 20, 20))
    Qz_DoMethod(newer, kActionStartPoints, kActionSetX, uint32_t(p.x), kActionSetY, uint32_t(p.y), 0u);
  ASSERT_EQ(Qz_AddLayerAction(d_.layer, newer, 0), 1u);
  Qz_DoMethod(older, kRootSelect);
  ASSERT_EQ(selectedAction(d_.doc), older);
  Input(tool_, d_.doc, IDCMP_MOUSEBUTTONS, SELECTDOWN, 160, 70);
  Input(tool_, d_.doc, IDCMP_MOUSEBUTTONS, SELECTUP, 160, 70);
  EXPECT_EQ(selectedAction(d_.doc), newer);
  EXPECT_EQ(actionPoints(newer)[0], (HandlePoint{150, 60}));  // chosen, not moved
  Input(tool_, d_.doc, IDCMP_MOUSEBUTTONS, SELECTDOWN, 30, 20);  // the older one's box
  EXPECT_EQ(selectedAction(d_.doc), older);
}

}  // namespace
