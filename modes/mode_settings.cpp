// The settings snapshot of a render and the range table of a mode's
// RootMode attributes.
#include "modes/mode_settings.h"

#include <algorithm>

#include "modes/qz_root_mode.h"
#include "objects/qz_class_kit.h"

namespace qz::modes {
namespace {

struct Qz__SettingField {
  uint32_t setter;
  int32_t RootSettings::*field;
};

constexpr Qz__SettingField kFields[] = {
    {kQzModeSetAmount, &RootSettings::amount},         {kQzModeSetRadius, &RootSettings::radius},
    {kQzModeSetAngle, &RootSettings::angle},           {kQzModeSetQuality, &RootSettings::quality},
    {kQzModeSetColourMode, &RootSettings::colourMode}, {kQzModeSetThreshold, &RootSettings::threshold},
    {kQzModeSetXRadius, &RootSettings::xRadius},       {kQzModeSetYRadius, &RootSettings::yRadius},
    {kQzModeSetXPosition, &RootSettings::xPosition},   {kQzModeSetYPosition, &RootSettings::yPosition},
};

const SettingRange* Qz__RangeOf(std::span<const SettingRange> ranges, uint32_t setter) {
  for (const SettingRange& range : ranges)
    if (range.setter == setter) return &range;
  return nullptr;
}

}  // namespace

int32_t clampToRange(std::span<const SettingRange> ranges, uint32_t setter, int32_t value) {
  const SettingRange* range = Qz__RangeOf(ranges, setter);
  if (!range || range->minimum > range->maximum) return value;
  return std::clamp(value, range->minimum, range->maximum);
}

RootSettings readRootSettings(Qz_Object* mode, std::span<const SettingRange> ranges) {
  RootSettings settings;
  if (!loadRootSettings(mode, &settings)) return {};
  for (const Qz__SettingField& f : kFields)
    settings.*f.field = clampToRange(ranges, f.setter, settings.*f.field);
  return settings;
}

QzWord inheritedInRange(Qz_Object* mode, uint32_t id, const QzWord* args,
                        std::span<const SettingRange> ranges) {
  if (args && Qz__RangeOf(ranges, id)) {
    // A setter reads one word; the rest stay 0 as a front end would pass them.
    QzWord clamped[8] = {QzWord(uint32_t(clampToRange(ranges, id, int32_t(uint32_t(args[0])))))};
    return qz::kit::inherited(mode, id, clamped);
  }
  return qz::kit::inherited(mode, id, args);
}

void ownSettingChanged(Qz_Object* mode) {
  if (mode) Qz_DoMethod(mode->super, kQzModeChanged);
}

}  // namespace qz::modes
