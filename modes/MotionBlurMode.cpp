// MotionBlurMode: a one-sided trail: each pixel averaged with the samples
// along its angle (length 1..255, 4 at first; angle 45 at first), the pixel
// itself counted twice. Its settings are its own, not kept in object text.
#include "modes/blur_directional.h"

namespace {

constexpr qz::modes::PanelRow kPanelRows[] = {
    qz::modes::slider(115, kQzDirectionalSetLength, 1, 255, 4, "%ld"),
    qz::modes::angle(91, kQzDirectionalSetAngle, 45)};
constexpr qz::modes::PanelSpec kPanel{"MotionBlur", kPanelRows};

QzWord Qz__RenderMotionBlur(const Qz_ModeRenderMessage* message, const qz::modes::DirectionalSettings& s) {
  const std::vector<qz::modes::Tap> taps = qz::modes::motionTaps(s.length, qz::modes::directionFloor(s.angle));
  return qz::modes::renderTaps(message, taps, qz::modes::TapMean::Divide, uint32_t(s.length + 2));
}

const qz::modes::DirectionalBlur kMotionBlur = {"MotionBlurMode", 4, 45, 0, Qz__RenderMotionBlur, &kPanel};
const qz::kit::ClassDecl kMotionBlurMode = qz::modes::directionalBlurClass(kMotionBlur);

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitMotionBlurModeClass(Qz_GlobalData*) { return qz::kit::addClass(kMotionBlurMode); }
QZ_EXPORT void Qz_CleanupMotionBlurModeClass(void) { qz::kit::removeClass(kMotionBlurMode); }
QZ_EXTERN_C_END
