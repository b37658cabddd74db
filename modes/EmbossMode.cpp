// EmbossMode: light and shade along RootMode's Angle, added to a flat grey
// (or, with ColourMode, to the paint colour). Amount -200..200 percent,
// Radius 1..128 steps; the Angle is kept in object text.
#include "modes/convolve_relief.h"
#include "modes/mode_panel.h"
#include "modes/qz_relief_modes.h"

namespace {

constexpr qz::modes::SettingRange kRanges[] = {
    {kQzModeSetAmount, -200, 200}, {kQzModeSetRadius, 1, 128}, {kQzModeSetColourMode, 0, 1}};

constexpr qz::modes::ReliefStyle kStyle = {qz::modes::DirectionRounding::Ceil, qz::modes::ReliefBase::Grey, kRanges};

constexpr qz::modes::PanelRow kPanelRows[] = {
    qz::modes::angle(91, kQzModeSetAngle, 135),
    qz::modes::slider(89, kQzModeSetRadius, 1, 128, 1, "%ld.5"),
    qz::modes::slider(88, kQzModeSetAmount, -200, 200, 100),
    qz::modes::space(),
    qz::modes::checkBox(14, kQzModeSetColourMode)};
constexpr qz::modes::PanelSpec kPanel{"Emboss", kPanelRows};

QzWord Qz__EmbossDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  if (id == kQzModeRender) return qz::modes::renderRelief(object, qz::modes::renderMessage(args), kStyle);
  return qz::modes::inheritedInRange(object, id, args, kRanges);
}

bool Qz__SetUpEmboss(Qz_Object* object) {
  Qz_DoMethod(object->super, kQzModeSetAmount, 100);
  Qz_DoMethod(object->super, kQzModeSetRadius, 1);
  Qz_DoMethod(object->super, kQzModeSetAngle, 135);
  Qz_DoMethod(object->super, kQzModeSetColourMode, 0);
  qz::modes::buildPanel(object, kPanel);
  return true;
}

const qz::kit::ClassDecl kEmbossMode = {
    .name = "EmbossMode", .superName = "RootMode", .classId = kQzReliefModeClassId, .handler = Qz__EmbossDispatch,
    .methods = qz::modes::kStoredAngleMethods, .setUp = Qz__SetUpEmboss};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitEmbossModeClass(Qz_GlobalData*) { return qz::kit::addClass(kEmbossMode); }
QZ_EXPORT void Qz_CleanupEmbossModeClass(void) { qz::kit::removeClass(kEmbossMode); }
QZ_EXTERN_C_END
