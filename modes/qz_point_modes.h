// The point, tonal, levels and colour-cast modes: their class ids and the
// ids of their own setters and getters (meaningful only to their class).
#pragma once

#include <cstdint>

inline constexpr uint32_t kQzSolarizeModeClassId = 0x804;
inline constexpr uint32_t kQzPointModeClassId = 0x803;  // Posterize, the HSV and tonal modes
inline constexpr uint32_t kQzColourToGreyModeClassId = 0x814;
inline constexpr uint32_t kQzRemoveColourCastModeClassId = 0x37CA;

inline constexpr uint32_t kQzSolarizeSetThreshold = 0x80E, kQzSolarizeGetThreshold = 0x818;

inline constexpr uint32_t kQzThresholdSetLevel = 0x80B, kQzThresholdGetLevel = 0x815;
inline constexpr uint32_t kQzThresholdSetLow = 0x81F, kQzThresholdGetLow = 0x829;
inline constexpr uint32_t kQzThresholdSetHigh = 0x833, kQzThresholdGetHigh = 0x83D;

inline constexpr uint32_t kQzPosterizeSetShift = 0x80D, kQzPosterizeGetShift = 0x817;

inline constexpr uint32_t kQzColourToGreySetRule = 0x81E, kQzColourToGreyGetRule = 0x828;

// A percentage, kept scaled by 256 / 100; the render does not use it.
inline constexpr uint32_t kQzRemoveRedEyeSetStrength = 0x80B, kQzRemoveRedEyeGetStrength = 0x815;

inline constexpr uint32_t kQzAdjustSetRedOffset = 0x80D, kQzAdjustGetRedOffset = 0x817;
inline constexpr uint32_t kQzAdjustSetGreenOffset = 0x821, kQzAdjustGetGreenOffset = 0x82B;
inline constexpr uint32_t kQzAdjustSetBlueOffset = 0x835, kQzAdjustGetBlueOffset = 0x83F;
inline constexpr uint32_t kQzAdjustSetContrast = 0x849, kQzAdjustGetContrast = 0x853;
inline constexpr uint32_t kQzAdjustSetBrightness = 0x85D, kQzAdjustGetBrightness = 0x867;
inline constexpr uint32_t kQzAdjustSetGamma = 0x871, kQzAdjustGetGamma = 0x87B;
inline constexpr uint32_t kQzAdjustReset = 0x8C1;
inline constexpr uint32_t kQzAdjustSetHue = 0x8CB, kQzAdjustGetHue = 0x8D5;
inline constexpr uint32_t kQzAdjustSetSaturation = 0x8DF, kQzAdjustGetSaturation = 0x8E9;

inline constexpr uint32_t kQzHistogramSetBlackPoint = 0x80D, kQzHistogramGetBlackPoint = 0x817;
inline constexpr uint32_t kQzHistogramSetWhitePoint = 0x821, kQzHistogramGetWhitePoint = 0x82B;

// 0 automatic, 1 manual (the paint colour).
inline constexpr uint32_t kQzColourCastSetChoice = 0x37D4, kQzColourCastGetChoice = 0x37DE;
