// What emboss and bas-relief share: the render of a relief along RootMode's
// Angle over its Radius, scaled by its Amount, and the description rows that
// keep the Angle in object text.
#pragma once

#include <cstdint>
#include <span>

#include "modes/direction.h"
#include "modes/mode_kit.h"
#include "modes/mode_settings.h"

namespace qz::modes {

enum class ReliefBase {
  Grey,      // 127, or the paint colour's component with ColourMode set (emboss)
  OwnPixel,  // the pixel itself (bas-relief)
};

struct ReliefStyle {
  DirectionRounding rounding;  // Ceil: up; Floor: down; both snap 513..1023 to 1024
  ReliefBase base;
  std::span<const SettingRange> ranges;
};

QZ_EXPORT QzWord renderRelief(Qz_Object* mode, const Qz_ModeRenderMessage* message, const ReliefStyle& style);

// The vector of an angle rounded up or down, a component from 513 to 1023
// made 1024 (negative components never snap).
QZ_EXPORT Direction snappedDirection(int32_t angleDegrees, DirectionRounding rounding);

// Qz_SetModeAngle and Qz_GetModeAngle: the Angle kept in object text.
QZ_EXPORT extern const Qz_Method kStoredAngleMethods[];

}  // namespace qz::modes
