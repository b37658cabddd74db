// The magnify drag's zoom and scroll: which way zooms, the limits, and
// sizes of wide pictures that would wrap 32-bit arithmetic.
#include <gtest/gtest.h>

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
