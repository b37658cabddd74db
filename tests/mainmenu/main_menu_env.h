// Set-up shared by the main-menu tests: the image base with the image,
// action and mode classes, the PPM and clipboard formats, the catalogue, and
// documents made active the way a user's pick makes them.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "image/qz_image.h"
#include "support/temp_dir.h"

namespace qztest {

class MainMenuTest : public ::testing::Test {
 protected:
  void TearDown() override;
  // A pattern document (no view) with one paint layer; the active image when active is set.
  Qz_Image* Document(int32_t width, int32_t height, bool active = true);
  static void MakeActive(Qz_Image* image);
  // Disposes every document still listed.
  static void DisposeAll();
  TempDir dir_;
  int made_ = 0;
};

}  // namespace qztest
