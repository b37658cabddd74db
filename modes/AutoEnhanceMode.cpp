// AutoEnhanceMode: the automatic stretch of AutoContrastMode, after raising
// the saturation by what its document's mean saturation falls short of a
// reference. It answers the render method and the layer hand-over (taking
// its statistics before passing it on).
#include <atomic>

#include "modes/point_tonal.h"
#include "modes/qz_point_modes.h"

namespace {

constexpr int32_t kSamplingStep = 2;
constexpr int32_t kFirstSaturationReference = 85;

struct Qz_AutoEnhanceModeObject {
  Qz_Object header;
  std::atomic<qz::modes::tonal::StretchStatistics> stats{};
  qz::modes::tonal::StretchTables tables;
  int32_t reference = kFirstSaturationReference;  // only the hand-over reads and writes it
};

QzWord Qz__AutoEnhanceModeDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  auto* self = qz::kit::self<Qz_AutoEnhanceModeObject>(object);
  switch (id) {
    case kQzModeRender:
      return qz::modes::tonal::renderAutoStretch(qz::modes::renderMessage(args), self->stats.load(),
                                                 self->tables, true);
    case kQzModeSetImage:
      self->stats.store(qz::modes::tonal::analyseStretch(reinterpret_cast<Qz_Image*>(args[0]),
                                                         kSamplingStep, &self->reference));
      return qz::kit::inherited(object, id, args);
    default: return qz::kit::inherited(object, id, args);
  }
}

const qz::kit::ClassDecl kAutoEnhanceMode = {
    .name = "AutoEnhanceMode", .superName = "RootMode", .classId = kQzPointModeClassId,
    .instance = qz::kit::instanceOf<Qz_AutoEnhanceModeObject>(),
    .handler = Qz__AutoEnhanceModeDispatch};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitAutoEnhanceModeClass(Qz_GlobalData*) { return qz::kit::addClass(kAutoEnhanceMode); }
QZ_EXPORT void Qz_CleanupAutoEnhanceModeClass(void) { qz::kit::removeClass(kAutoEnhanceMode); }
QZ_EXTERN_C_END
