// SuperNovaMode: a star burst about a centre, a glow that falls with the
// distance plus rays of seeded brightness round it (the quality is the
// seed, so a burst is the same every time); grey, the same in every
// channel, and reading nothing below. A strength of 0 or less blurs away
// from the centre instead, as the radial blur does.
#include "image/image_internal.h"
#include "modes/shared_below.h"
#include "modes/warp_strength.h"

namespace {

constexpr qz::modes::PanelSpec kPanel{"SuperNova", qz::modes::kStrengthPanelRows<30>};

QzWord Qz__RenderSuperNova(Qz_Object* object, const Qz_ModeRenderMessage* message) {
  const Qz_ImageLock* block = qz::modes::strengthBlock(message);
  if (!block) return 1;
  const int32_t depth = block->image->depth;
  const qz::modes::StrengthSettings s = qz::modes::readStrengthSettings(object);
  const int32_t n = 6 * s.strength;
  if (depth == 24 && n > 0) {
    const qz::modes::BurstRays rays = qz::modes::burstRays(s.quality);
    for (int32_t y = block->y0; y <= block->y1; ++y) {
      const int32_t out = y - block->y0;
      for (int32_t x = block->x0; x <= block->x1; ++x) {
        const uint8_t value = qz::modes::burstValue(rays, x - s.centreX, y - s.centreY, n);
        message->r[out][x - block->x0] = message->g[out][x - block->x0] = message->b[out][x - block->x0] = value;
      }
    }
    return 1;
  }
  qz::modes::SharedBelow below(message);
  if (!below.ok()) return 0;
  // A grey document shows no burst: it is left as it lies below.
  qz::modes::zoomOutBlock(message, below.view(), n > 0 ? 0 : -n, s);
  return 1;
}

const qz::kit::ClassDecl kSuperNovaMode = {
    .name = "SuperNovaMode", .superName = "RootMode", .classId = kQzSwirlModeClassId,
    .instance = qz::kit::instanceOf<qz::modes::StrengthModeObject>(),
    .handler = qz::modes::strengthModeHandler<Qz__RenderSuperNova>,
    .attributes = qz::modes::strengthAttributes(), .setUp = qz::modes::panelSetUp<kPanel>};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitSuperNovaModeClass(Qz_GlobalData*) { return qz::kit::addClass(kSuperNovaMode); }
QZ_EXPORT void Qz_CleanupSuperNovaModeClass(void) { qz::kit::removeClass(kSuperNovaMode); }
QZ_EXTERN_C_END
