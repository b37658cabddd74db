// Pointer and keys over a document's view: the brush outline follows the
// pointer and leaves the picture as it was, the tool gets every message and
// its pointer shape is handed to the window only when it changes, the status
// panels hear where the pointer is, and a scanned picture becomes a shown
// document.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

#include "gadgets/qz_input_event.h"
#include "gadgets/qz_window.h"
#include "host/headless/headless_host.h"
#include "image/image_shell.h"
#include "objects/qz_class_record.h"
#include "image/qz_image.h"
#include "modes/qz_clone_mode.h"
#include "objects/qz_notify.h"
#include "objects/qz_object.h"
#include "platform/exec.h"
#include "platform/windows.h"
#include "view_fixture.h"

namespace {

using qztest::Pixel;
using qztest::WritePicture;

constexpr uint32_t kToolFlags = 0x1771000a;
constexpr uint32_t kToolPointer = 0x17710050;
constexpr uint32_t kMediaSmearMode = 0x110186;
constexpr uint32_t kMediaBrushWidth = 0x1101d6;
constexpr uint32_t kMediaBrushHeight = 0x1101ea;
constexpr uint32_t kPointerMoved = 0x130064;
constexpr uint32_t kButtonReleased = 0x13008c;
constexpr uint32_t kScannedPicture = 0x131388;

// What the stand-ins answer and what they were told; one set per test.
struct StandIns {
  std::mutex lock;
  uint32_t toolFlags = 1;  // bit 0: the view draws the brush outline
  QzWord toolPointer = 7;
  QzWord toolAnswer = 0;
  struct Input {
    Qz_Image* image;
    uint32_t cls, code;
    int16_t x, y;
  };
  std::vector<Input> inputs;
  int32_t brushWidth = 10, brushHeight = 6;
  QzWord smear = 0;
  int32_t cloneX = 4, cloneY = 2;
  std::vector<std::pair<uint32_t, std::vector<QzWord>>> notices;  // on the application image
};
StandIns* gStandIns = nullptr;

QzWord ToolDispatch(Qz_Object* self, uint32_t id, const QzWord* args) {
  StandIns& s = *gStandIns;
  std::lock_guard<std::mutex> hold(s.lock);
  switch (id) {
    case kToolFlags: return s.toolFlags;
    case kToolPointer: return s.toolPointer;
    case kQzToolInput: {
      const auto* e = reinterpret_cast<const Qz_InputEvent*>(args[1]);
      s.inputs.push_back({reinterpret_cast<Qz_Image*>(args[0]), e->cls, e->code, e->mouseX, e->mouseY});
      return s.toolAnswer;
    }
    default: break;
  }
  return Qz_DoMethodA(self->super, id, args);
}

QzWord MediaDispatch(Qz_Object* self, uint32_t id, const QzWord* args) {
  StandIns& s = *gStandIns;
  switch (id) {
    case kMediaBrushWidth: return QzWord(uint32_t(s.brushWidth));
    case kMediaBrushHeight: return QzWord(uint32_t(s.brushHeight));
    case kMediaSmearMode: return s.smear;
    default: return Qz_DoMethodA(self->super, id, args);
  }
}

QzWord CloneDispatch(Qz_Object* self, uint32_t id, const QzWord* args) {
  StandIns& s = *gStandIns;
  switch (id) {
    case kQzCloneGetX: return QzWord(uint32_t(s.cloneX));
    case kQzCloneGetY: return QzWord(uint32_t(s.cloneY));
    default: return Qz_DoMethodA(self->super, id, args);
  }
}

Qz_Object* NewStandIn(Qz_Class* c, const QzWord*) { return Qz_AllocObjectOver(c, "Root", nullptr); }
void DisposeStandIn(Qz_Object* o) {
  Qz_DisposeObject(o->super);
  Qz_FreeObjectMem(o);
}

const Qz_Method kNoMethods[] = {{0, nullptr, 0, 0, nullptr, 0, nullptr, 0, 0}};
Qz_Class gToolClass, gMediaClass, gCloneClass;

class ViewInputTest : public qztest::ViewFixture {
 protected:
  void SetUp() override {
    gStandIns = &standIns_;
    const Qz_ClassSpec tool = {"TestTool", "", 0x7E100000, "Root", NewStandIn, DisposeStandIn,
                               ToolDispatch, kNoMethods, sizeof(Qz_Object), 0};
    const Qz_ClassSpec media = {"TestBrushMedia", "", 0x7E110000, "Root", NewStandIn, DisposeStandIn,
                                MediaDispatch, kNoMethods, sizeof(Qz_Object), 0};
    const Qz_ClassSpec clone = {"TestCloneMode", "", kQzCloneModeClassId, "Root", NewStandIn, DisposeStandIn,
                                CloneDispatch, kNoMethods, sizeof(Qz_Object), 0};
    ASSERT_EQ(Qz_RegisterClassRecord(&gToolClass, &tool), 1u);
    ASSERT_EQ(Qz_RegisterClassRecord(&gMediaClass, &media), 1u);
    ASSERT_EQ(Qz_RegisterClassRecord(&gCloneClass, &clone), 1u);
    tool_ = Qz_CreateObject("TestTool");
    media_ = Qz_CreateObject("TestBrushMedia");
    ASSERT_TRUE(tool_ && media_);
    Qz_GetImageBase()->currentTool = tool_;
    app_ = &Qz_GetImageBase()->applicationImage->object;
    for (uint32_t id : {kPointerMoved, kButtonReleased})
      notifies_.push_back(Qz_AddCallBackNotify(app_, id, kNotifyAnyValue, &Record, 0));
  }
  void TearDown() override {
    for (QzWord n : notifies_) Qz_RemoveNotify(app_, n);
    ViewFixture::TearDown();
    image_ = nullptr;
    Qz_GetImageBase()->currentTool = nullptr;
    Qz_DisposeObject(tool_);
    Qz_DisposeObject(media_);
    Qz_UnregisterClassRecord(&gCloneClass);
    Qz_UnregisterClassRecord(&gMediaClass);
    Qz_UnregisterClassRecord(&gToolClass);
    gStandIns = nullptr;
  }
  static void Record(QzWord, Qz_Object*, uint32_t id, const QzWord* words) {
    std::lock_guard<std::mutex> hold(gStandIns->lock);
    gStandIns->notices.push_back({id, {words[0], words[1]}});
  }
  // A picture shown with the stand-in media as its brush; its window is
  // active (clicked) and the pointer rests outside it.
  Qz_Object* ShowPicture(int32_t w, int32_t h) {
    const std::string path = dir_.file("pic.ppm");
    WritePicture(path, w, h);
    Qz_Object* window = LoadShown(path);
    if (!window) return nullptr;
    image_->media = media_;
    const Qz_LayoutBox b = qztest::UiHarness::box(Qz_CurrentViewOf(image_));
    ui_.click(window, b.left + 1, b.top + 1);
    qz::headless::moveTo(1023, 767);
    if (!Settle(window)) return nullptr;
    std::lock_guard<std::mutex> hold(standIns_.lock);
    standIns_.inputs.clear();
    standIns_.notices.clear();
    return window;
  }
  // The view's box on screen, as rows of desktop pixels.
  std::vector<uint32_t> Screen() {
    Window* w = Qz__PlatformWindowOf(ViewWindow());
    const Qz_LayoutBox b = qztest::UiHarness::box(Qz_CurrentViewOf(image_));
    return qz::headless::screenPixels(w->LeftEdge + b.left, w->TopEdge + b.top, b.width, b.height);
  }
  // Moves to view pixel x, y (relative to the view's box) and waits.
  bool MoveOver(Qz_Object* window, int32_t x, int32_t y) {
    const Qz_LayoutBox b = qztest::UiHarness::box(Qz_CurrentViewOf(image_));
    ui_.moveTo(window, b.left + x, b.top + y);
    return Settle(window);
  }
  bool MoveAway(Qz_Object* window) {
    qz::headless::moveTo(1023, 767);
    return Settle(window);
  }
  std::vector<StandIns::Input> Inputs() {
    std::lock_guard<std::mutex> hold(standIns_.lock);
    return standIns_.inputs;
  }
  std::vector<std::pair<uint32_t, std::vector<QzWord>>> Notices() {
    std::lock_guard<std::mutex> hold(standIns_.lock);
    return standIns_.notices;
  }
  static int Documents() {
    int n = 0;
    for (Qz_Image* d = first_image(Qz_GetImageBase()); d; d = next_image(d)) ++n;
    return n;
  }
  StandIns standIns_;
  Qz_Object* tool_ = nullptr;
  Qz_Object* media_ = nullptr;
  Qz_Object* app_ = nullptr;
  std::vector<QzWord> notifies_;
};

// Screen pixel at view pixel x, y of a box snapshot.
uint32_t At(const std::vector<uint32_t>& screen, int32_t width, int32_t x, int32_t y) {
  return screen[size_t(y) * width + x];
}

int Differences(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
  int n = 0;
  for (size_t i = 0; i < std::min(a.size(), b.size()); ++i) n += a[i] != b[i];
  return n + int(std::max(a.size(), b.size()) - std::min(a.size(), b.size()));
}

// The pixels of the box that differ between two snapshots must each be the
// first one's inverted, and lie within the rectangle x0..x1, y0..y1.
::testing::AssertionResult InvertedWithin(const std::vector<uint32_t>& before,
                                          const std::vector<uint32_t>& now, int32_t width,
                                          int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  for (size_t i = 0; i < now.size(); ++i) {
    if (now[i] == before[i]) continue;
    const int32_t x = int32_t(i % size_t(width)), y = int32_t(i / size_t(width));
    if (now[i] != (before[i] ^ 0xFFFFFFu))
      return ::testing::AssertionFailure() << x << "," << y << " is not inverted";
    if (x < x0 || x > x1 || y < y0 || y > y1)
      return ::testing::AssertionFailure() << x << "," << y << " is outside the outline";
  }
  return ::testing::AssertionSuccess();
}

TEST_F(ViewInputTest, TheOutlineFollowsThePointerAndLeavesNoTrace) {
  Qz_Object* window = ShowPicture(40, 30);
  ASSERT_NE(window, nullptr);
  const std::vector<uint32_t> before = Screen();
  ASSERT_EQ(Mismatches(window, 40, 30), 0);

  // A brush 10 x 6 is an ellipse of radii 5 and 3 around the pointer,
  // drawn inverted; inside it the picture shows as it is.
  ASSERT_TRUE(MoveOver(window, 15, 12));
  std::vector<uint32_t> shown = Screen();
  const int ring = Differences(shown, before);
  EXPECT_GT(ring, 12);
  EXPECT_TRUE(InvertedWithin(before, shown, 40, 10, 9, 20, 16));
  EXPECT_EQ(At(shown, 40, 15, 12), Pixel(15, 12));
  EXPECT_NE(At(shown, 40, 20, 12), Pixel(20, 12));  // its right end

  // Moving on takes the old ring away and draws the same ring there.
  ASSERT_TRUE(MoveOver(window, 25, 20));
  shown = Screen();
  EXPECT_EQ(Differences(shown, before), ring);
  EXPECT_TRUE(InvertedWithin(before, shown, 40, 20, 17, 30, 24));

  // The picture changes under the outline: its redraw keeps the outline
  // whole, and taking it away shows the new pixels, none left inverted.
  for (int32_t x = 0; x < 40; ++x) image_->r[20][x] = image_->g[20][x] = image_->b[20][x] = 0;
  Qz_FullRedrawImage(image_);
  ASSERT_TRUE(Settle(window));
  EXPECT_EQ(At(Screen(), 40, 30, 20), 0xFFFFFFu);
  ASSERT_TRUE(MoveAway(window));
  const std::vector<uint32_t> after = Screen();
  for (int32_t y = 0; y < 30; ++y)
    for (int32_t x = 0; x < 40; ++x)
      ASSERT_EQ(At(after, 40, x, y), y == 20 ? 0u : Pixel(x, y)) << x << "," << y;
}

TEST_F(ViewInputTest, NoOutlineWhileAButtonIsHeldOrTheToolDrawsNone) {
  Qz_Object* window = ShowPicture(40, 30);
  ASSERT_NE(window, nullptr);
  const std::vector<uint32_t> before = Screen();
  const Qz_LayoutBox b = qztest::UiHarness::box(Qz_CurrentViewOf(image_));
  Window* pw = Qz__PlatformWindowOf(window);

  // Dragging with the button held: the tool sees it all, no outline.
  qz::headless::moveTo(pw->LeftEdge + b.left + 10, pw->TopEdge + b.top + 10);
  ASSERT_TRUE(Settle(window));
  EXPECT_NE(Differences(Screen(), before), 0);  // the outline of the move
  qz::headless::press();
  ASSERT_TRUE(Settle(window));
  EXPECT_EQ(Differences(Screen(), before), 0);  // the press takes it away
  qz::headless::moveTo(pw->LeftEdge + b.left + 20, pw->TopEdge + b.top + 15);
  ASSERT_TRUE(Settle(window));
  EXPECT_EQ(Differences(Screen(), before), 0);
  qz::headless::release();
  ASSERT_TRUE(MoveAway(window));

  {
    std::lock_guard<std::mutex> hold(standIns_.lock);
    standIns_.toolFlags = 0;
  }
  ASSERT_TRUE(MoveOver(window, 12, 12));
  EXPECT_EQ(Differences(Screen(), before), 0);
}

TEST_F(ViewInputTest, TheCloneModeAddsACrossAtItsSourcePoint) {
  Qz_Object* window = ShowPicture(40, 30);
  ASSERT_NE(window, nullptr);
  Qz_Image* layer = image_->activeLayer;
  ASSERT_NE(layer, nullptr);
  Qz_Object* clone = Qz_CreateObject("TestCloneMode");
  ASSERT_NE(clone, nullptr);
  Qz_Object* savedMode = layer->mode;
  layer->mode = clone;
  {
    std::lock_guard<std::mutex> hold(standIns_.lock);
    standIns_.brushWidth = standIns_.brushHeight = 0;  // the outline is the pointer's pixel
  }
  const std::vector<uint32_t> before = Screen();

  // Source point 4, 2 pixels up and left of the pointer; arms of 6 pixels,
  // every pixel of the cross inverted once.
  ASSERT_TRUE(MoveOver(window, 20, 15));
  const std::vector<uint32_t> shown = Screen();
  std::vector<std::pair<int32_t, int32_t>> cross;
  for (int32_t d = -6; d <= 6; ++d) {
    cross.push_back({16 + d, 13});
    if (d != 0) cross.push_back({16, 13 + d});
  }
  for (const auto& [x, y] : cross) EXPECT_EQ(At(shown, 40, x, y), Pixel(x, y) ^ 0xFFFFFF) << x << "," << y;
  EXPECT_EQ(At(shown, 40, 20, 15), Pixel(20, 15) ^ 0xFFFFFF);
  EXPECT_EQ(Differences(shown, before), int(cross.size()) + 1);
  ASSERT_TRUE(MoveAway(window));
  EXPECT_EQ(Differences(Screen(), before), 0);
  layer->mode = savedMode;
  Qz_DisposeObject(clone);
}

TEST_F(ViewInputTest, TheToolGetsTheInputAndItsPointerIsSentOnlyWhenItChanges) {
  Qz_Object* window = ShowPicture(40, 30);
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(MoveOver(window, 8, 9));
  EXPECT_EQ(Qz_DoMethod(window, kWindowGetCursor), 7u);
  // Someone else changes the window's pointer: a move over the picture with
  // the tool's pointer unchanged sends nothing, so it stays.
  Qz_DoMethod(window, kWindowSetCursor, 3);
  ASSERT_TRUE(MoveOver(window, 9, 9));
  EXPECT_EQ(Qz_DoMethod(window, kWindowGetCursor), 3u);
  {
    std::lock_guard<std::mutex> hold(standIns_.lock);
    standIns_.toolPointer = 5;
  }
  ASSERT_TRUE(MoveOver(window, 10, 9));
  EXPECT_EQ(Qz_DoMethod(window, kWindowGetCursor), 5u);
  // Off the picture (over the status line below it): the default pointer.
  const Qz_LayoutBox b = qztest::UiHarness::box(Qz_CurrentViewOf(image_));
  ui_.moveTo(window, b.left + 10, b.top + b.height + 3);
  ASSERT_TRUE(Settle(window));
  EXPECT_EQ(Qz_DoMethod(window, kWindowGetCursor), 0u);

  // Every move reached the tool with the document; the status panels heard
  // the image position of each move over the view.
  const std::vector<StandIns::Input> inputs = Inputs();
  const int moves = int(std::count_if(inputs.begin(), inputs.end(), [](const StandIns::Input& i) {
    return i.cls == IDCMP_MOUSEMOVE;
  }));
  EXPECT_GE(moves, 4);
  for (const StandIns::Input& i : inputs) EXPECT_EQ(i.image, image_);
  std::vector<std::pair<uint32_t, std::vector<QzWord>>> notices = Notices();
  ASSERT_FALSE(notices.empty());
  auto moved = std::find_if(notices.begin(), notices.end(), [](const auto& n) {
    return n.first == kPointerMoved && n.second[0] == 10u;
  });
  ASSERT_NE(moved, notices.end());
  EXPECT_EQ(moved->second[1], 9u);

  // A click: the tool gets press and release; the release is announced.
  ui_.click(window, b.left + 5, b.top + 5);
  ASSERT_TRUE(Settle(window));
  const std::vector<StandIns::Input> after = Inputs();
  EXPECT_TRUE(std::any_of(after.begin(), after.end(), [](const StandIns::Input& i) {
    return i.cls == IDCMP_MOUSEBUTTONS && i.code == SELECTDOWN;
  }));
  EXPECT_TRUE(std::any_of(after.begin(), after.end(), [](const StandIns::Input& i) {
    return i.cls == IDCMP_MOUSEBUTTONS && i.code == SELECTUP;
  }));
  notices = Notices();
  EXPECT_TRUE(std::any_of(notices.begin(), notices.end(), [&](const auto& n) {
    return n.first == kButtonReleased && n.second[0] == reinterpret_cast<QzWord>(image_);
  }));

  // A tool that takes a key keeps it from the view: '>' no longer zooms.
  {
    std::lock_guard<std::mutex> hold(standIns_.lock);
    standIns_.toolAnswer = 1;
  }
  qz::headless::typeText(">");
  ASSERT_TRUE(Settle(window));
  EXPECT_EQ(Qz_DoMethod(Qz_CurrentViewOf(image_), kQzViewGetZoom), 100u);
}

TEST_F(ViewInputTest, ASelectPressWithASmearingMediaFixesFirstAndGoesOn) {
  Qz_Object* window = ShowPicture(20, 16);
  ASSERT_NE(window, nullptr);
  {
    std::lock_guard<std::mutex> hold(standIns_.lock);
    standIns_.smear = 1;
  }
  // The fix commits under the exclusive lock: the press must not hold the
  // input's read lock meanwhile, or it would wait for itself.
  const Qz_LayoutBox b = qztest::UiHarness::box(Qz_CurrentViewOf(image_));
  ui_.click(window, b.left + 4, b.top + 4);
  ASSERT_TRUE(Settle(window));
  const std::vector<StandIns::Input> inputs = Inputs();
  EXPECT_TRUE(std::any_of(inputs.begin(), inputs.end(), [](const StandIns::Input& i) {
    return i.cls == IDCMP_MOUSEBUTTONS && i.code == SELECTUP;
  }));
}

// A scanned picture: width, height, two more words, then rows of blue,
// green, red padded to 4 bytes, the bottom row first.
std::vector<uint8_t> ScannerBlock(uint32_t width, uint32_t height, size_t rowBytes) {
  std::vector<uint8_t> b(16 + rowBytes * height, 0);
  for (int i = 0; i < 4; ++i) {
    b[i] = uint8_t(width >> (8 * i));
    b[4 + i] = uint8_t(height >> (8 * i));
  }
  for (uint32_t y = 0; y < height; ++y)
    for (uint32_t x = 0; x < width && 16 + (height - 1 - y) * rowBytes + x * 3 + 2 < b.size(); ++x) {
      const uint32_t p = Pixel(int32_t(x), int32_t(y));
      uint8_t* at = &b[16 + (height - 1 - y) * rowBytes + x * 3];
      at[0] = uint8_t(p), at[1] = uint8_t(p >> 8), at[2] = uint8_t(p >> 16);
    }
  return b;
}

void* Handed(const std::vector<uint8_t>& block) {
  void* copy = AllocVec(block.size(), 0);
  std::memcpy(copy, block.data(), block.size());
  return copy;
}

TEST_F(ViewInputTest, AScannedPictureBecomesAShownDocumentAndAShortBlockNothing) {
  struct Case {
    const char* name;
    std::vector<uint8_t> block;
    size_t length;
  };
  const std::vector<uint8_t> good = ScannerBlock(5, 3, 16);  // 15 bytes padded to 16
  const Case refused[] = {
      {"rows one byte short", ScannerBlock(5, 3, 15), ScannerBlock(5, 3, 15).size()},
      {"length shorter than the block", good, good.size() - 1},
      {"no length", good, 0},
      {"zero height", ScannerBlock(5, 0, 16), 16},
      {"header only", std::vector<uint8_t>(16, 0), 16},
  };
  const int documents = Documents();
  for (const Case& c : refused) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Qz_DoMethod(app_, kScannedPicture, Handed(c.block), c.length), 0u);
    EXPECT_EQ(Documents(), documents);
  }

  image_ = reinterpret_cast<Qz_Image*>(Qz_DoMethod(app_, kScannedPicture, Handed(good), good.size()));
  ASSERT_NE(image_, nullptr);
  EXPECT_EQ(image_->width, 5);
  EXPECT_EQ(image_->height, 3);
  EXPECT_EQ(qztest::ActiveImage(), image_);
  ASSERT_NE(image_->paintLayer, nullptr);
  for (int32_t y = 0; y < 3; ++y)
    for (int32_t x = 0; x < 5; ++x) {
      const uint32_t p = Pixel(x, y);
      ASSERT_EQ(image_->r[y][x], uint8_t(p >> 16)) << x << "," << y;
      ASSERT_EQ(image_->g[y][x], uint8_t(p >> 8));
      ASSERT_EQ(image_->b[y][x], uint8_t(p));
      ASSERT_EQ(image_->undoR[y][x], uint8_t(p >> 16));
    }
  Qz_Object* window = Shown(image_);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(Mismatches(window, 5, 3), 0);
}

}  // namespace
