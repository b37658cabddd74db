// FireMode: the layer's own pixels, darkened by a fourth power and tinted
// with the paint colour, so its bright parts burn in the paint colour. The
// one mode of its family that reads the layer itself rather than what lies
// below it; where the block leaves the layer, what lies below shows.
#include <algorithm>

#include "modes/mode_kit.h"

namespace {

constexpr uint32_t kFireModeClassId = 0x804;

// s^4 / 2^24, in the steps the 8-bit arithmetic takes.
inline int32_t Qz__Burn(int32_t s) {
  const int32_t q = (s * s) >> 8;
  return (q * q) >> 8;
}

QzWord Qz__RenderFire(const Qz_ModeRenderMessage* message) {
  const Qz_ImageLock* block = message ? message->block : nullptr;
  const Qz_Image* layer = block ? block->layer : nullptr;
  if (!block || !block->image) return 1;
  if (block->image->depth != 24) return block->image->depth == 8 ? 0 : 1;
  const bool grey = layer && layer->depth == 8 && layer->grey;
  const bool colour = layer && layer->depth == 24 && layer->r && layer->g && layer->b;
  if (!grey && !colour) return 1;
  const uint8_t* k = qz::modes::paintColour(block);
  const int32_t paint[3] = {k[0], k[1], k[2]};
  const Qz_Plane own[3] = {grey ? layer->grey : layer->r, grey ? layer->grey : layer->g,
                           grey ? layer->grey : layer->b};
  int32_t y = block->y0;
  return qz::modes::renderRows(message, 0, [&](const uint8_t* const src[3], uint8_t* const dst[3], int32_t count) {
    const int32_t ly = y++ - layer->placement.layerY;
    for (int32_t i = 0; i < count; ++i) {
      const int32_t lx = block->x0 + i - layer->placement.layerX;
      const bool on = ly >= 0 && ly < layer->height && lx >= 0 && lx < layer->width;
      for (int c = 0; c < 3; ++c)
        dst[c][i] = on ? uint8_t(std::min(255, Qz__Burn(own[c][ly][lx]) + paint[c])) : src[c][i];
    }
  });
}

const qz::kit::ClassDecl kFireMode = {
    .name = "FireMode", .superName = "RootMode", .classId = kFireModeClassId,
    .handler = qz::modes::renderHandler<Qz__RenderFire>};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitFireModeClass(Qz_GlobalData*) { return qz::kit::addClass(kFireMode); }
QZ_EXPORT void Qz_CleanupFireModeClass(void) { qz::kit::removeClass(kFireMode); }
QZ_EXTERN_C_END
