// RemoveNoiseMode: a 3 by 3 median that replaces only the samples it
// differs from by more than the threshold (a percentage of full scale), so
// isolated specks go and edges stay. The threshold is stored in object text.
#include "modes/mode_kit.h"
#include "modes/mode_panel.h"
#include "modes/mode_settings.h"
#include "modes/rank_filters.h"

namespace {

constexpr uint32_t kRemoveNoiseModeClassId = 0x808;

constexpr qz::modes::SettingRange kRanges[] = {{kQzModeSetThreshold, 1, 100}};

constexpr auto kMethods = qz::modes::rank::storedRootAttribute(
    kQzModeSetThreshold, "Qz_SetModeThreshold", kQzModeGetThreshold, "Qz_GetModeThreshold");

constexpr qz::modes::PanelRow kPanelRows[] = {qz::modes::slider(90, kQzModeSetThreshold, 1, 100, 10, "%ld%%")};
constexpr qz::modes::PanelSpec kPanel{"RemoveNoise", kPanelRows};

QzWord Qz__RenderRemoveNoise(Qz_Object* object, const Qz_ModeRenderMessage* message) {
  const int32_t t = qz::modes::readRootSettings(object, kRanges).threshold * 255 / 100;
  using qz::modes::rank::PaddedRows;
  return qz::modes::rank::renderWindowed(message, 1, 1, [t](const PaddedRows& rows, int32_t count, uint8_t* out) {
    qz::modes::rank::median3x3Row(rows, count, out);
    const uint8_t* own = rows.row(1) + 1;
    for (int32_t i = 0; i < count; ++i) out[i] = qz::modes::rank::replaceAbove(own[i], out[i], t);
  });
}

QzWord Qz__RemoveNoiseModeDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  if (id == kQzModeRender) return Qz__RenderRemoveNoise(object, qz::modes::renderMessage(args));
  return qz::modes::inheritedInRange(object, id, args, kRanges);
}

bool Qz__SetUpRemoveNoise(Qz_Object* object) {
  qz::modes::buildPanel(object, kPanel);
  Qz_DoMethod(object, kQzModeSetThreshold, 10);
  return true;
}

const qz::kit::ClassDecl kRemoveNoiseMode = {
    .name = "RemoveNoiseMode", .superName = "RootMode", .classId = kRemoveNoiseModeClassId,
    .handler = Qz__RemoveNoiseModeDispatch, .methods = kMethods.data(), .setUp = Qz__SetUpRemoveNoise};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitRemoveNoiseModeClass(Qz_GlobalData*) { return qz::kit::addClass(kRemoveNoiseMode); }
QZ_EXPORT void Qz_CleanupRemoveNoiseModeClass(void) { qz::kit::removeClass(kRemoveNoiseMode); }
QZ_EXTERN_C_END
