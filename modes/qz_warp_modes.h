// The warp modes (spherize): their own method ids. Setters answer 0 unless
// said otherwise; a centre beyond the document is clamped to its last pixel
// and the clamped value shown in the panel.
//   Qz_DoMethod(mode, kQzSpherizeSetSize, 80u);
#pragma once

#include <cstdint>

inline constexpr uint32_t kQzSpherizeModeClassId = 0x808;

inline constexpr uint32_t kQzSpherizeSetSize = 2066, kQzSpherizeGetSize = 2076;        // percent, 1..200
inline constexpr uint32_t kQzSpherizeSetCentreX = 2086, kQzSpherizeGetCentreX = 2096;  // document pixels
inline constexpr uint32_t kQzSpherizeSetCentreY = 2106, kQzSpherizeGetCentreY = 2116;
inline constexpr uint32_t kQzSpherizeCentre = 2126;  // the centre to the layer's middle
inline constexpr uint32_t kQzSpherizeSetUseColour = 2136, kQzSpherizeGetUseColour = 2146;
inline constexpr uint32_t kQzSpherizeSetHorizontal = 2156, kQzSpherizeGetHorizontal = 2166;  // 0 or 1
inline constexpr uint32_t kQzSpherizeSetVertical = 2176, kQzSpherizeGetVertical = 2186;      // 0 or 1
inline constexpr uint32_t kQzSpherizeSetAspect = 2196, kQzSpherizeGetAspect = 2206;  // -99..99, answers it

// TwirlMode: setters answer 0; the focus is not clamped (a twirl may be
// centred off the document).
inline constexpr uint32_t kQzTwirlModeClassId = 0x864;
inline constexpr uint32_t kQzTwirlSetFocusX = 2158, kQzTwirlSetFocusY = 2168;
inline constexpr uint32_t kQzTwirlSetRadius = 2178;  // -512..512; negative turns the other way
inline constexpr uint32_t kQzTwirlSetAngle = 2188;   // degrees at the focus
inline constexpr uint32_t kQzTwirlCentre = 2198;     // the focus to the layer's middle
inline constexpr uint32_t kQzTwirlChooseLow = 2208, kQzTwirlChooseHigh = 2218;  // nearest pixel or bilinear

// SwirlMode and SuperNovaMode (and the unregistered SpiralBlurMode) answer
// the same ids. Setters answer the value stored; the centre is not clamped.
inline constexpr uint32_t kQzSwirlModeClassId = 0x808;
inline constexpr uint32_t kQzSwirlSetStrength = 2086, kQzSwirlGetStrength = 2096;  // -255..255
inline constexpr uint32_t kQzSwirlSetQuality = 2126, kQzSwirlGetQuality = 2136;    // percent, 1..100
inline constexpr uint32_t kQzSwirlSetCentreX = 2146, kQzSwirlGetCentreX = 2156;    // document pixels
inline constexpr uint32_t kQzSwirlSetCentreY = 2166, kQzSwirlGetCentreY = 2176;
inline constexpr uint32_t kQzSwirlCentre = 2186;  // the centre to the layer's middle
