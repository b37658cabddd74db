// Histogram: a line graph of a table of 32-bit counts its owner fills
// (through the pointer kHistogramGetTable hands back, or entry by entry).
#pragma once

#include <cstdint>

#include "objects/qz_object.h"

inline constexpr uint32_t kHistogramClassId = 0x640000;
inline constexpr uint32_t kHistogramSetLower = 0x64000A;
inline constexpr uint32_t kHistogramGetLower = 0x640014;
inline constexpr uint32_t kHistogramSetUpper = 0x64001E;
inline constexpr uint32_t kHistogramGetUpper = 0x640028;
inline constexpr uint32_t kHistogramSetVerticalLower = 0x640032;
inline constexpr uint32_t kHistogramGetVerticalLower = 0x64003C;
inline constexpr uint32_t kHistogramSetVerticalUpper = 0x640046;
inline constexpr uint32_t kHistogramGetVerticalUpper = 0x640050;
inline constexpr uint32_t kHistogramGetTable = 0x64005A;  // made at the first request, then kept
inline constexpr uint32_t kHistogramSetEntry = 0x640064;  // index, value
inline constexpr uint32_t kHistogramGetEntry = 0x64006E;  // index
inline constexpr int32_t kHistogramAreaHeight = 130;

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitHistogramClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupHistogramClass(void);
QZ_EXTERN_C_END
