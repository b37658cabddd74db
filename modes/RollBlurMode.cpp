// RollBlurMode: blurs along circles round a centre, as if the picture were
// spun by a small angle: each pixel becomes the mean of samples on its own
// circle within an arc of that angle. It reads precomputed ring tables
// (shared, rebuilt only when the centre or the picture's size changes), or
// with the direct box evaluates each pixel's circle with trigonometry.
#include <atomic>
#include <cmath>

#include "image/qz_image.h"
#include "modes/mode_fetch.h"
#include "modes/mode_kit.h"
#include "modes/mode_panel.h"
#include "modes/mode_settings.h"
#include "modes/roll_rings.h"
#include "modes/shared_below.h"
#include "modes/shared_table.h"

namespace {

constexpr uint32_t kRollBlurModeClassId = 2648;
constexpr uint32_t kSetAngle = 2698, kGetAngle = 2708, kSetQuality = 2718, kGetQuality = 2728;
constexpr uint32_t kSetX = 2738, kGetX = 2748, kSetY = 2758, kGetY = 2768, kCentre = 2778;
constexpr uint32_t kSetDirect = 2808, kGetDirect = 2818;

using Rings = std::shared_ptr<const qz::modes::RollRings>;

struct Qz_RollBlurModeObject {
  Qz_Object header;
  int16_t angle = 10, quality = 100, direct = 0, centreX = 0, centreY = 0;
  std::atomic<bool> placed{false};  // a centre was set, not taken from the layer
  qz::modes::SharedTable<qz::modes::RollKey, Rings> tables;
};
using Self = Qz_RollBlurModeObject;

const qz::kit::Attribute kSettings[] = {
    {.setter = kSetAngle, .getter = kGetAngle, .minimum = 0, .maximum = 100, .initial = 10,
     .field = qz::kit::field(&Self::angle), .changed = qz::modes::ownSettingChanged, .answersZero = true},
    {.setter = kSetQuality, .getter = kGetQuality, .minimum = 1, .maximum = 100, .initial = 100,
     .field = qz::kit::field(&Self::quality), .changed = qz::modes::ownSettingChanged, .answersZero = true},
    {.setter = kSetX, .getter = kGetX, .minimum = INT16_MIN, .maximum = INT16_MAX,
     .field = qz::kit::field(&Self::centreX), .changed = qz::modes::ownSettingChanged},
    {.setter = kSetY, .getter = kGetY, .minimum = INT16_MIN, .maximum = INT16_MAX,
     .field = qz::kit::field(&Self::centreY), .changed = qz::modes::ownSettingChanged},
    {.setter = kSetDirect, .getter = kGetDirect, .minimum = 0, .maximum = 1,
     .field = qz::kit::field(&Self::direct), .changed = qz::modes::ownSettingChanged},
};

constexpr qz::modes::PanelRow kPanelRows[] = {
    qz::modes::number(99, kSetX),
    qz::modes::number(100, kSetY),
    qz::modes::button(205, kCentre),
    qz::modes::slider(88, kSetAngle, 0, 100, 10, "%ld"),
    qz::modes::slider(97, kSetQuality, 1, 100, 100, "%ld"),
    qz::modes::checkBox(157, kSetDirect)};
constexpr qz::modes::PanelSpec kPanel{"RollBlur", kPanelRows};

// What a render reads once.
struct RollSettings {
  int32_t cx, cy;
  double half, q;  // half the quantised arc (radians); how far the step grows as quality falls
};

// The samples either side: the arc's two ends, then every step'th one inside.
int32_t Qz__Step(int32_t h, double q) { return std::clamp(int32_t(std::floor((h - 1) * q + 1.0)), 1, h); }

// Adds the three (or one) channels of the picture below at (x, y), when inside.
struct Sum {
  uint32_t v[3] = {0, 0, 0};
  uint32_t count = 0;
};

void Qz__Add(Sum& s, const qz::modes::SourceView& view, int channels, int firstChannel, int64_t x, int64_t y) {
  if (x < 0 || y < 0 || x >= view.width || y >= view.height) return;
  for (int c = 0; c < channels; ++c) s.v[c] += view.at(firstChannel + c, int32_t(x), int32_t(y));
  ++s.count;
}

// The pixel's samples from its ring.
void Qz__TableSamples(Sum& s, const qz::modes::RollRings& t, const RollSettings& st,
                      const qz::modes::SourceView& view, int channels, int first, int32_t x, int32_t y) {
  const size_t at = size_t(y) * size_t(view.width) + size_t(x);
  const uint16_t entry = t.ring[at];
  if (entry == 0) return;
  const int32_t r = t.radius(entry);
  const int32_t h = int32_t(std::floor(r * st.half));
  if (h < 1) return;
  const int64_t n = t.count(r), i = t.index[at];
  auto add = [&](int64_t offset) {
    const int64_t k = ((i + offset) % n + n) % n;
    const qz::modes::RollPoint p = t.point(r, uint32_t(k));
    Qz__Add(s, view, channels, first, int64_t(st.cx) + p.x, int64_t(st.cy) + p.y);
  };
  add(-h);
  add(h);
  const int32_t step = Qz__Step(h, st.q);
  for (int32_t k = 1; int64_t(k) * step < h; ++k) add(-int64_t(k) * step), add(int64_t(k) * step);
}

// The same from the circle itself.
void Qz__DirectSamples(Sum& s, const RollSettings& st, const qz::modes::SourceView& view, int channels,
                       int first, int32_t x, int32_t y) {
  const double dx = double(x) - st.cx, dy = double(st.cy) - y;
  const double rho = std::sqrt(dx * dx + dy * dy);
  // As with the tables, whose rings begin at radius 3; also no angle at the centre itself.
  if (rho < 3) return;
  const int32_t h = int32_t(std::floor(rho * st.half));
  if (h < 1) return;
  const double theta = std::atan2(dy, dx);
  auto add = [&](double a) {
    Qz__Add(s, view, channels, first, int64_t(std::floor(st.cx + rho * std::cos(a))),
            int64_t(std::floor(st.cy - rho * std::sin(a))));
  };
  add(theta - st.half);
  add(theta + st.half);
  const int32_t step = Qz__Step(h, st.q);
  for (int32_t k = 1; int64_t(k) * step < h; ++k) {
    const double a = double(k) * step * st.half / h;
    add(theta - a), add(theta + a);
  }
}

QzWord Qz__RenderRollBlur(Self* self, const Qz_ModeRenderMessage* message) {
  const Qz_ImageLock* block = message ? message->block : nullptr;
  if (!block || !block->image || block->x0 > block->x1 || block->y0 > block->y1) return 1;
  const qz::modes::ModeSize size = qz::modes::modeSize(block);
  if (size.depth != 8 && size.depth != 24) return 1;
  const int32_t angle = qz::modes::loadSetting(self->angle), quality = qz::modes::loadSetting(self->quality);
  const bool direct = qz::modes::loadSetting(self->direct) != 0;
  const qz::modes::RollKey key{qz::modes::loadSetting(self->centreX), qz::modes::loadSetting(self->centreY),
                               size.width, size.height};
  qz::modes::SharedBelow below(message);
  if (!below.ok()) return 0;
  const qz::modes::SourceView& view = below.view();
  // The arc quantised to whole pixels on the outermost ring.
  const int32_t outer = std::max(qz::modes::rollOuterRadius(key), 1);
  const double arc = angle * 0.017453292519943295;
  const RollSettings st{key.centreX, key.centreY, std::floor(arc * outer) / outer * 0.5,
                        (100 - quality) * 0.010101010101010102};
  std::shared_ptr<const Rings> tables;
  if (!direct) {
    tables = self->tables.get(key, [&] { return qz::modes::buildRollRings(key); });
    if (!tables) return 0;
  }
  const qz::modes::RollRings* rings = tables ? tables->get() : nullptr;
  const int channels = size.depth == 24 ? 3 : 1, first = size.depth == 24 ? 0 : 3;
  uint8_t* const* outputs[4] = {message->r, message->g, message->b, message->grey};
  for (int32_t y = block->y0; y <= block->y1; ++y)
    for (int32_t x = block->x0; x <= block->x1; ++x) {
      Sum s;
      Qz__Add(s, view, channels, first, x, y);
      if (rings) Qz__TableSamples(s, *rings, st, view, channels, first, x, y);
      else Qz__DirectSamples(s, st, view, channels, first, x, y);
      for (int c = 0; c < channels; ++c)
        outputs[first + c][y - block->y0][x - block->x0] = uint8_t(s.v[c] / std::max<uint32_t>(s.count, 1));
    }
  return 1;
}

// The layer's middle as the centre (not a placed one: a later layer moves it).
QzWord Qz__CentreOnLayer(Qz_Object* object, const Qz_Image* layer) {
  if (!layer) return 0;
  const QzWord x[1] = {QzWord(layer->width / 2)}, y[1] = {QzWord(layer->height / 2)};
  qz::kit::inherited(object, kSetX, x);
  qz::kit::inherited(object, kSetY, y);
  return 1;
}

QzWord Qz__RollBlurDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  Self* self = qz::kit::self<Self>(object);
  switch (id) {
    case kQzModeRender: return Qz__RenderRollBlur(self, qz::modes::renderMessage(args));
    case kQzModeSetImage: {
      const QzWord answer = qz::kit::inherited(object, id, args);
      if (!self->placed.load()) Qz__CentreOnLayer(object, reinterpret_cast<const Qz_Image*>(args[0]));
      return answer;
    }
    case kCentre:
      return Qz__CentreOnLayer(object, reinterpret_cast<const Qz_Image*>(Qz_DoMethod(object, kQzModeGetImage)));
    case kSetX:
    case kSetY: self->placed.store(true); [[fallthrough]];
    default: return qz::kit::inherited(object, id, args);
  }
}

const qz::kit::ClassDecl kRollBlurMode = {
    .name = "RollBlurMode", .superName = "RootMode", .classId = kRollBlurModeClassId,
    .instance = qz::kit::instanceOf<Self>(), .handler = Qz__RollBlurDispatch, .attributes = kSettings,
    .setUp = qz::modes::panelSetUp<kPanel>};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitRollBlurModeClass(Qz_GlobalData*) { return qz::kit::addClass(kRollBlurMode); }
QZ_EXPORT void Qz_CleanupRollBlurModeClass(void) { qz::kit::removeClass(kRollBlurMode); }
QZ_EXTERN_C_END
