// The smear dab of the brush engine, which works on the colour planes of the
// image (or the image layer) under the painted layer rather than on its
// transparency plane.
#pragma once

#include <cstdint>

#include "media/root_media_object.h"

namespace qz::media {

// Row table of a colour channel (0 red, 1 green, 2 blue; an 8-bit image has
// only 0, its grey plane), of the planes or of the undo planes; none when absent.
uint8_t** planeOf(Qz_Image* image, int channel, bool undo);

// One smear dab at layer point (x, y): button 1 pulls the block under the
// media's last point to here; any other button merges the background back.
// tablet is the pressure 0..255, or below 0 without a sample.
void smearDab(Qz_RootMediaObject* m, Qz_Image* image, Qz_Image* layer, uint32_t button, uint32_t flags, int32_t x,
              int32_t y, int32_t tablet);

}  // namespace qz::media
