// EdgeDetectMode: the 2 by 2 cross difference of the data below, times a
// strength, optionally inverted. Answers its strength and invert methods and
// the render method.
#include "modes/convolve_kernels.h"
#include "modes/mode_kit.h"
#include "modes/mode_panel.h"
#include "modes/mode_settings.h"
#include "modes/qz_relief_modes.h"

namespace {

struct Qz_EdgeDetectModeObject {
  Qz_Object header;
  int16_t strength = 0;  // kit attribute rows
  int32_t invert = 0;
};

const qz::kit::Attribute kAttributes[] = {
    {.setter = kQzEdgeSetStrength, .getter = kQzEdgeGetStrength, .initial = 32,
     .field = qz::kit::field(&Qz_EdgeDetectModeObject::strength), .changed = qz::modes::ownSettingChanged,
     .answersZero = true},
    {.setter = kQzEdgeSetInvert, .getter = kQzEdgeGetInvert, .minimum = 0, .maximum = 1,
     .field = qz::kit::field(&Qz_EdgeDetectModeObject::invert), .changed = qz::modes::ownSettingChanged,
     .answersZero = true},
};

constexpr qz::modes::PanelRow kPanelRows[] = {qz::modes::slider(88, kQzEdgeSetStrength, 0, 255, 32)};
constexpr qz::modes::PanelSpec kPanel{"EdgeDetect", kPanelRows};

QzWord Qz__RenderEdges(Qz_Object* object, const Qz_ModeRenderMessage* message) {
  const auto* self = qz::kit::self<Qz_EdgeDetectModeObject>(object);
  qz::modes::PlaneBlock b;
  int32_t depth = 0;
  if (!qz::modes::planeBlockOf(message, &b, &depth)) return 1;
  const int32_t strength = qz::modes::loadSetting(self->strength);
  const bool invert = qz::modes::loadSetting(self->invert) != 0;
  const qz::modes::FetchRect reach{b.x0, b.y0, std::min(b.x1 + 1, b.width - 1), b.y1 + 1};
  return qz::modes::renderEachPlane(message, depth, reach,
                                    [&](const qz::modes::SourceView& view, int channel, uint8_t* const* out) {
                                      qz::modes::edgePlane(view, channel, strength, invert, b, out);
                                    });
}

QzWord Qz__EdgeDetectDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  switch (id) {
    case kQzModeRender: return Qz__RenderEdges(object, qz::modes::renderMessage(args));
    case kQzEdgeSetInvert: {
      // Any non-zero word turns it on.
      const QzWord flag[] = {args[0] != 0 ? QzWord(1) : QzWord(0)};
      return qz::kit::inherited(object, id, flag);
    }
    default: return qz::kit::inherited(object, id, args);
  }
}

const qz::kit::ClassDecl kEdgeDetectMode = {
    .name = "EdgeDetectMode", .superName = "RootMode", .classId = kQzEdgeDetectModeClassId,
    .instance = qz::kit::instanceOf<Qz_EdgeDetectModeObject>(), .handler = Qz__EdgeDetectDispatch,
    .attributes = kAttributes, .setUp = qz::modes::panelSetUp<kPanel>};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitEdgeDetectModeClass(Qz_GlobalData*) { return qz::kit::addClass(kEdgeDetectMode); }
QZ_EXPORT void Qz_CleanupEdgeDetectModeClass(void) { qz::kit::removeClass(kEdgeDetectMode); }
QZ_EXTERN_C_END
