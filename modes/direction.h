// Direction vectors of the modes that sample along a line (blurs, relief,
// displacement, vision): an angle in degrees becomes a 16-bit fixed-point
// step, 1025 long, and k steps along it lie (k * dx) >> 10 columns and
// (k * dy) >> 10 rows away. Also the relief sum those modes share.
//
//   const qz::modes::Direction d = qz::modes::directionCeilSnap(settings.angle);
//   const qz::modes::Reach reach = qz::modes::stepReach(d, length);  // widen the fetch by this
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <numbers>

#include "platform/qz_export.h"

namespace qz::modes {

// Degrees to radians, as the modes write it (the angle's zero points down).
inline constexpr double kDegreesToRadians = 0.017453292519943295;
// The second arm of a star (star blur, stellate, octa and nona vision) lies an
// eighth of a turn from the first.
inline constexpr double kEighthTurnRadians = std::numbers::pi / 4;

struct Direction {
  int16_t dx = 0, dy = 0;

  // Offset of k steps; arithmetic shifts, so negative offsets round toward minus infinity.
  int32_t stepX(int32_t k) const { return (k * int32_t(dx)) >> 10; }
  int32_t stepY(int32_t k) const { return (k * int32_t(dy)) >> 10; }
  bool operator==(const Direction&) const = default;
};

// How a mode rounds cos and sin times 1025: down, up, or up with a
// component from 513 to 1023 made 1024 (negative components never snap).
enum class DirectionRounding { Floor, Ceil, CeilSnap };

// The angle the vector points at: (degrees + 90) in radians.
inline double directionTheta(int32_t angleDegrees) {
  return (double(angleDegrees) + 90.0) * kDegreesToRadians;
}

// The vector of theta radians, rounded as asked.
QZ_EXPORT Direction directionAt(double theta, DirectionRounding rounding);

inline Direction directionFloor(int32_t angleDegrees) {
  return directionAt(directionTheta(angleDegrees), DirectionRounding::Floor);
}
inline Direction directionCeil(int32_t angleDegrees) {
  return directionAt(directionTheta(angleDegrees), DirectionRounding::Ceil);
}
inline Direction directionCeilSnap(int32_t angleDegrees) {
  return directionAt(directionTheta(angleDegrees), DirectionRounding::CeilSnap);
}
// The second arm of a star: theta + an eighth of a turn, rounded alike.
inline Direction secondArm(int32_t angleDegrees, DirectionRounding rounding) {
  return directionAt(directionTheta(angleDegrees) + kEighthTurnRadians, rounding);
}

// How far a read reaches beyond the pixel, in columns and rows.
struct Reach {
  int32_t x = 0, y = 0;
};

// The reach of `length` steps: (|length * dx| >> 10) + 1 each way; the one
// extra covers the floor of a negative step.
inline Reach stepReach(Direction d, int32_t length) {
  const int32_t n = std::max(length, 0);
  return {((n * std::abs(int32_t(d.dx))) >> 10) + 1, ((n * std::abs(int32_t(d.dy))) >> 10) + 1};
}

// ---- relief (rub emboss, paint texture, thick paint, emboss, bas-relief, bump map) ----

// The strength of a relief: amount percent * 256 / 100, truncated toward zero (100 gives 256).
constexpr int32_t reliefFactor(int32_t amountPercent) { return amountPercent * 256 / 100; }

// The light minus the shade along d: the sum over k = 1..length of
// sample(x - stepX(k), y - stepY(k)) - sample(x + stepX(k), y + stepY(k)).
// `sample(x, y)` answers a plane's value with the coordinates limited to the
// plane (PlaneSampler in mode_fetch.h). At most 255 * length in size.
template <class Sampler>
int32_t reliefSum(const Sampler& sample, int32_t x, int32_t y, Direction d, int32_t length) {
  int32_t sum = 0;
  for (int32_t k = length; k >= 1; --k) {
    const int32_t ox = d.stepX(k), oy = d.stepY(k);
    sum += int32_t(sample(x - ox, y - oy)) - int32_t(sample(x + ox, y + oy));
  }
  return sum;
}

// base + ((sum * factor) >> 8), limited to 0..255. In 32 bits: a strong edge
// at full strength reaches far beyond 16 bits and must not wrap into shade.
inline uint8_t reliefShade(int32_t base, int32_t sum, int32_t factor) {
  const int64_t v = int64_t(base) + ((int64_t(sum) * factor) >> 8);
  return uint8_t(std::clamp<int64_t>(v, 0, 255));
}

}  // namespace qz::modes
