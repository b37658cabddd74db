// FlipYMode: shows the data below the layer mirrored top to bottom about
// the whole image.
#include "modes/channel_modes.h"
#include "modes/mode_kit.h"

namespace {

constexpr uint32_t kFlipYModeClassId = 0x815;

QzWord Qz__RenderFlipY(const Qz_ModeRenderMessage* message) {
  qz::modes::rank::Plane planes[3];
  const int count = qz::modes::rank::blockPlanes(message, planes);
  if (count > 0) qz::modes::channel::writeMirrored(message, qz::modes::channel::kMirrorY, {planes, size_t(count)});
  return 1;
}

const qz::kit::ClassDecl kFlipYMode = {.name = "FlipYMode", .superName = "RootMode", .classId = kFlipYModeClassId,
                                       .handler = qz::modes::renderHandler<Qz__RenderFlipY>};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitFlipYModeClass(Qz_GlobalData*) { return qz::kit::addClass(kFlipYMode); }
QZ_EXPORT void Qz_CleanupFlipYModeClass(void) { qz::kit::removeClass(kFlipYMode); }
QZ_EXTERN_C_END
