// SwirlMode: the image below the layer twisted about a centre, by 90
// degrees plus six times the strength at the centre, less and less outward
// to none at the image's farthest corner. A pixel whose twisted point falls
// off the image is black. Grey documents get the zoom-out blur for a
// strength below 1 and are left as they are otherwise.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "image/image_internal.h"
#include "modes/shared_below.h"
#include "modes/warp_strength.h"

namespace {

constexpr qz::modes::PanelSpec kPanel{"Swirl", qz::modes::kStrengthPanelRows<30>};

// The distance from the centre to the image's farthest corner, whole
// pixels, at least 1 (every pixel is at most that far, and a centre on a
// corner still has the others to fade toward).
int64_t Qz__FarthestCorner(int32_t width, int32_t height, int32_t cx, int32_t cy) {
  const double dx = std::max(std::abs(double(cx)), std::abs(double(width - 1) - cx));
  const double dy = std::max(std::abs(double(cy)), std::abs(double(height - 1) - cy));
  return std::max<int64_t>(1, int64_t(std::sqrt(dx * dx + dy * dy)));
}

QzWord Qz__RenderSwirl(Qz_Object* object, const Qz_ModeRenderMessage* message) {
  const Qz_ImageLock* block = qz::modes::strengthBlock(message);
  if (!block) return 1;
  const int32_t depth = block->image->depth;
  const qz::modes::StrengthSettings s = qz::modes::readStrengthSettings(object);
  qz::modes::SharedBelow below(message);
  if (!below.ok()) return 0;
  const qz::modes::SourceView& v = below.view();
  const int32_t n = 6 * s.strength;
  if (depth == 8) {
    qz::modes::zoomOutBlock(message, v, n < 1 ? -n : 0, s);
    return 1;
  }
  const int32_t w = v.width, h = v.height, cx = s.centreX, cy = s.centreY;
  const double reach = double(Qz__FarthestCorner(w, h, cx, cy));
  for (int32_t y = block->y0; y <= block->y1; ++y) {
    const int32_t out = y - block->y0;
    uint8_t* const dst[3] = {message->r[out], message->g[out], message->b[out]};
    const int64_t dy = int64_t(y) - cy;
    for (int32_t x = block->x0; x <= block->x1; ++x) {
      const int64_t dx = int64_t(x) - cx;
      const double dist = std::sqrt(double(dx) * dx + double(dy) * dy);
      // Hundredths of a degree; dist <= reach, so it stays within 90 +- 1530 degrees.
      const int64_t t = int64_t(100.0 * n + 9000 - 100.0 * n * dist / reach);
      const double theta = double(t) * 0.00017453292519943296;
      const int64_t s1 = int64_t(1024 * std::sin(theta)), c1 = int64_t(1024 * std::cos(theta));
      const int64_t sx = cx + ((dx * s1 - dy * c1) >> 10), sy = cy + ((dx * c1 + dy * s1) >> 10);
      const bool inside = sx >= 0 && sx < w && sy >= 0 && sy < h;
      for (int c = 0; c < 3; ++c) dst[c][x - block->x0] = inside ? v.at(c, int32_t(sx), int32_t(sy)) : 0;
    }
  }
  return 1;
}

const qz::kit::ClassDecl kSwirlMode = {
    .name = "SwirlMode", .superName = "RootMode", .classId = kQzSwirlModeClassId,
    .instance = qz::kit::instanceOf<qz::modes::StrengthModeObject>(),
    .handler = qz::modes::strengthModeHandler<Qz__RenderSwirl>, .attributes = qz::modes::strengthAttributes(),
    .setUp = qz::modes::panelSetUp<kPanel>};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitSwirlModeClass(Qz_GlobalData*) { return qz::kit::addClass(kSwirlMode); }
QZ_EXPORT void Qz_CleanupSwirlModeClass(void) { qz::kit::removeClass(kSwirlMode); }
QZ_EXTERN_C_END
