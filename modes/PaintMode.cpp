// PaintMode: the default mode; every pixel of the block becomes the layer's
// paint colour (on a grey image, the colour's mean). The compositor blends
// plain 8-bit layers in this mode itself, without calling it.
#include <cstring>

#include "modes/mode_kit.h"

namespace {

QzWord Qz__RenderGrey(const Qz_ModeRenderMessage* message) {
  const Qz_ImageLock* lock = message->block;
  if (lock->y0 > lock->y1 || lock->x0 > lock->x1 || !message->grey) return 1;
  const uint8_t* k = qz::modes::paintColour(lock);
  const auto grey = uint8_t((k[0] + k[1] + k[2]) / 3);
  for (int32_t y = lock->y0; y <= lock->y1; ++y)
    std::memset(message->grey[y - lock->y0], grey, size_t(lock->x1 - lock->x0 + 1));
  return 1;
}

QzWord Qz__RenderPaint(const Qz_ModeRenderMessage* message) {
  const Qz_ImageLock* lock = message ? message->block : nullptr;
  if (lock && lock->image && lock->image->depth == 8) return Qz__RenderGrey(message);
  const uint8_t* k = qz::modes::paintColour(lock);
  const uint8_t colour[3] = {k[0], k[1], k[2]};
  return qz::modes::renderRows(message, 1, [&](const uint8_t* const*, uint8_t* const dst[3],
                                               int32_t count) {
    for (int c = 0; c < 3; ++c) std::memset(dst[c], colour[c], size_t(count));
  });
}

const qz::kit::ClassDecl kPaintMode = {
    .name = "PaintMode", .superName = "RootMode", .classId = kQzBlendModeClassId,
    .handler = qz::modes::renderHandler<Qz__RenderPaint>};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitPaintModeClass(Qz_GlobalData*) { return qz::kit::addClass(kPaintMode); }
QZ_EXPORT void Qz_CleanupPaintModeClass(void) { qz::kit::removeClass(kPaintMode); }
QZ_EXTERN_C_END
