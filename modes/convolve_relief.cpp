// The relief render of emboss and bas-relief.
#include "modes/convolve_relief.h"

#include "modes/convolve_kernels.h"
#include "modes/direction.h"

namespace qz::modes {

const Qz_Method kStoredAngleMethods[] = {
    {kQzModeSetAngle, "Qz_SetModeAngle", kQzMethodSetter, kQzModeGetAngle, "%ld", 0, nullptr, 0, 0},
    {kQzModeGetAngle, "Qz_GetModeAngle", kQzMethodStoredGetter, kQzModeSetAngle, nullptr, 0, "%ld", 0, 0},
    {0, nullptr, 0, 0, nullptr, 0, nullptr, 0, 0}};

Direction snappedDirection(int32_t angleDegrees, DirectionRounding rounding) {
  if (rounding != DirectionRounding::Floor) return directionCeilSnap(angleDegrees);
  Direction d = directionFloor(angleDegrees);
  auto snap = [](int16_t v) { return v >= 513 && v <= 1023 ? int16_t(1024) : v; };
  return {snap(d.dx), snap(d.dy)};
}

QzWord renderRelief(Qz_Object* mode, const Qz_ModeRenderMessage* message, const ReliefStyle& style) {
  PlaneBlock b;
  int32_t depth = 0;
  if (!planeBlockOf(message, &b, &depth)) return 1;
  const RootSettings s = readRootSettings(mode, style.ranges);
  ReliefSettings relief;
  relief.direction = snappedDirection(s.angle, style.rounding);
  relief.length = s.radius;
  relief.factor = reliefFactor(s.amount);
  relief.addToPixel = style.base == ReliefBase::OwnPixel;
  const uint8_t* paint = paintColour(message->block);
  return renderEachPlane(message, depth, reliefReach(relief, b),
                         [&](const SourceView& view, int channel, uint8_t* const* out) {
                           ReliefSettings plane = relief;
                           if (style.base == ReliefBase::OwnPixel) plane.bias = 0;
                           // A grey image takes the paint colour's green.
                           else if (s.colourMode) plane.bias = paint[channel == 3 ? 1 : channel];
                           reliefPlane(view, channel, plane, b, out);
                         });
}

}  // namespace qz::modes
