// Direction vectors: cos and sin of the angle scaled by 1025 and rounded.
#include "modes/direction.h"

#include <cmath>

namespace qz::modes {
namespace {

int16_t Qz__Component(double value, DirectionRounding rounding) {
  // |value| <= 1025, so the conversion is always in range.
  const double scaled = value * 1025.0;
  if (rounding == DirectionRounding::Floor) return int16_t(std::floor(scaled));
  const int32_t up = int32_t(std::ceil(scaled));
  if (rounding == DirectionRounding::CeilSnap && up >= 513 && up <= 1023) return 1024;
  return int16_t(up);
}

}  // namespace

Direction directionAt(double theta, DirectionRounding rounding) {
  return {Qz__Component(std::cos(theta), rounding), Qz__Component(std::sin(theta), rounding)};
}

}  // namespace qz::modes
