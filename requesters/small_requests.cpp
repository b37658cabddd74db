#include "requesters/small_requests.h"

#include <cmath>

namespace qz::requesters {

std::array<Corner, 4> addSpaceCorners(int32_t width, int32_t height, int32_t left, int32_t top, int32_t right,
                                      int32_t bottom) {
  return {{{-left, -top}, {width + right, -top}, {width + right, height + bottom}, {-left, height + bottom}}};
}

uint32_t rotationFlags(uint32_t flags, bool allLayers, bool smooth) {
  flags = smooth ? (flags | 1u) & ~2u : (flags | 2u) & ~1u;
  return allLayers ? flags | 4u : flags & ~4u;
}

int32_t gridSide(float typed) {
  if (!std::isfinite(typed) || typed < 2.0f) return 1;
  return typed >= 2147483520.0f ? INT32_MAX : int32_t(typed);
}

}  // namespace qz::requesters
