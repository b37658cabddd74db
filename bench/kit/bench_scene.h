// The one scene every benchmark measures on: a 6000 x 4000 photo-like 24-bit
// document (smooth shapes with a little grain, no thread of its own), made
// once per benchmark program, and paint layers over it through any mode.
//   Qz_Image* doc = qzbench::SceneDocument();
//   Qz_Image* layer = qzbench::AddSceneLayer("Multiply", 0, colour);
// The peers read the same pixels: SceneRgb() is the background interleaved,
// SceneAlpha(layer) a layer's transparency, row after row without padding.
#pragma once

#include <cstdint>
#include <vector>

#include "image/qz_image.h"

namespace qzbench {

inline constexpr int32_t kSceneWidth = 6000, kSceneHeight = 4000;

// Starts the image base, the Image class and the mode classes (once).
void StartImageClasses();

// The document; null when it could not be made.
Qz_Image* SceneDocument();

// A paint layer over the whole scene through the named mode, painted with a
// soft transparency that is never quite clear (`pattern` picks one of
// several), linked above the layers already there. Null on failure.
Qz_Image* AddSceneLayer(const char* modeName, int pattern, const uint8_t colour[3]);

// The background as R, G, B bytes, pixel after pixel (made once).
const std::vector<uint8_t>& SceneRgb();

// A layer's transparency, one byte a pixel, row after row.
std::vector<uint8_t> SceneAlpha(const Qz_Image* layer);

}  // namespace qzbench
