// Documents in their own windows on the headless screen: a loaded picture
// opens a window of its size, titled with its name and size, whose pixels
// are the picture's; changes are redrawn, zooming resizes the window, and
// the window goes with the document.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "gadgets/qz_group.h"
#include "gadgets/qz_input_event.h"
#include "gadgets/qz_scroller.h"
#include "gadgets/qz_widgets.h"
#include "gadgets/qz_window.h"
#include "host/headless/headless_host.h"
#include "image/image_shell.h"
#include "objects/catalogue.h"
#include "objects/message_box.h"
#include "objects/object_services.h"
#include "objects/qz_notify.h"
#include "objects/qz_object.h"
#include "platform/exec.h"
#include "platform/windows.h"
#include "tools/qz_handle_tools.h"
#include "tools/qz_root_tool.h"
#include "view_fixture.h"

namespace {

using qztest::Pixel;
using qztest::WritePicture;

constexpr uint32_t kMakeActiveImage = 0x13001e;

class ViewWindowTest : public qztest::ViewFixture {};

TEST_F(ViewWindowTest, OpensAWindowShowingThePicture) {
  const std::string path = dir_.file("pic.ppm");
  WritePicture(path, 40, 30);
  Qz_Object* window = LoadShown(path);
  ASSERT_NE(window, nullptr);
  const Qz_LayoutBox b = qztest::UiHarness::box(Qz_CurrentViewOf(image_));
  EXPECT_EQ(b.width, 40);
  EXPECT_EQ(b.height, 30);
  EXPECT_EQ(Mismatches(window, 40, 30), 0);
  const std::string title = reinterpret_cast<const char*>(Qz_DoMethod(window, kWindowGetTitle));
  EXPECT_EQ(title, path + " - 40x30x24bit");

  // A change to the pixels reaches the screen.
  for (int32_t x = 0; x < 40; ++x) image_->r[5][x] = image_->g[5][x] = image_->b[5][x] = 0;
  Qz_FullRedrawImage(image_);
  ASSERT_TRUE(Settle(window));
  EXPECT_EQ(ui_.pixel(window, b.left + 7, b.top + 5), 0u);
  EXPECT_EQ(ui_.pixel(window, b.left + 7, b.top + 6), Pixel(7, 6));

  // Zooming to 200 % grows the window and draws every pixel twice.
  Qz_DoMethod(Qz_CurrentViewOf(image_), kQzViewZoom, 200, 0);
  ASSERT_TRUE(Settle(window));
  const Qz_LayoutBox z = qztest::UiHarness::box(Qz_CurrentViewOf(image_));
  EXPECT_EQ(z.width, 80);
  EXPECT_EQ(z.height, 60);
  EXPECT_EQ(ui_.pixel(window, z.left + 2 * 9 + 1, z.top + 2 * 8 + 1), Pixel(9, 8));
  EXPECT_EQ(ui_.pixel(window, z.left + 79, z.top + 59), Pixel(39, 29));

  // '<' and '>' typed into the window step the zoom down and up.
  struct Case {
    char key;
    int32_t zoom, width;
  };
  for (const Case& c : {Case{'<', 150, 60}, Case{'<', 100, 40}, Case{'>', 150, 60}}) {
    SCOPED_TRACE(c.key);
    qz::headless::typeText(std::string(1, c.key));
    ASSERT_TRUE(Settle(window));
    EXPECT_EQ(Qz_DoMethod(Qz_CurrentViewOf(image_), kQzViewGetZoom), QzWord(c.zoom));
    EXPECT_EQ(qztest::UiHarness::box(Qz_CurrentViewOf(image_)).width, c.width);
  }
  const Qz_LayoutBox k = qztest::UiHarness::box(Qz_CurrentViewOf(image_));
  EXPECT_EQ(ui_.pixel(window, k.left + 59, k.top + 44), Pixel(39, 29));
  // Each view column shows the image column the pointer maps it to.
  for (int32_t c : {1, 2, 3, 4, 5, 6, 44, 58}) EXPECT_EQ(ui_.pixel(window, k.left + c, k.top + 3), Pixel(c * 2 / 3, 2)) << c;
}

TEST_F(ViewWindowTest, ALargePictureIsFittedToTheScreen) {
  const std::string path = dir_.file("big.ppm");
  WritePicture(path, 2000, 500);
  Qz_Object* window = LoadShown(path);
  ASSERT_NE(window, nullptr);
  Window* pw = Qz__PlatformWindowOf(window);
  ASSERT_NE(pw, nullptr);
  EXPECT_LE(pw->LeftEdge + pw->Width, 1024);
  const Qz_LayoutBox b = qztest::UiHarness::box(Qz_CurrentViewOf(image_));
  const int32_t zoom = int32_t(Qz_DoMethod(Qz_CurrentViewOf(image_), kQzViewGetZoom));
  EXPECT_LT(zoom, 100);
  EXPECT_EQ(b.width, 2000 * zoom / 100);
  EXPECT_LE(b.width, 1024);
}

// Panels that show the zoom hear of every zoom of a document's view, the
// fit on opening included.
TEST_F(ViewWindowTest, EveryZoomOfADocumentsViewIsAnnounced) {
  struct Heard {
    std::mutex lock;
    std::vector<uint32_t> zooms;
    static void Record(QzWord self, Qz_Object*, uint32_t, const QzWord* value) {
      auto* h = reinterpret_cast<Heard*>(self);
      std::lock_guard<std::mutex> hold(h->lock);
      h->zooms.push_back(uint32_t(value[0]));
    }
    uint32_t last() {
      std::lock_guard<std::mutex> hold(lock);
      return zooms.empty() ? 0 : zooms.back();
    }
  } heard;
  Qz_Object* app = &Qz_GetImageBase()->applicationImage->object;
  const QzWord handle = Qz_AddCallBackNotify(app, kQzViewZoom, kNotifyAnyValue, &Heard::Record, QzWord(&heard));
  const std::string path = dir_.file("big.ppm");
  WritePicture(path, 2000, 500);
  Qz_Object* window = LoadShown(path);
  ASSERT_NE(window, nullptr);
  Qz_Object* view = Qz_CurrentViewOf(image_);
  const auto fitted = uint32_t(Qz_DoMethod(view, kQzViewGetZoom));
  EXPECT_LT(fitted, 100u);
  EXPECT_EQ(heard.last(), fitted);
  Qz_DoMethod(view, kQzViewZoom, 200, 0);
  ASSERT_TRUE(Settle(window));
  EXPECT_EQ(heard.last(), 200u);
  Qz_RemoveNotify(app, handle);
}

// The zoom buttons and field ask the active view to zoom through its
// window's queue: the request arrives and the view zooms.
TEST_F(ViewWindowTest, AZoomAskedThroughTheViewsQueueZooms) {
  const std::string path = dir_.file("queued.ppm");
  WritePicture(path, 200, 100);
  Qz_Object* window = LoadShown(path);
  ASSERT_NE(window, nullptr);
  Qz_Object* view = Qz_CurrentViewOf(image_);
  ASSERT_EQ(Qz_DoMethod(view, kQzViewGetZoom), 100u);
  EXPECT_NE(Qz_DoMethod(view, kRootAsyncCall, kQzViewZoomIn, 0u, 0u), 0u) << "the request was not queued";
  ASSERT_TRUE(Settle(window));
  EXPECT_EQ(Qz_DoMethod(view, kQzViewGetZoom), 150u);
}

// The viewport the document's view scrolls in, and its two scroll bars.
struct Viewport {
  Qz_Object* group = nullptr;
  Qz_Object* horizontal = nullptr;
  Qz_Object* vertical = nullptr;
};

Viewport ViewportOf(Qz_Object* view) {
  Viewport v;
  v.group = Qz_SearchHierachyForClassId(view, kVirtualGroupClassId);
  if (!v.group) return v;
  const auto child = [](Qz_Object* g, uint32_t which) { return reinterpret_cast<Qz_Object*>(Qz_DoMethod(g, which)); };
  v.horizontal = child(child(v.group->super, kGroupLast), kGroupFirst);
  v.vertical = child(child(child(v.group->super, kGroupFirst), kGroupLast), kGroupFirst);
  return v;
}

// A document window is its picture's view plus the viewport's frame and the
// status line: no blank room beside or below the picture, whether the
// picture is shown at 100 % or fitted to the screen.
TEST_F(ViewWindowTest, TheWindowFitsItsPictureExactly) {
  struct Case {
    int32_t width, height;
  };
  for (const Case& c : {Case{300, 200}, Case{2000, 1500}, Case{1200, 2400}, Case{2000, 500}}) {
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
    const std::string path = dir_.file("fit" + std::to_string(c.width) + ".ppm");
    WritePicture(path, c.width, c.height);
    Qz_Object* window = LoadShown(path);
    ASSERT_NE(window, nullptr);
    Qz_Image* image = image_;
    Qz_Object* view = Qz_CurrentViewOf(image_);
    const Viewport port = ViewportOf(view);
    ASSERT_NE(port.group, nullptr);
    EXPECT_NE(Qz_DoMethod(port.horizontal, kRootHideCount), 0u) << "the whole picture is shown: no bars";
    EXPECT_NE(Qz_DoMethod(port.vertical, kRootHideCount), 0u);
    const Qz_LayoutBox pic = qztest::UiHarness::box(view);
    // The viewport round the scrolled contents: what the window shows of the picture.
    const Qz_LayoutBox shown = qztest::UiHarness::box(Qz_GetParentObject(Qz_GetParentObject(view)));
    EXPECT_EQ(shown.width, pic.width);
    EXPECT_EQ(shown.height, pic.height);
    Window* pw = Qz__PlatformWindowOf(window);
    ASSERT_NE(pw, nullptr);
    const Qz_LayoutBox vg = qztest::UiHarness::box(port.group);
    EXPECT_EQ(vg.left + vg.width, pw->Width - pw->BorderRight) << "the viewport reaches the window's side";
    EXPECT_LE(pw->LeftEdge + pw->Width, 1024);
    EXPECT_LE(pw->TopEdge + pw->Height, 768);
    Qz_DisposeObject(&image_->object);
    image_ = nullptr;
    ASSERT_TRUE(WaitUntilDisposed(image));
  }
}

// Zoomed past the screen, the window keeps to the screen and the picture
// scrolls inside it: the arrow keys move it by a step, and only the strip
// that comes into sight is drawn afresh (the rest is moved on the screen).
TEST_F(ViewWindowTest, AZoomedPictureScrollsInsideItsWindow) {
  const std::string path = dir_.file("pic.ppm");
  WritePicture(path, 300, 200);
  Qz_Object* window = LoadShown(path);
  ASSERT_NE(window, nullptr);
  Qz_Object* view = Qz_CurrentViewOf(image_);
  const Viewport port = ViewportOf(view);
  ASSERT_NE(port.vertical, nullptr);
  EXPECT_NE(Qz_DoMethod(port.horizontal, kRootHideCount), 0u) << "the picture fits: no bars";
  EXPECT_NE(Qz_DoMethod(port.vertical, kRootHideCount), 0u);

  Qz_DoMethod(view, kQzViewZoom, 400, 0);
  ASSERT_TRUE(Settle(window));
  Window* pw = Qz__PlatformWindowOf(window);
  ASSERT_NE(pw, nullptr);
  EXPECT_LE(pw->LeftEdge + pw->Width, 1024);
  EXPECT_LE(pw->TopEdge + pw->Height, 768);
  EXPECT_EQ(Qz_DoMethod(port.horizontal, kRootHideCount), 0u) << "wider than its window: a bar";
  EXPECT_EQ(Qz_DoMethod(port.vertical, kRootHideCount), 0u);
  const Qz_LayoutBox pic = qztest::UiHarness::box(view);
  EXPECT_EQ(pic.width, 1200);
  EXPECT_EQ(pic.height, 800);
  Qz_Object* contents = Qz_GetParentObject(view);
  const Qz_LayoutBox area = qztest::UiHarness::box(contents);
  ASSERT_LT(area.height, 800);
  EXPECT_EQ(Qz_DoMethod(port.vertical, kScrollerGetVisible), QzWord(area.height)) << "the bar knows what is shown";
  EXPECT_EQ(ui_.pixel(window, area.left + 9, area.top + 9), Pixel(2, 2));

  // The picture turns black unannounced: what is redrawn shows black.
  for (int32_t y = 0; y < 200; ++y)
    for (int32_t x = 0; x < 300; ++x) image_->r[y][x] = image_->g[y][x] = image_->b[y][x] = 0;
  qz::headless::typeKey(qz::host::kVkDown);
  ASSERT_TRUE(Settle(window));
  const int32_t step = area.height / 10;
  EXPECT_EQ(qztest::UiHarness::box(view).top, pic.top - step);
  EXPECT_EQ(Qz_DoMethod(port.vertical, kScrollerGetPosition), QzWord(step)) << "the bar follows";
  EXPECT_EQ(ui_.pixel(window, area.left + 9, area.top + 1), Pixel(2, (step + 1) / 4)) << "moved, not redrawn";
  EXPECT_EQ(ui_.pixel(window, area.left + 9, area.top + area.height - 2 * step), Pixel(2, (area.height - step) / 4));
  EXPECT_EQ(ui_.pixel(window, area.left + 9, area.top + area.height - 2), 0u) << "the strip come into sight";

  qz::headless::typeKey(qz::host::kVkRight);
  ASSERT_TRUE(Settle(window));
  EXPECT_EQ(qztest::UiHarness::box(view).left, pic.left - area.width / 10);
  EXPECT_EQ(ui_.pixel(window, area.left + area.width - 2, area.top + area.height / 2), 0u);
  EXPECT_NE(ui_.pixel(window, area.left + 1, area.top + area.height / 2), 0u);

  // Up at the top stays there.
  for (int i = 0; i < 3; ++i) qz::headless::typeKey(qz::host::kVkUp);
  ASSERT_TRUE(Settle(window));
  EXPECT_EQ(qztest::UiHarness::box(view).top, pic.top);
}

// A changed rectangle redrawn on its own reaches every view pixel that
// shows one of its pixels, at zooms where view and image pixels do not line up.
TEST_F(ViewWindowTest, ARedrawnRectangleReachesEveryViewPixelShowingIt) {
  const std::string path = dir_.file("pic.ppm");
  WritePicture(path, 40, 30);
  Qz_Object* window = LoadShown(path);
  ASSERT_NE(window, nullptr);
  Qz_Object* view = Qz_CurrentViewOf(image_);
  struct Case {
    int32_t zoom, x0, y0, x1, y1;
  };
  // View column c shows image column c * 40 / zoomed width (rows likewise).
  const Case cases[] = {{25, 5, 5, 9, 9}, {25, 0, 0, 3, 3}, {33, 6, 6, 8, 8}, {150, 2, 2, 2, 2},
                        {150, 7, 3, 9, 4}, {10, 0, 0, 9, 9}, {10, 30, 20, 39, 29}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.zoom << "% " << c.x0 << "," << c.y0 << "-" << c.x1 << "," << c.y1);
    Qz_DoMethod(view, kQzViewZoom, uint32_t(c.zoom), 0u);
    ASSERT_TRUE(Settle(window));
    for (int32_t y = c.y0; y <= c.y1; ++y)
      for (int32_t x = c.x0; x <= c.x1; ++x) image_->r[y][x] = image_->g[y][x] = image_->b[y][x] = 0;
    Qz_RedrawImage(image_, c.x0, c.y0, c.x1, c.y1);
    ASSERT_TRUE(Settle(window));
    const Qz_LayoutBox b = qztest::UiHarness::box(view);
    int stale = 0;
    for (int32_t vy = 0; vy < b.height; ++vy)
      for (int32_t vx = 0; vx < b.width; ++vx) {
        const int32_t ix = vx * 40 / b.width, iy = vy * 30 / b.height;
        const bool changed = ix >= c.x0 && ix <= c.x1 && iy >= c.y0 && iy <= c.y1;
        if (changed && ui_.pixel(window, b.left + vx, b.top + vy) != 0u) ++stale;
      }
    EXPECT_EQ(stale, 0);
    for (int32_t y = c.y0; y <= c.y1; ++y)
      for (int32_t x = c.x0; x <= c.x1; ++x) {
        const uint32_t p = Pixel(x, y);
        image_->r[y][x] = uint8_t(p >> 16), image_->g[y][x] = uint8_t(p >> 8), image_->b[y][x] = uint8_t(p);
      }
    Qz_FullRedrawImage(image_);
    ASSERT_TRUE(Settle(window));
  }
}

