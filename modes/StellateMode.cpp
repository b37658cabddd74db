// StellateMode: bright samples spread along the eight rays of a star (two
// arm pairs an eighth of a turn apart, each pair with its perpendicular),
// fading step by step with distance; each pixel keeps the brightest of
// itself and what reaches it.
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "modes/direction.h"
#include "modes/mode_kit.h"
#include "modes/mode_panel.h"
#include "modes/mode_settings.h"
#include "modes/rank_filters.h"

namespace {

constexpr uint32_t kStellateModeClassId = 0x808;
constexpr uint32_t kSetRadius = 0x826, kSetAngle = 0x83A, kSetDensity = 0x84E, kGetDensity = 0x858;

struct Qz_StellateModeObject {
  Qz_Object header;
  int16_t radius = 2, angle = 0, density = 60;
};

const qz::kit::Attribute kAttributes[] = {
    {.setter = kSetRadius, .minimum = 1, .maximum = 255, .initial = 2,
     .field = qz::kit::field(&Qz_StellateModeObject::radius), .changed = qz::modes::ownSettingChanged},
    {.setter = kSetAngle, .initial = 0, .field = qz::kit::field(&Qz_StellateModeObject::angle),
     .changed = qz::modes::ownSettingChanged},
    {.setter = kSetDensity, .getter = kGetDensity, .minimum = 1, .maximum = 100, .initial = 60,
     .field = qz::kit::field(&Qz_StellateModeObject::density), .changed = qz::modes::ownSettingChanged},
};

constexpr qz::modes::PanelRow kPanelRows[] = {
    qz::modes::angle(91, kSetAngle, 0),
    qz::modes::slider(89, kSetRadius, 1, 255, 2, "%ld.5"),
    qz::modes::slider("Density", kSetDensity, 1, 100, 60, "%ld%%")};
constexpr qz::modes::PanelSpec kPanel{"Stellate", kPanelRows};

// The rays' steps: n steps of one length, each fading by f more.
struct Rays {
  int32_t steps = 1, fade = 255;
  // Per step k (1..steps), the offsets of the two arms.
  struct Offsets {
    int32_t ox1, oy1, ox2, oy2;
  };
  std::vector<Offsets> offsets;
  int32_t reach = 0;  // the largest offset, in columns or rows
};

Rays Qz__Rays(int32_t radius, int32_t angle, int32_t density) {
  int32_t s = std::max(std::min(100 / density, radius), 1);
  int32_t n = (radius + s - 1) / s;
  if (n * s > radius) s = radius, n = 1;
  Rays rays;
  rays.steps = n;
  rays.fade = std::max(255 / n, 1);
  const qz::modes::Direction a = qz::modes::directionFloor(angle);
  const qz::modes::Direction b = qz::modes::secondArm(angle, qz::modes::DirectionRounding::Floor);
  const int32_t da1 = (s * a.dx) >> 2, db1 = (s * a.dy) >> 2, da2 = (s * b.dx) >> 2, db2 = (s * b.dy) >> 2;
  for (int32_t k = 1; k <= n; ++k) {
    const Rays::Offsets o{int16_t((k * da1) >> 8), int16_t((k * db1) >> 8), int16_t((k * da2) >> 8),
                          int16_t((k * db2) >> 8)};
    rays.offsets.push_back(o);
    for (int32_t v : {o.ox1, o.oy1, o.ox2, o.oy2}) rays.reach = std::max(rays.reach, std::abs(v));
  }
  return rays;
}

QzWord Qz__RenderStellate(Qz_StellateModeObject* self, const Qz_ModeRenderMessage* message) {
  const Rays rays = Qz__Rays(qz::modes::loadSetting(self->radius), qz::modes::loadSetting(self->angle),
                             qz::modes::loadSetting(self->density));
  qz::modes::rank::Plane planes[3];
  const int planeCount = qz::modes::rank::blockPlanes(message, planes);
  if (planeCount == 0) return 1;
  const Qz_ImageLock* block = message->block;
  const int32_t e = rays.reach;
  qz::modes::SpareFetch below(message, qz::modes::rank::widened(block, e, e));
  if (!below.ok()) return 0;
  const qz::modes::SourceView& view = below.view();
  // Rows outside the image read as the edge row, as the fetch hands them out.
  auto at = [&](int ch, int32_t x, int32_t y) {
    return int32_t(view.at(ch, view.clampX(x), std::clamp(y, view.y0, view.y1)));
  };
  for (int p = 0; p < planeCount; ++p) {
    const int ch = planes[p].channel;
    for (int32_t y = block->y0; y <= block->y1; ++y) {
      uint8_t* out = planes[p].dst[y - block->y0];
      for (int32_t x = block->x0; x <= block->x1; ++x) {
        int32_t result = at(ch, x, y);
        for (int32_t k = 1; k <= rays.steps; ++k) {
          const Rays::Offsets& o = rays.offsets[size_t(k - 1)];
          const int32_t fade = (k - 1) * rays.fade;
          const int32_t brightest = std::max(
              {at(ch, x - o.ox1, y - o.oy1), at(ch, x + o.ox1, y + o.oy1), at(ch, x + o.oy1, y - o.ox1),
               at(ch, x - o.oy1, y + o.ox1), at(ch, x - o.ox2, y - o.oy2), at(ch, x + o.ox2, y + o.oy2),
               at(ch, x + o.oy2, y - o.ox2), at(ch, x - o.oy2, y + o.ox2)});
          result = std::max(result, brightest - fade);
        }
        out[x - block->x0] = uint8_t(result);
      }
    }
  }
  return 1;
}

QzWord Qz__StellateModeDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  if (id == kQzModeRender)
    return Qz__RenderStellate(qz::kit::self<Qz_StellateModeObject>(object), qz::modes::renderMessage(args));
  return qz::kit::inherited(object, id, args);
}

const qz::kit::ClassDecl kStellateMode = {
    .name = "StellateMode", .superName = "RootMode", .classId = kStellateModeClassId,
    .instance = qz::kit::instanceOf<Qz_StellateModeObject>(), .handler = Qz__StellateModeDispatch,
    .attributes = kAttributes, .setUp = qz::modes::panelSetUp<kPanel>};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitStellateModeClass(Qz_GlobalData*) { return qz::kit::addClass(kStellateMode); }
QZ_EXPORT void Qz_CleanupStellateModeClass(void) { qz::kit::removeClass(kStellateMode); }
QZ_EXTERN_C_END
