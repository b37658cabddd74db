// The one random-number source: a per-thread linear congruential generator,
// so every thread draws a reproducible sequence of its own. A new thread
// starts from state 1. Never the C library's rand.
#pragma once

#include <cstdint>

#include "platform/qz_export.h"

inline constexpr int32_t QZ_RAND_MAX = 0x7FFF;

QZ_EXTERN_C_BEGIN
// 0..0x7FFF: state = state * 214013 + 2531011, giving (state >> 16) & 0x7FFF.
QZ_EXPORT int32_t Qz_Rand(void);
QZ_EXPORT void Qz_SRand(uint32_t seed);
QZ_EXTERN_C_END
