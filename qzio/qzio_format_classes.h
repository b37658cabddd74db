// Entry points of the format classes this library holds: each registers or
// removes one "<name>QZIO" class. The program's start-up finds them by name;
// tests and tools that want a format without the whole start-up call them.
#pragma once

#include <cstdint>

#include "objects/qz_object.h"

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitBMPQZIOClass(Qz_GlobalData* global);
QZ_EXPORT void Qz_CleanupBMPQZIOClass(void);
QZ_EXPORT QzWord Qz_InitJPEGQZIOClass(Qz_GlobalData* global);
QZ_EXPORT void Qz_CleanupJPEGQZIOClass(void);
QZ_EXPORT QzWord Qz_InitPNGQZIOClass(Qz_GlobalData* global);
QZ_EXPORT void Qz_CleanupPNGQZIOClass(void);
QZ_EXPORT QzWord Qz_InitPPMQZIOClass(Qz_GlobalData* global);
QZ_EXPORT void Qz_CleanupPPMQZIOClass(void);
QZ_EXPORT QzWord Qz_InitQuillantrixQZIOClass(Qz_GlobalData* global);
QZ_EXPORT void Qz_CleanupQuillantrixQZIOClass(void);
QZ_EXPORT QzWord Qz_InitTIFFQZIOClass(Qz_GlobalData* global);
QZ_EXPORT void Qz_CleanupTIFFQZIOClass(void);
QZ_EXTERN_C_END
