// The ILBM, IFF DEEP, SGI, Targa, Sun raster and XWD classes through the
// library's drivers: what each saves is found again by automatic detection
// (the build's detection list) with its pixels; refusals reach the caller
// as result codes and keep the old file.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "class_test_support.h"
#include "codec_test_support.h"
#include "platform/byte_order.h"
#include "qzio/codec_targa.h"
#include "qzio/qzio.h"
#include "qzio/qzio_format_classes.h"
#include "qzio/qzio_ui.h"
#include "qzio/root_qzio.h"
#include "support/temp_dir.h"

namespace {

using qztest::Buffer;
using qztest::imageFrom;
using qztest::RgbImage;

class RasterClasses : public qztest::FormatClassesTest {
 protected:
  RasterClasses()
      : FormatClassesTest({{Qz_InitILBMQZIOClass, Qz_CleanupILBMQZIOClass},
                           {Qz_InitIFFDEEPQZIOClass, Qz_CleanupIFFDEEPQZIOClass},
                           {Qz_InitRASQZIOClass, Qz_CleanupRASQZIOClass},
                           {Qz_InitTARGAQZIOClass, Qz_CleanupTARGAQZIOClass},
                           {Qz_InitSGIQZIOClass, Qz_CleanupSGIQZIOClass},
                           {Qz_InitXWDQZIOClass, Qz_CleanupXWDQZIOClass}}) {}
};

TEST_F(RasterClasses, SavedFilesAreDetectedAndLoadWithTheirPixels) {
  Buffer b = rgbBuffer();
  ASSERT_NE(b, nullptr);
  struct Case {
    const char* format;
    uint32_t depth, bufferFormat;
  } cases[] = {
      {"ILBM", 24, kQzioFormatBitplanes}, {"IFFDEEP", 24, kQzioFormatRGBPlanes}, {"SGI", 24, kQzioFormatRGBPlanes},
      {"TARGA", 24, kQzioFormatRGBPlanes}, {"RAS", 24, kQzioFormatRGBPlanes},   {"XWD", 24, kQzioFormatRGBPlanes},
  };
  for (bool runLength : {false, true}) {
    qz::codec::targaRunLengthOption().store(runLength ? 1 : 0);
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.format) + (runLength ? " (Targa run-length)" : ""));
      const std::string path = dir_.file(std::string("saved.") + c.format);
      ASSERT_EQ(save(b.get(), path, c.format), kQzioSuccess);
      uint32_t result = 0;
      Buffer back = load(path, result);
      EXPECT_EQ(result, kQzioSuccess);
      if (!back) continue;
      EXPECT_STREQ(back->header->acceptedFormat, c.format);
      EXPECT_EQ(back->depth, c.depth);
      EXPECT_EQ(back->format, c.bufferFormat);
      EXPECT_EQ(qztest::maxDifference(imageFrom(back.get()), source_), 0);
    }
  }
  qz::codec::targaRunLengthOption().store(0);
}

TEST_F(RasterClasses, RefusalsReachTheCaller) {
  // A hold-and-modify ILBM is found, then refused as a kind that cannot be loaded.
  std::vector<uint8_t> ham = {'F', 'O', 'R', 'M', 0, 0, 0, 58, 'I', 'L', 'B', 'M', 'B', 'M', 'H', 'D', 0, 0, 0, 20,
                              0, 16, 0, 1, 0, 0, 0, 0, 6, 0, 0, 0, 0, 0, 1, 1, 0, 16, 0, 1,
                              'C', 'A', 'M', 'G', 0, 0, 0, 4, 0, 0, 0x08, 0x00, 'B', 'O', 'D', 'Y', 0, 0, 0, 12};
  ham.resize(ham.size() + 12, 0);
  qztest::writeFile(dir_.file("ham.iff"), ham);
  uint32_t result = 0;
  EXPECT_EQ(load(dir_.file("ham.iff"), result), nullptr);
  EXPECT_EQ(result, kQzioUnexpectedKind);

  // A Targa without the footer is no Targa of the newer kind.
  Buffer b = rgbBuffer();
  ASSERT_EQ(save(b.get(), dir_.file("a.tga"), "TARGA"), kQzioSuccess);
  std::vector<uint8_t> bytes = qztest::readFile(dir_.file("a.tga"));
  bytes.resize(bytes.size() - qz::codec::kTargaFooterBytes);
  qztest::writeFile(dir_.file("old.tga"), bytes);
  EXPECT_EQ(load(dir_.file("old.tga"), result), nullptr);
  EXPECT_EQ(result, kQzioNotRecognised);

  // Saving a grey buffer is refused (7) and the old file stays.
  Buffer grey(QZIO_AllocBuffer(5, 3, 8, 0, kQzioFormatGrey));
  for (const char* format : {"ILBM", "IFFDEEP", "SGI", "TARGA", "RAS", "XWD"}) {
    SCOPED_TRACE(format);
    const std::string path = dir_.file("keep.img");
    qztest::writeFile(path, {'o', 'l', 'd'});
    EXPECT_EQ(save(grey.get(), path, format), kQzioNotHandled);
    EXPECT_EQ(qztest::readFile(path), (std::vector<uint8_t>{'o', 'l', 'd'}));
  }
}

}  // namespace
