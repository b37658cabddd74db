// Init and Cleanup functions of the classes the object layer registers
// itself when it is opened.
#pragma once

#include "objects/qz_object.h"

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitRootClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupRootClass(void);
QZ_EXPORT QzWord Qz_InitLinkedListClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupLinkedListClass(void);
QZ_EXTERN_C_END
