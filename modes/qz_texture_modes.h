// PaintTextureMode and ThickPaintMode: their class id and settings (one
// 32-bit value each; the setters answer 0). Both lay the paint colour lit by
// a relief along the light, as the panel's dial, length and amount set it.
//   Qz_DoMethod(mode, kQzTextureSetAmount, uint32_t(-50));  // percent, -200..200
#pragma once

#include <cstdint>

inline constexpr uint32_t kQzTextureModeClassId = 0x808;
inline constexpr uint32_t kQzTextureSetAmount = 2066, kQzTextureGetAmount = 2076;  // percent, -200..200
inline constexpr uint32_t kQzTextureSetLength = 2086, kQzTextureGetLength = 2096;  // steps, 1..128
inline constexpr uint32_t kQzTextureSetAngle = 2106, kQzTextureGetAngle = 2116;    // degrees
