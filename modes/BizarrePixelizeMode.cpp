// BizarrePixelizeMode: the image below the layer as streaked blocks. Each
// pixel is the mean of samples along the line from it away from a centre,
// stepped in 16-bit fixed point from scaled distances whose products wrap:
// the wrap is the effect (it breaks the streaks into bands and blocks), so
// every such step is an explicit int16 conversion. An amount below 1 is a
// short zoom blur toward the centre instead.
#include <algorithm>
#include <cstdint>

#include "modes/mode_fetch.h"
#include "modes/mode_kit.h"
#include "modes/mode_panel.h"
#include "modes/mode_settings.h"
#include "modes/shared_below.h"
#include "modes/warp_centre.h"

namespace {

constexpr uint32_t kBizarrePixelizeModeClassId = 0x808;
constexpr uint32_t kSetAmount = 2086, kGetAmount = 2096;
constexpr uint32_t kSetQuality = 2126, kGetQuality = 2136;  // percent
constexpr uint32_t kSetCentreX = 2146, kGetCentreX = 2156;
constexpr uint32_t kSetCentreY = 2166, kGetCentreY = 2176;
constexpr uint32_t kCentre = 2186;  // the centre to the layer's middle
constexpr qz::modes::WarpCentreMessages kCentreMessages{kSetCentreX, kSetCentreY, kGetCentreX, kGetCentreY,
                                                       kCentre};
constexpr uint32_t kSetXScale = 2196, kGetXScale = 2206;  // percent
constexpr uint32_t kSetYScale = 2216, kGetYScale = 2226;
// The zoom pass takes 1 - amount samples: at most 1024, and never none.
constexpr int32_t kLeastAmount = -1023;

struct Qz_BizarrePixelizeModeObject {
  Qz_Object header;
  qz::modes::WarpCentre centre;
  int16_t amount = 1, quality = 7, xScale = 85, yScale = 85;
};

Qz_BizarrePixelizeModeObject* Qz__Self(Qz_Object* object) {
  return qz::kit::self<Qz_BizarrePixelizeModeObject>(object);
}

const qz::kit::Attribute kSettings[] = {
    {.setter = kSetAmount, .getter = kGetAmount, .minimum = kLeastAmount, .maximum = INT16_MAX, .initial = 1,
     .field = qz::kit::field(&Qz_BizarrePixelizeModeObject::amount), .changed = qz::modes::ownSettingChanged},
    {.setter = kSetQuality, .getter = kGetQuality, .minimum = 1, .maximum = INT16_MAX, .initial = 7,
     .field = qz::kit::field(&Qz_BizarrePixelizeModeObject::quality), .changed = qz::modes::ownSettingChanged},
    {.setter = kSetXScale, .getter = kGetXScale, .initial = 85,
     .field = qz::kit::field(&Qz_BizarrePixelizeModeObject::xScale), .changed = qz::modes::ownSettingChanged},
    {.setter = kSetYScale, .getter = kGetYScale, .initial = 85,
     .field = qz::kit::field(&Qz_BizarrePixelizeModeObject::yScale), .changed = qz::modes::ownSettingChanged},
};

constexpr qz::modes::PanelRow kPanelRows[] = {
    qz::modes::number(99, kSetCentreX),
    qz::modes::number(100, kSetCentreY),
    qz::modes::button(205, kCentre),
    qz::modes::slider(115, kSetAmount, 1, 100, 1, "%ld"),
    qz::modes::slider(9, kSetXScale, 1, 100, 85, "%ld%%"),
    qz::modes::slider(10, kSetYScale, 1, 100, 85, "%ld%%"),
    qz::modes::slider(97, kSetQuality, 1, 100, 7, "%ld%%")};
constexpr qz::modes::PanelSpec kPanel{"BizarrePixelize", kPanelRows};

struct Settings {
  int32_t amount, quality, xScale, yScale, cx, cy;
};

// One channel of the block. `plane` is the source's channel, `out` its rows.
void Qz__Pass(const Settings& s, const qz::modes::SourceView& v, int plane, uint8_t* const* out,
              const Qz_ImageLock* block) {
  const int32_t w = v.width, h = v.height;
  auto sample = [&](int32_t px, int32_t py) {
    return uint32_t(v.at(plane, std::clamp(px, 0, w - 1), std::clamp(py, 0, h - 1)));
  };
  if (s.amount >= 1) {
    const int32_t mx = (100 - s.xScale) * 100, my = (100 - s.yScale) * 100;
    int16_t step = int16_t(100 / s.quality);
    if (s.amount < step) step = int16_t(s.amount);
    if (step < 2) step = 1;
    const uint32_t norm = uint32_t(32768 / (s.amount / step + 1)) & 0xFFFF;
    for (int32_t y = block->y0; y <= block->y1; ++y) {
      const int16_t vy = int16_t(int64_t(s.cy - y) * my);
      uint8_t* row = out[y - block->y0];
      for (int32_t x = block->x0; x <= block->x1; ++x) {
        const int16_t vx = int16_t(int64_t(s.cx - x) * mx);
        uint32_t sum = 0;
        for (int16_t k = int16_t(s.amount + 1); k > 0; k = int16_t(k - step))
          sum += sample(int16_t(x + ((k * vx) >> 10)), int16_t(y + ((k * vy) >> 10)));
        row[x - block->x0] = uint8_t((norm * sum) >> 15);
      }
    }
    return;
  }
  const int16_t count = int16_t(1 - s.amount);
  const int32_t kx = 10 / w, ky = 10 / h;
  for (int32_t y = block->y0; y <= block->y1; ++y) {
    const int16_t uy = int16_t((s.cy - y) * (1 << ky));
    uint8_t* row = out[y - block->y0];
    for (int32_t x = block->x0; x <= block->x1; ++x) {
      const int16_t ux = int16_t((s.cx - x) * (1 << kx));
      uint32_t sum = 0;
      for (int32_t j = count - 1; j >= 0; --j)
        sum += sample(int16_t(x - ((j * ux) >> 10)), int16_t(y - ((j * uy) >> 10)));
      row[x - block->x0] = uint8_t(sum / uint32_t(count));
    }
  }
}

QzWord Qz__Render(Qz_BizarrePixelizeModeObject* self, const Qz_ModeRenderMessage* message) {
  const Qz_ImageLock* block = message ? message->block : nullptr;
  if (!block || !block->image || block->x0 > block->x1 || block->y0 > block->y1) return 1;
  const int32_t depth = block->image->depth;
  if (depth != 24 && depth != 8) return 1;
  // Read once, and clamped again: a field may be written past its setter.
  const Settings s{std::max<int32_t>(qz::modes::loadSetting(self->amount), kLeastAmount),
                   std::max<int32_t>(qz::modes::loadSetting(self->quality), 1),
                   qz::modes::loadSetting(self->xScale),
                   qz::modes::loadSetting(self->yScale),
                   self->centre.x.load(std::memory_order_relaxed),
                   self->centre.y.load(std::memory_order_relaxed)};
  qz::modes::SharedBelow below(message);
  if (!below.ok()) return 1;
  if (depth == 8) {
    Qz__Pass(s, below.view(), 3, message->grey, block);
    return 1;
  }
  uint8_t* const* const outputs[3] = {message->r, message->g, message->b};
  for (int c = 0; c < 3; ++c) Qz__Pass(s, below.view(), c, outputs[c], block);
  return 1;
}

QzWord Qz__BizarrePixelizeDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  Qz_BizarrePixelizeModeObject* self = Qz__Self(object);
  switch (id) {
    case kQzModeRender: return Qz__Render(self, qz::modes::renderMessage(args));
    case kSetCentreX:
    case kSetCentreY: {
      const int16_t value = int16_t(args[0]);
      const bool x = id == kSetCentreX;
      qz::modes::setWarpCentre(object, self->centre, x ? 0 : 1, value, id, false);
      return QzWord(uint32_t(int32_t(value)));
    }
    default:
      if (auto answer = qz::modes::answerWarpCentre(object, self->centre, kCentreMessages, id, args)) return *answer;
      return qz::kit::inherited(object, id, args);
  }
}

const qz::kit::ClassDecl kBizarrePixelizeMode = {
    .name = "BizarrePixelizeMode", .superName = "RootMode", .classId = kBizarrePixelizeModeClassId,
    .instance = qz::kit::instanceOf<Qz_BizarrePixelizeModeObject>(), .handler = Qz__BizarrePixelizeDispatch,
    .attributes = kSettings, .setUp = qz::modes::panelSetUp<kPanel>};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitBizarrePixelizeModeClass(Qz_GlobalData*) { return qz::kit::addClass(kBizarrePixelizeMode); }
QZ_EXPORT void Qz_CleanupBizarrePixelizeModeClass(void) { qz::kit::removeClass(kBizarrePixelizeMode); }
QZ_EXTERN_C_END
