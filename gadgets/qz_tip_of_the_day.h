// TipOfTheDay: the start-up window showing one tip; its ids.
#pragma once

#include <cstdint>

#include "objects/qz_object.h"

inline constexpr uint32_t kTipOfTheDayClassId = 0x560000;
inline constexpr uint32_t kTipOfTheDaySetTipsFile = 0x56000A;   // path of the tips (a tabbed object's text)
inline constexpr uint32_t kTipOfTheDaySetStateFile = 0x560014;  // path of "tip,show"; read at once
inline constexpr uint32_t kTipOfTheDayGetTip = 0x56001E;        // the tip shown

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitTipOfTheDayClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupTipOfTheDayClass(void);
QZ_EXTERN_C_END
