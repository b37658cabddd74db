// The roll blur's ring tables: the points of every circle round a centre
// (midpoint circle, one octant mirrored into eight, so a ring lists its
// points in order round the circle) and, per pixel, the ring it lies on and
// its place there. Only the rings that pass through the image are kept.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/qz_export.h"

namespace qz::modes {

struct RollKey {
  int32_t centreX = 0, centreY = 0, width = 0, height = 0;
  bool operator==(const RollKey&) const = default;
};

struct RollPoint {
  int32_t x, y;
};

struct RollRings {
  int32_t first = 0;                 // radius of ring 1 (0 in `ring` means none)
  std::vector<uint32_t> octantStart;  // per ring, where its octant's heights begin; one more at the end
  std::vector<int32_t> heights;       // the octant's points (j, heights[start + j])
  std::vector<uint16_t> ring;         // per pixel, row-major: 0, or 1 + its radius - first
  std::vector<uint32_t> index;        // per pixel: its place on the ring

  int32_t radius(uint16_t entry) const { return first + entry - 1; }
  uint32_t octant(int32_t radius) const {
    const size_t k = size_t(radius - first);
    return octantStart[k + 1] - octantStart[k];
  }
  uint32_t count(int32_t radius) const { return 8 * octant(radius); }
  // The i-th point of the ring (0 <= i < count), relative to the centre.
  QZ_EXPORT RollPoint point(int32_t radius, uint32_t i) const;
};

// The farthest corner's distance from the centre plus 3, truncated.
QZ_EXPORT int32_t rollOuterRadius(const RollKey& key);

// The tables for the key, or none when they would be too large to hold
// (a centre far off the image): the render then evaluates each pixel directly.
QZ_EXPORT std::shared_ptr<const RollRings> buildRollRings(const RollKey& key);

}  // namespace qz::modes

QZ_EXTERN_C_BEGIN
// How many times ring tables have been built (for tests).
QZ_EXPORT int64_t Qz__RollBlurTableBuilds(void);
QZ_EXTERN_C_END
