// The directional blurs' sample sets, their render and their class shape.
#include "modes/blur_directional.h"

#include <algorithm>
#include <cstdlib>

#include "modes/blur_kernels.h"
#include "modes/mode_fetch.h"
#include "modes/mode_kit.h"
#include "modes/mode_settings.h"

namespace qz::modes {

Reach tapReach(std::span<const Tap> taps) {
  Reach reach;
  for (const Tap& t : taps) reach.x = std::max(reach.x, std::abs(t.dx)), reach.y = std::max(reach.y, std::abs(t.dy));
  return reach;
}

QzWord renderTaps(const Qz_ModeRenderMessage* message, std::span<const Tap> taps, TapMean mean, uint32_t divisor) {
  const Qz_ImageLock* block = message ? message->block : nullptr;
  if (!block || !block->image || block->y0 > block->y1 || block->x0 > block->x1 || taps.empty()) return 1;
  const ModeSize size = modeSize(block);
  if (size.depth != 8 && size.depth != 24) return 1;
  // Every sample lies inside what is fetched: the reach is the taps' own.
  const Reach reach = tapReach(taps);
  SpareFetch below(message, {block->x0 - reach.x, block->y0 - reach.y, block->x1 + reach.x, block->y1 + reach.y});
  if (!below.ok()) return 0;
  const SourceView& view = below.view();
  const int32_t x0 = block->x0, n = block->x1 - x0 + 1, width = size.width;
  const uint32_t d = std::max<uint32_t>(divisor, 1), reciprocal = 32768 / d;
  const ExactDivisor divide(d);
  std::vector<uint32_t> acc(static_cast<size_t>(n));
  uint8_t** const outputs[4] = {message->r, message->g, message->b, message->grey};
  const int channels = size.depth == 24 ? 3 : 1;
  for (int c = 0; c < channels; ++c) {
    const int channel = size.depth == 24 ? c : 3;
    for (int32_t y = block->y0; y <= block->y1; ++y) {
      std::fill(acc.begin(), acc.end(), 0u);
      // One tap at a time over the whole run; only the ends clamp.
      for (const Tap& t : taps) {
        const SourceRow row = view.row(channel, y + t.dy);
        const int32_t lo = x0 + t.dx;
        const int32_t first = std::clamp(-lo, 0, n), end = std::clamp(width - lo, first, n);
        if (first > 0) {
          const uint32_t left = row[0];
          for (int32_t i = 0; i < first; ++i) acc[size_t(i)] += left;
        }
        if (end > first) {
          const uint8_t* in = row.from(lo + first, end - first) - first;
          for (int32_t i = first; i < end; ++i) acc[size_t(i)] += in[i];
        }
        if (end < n) {
          const uint32_t right = row[width - 1];
          for (int32_t i = end; i < n; ++i) acc[size_t(i)] += right;
        }
      }
      uint8_t* out = outputs[channel][y - block->y0];
      if (mean == TapMean::Reciprocal15)
        for (int32_t i = 0; i < n; ++i) out[i] = uint8_t(std::min<uint64_t>((uint64_t(acc[size_t(i)]) * reciprocal) >> 15, 255));
      else
        for (int32_t i = 0; i < n; ++i) out[i] = uint8_t(std::min<uint32_t>(divide(acc[size_t(i)]), 255));
    }
  }
  return 1;
}

}  // namespace qz::modes

