// Check boxes and radio columns: their method ids.
#pragma once

#include <cstdint>

#include "objects/qz_object.h"

// ---- CheckBox ----
inline constexpr uint32_t kCheckBoxClassId = 0x150000;
inline constexpr uint32_t kCheckBoxSetState = 0x15000A;  // also the notification
inline constexpr uint32_t kCheckBoxGetState = 0x150014;

// ---- MutualExclude ----
inline constexpr uint32_t kMutualExcludeClassId = 0x210000;
inline constexpr uint32_t kMutualExcludeMark = 0x21000A;  // index; also the notification
inline constexpr uint32_t kMutualExcludeGetMarked = 0x210014;

// Mark shapes (VectorImage kinds).
inline constexpr uint32_t kMarkCheckOn = 0x50032;
inline constexpr uint32_t kMarkCheckOff = 0x5003C;
inline constexpr uint32_t kMarkRadioOff = 0x5005A;
inline constexpr uint32_t kMarkRadioOn = 0x50064;

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitCheckBoxClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupCheckBoxClass(void);
QZ_EXPORT QzWord Qz_InitMutualExcludeClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupMutualExcludeClass(void);
QZ_EXTERN_C_END
