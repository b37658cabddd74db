// GlowEdgesMode: each sample glows with the summed difference between it
// and its neighbours in a square window, so edges light up and flat areas
// darken. Every pixel is computed, the window repeating the edge samples.
#include <algorithm>
#include <cstdlib>

#include "modes/mode_kit.h"
#include "modes/mode_panel.h"
#include "modes/mode_settings.h"
#include "modes/rank_filters.h"

namespace {

constexpr uint32_t kGlowEdgesModeClassId = 0x864;
constexpr uint32_t kSetWidth = 0x86E, kSetBrightness = 0x878;

struct Qz_GlowEdgesModeObject {
  Qz_Object header;
  int16_t width = 2;
  int16_t brightness = 255;
};

const qz::kit::Attribute kAttributes[] = {
    {.setter = kSetWidth, .minimum = 1, .maximum = 7, .initial = 2,
     .field = qz::kit::field(&Qz_GlowEdgesModeObject::width), .changed = qz::modes::ownSettingChanged,
     .answersZero = true},
    {.setter = kSetBrightness, .minimum = 40, .maximum = 500, .initial = 255,
     .field = qz::kit::field(&Qz_GlowEdgesModeObject::brightness), .changed = qz::modes::ownSettingChanged,
     .answersZero = true},
};

constexpr qz::modes::PanelRow kPanelRows[] = {
    qz::modes::space(),
    qz::modes::slider("Width", kSetWidth, 1, 7, 2, "%d"),
    qz::modes::space(),
    qz::modes::slider("Brightness", kSetBrightness, 40, 500, 255, "%d")};
constexpr qz::modes::PanelSpec kPanel{"GlowEdges", kPanelRows};

QzWord Qz__RenderGlowEdges(Qz_GlowEdgesModeObject* self, const Qz_ModeRenderMessage* message) {
  const int32_t w = qz::modes::loadSetting(self->width);
  const int32_t b = qz::modes::loadSetting(self->brightness);
  const int32_t n = 2 * w + 1;
  // S * 255 / (n * b), truncated: exact in integers, as the sum is.
  const int64_t divisor = int64_t(n) * b;
  using qz::modes::rank::PaddedRows;
  return qz::modes::rank::renderWindowed(message, w, w, [&](const PaddedRows& rows, int32_t count, uint8_t* out) {
    const uint8_t* own = rows.row(w) + w;
    for (int32_t i = 0; i < count; ++i) {
      const int32_t c = own[i];
      int32_t sum = c;
      for (int32_t j = 0; j < n; ++j) {
        const uint8_t* row = rows.row(j) + i;
        for (int32_t k = 0; k < n; ++k) sum += std::abs(int32_t(row[k]) - c);
      }
      out[i] = uint8_t(std::min<int64_t>(int64_t(sum) * 255 / divisor, 255));
    }
  });
}

QzWord Qz__GlowEdgesModeDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  if (id == kQzModeRender)
    return Qz__RenderGlowEdges(qz::kit::self<Qz_GlowEdgesModeObject>(object), qz::modes::renderMessage(args));
  return qz::kit::inherited(object, id, args);
}

const qz::kit::ClassDecl kGlowEdgesMode = {
    .name = "GlowEdgesMode", .superName = "RootMode", .classId = kGlowEdgesModeClassId,
    .instance = qz::kit::instanceOf<Qz_GlowEdgesModeObject>(), .handler = Qz__GlowEdgesModeDispatch,
    .attributes = kAttributes, .setUp = qz::modes::panelSetUp<kPanel>};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitGlowEdgesModeClass(Qz_GlobalData*) { return qz::kit::addClass(kGlowEdgesMode); }
QZ_EXPORT void Qz_CleanupGlowEdgesModeClass(void) { qz::kit::removeClass(kGlowEdgesMode); }
QZ_EXTERN_C_END
