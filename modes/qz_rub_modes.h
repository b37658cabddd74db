// The Rub modes (combiners, rub-through, rub emboss, tiled rub): their class
// ids and their own methods. Their own method ids are plain numbers that
// only these classes answer.
//   Qz_DoMethod(mode, kQzRubTiledSetWidth, 24u);   // answers the width stored
//   Qz_DoMethod(mode, kQzRubTiledReset);           // tile size from the picture
#pragma once

#include <cstdint>

inline constexpr uint32_t kQzRubModeClassId = 0x803;
inline constexpr uint32_t kQzRubPaintModeClassId = 0x808;  // also RubEmbossMode's
inline constexpr uint32_t kQzBurnThruModeClassId = 0x807;

// RubEmbossMode: each setter answers 0.
inline constexpr uint32_t kQzRubEmbossSetAmount = 2066, kQzRubEmbossGetAmount = 2076;  // percent, -200..200
inline constexpr uint32_t kQzRubEmbossSetLength = 2086, kQzRubEmbossGetLength = 2096;  // steps, 1..128
inline constexpr uint32_t kQzRubEmbossSetAngle = 2106, kQzRubEmbossGetAngle = 2116;    // degrees
inline constexpr uint32_t kQzRubEmbossSetColour = 2126, kQzRubEmbossGetColour = 2136;  // 1: add the paint colour

// RubTiledMode (and TileMode, built on it).
inline constexpr uint32_t kQzRubTiledSetWidth = 2061, kQzRubTiledGetWidth = 2071;    // answers the width
inline constexpr uint32_t kQzRubTiledSetHeight = 2081, kQzRubTiledGetHeight = 2091;  // answers the height
inline constexpr uint32_t kQzRubTiledReset = 2101;         // tile size an eighth of the picture's; answers 0
inline constexpr uint32_t kQzRubTiledSetUseImage = 2111;   // 1: always tile the data below; answers 0
inline constexpr uint32_t kQzRubTiledSetStyle = 2121, kQzRubTiledGetStyle = 2131;  // 0 repeat, 1 mirror
inline constexpr int32_t kQzRubTileRepeat = 0, kQzRubTileMirror = 1;
// The tile sliders' range; a reset may set more, up to the picture's size.
inline constexpr int32_t kQzRubTileSliderMaximum = 256;
