// TVScanlinesMode: the picture as a television shows it up close. Columns
// form red, green and blue stripes, each keeping only its own channel, and
// every other band of rows is darkened. The stripes follow the image's
// columns, so a block shows the same pattern wherever it starts.
#include <algorithm>

#include "modes/mode_kit.h"
#include "modes/mode_panel.h"
#include "modes/mode_settings.h"

namespace {

constexpr uint32_t kTVScanlinesModeClassId = 0x816;
constexpr uint32_t kSetStripeSize = 0x820, kGetStripeSize = 0x82A;
constexpr uint32_t kSetLineSize = 0x834, kGetLineSize = 0x83E;
constexpr uint32_t kSetDarkness = 0x848, kGetDarkness = 0x852;

struct Qz_TVScanlinesModeObject {
  Qz_Object header;
  int32_t stripe = 2, line = 2, darkness = 50;
};

const qz::kit::Attribute kAttributes[] = {
    {.setter = kSetStripeSize, .getter = kGetStripeSize, .minimum = 1, .maximum = 50, .initial = 2,
     .field = qz::kit::field(&Qz_TVScanlinesModeObject::stripe), .changed = qz::modes::ownSettingChanged},
    {.setter = kSetLineSize, .getter = kGetLineSize, .minimum = 0, .maximum = 100, .initial = 2,
     .field = qz::kit::field(&Qz_TVScanlinesModeObject::line), .changed = qz::modes::ownSettingChanged},
    {.setter = kSetDarkness, .getter = kGetDarkness, .minimum = 0, .maximum = 255, .initial = 50,
     .field = qz::kit::field(&Qz_TVScanlinesModeObject::darkness), .changed = qz::modes::ownSettingChanged},
};

constexpr qz::modes::PanelRow kPanelRows[] = {
    qz::modes::slider("Stripe Size", kSetStripeSize, 1, 50, 2, "%ld"),
    qz::modes::slider("Line Size", kSetLineSize, 0, 100, 2, "%ld"),
    qz::modes::slider(88, kSetDarkness, 0, 255, 50, "%ld")};
constexpr qz::modes::PanelSpec kPanel{"TVScanlines", kPanelRows};

QzWord Qz__RenderTVScanlines(Qz_TVScanlinesModeObject* self, const Qz_ModeRenderMessage* message) {
  const int32_t s = qz::modes::loadSetting(self->stripe);
  const int32_t period = qz::modes::loadSetting(self->line) + 1;
  const int32_t k = qz::modes::loadSetting(self->darkness);
  const Qz_ImageLock* block = message ? message->block : nullptr;
  int32_t y = block ? block->y0 : 0;
  return qz::modes::renderRows(message, 0, [&](const uint8_t* const src[3], uint8_t* const dst[3], int32_t count) {
    const int32_t darken = y++ % period < period / 2 ? k : 0;
    for (int32_t i = 0; i < count; ++i) {
      const int32_t own = (block->x0 + i) % (3 * s) / s;
      for (int c = 0; c < 3; ++c) dst[c][i] = c == own ? uint8_t(std::max(src[c][i] - darken, 0)) : 0;
    }
  });
}

QzWord Qz__TVScanlinesModeDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  if (id == kQzModeRender)
    return Qz__RenderTVScanlines(qz::kit::self<Qz_TVScanlinesModeObject>(object), qz::modes::renderMessage(args));
  return qz::kit::inherited(object, id, args);
}

const qz::kit::ClassDecl kTVScanlinesMode = {
    .name = "TVScanlinesMode", .superName = "RootMode", .classId = kTVScanlinesModeClassId,
    .instance = qz::kit::instanceOf<Qz_TVScanlinesModeObject>(), .handler = Qz__TVScanlinesModeDispatch,
    .attributes = kAttributes, .setUp = qz::modes::panelSetUp<kPanel>};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitTVScanlinesModeClass(Qz_GlobalData*) { return qz::kit::addClass(kTVScanlinesMode); }
QZ_EXPORT void Qz_CleanupTVScanlinesModeClass(void) { qz::kit::removeClass(kTVScanlinesMode); }
QZ_EXTERN_C_END