// The magnifier's right drag pans the picture inside its window, the bars
// following.
TEST_F(ViewWindowTest, TheMagnifiersRightDragPansTheScrolledPicture) {
  const std::string path = dir_.file("pic.ppm");
  WritePicture(path, 300, 200);
  Qz_Object* window = LoadShown(path);
  ASSERT_NE(window, nullptr);
  Qz_Object* view = Qz_CurrentViewOf(image_);
  Qz_DoMethod(view, kQzViewZoom, 400, 0);
  ASSERT_TRUE(Settle(window));
  ASSERT_EQ(Qz_InitRootToolClass(Qz_GetGlobalData()), 1u);
  ASSERT_EQ(Qz_InitMagnifyToolClass(Qz_GetGlobalData()), 1u);
  Qz_Object* tool = Qz_CreateObject("MagnifyTool");
  ASSERT_NE(tool, nullptr);
  Qz_GetImageBase()->currentTool = tool;
  const Qz_LayoutBox pic = qztest::UiHarness::box(view);
  const Qz_LayoutBox area = qztest::UiHarness::box(Qz_GetParentObject(view));
  const int16_t x = int16_t(area.left + area.width / 2), y = int16_t(area.top + area.height / 2);
  struct Step {
    uint32_t cls;
    uint16_t code;
    int16_t x, y;
  };
  for (const Step& st : {Step{IDCMP_MOUSEBUTTONS, MENUDOWN, x, y}, Step{IDCMP_MOUSEMOVE, 0, int16_t(x - 40), int16_t(y - 30)},
                         Step{IDCMP_MOUSEBUTTONS, MENUUP, int16_t(x - 40), int16_t(y - 30)}}) {
    Qz_InputEvent e{};
    e.cls = st.cls;
    e.code = st.code;
    e.mouseX = st.x;
    e.mouseY = st.y;
    ASSERT_NE(ui_.post(window, view, kRootHandleIDCMP, &e), 0u);
    ASSERT_TRUE(Settle(window));
  }
  Qz_GetImageBase()->currentTool = nullptr;
  Qz_DisposeObject(tool);
  Qz_CleanupMagnifyToolClass();
  Qz_CleanupRootToolClass();
  const Qz_LayoutBox moved = qztest::UiHarness::box(view);
  EXPECT_EQ(moved.left, pic.left - 40);
  EXPECT_EQ(moved.top, pic.top - 30);
  EXPECT_EQ(Qz_DoMethod(ViewportOf(view).vertical, kScrollerGetPosition), 30u);
  EXPECT_EQ(ui_.pixel(window, area.left + 1, area.top + 1), Pixel(41 / 4, 31 / 4));
}

