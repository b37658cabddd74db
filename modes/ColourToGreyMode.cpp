// ColourToGreyMode: writes one grey value made from what lies below by a
// chosen rule (minimum, maximum, mean, one channel, the mean of two, or a
// luminance weighting). It answers the render method (only 24-bit images are
// changed) and its rule setter and getter; its panel holds a pop-up list.
#include <algorithm>

#include "modes/mode_kit.h"
#include "modes/mode_panel.h"
#include "modes/mode_settings.h"
#include "modes/qz_point_modes.h"

namespace {

enum Qz__GreyRule : int32_t {
  kMinimum, kMaximum, kAverage, kRed, kGreen, kBlue, kGreenBlue, kRedBlue, kRedGreen,
  kLuminance709, kLuma601, kRuleCount
};

struct Qz_ColourToGreyModeObject {
  Qz_Object header;
  int32_t rule = kLuminance709;
};

const qz::kit::Attribute kAttributes[] = {
    {.setter = kQzColourToGreySetRule, .getter = kQzColourToGreyGetRule, .minimum = 0,
     .maximum = kRuleCount - 1, .initial = kLuminance709,
     .field = qz::kit::field(&Qz_ColourToGreyModeObject::rule),
     .changed = qz::modes::ownSettingChanged, .answersZero = true}};

// The rules' names, in rule order (entry 104 is not one of them).
constexpr qz::modes::PanelLabel kRuleNames[kRuleCount] = {102, 103, 105, 106, 107, 108, 109, 110, 111, 112, 113};
constexpr qz::modes::PanelRow kPanelRows[] = {
    qz::modes::popUpList(101, kQzColourToGreySetRule, kRuleNames, kLuminance709)};
constexpr qz::modes::PanelSpec kPanel{"ColourToGrey", kPanelRows};

template <int32_t Rule>
inline int32_t Qz__Grey(int32_t r, int32_t g, int32_t b) {
  if constexpr (Rule == kMinimum) return std::min({r, g, b});
  if constexpr (Rule == kMaximum) return std::max({r, g, b});
  if constexpr (Rule == kAverage) return (r + g + b) / 3;
  if constexpr (Rule == kRed) return r;
  if constexpr (Rule == kGreen) return g;
  if constexpr (Rule == kBlue) return b;
  if constexpr (Rule == kGreenBlue) return (g + b) >> 1;
  if constexpr (Rule == kRedBlue) return (r + b) >> 1;
  if constexpr (Rule == kRedGreen) return (r + g) >> 1;
  if constexpr (Rule == kLuminance709) return (212671 * r + 715160 * g + 72169 * b) / 1000000;
  if constexpr (Rule == kLuma601) return (299 * r + 587 * g + 114 * b) / 1000;
  return 0;
}

template <int32_t Rule>
QzWord Qz__RenderRule(const Qz_ModeRenderMessage* message) {
  return qz::modes::renderRows(message, 1, [](const uint8_t* const src[3], uint8_t* const dst[3],
                                              int32_t count) {
    for (int32_t i = 0; i < count; ++i)
      dst[0][i] = dst[1][i] = dst[2][i] = uint8_t(Qz__Grey<Rule>(src[0][i], src[1][i], src[2][i]));
  });
}

// One loop per rule, chosen once per render.
constexpr QzWord (*kRenderers[kRuleCount])(const Qz_ModeRenderMessage*) = {
    Qz__RenderRule<kMinimum>, Qz__RenderRule<kMaximum>, Qz__RenderRule<kAverage>,
    Qz__RenderRule<kRed>, Qz__RenderRule<kGreen>, Qz__RenderRule<kBlue>,
    Qz__RenderRule<kGreenBlue>, Qz__RenderRule<kRedBlue>, Qz__RenderRule<kRedGreen>,
    Qz__RenderRule<kLuminance709>, Qz__RenderRule<kLuma601>};

QzWord Qz__ColourToGreyModeDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  if (id != kQzModeRender) return qz::kit::inherited(object, id, args);
  const int32_t rule = qz::modes::loadSetting(qz::kit::self<Qz_ColourToGreyModeObject>(object)->rule);
  return rule >= 0 && rule < kRuleCount ? kRenderers[rule](qz::modes::renderMessage(args)) : 1;
}

const qz::kit::ClassDecl kColourToGreyMode = {
    .name = "ColourToGreyMode", .superName = "RootMode", .classId = kQzColourToGreyModeClassId,
    .instance = qz::kit::instanceOf<Qz_ColourToGreyModeObject>(),
    .handler = Qz__ColourToGreyModeDispatch, .attributes = kAttributes,
    .setUp = qz::modes::panelSetUp<kPanel>};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitColourToGreyModeClass(Qz_GlobalData*) { return qz::kit::addClass(kColourToGreyMode); }
QZ_EXPORT void Qz_CleanupColourToGreyModeClass(void) { qz::kit::removeClass(kColourToGreyMode); }
QZ_EXTERN_C_END
