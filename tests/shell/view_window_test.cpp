// Documents in their own windows on the headless screen: a loaded picture
// opens a window of its size, titled with its name and size, whose pixels
// are the picture's; changes are redrawn, zooming resizes the window, and
// the window goes with the document.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>

#include "gadgets/qz_group.h"
#include "gadgets/qz_window.h"
#include "host/headless/headless_host.h"
#include "image/image_shell.h"
#include "objects/object_services.h"
#include "objects/qz_object.h"
#include "platform/exec.h"
#include "platform/windows.h"
#include "support/temp_dir.h"
#include "support/ui_harness.h"

namespace {

constexpr uint32_t kQuiet = 4;
constexpr uint32_t kMakeActiveImage = 0x13001e;

uint32_t Pixel(int32_t x, int32_t y) {
  return uint32_t((x * 9) & 0xFF) << 16 | uint32_t((y * 11) & 0xFF) << 8 | uint32_t((x + y) * 5 & 0xFF);
}

void WritePicture(const std::string& path, int32_t w, int32_t h) {
  std::ofstream out(path, std::ios::binary);
  out << "P6\n" << w << " " << h << "\n255\n";
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) {
      const uint32_t p = Pixel(x, y);
      out << char(p >> 16) << char(p >> 8) << char(p);
    }
}

class ViewWindowTest : public ::testing::Test {
 protected:
  void TearDown() override {
    if (image_) Qz_DisposeObject(&image_->object);
  }
  // Loads the picture with its view and waits until its window shows it.
  Qz_Object* LoadShown(const std::string& path) {
    image_ = Qz__LoadImageA(path.c_str(), nullptr, nullptr, kQuiet, nullptr);
    if (!image_ || !image_->view) return nullptr;
    Qz_Object* window = ViewWindow();
    if (!window) return nullptr;
    for (int i = 0; i < 250 && !Qz__PlatformWindowOf(window); ++i) Delay(1);
    if (!Qz__PlatformWindowOf(window) || !Settle(window)) return nullptr;
    return window;
  }
  Qz_Object* ViewWindow() { return Qz_SearchHierachyForClassId(image_->view, kWindowClassId); }
  bool Settle(Qz_Object* window) {
    if (!ui_.settle(window)) return false;
    Qz__SettleImageView(image_->view);
    return ui_.settle(window);
  }
  // The view's pixels on screen that differ from the picture (at 100 %).
  int Mismatches(Qz_Object* window, int32_t w, int32_t h) {
    const Qz_LayoutBox b = qztest::UiHarness::box(image_->view);
    int bad = 0;
    for (int32_t y = 0; y < h; ++y)
      for (int32_t x = 0; x < w; ++x)
        if (ui_.pixel(window, b.left + x, b.top + y) != Pixel(x, y)) ++bad;
    return bad;
  }
  qztest::UiHarness ui_;
  qztest::TempDir dir_;
  Qz_Image* image_ = nullptr;
};

TEST_F(ViewWindowTest, OpensAWindowShowingThePicture) {
  const std::string path = dir_.file("pic.ppm");
  WritePicture(path, 40, 30);
  Qz_Object* window = LoadShown(path);
  ASSERT_NE(window, nullptr);
  const Qz_LayoutBox b = qztest::UiHarness::box(image_->view);
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
  Qz_DoMethod(image_->view, kQzViewZoom, 200, 0);
  ASSERT_TRUE(Settle(window));
  const Qz_LayoutBox z = qztest::UiHarness::box(image_->view);
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
    EXPECT_EQ(Qz_DoMethod(image_->view, kQzViewGetZoom), QzWord(c.zoom));
    EXPECT_EQ(qztest::UiHarness::box(image_->view).width, c.width);
  }
  const Qz_LayoutBox k = qztest::UiHarness::box(image_->view);
  EXPECT_EQ(ui_.pixel(window, k.left + 59, k.top + 44), Pixel(39, 29));
}

TEST_F(ViewWindowTest, ALargePictureIsFittedToTheScreen) {
  const std::string path = dir_.file("big.ppm");
  WritePicture(path, 2000, 500);
  Qz_Object* window = LoadShown(path);
  ASSERT_NE(window, nullptr);
  Window* pw = Qz__PlatformWindowOf(window);
  ASSERT_NE(pw, nullptr);
  EXPECT_LE(pw->LeftEdge + pw->Width, 1024);
  const Qz_LayoutBox b = qztest::UiHarness::box(image_->view);
  const int32_t zoom = int32_t(Qz_DoMethod(image_->view, kQzViewGetZoom));
  EXPECT_LT(zoom, 100);
  EXPECT_EQ(b.width, 2000 * zoom / 100);
  EXPECT_LE(b.width, 1024);
}

TEST_F(ViewWindowTest, DisposingTheDocumentClosesItsWindow) {
  const std::string path = dir_.file("pic.ppm");
  WritePicture(path, 20, 10);
  Qz_Object* window = LoadShown(path);
  ASSERT_NE(window, nullptr);
  ui_.forget(window);
  Window* pw = Qz__PlatformWindowOf(window);
  ASSERT_NE(pw, nullptr);
  const Qz_LayoutBox b = qztest::UiHarness::box(image_->view);
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
  Qz_ImageBase* base = Qz_GetImageBase();

  // Another window takes the activation; a click on the picture gives it back.
  Qz_Object* other = ui_.window("Other", 600, 400);
  Qz_DoMethod(other, kGroupAddTail, qztest::TestGadget::make({.minWidth = 50, .minHeight = 30}));
  ASSERT_TRUE(ui_.open(other));
  ui_.click(other, 20, 30);
  ASSERT_TRUE(ui_.settle(other));
  Qz_DoMethod(&image_->object, kMakeActiveImage, nullptr);
  ASSERT_EQ(base->activeImage, nullptr);
  const Qz_LayoutBox b = qztest::UiHarness::box(image_->view);
  ui_.click(window, b.left + 5, b.top + 5);
  ASSERT_TRUE(Settle(window));
  EXPECT_EQ(base->activeImage, image_);

  Window* pw = Qz__PlatformWindowOf(window);
  ASSERT_NE(pw, nullptr);
  const int sx = pw->LeftEdge + b.left, sy = pw->TopEdge + b.top;
  ui_.forget(window);
  ASSERT_TRUE(ui_.post(window, window, kWindowFireClose));
  for (int i = 0; i < 250 && image_->view; ++i) Delay(1);
  EXPECT_EQ(image_->view, nullptr);
  ASSERT_TRUE(qz::headless::settle());
  int still = 0;
  for (int x = 0; x < 30; ++x) still += qz::headless::screenPixel(sx + x, sy + 2) == Pixel(x, 2);
  EXPECT_EQ(still, 0);
}

}  // namespace
