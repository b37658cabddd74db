// Helpers for the tests that drive format classes through the library:
// owned buffers, a buffer's pixels as RGB, and save and load by name.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "codec_test_support.h"
#include "qzio/qzio.h"
#include "qzio/root_qzio.h"
#include "support/temp_dir.h"

namespace qztest {

struct BufferFree {
  void operator()(QZIO_ImageBuffer* b) const { QZIO_FreeBuffer(b); }
};
using Buffer = std::unique_ptr<QZIO_ImageBuffer, BufferFree>;

// The buffer's pixels as RGB, whatever its format.
inline RgbImage imageFrom(QZIO_ImageBuffer* buffer) {
  Buffer planes(QZIO_ConvertBufferFormat(buffer, kQzioFormatRGBPlanes));
  QZIO_ImageBuffer* source = planes ? planes.get() : buffer;
  RgbImage image(source->width, source->height);
  QZIO_GetBufferData(source, 0, 0, source->width, source->height, source->width * 3, kQzioLayoutRGB, image.rgb.data());
  return image;
}

// A true-colour buffer holding the picture.
inline Buffer rgbBufferOf(const RgbImage& image) {
  Buffer b(QZIO_AllocBuffer(image.width, image.height, 24, 0, kQzioFormatRGBPlanes));
  if (b) QZIO_SetBufferData(b.get(), 0, 0, image.width, image.height, image.width * 3, kQzioLayoutRGB, image.rgb.data());
  return b;
}

// Saves quietly in the named format; the library's result.
inline uint32_t saveAs(QZIO_ImageBuffer* buffer, const std::string& path, const char* format) {
  QZIO_Header header{};
  header.buffer = buffer;
  header.fileName = path.c_str();
  uint32_t flags = kQzioQuiet;
  return QZIO_SaveBufferA(&header, path.c_str(), format, nullptr, &flags);
}

// Loads quietly through automatic detection.
inline Buffer loadDetected(const std::string& path, uint32_t& result) {
  return Buffer(QZIO_AutoLoadBuffer(path.c_str(), kQzioQuiet, kQzioTagResult, &result, TAG_DONE));
}

// A library opened with RootQZIO and the given format classes (registered in
// order, removed in reverse), the build's detection list, and a 13 x 7
// gradient to save and load.
class FormatClassesTest : public ::testing::Test {
 protected:
  struct ClassCalls {
    QzWord (*init)(Qz_GlobalData*);
    void (*cleanup)(void);
  };
  explicit FormatClassesTest(std::vector<ClassCalls> classes) : classes_(std::move(classes)) {}
  void SetUp() override {
    Qz_InitRootQZIOClass(nullptr);
    for (const ClassCalls& c : classes_) c.init(nullptr);
    QZIO_Init(nullptr);
    source_ = makeGradient(13, 7);
  }
  void TearDown() override {
    QZIO_Cleanup();
    for (auto c = classes_.rbegin(); c != classes_.rend(); ++c) c->cleanup();
    Qz_CleanupRootQZIOClass();
  }
  uint32_t save(QZIO_ImageBuffer* buffer, const std::string& path, const char* format) {
    return saveAs(buffer, path, format);
  }
  Buffer load(const std::string& path, uint32_t& result) { return loadDetected(path, result); }
  Buffer rgbBuffer() { return rgbBufferOf(source_); }
  TempDir dir_;
  RgbImage source_;

 private:
  std::vector<ClassCalls> classes_;
};

}  // namespace qztest
