// Shared set-up of the image tests: the object system, the image base and
// the Image class live for the whole test program; each test makes its own
// images (without threads) and disposes them.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "image/qz_image.h"

namespace qztest {

class ImageTest : public ::testing::Test {
 protected:
  void TearDown() override;

  // An allocated Image object of that kind, or a test failure.
  Qz_Image* Make(int32_t type, int32_t width, int32_t height, int32_t depth,
                 uint32_t flags = kQzAllocNoThread);
  void Dispose(Qz_Image* image);

 private:
  std::vector<Qz_Image*> made_;
};

// Writes fn(x, y) into rows 0..height-1 of a plane.
void FillPlane(Qz_Plane plane, int32_t width, int32_t height,
               const std::function<uint8_t(int32_t, int32_t)>& fn);
// The plane's pixels, row after row, without padding.
std::vector<uint8_t> PlaneBytes(Qz_Plane plane, int32_t width, int32_t height);

// Records the change notices an image sends.
struct Notice {
  uint32_t kind;
  Qz_Image* image;
  int32_t x0, y0, x1, y1;
};
class NoticeRecorder {
 public:
  explicit NoticeRecorder(Qz_Image* image);
  ~NoticeRecorder();
  std::vector<Notice> notices;

 private:
  Qz_Image* image_;
  QzWord record_;
};

}  // namespace qztest
