// Entry points of the format classes this library holds: each registers or
// removes one "<name>QZIO" class. The program's start-up finds them by name;
// tests and tools that want a format without the whole start-up call them.
#pragma once

#include <cstdint>

#include "objects/qz_object.h"

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitBMPQZIOClass(Qz_GlobalData* global);
QZ_EXPORT void Qz_CleanupBMPQZIOClass(void);
QZ_EXPORT QzWord Qz_InitGIFQZIOClass(Qz_GlobalData* global);
QZ_EXPORT void Qz_CleanupGIFQZIOClass(void);
QZ_EXPORT QzWord Qz_InitJPEGQZIOClass(Qz_GlobalData* global);
QZ_EXPORT void Qz_CleanupJPEGQZIOClass(void);
QZ_EXPORT QzWord Qz_InitPCXQZIOClass(Qz_GlobalData* global);
QZ_EXPORT void Qz_CleanupPCXQZIOClass(void);
QZ_EXPORT QzWord Qz_InitPSDQZIOClass(Qz_GlobalData* global);
QZ_EXPORT void Qz_CleanupPSDQZIOClass(void);
QZ_EXPORT QzWord Qz_InitPICTQZIOClass(Qz_GlobalData* global);
QZ_EXPORT void Qz_CleanupPICTQZIOClass(void);
QZ_EXPORT QzWord Qz_InitPSQZIOClass(Qz_GlobalData* global);
QZ_EXPORT void Qz_CleanupPSQZIOClass(void);
QZ_EXPORT QzWord Qz_InitEPSQZIOClass(Qz_GlobalData* global);
QZ_EXPORT void Qz_CleanupEPSQZIOClass(void);
QZ_EXPORT QzWord Qz_InitPCDQZIOClass(Qz_GlobalData* global);
QZ_EXPORT void Qz_CleanupPCDQZIOClass(void);
QZ_EXPORT QzWord Qz_InitPNGQZIOClass(Qz_GlobalData* global);
QZ_EXPORT void Qz_CleanupPNGQZIOClass(void);
QZ_EXPORT QzWord Qz_InitPPMQZIOClass(Qz_GlobalData* global);
QZ_EXPORT void Qz_CleanupPPMQZIOClass(void);
QZ_EXPORT QzWord Qz_InitQuillantrixQZIOClass(Qz_GlobalData* global);
QZ_EXPORT void Qz_CleanupQuillantrixQZIOClass(void);
QZ_EXPORT QzWord Qz_InitTIFFQZIOClass(Qz_GlobalData* global);
QZ_EXPORT void Qz_CleanupTIFFQZIOClass(void);
QZ_EXPORT QzWord Qz_InitIFFDEEPQZIOClass(Qz_GlobalData* global);
QZ_EXPORT void Qz_CleanupIFFDEEPQZIOClass(void);
QZ_EXPORT QzWord Qz_InitILBMQZIOClass(Qz_GlobalData* global);
QZ_EXPORT void Qz_CleanupILBMQZIOClass(void);
QZ_EXPORT QzWord Qz_InitRASQZIOClass(Qz_GlobalData* global);
QZ_EXPORT void Qz_CleanupRASQZIOClass(void);
QZ_EXPORT QzWord Qz_InitSGIQZIOClass(Qz_GlobalData* global);
QZ_EXPORT void Qz_CleanupSGIQZIOClass(void);
QZ_EXPORT QzWord Qz_InitTARGAQZIOClass(Qz_GlobalData* global);
QZ_EXPORT void Qz_CleanupTARGAQZIOClass(void);
QZ_EXPORT QzWord Qz_InitXBMQZIOClass(Qz_GlobalData* global);
QZ_EXPORT void Qz_CleanupXBMQZIOClass(void);
QZ_EXPORT QzWord Qz_InitXPMQZIOClass(Qz_GlobalData* global);
QZ_EXPORT void Qz_CleanupXPMQZIOClass(void);
QZ_EXPORT QzWord Qz_InitXWDQZIOClass(Qz_GlobalData* global);
QZ_EXPORT void Qz_CleanupXWDQZIOClass(void);
QZ_EXPORT QzWord Qz_InitClipboardQZIOClass(Qz_GlobalData* global);
QZ_EXPORT void Qz_CleanupClipboardQZIOClass(void);
QZ_EXPORT QzWord Qz_InitScreenGrabQZIOClass(Qz_GlobalData* global);
QZ_EXPORT void Qz_CleanupScreenGrabQZIOClass(void);
QZ_EXTERN_C_END
