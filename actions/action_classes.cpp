// Registers the action classes, RootAction and its points first (the others
// find RootAction by name), and removes them in the opposite order.
#include "actions/qz_actions.h"

namespace {

struct Row {
  QzWord (*init)(Qz_GlobalData*);
  void (*cleanup)(void);
};

const Row kOrder[] = {
    {Qz_InitRootActionClass, Qz_CleanupRootActionClass},
    {Qz_InitPointActionClass, Qz_CleanupPointActionClass},
    {Qz_InitColourActionClass, Qz_CleanupColourActionClass},
    {Qz_InitDisposeImageActionClass, Qz_CleanupDisposeImageActionClass},
    {Qz_InitFillImageActionClass, Qz_CleanupFillImageActionClass},
    {Qz_InitImageActionClass, Qz_CleanupImageActionClass},
    {Qz_InitInvertImageActionClass, Qz_CleanupInvertImageActionClass},
    {Qz_InitMediaSettingsActionClass, Qz_CleanupMediaSettingsActionClass},
    {Qz_InitModeActionClass, Qz_CleanupModeActionClass},
    {Qz_InitPositionActionClass, Qz_CleanupPositionActionClass},
    {Qz_InitTransformActionClass, Qz_CleanupTransformActionClass},
};

}  // namespace

QZ_EXTERN_C_BEGIN

QZ_EXPORT QzWord Qz_InitActionClasses(Qz_GlobalData* globalData) {
  for (const Row& row : kOrder)
    if (!row.init(globalData)) return 0;
  return 1;
}

QZ_EXPORT void Qz_CleanupActionClasses(void) {
  for (auto it = std::rbegin(kOrder); it != std::rend(kOrder); ++it) it->cleanup();
}

QZ_EXTERN_C_END
