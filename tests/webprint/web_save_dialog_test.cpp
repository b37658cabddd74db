// The save-for-the-web window on the headless screen: options reach the
// worker's trial file, Cancel leaves nothing behind, Save copies the trial.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/web_save_dialog.h"
#include "gadgets/qz_choice.h"
#include "gadgets/qz_sliders.h"
#include "image/qz_image.h"
#include "objects/message_box.h"
#include "support/pattern_ppm.h"
#include "support/temp_dir.h"
#include "support/ui_harness.h"
#include "web_print_support.h"

namespace {

using qz::web::WebSaveDialog;
using Gadget = WebSaveDialog::Gadget;

class WebSaveDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qztest::WritePattern(dir_.file("p.ppm"), kWidth, kHeight);
    image_ = qztest::LoadPlain(dir_.file("p.ppm"));
    ASSERT_NE(image_, nullptr);
    qz::msgbox::resetScript();
  }
  void TearDown() override {
    qz::web::setSaveNameRequest({});
    if (image_ != nullptr) Qz_DisposeObject(&image_->object);
  }
  // Waits (boundedly) until the dialog has finished more than `count` estimates.
  bool estimatedBeyond(const WebSaveDialog& d, uint32_t count) {
    for (int i = 0; i < 1500 && d.estimates() <= count; ++i) Delay(1);
    return d.estimates() > count;
  }
  void press(WebSaveDialog& d, Gadget which) {
    Qz_Object* window = d.gadget(Gadget::Window);
    const Qz_LayoutBox b = qztest::UiHarness::box(d.gadget(which));
    ui_.click(window, b.left + b.width / 2, b.top + b.height / 2);
    ui_.settle(window);
  }
  std::string label(Qz_Object* text) {
    return reinterpret_cast<const char*>(Qz_DoMethod(text, kRootGetLabel));
  }

  static constexpr int32_t kWidth = 41, kHeight = 29;
  qztest::UiHarness ui_;
  qztest::TempDir dir_;
  Qz_Image* image_ = nullptr;
};

TEST_F(WebSaveDialogTest, AChosenJpegQualityGivesADecodableTrialOfTheImagesSize) {
  auto d = WebSaveDialog::open(image_);
  ASSERT_NE(d, nullptr);
  ASSERT_TRUE(estimatedBeyond(*d, 0));
  const uint32_t before = d->estimates();
  Qz_Object* window = d->gadget(Gadget::Window);
  ui_.post(window, d->gadget(Gadget::JpegQuality), kValueSet, 20);
  ASSERT_TRUE(estimatedBeyond(*d, before));
  ui_.settle(window);
  EXPECT_EQ(qztest::MagickIdentify(d->trialFile()), "JPEG 41x29");
  const auto bytes = int64_t(std::filesystem::file_size(d->trialFile()));
  EXPECT_EQ(label(d->gadget(Gadget::CompressedSize)), "Compressed Size: " + qz::web::sizeText(bytes));
  press(*d, Gadget::Cancel);
  EXPECT_FALSE(d->run());
}

TEST_F(WebSaveDialogTest, ChoosingGifMakesAGifTrial) {
  auto d = WebSaveDialog::open(image_);
  ASSERT_NE(d, nullptr);
  ASSERT_TRUE(estimatedBeyond(*d, 0));
  const uint32_t before = d->estimates();
  ui_.post(d->gadget(Gadget::Window), d->gadget(Gadget::FormatChoice), kMutualExcludeMark, 2);
  ASSERT_TRUE(estimatedBeyond(*d, before));
  EXPECT_EQ(qztest::MagickIdentify(d->trialFile()), "GIF 41x29");
  press(*d, Gadget::Cancel);
  d->run();
}

TEST_F(WebSaveDialogTest, CancelRemovesTheTrialFileAndReleasesTheImage) {
  std::string trial;
  {
    auto d = WebSaveDialog::open(image_);
    ASSERT_NE(d, nullptr);
    ASSERT_TRUE(estimatedBeyond(*d, 0));
    trial = d->trialFile();
    EXPECT_TRUE(std::filesystem::exists(trial));
    press(*d, Gadget::Cancel);
    EXPECT_FALSE(d->run());
  }
  EXPECT_FALSE(std::filesystem::exists(trial));
  EXPECT_EQ(image_->lockCount.load(), 0);
}

TEST_F(WebSaveDialogTest, SaveCopiesTheTrialFileAndAsksBeforeReplacing) {
  qz::web::setSaveNameRequest([&](std::string& folder, std::string& name) {
    folder = dir_.path();
    name = "web.jpg";
    return true;
  });
  auto d = WebSaveDialog::open(image_);
  ASSERT_NE(d, nullptr);
  ASSERT_TRUE(estimatedBeyond(*d, 0));
  press(*d, Gadget::Save);
  ASSERT_TRUE(d->run());
  ASSERT_TRUE(d->saveTrialFile());
  EXPECT_EQ(qztest::fileContents(dir_.file("web.jpg")), qztest::fileContents(d->trialFile()));
  EXPECT_TRUE(qz::msgbox::shownBoxes().empty());

  std::ofstream(dir_.file("web.jpg")) << "kept";
  qz::msgbox::scriptAnswer(qz::msgbox::Answer::Cancel);
  EXPECT_FALSE(d->saveTrialFile());
  EXPECT_EQ(qztest::fileContents(dir_.file("web.jpg")), "kept");
  ASSERT_EQ(qz::msgbox::shownBoxes().size(), 1u);
  EXPECT_EQ(qz::msgbox::shownBoxes()[0].text, "The file already exists. Replace it?");
}

}  // namespace
