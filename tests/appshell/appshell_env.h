// Set-up shared by the application-shell tests: the image base with the
// image, action and mode classes and the native, PPM and stand-in formats,
// a mode with one stored setting, documents loaded from pattern files, and
// cleanup of every document a test leaves behind.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "image/image_shell.h"
#include "image/qz_image.h"
#include "support/pattern_ppm.h"
#include "support/temp_dir.h"

namespace qztest {

// "LevelTestMode": writes its level into every channel of what it renders.
// The level is its one stored setting (default kDefaultLevel).
inline constexpr uint32_t kSetLevel = 0x7E200001;
inline constexpr uint32_t kGetLevel = 0x7E200002;
inline constexpr int32_t kDefaultLevel = 200;

// R rows, then G rows, then B rows of an image.
std::vector<uint8_t> Planes(const Qz_Image* image);

class AppShellTest : public ::testing::Test {
 protected:
  void TearDown() override;
  // A document of the pattern, without a view (its one paint layer active).
  Qz_Image* LoadDocument(const std::string& path);
  // LoadDocument of a pattern picture of the given size written into dir_.
  Qz_Image* LoadPatternDocument(int32_t width, int32_t height);
  // Disposes every document still listed and every image made with Made().
  void DisposeAll();
  Qz_Image* Made(Qz_Image* image) {
    made_.push_back(image);
    return image;
  }
  TempDir dir_;

 private:
  std::vector<Qz_Image*> made_;
};

}  // namespace qztest
