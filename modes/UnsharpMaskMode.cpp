// UnsharpMaskMode: sharpens by pushing each value away from its box blur
// where they differ by more than a threshold. Amount (0..100 %), Radius
// (1..100, both radii of the blur) and Threshold (0..100) are RootMode's
// attributes, kept in object text beside the blur's radii. Made on
// BlurMode.
#include <algorithm>
#include <cstdlib>

#include "modes/blur_kernels.h"
#include "modes/mode_kit.h"
#include "modes/mode_panel.h"
#include "modes/mode_settings.h"

namespace {

constexpr uint32_t kBlurSubclassId = 2051;
constexpr int32_t kDefaultAmount = 25, kDefaultRadius = 1, kDefaultThreshold = 0;

constexpr qz::modes::SettingRange kRanges[] = {
    {kQzModeSetAmount, 0, 100}, {kQzModeSetRadius, 1, 100}, {kQzModeSetThreshold, 0, 100}};

const Qz_Method kMethods[] = {
    {kQzModeSetAmount, "Qz_SetModeAmount", kQzMethodSetter, kQzModeGetAmount, "%ld", 0, nullptr, 0, 0},
    {kQzModeGetAmount, "Qz_GetModeAmount", kQzMethodStoredGetter, kQzModeSetAmount, nullptr, 0, "%ld", 0, 0},
    {kQzModeSetRadius, "Qz_SetModeRadius", kQzMethodSetter, kQzModeGetRadius, "%ld", 0, nullptr, 0, 0},
    {kQzModeGetRadius, "Qz_GetModeRadius", kQzMethodStoredGetter, kQzModeSetRadius, nullptr, 0, "%ld", 0, 0},
    {kQzModeSetThreshold, "Qz_SetModeThreshold", kQzMethodSetter, kQzModeGetThreshold, "%ld", 0, nullptr, 0, 0},
    {kQzModeGetThreshold, "Qz_GetModeThreshold", kQzMethodStoredGetter, kQzModeSetThreshold, nullptr, 0, "%ld",
     0, 0},
    {0, nullptr, 0, 0, nullptr, 0, nullptr, 0, 0}};

// Replaces the blur's panel: "Amount", "Radius", "Threshold".
constexpr qz::modes::PanelRow kPanelRows[] = {
    qz::modes::slider(88, kQzModeSetAmount, 0, 100, kDefaultAmount, "%ld%%"),
    qz::modes::slider(89, kQzModeSetRadius, 1, 100, kDefaultRadius, "%ld.5"),
    qz::modes::slider(90, kQzModeSetThreshold, 0, 100, kDefaultThreshold, "%ld")};
constexpr qz::modes::PanelSpec kPanel{"UnsharpMask", kPanelRows};

// s the value below the layer, b its blur, k the strength (256 is 100 %).
// The correction is (k d) >> 3, rounding toward minus infinity: strong, as the mode has always been.
inline uint8_t Qz__Sharpen(int32_t s, int32_t b, int32_t k, int32_t threshold) {
  const int32_t d = s - b;
  if (std::abs(d) <= threshold) return uint8_t(s);
  return uint8_t(std::clamp(s + ((k * d) >> 3), 0, 255));
}

QzWord Qz__RenderUnsharpMask(Qz_Object* object, const QzWord* args) {
  const qz::modes::RootSettings s = qz::modes::readRootSettings(object, kRanges);
  const QzWord answer = Qz_DoMethodA(object->super, kQzModeRender, args);
  if (!answer) return answer;  // nothing blurred: the output still shows what lies below
  const int32_t k = s.amount * 256 / 100;
  qz::modes::forEachBlockRow(qz::modes::renderMessage(args),
                             [&](const uint8_t* source, uint8_t* out, int32_t count, int) {
                               for (int32_t i = 0; i < count; ++i)
                                 out[i] = Qz__Sharpen(source[i], out[i], k, s.threshold);
                             });
  return answer;
}

// The settings live in the RootMode instance, which notifies only itself:
// the panel is shown what it kept. The radius is both radii of the blur.
QzWord Qz__SetSetting(Qz_Object* object, uint32_t id, const QzWord* args) {
  const QzWord stored = qz::modes::inheritedInRange(object, id, args, kRanges);
  if (id == kQzModeSetRadius) {
    Qz_DoMethod(object->super, kQzModeSetXRadius, uint32_t(stored));
    Qz_DoMethod(object->super, kQzModeSetYRadius, uint32_t(stored));
  }
  qz::modes::showInPanel(object, id, stored);
  return stored;
}

QzWord Qz__UnsharpMaskDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  switch (id) {
    case kQzModeRender: return Qz__RenderUnsharpMask(object, args);
    case kQzModeSetAmount:
    case kQzModeSetRadius:
    case kQzModeSetThreshold: return Qz__SetSetting(object, id, args);
    default: return qz::modes::inheritedInRange(object, id, args, kRanges);
  }
}

bool Qz__SetUpUnsharpMask(Qz_Object* object) {
  Qz_DoMethod(object, kQzModeSetRadius, uint32_t(kDefaultRadius));
  Qz_DoMethod(object, kQzModeSetAmount, uint32_t(kDefaultAmount));
  Qz_DoMethod(object, kQzModeSetThreshold, uint32_t(kDefaultThreshold));
  qz::modes::buildPanel(object, kPanel);
  return true;
}

const qz::kit::ClassDecl kUnsharpMaskMode = {
    .name = "UnsharpMaskMode", .superName = "BlurMode", .classId = kBlurSubclassId,
    .handler = Qz__UnsharpMaskDispatch, .methods = kMethods, .setUp = Qz__SetUpUnsharpMask};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitUnsharpMaskModeClass(Qz_GlobalData*) { return qz::kit::addClass(kUnsharpMaskMode); }
QZ_EXPORT void Qz_CleanupUnsharpMaskModeClass(void) { qz::kit::removeClass(kUnsharpMaskMode); }
QZ_EXTERN_C_END
