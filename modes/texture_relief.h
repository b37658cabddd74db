// What paint texture, thick paint and the bump map share: their settings
// snapshot and their renders, each a directional relief (direction.h) laid
// on a base: the paint colour, the layer's secondary picture or the data
// below.
//
//   if (id == kQzModeRender) return qz::modes::renderThickPaint(renderMessage(args), reliefSnapshot(a, l, an));
#pragma once

#include <cstdint>

#include "modes/direction.h"
#include "modes/mode_kit.h"

namespace qz::modes {

// A render's settings, read once.
struct ReliefSettings {
  int32_t factor = 256, length = 1;
  Direction direction;
};

// From the stored settings: amount limited to -200..200 percent, length to
// 1..128 steps; the light rounded up with 513..1023 made 1024.
QZ_EXPORT ReliefSettings reliefSnapshot(int32_t amount, int32_t length, int32_t angle);

// Paint texture: on the rows of the layer's secondary picture (the data
// below when it has none) the paint colour, shaded by the picture's relief
// where the picture lies; the data below on other rows. Answers 1.
QZ_EXPORT QzWord renderPaintTexture(const Qz_ModeRenderMessage* message, const ReliefSettings& s);

// Thick paint: the relief of the layer's own transparency plane shading the
// paint colour, or the secondary image (the data below beside it) when the
// layer has one. Off the layer the data below shows. Answers 1.
QZ_EXPORT QzWord renderThickPaint(const Qz_ModeRenderMessage* message, const ReliefSettings& s);

// The bump map: the data below (plus the paint colour when `addColour`)
// shaded by the relief of the layer's secondary picture (the data below when
// it has none) where the picture lies. Answers 1.
QZ_EXPORT QzWord renderBumpMap(const Qz_ModeRenderMessage* message, const ReliefSettings& s, bool addColour);

}  // namespace qz::modes

#include "modes/mode_panel.h"
#include "modes/mode_settings.h"
#include "modes/qz_texture_modes.h"

namespace qz::modes {

// The settings of paint texture and thick paint, and their panel's rows.
struct TextureModeObject {
  Qz_Object header;
  int16_t amount = 100;  // percent of the relief, -200..200
  int16_t length = 1;    // steps along the light, 1..128
  int16_t angle = 135;   // degrees
};

inline qz::kit::Attribute textureSetting(uint32_t setter, uint32_t getter, int64_t minimum, int64_t maximum,
                                         int64_t initial, int16_t TextureModeObject::*member) {
  return {.setter = setter, .getter = getter, .minimum = minimum, .maximum = maximum, .initial = initial,
          .field = qz::kit::field(member), .changed = ownSettingChanged, .answersZero = true};
}

inline const qz::kit::Attribute kTextureSettings[] = {
    textureSetting(kQzTextureSetAmount, kQzTextureGetAmount, -200, 200, 100, &TextureModeObject::amount),
    textureSetting(kQzTextureSetLength, kQzTextureGetLength, 1, 128, 1, &TextureModeObject::length),
    // Any angle: the light turns full circle.
    textureSetting(kQzTextureSetAngle, kQzTextureGetAngle, 0, 0, 135, &TextureModeObject::angle),
};

inline ReliefSettings reliefSnapshot(const TextureModeObject* self) {
  return reliefSnapshot(loadSetting(self->amount), loadSetting(self->length), loadSetting(self->angle));
}

// Catalogue texts 91, 89 and 88 label the dial, the length and the amount.
inline constexpr PanelRow kTexturePanelRows[] = {
    angle(91, kQzTextureSetAngle, 135),
    // Whole steps: a half-step format would show one step as "1.5".
    slider(89, kQzTextureSetLength, 1, 128, 1, "%ld"),
    slider(88, kQzTextureSetAmount, -200, 200, 100, "%ld"),
    space(8)};  // a fixed gap: a stretching space would push the gadgets apart

// Combines with another image, and the relief reads around each pixel.
inline const TagItem kReliefModeTags[] = {{kQzModeSetFlags, kQzModeCombinesSource | kQzModeFullWidthNotices},
                                          {TAG_DONE, 0}};

}  // namespace qz::modes
