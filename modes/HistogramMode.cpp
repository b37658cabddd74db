// HistogramMode: levels. It counts the brightness of every pixel of its
// document when given its layer, presets black and white points that clip
// 0.5 % of the pixels at each end, and stretches black..white onto 0..255.
// It answers the render method, the layer hand-over (counting before passing
// it on) and the two points' setters and getters.
#include <algorithm>
#include <atomic>

#include "gadgets/qz_histogram.h"
#include "modes/mode_panel.h"
#include "modes/mode_settings.h"
#include "objects/qz_notify.h"
#include "modes/point_tonal.h"
#include "modes/qz_point_modes.h"

namespace {

struct Qz_HistogramModeObject {
  Qz_Object header;
  // The points the render reads (never the sliders); the setters and the analysis write them.
  std::atomic<int32_t> black{0}, white{255};
  // The counts are the mode's own: the panel's graph, when there is one, gets a copy.
  qz::modes::tonal::BrightnessHistogram counts;
  qz::modes::tonal::StretchTables tables;
  Qz_Object* graph = nullptr;  // the panel's, made with it
};

Qz_Object* Qz__MakeGraph(Qz_Object* mode) {
  if (!Qz_FindClassFromName("Histogram")) return nullptr;
  Qz_Object* graph = Qz_CreateObject("Histogram", kHistogramSetLower, 0, kHistogramSetUpper, 255);
  qz::kit::self<Qz_HistogramModeObject>(mode)->graph = graph;
  return graph;
}

constexpr qz::modes::PanelRow kPanelRows[] = {
    qz::modes::custom({}, Qz__MakeGraph), qz::modes::slider("Black Point", kQzHistogramSetBlackPoint, 0, 255, 0),
    qz::modes::slider("White Point", kQzHistogramSetWhitePoint, 0, 255, 255)};
constexpr qz::modes::PanelSpec kPanel{"Histogram", kPanelRows};

Qz_HistogramModeObject* Qz__Self(Qz_Object* object) { return qz::kit::self<Qz_HistogramModeObject>(object); }

// Stores a point and tells the panel's slider, which shows it without sending it back.
void Qz__StorePoint(Qz_Object* object, std::atomic<int32_t>& point, uint32_t setter, int32_t value) {
  point.store(value);
  Qz_DoNotify(object, setter, uint32_t(value));
}

QzWord Qz__SetPoint(Qz_Object* object, std::atomic<int32_t>& point, uint32_t setter, QzWord value) {
  const int32_t v = std::clamp(int32_t(value), 0, 255);
  if (point.load() == v) return QzWord(uint32_t(v));
  Qz__StorePoint(object, point, setter, v);
  qz::modes::ownSettingChanged(object);
  return QzWord(uint32_t(v));
}

// The graph is filled before the panel is first shown (the hand-over passed
// on shows it), so nothing draws it meanwhile.
void Qz__FillGraph(Qz_HistogramModeObject* self) {
  // The graph makes its table when first asked.
  // The graph is the panel's: none unless the panel was made whole.
  if (!self->graph || !Qz_DoMethod(&self->header, kQzModeGetPanel) || !Qz_DoMethod(self->graph, kHistogramGetTable))
    return;
  for (uint32_t i = 0; i < 256; ++i) Qz_DoMethod(self->graph, kHistogramSetEntry, i, self->counts.counts[i]);
}

QzWord Qz__SetModeImage(Qz_Object* object, const QzWord* args) {
  Qz_HistogramModeObject* self = Qz__Self(object);
  const qz::modes::tonal::DocumentRead read(reinterpret_cast<Qz_Image*>(args[0]),
                                            qz::modes::tonal::DocumentRead::Planes::Background);
  self->counts = qz::modes::tonal::sampleBrightness(read, 1);
  if (self->counts.samples > 0) {
    const uint64_t target = self->counts.samples * 5 / 1000;
    Qz__StorePoint(object, self->black, kQzHistogramSetBlackPoint, qz::modes::tonal::lowClip(self->counts, target));
    Qz__StorePoint(object, self->white, kQzHistogramSetWhitePoint,
                   std::max(0, qz::modes::tonal::highClip(self->counts, target)));
  }
  Qz__FillGraph(self);
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
    case kQzHistogramSetBlackPoint: return Qz__SetPoint(object, self->black, id, args[0]);
    case kQzHistogramSetWhitePoint: return Qz__SetPoint(object, self->white, id, args[0]);
    case kQzHistogramGetBlackPoint: return QzWord(uint32_t(self->black.load()));
    case kQzHistogramGetWhitePoint: return QzWord(uint32_t(self->white.load()));
    default: return qz::kit::inherited(object, id, args);
  }
}

const qz::kit::ClassDecl kHistogramMode = {
    .name = "HistogramMode", .superName = "RootMode", .classId = kQzPointModeClassId,
    .instance = qz::kit::instanceOf<Qz_HistogramModeObject>(), .handler = Qz__HistogramModeDispatch,
    .setUp = qz::modes::panelSetUp<kPanel>};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitHistogramModeClass(Qz_GlobalData*) { return qz::kit::addClass(kHistogramMode); }
QZ_EXPORT void Qz_CleanupHistogramModeClass(void) { qz::kit::removeClass(kHistogramMode); }
QZ_EXTERN_C_END