TEST_F(ViewWindowTest, DisposingTheDocumentClosesItsWindow) {
  const std::string path = dir_.file("pic.ppm");
  WritePicture(path, 20, 10);
  Qz_Object* window = LoadShown(path);
  ASSERT_NE(window, nullptr);
  ui_.forget(window);
  Window* pw = Qz__PlatformWindowOf(window);
  ASSERT_NE(pw, nullptr);
  const Qz_LayoutBox b = qztest::UiHarness::box(Qz_CurrentViewOf(image_));
  const int sx = pw->LeftEdge + b.left, sy = pw->TopEdge + b.top;
  ASSERT_EQ(qz::headless::screenPixel(sx + 4, sy + 3), Pixel(4, 3));
  Qz_DisposeObject(&image_->object);
  image_ = nullptr;
  ASSERT_TRUE(qz::headless::settle());
  int still = 0;
  for (int x = 0; x < 20; ++x) still += qz::headless::screenPixel(sx + x, sy + 3) == Pixel(x, 3);
  EXPECT_EQ(still, 0);
}

TEST_F(ViewWindowTest, TheCloseGadgetClosesTheViewAndClickingActivatesTheDocument) {
  const std::string path = dir_.file("pic.ppm");
  WritePicture(path, 30, 20);
  Qz_Object* window = LoadShown(path);
  ASSERT_NE(window, nullptr);

  // Another window takes the activation; a click on the picture gives it back.
  Qz_Object* other = ui_.window("Other", 600, 400);
  Qz_DoMethod(other, kGroupAddTail, qztest::TestGadget::make({.minWidth = 50, .minHeight = 30}));
  ASSERT_TRUE(ui_.open(other));
  ui_.click(other, 20, 30);
  ASSERT_TRUE(ui_.settle(other));
  Qz_DoMethod(&image_->object, kMakeActiveImage, nullptr);
  ASSERT_EQ(qztest::ActiveImage(), nullptr);
  const Qz_LayoutBox b = qztest::UiHarness::box(Qz_CurrentViewOf(image_));
  ui_.click(window, b.left + 5, b.top + 5);
  ASSERT_TRUE(Settle(window));
  EXPECT_EQ(qztest::ActiveImage(), image_);

  Window* pw = Qz__PlatformWindowOf(window);
  ASSERT_NE(pw, nullptr);
  const int sx = pw->LeftEdge + b.left, sy = pw->TopEdge + b.top;
  // Its only view closed, the document goes too.
  ui_.forget(window);
  ASSERT_TRUE(ui_.post(window, window, kWindowFireClose));
  ASSERT_TRUE(WaitUntilDisposed(image_));
  image_ = nullptr;
  // The dying document leaves the open list before it stops being the active one.
  for (int i = 0; i < 250 && qztest::ActiveImage() != nullptr; ++i) Delay(1);
  EXPECT_EQ(qztest::ActiveImage(), nullptr);
  ASSERT_TRUE(qz::headless::settle());
  int still = 0;
  for (int x = 0; x < 30; ++x) still += qz::headless::screenPixel(sx + x, sy + 2) == Pixel(x, 2);
  EXPECT_EQ(still, 0);
}

