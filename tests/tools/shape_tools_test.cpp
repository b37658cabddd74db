// The shape and fill tools: the shapes' geometry (Shift constraints, corners
// of reversed drags, the traced ellipse) and scripted drags and clicks that
// each leave one action on the layer's undo list, taken back by one undo.
#include <gtest/gtest.h>

#include <vector>

#include "actions/action_internal.h"
#include "actions/qz_actions.h"
#include "gadgets/qz_group.h"
#include "gadgets/qz_input_event.h"
#include "gadgets/qz_sliders.h"
#include "gadgets/qz_widgets.h"
#include "image/qz_image.h"
#include "objects/qz_linked_list.h"
#include "objects/qz_notify.h"
#include "objects/qz_root.h"
#include "platform/windows.h"
#include "tools/qz_root_tool.h"
#include "tools/shape_geometry.h"
#include "tools/tool_fixture.h"
#include "support/object_tree.h"
#include "support/ui_harness.h"

namespace {

using qz::tools::Extent;

TEST(ShapeGeometry, ShiftOnALine) {
  const struct {
    Extent in, out;
  } cases[] = {
      {{30, 17}, {30, 0}},    // 30 degrees: horizontal
      {{17, 30}, {0, 30}},    // 60 degrees: vertical
      {{20, 20}, {20, 20}},   // 45 degrees: diagonal
      {{-20, 19}, {-20, 20}}, // near 45 up-left keeps the signs
      {{0, 0}, {0, 0}},
  };
  for (const auto& c : cases) {
    const Extent e = qz::tools::lineExtent(c.in);
    EXPECT_EQ(e.dx, c.out.dx) << c.in.dx << "," << c.in.dy;
    EXPECT_EQ(e.dy, c.out.dy) << c.in.dx << "," << c.in.dy;
  }
}

TEST(ShapeGeometry, ShiftMakesASquareOfTheLargerMagnitude) {
  const struct {
    Extent in, out;
  } cases[] = {{{-30, -10}, {-30, -30}}, {{10, -5}, {10, -10}}, {{-20, 5}, {-20, 20}}, {{3, 7}, {7, 7}}};
  for (const auto& c : cases) {
    const Extent e = qz::tools::squareExtent(c.in);
    EXPECT_EQ(e.dx, c.out.dx);
    EXPECT_EQ(e.dy, c.out.dy);
  }
}

TEST(ShapeGeometry, ReversedRectangleDragsGiveTheSameCorners) {
  const std::vector<int32_t> expected = {5, 5, 15, 5, 15, 12, 5, 12};
  EXPECT_EQ(qz::tools::rectangleCorners(5, 5, {10, 7}), expected);
  EXPECT_EQ(qz::tools::rectangleCorners(15, 12, {-10, -7}), expected);
  EXPECT_EQ(qz::tools::rectangleCorners(15, 5, {-10, 7}), expected);
}

TEST(ShapeGeometry, EllipseOutline) {
  EXPECT_EQ(qz::tools::ellipseOutline(10, 10, 3, 2),
            (std::vector<int32_t>{10, 8, 11, 9, 13, 10, 12, 11, 10, 12, 9, 11, 7, 10, 8, 9, 10, 8}));
  // A zero radius is the line it collapses to, not a division by zero.
  EXPECT_EQ(qz::tools::ellipseOutline(10, 10, 0, 4), (std::vector<int32_t>{10, 6, 10, 14}));
  EXPECT_EQ(qz::tools::ellipseOutline(10, 10, 5, 0), (std::vector<int32_t>{5, 10, 15, 10}));
}

// ---- scripted input ---------------------------------------------------------------

class ShapeToolTest : public qz::test::ToolFixture {
 protected:
  static void SetUpTestSuite() {
    Qz_GlobalData* g = Qz_GetGlobalData();
    Qz_InitLineToolClass(g);
    Qz_InitRectangleToolClass(g);
    Qz_InitEllipseToolClass(g);
    Qz_InitFillToolClass(g);
    Qz_InitCurveToolClass(g);
    Qz_InitPolygonToolClass(g);
    Qz_InitSymmetryToolClass(g);
  }
  static void TearDownTestSuite() {
    Qz_CleanupSymmetryToolClass();
    Qz_CleanupPolygonToolClass();
    Qz_CleanupCurveToolClass();
    Qz_CleanupFillToolClass();
    Qz_CleanupEllipseToolClass();
    Qz_CleanupRectangleToolClass();
    Qz_CleanupLineToolClass();
  }
};

constexpr int32_t kWidth = qz::test::kWidth, kHeight = qz::test::kHeight;

TEST_F(ShapeToolTest, AFilledRectangleIsOneActionWithItsCornersAndFillsTheLayer) {
  Use("RectangleTool", 2);
  const uint32_t before = ListLength();
  Drag(15, 12, 5, 5);  // up and to the left
  ASSERT_EQ(ListLength(), before + 1);
  EXPECT_EQ(Qz_DoMethod(Newest(), kActionGetFlags), uint32_t(kActionPolygon));
  EXPECT_EQ(Points(Newest()), (std::vector<int32_t>{5, 5, 15, 5, 15, 12, 5, 12}));
  EXPECT_EQ(layer_->grey[8][10], 255);
  EXPECT_EQ(layer_->grey[12][10], 0);
  EXPECT_EQ(Qz_DoMethod(tool_, kToolGetBrushOutline), 0u);
}

TEST_F(ShapeToolTest, TheOtherButtonCancelsAndShiftSquares) {
  Use("RectangleTool", 1);
  const uint32_t before = ListLength();
  Input(IDCMP_MOUSEBUTTONS, SELECTDOWN, 20, 20);
  Input(IDCMP_MOUSEMOVE, 0, 25, 25);
  EXPECT_EQ(Input(IDCMP_MOUSEBUTTONS, MENUDOWN, 25, 25), 1u);
  Input(IDCMP_MOUSEBUTTONS, SELECTUP, 25, 25);  // a release after the cancel is ignored
  EXPECT_EQ(ListLength(), before);
  Drag(20, 20, 10, 17, false, IEQUALIFIER_SHIFT);
  ASSERT_EQ(ListLength(), before + 1);
  EXPECT_EQ(Qz_DoMethod(Newest(), kActionGetFlags), uint32_t(kActionOutline));
  EXPECT_EQ(Points(Newest()), (std::vector<int32_t>{10, 10, 20, 10, 20, 20, 10, 20}));
}

TEST_F(ShapeToolTest, LineAndEllipseGiveTheirPoints) {
  Use("LineTool");
  Drag(4, 4, 20, 9, true, IEQUALIFIER_SHIFT);  // flat enough to become horizontal
  EXPECT_EQ(Qz_DoMethod(Newest(), kActionGetFlags), uint32_t(kActionLines));
  EXPECT_EQ(Qz_DoMethod(Newest(), kActionGetQualifier), 2u);
  EXPECT_EQ(Points(Newest()), (std::vector<int32_t>{4, 4, 20, 4}));
  Qz_DisposeObject(tool_);
  Use("EllipseTool");
  Drag(10, 10, 13, 12);
  EXPECT_EQ(Qz_DoMethod(Newest(), kActionGetFlags), uint32_t(kActionOutline));
  EXPECT_EQ(Points(Newest()), qz::tools::ellipseOutline(10, 10, 3, 2));
  Drag(10, 10, 10, 14);  // no width: a line, not a crash
  EXPECT_EQ(Points(Newest()), (std::vector<int32_t>{10, 6, 10, 14}));
}

TEST_F(ShapeToolTest, EachFillClickIsOneFloodFillWithTheToolsValues) {
  Use("FillTool");
  for (int32_t y = 0; y < kHeight; ++y)
    for (int32_t x = 0; x < kWidth; ++x) doc_->undoR[y][x] = doc_->undoG[y][x] = doc_->undoB[y][x] = x < 20 ? 0 : 200;
  const uint32_t before = ListLength();
  Input(IDCMP_MOUSEBUTTONS, SELECTDOWN, 5, 5);
  Input(IDCMP_MOUSEBUTTONS, SELECTUP, 5, 5);
  ASSERT_EQ(ListLength(), before + 1);
  EXPECT_EQ(qz::actions::classIdOf(Newest()), kFloodFillActionClassId);
  EXPECT_EQ(Qz_DoMethod(Newest(), kFloodFillGetTolerance), 25u);
  EXPECT_EQ(Qz_DoMethod(Newest(), kFloodFillGetSoftness), 30u);
  EXPECT_EQ(layer_->grey[5][5], 255);
  EXPECT_EQ(layer_->grey[5][25], 0);
  Input(IDCMP_MOUSEBUTTONS, SELECTDOWN, 100, 100);  // outside the view
  EXPECT_EQ(ListLength(), before + 1);
  // The options panel's sliders: tolerance then softness, each in a row after the title.
  auto* panel = reinterpret_cast<Qz_Object*>(Qz_DoMethod(tool_, kToolGetOptions));
  ASSERT_NE(panel, nullptr);
  auto* row = reinterpret_cast<Qz_Object*>(Qz_DoMethod(panel, kLinkedListLast));
  Qz_DoMethod(reinterpret_cast<Qz_Object*>(Qz_DoMethod(row, kLinkedListLast)), kValueSet, 80u);
  row = reinterpret_cast<Qz_Object*>(Qz_DoMethod(panel, kLinkedListPrevious, row));
  Qz_DoMethod(reinterpret_cast<Qz_Object*>(Qz_DoMethod(row, kLinkedListLast)), kValueSet, 300u);
  Click(25, 5);
  ASSERT_EQ(ListLength(), before + 2);
  EXPECT_EQ(Qz_DoMethod(Newest(), kFloodFillGetTolerance), 255u) << "the slider keeps to its range";
  EXPECT_EQ(Qz_DoMethod(Newest(), kFloodFillGetSoftness), 80u);
}

// Each options panel fits a narrow panel column: no slider or field runs
// past the column's right edge (a row's default weights ask for more room
// than the row has and push the last gadget out of sight).
TEST_F(ShapeToolTest, OptionsPanelsFitANarrowColumn) {
  constexpr int32_t kColumnWidth = 230;
  for (const char* cls : {"LineTool", "RectangleTool", "EllipseTool", "FillTool", "CurveTool", "PolygonTool",
                          "SymmetryTool"}) {
    SCOPED_TRACE(cls);
    Qz_Object* tool = Qz_CreateObject(cls);
    ASSERT_NE(tool, nullptr);
    auto* panel = reinterpret_cast<Qz_Object*>(Qz_DoMethod(tool, kToolGetOptions));
    if (panel) {
      qztest::UiHarness ui;
      Qz_Object* window = ui.window("Options", 10, 10, kColumnWidth, 300);
      Qz_DoMethod(window, kGroupAddTail, panel);
      ASSERT_TRUE(ui.open(window));
      const Window* w = ui.platformWindow(window);
      ASSERT_NE(w, nullptr);
      const int innerRight = w->Width - w->BorderRight;
      for (const char* gadget : {"CompactSlider", "Slider", "StringEdit", "CheckBox", "Button"})
        for (Qz_Object* found : qztest::FindAllOf(panel, gadget)) {
          const Qz_LayoutBox b = qztest::UiHarness::box(found);
          EXPECT_LE(b.left + b.width, innerRight) << gadget << " runs past the column's edge";
        }
      ui.post(window, window, kGroupRemove, panel);
      ui.settle(window);
    }
    Qz_DisposeObject(tool);
  }
}

// The application hears 1 at the press and 0 at the release or the cancel.
std::vector<QzWord> gDragging;
void RecordDragging(QzWord, Qz_Object*, uint32_t, const QzWord* value) { gDragging.push_back(value[0]); }

TEST_F(ShapeToolTest, TheApplicationIsToldWhileADragLastsAndOneUndoTakesTheShapeBack) {
  Qz_ImageBase* base = Qz_GetImageBase();
  Qz_Object* const savedApplication = base->application;
  base->application = Qz_CreateObject("Root");
  Qz_AddCallBackNotify(base->application, 0x130078, kNotifyAnyValue, RecordDragging, 0);
  gDragging.clear();
  Use("RectangleTool", 2);
  const uint32_t before = ListLength();
  Input(IDCMP_MOUSEBUTTONS, SELECTDOWN, 5, 5);
  EXPECT_EQ(gDragging, (std::vector<QzWord>{1}));
  Input(IDCMP_MOUSEMOVE, 0, 15, 12);
  Input(IDCMP_MOUSEBUTTONS, SELECTUP, 15, 12);
  EXPECT_EQ(gDragging, (std::vector<QzWord>{1, 0}));
  Input(IDCMP_MOUSEBUTTONS, SELECTDOWN, 5, 5);
  Input(IDCMP_MOUSEBUTTONS, MENUDOWN, 5, 5);  // cancelled
  EXPECT_EQ(gDragging, (std::vector<QzWord>{1, 0, 1, 0}));
  Qz_DisposeObject(base->application);
  base->application = savedApplication;

  ASSERT_EQ(ListLength(), before + 1);
  EXPECT_EQ(layer_->grey[8][10], 255);
  ASSERT_EQ(Qz_UndoImageAction(doc_), 1u);
  EXPECT_EQ(ListLength(), before);
  EXPECT_EQ(layer_->grey[8][10], 0);
}

TEST_F(ShapeToolTest, APolygonClosesOnItsFirstOrItsLastVertex) {
  const std::vector<int32_t> abca = {5, 5, 25, 5, 25, 20, 5, 5};
  const struct {
    uint32_t state;
    int16_t closeX, closeY;  // the closing click
    uint32_t flags;
  } cases[] = {{1, 5, 5, kActionOutline}, {2, 25, 20, kActionPolygon}};
  for (const auto& c : cases) {
    Qz_DisposeObject(tool_);
    Use("PolygonTool", c.state);
    const uint32_t before = ListLength();
    Click(5, 5);
    Input(IDCMP_MOUSEMOVE, 0, 25, 5);
    Click(25, 5);
    Click(25, 20);
    EXPECT_EQ(ListLength(), before) << "no action before the polygon closes";
    Click(c.closeX, c.closeY);
    ASSERT_EQ(ListLength(), before + 1);
    EXPECT_EQ(Qz_DoMethod(Newest(), kActionGetFlags), c.flags);
    EXPECT_EQ(Points(Newest()), abca);
  }
  EXPECT_EQ(layer_->grey[8][20], 255);  // inside the filled triangle
  EXPECT_EQ(layer_->grey[18][8], 0);    // outside it
}

TEST_F(ShapeToolTest, APolygonIsCancelledByTheOtherButtonAndNeedsThreeVertices) {
  Use("PolygonTool", 2);
  const uint32_t before = ListLength();
  Click(5, 5);
  Click(25, 5);
  Input(IDCMP_MOUSEBUTTONS, MENUDOWN, 25, 20);
  EXPECT_EQ(Input(IDCMP_MOUSEBUTTONS, MENUUP, 25, 20), 1u);
  Click(25, 20);  // starts a new polygon
  Click(10, 10);
  Click(10, 10);  // two vertices enclose nothing
  EXPECT_EQ(ListLength(), before);
  Click(5, 5);
  Click(100, 100);  // outside the view: no vertex
  Click(25, 5);
  Click(25, 20);
  Click(25, 20);
  ASSERT_EQ(ListLength(), before + 1);
  EXPECT_EQ(Points(Newest()), (std::vector<int32_t>{5, 5, 25, 5, 25, 20, 5, 5}));
}

TEST_F(ShapeToolTest, ACurveIsDraggedToItsEndThenBentThroughItsMiddle) {
  Use("CurveTool");
  const uint32_t before = ListLength();
  Input(IDCMP_MOUSEBUTTONS, SELECTDOWN, 5, 5);
  Input(IDCMP_MOUSEMOVE, 0, 20, 6);
  Input(IDCMP_MOUSEBUTTONS, SELECTUP, 25, 5);  // the end
  Input(IDCMP_MOUSEMOVE, 0, 12, 18);
  EXPECT_EQ(ListLength(), before);
  Input(IDCMP_MOUSEBUTTONS, SELECTDOWN, 15, 20);  // the middle
  Input(IDCMP_MOUSEBUTTONS, SELECTUP, 15, 20);    // the idle tool ignores it
  ASSERT_EQ(ListLength(), before + 1);
  EXPECT_EQ(Qz_DoMethod(Newest(), kActionGetFlags), uint32_t(kActionCurve));
  EXPECT_EQ(Points(Newest()), (std::vector<int32_t>{5, 5, 15, 20, 25, 5}));
  // A window going inactive while the curve bends drops it.
  Drag(5, 5, 25, 5);
  Input(IDCMP_INACTIVEWINDOW, 0, 0, 0);
  Click(15, 20);  // starts a new curve
  EXPECT_EQ(ListLength(), before + 1);
}

TEST_F(ShapeToolTest, SymmetryStrokesCarryTheSlidersNumberOfCopies) {
  Use("SymmetryTool");
  auto* panel = reinterpret_cast<Qz_Object*>(Qz_DoMethod(tool_, kToolGetOptions));
  ASSERT_NE(panel, nullptr);
  auto* slider = reinterpret_cast<Qz_Object*>(Qz_DoMethod(panel, kLinkedListLast));
  const struct {
    QzWord slider;  // 0: left as made
    uint32_t copies;
  } cases[] = {{0, 6}, {1, 1}, {20, 20}};
  for (const auto& c : cases) {
    if (c.slider) Qz_DoMethod(slider, kValueSet, c.slider);
    const uint32_t before = ListLength();
    Drag(5, 5, 15, 9);
    ASSERT_EQ(ListLength(), before + 1);
    EXPECT_EQ(Qz_DoMethod(Newest(), kActionGetFlags), uint32_t(kActionFreehand));
    EXPECT_EQ(Qz_DoMethod(Newest(), kActionGetSymmetry), c.copies);
  }
}

uint32_t PaintedPixels(const Qz_Image* layer) {
  uint32_t painted = 0;
  for (int32_t y = 0; y < layer->height; ++y)
    for (int32_t x = 0; x < layer->width; ++x) painted += layer->grey[y][x] != 0;
  return painted;
}

TEST_F(ShapeToolTest, EveryFilledShapeAndFillIsTakenBackByOneUndo) {
  const struct {
    const char* tool;
    void (*draw)(ShapeToolTest&);
  } cases[] = {
      {"RectangleTool", [](ShapeToolTest& t) { t.Drag(5, 5, 15, 12); }},
      {"EllipseTool", [](ShapeToolTest& t) { t.Drag(20, 15, 26, 20); }},
      {"PolygonTool", [](ShapeToolTest& t) { t.Click(5, 5), t.Click(30, 5), t.Click(15, 25), t.Click(5, 5); }},
      {"FillTool", [](ShapeToolTest& t) { t.Click(5, 5); }},
  };
  for (const auto& c : cases) {
    Qz_DisposeObject(tool_);
    Use(c.tool, 2);
    const uint32_t before = ListLength();
    c.draw(*this);
    ASSERT_EQ(ListLength(), before + 1) << c.tool;
    EXPECT_GT(PaintedPixels(layer_), 0u) << c.tool;
    ASSERT_EQ(Qz_UndoImageAction(doc_), 1u) << c.tool;
    EXPECT_EQ(ListLength(), before) << c.tool;
    EXPECT_EQ(PaintedPixels(layer_), 0u) << c.tool;
  }
}

}  // namespace
