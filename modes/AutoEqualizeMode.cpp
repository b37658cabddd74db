// AutoEqualizeMode: stretches each channel between a third of the darkest
// and of the brightest pixel sum of its document's composite, found once
// when it is given its layer; grey documents too. It answers the render
// method and the layer hand-over (taking its extremes before passing it on).
#include <algorithm>
#include <atomic>

#include "modes/point_tonal.h"
#include "modes/qz_point_modes.h"

namespace {

struct Qz__Extremes {
  int16_t smallest = 765, largest = 0;  // pixel sums R + G + B
};

struct Qz_AutoEqualizeModeObject {
  Qz_Object header;
  std::atomic<Qz__Extremes> extremes{};
  qz::modes::tonal::StretchTables tables;
};

Qz__Extremes Qz__FindExtremes(Qz_Image* layer) {
  const qz::modes::tonal::DocumentRead read(layer, qz::modes::tonal::DocumentRead::Planes::Composite);
  int32_t smallest = 765, largest = 0;
  read.forEachRow(1, [&](const uint8_t* r, const uint8_t* g, const uint8_t* b, int32_t width) {
    for (int32_t x = 0; x < width; ++x) {
      const int32_t sum = r[x] + g[x] + b[x];
      smallest = std::min(smallest, sum);
      largest = std::max(largest, sum);
    }
  });
  return {int16_t(smallest), int16_t(largest)};
}

QzWord Qz__RenderAutoEqualize(Qz_AutoEqualizeModeObject* self, const Qz_ModeRenderMessage* message) {
  const Qz_ImageLock* lock = message ? message->block : nullptr;
  if (!lock || !lock->image || (lock->image->depth != 8 && lock->image->depth != 24)) return 1;
  const Qz__Extremes e = self->extremes.load();
  const int32_t lo = e.smallest / 3, hi = e.largest / 3;
  // A flat picture (or none read) has no range to stretch: it stays as it is.
  const auto table = hi > lo ? qz::modes::tonal::stretchTablesFor(self->tables, {lo, hi - lo}) : nullptr;
  if (!table) {
    qz::modes::copySourceToOutput(message);
    return 1;
  }
  return qz::modes::tonal::renderThroughTables(message, *table, true, 1);
}

QzWord Qz__AutoEqualizeModeDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  auto* self = qz::kit::self<Qz_AutoEqualizeModeObject>(object);
  switch (id) {
    case kQzModeRender: return Qz__RenderAutoEqualize(self, qz::modes::renderMessage(args));
    case kQzModeSetImage:
      self->extremes.store(Qz__FindExtremes(reinterpret_cast<Qz_Image*>(args[0])));
      return qz::kit::inherited(object, id, args);
    default: return qz::kit::inherited(object, id, args);
  }
}

const qz::kit::ClassDecl kAutoEqualizeMode = {
    .name = "AutoEqualizeMode", .superName = "RootMode", .classId = kQzPointModeClassId,
    .instance = qz::kit::instanceOf<Qz_AutoEqualizeModeObject>(),
    .handler = Qz__AutoEqualizeModeDispatch};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitAutoEqualizeModeClass(Qz_GlobalData*) { return qz::kit::addClass(kAutoEqualizeMode); }
QZ_EXPORT void Qz_CleanupAutoEqualizeModeClass(void) { qz::kit::removeClass(kAutoEqualizeMode); }
QZ_EXTERN_C_END
