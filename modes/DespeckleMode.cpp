// DespeckleMode: the median of a square window, exact (high quality) or as
// the median of the window's column medians (low quality, faster), used
// where it differs from the pixel by at least the threshold (above mode) or
// by less (below mode). Quality and mode are each a pair of boxes that act
// as radio buttons.
#include <atomic>
#include <cstdlib>

#include "modes/mode_kit.h"
#include "modes/mode_panel.h"
#include "modes/mode_settings.h"
#include "modes/rank_filters.h"
#include "objects/qz_notify.h"

namespace {

constexpr uint32_t kDespeckleModeClassId = 0x80A;
constexpr uint32_t kSetRadius = 0x814, kGetRadius = 0x81E;
constexpr uint32_t kHighQuality = 0x828, kLowQuality = 0x832;
constexpr uint32_t kSetThreshold = 0x83C;
constexpr uint32_t kAboveThreshold = 0x846, kBelowThreshold = 0x850;

struct Qz_DespeckleModeObject {
  Qz_Object header;
  int32_t radius = 1;
  int32_t threshold = 0;
  std::atomic<int32_t> highQuality{1};
  std::atomic<int32_t> above{1};
};

const qz::kit::Attribute kAttributes[] = {
    {.setter = kSetRadius, .getter = kGetRadius, .minimum = 1, .maximum = 10, .initial = 1,
     .field = qz::kit::field(&Qz_DespeckleModeObject::radius),
     .changed = qz::modes::ownSettingChanged, .answersZero = true},
    {.setter = kSetThreshold, .minimum = 0, .maximum = 255, .initial = 0,
     .field = qz::kit::field(&Qz_DespeckleModeObject::threshold),
     .changed = qz::modes::ownSettingChanged, .answersZero = true},
};

// The threshold starts at 0, so its slider does too.
constexpr qz::modes::PanelRow kPanelRows[] = {
    qz::modes::slider("Radius", kSetRadius, 1, 10, 1, "%d"),
    qz::modes::space(),
    qz::modes::slider("Difference threshold", kSetThreshold, 0, 255, 0, "%d"),
    qz::modes::radioPair("above threshold", kAboveThreshold, "below threshold", kBelowThreshold, 0),
    qz::modes::space(),
    qz::modes::text("Quality"),
    qz::modes::row(),
    qz::modes::radioPair("Low", kLowQuality, "High", kHighQuality, 1),
    qz::modes::end()};
constexpr qz::modes::PanelSpec kPanel{"Despeckle", kPanelRows};

// Either box of a pair selects its own setting, whatever its new state.
QzWord Qz__Select(Qz_Object* object, uint32_t id, std::atomic<int32_t>& setting, int32_t value) {
  if (setting.exchange(value) == value) return 0;
  Qz_DoNotify(object, id, 1u);  // the panel ticks the chosen box
  qz::modes::ownSettingChanged(object);
  return 0;
}

QzWord Qz__RenderDespeckle(Qz_DespeckleModeObject* self, const Qz_ModeRenderMessage* message) {
  const int32_t r = qz::modes::loadSetting(self->radius);
  const int32_t t = qz::modes::loadSetting(self->threshold);
  const bool high = self->highQuality.load(std::memory_order_relaxed) != 0;
  const bool above = self->above.load(std::memory_order_relaxed) != 0;
  using qz::modes::rank::PaddedRows;
  return qz::modes::rank::renderWindowed(message, r, r, [&](const PaddedRows& rows, int32_t count, uint8_t* out) {
    if (high) qz::modes::rank::windowMedianRow(rows, r, count, out);
    else qz::modes::rank::separableMedianRow(rows, r, count, out);
    const uint8_t* own = rows.row(r) + r;
    for (int32_t i = 0; i < count; ++i) {
      const int32_t d = std::abs(int32_t(out[i]) - int32_t(own[i]));
      if ((d < t) == above) out[i] = own[i];
    }
  });
}

QzWord Qz__DespeckleModeDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  auto* self = qz::kit::self<Qz_DespeckleModeObject>(object);
  switch (id) {
    case kQzModeRender: return Qz__RenderDespeckle(self, qz::modes::renderMessage(args));
    case kHighQuality: return Qz__Select(object, id, self->highQuality, 1);
    case kLowQuality: return Qz__Select(object, id, self->highQuality, 0);
    case kAboveThreshold: return Qz__Select(object, id, self->above, 1);
    case kBelowThreshold: return Qz__Select(object, id, self->above, 0);
    default: return qz::kit::inherited(object, id, args);
  }
}

const qz::kit::ClassDecl kDespeckleMode = {
    .name = "DespeckleMode", .superName = "RootMode", .classId = kDespeckleModeClassId,
    .instance = qz::kit::instanceOf<Qz_DespeckleModeObject>(),
    .handler = Qz__DespeckleModeDispatch, .attributes = kAttributes,
    .setUp = qz::modes::panelSetUp<kPanel>};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitDespeckleModeClass(Qz_GlobalData*) { return qz::kit::addClass(kDespeckleMode); }
QZ_EXPORT void Qz_CleanupDespeckleModeClass(void) { qz::kit::removeClass(kDespeckleMode); }
QZ_EXTERN_C_END
