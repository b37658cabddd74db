// SpiralBlurMode: a sister of the radial blur whose trail curls round the
// centre: for an amount of 1 or more each pixel averages taps that move
// sideways by the row's height above or below the centre and up or down by
// its column's distance from it; below 1, a straight trail toward the
// centre over the amount's length. A complete class that the program does
// not register: nothing offers or makes it unless its init is called.
#include <algorithm>

#include "image/image_internal.h"
#include "modes/mode_panel.h"
#include "modes/radial_zoom.h"
#include "modes/shared_below.h"
#include "modes/warp_strength.h"

namespace {

constexpr int32_t kInitialAmount = 80;
constexpr qz::modes::PanelSpec kPanel{"SpiralBlur", qz::modes::kStrengthPanelRows<kInitialAmount>};

struct Qz_Pass {
  const qz::modes::SourceView& source;
  int channel;
  int32_t width, height, cx, cy;
  int32_t shiftX, shiftY;  // small images scale the directions up

  uint8_t at(int64_t x, int64_t y) const {
    return source.at(channel, int32_t(std::clamp<int64_t>(x, 0, width - 1)),
                     int32_t(std::clamp<int64_t>(y, 0, height - 1)));
  }
};

// The straight trail: length + 1 samples from (x, y) toward the centre,
// their plain mean. Length 0 is the pixel itself.
void Qz__StraightChannel(const Qz_Pass& p, uint8_t* out, int32_t x0, int32_t x1, int32_t y, int32_t length) {
  const int64_t vy = (int64_t(p.cy) - y) * (int64_t(1) << p.shiftY);
  for (int32_t x = x0; x <= x1; ++x) {
    const int64_t vx = (int64_t(p.cx) - x) * (int64_t(1) << p.shiftX);
    uint32_t sum = 0;
    for (int64_t k = length; k >= 0; --k) sum += p.at(x - ((k * vx) >> 10), y - ((k * vy) >> 10));
    out[x - x0] = uint8_t(sum / uint32_t(length + 1));
  }
}

// The spiral trail, in 8.8 fixed point: the taps of the zoom passes, the
// first on the pixel itself.
void Qz__SpiralChannel(const Qz_Pass& p, uint8_t* out, int32_t x0, int32_t x1, int32_t y,
                       const qz::modes::ZoomTaps& taps) {
  const int64_t h = p.cy == y ? (1024 / p.height) / 2 : (int64_t(p.cy) - y) * 1024 / p.height;
  const int64_t stepX = -((h * taps.step) >> 2);
  for (int32_t x = x0; x <= x1; ++x) {
    const int64_t vx = (int64_t(p.cx) - x) * (int64_t(1) << p.shiftX);
    const int64_t stepY = (vx * taps.step) >> 2;
    int64_t px = int64_t(x) * 256 + (x == p.cx ? 256 : 0), py = int64_t(y) * 256;
    uint32_t sum = 0;
    for (int32_t k = 0; k < taps.count; ++k, px += stepX, py += stepY) sum += p.at(px >> 8, py >> 8);
    out[x - x0] = uint8_t(std::min<uint64_t>((uint64_t(sum) * uint32_t(taps.norm)) >> 15, 255));
  }
}

QzWord Qz__RenderSpiralBlur(Qz_Object* object, const Qz_ModeRenderMessage* message) {
  const Qz_ImageLock* block = qz::modes::strengthBlock(message);
  if (!block) return 1;
  const int32_t depth = block->image->depth;
  const qz::modes::StrengthSettings s = qz::modes::readStrengthSettings(object);
  qz::modes::SharedBelow below(message);
  if (!below.ok()) return 0;
  const qz::modes::SourceView& v = below.view();
  const qz::modes::ZoomTaps taps = qz::modes::zoomTaps(s.strength, s.quality);
  uint8_t* const* outputs[4] = {message->r, message->g, message->b, message->grey};
  for (int c = depth == 24 ? 0 : 3; c < (depth == 24 ? 3 : 4); ++c) {
    const Qz_Pass pass{v, c, v.width, v.height, s.centreX, s.centreY, 10 / v.width, 10 / v.height};
    for (int32_t y = block->y0; y <= block->y1; ++y) {
      uint8_t* out = outputs[c][y - block->y0];
      if (s.strength < 1) Qz__StraightChannel(pass, out, block->x0, block->x1, y, -s.strength);
      else Qz__SpiralChannel(pass, out, block->x0, block->x1, y, taps);
    }
  }
  return 1;
}

bool Qz__SetUpSpiralBlur(Qz_Object* object) {
  qz::modes::buildPanel(object, kPanel);
  Qz_DoMethod(object, kQzSwirlSetStrength, kInitialAmount);
  return true;
}

const qz::kit::ClassDecl kSpiralBlurMode = {
    .name = "SpiralBlurMode", .superName = "RootMode", .classId = kQzSwirlModeClassId,
    .instance = qz::kit::instanceOf<qz::modes::StrengthModeObject>(),
    .handler = qz::modes::strengthModeHandler<Qz__RenderSpiralBlur>,
    .attributes = qz::modes::strengthAttributes(), .setUp = Qz__SetUpSpiralBlur};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitSpiralBlurModeClass(Qz_GlobalData*) { return qz::kit::addClass(kSpiralBlurMode); }
QZ_EXPORT void Qz_CleanupSpiralBlurModeClass(void) { qz::kit::removeClass(kSpiralBlurMode); }
QZ_EXTERN_C_END
