// BlurMode: the box blur of what lies below its layer, the exact mean over
// a window of (2 XRadius + 1) by (2 YRadius + 1) pixels. Its radii are
// RootMode's XRadius and YRadius (0..255, 3 at first), kept in object text.
// It answers the render method; FireBlur, Glow, HSVBlur and UnsharpMask
// are made on it and rewrite what it renders.
#include "modes/blur_kernels.h"
#include "modes/mode_kit.h"
#include "modes/mode_panel.h"
#include "modes/mode_settings.h"

namespace {

constexpr uint32_t kBlurModeClassId = 2448;
constexpr int32_t kDefaultRadius = 3;

constexpr qz::modes::SettingRange kRanges[] = {{kQzModeSetXRadius, 0, 255}, {kQzModeSetYRadius, 0, 255}};

const Qz_Method kMethods[] = {
    {kQzModeSetXRadius, "Qz_SetModeXRadius", kQzMethodSetter, kQzModeGetXRadius, "%ld", 0, nullptr, 0, 0},
    {kQzModeGetXRadius, "Qz_GetModeXRadius", kQzMethodStoredGetter, kQzModeSetXRadius, nullptr, 0, "%ld", 0, 0},
    {kQzModeSetYRadius, "Qz_SetModeYRadius", kQzMethodSetter, kQzModeGetYRadius, "%ld", 0, nullptr, 0, 0},
    {kQzModeGetYRadius, "Qz_GetModeYRadius", kQzMethodStoredGetter, kQzModeSetYRadius, nullptr, 0, "%ld", 0, 0},
    {0, nullptr, 0, 0, nullptr, 0, nullptr, 0, 0}};

// The catalogue's "Blur", "X Radius", "Y Radius"; FireBlur, Glow and HSVBlur show it too.
constexpr qz::modes::PanelRow kPanelRows[] = {
    qz::modes::slider(95, kQzModeSetXRadius, 0, 255, kDefaultRadius, "%ld.5"),
    qz::modes::slider(96, kQzModeSetYRadius, 0, 255, kDefaultRadius, "%ld.5")};
constexpr qz::modes::PanelSpec kPanel{"Blur", kPanelRows};

QzWord Qz__RenderBlur(Qz_Object* object, const Qz_ModeRenderMessage* message) {
  const qz::modes::RootSettings s = qz::modes::readRootSettings(object, kRanges);
  // The exact mean: a flat area stays flat at every radius.
  const qz::modes::WindowSpec spec{s.xRadius, s.yRadius, uint32_t((2 * s.xRadius + 1) * (2 * s.yRadius + 1)),
                                   qz::modes::WindowTransfer::Plain};
  return qz::modes::renderWindowMean(object, message, spec);
}

// The radii live in the RootMode instance, which notifies only itself: the panel is shown what it kept.
QzWord Qz__SetRadius(Qz_Object* object, uint32_t id, const QzWord* args) {
  const QzWord stored = qz::modes::inheritedInRange(object, id, args, kRanges);
  qz::modes::showInPanel(object, id, stored);
  return stored;
}

QzWord Qz__BlurModeDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  switch (id) {
    case kQzModeRender: return Qz__RenderBlur(object, qz::modes::renderMessage(args));
    case kQzModeSetXRadius:
    case kQzModeSetYRadius: return Qz__SetRadius(object, id, args);
    default: return qz::modes::inheritedInRange(object, id, args, kRanges);
  }
}

bool Qz__SetUpBlur(Qz_Object* object) {
  Qz_DoMethod(object->super, kQzModeSetXRadius, uint32_t(kDefaultRadius));
  Qz_DoMethod(object->super, kQzModeSetYRadius, uint32_t(kDefaultRadius));
  qz::modes::buildPanel(object, kPanel);
  return true;
}

const qz::kit::ClassDecl kBlurMode = {
    .name = "BlurMode", .superName = "RootMode", .classId = kBlurModeClassId,
    .handler = Qz__BlurModeDispatch, .methods = kMethods, .setUp = Qz__SetUpBlur};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitBlurModeClass(Qz_GlobalData*) { return qz::kit::addClass(kBlurMode); }
QZ_EXPORT void Qz_CleanupBlurModeClass(void) { qz::kit::removeClass(kBlurMode); }
QZ_EXTERN_C_END