TEST_F(ViewWindowTest, TheStatusLineFollowsTheDocumentsProgress) {
  const std::string path = dir_.file("pic.ppm");
  WritePicture(path, 30, 20);
  Qz_Object* window = LoadShown(path);
  ASSERT_NE(window, nullptr);
  auto* status = reinterpret_cast<Qz_Object*>(Qz_DoMethod(window, kGroupLast));
  ASSERT_NE(status, nullptr);
  auto* bar = reinterpret_cast<Qz_Object*>(Qz_DoMethod(status, kGroupLast));
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(Qz_DoMethod(status, kGroupGetPageIndex), 0u);
  // The status line sits under the picture, which keeps its whole size.
  EXPECT_GE(qztest::UiHarness::box(status).top,
            qztest::UiHarness::box(Qz_CurrentViewOf(image_)).top + 20);
  EXPECT_EQ(qztest::UiHarness::box(Qz_CurrentViewOf(image_)).height, 20);

  Qz_DoNotify(&image_->object, kQzProgressStart, "Rendering");
  Qz_DoNotify(&image_->object, kQzProgressStep, 30, 60);
  ASSERT_TRUE(Settle(window));
  EXPECT_EQ(Qz_DoMethod(status, kGroupGetPageIndex), 1u);
  EXPECT_EQ(Qz_DoMethod(bar, kProgressBarGetMax), 60u);
  EXPECT_EQ(Qz_DoMethod(bar, kProgressBarGetValue), 30u);
  Qz_DoNotify(&image_->object, kQzProgressDone, 0);
  ASSERT_TRUE(Settle(window));
  EXPECT_EQ(Qz_DoMethod(status, kGroupGetPageIndex), 0u);
  EXPECT_EQ(Qz_DoMethod(bar, kProgressBarGetValue), 100u);
  // Only the one "Done." is drawn: nothing of the bar's page, nor a second
  // text at another place, is left in the status line.
  auto* done = reinterpret_cast<Qz_Object*>(Qz_DoMethod(status, kGroupFirst));
  const Qz_LayoutBox line = qztest::UiHarness::box(status), text = qztest::UiHarness::box(done);
  const uint32_t paper = ui_.pixel(window, line.left, line.top);
  int stray = 0;
  for (int32_t y = line.top; y < line.top + line.height; ++y)
    for (int32_t x = line.left; x < line.left + line.width; ++x) {
      const bool inText = x >= text.left && x < text.left + text.width && y >= text.top && y < text.top + text.height;
      if (!inText && ui_.pixel(window, x, y) != paper) ++stray;
    }
  EXPECT_EQ(stray, 0);
}


