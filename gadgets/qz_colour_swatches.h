// ColourSwatches: a fixed grid of 256 colour swatches, one of them selected.
// A pick (press, or drag with the button held) selects a swatch and fires
// kSwatchesSelect with its index.
#pragma once

#include <cstdint>

inline constexpr uint32_t kColourSwatchesClassId = 0x450000;
inline constexpr uint32_t kSwatchesSetColour = 0x45001E;  // index, colour; then selects it
inline constexpr uint32_t kSwatchesGetColour = 0x450028;  // index
inline constexpr uint32_t kSwatchesSetWidth = 0x450032;
inline constexpr uint32_t kSwatchesGetWidth = 0x45003C;
inline constexpr uint32_t kSwatchesSetHeight = 0x450046;
inline constexpr uint32_t kSwatchesGetHeight = 0x450050;
inline constexpr uint32_t kSwatchesSelect = 0x450082;  // index; also the pick notification
inline constexpr uint32_t kSwatchesGetSelected = 0x45008C;
inline constexpr uint32_t kSwatchesLoadPalette = 0x450096;  // path

#include "objects/qz_object.h"

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitColourSwatchesClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupColourSwatchesClass(void);
QZ_EXTERN_C_END
