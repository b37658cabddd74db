#include "modes/warp_strength.h"

#include <algorithm>
#include <cmath>

#include "image/image_internal.h"

#include "modes/mode_kit.h"
#include "modes/mode_settings.h"
#include "modes/qz_root_mode.h"
#include "modes/radial_zoom.h"
#include "modes/row_random.h"

namespace qz::modes {

namespace {

StrengthModeObject* Qz__Self(Qz_Object* object) { return qz::kit::self<StrengthModeObject>(object); }

const qz::kit::Attribute kAttributes[] = {
    {.setter = kQzSwirlSetStrength, .getter = kQzSwirlGetStrength, .minimum = -255, .maximum = 255,
     .initial = 30, .field = qz::kit::field(&StrengthModeObject::strength), .changed = ownSettingChanged},
    {.setter = kQzSwirlSetQuality, .getter = kQzSwirlGetQuality, .minimum = 1, .maximum = 100, .initial = 7,
     .field = qz::kit::field(&StrengthModeObject::quality), .changed = ownSettingChanged},
};

// A centre coordinate is a 16-bit setting: what the entry sends, as stored.
QzWord Qz__SetCentre(Qz_Object* object, int axis, QzWord value, uint32_t setter) {
  const int32_t stored = int16_t(value);
  setWarpCentre(object, Qz__Self(object)->centre, axis, stored, setter, false);
  return QzWord(uint32_t(stored));
}

}  // namespace

std::span<const qz::kit::Attribute> strengthAttributes() { return kAttributes; }

StrengthSettings readStrengthSettings(Qz_Object* mode) {
  StrengthModeObject* self = Qz__Self(mode);
  StrengthSettings s;
  s.strength = std::clamp(loadSetting(self->strength), -255, 255);
  s.quality = std::clamp(loadSetting(self->quality), 1, 100);
  s.centreX = self->centre.x.load(std::memory_order_relaxed);
  s.centreY = self->centre.y.load(std::memory_order_relaxed);
  return s;
}

QzWord strengthModeDispatch(Qz_Object* mode, uint32_t id, const QzWord* args, StrengthRender render) {
  StrengthModeObject* self = Qz__Self(mode);
  switch (id) {
    case kQzModeRender: return render(mode, renderMessage(args));
    case kQzSwirlSetCentreX: return Qz__SetCentre(mode, 0, args[0], id);
    case kQzSwirlSetCentreY: return Qz__SetCentre(mode, 1, args[0], id);
    default: {
      constexpr WarpCentreMessages kCentreMessages{kQzSwirlSetCentreX, kQzSwirlSetCentreY, kQzSwirlGetCentreX,
                                                   kQzSwirlGetCentreY, kQzSwirlCentre};
      if (auto answer = answerWarpCentre(mode, self->centre, kCentreMessages, id, args)) return *answer;
      return qz::kit::inherited(mode, id, args);
    }
  }
}

const Qz_ImageLock* strengthBlock(const Qz_ModeRenderMessage* message) {
  const Qz_ImageLock* block = message ? message->block : nullptr;
  if (!block || !block->image || block->x0 > block->x1 || block->y0 > block->y1) return nullptr;
  return block->image->depth == 24 || block->image->depth == 8 ? block : nullptr;
}

void zoomOutBlock(const Qz_ModeRenderMessage* message, const SourceView& below, int32_t length,
                  const StrengthSettings& s) {
  const Qz_ImageLock* block = message->block;
  const bool grey = block->image->depth == 8;
  uint8_t* const* outputs[4] = {message->r, message->g, message->b, message->grey};
  for (int c = grey ? 3 : 0; c < (grey ? 4 : 3); ++c)
    radialZoomChannel(outputs[c], below.table(c), block->x0, block->y0, block->x1, block->y1, below.width,
                      below.height, length, s.centreX, s.centreY, s.quality, false);
}

BurstRays burstRays(int32_t seed) {
  RowRandom random;
  random.seed(uint32_t(seed));
  BurstRays rays{};
  for (double& r : rays) {
    // In floating point: whole-number division would leave rays of 0 and 1 only.
    const double a = random.next() / 32767.0;
    const double b = random.next() / 32767.0;
    r = (a + b) / 2;
  }
  return rays;
}

uint8_t burstValue(const BurstRays& rays, int32_t dx, int32_t dy, int32_t n) {
  // At the centre the angle means nothing, and the glow there is far past white.
  if (dx == 0 && dy == 0) return 255;
  const double fx = dx, fy = dy;
  // Along the centre row 1 / dy is infinite and the arc tangent a right angle.
  const double a = (0.51 - std::atan(fx * (1 / fy)) * 0.3183098861837907) * 80.0;
  const double whole = std::floor(a);
  const double f = a - whole;
  const int32_t i = ((int32_t(whole) % 80) + 80) % 80;
  const double v = (1 - f) * rays[size_t(i)] + f * rays[size_t((i + 1) % 80)];
  const double g = 0.9 / (std::sqrt(fx * fx + fy * fy) / n + 0.001);
  return uint8_t(std::clamp(255.0 * (g + v * v), 0.0, 255.0));
}

}  // namespace qz::modes
