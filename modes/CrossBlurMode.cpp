// CrossBlurMode: four arms at right angles through each pixel, sampled
// with a step that grows as the percentage falls (length 1..255, 10 at
// first; angle 45; percentage 1..100, 60). PlusBlur is made on it. Its
// settings are its own, not kept in object text.
#include "modes/blur_directional.h"

namespace {

constexpr qz::modes::PanelRow kPanelRows[] = {
    qz::modes::slider(89, kQzDirectionalSetLength, 1, 255, 10, "%ld.5"),
    qz::modes::angle(91, kQzDirectionalSetAngle, 45),
    qz::modes::slider(97, kQzDirectionalSetPercent, 1, 100, 60, "%ld%%")};
constexpr qz::modes::PanelSpec kPanel{"CrossBlur", kPanelRows};

QzWord Qz__RenderCrossBlur(const Qz_ModeRenderMessage* message, const qz::modes::DirectionalSettings& s) {
  const std::vector<qz::modes::Tap> taps = qz::modes::crossTaps(s.length, s.percent, qz::modes::directionFloor(s.angle));
  // The 15-bit reciprocal of the count: a flat area comes out one lower.
  return qz::modes::renderTaps(message, taps, qz::modes::TapMean::Reciprocal15, uint32_t(taps.size()));
}

const qz::modes::DirectionalBlur kCrossBlur = {"CrossBlurMode", 10, 45, 60, Qz__RenderCrossBlur, &kPanel};
const qz::kit::ClassDecl kCrossBlurMode = qz::modes::directionalBlurClass(kCrossBlur);

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitCrossBlurModeClass(Qz_GlobalData*) { return qz::kit::addClass(kCrossBlurMode); }
QZ_EXPORT void Qz_CleanupCrossBlurModeClass(void) { qz::kit::removeClass(kCrossBlurMode); }
QZ_EXTERN_C_END
