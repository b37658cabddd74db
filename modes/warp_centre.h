// The centre of a warp mode: a point in document pixels that the panel's
// two entries edit, set to the middle of the layer when a layer comes and
// no centre was chosen yet, and kept when one was.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>

#include "objects/qz_object.h"

struct Qz_Image;

namespace qz::modes {

struct WarpCentre {
  std::atomic<int32_t> x{0}, y{0};
  std::atomic<bool> chosen{false};
  Qz_Image* layer = nullptr;
};

// Stores one coordinate (axis 0 x, 1 y), clamped into the document when
// asked and the layer is known; a clamped value is shown in the entry of
// `setter`. Asks for a re-render.
void setWarpCentre(Qz_Object* mode, WarpCentre& centre, int axis, int32_t value, uint32_t setter,
                   bool clampToDocument = true);
// The centre to the layer's middle, shown in the entries of the two setters.
void centreWarpOnLayer(Qz_Object* mode, WarpCentre& centre, uint32_t setterX, uint32_t setterY);
// A layer is handed over: its middle becomes the centre unless one was chosen.
void warpLayerSet(Qz_Object* mode, WarpCentre& centre, Qz_Image* layer, uint32_t setterX, uint32_t setterY);

// A warp mode's centre messages; a getter of 0 is one the mode has not.
struct WarpCentreMessages {
  uint32_t setX, setY, getX, getY, centre;
};
// Answers what every warp mode answers alike: the two getters, the Centre
// button, and a layer handed over (passed on to the superclass after). The
// setters stay each mode's own, as their ranges differ. Nothing for any other
// message.
std::optional<QzWord> answerWarpCentre(Qz_Object* mode, WarpCentre& centre, const WarpCentreMessages& ids,
                                       uint32_t id, const QzWord* args);

}  // namespace qz::modes
