// The directional blurs (motion, pan, cross, plus, star): their sample
// sets from fixed-point step vectors, the render that sums them, their
// setting ids, and the one class shape that Motion, Pan, Cross and Star
// share (length, angle and, for the arms, a percentage).
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "image/qz_compositor.h"
#include "modes/direction.h"
#include "modes/mode_panel.h"
#include "objects/qz_class_kit.h"
#include "platform/qz_export.h"

namespace qz::modes {

// One sample of a directional blur: the pixel (dx, dy) away.
struct Tap {
  int32_t dx = 0, dy = 0;
};

// How a directional blur turns the sum of its taps into a value: divided
// by the divisor (at most 255), or multiplied by 32768 / divisor and
// shifted by 15 (a flat area comes out one lower).
enum class TapMean : uint8_t { Divide, Reciprocal15 };

// The largest column and row offset of the taps.
QZ_EXPORT Reach tapReach(std::span<const Tap> taps);

// Renders each pixel of the block from the sum of the taps around it in
// the data below the layer (columns beyond the image repeat its edge
// columns, rows its edge rows): per colour, or on the grey rows of an 8-bit
// document. 1 when rendered or nothing is to be rendered, 0 when the data
// below cannot be had.
QZ_EXPORT QzWord renderTaps(const Qz_ModeRenderMessage* message, std::span<const Tap> taps, TapMean mean,
                            uint32_t divisor);

}  // namespace qz::modes

// The directional blurs' own setting ids (Motion, Pan, Cross, Star; Plus
// names its own): length, angle in degrees, percentage.
inline constexpr uint32_t kQzDirectionalSetLength = 2086, kQzDirectionalGetLength = 2096;
inline constexpr uint32_t kQzDirectionalSetAngle = 2106, kQzDirectionalGetAngle = 2116;
inline constexpr uint32_t kQzDirectionalSetPercent = 2126, kQzDirectionalGetPercent = 2136;
inline constexpr uint32_t kQzDirectionalBlurClassId = 2056;

namespace qz::modes {

// Motion blur: the pixel, then length + 1 samples stepping from length to 0
// along d (the pixel itself again last); divided by length + 2.
QZ_EXPORT std::vector<Tap> motionTaps(int32_t length, Direction d);
// Pan blur: the pixel, then the samples k steps both ways for k from length to 0; divided by 2 length + 3.
QZ_EXPORT std::vector<Tap> panTaps(int32_t length, Direction d);

// The step of a cross (4 arms) or star (8 arms) blur: the step grows as the
// percentage falls, n steps reach the length, count samples in all. A step
// that would overshoot the length falls back to one step of the length.
struct ArmSteps {
  int32_t step = 1, n = 0, count = 1;
};
QZ_EXPORT ArmSteps armSteps(int32_t length, int32_t percent, int32_t arms);

// The pixel and, per step, the four samples of a cross along d and at
// right angles to it; a star adds the four of its second direction.
QZ_EXPORT std::vector<Tap> crossTaps(int32_t length, int32_t percent, Direction d);
QZ_EXPORT std::vector<Tap> starTaps(int32_t length, int32_t percent, Direction d, Direction second);

}  // namespace qz::modes

namespace qz::modes {

// A directional blur's settings as a render reads them, once.
struct DirectionalSettings {
  int32_t length = 0, angle = 0, percent = 0;
};

// One directional blur class: its name, its defaults (percent 0: it has no
// percentage setting), its render and its options panel.
struct DirectionalBlur {
  const char* name;
  int16_t length, angle, percent;
  QzWord (*render)(const Qz_ModeRenderMessage* message, const DirectionalSettings& settings);
  const PanelSpec* panel;
};

// The class over RootMode: the length (1..255) and angle setters answer 0,
// the percentage (1..100) setter the value stored, and every change asks
// for a re-render. Not kept in object text. `blur` must outlive the class.
QZ_EXPORT qz::kit::ClassDecl directionalBlurClass(const DirectionalBlur& blur);

}  // namespace qz::modes
