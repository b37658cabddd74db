// BumpMapMode: its class id and the setters of its own settings. The button
// action lights a button's colour with it and includes this for the ids.
//   Qz_DoMethod(bump, kQzBumpMapSetAmount, uint32_t(amount));  // percent, -200..200
//   Qz_DoMethod(bump, kQzBumpMapSetRadius, uint32_t(depth));   // the button's bump depth
#pragma once

#include <cstdint>

inline constexpr uint32_t kQzBumpMapModeClassId = 0x808;
// One 32-bit value each; the panel's sliders and dial send the first three.
inline constexpr uint32_t kQzBumpMapSetAmount = 0x812;
inline constexpr uint32_t kQzBumpMapSetRadius = 0x826;
inline constexpr uint32_t kQzBumpMapSetAngle = 0x83a;
inline constexpr uint32_t kQzBumpMapSetColour = 0x84e;
