// The page set-up requester on the X11 host: it shows its paper, size and
// margin frames, and a click on OK gives the picture the resolution typed.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <future>

#include "gadgets/qz_window.h"
#include "image/qz_image.h"
#include "objects/catalogue.h"
#include "platform/windows.h"
#include "qzio/root_qzio.h"
#include "requesters/qz_page_setup.h"
#include "support/temp_dir.h"
#include "x11_gui/x11_gui_support.h"

namespace {

using namespace qztest::x11;

TEST(X11PageSetup, OkGivesThePictureTheResolution) {
  if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display";
  if (!qztest::haveTool("xdotool") || !qztest::haveTool("import")) GTEST_SKIP() << "xdotool or ImageMagick is missing";
  qztest::ScopedStateRoot stateRoot;
  ASSERT_NE(Qz_InitImageBase(), nullptr);
  ASSERT_NE(OpenScreenTags(nullptr), nullptr);
  Qz__LoadCatalog("Data/Lingua/Quillantrix", "");
  Qz_InitRootQZIOClass(nullptr);
  ASSERT_EQ(Qz_InitPageSetupClass(nullptr), 1u);
  auto* image = reinterpret_cast<Qz_Image*>(Qz_CreateObject("Image"));
  ASSERT_NE(image, nullptr);
  ASSERT_NE(Qz_AllocImage(image, 600, 300, 24, 0, nullptr), nullptr);
  image->resolution = 72;
  Qz_Object* page = Qz_CreateObject("PageSetup");
  ASSERT_NE(page, nullptr);
  Qz_DoMethod(page, kPageSetupSetImage, image);
  Qz_DoMethod(page, kPageSetupResolution, Qz_FloatToULONG(150.0f));

  std::future<QzWord> answer = std::async(std::launch::async, [page] { return Qz_DoMethod(page, kPageSetupRun); });
  Qz_Object* win = waitForActiveWindow("Page Setup");
  ASSERT_NE(win, nullptr);
  ASSERT_TRUE(settle(win));
  Window* w = Qz__PlatformWindowOf(win);
  ASSERT_TRUE(waitForButtonLabels(w, buttonsOf(win)));
  Screenshot shot;
  EXPECT_TRUE(shot.take(screenshotPath("page_setup_screenshot.png")));
  Qz_Object* ok = buttonLabelled(win, "Ok");
  ASSERT_NE(ok, nullptr);
  ASSERT_TRUE(clickObject(w, ok));
  ASSERT_EQ(answer.wait_for(std::chrono::seconds(10)), std::future_status::ready);
  EXPECT_EQ(answer.get(), 1u);
  EXPECT_EQ(image->resolution, 150.0f);

  Qz_DisposeObject(page);
  Qz_DisposeObject(&image->object);
  Qz_CleanupPageSetupClass();
  Qz_CleanupRootQZIOClass();
  Qz__FreeCatalog();
  Qz_CleanupImageBase();
}

}  // namespace
