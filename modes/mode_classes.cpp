// The order in which the mode classes are registered: a superclass before
// the classes built on it (RootMode, then ColouriseMode before SepiaMode).
#include "modes/mode_classes.h"

#include <cstddef>

namespace {

struct ModeClassRow {
  QzWord (*init)(Qz_GlobalData*);
  void (*cleanup)(void);
};

const ModeClassRow kModeClasses[] = {
    {Qz_InitRootModeClass, Qz_CleanupRootModeClass},
    {Qz_InitPaintModeClass, Qz_CleanupPaintModeClass},
    {Qz_InitAddColourModeClass, Qz_CleanupAddColourModeClass},
    {Qz_InitSubtractColourModeClass, Qz_CleanupSubtractColourModeClass},
    {Qz_InitDarkenModeClass, Qz_CleanupDarkenModeClass},
    {Qz_InitLightenModeClass, Qz_CleanupLightenModeClass},
    {Qz_InitDifferenceRGBModeClass, Qz_CleanupDifferenceRGBModeClass},
    {Qz_InitMultiplyModeClass, Qz_CleanupMultiplyModeClass},
    {Qz_InitScreenModeClass, Qz_CleanupScreenModeClass},
    {Qz_InitBurnModeClass, Qz_CleanupBurnModeClass},
    {Qz_InitDodgeModeClass, Qz_CleanupDodgeModeClass},
    {Qz_InitOverlayModeClass, Qz_CleanupOverlayModeClass},
    {Qz_InitSoftLightModeClass, Qz_CleanupSoftLightModeClass},
    {Qz_InitHardLightModeClass, Qz_CleanupHardLightModeClass},
    {Qz_InitTintModeClass, Qz_CleanupTintModeClass},
    {Qz_InitColouriseModeClass, Qz_CleanupColouriseModeClass},
    {Qz_InitSepiaModeClass, Qz_CleanupSepiaModeClass},
    {Qz_InitBiColourModeClass, Qz_CleanupBiColourModeClass},
};

}  // namespace

QZ_EXTERN_C_BEGIN

QZ_EXPORT QzWord Qz_InitModeClasses(Qz_GlobalData* globalData) {
  for (const ModeClassRow& row : kModeClasses)
    if (!row.init(globalData)) return 0;
  return 1;
}

QZ_EXPORT void Qz_CleanupModeClasses(void) {
  for (std::size_t i = std::size(kModeClasses); i-- > 0;) kModeClasses[i].cleanup();
}

QZ_EXTERN_C_END
