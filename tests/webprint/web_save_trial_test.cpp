// Trial files of save for the web, read back by ImageMagick, and the size
// and download-time texts.
#include <gtest/gtest.h>

#include <fstream>

#include "app/web_save_trial.h"
#include "image/image_shell.h"
#include "support/pattern_ppm.h"
#include "support/temp_dir.h"
#include "web_print_support.h"

namespace {

using qz::web::WebFormat;

TEST(WebSaveTexts, SizeIsWholeKilobytesGroupedByThousands) {
  struct Case {
    int64_t bytes;
    const char* text;
  };
  for (const Case c : {Case{0, "1KB"}, Case{500, "1KB"}, Case{1024, "1KB"}, Case{2047, "1KB"}, Case{2048, "2KB"},
                       Case{999 * 1024, "999KB"}, Case{1000 * 1024, "1,000KB"}, Case{1048576, "1,024KB"},
                       Case{1048576 + 1023 * 1024, "2,047KB"}, Case{3 * 1048576 + 5 * 1024, "3,077KB"},
                       Case{int64_t(1) << 40, "1,073,741,824KB"}}) {
    EXPECT_EQ(qz::web::sizeText(c.bytes), c.text) << c.bytes;
  }
}

TEST(WebSaveTexts, TimeIsWholeSecondsRoundedUpAtLeastOne) {
  struct Case {
    int64_t bytes, rate;
    const char* text;
  };
  for (const Case c : {Case{0, 2600, "1s"}, Case{2600, 2600, "1s"}, Case{2601, 2600, "2s"}, Case{10600, 5300, "2s"},
                       Case{30001, 30000, "2s"}, Case{300000, 30000, "10s"}}) {
    EXPECT_EQ(qz::web::timeText(c.bytes, c.rate), c.text) << c.bytes << " at " << c.rate;
  }
}

class WebSaveTrialTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qztest::WritePattern(dir_.file("p.ppm"), kWidth, kHeight);
    image_ = qztest::LoadPlain(dir_.file("p.ppm"));
    ASSERT_NE(image_, nullptr);
    formats_ = qztest::WebFormatObjects();
  }
  void TearDown() override {
    qztest::DisposeWebFormatObjects(formats_);
    if (image_ != nullptr) Qz_DisposeObject(&image_->object);
  }
  static constexpr int32_t kWidth = 37, kHeight = 21;
  qztest::TempDir dir_;
  Qz_Image* image_ = nullptr;
  qz::web::WebFormats formats_;
};

TEST_F(WebSaveTrialTest, EveryFormatWritesAFileOfTheImagesSize) {
  struct Case {
    const char* name;
    qz::web::WebOptions options;
    const char* magick;
  };
  const Case cases[] = {
      {"jpeg", {WebFormat::Jpeg, 60, 0, 0}, "JPEG"},
      {"progressive jpeg", {WebFormat::Jpeg, 60, 0, 1}, "JPEG"},
      {"png", {WebFormat::Png, 9, 0, 0}, "PNG"},
      {"gif", {WebFormat::Gif, 16, 50, 0}, "GIF"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir_.file(std::string(c.name) + ".trial");
    const int64_t bytes = qz::web::writeTrialFile(image_, path, formats_, c.options);
    ASSERT_GT(bytes, 0);
    EXPECT_EQ(qztest::MagickIdentify(path), std::string(c.magick) + " 37x21");
  }
}

TEST_F(WebSaveTrialTest, LowerJpegQualityGivesASmallerFile) {
  const int64_t high = qz::web::writeTrialFile(image_, dir_.file("h"), formats_, {WebFormat::Jpeg, 95, 0, 0});
  const int64_t low = qz::web::writeTrialFile(image_, dir_.file("l"), formats_, {WebFormat::Jpeg, 10, 0, 0});
  EXPECT_GT(low, 0);
  EXPECT_LT(low, high);
}

TEST_F(WebSaveTrialTest, AMissingFormatWritesNothing) {
  qz::web::WebFormats onlyJpeg{formats_.jpeg, nullptr, nullptr};
  EXPECT_EQ(qz::web::writeTrialFile(image_, dir_.file("g"), onlyJpeg, {WebFormat::Gif, 16, 0, 0}), -1);
  EXPECT_FALSE(std::ifstream(dir_.file("g")).good());
}

}  // namespace
