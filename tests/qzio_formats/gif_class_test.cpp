// GIFQZIO through the library's drivers: left out of a registration it is no
// format to save as; registered, what it saves is detected and loads with its
// pixels, and a grey buffer is refused with the old file kept.
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

class GifClass : public ::testing::Test {
 protected:
  void SetUp() override {
    Qz_InitRootQZIOClass(nullptr);
    QZIO_Init(nullptr);
  }
  void TearDown() override {
    QZIO_Cleanup();
    Qz_CleanupGIFQZIOClass();
    Qz_CleanupRootQZIOClass();
  }
  uint32_t save(QZIO_ImageBuffer* buffer, const std::string& path) {
    QZIO_Header header{};
    header.buffer = buffer;
    header.fileName = path.c_str();
    uint32_t flags = kQzioQuiet;
    return QZIO_SaveBufferA(&header, path.c_str(), "GIF", nullptr, &flags);
  }
  qztest::TempDir dir_;
};

TEST_F(GifClass, SavesAndLoadsOnlyWhenRegistered) {
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

}  // namespace
