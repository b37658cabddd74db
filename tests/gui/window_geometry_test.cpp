// Window placement arithmetic: the opening box, keeping to the screen,
// growing to the content, the document window's corner and zoom, and the
// memory of keyed windows' positions.
#include <gtest/gtest.h>

#include <optional>
#include <ostream>

#include "gadgets/qz_window.h"
#include "gadgets/window_geometry.h"

namespace qz::gui {
void PrintTo(const WindowBox& b, std::ostream* out) {
  *out << "{" << b.left << ", " << b.top << ", " << b.width << ", " << b.height << "}";
}
}  // namespace qz::gui

namespace {

using namespace qz::gui;

constexpr int32_t kCentred = static_cast<int32_t>(kWindowCentred);

TEST(WindowGeometry, OpeningBoxTakesTheSizeAskedForWithinTheContentsLimits) {
  struct Case {
    const char* name;
    OpeningRequest request;
    SizeLimits limits;
    std::optional<WindowBox> remembered;
    WindowBox want;
  };
  const SizeLimits usual{50, 40, 400, 300};
  const Case cases[] = {
      {"nothing asked: the minimum", {.x = 10, .y = 20}, usual, std::nullopt, {10, 20, 50, 40}},
      {"size asked", {.x = 10, .y = 20, .width = 120, .height = 90}, usual, std::nullopt, {10, 20, 120, 90}},
      {"defaults when no size", {.defaultWidth = 230, .defaultHeight = 230}, usual, std::nullopt, {0, 0, 230, 230}},
      {"size over the maximum", {.width = 900, .height = 900}, usual, std::nullopt, {0, 0, 400, 300}},
      {"maximum under the minimum", {.width = 900}, {50, 40, 10, 10}, std::nullopt, {0, 0, 50, 40}},
      {"remembered box wins", {.x = 5, .y = 5, .width = 100, .height = 100}, usual, WindowBox{70, 80, 200, 150},
       {70, 80, 200, 150}},
      {"remembered without a size is ignored", {.x = 5, .y = 5}, usual, WindowBox{70, 80, 0, 0}, {5, 5, 50, 40}},
      {"no room at all", {.x = 5, .y = 6}, {0, 0, 0, 0}, std::nullopt, {5, 6, 0, 0}},
      {"bottom anchored opens upwards", {.x = 10, .y = 200, .bottomAnchored = true}, usual, std::nullopt,
       {10, 160, 50, 40}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(openingBox(c.request, c.limits, c.remembered), c.want);
  }
}

TEST(WindowGeometry, PlacementCentresFollowsNeighboursAndKeepsToTheScreen) {
  struct Case {
    const char* name;
    WindowBox box;
    OpeningRequest request;  // x and y default to the box's corner
    Surroundings extra;      // centre and neighbours only
    WindowBox want;
  };
  const SizeLimits limits{50, 40, 1000, 1000};
  const Case cases[] = {
      {"offsets added", {10, 20, 100, 80}, {.xOffset = 5, .yOffset = 7}, {}, {15, 27, 100, 80}},
      {"centred on the screen", {0, 0, 100, 80}, {.x = kCentred, .y = kCentred}, {}, {346, 247, 100, 80}},
      {"centred on an object", {200, 200, 100, 80}, {}, {.centreOn = std::make_pair(30, 20)}, {170, 180, 100, 80}},
      {"right of one, below another", {10, 10, 100, 80}, {},
       {.rightOf = WindowBox{0, 0, 150, 300}, .below = WindowBox{0, 0, 400, 90}}, {150, 90, 100, 80}},
      {"too tall gives up height down to the minimum", {0, 550, 100, 80}, {}, {}, {0, 550, 100, 40}},
      {"above the screen moves down and shrinks", {0, -30, 100, 80}, {}, {}, {0, 0, 100, 50}},
      {"a pop-up moves left of the right edge", {750, 10, 100, 80}, {.popUp = true}, {}, {684, 10, 100, 80}},
      {"a pop-up moves up from the bottom edge", {300, 560, 100, 80}, {.popUp = true}, {}, {300, 494, 100, 80}},
      {"a pop-up moves down from above the screen", {300, -500, 100, 80}, {.popUp = true}, {}, {300, 0, 100, 80}},
      {"a pop-up moves right from the left edge", {-60, 10, 100, 80}, {.popUp = true}, {}, {0, 10, 100, 80}},
      {"a window shrinks at the right edge", {750, 10, 100, 80}, {}, {}, {750, 10, 50, 80}},
      {"left of the screen moves right and shrinks", {-20, 10, 100, 80}, {}, {}, {0, 10, 80, 80}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    OpeningRequest request = c.request;
    if (request.x == 0) request.x = c.box.left;
    if (request.y == 0) request.y = c.box.top;
    Surroundings around = c.extra;
    around.screenWidth = 800;
    around.screenHeight = 600;
    around.borderWidth = 8;
    around.borderHeight = 26;
    EXPECT_EQ(placeOnScreen(c.box, request, limits, around), c.want);
  }
}

TEST(WindowGeometry, GrowsToAContentThatOutgrewItAndStaysOnTheScreen) {
  struct Case {
    const char* name;
    WindowBox inner;
    SizeLimits limits;
    std::optional<WindowBox> want;
  };
  const Case cases[] = {
      {"still fits", {100, 100, 200, 150}, {150, 100, 0, 0}, std::nullopt},
      {"wider", {100, 100, 200, 150}, {300, 100, 0, 0}, WindowBox{100, 100, 300, 150}},
      {"grows and moves back onto the screen", {700, 500, 200, 150}, {300, 200, 0, 0}, WindowBox{492, 374, 300, 200}},
      {"no wider than the screen", {100, 100, 200, 150}, {2000, 100, 0, 0}, WindowBox{0, 100, 792, 150}},
  };
  Surroundings around;
  around.screenWidth = 800;
  around.screenHeight = 600;
  around.borderWidth = 8;
  around.borderHeight = 26;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(grownToContent(c.inner, c.limits, around), c.want);
  }
}

TEST(WindowGeometry, DocumentWindowsGoBesideNearbyPanelAndMainWindows) {
  struct Case {
    const char* name;
    WindowBox panel, main;
    std::pair<int32_t, int32_t> want;
  };
  const Case cases[] = {
      {"beside the panel, below the main window", {0, 0, 120, 400}, {0, 0, 800, 60}, {120, 60}},
      {"no windows", {}, {}, {0, 0}},
      {"panel far from the corner", {350, 0, 120, 400}, {0, 0, 800, 60}, {0, 60}},
      {"panel reaching too far", {200, 0, 150, 10}, {}, {0, 0}},
      {"main window low on the screen", {}, {0, 250, 800, 100}, {0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(documentWindowCorner(c.panel, c.main), c.want);
  }
}

TEST(WindowGeometry, DocumentZoomFitsThePictureBesideThePanels) {
  struct Case {
    const char* name;
    int32_t width, height;
    std::pair<int32_t, int32_t> corner;
    int32_t status;
    bool stepped;
    int32_t want;
    int32_t frame = 0;
  };
  // A 1024 x 768 screen leaves 1001 x 727 from its corner.
  const Case cases[] = {
      {"small picture at full size", 400, 300, {0, 0}, 0, false, 100},
      {"wide picture", 2000, 1000, {0, 0}, 0, false, 50},
      {"wide picture, stepped", 3000, 1000, {0, 0}, 0, true, 25},
      {"wide picture, free zoom", 3000, 1000, {0, 0}, 0, false, 33},
      {"tall picture", 1000, 2000, {0, 0}, 0, false, 36},
      {"beside the panels, above the status line", 1602, 607, {200, 100}, 20, false, 50},
      {"a corner past the middle takes no room", 2002, 100, {600, 0}, 0, false, 50},
      {"never below 1 %", 1000000, 10, {0, 0}, 0, false, 1},
      {"no picture", 0, 0, {0, 0}, 0, false, 100},
      {"a frame round the picture takes its room", 2002, 100, {0, 0}, 0, false, 49, 6},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(fittingZoomPercent(c.width, c.height, 1024, 768, c.corner, c.status, c.stepped, c.frame), c.want);
  }
}

TEST(WindowGeometry, PositionMemoryKeepsOnlyEnrolledKeys) {
  PositionMemory memory;
  EXPECT_EQ(memory.enrol(7), 7u);
  EXPECT_EQ(memory.enrol(7), 1u);  // known already
  EXPECT_EQ(memory.recall(7), std::nullopt);  // nothing kept yet
  memory.keep(7, {10, 20, 300, 200});
  memory.keep(8, {1, 2, 3, 4});  // never enrolled
  EXPECT_EQ(memory.recall(7), (WindowBox{10, 20, 300, 200}));
  EXPECT_EQ(memory.recall(8), std::nullopt);
  memory.forgetAll();
  EXPECT_EQ(memory.recall(7), std::nullopt);
  EXPECT_EQ(memory.enrol(7), 7u);
}

}  // namespace
