// PageSetup: the print page requester, a format object of the image-file
// library. Lengths travel as the bits of a 32-bit float in millimetres
// (Qz_FloatToULONG), the resolution in dots per inch.
#pragma once

#include <cstdint>

#include "platform/qz_export.h"
#include "platform/qz_word.h"

struct Qz_GlobalData;

inline constexpr uint32_t kPageSetupClassId = 0x162E;
inline constexpr uint32_t kPageSetupPaper = 5688;            // index into the paper pop-up
inline constexpr uint32_t kPageSetupPaperWidth = 5708;       // typed
inline constexpr uint32_t kPageSetupPaperHeight = 5728;      // typed
inline constexpr uint32_t kPageSetupResolution = 5748;       // typed
inline constexpr uint32_t kPageSetupFit = 5778;
inline constexpr uint32_t kPageSetupSetFitFlag = 5788;
inline constexpr uint32_t kPageSetupGetFitFlag = 5798;
inline constexpr uint32_t kPageSetupSetPrintWidth = 5808;
inline constexpr uint32_t kPageSetupGetPrintWidth = 5818;
inline constexpr uint32_t kPageSetupSetPrintHeight = 5828;
inline constexpr uint32_t kPageSetupGetPrintHeight = 5838;
inline constexpr uint32_t kPageSetupSetWord = 5848;
inline constexpr uint32_t kPageSetupSetImage = 5868;
inline constexpr uint32_t kPageSetupGetImage = 5878;
inline constexpr uint32_t kPageSetupRun = 5888;              // 1 for OK
inline constexpr uint32_t kPageSetupSetLeft = 5898;
inline constexpr uint32_t kPageSetupGetLeft = 5908;
inline constexpr uint32_t kPageSetupSetTop = 5918;
inline constexpr uint32_t kPageSetupGetTop = 5928;
inline constexpr uint32_t kPageSetupSetRight = 5938;
inline constexpr uint32_t kPageSetupGetRight = 5948;
inline constexpr uint32_t kPageSetupSetBottom = 5958;
inline constexpr uint32_t kPageSetupGetBottom = 5968;
// Beyond the setters: the current resolution (float bits) and paper index.
inline constexpr uint32_t kPageSetupGetResolution = 5758;
inline constexpr uint32_t kPageSetupGetPaper = 5698;

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitPageSetupClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupPageSetupClass(void);
QZ_EXTERN_C_END
