// The radial zoom passes (toward or away from a centre) that the radial
// blur renders with; the away pass is also Qz__RadialZoomBlurChannel.
#pragma once

#include <cstdint>

#include "modes/qz_radial_zoom.h"

namespace qz::modes {

// The taps of a zoom pass over `length` at `quality` percent: every `step`
// 1/1024 of the way to the centre, `count` of them, summed and scaled by
// norm >> 15 (a flat area comes out one lower unless count is a power of 2).
struct ZoomTaps {
  int32_t step = 1, count = 1, norm = 32768;
};
QZ_EXPORT ZoomTaps zoomTaps(int32_t length, int32_t quality);

// One channel of a block, as Qz__RadialZoomBlurChannel; toward the centre
// when `inward`. Length 0 copies the block.
QZ_EXPORT void radialZoomChannel(uint8_t* const* destination, const uint8_t* const* source, int32_t x0,
                                 int32_t y0, int32_t x1, int32_t y1, int32_t width, int32_t height,
                                 int32_t length, int32_t centreX, int32_t centreY, int32_t quality, bool inward);

}  // namespace qz::modes
