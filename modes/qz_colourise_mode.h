// ColouriseMode (and SepiaMode, built on it): the target colour's setters,
// one byte each, 0..255.
#pragma once

#include <cstdint>

inline constexpr uint32_t kQzColouriseModeClassId = 0x814;
inline constexpr uint32_t kQzColouriseSetTargetRed = 0x81E;
inline constexpr uint32_t kQzColouriseSetTargetGreen = 0x832;
inline constexpr uint32_t kQzColouriseSetTargetBlue = 0x846;
