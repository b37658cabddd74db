// The arithmetic of sliders and knobs, apart from drawing so tables can
// test it: clamping, where the knob sits on its track, the value a drag
// gives, and the dial's angle and mark position.
#pragma once

#include <cstdint>

#include "platform/qz_export.h"

namespace qz::sliders {

// The value inside [minimum, maximum]; a range given upside down is taken
// as the single position minimum.
QZ_EXPORT int32_t clampValue(int32_t value, int32_t minimum, int32_t maximum);

// How far along a track of `track` pixels the knob sits for the value:
// from the start for a horizontal track, from the far end (maximum at the
// start) when `fromMaximum`. An empty range or a track of no room keeps the
// knob at the start.
QZ_EXPORT int32_t knobOffset(int32_t track, int32_t value, int32_t minimum, int32_t maximum, bool fromMaximum);

// The value a drag of `delta` pixels along the track gives from the value
// at the press (clamped); a track of no room counts as one pixel.
QZ_EXPORT int32_t dragValue(int32_t valueAtPress, int32_t delta, int32_t track, int32_t minimum, int32_t maximum);

// The dial angle of a pointer offset from the centre, in whole degrees
// 0..359: 0 straight up, growing clockwise (screen y grows downwards).
QZ_EXPORT int32_t angleFromPointer(int32_t dx, int32_t dy);

// The dial's placement in the box it was given: a square side, radii that
// leave room for the mark, and the centre.
struct KnobGeometry {
  int32_t side = 0;
  int32_t radiusX = 0, radiusY = 0;
  int32_t centreX = 0, centreY = 0;
};
inline constexpr int32_t kKnobMarkSize = 8;
QZ_EXPORT KnobGeometry placeKnob(int32_t left, int32_t top, int32_t width, int32_t height, int32_t minSide,
                                 int32_t maxSide);

// The centre of the mark for an angle in degrees.
struct Point {
  int32_t x = 0, y = 0;
};
QZ_EXPORT Point markCentre(const KnobGeometry& knob, int32_t degrees);

}  // namespace qz::sliders
