// AutoContrastMode: stretches the brightness range of its document, found
// once when it is given its layer (0.5 % of the samples clipped at each end),
// over the whole range. It answers the render method and the layer hand-over
// (taking its statistics before passing it on).
#include <atomic>

#include "modes/point_tonal.h"
#include "modes/qz_point_modes.h"

namespace {

constexpr int32_t kSamplingStep = 2;

struct Qz_AutoContrastModeObject {
  Qz_Object header;
  std::atomic<qz::modes::tonal::StretchStatistics> stats{};
  qz::modes::tonal::StretchTables tables;
};

QzWord Qz__AutoContrastModeDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  auto* self = qz::kit::self<Qz_AutoContrastModeObject>(object);
  switch (id) {
    case kQzModeRender:
      return qz::modes::tonal::renderAutoStretch(qz::modes::renderMessage(args), self->stats.load(),
                                                 self->tables, false);
    case kQzModeSetImage:
      self->stats.store(qz::modes::tonal::analyseStretch(reinterpret_cast<Qz_Image*>(args[0]),
                                                         kSamplingStep, nullptr));
      return qz::kit::inherited(object, id, args);
    default: return qz::kit::inherited(object, id, args);
  }
}

const qz::kit::ClassDecl kAutoContrastMode = {
    .name = "AutoContrastMode", .superName = "RootMode", .classId = kQzPointModeClassId,
    .instance = qz::kit::instanceOf<Qz_AutoContrastModeObject>(),
    .handler = Qz__AutoContrastModeDispatch};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitAutoContrastModeClass(Qz_GlobalData*) { return qz::kit::addClass(kAutoContrastMode); }
QZ_EXPORT void Qz_CleanupAutoContrastModeClass(void) { qz::kit::removeClass(kAutoContrastMode); }
QZ_EXTERN_C_END
