// The zoom-out pass of the radial blur, shared with the burst and swirl
// modes that call it with their own centre, length and quality. One channel
// of one block; the caller fetches the whole image below its layer first:
//   qz::modes::SharedBelow below(message);
//   Qz__RadialZoomBlurChannel(message->r, below.view().r, x0, y0, x1, y1, W, H, length, cx, cy, quality);
#pragma once

#include <cstdint>

#include "platform/qz_export.h"

QZ_EXTERN_C_BEGIN
// Writes destination[y - y0][x - x0] for the block x0..x1, y0..y1 (inclusive,
// image coordinates): the average of the taps from (x, y) away from the
// centre (centreX, centreY) over `length`, `quality` percent of them taken
// (1..100). source: a row table indexed by absolute row, holding rows
// 0..height-1 and columns 0..width-1 of the image; taps clamp to it.
QZ_EXPORT void Qz__RadialZoomBlurChannel(uint8_t* const* destination, const uint8_t* const* source,
                                         int32_t x0, int32_t y0, int32_t x1, int32_t y1,
                                         int32_t width, int32_t height, int32_t length,
                                         int32_t centreX, int32_t centreY, int32_t quality);
QZ_EXTERN_C_END
