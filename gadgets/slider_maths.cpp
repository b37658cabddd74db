#include "gadgets/slider_maths.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace qz::sliders {

int32_t clampValue(int32_t value, int32_t minimum, int32_t maximum) {
  if (maximum < minimum) return minimum;
  return std::clamp(value, minimum, maximum);
}

int32_t knobOffset(int32_t track, int32_t value, int32_t minimum, int32_t maximum, bool fromMaximum) {
  const int64_t range = int64_t(maximum) - minimum;
  if (range <= 0 || track <= 0) return 0;
  const int64_t v = clampValue(value, minimum, maximum);
  const int64_t along = fromMaximum ? int64_t(maximum) - v : v - minimum;
  return int32_t(int64_t(track) * along / range);
}

int32_t dragValue(int32_t valueAtPress, int32_t delta, int32_t track, int32_t minimum, int32_t maximum) {
  const int64_t range = std::max<int64_t>(0, int64_t(maximum) - minimum);
  const int64_t value = int64_t(valueAtPress) + int64_t(delta) * range / std::max(track, 1);
  return clampValue(int32_t(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX)), minimum, maximum);
}

int32_t angleFromPointer(int32_t dx, int32_t dy) {
  const double degrees = std::atan2(double(dy), double(dx)) * 180.0 / std::numbers::pi;
  int32_t a = int32_t(std::floor(degrees)) + 90;
  if (a < 0) a += 360;
  return a % 360;
}

KnobGeometry placeKnob(int32_t left, int32_t top, int32_t width, int32_t height, int32_t minSide, int32_t maxSide) {
  KnobGeometry k;
  const int32_t hi = std::max(minSide, maxSide);
  k.side = std::min(std::clamp(width, minSide, hi), std::clamp(height, minSide, hi));
  k.radiusX = k.radiusY = std::max(0, (k.side - kKnobMarkSize - 7) / 2);
  k.centreX = left + k.side / 2 + 1;
  k.centreY = top + k.side / 2 + 1;
  return k;
}

Point markCentre(const KnobGeometry& knob, int32_t degrees) {
  const double r = (degrees - 90) * std::numbers::pi / 180.0;
  return {knob.centreX + int32_t(std::floor(std::cos(r) * knob.radiusX)),
          knob.centreY + int32_t(std::floor(std::sin(r) * knob.radiusY))};
}

}  // namespace qz::sliders
