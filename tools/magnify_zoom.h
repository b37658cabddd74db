// The zoom and scroll a magnify drag asks for, from the state at the press
// and the pointer's travel since: plain numbers, 64-bit inside, so a wide
// picture or a pointer beyond the picture cannot wrap them.
#pragma once

#include <cstdint>

#include "platform/qz_export.h"

namespace qz::tools {

inline constexpr uint32_t kMagnifyMaxZoom = 800;  // percent
inline constexpr int32_t kMagnifyPixelsPerTravel = 3;

struct MagnifyStart {
  int32_t imageWidth, imageHeight;
  int32_t viewWidth;   // the picture's width in view pixels at the press
  uint32_t zoom;       // percent at the press
  uint32_t fitZoom;    // the largest zoom (at most 100) that shows the whole picture
  int32_t anchorX, anchorY;  // the picture pixel under the press
};

struct MagnifyStep {
  uint32_t zoom;              // percent
  int32_t offsetX, offsetY;   // scroll that brings the anchor to the middle of the visible area
};

// Moving right zooms in, left out; vertical travel only adds to the amount.
// The zoom stays within min(zoom at the press, fit zoom) .. 800 %.
QZ_EXPORT MagnifyStep magnifyStep(const MagnifyStart& start, int32_t travelX, int32_t travelY, int32_t visibleWidth,
                                  int32_t visibleHeight);

}  // namespace qz::tools
