// The vision modes (double, triple, quad, penta, octa and nona vision):
// each pixel combines, by the darkest, the lightest or the mean, samples of
// the data below placed symmetrically round it at a distance (percent of the
// image's shorter side) and direction of the user's. One class template
// serves all six; each mode's module names its kind and default angle.
#pragma once

#include <cstdint>

#include "image/qz_compositor.h"
#include "modes/mode_kit.h"
#include "modes/mode_panel.h"
#include "modes/mode_settings.h"

namespace qz::modes::vision {

enum class Kind { Double, Triple, Quad, Penta, Octa, Nona };
enum Combine : int16_t { kDarkest = 0, kLightest = 1, kMean = 2 };

inline constexpr uint32_t kVisionModeClassId = 0x808;
inline constexpr uint32_t kSetDistance = 2066, kGetDistance = 2076, kSetAngle = 2086, kGetAngle = 2096;
inline constexpr uint32_t kSetCombine = 2106, kGetCombine = 2116;

struct Settings {
  int32_t percent = 40, angle = 45, combine = kLightest;
};

// Renders a block. 0 when the data below cannot be fetched (nothing written).
QzWord render(Kind kind, const Settings& settings, const Qz_ModeRenderMessage* message);

struct Qz_VisionModeObject {
  Qz_Object header;
  int16_t percent = 40, angle = 45, combine = kLightest;
};

template <Kind K, int16_t Angle>
struct VisionClass {
  // The distance is limited to the slider's range (a larger one would only
  // overflow), the combine choice to the three there are.
  static inline const qz::kit::Attribute attributes[] = {
      {.setter = kSetDistance, .getter = kGetDistance, .minimum = 0, .maximum = 100, .initial = 40,
       .field = qz::kit::field(&Qz_VisionModeObject::percent), .changed = ownSettingChanged},
      {.setter = kSetAngle, .getter = kGetAngle, .minimum = INT16_MIN, .maximum = INT16_MAX, .initial = Angle,
       .field = qz::kit::field(&Qz_VisionModeObject::angle), .changed = ownSettingChanged},
      {.setter = kSetCombine, .getter = kGetCombine, .minimum = 0, .maximum = 2, .initial = kLightest,
       .field = qz::kit::field(&Qz_VisionModeObject::combine), .changed = ownSettingChanged}};

  static constexpr const char* kTitles[6] = {"DoubleVision", "TripleVision", "QuadVision",
                                            "PentaVision",  "OctaVision",   "NonaVision"};
  static constexpr PanelLabel kCombines[] = {102, 103, 105};
  static constexpr PanelRow kRows[] = {angle(91, kSetAngle, Angle), slider(88, kSetDistance, 1, 100, 40, "%ld%%"),
                                       popUpList(70, kSetCombine, kCombines, kLightest)};
  static constexpr PanelSpec kPanel{kTitles[int(K)], kRows};

  static QzWord dispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
    if (id != kQzModeRender) return qz::kit::inherited(object, id, args);
    const auto* self = qz::kit::self<Qz_VisionModeObject>(object);
    const Settings s{loadSetting(self->percent), loadSetting(self->angle), loadSetting(self->combine)};
    return render(K, s, renderMessage(args));
  }

  static bool setUp(Qz_Object* object) {
    Qz_DoMethod(object, kSetAngle, QzWord(Angle));
    buildPanel(object, kPanel);
    return true;
  }

  static constexpr qz::kit::ClassDecl decl(const char* name) {
    return {.name = name, .superName = "RootMode", .classId = kVisionModeClassId,
            .instance = qz::kit::instanceOf<Qz_VisionModeObject>(), .handler = dispatch,
            .attributes = attributes, .setUp = setUp};
  }
};

}  // namespace qz::modes::vision
