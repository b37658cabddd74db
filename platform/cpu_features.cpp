#include "platform/cpu_features.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#define QZ_HAVE_CPUID 1
#else
#define QZ_HAVE_CPUID 0
#endif

namespace {

struct Regs {
  unsigned a = 0, b = 0, c = 0, d = 0;
};

bool cpuid(unsigned leaf, Regs& r) {
#if QZ_HAVE_CPUID
  return __get_cpuid(leaf, &r.a, &r.b, &r.c, &r.d) != 0;
#else
  (void)leaf;
  (void)r;
  return false;
#endif
}

struct Probe {
  uint32_t reported = 0;
  char vendor[13] = {};
  uint32_t family = 0, model = 0, stepping = 0;
};

Probe probe() {
  Probe p;
  Regs r;
  if (!cpuid(0, r)) return p;
  std::memcpy(p.vendor + 0, &r.b, 4);
  std::memcpy(p.vendor + 4, &r.d, 4);
  std::memcpy(p.vendor + 8, &r.c, 4);
  const unsigned maxLeaf = r.a;
  uint32_t edx1 = 0;
  if (maxLeaf >= 1 && cpuid(1, r)) {
    edx1 = r.d;
    p.stepping = r.a & 0xF;
    p.model = (r.a >> 4) & 0xF;
    p.family = (r.a >> 8) & 0xF;
  }
  uint32_t edxExt = 0;
  Regs e;
  if (cpuid(0x80000000u, e) && e.a >= 0x80000001u) {
    Regs f;
    if (cpuid(0x80000001u, f)) edxExt = f.d;
  }
  if (edx1 & (1u << 23)) p.reported |= QZ_CPU_MMX;
  if (edxExt & (1u << 31)) p.reported |= QZ_CPU_3DNOW;
  if (edx1 & (1u << 25)) p.reported |= QZ_CPU_SSE;
  if (edx1 & (1u << 26)) p.reported |= QZ_CPU_SSE2;
  return p;
}

// Runs one instruction of the feature. Only called for reported features,
// which this kernel always enables, so no instruction here can fault.
void runFeatureInstruction(uint32_t feature) {
#if defined(__x86_64__) || defined(__i386__)
  switch (feature) {
    case QZ_CPU_MMX: __asm__ volatile("pxor %%mm0, %%mm0\n\temms" ::: "mm0"); break;
    case QZ_CPU_SSE: __asm__ volatile("xorps %%xmm0, %%xmm0" ::: "xmm0"); break;
    case QZ_CPU_SSE2: __asm__ volatile("xorpd %%xmm0, %%xmm0" ::: "xmm0"); break;
    case QZ_CPU_3DNOW: __asm__ volatile(".byte 0x0f, 0x0e"); break;  // femms
    default: break;
  }
#else
  (void)feature;
#endif
}

const char* modelName(const char* vendor, uint32_t family, uint32_t model) {
  if (std::strcmp(vendor, "GenuineIntel") == 0) {
    if (family == 4) {
      switch (model) {
        case 0: case 1: return "INTEL 486DX";
        case 2: return "INTEL 486SX";
        case 3: return "INTEL 486DX2";
        case 4: return "INTEL 486SL";
        case 5: return "INTEL 486SX2";
      }
    } else if (family == 5) {
      switch (model) {
        case 1: case 2: case 3: return "INTEL Pentium";
        case 4: case 7: case 8: return "INTEL Pentium-MMX";
      }
    } else if (family == 6) {
      switch (model) {
        case 1: return "INTEL Pentium-Pro";
        case 3: case 5: return "INTEL Pentium-II";
        case 6: return "INTEL Celeron";
        case 7: case 8: case 10: case 11: return "INTEL Pentium-III";
      }
    }
  } else if (std::strcmp(vendor, "AuthenticAMD") == 0) {
    if (family == 4) return "AMD Am486";
    if (family == 5) {
      switch (model) {
        case 0: case 1: case 2: case 3: return "AMD K5";
        case 6: case 7: return "AMD K6";
        case 8: return "AMD K6-2";
        case 9: return "AMD K6-3";
      }
    } else if (family == 6) {
      return "AMD ATHLON";
    }
  }
  return "Unknown";
}

}  // namespace

QZ_EXTERN_C_BEGIN

int32_t Qz__HasCPUID(void) {
  Regs r;
  return cpuid(0, r) ? 1 : 0;
}

int32_t Qz__CPUFeatureRuns(uint32_t feature) {
  if (feature != QZ_CPU_MMX && feature != QZ_CPU_SSE && feature != QZ_CPU_SSE2 &&
      feature != QZ_CPU_3DNOW)
    return 0;
  // An instruction the processor does not report would only fault.
  if (!(probe().reported & feature)) return 0;
  runFeatureInstruction(feature);
  return 1;
}

uint32_t Qz__GetCPUFeatures(Qz_CPUInfo* info) {
  const Probe p = probe();
  if (info) {
    std::memset(info, 0, sizeof *info);
    std::memcpy(info->ci_Vendor, p.vendor, sizeof info->ci_Vendor);
    info->ci_Family = p.family;
    info->ci_Model = p.model;
    info->ci_Stepping = p.stepping;
    info->ci_Reported = p.reported;
    for (uint32_t f : {QZ_CPU_MMX, QZ_CPU_3DNOW, QZ_CPU_SSE, QZ_CPU_SSE2}) {
      if (p.reported & f) {
        runFeatureInstruction(f);
        info->ci_Confirmed |= f;
      }
    }
    info->ci_Fifteen = 15;
    Qz__CPUModelName(p.family, p.model, info, info->ci_Name, sizeof info->ci_Name);
  }
  return p.reported;
}

void Qz__CPUModelName(uint32_t family, uint32_t model, const Qz_CPUInfo* info, char* dest,
                      uint32_t destSize) {
  if (!dest || destSize == 0) return;
  const char* vendor = info ? info->ci_Vendor : "";
  std::snprintf(dest, destSize, "%s", modelName(vendor, family, model));
}

QZ_EXTERN_C_END
