// Pieces of the compositor that its tests call directly: the colour
// adjustments a layer's blend words ask for, and their tables.
#pragma once

#include <cstdint>

#include "image/qz_image.h"

namespace qz {

inline constexpr int32_t kToneTableSize = 766;  // sums of three 8-bit channels

// The tone table from the words w7, w8, w9 (256 neutral; capped at 255).
QZ_EXPORT void buildToneTable(uint32_t w7, uint32_t w8, uint32_t w9, uint8_t* table);

// Edge-mask weight 0..65535 of layer pixel (x, y) for a layer W x H; shape
// 1 frame, 2 circle, 3 ellipse (any other: 65535, no mask).
QZ_EXPORT int32_t edgeMaskWeight(int32_t shape, int64_t width, int64_t height, int64_t size,
                                 int64_t softness, bool invert, int64_t x, int64_t y);

// Applies the layer's strength, HSV, tone and edge-mask stages to count
// output pixels against the pixels below them. layerX, layerY: the layer
// coordinates of the first pixel. toneTable: the table buildToneTable makes
// from the layer's words, or null to have one built for this call.
QZ_EXPORT void adjustLayerColours(Qz_Image* layer, uint8_t* outR, uint8_t* outG, uint8_t* outB,
                                  const uint8_t* belowR, const uint8_t* belowG,
                                  const uint8_t* belowB, int32_t count, int32_t layerX,
                                  int32_t layerY, const uint8_t* toneTable = nullptr);

// True when the layer's words ask for the tone stage (a table of kToneTableSize).
QZ_EXPORT bool layerHasToneStage(const Qz_Image* layer);

// True when the layer's words ask for any adjustment at all.
QZ_EXPORT bool layerNeedsAdjusting(const Qz_Image* layer);

// A fetch of the data below `layer` over x0..x1, y0..y1, asked for while
// this thread renders a block of that layer: widens the layer's reach to
// cover the rectangle. Modes see it before they keep columns in the image.
QZ_EXPORT void noteFetchReach(Qz_Image* layer, int32_t x0, int32_t y0, int32_t x1, int32_t y1);

// How far (columns, rows) a change of the layer spreads in its document's
// picture: the reaches of the visible layers above it, added up, since each
// reads what the one below has made.
void changeSpread(const Qz_Image* layer, int32_t* columns, int32_t* rows);

}  // namespace qz
