// The arithmetic of one dab, apart from any object: the soft round brush,
// the strength of a dab, where a dab lands after spray and jitter, the
// rectangle it covers on a plane, and the row kernels that lay it.
#pragma once

#include <cstdint>

#include "platform/qz_export.h"

namespace qz::media {

// Draws the soft round brush into an 8-bit block of width x height rows:
// 255 at the centre falling off with the square of the distance to 0 at
// radius width / 2. Pixels outside the circle keep what they held.
QZ_EXPORT void renderSoftRoundBrush(uint8_t* const* rows, int32_t width, int32_t height);

// A dab's strength: the media's pressure (0..255), scaled by a tablet's
// pressure byte when there is one (tablet < 0: no sample).
QZ_EXPORT uint32_t dabStrength(uint32_t pressure, int32_t tablet);

// Moves a dab centre as the media scatters it. The generator is seeded from
// x * y first, so a dab at the same place lands at the same spot on every
// replay. spray: the weaker the dab the wider it strays; jitterPercent: a
// share of the brush size.
QZ_EXPORT void scatterDab(int32_t& x, int32_t& y, bool spray, int32_t brushWidth, int32_t brushHeight,
                uint32_t strength, uint32_t jitterPercent);

// The part of a brush-sized rectangle with its top-left at (left, top)
// that lies on a plane of extentWidth x extentHeight, inclusive; empty when
// nothing does. brushColumn and brushRow are the brush's offsets at x0, y0.
struct DabRect {
  int32_t x0 = 0, y0 = 0, x1 = -1, y1 = -1;
  int32_t brushColumn = 0, brushRow = 0;
  bool empty() const { return x1 < x0 || y1 < y0; }
};
QZ_EXPORT DabRect clipDab(int32_t left, int32_t top, int32_t width, int32_t height, int32_t extentWidth,
                int32_t extentHeight);

// The rectangle of a dab centred on (x, y): its top-left corner.
inline int32_t dabLeft(int32_t x, int32_t brushWidth) { return x - brushWidth / 2; }

// plane = min(255, plane + ((brush * strength) >> 8)), strength 0..255.
QZ_EXPORT void addDabRow(uint8_t* plane, const uint8_t* brush, uint32_t strength, int32_t count);
// plane = max(0, plane - ((brush * strength) >> 8)).
QZ_EXPORT void eraseDabRow(uint8_t* plane, const uint8_t* brush, uint32_t strength, int32_t count);
// Smear: with a = (brush * strength) >> 8, d += ((b - d) * a * 257 + 257) >> 16.
QZ_EXPORT void smearDabRow(uint8_t* plane, const uint8_t* buffer, const uint8_t* brush, uint32_t strength,
                 int32_t count);

}  // namespace qz::media
