// Sliders, compact sliders, knobs and angle gadgets: their method ids and
// the Init/Cleanup functions the built-in class table calls. Slider and
// Knob take the value tags as method ids and fire kValueSet with each new value.
#pragma once

#include <cstdint>

#include "objects/qz_object.h"

inline constexpr uint32_t kValueSetMinimum = 0x80000064;
inline constexpr uint32_t kValueGetMinimum = 0x80000065;
inline constexpr uint32_t kValueSetMaximum = 0x8000006E;
inline constexpr uint32_t kValueGetMaximum = 0x8000006F;
inline constexpr uint32_t kValueSet = 0x80000078;  // also the notification
inline constexpr uint32_t kValueGet = 0x80000079;
inline constexpr uint32_t kValueSetFormat = 0x80000082;
inline constexpr uint32_t kNotifyWhileDragging = 0x1005A;  // byte; 0: only at release

// ---- Slider ----
inline constexpr uint32_t kSliderClassId = 0xD0000;
inline constexpr uint32_t kSliderStepUp = 0xD000A;
inline constexpr uint32_t kSliderStepDown = 0xD0014;
inline constexpr uint32_t kSliderSetKind = 0x80000062;
inline constexpr uint32_t kSliderSetOrientation = 0x201F4;  // 2 vertical
inline constexpr uint32_t kSliderVertical = 2;

// ---- CompactSlider ----
inline constexpr uint32_t kCompactSliderClassId = 0x160000;

// ---- Knob ----
inline constexpr uint32_t kKnobClassId = 0x4C0000;
inline constexpr uint32_t kKnobStepUp = 0x4C000A;
inline constexpr uint32_t kKnobStepDown = 0x4C0014;

// ---- Angle ----
inline constexpr uint32_t kAngleClassId = 0x4D0000;
inline constexpr uint32_t kAngleSet = 0x4D000A;  // also the notification
inline constexpr uint32_t kAngleGet = 0x4D0014;

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitSliderClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupSliderClass(void);
QZ_EXPORT QzWord Qz_InitCompactSliderClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupCompactSliderClass(void);
QZ_EXPORT QzWord Qz_InitKnobClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupKnobClass(void);
QZ_EXPORT QzWord Qz_InitAngleClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupAngleClass(void);
QZ_EXTERN_C_END