namespace qz::modes {

std::vector<Tap> motionTaps(int32_t length, Direction d) {
  std::vector<Tap> taps{{0, 0}};
  for (int32_t k = length; k >= 0; --k) taps.push_back({d.stepX(k), d.stepY(k)});
  return taps;
}

std::vector<Tap> panTaps(int32_t length, Direction d) {
  std::vector<Tap> taps{{0, 0}};
  for (int32_t k = length; k >= 0; --k) {
    taps.push_back({-d.stepX(k), -d.stepY(k)});
    taps.push_back({d.stepX(k), d.stepY(k)});
  }
  return taps;
}

ArmSteps armSteps(int32_t length, int32_t percent, int32_t arms) {
  ArmSteps a;
  if (length < 1) return a;
  a.step = 100 / std::max(percent, 1);
  if (a.step >= length) a.step = length;
  if (a.step < 2) a.step = 1;
  a.n = (length + a.step - 1) / a.step;
  a.count = 1 + arms * a.n;
  if (a.step * a.count / arms > length) a = {length, 1, 1 + arms};
  return a;
}

namespace {

// Four samples at (dx, dy) from the pixel, both ways and at right angles.
void Qz__AddCross(std::vector<Tap>& taps, int32_t dx, int32_t dy) {
  taps.push_back({-dx, -dy});
  taps.push_back({dx, dy});
  taps.push_back({dy, -dx});
  taps.push_back({-dy, dx});
}

// The offsets of n steps along d: accumulated in 1/256 columns, so they
// drift from k times the first step.
std::vector<Tap> Qz__ArmTaps(const ArmSteps& a, std::span<const Direction> directions) {
  std::vector<Tap> taps{{0, 0}};
  int32_t acc[2][2] = {};
  for (int32_t k = 0; k < a.n; ++k)
    for (size_t i = 0; i < directions.size(); ++i) {
      acc[i][0] += (int32_t(directions[i].dx) * a.step) >> 2;
      acc[i][1] += (int32_t(directions[i].dy) * a.step) >> 2;
      Qz__AddCross(taps, acc[i][0] >> 8, acc[i][1] >> 8);
    }
  return taps;
}

}  // namespace

std::vector<Tap> crossTaps(int32_t length, int32_t percent, Direction d) {
  const Direction one[] = {d};
  return Qz__ArmTaps(armSteps(length, percent, 4), one);
}

std::vector<Tap> starTaps(int32_t length, int32_t percent, Direction d, Direction second) {
  const Direction both[] = {d, second};
  return Qz__ArmTaps(armSteps(length, percent, 8), both);
}

}  // namespace qz::modes

namespace qz::modes {
namespace {

struct Qz_DirectionalBlurObject {
  Qz_Object header;
  int16_t length = 0, angle = 0, percent = 0;
};
using DirectionalObject = Qz_DirectionalBlurObject;

// The defaults come from each class's description, set once it is made.
const qz::kit::Attribute kRows[] = {
    {.setter = kQzDirectionalSetLength, .getter = kQzDirectionalGetLength, .minimum = 1, .maximum = 255,
     .initial = 1, .field = qz::kit::field(&DirectionalObject::length), .changed = ownSettingChanged,
     .answersZero = true},
    {.setter = kQzDirectionalSetAngle, .getter = kQzDirectionalGetAngle,
     .field = qz::kit::field(&DirectionalObject::angle), .changed = ownSettingChanged, .answersZero = true},
    {.setter = kQzDirectionalSetPercent, .getter = kQzDirectionalGetPercent, .minimum = 1, .maximum = 100,
     .initial = 1, .field = qz::kit::field(&DirectionalObject::percent), .changed = ownSettingChanged},
};

const DirectionalBlur* Qz__BlurOf(Qz_Object* object) {
  const qz::kit::ClassDecl* decl = qz::kit::declOf(object);
  return decl ? static_cast<const DirectionalBlur*>(decl->family) : nullptr;
}

QzWord Qz__DirectionalHandler(Qz_Object* object, uint32_t id, const QzWord* args) {
  const DirectionalBlur* blur = id == kQzModeRender ? Qz__BlurOf(object) : nullptr;
  if (!blur) return qz::kit::inherited(object, id, args);
  const DirectionalObject* self = qz::kit::self<DirectionalObject>(object);
  // Read once; the rows keep them in range.
  const DirectionalSettings s{loadSetting(self->length), loadSetting(self->angle), loadSetting(self->percent)};
  return blur->render(renderMessage(args), s);
}

bool Qz__SetDefaults(Qz_Object* object) {
  const DirectionalBlur* blur = Qz__BlurOf(object);
  if (!blur) return false;
  Qz_DoMethod(object, kQzDirectionalSetLength, uint32_t(blur->length));
  Qz_DoMethod(object, kQzDirectionalSetAngle, uint32_t(int32_t(blur->angle)));
  if (blur->percent) Qz_DoMethod(object, kQzDirectionalSetPercent, uint32_t(blur->percent));
  if (blur->panel) buildPanel(object, *blur->panel);
  return true;
}

}  // namespace

qz::kit::ClassDecl directionalBlurClass(const DirectionalBlur& blur) {
  return {.name = blur.name, .superName = "RootMode", .classId = kQzDirectionalBlurClassId,
          .instance = qz::kit::instanceOf<DirectionalObject>(), .handler = Qz__DirectionalHandler,
          .attributes = std::span<const qz::kit::Attribute>(kRows).first(blur.percent ? 3 : 2),
          .setUp = Qz__SetDefaults, .family = &blur};
}

}  // namespace qz::modes
