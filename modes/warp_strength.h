// What the swirl and super nova modes (and the spiral blur) share: a centre,
// a strength and a quality, their panel and handler, the zoom-out pass they
// fall back on, and the burst's seeded rays.
#pragma once

#include <array>
#include <cstdint>

#include "image/qz_compositor.h"
#include "modes/mode_fetch.h"
#include "modes/mode_panel.h"
#include "modes/qz_warp_modes.h"
#include "modes/warp_centre.h"
#include "objects/qz_class_kit.h"
#include "platform/qz_export.h"

namespace qz::modes {

struct StrengthModeObject {
  Qz_Object header;
  WarpCentre centre;
  int32_t strength = 30, quality = 7;
};

// The kit's rows: strength -255..255 (30 at first), quality 1..100 (7).
QZ_EXPORT std::span<const qz::kit::Attribute> strengthAttributes();

// The panel: the centre's entries and button, the strength and quality sliders.
template <int32_t InitialStrength>
inline constexpr PanelRow kStrengthPanelRows[] = {
    number(99, kQzSwirlSetCentreX), number(100, kQzSwirlSetCentreY), button(205, kQzSwirlCentre),
    slider(115, kQzSwirlSetStrength, -255, 255, InitialStrength, "%ld"),
    slider(97, kQzSwirlSetQuality, 1, 100, 7, "%ld%%")};

// What a render works with, read once.
struct StrengthSettings {
  int32_t strength = 0, quality = 1, centreX = 0, centreY = 0;
};
QZ_EXPORT StrengthSettings readStrengthSettings(Qz_Object* mode);

// The handler of the three: the centre's setters, getters and button, the
// layer handed over (its middle the centre unless one was chosen), the
// render; the rest to the attribute rows and RootMode.
using StrengthRender = QzWord (*)(Qz_Object* mode, const Qz_ModeRenderMessage* message);
QZ_EXPORT QzWord strengthModeDispatch(Qz_Object* mode, uint32_t id, const QzWord* args, StrengthRender render);
template <StrengthRender Render>
QzWord strengthModeHandler(Qz_Object* mode, uint32_t id, const QzWord* args) {
  return strengthModeDispatch(mode, id, args, Render);
}

// The block a render writes, or null when there is none or the document is
// neither 24-bit nor grey (nothing to write).
QZ_EXPORT const Qz_ImageLock* strengthBlock(const Qz_ModeRenderMessage* message);

// The zoom-out pass over `length` on every channel of the block (the grey
// plane of a grey document); length 0 copies the block as it lies below.
QZ_EXPORT void zoomOutBlock(const Qz_ModeRenderMessage* message, const SourceView& below, int32_t length,
                            const StrengthSettings& s);

// The burst's 80 ray brightnesses for a seed (the quality): each the mean of
// two draws of the platform's generator, each draw divided by 32767.
using BurstRays = std::array<double, 80>;
QZ_EXPORT BurstRays burstRays(int32_t seed);
// The burst at (dx, dy) from the centre for n > 0: the glow 0.9 / (d / n +
// 0.001) plus the square of the ray brightness there, times 255, clamped.
// The centre itself is all glow: 255.
QZ_EXPORT uint8_t burstValue(const BurstRays& rays, int32_t dx, int32_t dy, int32_t n);

}  // namespace qz::modes