TEST_F(ViewWindowTest, OnlyTheLastViewAsksBeforeItClosesTheDocument) {
  constexpr uint32_t kCloseView = 0x10030c;
  const std::string path = dir_.file("pic.ppm");
  WritePicture(path, 24, 16);
  ASSERT_NE(LoadShown(path), nullptr);
  Qz_Object* first = Qz_CurrentViewOf(image_);
  auto* second = reinterpret_cast<Qz_Object*>(Qz_DoMethod(&image_->object, kQzImageOpenView));
  ASSERT_NE(second, nullptr);
  ASSERT_NE(Shown(image_), nullptr);
  EXPECT_EQ(Qz_CurrentViewOf(image_), second);

  Qz_ImageBase* base = Qz_GetImageBase();
  base->closeQuestion.store(1);
  qz::msgbox::resetScript();
  struct Restore {
    Qz_ImageBase* base;
    ~Restore() { base->closeQuestion.store(0); }
  } restore{base};

  // Another view is left: no question, the document stays.
  EXPECT_EQ(Qz_DoMethod(&image_->object, kCloseView, first), 1u);
  EXPECT_TRUE(qz::msgbox::shownBoxes().empty());
  EXPECT_EQ(Qz_CurrentViewOf(image_), second);
  // Freed objects stay readable (marked dead) while the object layer is open.
  // The dispose runs on a thread of its own, which marks the word atomically.
  const auto selfWord = [first] { return std::atomic_ref<QzWord>(first->self).load(std::memory_order_relaxed); };
  for (int i = 0; i < 500 && selfWord() == reinterpret_cast<QzWord>(first); ++i) Delay(1);
  EXPECT_EQ(selfWord(), kQzDeadMark);
  EXPECT_TRUE(IsOpen(image_));

  // The last view asks; Cancel keeps everything.
  qz::msgbox::scriptAnswer(qz::msgbox::Answer::Cancel);
  EXPECT_EQ(Qz_DoMethod(&image_->object, kCloseView, second), 0u);
  const std::vector<qz::msgbox::Shown> boxes = qz::msgbox::shownBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].title, "Quillantrix");
  EXPECT_EQ(boxes[0].text, Qz_CatalogString(242));
  EXPECT_EQ(boxes[0].kind, 2u);
  EXPECT_EQ(Qz_CurrentViewOf(image_), second);
  EXPECT_TRUE(IsOpen(image_));

  // OK closes the view and the document with it.
  qz::msgbox::scriptAnswer(qz::msgbox::Answer::Ok);
  EXPECT_EQ(Qz_DoMethod(&image_->object, kCloseView, second), 1u);
  ASSERT_TRUE(WaitUntilDisposed(image_));
  image_ = nullptr;
}

}  // namespace

