// Check boxes, radio columns and cycle gadgets: their method ids.
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

// ---- Cycle (a pop-up; not among the registered classes) ----
inline constexpr uint32_t kCycleClassId = 0xA0000;
inline constexpr uint32_t kCycleSetStrings = 0x80000168;  // NULL-ended array of texts
inline constexpr uint32_t kCycleChoose = 0x80000169;      // index; also the notification
inline constexpr uint32_t kCycleGetChosen = 0x8000016A;

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
QZ_EXPORT QzWord Qz_InitCycleClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupCycleClass(void);
QZ_EXTERN_C_END
