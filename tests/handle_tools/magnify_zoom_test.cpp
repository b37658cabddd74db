// The magnify drag's zoom and scroll: which way zooms, the limits, sizes
// of wide pictures that would wrap 32-bit arithmetic, and the tool's drags.
#include <gtest/gtest.h>

#include <vector>

#include "handle_tools/handle_tools_fixture.h"
#include "image/image_shell.h"
#include "objects/qz_class_kit.h"
#include "tools/magnify_zoom.h"

namespace {

using qz::tools::MagnifyStart;
using qz::tools::magnifyStep;

TEST(MagnifyZoom, DragDirectionsAndLimits) {
  const MagnifyStart atFull{200, 100, 200, 100, 100, 100, 50};
  const MagnifyStart zoomedIn{200, 100, 400, 200, 50, 100, 50};
  struct Case {
    const char* name;
    const MagnifyStart& start;
    int32_t tx, ty;
    uint32_t zoom;
  } cases[] = {
      {"right zooms in", atFull, 10, 0, 115},
      {"straight down zooms in", atFull, 0, 10, 115},
      {"straight up zooms in", atFull, 0, -10, 115},
      {"slightly left zooms out", zoomedIn, -1, 10, 183},
      {"never above 800 %", atFull, 10000, 0, 800},
      {"never below the zoom at the press when that is the smaller", atFull, -50, 0, 100},
      {"never below the fit zoom when that is the smaller", zoomedIn, -10000, 0, 50},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(magnifyStep(c.start, c.tx, c.ty, 0, 0).zoom, c.zoom);
  }
}

TEST(MagnifyZoom, TheAnchorComesToTheMiddleWithoutOverflow) {
  // 20000 pixels wide at 800 %: anchor x view width passes 2^31.
  const MagnifyStart wide{20000, 10000, 160000, 800, 5, 19999, 9999};
  const auto step = magnifyStep(wide, 1, 0, 1000, 600);
  EXPECT_EQ(step.zoom, 800u);
  EXPECT_EQ(step.offsetX, 19999 * 8 - 500);
  EXPECT_EQ(step.offsetY, 9999 * 8 - 300);
  // A press left of the picture anchors its first column, not a huge one.
  const MagnifyStart outside{200, 100, 200, 100, 100, -5, -5};
  const auto left = magnifyStep(outside, 100, 0, 100, 100);
  EXPECT_EQ(left.offsetX, 0);
  EXPECT_EQ(left.offsetY, 0);
}

}  // namespace

// ---- the tool driven through a view that records what it is asked ------------------

namespace {

using namespace handle_tools_test;

struct ViewLog {
  std::vector<uint32_t> zooms;
  int draws = 0;
} gView;

QzWord RecordingView(Qz_Object* object, uint32_t id, const QzWord* args) {
  switch (id) {
    case kQzViewZoom: gView.zooms.push_back(uint32_t(args[0])); return 0;
    case kQzViewGetZoom: return 100;
    case kQzViewFitQuery: return 100;
    case kRootDraw: ++gView.draws; return 0;
    default: return qz::kit::inherited(object, id, args);
  }
}
const qz::kit::ClassDecl kRecordingView = {.name = "RecordingImageView", .superName = "Root", .classId = 0x7E340000,
                                           .handler = RecordingView};

TEST(MagnifyTool, ALeftDragZoomsEachMoveAndTheReleaseRedrawsOnce) {
  ASSERT_EQ(qz::kit::addClass(kRecordingView), 1u);
  gZoomPercent = 100;
  Document d;
  d.Open(200, 100);
  Qz_Object* view = Qz_CreateObject("RecordingImageView");
  Qz_RootInstance(view)->userData = qz::toWord(d.doc);
  auto* box = reinterpret_cast<Qz_LayoutBox*>(Qz_DoMethod(view, kRootGetLayoutBox));
  box->left = 0, box->top = 0, box->width = 200, box->height = 100;
  Qz_SetCurrentView(d.doc, view);
  Qz_Object* tool = Qz_CreateObject("MagnifyTool");
  ASSERT_NE(tool, nullptr);
  gView = {};
  const int32_t displayCount = d.doc->displayCount.load();
  EXPECT_EQ(Input(tool, d.doc, IDCMP_MOUSEBUTTONS, SELECTDOWN, 50, 20), 2u);
  Input(tool, d.doc, IDCMP_MOUSEMOVE, 0, 60, 20);
  Input(tool, d.doc, IDCMP_MOUSEMOVE, 0, 40, 20);
  const int drawsBefore = gView.draws;
  Input(tool, d.doc, IDCMP_MOUSEBUTTONS, SELECTUP, 40, 20);
  EXPECT_EQ(gView.zooms, (std::vector<uint32_t>{115, 100}));
  EXPECT_EQ(gView.draws, drawsBefore + 1);
  EXPECT_EQ(d.doc->displayCount.load(), displayCount);
  // A right drag pans: no zoom; a press outside the view starts nothing.
  gView = {};
  Input(tool, d.doc, IDCMP_MOUSEBUTTONS, MENUDOWN, 50, 20);
  Input(tool, d.doc, IDCMP_MOUSEMOVE, 0, 70, 20);
  Input(tool, d.doc, IDCMP_MOUSEBUTTONS, MENUUP, 70, 20);
  Input(tool, d.doc, IDCMP_MOUSEBUTTONS, SELECTDOWN, 500, 500);
  Input(tool, d.doc, IDCMP_MOUSEMOVE, 0, 520, 500);
  EXPECT_TRUE(gView.zooms.empty());
  EXPECT_EQ(gView.draws, 1);
  Qz_DisposeObject(tool);
  Qz_SetCurrentView(d.doc, nullptr);
  Qz_DisposeObject(view);
  d.Close();
  qz::kit::removeClass(kRecordingView);
}

}  // namespace
