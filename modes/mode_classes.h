// Init and Cleanup of every mode class, and the calls that register them
// all in order (RootMode first: each class finds its superclass by name).
#pragma once

#include "objects/qz_object.h"

QZ_EXTERN_C_BEGIN

QZ_EXPORT QzWord Qz_InitRootModeClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupRootModeClass(void);
QZ_EXPORT QzWord Qz_InitPaintModeClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupPaintModeClass(void);
QZ_EXPORT QzWord Qz_InitAddColourModeClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupAddColourModeClass(void);
QZ_EXPORT QzWord Qz_InitSubtractColourModeClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupSubtractColourModeClass(void);
QZ_EXPORT QzWord Qz_InitDarkenModeClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupDarkenModeClass(void);
QZ_EXPORT QzWord Qz_InitLightenModeClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupLightenModeClass(void);
QZ_EXPORT QzWord Qz_InitDifferenceRGBModeClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupDifferenceRGBModeClass(void);
QZ_EXPORT QzWord Qz_InitMultiplyModeClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupMultiplyModeClass(void);
QZ_EXPORT QzWord Qz_InitScreenModeClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupScreenModeClass(void);
QZ_EXPORT QzWord Qz_InitBurnModeClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupBurnModeClass(void);
QZ_EXPORT QzWord Qz_InitDodgeModeClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupDodgeModeClass(void);
QZ_EXPORT QzWord Qz_InitOverlayModeClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupOverlayModeClass(void);
QZ_EXPORT QzWord Qz_InitSoftLightModeClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupSoftLightModeClass(void);
QZ_EXPORT QzWord Qz_InitHardLightModeClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupHardLightModeClass(void);
QZ_EXPORT QzWord Qz_InitTintModeClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupTintModeClass(void);
QZ_EXPORT QzWord Qz_InitColouriseModeClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupColouriseModeClass(void);
QZ_EXPORT QzWord Qz_InitSepiaModeClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupSepiaModeClass(void);
QZ_EXPORT QzWord Qz_InitBiColourModeClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupBiColourModeClass(void);

// Registers the mode classes in order; 1, or 0 when one fails (those before it stay).
QZ_EXPORT QzWord Qz_InitModeClasses(Qz_GlobalData* globalData);
// Removes them in the reverse order.
QZ_EXPORT void Qz_CleanupModeClasses(void);

QZ_EXTERN_C_END
