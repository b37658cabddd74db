// Shared set-up of the media tests: the image and action classes and the
// three media classes, and documents without threads whose paint layers the
// media lays dabs into.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "actions/qz_actions.h"
#include "media/qz_root_media.h"

namespace qztest {

class MediaTest : public ::testing::Test {
 protected:
  void TearDown() override;
  // A 24-bit document without thread and with `layers` 8-bit paint layers
  // (the first active), with `media` in its media slot (disposed with it).
  Qz_Image* MakeDocument(int32_t width, int32_t height, int layers, Qz_Object* media);
  Qz_Image* Layer(Qz_Image* document, int index = 0);
  // One stroke message to the media: kind and the words from the image on.
  QzWord Send(Qz_Object* media, uint32_t kind, Qz_Image* document, Qz_Image* layer, uint32_t button,
              uint32_t flags, std::vector<int32_t> coords, const uint32_t* tablet = nullptr);
  QzWord End(Qz_Object* media, Qz_Image* document, Qz_Image* layer);

 private:
  std::vector<Qz_Image*> documents_;
};

// The plane's rows as one run of bytes.
std::vector<uint8_t> Plane(Qz_Plane plane, int32_t width, int32_t height);
// The brush image's 8-bit rows.
std::vector<std::vector<uint8_t>> BrushRows(Qz_Object* media);

}  // namespace qztest
