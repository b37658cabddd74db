// PanBlurMode: a two-sided trail: each pixel averaged with the samples
// both ways along its angle (length 1..255, 4 at first; angle 45 at first),
// the pixel itself counted three times. Its settings are its own, not kept
// in object text.
#include "modes/blur_directional.h"

namespace {

constexpr qz::modes::PanelRow kPanelRows[] = {
    qz::modes::slider(89, kQzDirectionalSetLength, 1, 255, 4, "%ld.5"),
    qz::modes::angle(91, kQzDirectionalSetAngle, 45)};
constexpr qz::modes::PanelSpec kPanel{"PanBlur", kPanelRows};

QzWord Qz__RenderPanBlur(const Qz_ModeRenderMessage* message, const qz::modes::DirectionalSettings& s) {
  const std::vector<qz::modes::Tap> taps = qz::modes::panTaps(s.length, qz::modes::directionFloor(s.angle));
  return qz::modes::renderTaps(message, taps, qz::modes::TapMean::Divide, uint32_t(2 * s.length + 3));
}

const qz::modes::DirectionalBlur kPanBlur = {"PanBlurMode", 4, 45, 0, Qz__RenderPanBlur, &kPanel};
const qz::kit::ClassDecl kPanBlurMode = qz::modes::directionalBlurClass(kPanBlur);

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitPanBlurModeClass(Qz_GlobalData*) { return qz::kit::addClass(kPanBlurMode); }
QZ_EXPORT void Qz_CleanupPanBlurModeClass(void) { qz::kit::removeClass(kPanBlurMode); }
QZ_EXTERN_C_END
