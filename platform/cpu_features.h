// Which x86 vector extensions the processor reports. Kernels choose their
// paths with __builtin_cpu_supports; these bits are what the global data
// records, and they never change a result.
#pragma once

#include <cstdint>

#include "platform/qz_export.h"

inline constexpr uint32_t QZ_CPU_MMX = 1;    // leaf 1, EDX bit 23
inline constexpr uint32_t QZ_CPU_SSE = 2;    // leaf 1, EDX bit 25
inline constexpr uint32_t QZ_CPU_SSE2 = 4;   // leaf 1, EDX bit 26
inline constexpr uint32_t QZ_CPU_3DNOW = 8;  // leaf 0x80000001, EDX bit 31

struct Qz_CPUInfo {
  char ci_Vendor[13];   // 12 characters and a terminator
  char ci_Name[64];     // from the vendor, family and model
  uint32_t ci_Family;   // leaf 1, bits 8-11
  uint32_t ci_Model;    // bits 4-7
  uint32_t ci_Stepping; // bits 0-3
  uint32_t ci_Reported; // the reported feature bits
  uint32_t ci_Confirmed;// the reported bits whose test instruction ran
  uint32_t ci_Fifteen;  // always 15
};

QZ_EXTERN_C_BEGIN
// The reported feature bits (0 without CPUID); fills info when given.
QZ_EXPORT uint32_t Qz__GetCPUFeatures(Qz_CPUInfo* info);
QZ_EXPORT int32_t Qz__HasCPUID(void);
// 1 when an instruction of the feature (1, 2, 4 or 8) runs here.
QZ_EXPORT int32_t Qz__CPUFeatureRuns(uint32_t feature);
// Writes the processor name for a family and model (vendor from info).
QZ_EXPORT void Qz__CPUModelName(uint32_t family, uint32_t model, const Qz_CPUInfo* info,
                                char* dest, uint32_t destSize);
QZ_EXTERN_C_END
