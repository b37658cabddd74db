// The media panel's slider ranges and values.
#include "plugins/media_sliders.h"

#include <algorithm>

namespace qz::plugins {

namespace {
constexpr int32_t kLeastSizeMaximum = 250;
constexpr int32_t kSizeStep = 50;
constexpr int32_t kOpaque = 255;
}  // namespace

int32_t mediaSizeMaximum(int32_t width, int32_t height, int32_t currentSize) {
  int32_t maximum = std::max(kLeastSizeMaximum, std::max(width, height) / 3);
  maximum = std::max(maximum, currentSize);
  return (maximum + kSizeStep - 1) / kSizeStep * kSizeStep;
}

int32_t transparencyPercent(int32_t level) {
  return 100 - std::clamp(level, 0, kOpaque) * 100 / kOpaque;
}

}  // namespace qz::plugins
