#include "platform/qz_random.h"

namespace {
thread_local uint32_t tlState = 1;
}

QZ_EXTERN_C_BEGIN

int32_t Qz_Rand(void) {
  tlState = tlState * 214013u + 2531011u;
  return static_cast<int32_t>((tlState >> 16) & 0x7FFF);
}

void Qz_SRand(uint32_t seed) { tlState = seed; }

QZ_EXTERN_C_END
