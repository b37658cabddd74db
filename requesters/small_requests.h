// The arithmetic of the small requesters, apart from their gadgets: the
// corners of the area that adds space, the flags a rotation requester
// answers, and the snap-grid sizes stored from typed values.
#pragma once

#include <array>
#include <cstdint>

#include "platform/qz_export.h"

namespace qz::requesters {

struct Corner {
  int32_t x, y;
};

// The new image area, in old image coordinates, after adding space on each
// side: top left, top right, bottom right, bottom left.
QZ_EXPORT std::array<Corner, 4> addSpaceCorners(int32_t width, int32_t height, int32_t left, int32_t top,
                                                int32_t right, int32_t bottom);

// The rotation flags after the requester: smooth sets 1 and clears 2 (the
// reverse when off); all layers sets or clears 4.
QZ_EXPORT uint32_t rotationFlags(uint32_t flags, bool allLayers, bool smooth);

// A grid side from a typed value: truncated, and never below 1.
QZ_EXPORT int32_t gridSide(float typed);

}  // namespace qz::requesters
