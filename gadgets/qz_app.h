// App: the application object. A Group whose open (0x100A0) shows its
// contents and then blocks the task that made the App until close
// (0x100A2, from any thread) sends that task the break signal.
#pragma once

#include <cstdint>

#include "objects/qz_object.h"

inline constexpr uint32_t kAppClassId = 0x70000;
inline constexpr uint32_t kAppSetTitle = 0x7001E;       // text
inline constexpr uint32_t kAppSetSecondName = 0x70028;  // text
inline constexpr uint32_t kAppSetThirdText = 0x70032;   // text
inline constexpr uint32_t kAppSetValue = 0x7003C;       // stores 3 x the low 16 bits

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitAppClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupAppClass(void);
QZ_EXTERN_C_END
