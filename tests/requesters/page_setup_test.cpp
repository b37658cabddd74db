// The page set-up object: its gadgets follow the layout without echoing
// back, typing goes through the same checks, and OK stores the resolution
// only into a picture that is still open.
#include "requesters/qz_page_setup.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <future>

#include "gadgets/qz_text_entry.h"
#include "host/headless/headless_host.h"
#include "image/qz_image.h"
#include "objects/catalogue.h"
#include "objects/qz_linked_list.h"
#include "platform/exec.h"
#include "platform/windows.h"
#include "qzio/root_qzio.h"
#include "requesters/page_layout.h"
#include "support/ui_harness.h"

namespace {

float AsFloat(QzWord w) { return Qz_ULONGToFloat(w); }
QzWord Bits(float f) { return Qz_FloatToULONG(f); }

class PageSetupTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(Qz_InitImageBase(), nullptr);
    Qz__LoadCatalog("Data/Lingua/Quillantrix", "");  // the requester's title
    Qz_InitRootQZIOClass(nullptr);
    ASSERT_EQ(Qz_InitPageSetupClass(nullptr), 1u);
    page_ = Qz_CreateObject("PageSetup");
    ASSERT_NE(page_, nullptr);
  }
  void TearDown() override {
    Qz_DisposeObject(page_);
    if (image_) Qz_DisposeObject(&image_->object);
    Qz_CleanupPageSetupClass();
    Qz_CleanupRootQZIOClass();
    Qz__FreeCatalog();
    Qz_CleanupImageBase();
  }
  Qz_Image* MakeImage(int32_t w, int32_t h, float resolution) {
    image_ = reinterpret_cast<Qz_Image*>(Qz_CreateObject("Image"));
    if (!image_ || !Qz_AllocImage(image_, w, h, 24, 0, nullptr)) return nullptr;
    image_->resolution = resolution;
    return image_;
  }
  qztest::UiHarness ui_;
  Qz_Object* page_ = nullptr;
  Qz_Image* image_ = nullptr;
};

TEST_F(PageSetupTest, FitsAndFollowsTypedValues) {
  ASSERT_NE(MakeImage(2000, 1000, 72), nullptr);
  Qz_DoMethod(page_, kPageSetupPaper, 2);  // A4
  for (uint32_t setter : {kPageSetupSetLeft, kPageSetupSetTop, kPageSetupSetRight, kPageSetupSetBottom})
    Qz_DoMethod(page_, setter, Bits(10));
  Qz_DoMethod(page_, kPageSetupSetImage, image_);
  Qz_DoMethod(page_, kPageSetupSetFitFlag, 1);
  EXPECT_FLOAT_EQ(AsFloat(Qz_DoMethod(page_, kPageSetupGetPrintWidth)), 190);
  EXPECT_FLOAT_EQ(AsFloat(Qz_DoMethod(page_, kPageSetupGetPrintHeight)), 95);
  EXPECT_FLOAT_EQ(AsFloat(Qz_DoMethod(page_, kPageSetupGetLeft)), 10);

  // Twice the resolution: half the size, fitting off.
  const float resolution = AsFloat(Qz_DoMethod(page_, kPageSetupGetResolution));
  Qz_DoMethod(page_, kPageSetupResolution, Bits(resolution * 2));
  EXPECT_EQ(Qz_DoMethod(page_, kPageSetupGetFitFlag), 0u);
  EXPECT_FLOAT_EQ(AsFloat(Qz_DoMethod(page_, kPageSetupGetPrintWidth)), 95);

  // A typed paper width makes A4 custom (cm); a refused value changes nothing.
  Qz_DoMethod(page_, kPageSetupPaperWidth, Bits(200));
  EXPECT_EQ(Qz_DoMethod(page_, kPageSetupGetPaper), uint32_t(qz::page::kCustomCentimetres));
  Qz_DoMethod(page_, kPageSetupResolution, Bits(0));
  Qz_DoMethod(page_, kPageSetupSetPrintWidth, Bits(-3));
  EXPECT_FLOAT_EQ(AsFloat(Qz_DoMethod(page_, kPageSetupGetResolution)), resolution * 2);
  EXPECT_FLOAT_EQ(AsFloat(Qz_DoMethod(page_, kPageSetupGetPrintWidth)), 95);
}

// The requester's window once open and active (found by its title).
Qz_Object* ShownRequester(qztest::UiHarness& ui, const char* title) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (std::chrono::steady_clock::now() < deadline) {
    Window* active = Qz_GetActiveWindow();
    if (active && active->Title && std::strcmp(active->Title, title) == 0) {
      auto* owner = static_cast<Qz_Object*>(active->OwnerObject);
      if (owner && ui.settle(owner)) return owner;
    }
    Delay(1);
  }
  return nullptr;
}

TEST_F(PageSetupTest, OkStoresTheResolutionOnlyIntoAnOpenImage) {
  struct Case {
    const char* name;
    uint32_t key;  // Return is OK, Escape is Cancel
    bool closeImageFirst;
    float expected;
  };
  const Case cases[] = {
      {"OK", 13, false, 144},
      {"Cancel", 27, false, 72},
      {"OK after the image closed", 13, true, 0},
  };
  Qz_Object* screen = Qz_CreateObject("LinkedList");
  Qz_GetImageBase()->screen = screen;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Qz_Image* image = MakeImage(300, 200, 72);
    ASSERT_NE(image, nullptr);
    Qz_DoMethod(page_, kPageSetupSetImage, image);
    Qz_DoMethod(page_, kPageSetupResolution, Bits(144));
    auto run = std::async(std::launch::async, [&] { return Qz_DoMethod(page_, kPageSetupRun); });
    Qz_Object* window = ShownRequester(ui_, "Page Setup");
    ASSERT_NE(window, nullptr);
    if (c.closeImageFirst) {
      Qz_DisposeObject(&image->object);
      image_ = nullptr;
    }
    qz::headless::typeKey(c.key, c.key);
    EXPECT_EQ(run.get(), c.key == 13 ? 1u : 0u);
    if (image_) {
      EXPECT_EQ(image_->resolution, c.expected);
    }
    if (image_) Qz_DisposeObject(&image_->object);
    image_ = nullptr;
  }
  EXPECT_EQ(Qz_DoMethod(screen, kLinkedListCount), 0u);
  Qz_GetImageBase()->screen = nullptr;
  Qz_DisposeObject(screen);
}

}  // namespace