namespace {

// '<' and '>' typed while another window is active (the tool bar after a
// click) zoom the picture under the pointer; over nothing they do nothing.
TEST_F(ViewWindowTest, ZoomKeysGoToThePictureUnderThePointer) {
  const std::string path = dir_.file("pic.ppm");
  WritePicture(path, 40, 30);
  Qz_Object* window = LoadShown(path);
  ASSERT_NE(window, nullptr);
  Window* picture = Qz__PlatformWindowOf(window);
  Qz_Object* bar = ui_.window("Tool bar", picture->LeftEdge + picture->Width + 20, picture->TopEdge);
  Qz_DoMethod(bar, kGroupAddTail, Qz_CreateObject("Text", kRootSetLabel, "tools"));
  ASSERT_TRUE(ui_.open(bar));
  struct Case {
    const char* name;
    bool overPicture;
    char key;
    QzWord zoom;
  };
  for (const Case& c : {Case{"over the picture", true, '<', 90}, Case{"over the picture", true, '>', 100},
                        Case{"over the tool bar", false, '<', 100}}) {
    SCOPED_TRACE(std::string(c.name) + " " + c.key);
    // Inside the tool bar's frame, below its caption.
    const Window* b = ui_.platformWindow(bar);
    const int insideX = b->BorderLeft + 4, insideY = b->BorderTop + 4;
    ui_.click(bar, insideX, insideY);  // the tool bar is active now
    ASSERT_TRUE(ui_.settle(bar));
    ASSERT_EQ(Qz_GetActiveWindow(), ui_.platformWindow(bar));
    if (c.overPicture) ui_.moveTo(window, picture->Width / 2, picture->Height / 2);
    else ui_.moveTo(bar, insideX, insideY);
    ASSERT_TRUE(ui_.settle(bar));
    qz::headless::typeText(std::string(1, c.key));
    ASSERT_TRUE(ui_.settle(bar));
    ASSERT_TRUE(Settle(window));
    EXPECT_EQ(Qz_DoMethod(Qz_CurrentViewOf(image_), kQzViewGetZoom), c.zoom);
  }
}

}  // namespace
