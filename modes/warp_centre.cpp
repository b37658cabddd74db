#include "modes/warp_centre.h"

#include <algorithm>

#include "image/image_internal.h"
#include "modes/mode_panel.h"
#include "modes/mode_settings.h"
#include "modes/qz_root_mode.h"
#include "objects/qz_class_kit.h"

namespace qz::modes {

namespace {

void Qz__Store(Qz_Object* mode, WarpCentre& centre, int32_t x, int32_t y, uint32_t setterX, uint32_t setterY) {
  centre.x.store(x, std::memory_order_relaxed);
  centre.y.store(y, std::memory_order_relaxed);
  showInPanel(mode, setterX, QzWord(uint32_t(x)));
  showInPanel(mode, setterY, QzWord(uint32_t(y)));
  ownSettingChanged(mode);
}

}  // namespace

void setWarpCentre(Qz_Object* mode, WarpCentre& centre, int axis, int32_t value, uint32_t setter,
                   bool clampToDocument) {
  int32_t stored = value;
  if (clampToDocument && centre.layer) {
    // The last pixel, not one past it: a centre outside would map pixels off the image.
    const Qz_Image* document = qz::topDocument(centre.layer);
    const int32_t size = document ? (axis == 0 ? document->width : document->height) : 0;
    if (size > 0) stored = std::clamp(value, 0, size - 1);
  }
  (axis == 0 ? centre.x : centre.y).store(stored, std::memory_order_relaxed);
  centre.chosen.store(true, std::memory_order_relaxed);
  if (stored != value) showInPanel(mode, setter, QzWord(uint32_t(stored)));
  ownSettingChanged(mode);
}

void centreWarpOnLayer(Qz_Object* mode, WarpCentre& centre, uint32_t setterX, uint32_t setterY) {
  Qz_Image* layer = centre.layer;
  if (!layer) return;
  Qz__Store(mode, centre, int32_t(layer->placement.layerX) + layer->width / 2,
            int32_t(layer->placement.layerY) + layer->height / 2, setterX, setterY);
}

void warpLayerSet(Qz_Object* mode, WarpCentre& centre, Qz_Image* layer, uint32_t setterX, uint32_t setterY) {
  centre.layer = layer;
  if (!layer) return;
  if (centre.chosen.load(std::memory_order_relaxed)) {
    showInPanel(mode, setterX, QzWord(uint32_t(centre.x.load(std::memory_order_relaxed))));
    showInPanel(mode, setterY, QzWord(uint32_t(centre.y.load(std::memory_order_relaxed))));
    return;
  }
  centreWarpOnLayer(mode, centre, setterX, setterY);
}

std::optional<QzWord> answerWarpCentre(Qz_Object* mode, WarpCentre& centre, const WarpCentreMessages& ids,
                                       uint32_t id, const QzWord* args) {
  if (ids.getX && id == ids.getX) return QzWord(uint32_t(centre.x.load(std::memory_order_relaxed)));
  if (ids.getY && id == ids.getY) return QzWord(uint32_t(centre.y.load(std::memory_order_relaxed)));
  if (id == ids.centre) {
    centreWarpOnLayer(mode, centre, ids.setX, ids.setY);
    return QzWord(0);
  }
  if (id == kQzModeSetImage) {
    warpLayerSet(mode, centre, reinterpret_cast<Qz_Image*>(args[0]), ids.setX, ids.setY);
    return qz::kit::inherited(mode, id, args);
  }
  return std::nullopt;
}

}  // namespace qz::modes
