// A stroke with the mouse over a shown picture, end to end: the pointer's
// press, moves and release reach DrawTool through the view, the AirBrush
// lays the stroke into the paint layer, the view shows it, and undo and redo
// take it back and bring it again byte for byte, on screen too.
#include <gtest/gtest.h>

#include <vector>

#include "app/class_registration.h"
#include "host/headless/headless_host.h"
#include "image/app_commands.h"
#include "image/qz_image.h"
#include "media/qz_root_media.h"
#include "platform/windows.h"
#include "view_fixture.h"

namespace {

using qztest::WritePicture;

class PaintStrokeTest : public qztest::ViewFixture {
 protected:
  void SetUp() override {
    for (auto group : {qz::app::ClassGroup::Modes, qz::app::ClassGroup::Actions, qz::app::ClassGroup::Media,
                       qz::app::ClassGroup::Tools})
      qz::app::initClasses(qz::app::classGroup(group), Qz_GetGlobalData());
    media_ = Qz_CreateObject("AirBrushMedia");
    tool_ = Qz_CreateObject("DrawTool");
    ASSERT_TRUE(media_ && tool_);
    Qz_DoMethod(media_, kMediaSize, 9u);
    Qz_DoMethod(media_, kMediaPressure, 120u);
    Qz_DoMethod(media_, kMediaSetFreehand, 1u);
    Qz_GetImageBase()->currentTool = tool_;
  }
  void TearDown() override {
    ViewFixture::TearDown();
    image_ = nullptr;
    Qz_GetImageBase()->currentTool = nullptr;
    Qz_DisposeObject(tool_);
    Qz_DisposeObject(media_);
  }
  std::vector<uint32_t> Screen(Qz_Object* window) {
    Window* w = Qz__PlatformWindowOf(window);
    const Qz_LayoutBox b = qztest::UiHarness::box(Qz_CurrentViewOf(image_));
    return qz::headless::screenPixels(w->LeftEdge + b.left, w->TopEdge + b.top, b.width, b.height);
  }
  std::vector<uint8_t> LayerPlane() {
    Qz_Image* layer = image_->activeLayer;
    std::vector<uint8_t> bytes;
    for (int32_t y = 0; y < layer->height; ++y) bytes.insert(bytes.end(), layer->grey[y], layer->grey[y] + layer->width);
    return bytes;
  }
  Qz_Object* media_ = nullptr;
  Qz_Object* tool_ = nullptr;
};

TEST_F(PaintStrokeTest, AMouseStrokeShowsAtOnceAndUndoAndRedoAreByteExact) {
  const std::string path = dir_.file("pic.ppm");
  WritePicture(path, 80, 60);
  Qz_Object* window = LoadShown(path);
  ASSERT_NE(window, nullptr);
  ASSERT_NE(image_->activeLayer, nullptr);
  image_->media = media_;
  const Qz_LayoutBox b = qztest::UiHarness::box(Qz_CurrentViewOf(image_));
  ui_.click(window, b.left + 70, b.top + 55);  // activates the window; a dab there
  ASSERT_TRUE(Settle(window));
  const std::vector<uint8_t> planeBefore = LayerPlane();
  const std::vector<uint32_t> screenBefore = Screen(window);

  ui_.moveTo(window, b.left + 10, b.top + 10);
  // Each step is handled before the next: a message reads the pointer where
  // it is when its window takes it, as on the display.
  ASSERT_TRUE(Settle(window));
  qz::headless::press();
  ASSERT_TRUE(Settle(window));
  for (int i = 1; i <= 10; ++i) {
    ui_.moveTo(window, b.left + 10 + i * 5, b.top + 10 + i * 3);
    ASSERT_TRUE(Settle(window));
  }
  qz::headless::release();
  ASSERT_TRUE(Settle(window));
  const std::vector<uint8_t> planeAfter = LayerPlane();
  const std::vector<uint32_t> screenAfter = Screen(window);
  ASSERT_NE(planeAfter, planeBefore);
  EXPECT_NE(screenAfter, screenBefore);
  // On the stroke's path (its third point), and far from it.
  Qz_Object* view = Qz_CurrentViewOf(image_);
  const int32_t onX = ImageViewToImageX(view, b.left + 20), onY = ImageViewToImageY(view, b.top + 16);
  EXPECT_GT(image_->activeLayer->grey[onY][onX], 0) << onX << "," << onY;
  EXPECT_EQ(image_->activeLayer->grey[onY + 30][onX - 15 < 0 ? 0 : onX - 15], 0);

  ASSERT_EQ(Qz_UndoImageAction(image_), 1u);
  ASSERT_TRUE(Settle(window));
  EXPECT_EQ(LayerPlane(), planeBefore);
  EXPECT_EQ(Screen(window), screenBefore);
  ASSERT_EQ(Qz_RedoImageAction(image_), 1u);
  ASSERT_TRUE(Settle(window));
  EXPECT_EQ(LayerPlane(), planeAfter);
  EXPECT_EQ(Screen(window), screenAfter);
}

// A pen colour chosen after a stroke (as the colour picker and the panels
// choose it, through the application) is the colour of the next stroke.
TEST_F(PaintStrokeTest, AStrokeAfterAColourChangeIsDrawnInTheNewColour) {
  const std::string path = dir_.file("pic.ppm");
  WritePicture(path, 80, 60);
  Qz_Object* window = LoadShown(path);
  ASSERT_NE(window, nullptr);
  ASSERT_NE(image_->activeLayer, nullptr);
  image_->media = media_;
  Qz_Object* view = Qz_CurrentViewOf(image_);
  const Qz_LayoutBox b = qztest::UiHarness::box(view);
  ui_.click(window, b.left + 70, b.top + 55);
  ASSERT_TRUE(Settle(window));
  Qz_Object* app = &Qz_GetImageBase()->applicationImage->object;
  struct Case {
    uint32_t colour;  // 0x00BBGGRR
    int32_t y;
  };
  for (const Case& c : {Case{0x0000FF, 15}, Case{0xFF0000, 40}}) {
    SCOPED_TRACE(c.colour);
    Qz_DoMethod(app, qz::kQzAppSetColour, c.colour);
    Qz__SettleImage(image_);  // the layer takes the colour on the document's thread
    ASSERT_TRUE(Settle(window));
    ui_.moveTo(window, b.left + 10, b.top + c.y);
    ASSERT_TRUE(Settle(window));
    qz::headless::press();
    ASSERT_TRUE(Settle(window));
    for (int i = 1; i <= 6; ++i) {
      ui_.moveTo(window, b.left + 10 + i * 8, b.top + c.y);
      ASSERT_TRUE(Settle(window));
    }
    qz::headless::release();
    ASSERT_TRUE(Settle(window));
    const int32_t x = ImageViewToImageX(view, b.left + 34), y = ImageViewToImageY(view, b.top + c.y);
    ASSERT_GT(image_->activeLayer->grey[y][x], 200) << x << "," << y;
    const uint8_t red = image_->r[y][x], blue = image_->b[y][x];
    if (c.colour == 0x0000FF) EXPECT_GT(red, blue + 100);
    else EXPECT_GT(blue, red + 100);
  }
}

}  // namespace
