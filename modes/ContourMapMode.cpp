// ContourMapMode: moves every pixel along a direction by its own brightness
// and snaps it to a grid, so the picture breaks into terraces of contours.
// Answers its amount, grid and angle methods and the render method.
#include <algorithm>
#include <cstdlib>

#include "modes/direction.h"
#include "modes/mode_fetch.h"
#include "modes/mode_kit.h"
#include "modes/mode_panel.h"
#include "modes/mode_settings.h"
#include "modes/qz_relief_modes.h"

namespace {

struct Qz_ContourMapModeObject {
  Qz_Object header;
  int16_t angle = 0, amount = 0, gridX = 0, gridY = 0;  // kit attribute rows
};

template <int16_t Qz_ContourMapModeObject::*Member>
constexpr qz::kit::Attribute Qz__Setting(uint32_t setter, uint32_t getter, int64_t minimum, int64_t maximum,
                                         int64_t initial) {
  return {.setter = setter, .getter = getter, .minimum = minimum, .maximum = maximum, .initial = initial,
          .field = qz::kit::field(Member), .changed = qz::modes::ownSettingChanged, .answersZero = true};
}

// A grid below 1 would divide by zero.
const qz::kit::Attribute kAttributes[] = {
    Qz__Setting<&Qz_ContourMapModeObject::amount>(kQzContourSetAmount, kQzContourGetAmount, 0, 255, 20),
    Qz__Setting<&Qz_ContourMapModeObject::gridX>(kQzContourSetGridX, kQzContourGetGridX, 1, 255, 10),
    Qz__Setting<&Qz_ContourMapModeObject::gridY>(kQzContourSetGridY, kQzContourGetGridY, 1, 255, 10),
    Qz__Setting<&Qz_ContourMapModeObject::angle>(kQzContourSetAngle, kQzContourGetAngle, INT16_MIN, INT16_MAX, 45),
};

constexpr qz::modes::PanelRow kPanelRows[] = {
    qz::modes::angle(91, kQzContourSetAngle, 45),
    qz::modes::slider(11, kQzContourSetAmount, 0, 255, 20),
    qz::modes::slider("Grid X", kQzContourSetGridX, 1, 255, 10),
    qz::modes::slider("Grid Y", kQzContourSetGridY, 1, 255, 10)};
constexpr qz::modes::PanelSpec kPanel{"ContourMap", kPanelRows};

// v moved down to its grid line; the remainder takes v's sign, so a negative
// v moves up toward 0 (and is then limited to the image).
inline int32_t Qz__Snap(int32_t v, int32_t grid) { return v - v % grid; }

QzWord Qz__RenderContours(Qz_Object* object, const Qz_ModeRenderMessage* message) {
  const auto* self = qz::kit::self<Qz_ContourMapModeObject>(object);
  const Qz_ImageLock* block = message ? message->block : nullptr;
  const qz::modes::ModeSize size = qz::modes::modeSize(block);
  if (!block || size.depth != 24 || block->x0 > block->x1 || block->y0 > block->y1) return 1;
  const int32_t amount = std::clamp<int32_t>(qz::modes::loadSetting(self->amount), 0, 255);
  const int32_t gridX = std::clamp<int32_t>(qz::modes::loadSetting(self->gridX), 1, 255);
  const int32_t gridY = std::clamp<int32_t>(qz::modes::loadSetting(self->gridY), 1, 255);
  const qz::modes::Direction d = qz::modes::directionFloor(qz::modes::loadSetting(self->angle));
  const int32_t cx = int16_t(d.dx * amount / 256), cy = int16_t(d.dy * amount / 256);
  // A brightness of at most 255 moves a pixel less than |cx| columns, and the
  // snap at most a grid less one further.
  const int32_t reachX = gridX + std::abs(cx), reachY = gridY + std::abs(cy);
  qz::modes::SpareFetch below(message, {std::max(block->x0 - reachX, 0), std::max(block->y0 - reachY, 0),
                                        std::min(block->x1 + reachX, size.width - 1),
                                        std::min(block->y1 + reachY, size.height - 1)});
  if (!below.ok()) return 1;
  const qz::modes::SourceView& view = below.view();
  for (int32_t y = block->y0; y <= block->y1; ++y) {
    const qz::modes::SourceRow r = view.row(0, y), g = view.row(1, y), b = view.row(2, y);
    const int32_t row = y - block->y0;
    for (int32_t x = block->x0; x <= block->x1; ++x) {
      // The mean of the three channels, not R + G + B / 3, which would reach 595.
      const int32_t brightness = (int32_t(r[x]) + g[x] + b[x]) / 3;
      const int32_t sx = std::clamp(Qz__Snap(x + ((brightness * cx) >> 10), gridX), 0, size.width - 1);
      const int32_t sy = std::clamp(Qz__Snap(y + ((brightness * cy) >> 10), gridY), 0, size.height - 1);
      const int32_t i = x - block->x0;
      message->r[row][i] = view.at(0, sx, sy);
      message->g[row][i] = view.at(1, sx, sy);
      message->b[row][i] = view.at(2, sx, sy);
    }
  }
  return 1;
}

QzWord Qz__ContourMapDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  if (id == kQzModeRender) return Qz__RenderContours(object, qz::modes::renderMessage(args));
  return qz::kit::inherited(object, id, args);
}

const qz::kit::ClassDecl kContourMapMode = {
    .name = "ContourMapMode", .superName = "RootMode", .classId = kQzContourMapModeClassId,
    .instance = qz::kit::instanceOf<Qz_ContourMapModeObject>(), .handler = Qz__ContourMapDispatch,
    .attributes = kAttributes, .setUp = qz::modes::panelSetUp<kPanel>};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitContourMapModeClass(Qz_GlobalData*) { return qz::kit::addClass(kContourMapMode); }
QZ_EXPORT void Qz_CleanupContourMapModeClass(void) { qz::kit::removeClass(kContourMapMode); }
QZ_EXTERN_C_END
