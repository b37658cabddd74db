// SpherizeMode: the image below the layer seen through a glass sphere (an
// ellipsoid with the aspect setting) round a chosen centre. Inside the
// outline a pixel shows the one pulled outward along a sine law,
// horizontally, vertically or both; outside it, and along an axis that is
// not applied, a pixel shows itself. The per-row part of the mapping is a
// shared, immutable table, one per radius, aspect and axis choice.
#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "image/image_internal.h"
#include "modes/mode_kit.h"
#include "modes/mode_panel.h"
#include "modes/mode_settings.h"
#include "modes/qz_root_mode.h"
#include "modes/qz_warp_modes.h"
#include "modes/shared_below.h"
#include "modes/shared_table.h"
#include "modes/warp_centre.h"

namespace {

struct Qz_SphereKey {
  int32_t radius = 0, aspect = 0;
  bool horizontal = false, vertical = false;
  bool operator==(const Qz_SphereKey&) const = default;
};

// Per vertical distance 0..R from the centre: the row offset, and the
// half-width of the outline's chord there (what the column law divides by).
struct Qz_SphereRows {
  std::vector<int32_t> rowOffset;
  std::vector<double> chord;
  double fxArea = 0, fyArea = 0;  // floor(R² fx), floor(R² fy): the outline's denominators
  double k = 0;                   // 2R / π
};

struct Qz_SpherizeModeObject {
  Qz_Object header;
  qz::modes::WarpCentre centre;
  int32_t size = 50, useColour = 0, aspect = 0, horizontal = 0, vertical = 0;
  qz::modes::SharedTable<Qz_SphereKey, Qz_SphereRows> rows;
};

Qz_SpherizeModeObject* Qz__Self(Qz_Object* object) { return qz::kit::self<Qz_SpherizeModeObject>(object); }

const qz::kit::Attribute kSettings[] = {
    {.setter = kQzSpherizeSetSize, .getter = kQzSpherizeGetSize, .minimum = 1, .maximum = 200, .initial = 50,
     .field = qz::kit::field(&Qz_SpherizeModeObject::size), .changed = qz::modes::ownSettingChanged,
     .answersZero = true},
    // Kept for the panel's box; the output does not depend on it.
    {.setter = kQzSpherizeSetUseColour, .getter = kQzSpherizeGetUseColour, .minimum = 0, .maximum = 1,
     .initial = 0, .field = qz::kit::field(&Qz_SpherizeModeObject::useColour), .answersZero = true},
    {.setter = kQzSpherizeSetHorizontal, .getter = kQzSpherizeGetHorizontal, .minimum = 0, .maximum = 1,
     .initial = 0, .field = qz::kit::field(&Qz_SpherizeModeObject::horizontal),
     .changed = qz::modes::ownSettingChanged, .answersZero = true},
    {.setter = kQzSpherizeSetVertical, .getter = kQzSpherizeGetVertical, .minimum = 0, .maximum = 1,
     .initial = 0, .field = qz::kit::field(&Qz_SpherizeModeObject::vertical),
     .changed = qz::modes::ownSettingChanged, .answersZero = true},
    {.setter = kQzSpherizeSetAspect, .getter = kQzSpherizeGetAspect, .minimum = -99, .maximum = 99,
     .initial = 0, .field = qz::kit::field(&Qz_SpherizeModeObject::aspect),
     .changed = qz::modes::ownSettingChanged},
};

// Catalogue texts: centre X, centre Y, size, the centre button.
constexpr uint32_t kCentreXText = 99, kCentreYText = 100, kSizeText = 88, kCentreText = 205;

constexpr qz::modes::PanelRow kPanelRows[] = {
    qz::modes::number(kCentreXText, kQzSpherizeSetCentreX),
    qz::modes::number(kCentreYText, kQzSpherizeSetCentreY),
    qz::modes::button(kCentreText, kQzSpherizeCentre),
    qz::modes::slider(kSizeText, kQzSpherizeSetSize, 1, 200, 50, "%ld%%"),
    qz::modes::slider("Aspect ratio", kQzSpherizeSetAspect, -99, 99, 0, "%ld%%"),
    qz::modes::checkBox("Use colour", kQzSpherizeSetUseColour),
    qz::modes::checkBox("Apply horizontally", kQzSpherizeSetHorizontal),
    qz::modes::checkBox("Apply vertically", kQzSpherizeSetVertical)};
constexpr qz::modes::PanelSpec kPanel{"Spherize", kPanelRows};

Qz_SphereRows Qz__BuildRows(const Qz_SphereKey& key) {
  const int32_t r = key.radius;
  const double fx = key.aspect > 0 ? 1.0 - key.aspect * 0.01 : 1.0;
  const double fy = key.aspect < 0 ? 1.0 - std::abs(key.aspect * 0.01) : 1.0;
  Qz_SphereRows t;
  t.k = 1.0 / ((std::numbers::pi / 2) / r);
  t.fxArea = std::floor(double(r) * r * fx);
  t.fyArea = std::floor(double(r) * r * fy);
  t.rowOffset.resize(size_t(r) + 1);
  t.chord.resize(size_t(r) + 1);
  for (int32_t ady = 0; ady <= r; ++ady) {
    const double u = std::min(1.0, double(ady) / r);
    // A hair of slack so the centre and the rim map exactly onto themselves.
    t.rowOffset[size_t(ady)] = int32_t(std::floor(std::asin(u) * t.k + 1e-9));
    t.chord[size_t(ady)] = r * std::sqrt(std::max(0.0, 1.0 - u * u));
  }
  return t;
}

int32_t Qz__Sign(int32_t v) { return (v > 0) - (v < 0); }

QzWord Qz__Render(Qz_SpherizeModeObject* self, const Qz_ModeRenderMessage* message) {
  const Qz_ImageLock* block = message ? message->block : nullptr;
  if (!block || !block->image || block->x0 > block->x1 || block->y0 > block->y1) return 1;
  const int32_t depth = block->image->depth;
  if (depth != 24 && depth != 8) return 1;
  qz::modes::SharedBelow below(message);
  if (!below.ok()) return 1;
  const qz::modes::SourceView& v = below.view();
  const int32_t w = v.width, h = v.height;
  const bool fh = qz::modes::loadSetting(self->horizontal) != 0;
  const bool fv = qz::modes::loadSetting(self->vertical) != 0;
  const int32_t size = std::clamp(qz::modes::loadSetting(self->size), 1, 200);
  const int32_t radius = int32_t(size * 0.01 * std::max(w, h));
  const int32_t cx = std::clamp(self->centre.x.load(std::memory_order_relaxed), 0, std::max(w - 1, 0));
  const int32_t cy = std::clamp(self->centre.y.load(std::memory_order_relaxed), 0, std::max(h - 1, 0));
  std::shared_ptr<const Qz_SphereRows> rows;
  if (radius > 0 && (fh || fv)) {
    const Qz_SphereKey key{radius, std::clamp(qz::modes::loadSetting(self->aspect), -99, 99), fh, fv};
    rows = self->rows.get(key, [&] { return Qz__BuildRows(key); });
    if (!rows) return 0;  // no memory
  }
  const int channels = depth == 24 ? 3 : 1;
  for (int32_t y = block->y0; y <= block->y1; ++y) {
    const int32_t out = y - block->y0;
    uint8_t* const dst[3] = {depth == 24 ? message->r[out] : message->grey[out],
                             depth == 24 ? message->g[out] : nullptr, depth == 24 ? message->b[out] : nullptr};
    const int32_t dy = cy - y;
    const int32_t ady = fv ? std::abs(dy) : 0;
    for (int32_t x = block->x0; x <= block->x1; ++x) {
      int32_t sx = x, sy = y;
      if (rows && ady <= radius) {
        const int32_t dx = x - cx;
        const int32_t adx = fh ? std::abs(dx) : 0;
        const double q = double(adx) * adx / rows->fxArea + double(ady) * ady / rows->fyArea;
        if (q <= 1) {  // inside the outline (false for a not-a-number)
          if (fv) sy = cy - Qz__Sign(dy) * rows->rowOffset[size_t(ady)];
          if (fh && adx > 0) {
            const double a = std::min(1.0, adx / rows->chord[size_t(ady)]);
            sx = cx + Qz__Sign(dx) * int32_t(std::floor(radius - std::acos(a) * rows->k + 1e-9));
          }
          sx = v.clampX(sx);
          sy = v.clampY(sy);
        }
      }
      for (int c = 0; c < channels; ++c) dst[c][x - block->x0] = v.at(depth == 24 ? c : 3, sx, sy);
    }
  }
  return 1;
}

QzWord Qz__SpherizeDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  Qz_SpherizeModeObject* self = Qz__Self(object);
  switch (id) {
    case kQzModeRender: return Qz__Render(self, qz::modes::renderMessage(args));
    case kQzSpherizeSetCentreX:
      qz::modes::setWarpCentre(object, self->centre, 0, int32_t(args[0]), kQzSpherizeSetCentreX);
      return 0;
    case kQzSpherizeSetCentreY:
      qz::modes::setWarpCentre(object, self->centre, 1, int32_t(args[0]), kQzSpherizeSetCentreY);
      return 0;
    default: {
      constexpr qz::modes::WarpCentreMessages kCentreMessages{kQzSpherizeSetCentreX, kQzSpherizeSetCentreY,
                                                             kQzSpherizeGetCentreX, kQzSpherizeGetCentreY,
                                                             kQzSpherizeCentre};
      if (auto answer = qz::modes::answerWarpCentre(object, self->centre, kCentreMessages, id, args)) return *answer;
      return qz::kit::inherited(object, id, args);
    }
  }
}

const qz::kit::ClassDecl kSpherizeMode = {
    .name = "SpherizeMode", .superName = "RootMode", .classId = kQzSpherizeModeClassId,
    .instance = qz::kit::instanceOf<Qz_SpherizeModeObject>(), .handler = Qz__SpherizeDispatch,
    .attributes = kSettings, .setUp = qz::modes::panelSetUp<kPanel>};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitSpherizeModeClass(Qz_GlobalData*) { return qz::kit::addClass(kSpherizeMode); }
QZ_EXPORT void Qz_CleanupSpherizeModeClass(void) { qz::kit::removeClass(kSpherizeMode); }
QZ_EXTERN_C_END
