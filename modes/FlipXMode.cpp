// FlipXMode: shows the data below the layer mirrored left to right about
// the whole image.
#include "modes/channel_modes.h"
#include "modes/mode_kit.h"

namespace {

constexpr uint32_t kFlipXModeClassId = 0x814;

QzWord Qz__RenderFlipX(const Qz_ModeRenderMessage* message) {
  qz::modes::rank::Plane planes[3];
  const int count = qz::modes::rank::blockPlanes(message, planes);
  if (count > 0) qz::modes::channel::writeMirrored(message, qz::modes::channel::kMirrorX, {planes, size_t(count)});
  return 1;
}

const qz::kit::ClassDecl kFlipXMode = {.name = "FlipXMode", .superName = "RootMode", .classId = kFlipXModeClassId,
                                       .handler = qz::modes::renderHandler<Qz__RenderFlipX>};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitFlipXModeClass(Qz_GlobalData*) { return qz::kit::addClass(kFlipXMode); }
QZ_EXPORT void Qz_CleanupFlipXModeClass(void) { qz::kit::removeClass(kFlipXMode); }
QZ_EXTERN_C_END
