// StarBlurMode: eight arms through each pixel, the cross's four and four
// more an eighth of a turn from them (length 1..255, 10 at first; angle 0;
// percentage 1..100, 60), averaged exactly. Its settings are its own, not
// kept in object text.
#include "modes/blur_directional.h"

namespace {

constexpr qz::modes::PanelRow kPanelRows[] = {
    qz::modes::slider(89, kQzDirectionalSetLength, 1, 255, 10, "%ld.5"),
    qz::modes::angle(91, kQzDirectionalSetAngle, 0),
    qz::modes::slider(97, kQzDirectionalSetPercent, 1, 100, 60, "%ld%%")};
constexpr qz::modes::PanelSpec kPanel{"StarBlur", kPanelRows};

QzWord Qz__RenderStarBlur(const Qz_ModeRenderMessage* message, const qz::modes::DirectionalSettings& s) {
  const qz::modes::Direction second = qz::modes::secondArm(s.angle, qz::modes::DirectionRounding::Floor);
  const std::vector<qz::modes::Tap> taps =
      qz::modes::starTaps(s.length, s.percent, qz::modes::directionFloor(s.angle), second);
  return qz::modes::renderTaps(message, taps, qz::modes::TapMean::Divide, uint32_t(taps.size()));
}

const qz::modes::DirectionalBlur kStarBlur = {"StarBlurMode", 10, 0, 60, Qz__RenderStarBlur, &kPanel};
const qz::kit::ClassDecl kStarBlurMode = qz::modes::directionalBlurClass(kStarBlur);

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitStarBlurModeClass(Qz_GlobalData*) { return qz::kit::addClass(kStarBlurMode); }
QZ_EXPORT void Qz_CleanupStarBlurModeClass(void) { qz::kit::removeClass(kStarBlurMode); }
QZ_EXTERN_C_END
