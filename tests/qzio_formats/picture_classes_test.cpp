// The PCX, Photoshop, PICT and Photo CD classes through the library's
// drivers: files are found by automatic detection (the build's detection
// list) and load with their pixels; refusals reach the caller as result
// codes and keep the old file.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "class_test_support.h"
#include "codec_test_support.h"
#include "qzio/qzio.h"
#include "qzio/qzio_format_classes.h"
#include "qzio/root_qzio.h"
#include "support/temp_dir.h"

namespace {

using qztest::Buffer;
using qztest::imageFrom;
using qztest::RgbImage;

class PictureClasses : public qztest::FormatClassesTest {
 protected:
  PictureClasses()
      : FormatClassesTest({{Qz_InitPCXQZIOClass, Qz_CleanupPCXQZIOClass},
                           {Qz_InitPSDQZIOClass, Qz_CleanupPSDQZIOClass},
                           {Qz_InitPICTQZIOClass, Qz_CleanupPICTQZIOClass},
                           {Qz_InitPCDQZIOClass, Qz_CleanupPCDQZIOClass},
                           {Qz_InitPSQZIOClass, Qz_CleanupPSQZIOClass},
                           {Qz_InitEPSQZIOClass, Qz_CleanupEPSQZIOClass}}) {}
  void SetUp() override {
    FormatClassesTest::SetUp();
    qztest::writePpm(dir_.file("source.ppm"), source_);
  }
};

TEST_F(PictureClasses, PcxLoadsByDetectionAndCannotSave) {
  const std::string ppmtopcx = qztest::toolPath("ppmtopcx");
  if (ppmtopcx.empty()) GTEST_SKIP() << "netpbm missing";
  const std::string path = dir_.file("made.pcx");
  ASSERT_TRUE(qztest::run(ppmtopcx + " -24bit '" + dir_.file("source.ppm") + "' > '" + path + "'"));
  uint32_t result = 0;
  Buffer back = load(path, result);
  ASSERT_EQ(result, kQzioSuccess);
  ASSERT_NE(back, nullptr);
  EXPECT_STREQ(back->header->acceptedFormat, "PCX");
  EXPECT_EQ(qztest::maxDifference(imageFrom(back.get()), source_), 0);

  Buffer b = rgbBuffer();
  const std::string keep = dir_.file("keep.pcx");
  qztest::writeFile(keep, {'o', 'l', 'd'});
  EXPECT_EQ(save(b.get(), keep, "PCX"), kQzioCannotSave);
  EXPECT_EQ(qztest::readFile(keep), (std::vector<uint8_t>{'o', 'l', 'd'}));
}

TEST_F(PictureClasses, PsdSavesAndLoadsBackAndRefusesWhatItCannotTake) {
  Buffer b = rgbBuffer();
  const std::string path = dir_.file("saved.psd");
  ASSERT_EQ(save(b.get(), path, "PSD"), kQzioSuccess);
  uint32_t result = 0;
  Buffer back = load(path, result);
  ASSERT_EQ(result, kQzioSuccess);
  ASSERT_NE(back, nullptr);
  EXPECT_STREQ(back->header->acceptedFormat, "PSD");
  EXPECT_EQ(qztest::maxDifference(imageFrom(back.get()), source_), 0);

  // A grey buffer is refused (7) and the old file stays.
  Buffer grey(QZIO_AllocBuffer(5, 3, 8, 0, kQzioFormatGrey));
  const std::string keep = dir_.file("keep.psd");
  qztest::writeFile(keep, {'o', 'l', 'd'});
  EXPECT_EQ(save(grey.get(), keep, "PSD"), kQzioNotHandled);
  EXPECT_EQ(qztest::readFile(keep), (std::vector<uint8_t>{'o', 'l', 'd'}));

  // A CMYK document is found but not loaded (8); a 16-bit one is a kind
  // that cannot be loaded (11).
  std::vector<uint8_t> bytes = qztest::readFile(path);
  std::vector<uint8_t> cmyk = bytes;
  cmyk[13] = 4, cmyk[25] = 4;
  cmyk.insert(cmyk.end(), 13 * 7, 0);
  qztest::writeFile(dir_.file("cmyk.psd"), cmyk);
  EXPECT_EQ(load(dir_.file("cmyk.psd"), result), nullptr);
  EXPECT_EQ(result, kQzioNotRecognised);
  bytes[23] = 16;
  qztest::writeFile(dir_.file("deep.psd"), bytes);
  EXPECT_EQ(load(dir_.file("deep.psd"), result), nullptr);
  EXPECT_EQ(result, kQzioUnexpectedKind);
}

TEST_F(PictureClasses, PictSavesAndLoadsBackByDetection) {
  Buffer b = rgbBuffer();
  const std::string path = dir_.file("saved.pict");
  ASSERT_EQ(save(b.get(), path, "PICT"), kQzioSuccess);
  uint32_t result = 0;
  Buffer back = load(path, result);
  ASSERT_EQ(result, kQzioSuccess);
  ASSERT_NE(back, nullptr);
  EXPECT_STREQ(back->header->acceptedFormat, "PICT");
  RgbImage expected = source_;
  for (uint8_t& v : expected.rgb) v &= 0xF8;
  EXPECT_EQ(qztest::maxDifference(imageFrom(back.get()), expected), 0);
}

TEST_F(PictureClasses, PostScriptSavesAndIsNeverDetected) {
  Buffer b = rgbBuffer();
  for (const char* format : {"PS", "EPS"}) {
    SCOPED_TRACE(format);
    const std::string path = dir_.file(std::string("saved.") + format);
    ASSERT_EQ(save(b.get(), path, format), kQzioSuccess);
    const std::vector<uint8_t> bytes = qztest::readFile(path);
    const std::string text(bytes.begin(), bytes.end());
    EXPECT_EQ(text.rfind(std::string(format) == "EPS" ? "%!PS-Adobe-2.0 EPSF-2.0\n" : "%!PS-Adobe-2.0\n", 0), 0u);
    EXPECT_NE(text.find("%%Title: " + path + "\n"), std::string::npos);
    uint32_t result = 0;
    EXPECT_EQ(load(path, result), nullptr);

    // A grey buffer is refused (7) and the old file stays.
    Buffer grey(QZIO_AllocBuffer(5, 3, 8, 0, kQzioFormatGrey));
    const std::string keep = dir_.file("keep.ps");
    qztest::writeFile(keep, {'o', 'l', 'd'});
    EXPECT_EQ(save(grey.get(), keep, format), kQzioNotHandled);
    EXPECT_EQ(qztest::readFile(keep), (std::vector<uint8_t>{'o', 'l', 'd'}));
  }
}

TEST_F(PictureClasses, PhotoCdLoadsAt768AndPreviewsAt192) {
  // A pack of flat planes at every stored resolution.
  std::vector<uint8_t> pack(96 * 2048 + 768 * 512 * 3 / 2, 128);
  std::memcpy(pack.data() + 2048, "PCD_IPI", 7);
  const std::string path = dir_.file("pack.pcd");
  qztest::writeFile(path, pack);
  uint32_t result = 0;
  Buffer full = load(path, result);
  ASSERT_EQ(result, kQzioSuccess);
  ASSERT_NE(full, nullptr);
  EXPECT_STREQ(full->header->acceptedFormat, "PCD");
  EXPECT_EQ(full->width, 768u);
  EXPECT_EQ(full->height, 512u);
  uint32_t width = 0, height = 0;
  Buffer preview(QZIO_AutoLoadBuffer(path.c_str(), kQzioQuiet | kQzioDirectLoad, kQzioTagResult, &result,
                                     kQzioTagWidth, &width, kQzioTagHeight, &height, TAG_DONE));
  ASSERT_EQ(result, kQzioSuccess);
  ASSERT_NE(preview, nullptr);
  EXPECT_EQ(preview->width, 192u);
  EXPECT_EQ(preview->height, 128u);
}

}  // namespace
