// HistogramMode: levels. It counts the brightness of every pixel of its
// document when given its layer, presets black and white points that clip
// 0.5 % of the pixels at each end, and stretches black..white onto 0..255.
// It answers the render method, the layer hand-over (counting before passing
// it on) and the two points' setters and getters.
#include <algorithm>
#include <atomic>

#include "modes/mode_settings.h"
#include "modes/point_tonal.h"
#include "modes/qz_point_modes.h"

namespace {

struct Qz_HistogramModeObject {
  Qz_Object header;
  // The points the render reads; the setters and the analysis write them.
  std::atomic<int32_t> black{0}, white{255};
  std::atomic<int32_t> analysing{0};  // raised while the analysis presets the points
  qz::modes::tonal::BrightnessHistogram counts;  // the hand-over's, kept for the panel
  qz::modes::tonal::StretchTables tables;
};

Qz_HistogramModeObject* Qz__Self(Qz_Object* object) { return qz::kit::self<Qz_HistogramModeObject>(object); }

QzWord Qz__SetPoint(Qz_Object* object, std::atomic<int32_t>& point, QzWord value) {
  Qz_HistogramModeObject* self = Qz__Self(object);
  const int32_t v = std::clamp(int32_t(value), 0, 255);
  // The analysis sets the points itself: what it moves must not come back as a change.
  if (self->analysing.load() > 0 || point.load() == v) return QzWord(uint32_t(point.load()));
  point.store(v);
  qz::modes::ownSettingChanged(object);
  return QzWord(uint32_t(v));
}

QzWord Qz__SetModeImage(Qz_Object* object, const QzWord* args) {
  Qz_HistogramModeObject* self = Qz__Self(object);
  const qz::modes::tonal::DocumentRead read(reinterpret_cast<Qz_Image*>(args[0]),
                                            qz::modes::tonal::DocumentRead::Planes::Background);
  self->counts = qz::modes::tonal::sampleBrightness(read, 1);
  if (self->counts.samples > 0) {
    const uint64_t target = self->counts.samples * 5 / 1000;
    self->analysing.fetch_add(1);
    self->black.store(qz::modes::tonal::lowClip(self->counts, target));
    self->white.store(std::max(0, qz::modes::tonal::highClip(self->counts, target)));
    self->analysing.fetch_sub(1);
  }
  return qz::kit::inherited(object, kQzModeSetImage, args);
}

QzWord Qz__RenderHistogram(Qz_HistogramModeObject* self, const Qz_ModeRenderMessage* message) {
  const Qz_ImageLock* lock = message ? message->block : nullptr;
  if (!lock || !lock->image || lock->image->depth != 24) return 1;
  const int32_t black = self->black.load(), white = self->white.load();
  const int32_t divisor = white - black < 2 ? 1 : white - black;
  const auto table = qz::modes::tonal::stretchTablesFor(self->tables, {black, divisor});
  if (!table) {
    qz::modes::copySourceToOutput(message);
    return 1;
  }
  return qz::modes::tonal::renderThroughTables(message, *table, false, 1);
}

QzWord Qz__HistogramModeDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  Qz_HistogramModeObject* self = Qz__Self(object);
  switch (id) {
    case kQzModeRender: return Qz__RenderHistogram(self, qz::modes::renderMessage(args));
    case kQzModeSetImage: return Qz__SetModeImage(object, args);
    case kQzHistogramSetBlackPoint: return Qz__SetPoint(object, self->black, args[0]);
    case kQzHistogramSetWhitePoint: return Qz__SetPoint(object, self->white, args[0]);
    case kQzHistogramGetBlackPoint: return QzWord(uint32_t(self->black.load()));
    case kQzHistogramGetWhitePoint: return QzWord(uint32_t(self->white.load()));
    default: return qz::kit::inherited(object, id, args);
  }
}

const qz::kit::ClassDecl kHistogramMode = {
    .name = "HistogramMode", .superName = "RootMode", .classId = kQzPointModeClassId,
    .instance = qz::kit::instanceOf<Qz_HistogramModeObject>(), .handler = Qz__HistogramModeDispatch};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitHistogramModeClass(Qz_GlobalData*) { return qz::kit::addClass(kHistogramMode); }
QZ_EXPORT void Qz_CleanupHistogramModeClass(void) { qz::kit::removeClass(kHistogramMode); }
QZ_EXTERN_C_END
