// BasReliefMode: light and shade along RootMode's Angle, added to the
// pixel itself. Amount -100..100 percent, Radius 1..128 steps; the Angle is
// kept in object text.
#include "modes/convolve_relief.h"
#include "modes/mode_panel.h"
#include "modes/qz_relief_modes.h"

namespace {

constexpr qz::modes::SettingRange kRanges[] = {
    {kQzModeSetAmount, -100, 100}, {kQzModeSetRadius, 1, 128}};

constexpr qz::modes::ReliefStyle kStyle = {qz::modes::DirectionRounding::Floor, qz::modes::ReliefBase::OwnPixel, kRanges};

constexpr qz::modes::PanelRow kPanelRows[] = {
    qz::modes::angle(91, kQzModeSetAngle, 45),
    qz::modes::slider(89, kQzModeSetRadius, 1, 128, 2, "%ld.5"),
    qz::modes::slider(88, kQzModeSetAmount, -100, 100, 100)};
constexpr qz::modes::PanelSpec kPanel{"BasRelief", kPanelRows};

QzWord Qz__BasReliefDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  if (id == kQzModeRender) return qz::modes::renderRelief(object, qz::modes::renderMessage(args), kStyle);
  return qz::modes::inheritedInRange(object, id, args, kRanges);
}

bool Qz__SetUpBasRelief(Qz_Object* object) {
  Qz_DoMethod(object->super, kQzModeSetAmount, 100);
  Qz_DoMethod(object->super, kQzModeSetRadius, 2);
  Qz_DoMethod(object->super, kQzModeSetAngle, 45);
  qz::modes::buildPanel(object, kPanel);
  return true;
}

const qz::kit::ClassDecl kBasReliefMode = {
    .name = "BasReliefMode", .superName = "RootMode", .classId = kQzReliefModeClassId, .handler = Qz__BasReliefDispatch,
    .methods = qz::modes::kStoredAngleMethods, .setUp = Qz__SetUpBasRelief};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitBasReliefModeClass(Qz_GlobalData*) { return qz::kit::addClass(kBasReliefMode); }
QZ_EXPORT void Qz_CleanupBasReliefModeClass(void) { qz::kit::removeClass(kBasReliefMode); }
QZ_EXTERN_C_END
