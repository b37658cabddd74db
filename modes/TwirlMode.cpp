// TwirlMode: the image below the layer turned about a focus inside a
// circle, by the full angle at the focus and by nothing at the radius;
// pixels outside the circle, or whose turned point leaves the image, show
// themselves. Low quality turns in integers with a quarter-wave sine table
// and takes the nearest pixel; high quality turns in floating point and
// interpolates bilinearly.
#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

#include "image/image_internal.h"
#include "modes/mode_kit.h"
#include "modes/mode_panel.h"
#include "modes/mode_settings.h"
#include "modes/qz_root_mode.h"
#include "modes/qz_warp_modes.h"
#include "modes/shared_below.h"
#include "modes/warp_centre.h"

namespace {

struct Qz_TwirlModeObject {
  Qz_Object header;
  qz::modes::WarpCentre centre;
  int32_t radius = 200, angle = 360, high = 0;
};

Qz_TwirlModeObject* Qz__Self(Qz_Object* object) { return qz::kit::self<Qz_TwirlModeObject>(object); }

const qz::kit::Attribute kSettings[] = {
    {.setter = kQzTwirlSetRadius, .minimum = INT16_MIN, .maximum = INT16_MAX, .initial = 200,
     .field = qz::kit::field(&Qz_TwirlModeObject::radius), .changed = qz::modes::ownSettingChanged,
     .answersZero = true},
    {.setter = kQzTwirlSetAngle, .minimum = INT16_MIN, .maximum = INT16_MAX, .initial = 360,
     .field = qz::kit::field(&Qz_TwirlModeObject::angle), .changed = qz::modes::ownSettingChanged,
     .answersZero = true},
};

constexpr qz::modes::PanelRow kPanelRows[] = {
    qz::modes::column(),
    qz::modes::number("Focus X", kQzTwirlSetFocusX, 127),
    qz::modes::number("Focus Y", kQzTwirlSetFocusY, 127),
    qz::modes::button("Center", kQzTwirlCentre),
    qz::modes::end(),
    qz::modes::space(10),
    qz::modes::column(),
    qz::modes::slider("Radius", kQzTwirlSetRadius, -512, 512, 200, "%ld"),
    qz::modes::angle("Angle", kQzTwirlSetAngle, 360),
    qz::modes::space(5),
    qz::modes::text("Quality"),
    qz::modes::radioPair("Low", kQzTwirlChooseLow, "High", kQzTwirlChooseHigh, 0),
    qz::modes::end()};
constexpr qz::modes::PanelSpec kPanel{"Twirl", kPanelRows};

// A quarter wave in 257 steps, 256 standing for 1.0; 1024 steps to the turn.
constexpr int32_t kQuarter = 256, kTurn = 1024;
const std::array<uint16_t, kQuarter + 1>& Qz__SineTable() {
  static const std::array<uint16_t, kQuarter + 1> table = [] {
    std::array<uint16_t, kQuarter + 1> t{};
    for (int32_t i = 0; i <= kQuarter; ++i) t[size_t(i)] = uint16_t(256.0 * std::sin(i * std::numbers::pi / 512));
    return t;
  }();
  return table;
}

int32_t Qz__Wave(int32_t j) {
  const auto& t = Qz__SineTable();
  j &= kTurn - 1;
  if (j <= 256) return t[size_t(j)];
  if (j <= 512) return t[size_t(512 - j)];
  if (j <= 768) return -t[size_t(j - 512)];
  return -t[size_t(1024 - j)];
}

constexpr double kStepsPerDegree = 2.8444444444444446;  // 1024 / 360

// The low-quality source point; false: the pixel shows itself.
bool Qz__LowSource(int32_t dx, int32_t dy, int32_t radius, int32_t angle, int32_t cx, int32_t cy, int32_t w,
                   int32_t h, int32_t* sx, int32_t* sy) {
  const int64_t d = int64_t(std::sqrt(double(dx) * dx + double(dy) * dy));
  if (d >= radius) return false;
  const int32_t a = int32_t(angle - (int64_t(angle) * d) / radius);
  const int64_t c = Qz__Wave(kQuarter - int32_t(a * -kStepsPerDegree));
  const int64_t s = Qz__Wave(int32_t(a * kStepsPerDegree));
  const int64_t x = cx + ((dx * c + dy * s) >> 8), y = cy + ((dy * c - dx * s) >> 8);
  if (x < 0 || x > w - 1 || y < 0 || y > h - 1) return false;
  *sx = int32_t(x);
  *sy = int32_t(y);
  return true;
}

QzWord Qz__Render(Qz_TwirlModeObject* self, const Qz_ModeRenderMessage* message) {
  const Qz_ImageLock* block = message ? message->block : nullptr;
  if (!block || !block->image || block->x0 > block->x1 || block->y0 > block->y1) return 1;
  const int32_t depth = block->image->depth;
  if (depth != 24 && depth != 8) return 1;
  qz::modes::SharedBelow below(message);
  if (!below.ok()) return 1;
  const qz::modes::SourceView& v = below.view();
  const int32_t w = v.width, h = v.height;
  int32_t radius = qz::modes::loadSetting(self->radius), angle = qz::modes::loadSetting(self->angle);
  if (radius < 0) {
    radius = -radius;
    angle = -angle;
  }
  const bool high = qz::modes::loadSetting(self->high) != 0;
  const int32_t cx = self->centre.x.load(std::memory_order_relaxed);
  const int32_t cy = self->centre.y.load(std::memory_order_relaxed);
  const int channels = depth == 24 ? 3 : 1;
  for (int32_t y = block->y0; y <= block->y1; ++y) {
    const int32_t out = y - block->y0;
    uint8_t* const dst[3] = {depth == 24 ? message->r[out] : message->grey[out],
                             depth == 24 ? message->g[out] : nullptr, depth == 24 ? message->b[out] : nullptr};
    const int32_t dy = y - cy;
    for (int32_t x = block->x0; x <= block->x1; ++x) {
      const int32_t dx = x - cx;
      uint8_t* const at[3] = {dst[0] + (x - block->x0), dst[1] ? dst[1] + (x - block->x0) : nullptr,
                              dst[2] ? dst[2] + (x - block->x0) : nullptr};
      auto plane = [&](int c) { return depth == 24 ? c : 3; };
      if (!high) {
        int32_t sx = x, sy = y;
        if (radius > 0) Qz__LowSource(dx, dy, radius, angle, cx, cy, w, h, &sx, &sy);
        for (int c = 0; c < channels; ++c) *at[c] = v.at(plane(c), v.clampX(sx), v.clampY(sy));
        continue;
      }
      const double d = std::sqrt(double(dx) * dx + double(dy) * dy);
      double fx = x, fy = y;
      if (radius > 0 && d < radius) {
        const double theta = (angle - angle * d * (1.0 / radius)) * 0.017453292519943295;
        const double co = std::cos(theta), si = std::sin(theta);
        const double tx = cx + dx * co + dy * si, ty = cy + (dy * co - dx * si);
        // Written so a not-a-number falls back to the pixel itself.
        if (tx >= 0 && tx <= w - 1 && ty >= 0 && ty <= h - 1) {
          fx = tx;
          fy = ty;
        }
      }
      const int32_t x0 = int32_t(std::floor(fx)), x1 = int32_t(std::ceil(fx));
      const int32_t y0 = int32_t(std::floor(fy)), y1 = int32_t(std::ceil(fy));
      const double p = x1 - fx, q = y1 - fy;
      for (int c = 0; c < channels; ++c) {
        const int pl = plane(c);
        const double value = v.at(pl, v.clampX(x0), v.clampY(y0)) * p * q +
                             v.at(pl, v.clampX(x1), v.clampY(y0)) * (1 - p) * q +
                             v.at(pl, v.clampX(x0), v.clampY(y1)) * p * (1 - q) +
                             v.at(pl, v.clampX(x1), v.clampY(y1)) * (1 - p) * (1 - q);
        *at[c] = uint8_t(std::clamp(value, 0.0, 255.0));
      }
    }
  }
  return 1;
}

// Either box's choice sets the quality; the panel's pair keeps the other box clear.
QzWord Qz__Choose(Qz_TwirlModeObject* self, int32_t high) {
  std::atomic_ref<int32_t>(self->high).store(high, std::memory_order_relaxed);
  qz::modes::ownSettingChanged(&self->header);
  return 0;
}

QzWord Qz__TwirlDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  Qz_TwirlModeObject* self = Qz__Self(object);
  switch (id) {
    case kQzModeRender: return Qz__Render(self, qz::modes::renderMessage(args));
    case kQzTwirlSetFocusX:
      qz::modes::setWarpCentre(object, self->centre, 0, int16_t(args[0]), kQzTwirlSetFocusX, false);
      return 0;
    case kQzTwirlSetFocusY:
      qz::modes::setWarpCentre(object, self->centre, 1, int16_t(args[0]), kQzTwirlSetFocusY, false);
      return 0;
    case kQzTwirlChooseLow: return Qz__Choose(self, 0);
    case kQzTwirlChooseHigh: return Qz__Choose(self, 1);
    default: {
      // The focus has no getters.
      constexpr qz::modes::WarpCentreMessages kFocusMessages{kQzTwirlSetFocusX, kQzTwirlSetFocusY, 0, 0,
                                                            kQzTwirlCentre};
      if (auto answer = qz::modes::answerWarpCentre(object, self->centre, kFocusMessages, id, args)) return *answer;
      return qz::kit::inherited(object, id, args);
    }
  }
}

const qz::kit::ClassDecl kTwirlMode = {
    .name = "TwirlMode", .superName = "RootMode", .classId = kQzTwirlModeClassId,
    .instance = qz::kit::instanceOf<Qz_TwirlModeObject>(), .handler = Qz__TwirlDispatch,
    .attributes = kSettings, .setUp = qz::modes::panelSetUp<kPanel>};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitTwirlModeClass(Qz_GlobalData*) { return qz::kit::addClass(kTwirlMode); }
QZ_EXPORT void Qz_CleanupTwirlModeClass(void) { qz::kit::removeClass(kTwirlMode); }
// The quarter-wave sine table's entry i (0..256), for tests.
QZ_EXPORT int32_t Qz__TwirlSine(int32_t i) { return i >= 0 && i <= 256 ? Qz__SineTable()[size_t(i)] : 0; }
QZ_EXTERN_C_END
