// The save-for-the-web window on the X11 host: the image and its preview
// reach the X screen with the compressed size, and Cancel closes it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "app/web_save_dialog.h"
#include "image/image_shell.h"
#include "image/qz_image.h"
#include "platform/exec.h"
#include "platform/windows.h"
#include "support/pattern_ppm.h"
#include "support/temp_dir.h"
#include "support/ui_harness.h"
#include "support/web_print_classes.h"
#include "x11_gui/x11_gui_support.h"

namespace {

using namespace qztest::x11;
using Gadget = qz::web::WebSaveDialog::Gadget;

uint32_t patternPixel(int32_t x, int32_t y) {
  return uint32_t(qztest::PatternRed(x, y)) << 16 | uint32_t(qztest::PatternGreen(x, y)) << 8 |
         qztest::PatternBlue(x, y);
}

TEST(X11WebSave, ShowsTheImageItsPreviewAndTheCompressedSize) {
  if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display";
  if (!qztest::haveTool("xdotool") || !qztest::haveTool("import")) GTEST_SKIP() << "xdotool or ImageMagick is missing";
  qztest::ScopedStateRoot stateRoot;
  qztest::TempDir dir;
  ASSERT_TRUE(qztest::OpenWebPrintClasses());
  ASSERT_NE(OpenScreenTags(nullptr), nullptr);

  constexpr int32_t kWidth = 120, kHeight = 90;
  qztest::WritePattern(dir.file("p.ppm"), kWidth, kHeight);
  Qz_Image* image = Qz__LoadImageA(dir.file("p.ppm").c_str(), nullptr, nullptr, kQzLoadPlain | 4, nullptr);
  ASSERT_NE(image, nullptr);
  {
    auto dialog = qz::web::WebSaveDialog::open(image);
    ASSERT_NE(dialog, nullptr);
    for (int i = 0; i < 1500 && dialog->estimates() == 0; ++i) Delay(1);
    ASSERT_GT(dialog->estimates(), 0u);
    Qz_Object* win = dialog->gadget(Gadget::Window);
    Window* w = waitForPlatformWindow(win);
    ASSERT_NE(w, nullptr);
    ASSERT_TRUE(settle(win));
    const std::vector<LabelledButton> buttons = buttonsOf(win);
    ASSERT_TRUE(waitForButtonLabels(w, buttons));
    const Qz_LayoutBox size = qztest::UiHarness::box(dialog->gadget(Gadget::CompressedSize));
    ASSERT_TRUE(waitForInk(w->LeftEdge + size.left, w->TopEdge + size.top, size.width, size.height, 20));

    Screenshot shot;
    ASSERT_TRUE(shot.take(screenshotPath("web_save_screenshot.png")));
    // The image view shows the picture's own pixels at its top left.
    const Qz_LayoutBox view = qztest::UiHarness::box(dialog->gadget(Gadget::ImageView));
    for (const auto& [x, y] : {std::pair{0, 0}, std::pair{7, 3}, std::pair{30, 20}}) {
      EXPECT_EQ(shot.at(w->LeftEdge + view.left + x, w->TopEdge + view.top + y), patternPixel(x, y))
          << x << "," << y;
    }
    // The preview shows the JPEG trial: near the picture, not the window's face.
    const Qz_LayoutBox preview = qztest::UiHarness::box(dialog->gadget(Gadget::PreviewView));
    const uint32_t got = shot.at(w->LeftEdge + preview.left + 30, w->TopEdge + preview.top + 20);
    const uint32_t want = patternPixel(30, 20);
    for (int shift : {16, 8, 0})
      EXPECT_LE(std::abs(int((got >> shift) & 0xFF) - int((want >> shift) & 0xFF)), 24) << std::hex << got;
    ASSERT_TRUE(clickObject(w, dialog->gadget(Gadget::Cancel)));
    EXPECT_FALSE(dialog->run());
  }
  Qz_DisposeObject(&image->object);
  qztest::CloseWebPrintClasses();
}

}  // namespace
