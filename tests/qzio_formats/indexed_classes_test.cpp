// GIF, XPM and XBM through the library's drivers: GIFQZIO left out of a
// registration is no format to save as; registered, what each saves is
// detected and loads with its pixels, and a grey buffer is refused with the
// old file kept.
#include <gtest/gtest.h>

#include <memory>

#include "codec_test_support.h"
#include "qzio/qzio.h"
#include "qzio/qzio_format_classes.h"
#include "qzio/qzio_ui.h"
#include "qzio/root_qzio.h"
#include "support/temp_dir.h"

namespace {

struct BufferFree {
  void operator()(QZIO_ImageBuffer* b) const { QZIO_FreeBuffer(b); }
};
using Buffer = std::unique_ptr<QZIO_ImageBuffer, BufferFree>;

class IndexedClasses : public ::testing::Test {
 protected:
  void SetUp() override {
    Qz_InitRootQZIOClass(nullptr);
    QZIO_Init(nullptr);
  }
  void TearDown() override {
    QZIO_Cleanup();
    Qz_CleanupGIFQZIOClass();
    Qz_CleanupXPMQZIOClass();
    Qz_CleanupXBMQZIOClass();
    Qz_CleanupRootQZIOClass();
  }
  uint32_t save(QZIO_ImageBuffer* buffer, const std::string& path, const char* format = "GIF") {
    QZIO_Header header{};
    header.buffer = buffer;
    header.fileName = path.c_str();
    uint32_t flags = kQzioQuiet;
    return QZIO_SaveBufferA(&header, path.c_str(), format, nullptr, &flags);
  }
  qztest::TempDir dir_;
};

TEST_F(IndexedClasses, SavesAndLoadsOnlyWhenRegistered) {
  // Four colours: the colourmap holds them exactly, so dithering adds nothing.
  qztest::RgbImage source(9, 5);
  for (uint32_t y = 0; y < 5; ++y)
    for (uint32_t x = 0; x < 9; ++x) source.at(x, y)[(x + y) % 3] = uint8_t(x < 4 ? 255 : 128);
  Buffer b(QZIO_AllocBuffer(9, 5, 24, 0, kQzioFormatRGBPlanes));
  QZIO_SetBufferData(b.get(), 0, 0, 9, 5, 27, kQzioLayoutRGB, source.rgb.data());
  const std::string path = dir_.file("saved.gif");
  EXPECT_EQ(save(b.get(), path), kQzioNotRecognised);

  // The detection list is made at start-up from the classes registered then.
  QZIO_Cleanup();
  ASSERT_EQ(Qz_InitGIFQZIOClass(nullptr), 1);
  QZIO_Init(nullptr);
  ASSERT_EQ(save(b.get(), path), kQzioSuccess);
  uint32_t result = 0;
  Buffer back(QZIO_AutoLoadBuffer(path.c_str(), kQzioQuiet, kQzioTagResult, &result, TAG_DONE));
  ASSERT_NE(back, nullptr) << result;
  EXPECT_STREQ(back->header->acceptedFormat, "GIF");
  qztest::RgbImage loaded(9, 5);
  QZIO_GetBufferData(back.get(), 0, 0, 9, 5, 27, kQzioLayoutRGB, loaded.rgb.data());
  EXPECT_EQ(qztest::maxDifference(loaded, source), 0);

  Buffer grey(QZIO_AllocBuffer(5, 3, 8, 0, kQzioFormatGrey));
  qztest::writeFile(path, {'o', 'l', 'd'});
  EXPECT_NE(save(grey.get(), path), kQzioSuccess);
  EXPECT_EQ(qztest::readFile(path), (std::vector<uint8_t>{'o', 'l', 'd'}));
}

TEST_F(IndexedClasses, TextFormatsSaveAndLoad) {
  QZIO_Cleanup();
  ASSERT_EQ(Qz_InitXPMQZIOClass(nullptr), 1);
  ASSERT_EQ(Qz_InitXBMQZIOClass(nullptr), 1);
  QZIO_Init(nullptr);
  qztest::RgbImage source(11, 4);
  for (uint32_t y = 0; y < 4; ++y)
    for (uint32_t x = 0; x < 11; ++x) std::fill_n(source.at(x, y), 3, uint8_t((x + y) % 3 ? 255 : 0));
  Buffer b(QZIO_AllocBuffer(11, 4, 24, 0, kQzioFormatRGBPlanes));
  QZIO_SetBufferData(b.get(), 0, 0, 11, 4, 33, kQzioLayoutRGB, source.rgb.data());
  Buffer grey(QZIO_AllocBuffer(5, 3, 8, 0, kQzioFormatGrey));
  for (const char* format : {"XPM", "XBM"}) {
    SCOPED_TRACE(format);
    const std::string path = dir_.file(std::string("pic.") + format);
    ASSERT_EQ(save(b.get(), path, format), kQzioSuccess);
    const std::vector<uint8_t> saved = qztest::readFile(path);
    const char* named = std::string(format) == "XPM" ? "static char *pic[]" : "static char pic_bits[]";
    EXPECT_NE(std::string(saved.begin(), saved.end()).find(named), std::string::npos);
    uint32_t result = 0;
    Buffer back(QZIO_AutoLoadBuffer(path.c_str(), kQzioQuiet, kQzioTagResult, &result, TAG_DONE));
    ASSERT_NE(back, nullptr) << result;
    EXPECT_STREQ(back->header->acceptedFormat, format);
    Buffer planes(QZIO_ConvertBufferFormat(back.get(), kQzioFormatRGBPlanes));
    qztest::RgbImage loaded(11, 4);
    QZIO_GetBufferData(planes ? planes.get() : back.get(), 0, 0, 11, 4, 33, kQzioLayoutRGB, loaded.rgb.data());
    EXPECT_EQ(qztest::maxDifference(loaded, source), 0);
    qztest::writeFile(path, {'o', 'l', 'd'});
    EXPECT_EQ(save(grey.get(), path, format), kQzioNotHandled);
    EXPECT_EQ(qztest::readFile(path), (std::vector<uint8_t>{'o', 'l', 'd'}));
  }
}

}  // namespace
