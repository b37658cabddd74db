// PixelizeMode: the picture below as a mosaic of flat cells, each pixel
// taking the colour of its cell's top-left pixel. The grid is anchored at the
// image's corner, so a block that starts mid-cell continues that cell.
#include <algorithm>

#include "modes/mode_fetch.h"
#include "modes/mode_kit.h"
#include "modes/mode_panel.h"
#include "modes/mode_settings.h"

namespace {

constexpr uint32_t kPixelizeModeClassId = 0x816;
constexpr uint32_t kSetCellWidth = 0x820, kGetCellWidth = 0x82A;
constexpr uint32_t kSetCellHeight = 0x834, kGetCellHeight = 0x83E;
// The sliders go to 256; callers may ask for more, never for less than 1.
constexpr int32_t kLargestCell = 65536;

struct Qz_PixelizeModeObject {
  Qz_Object header;
  int32_t cellWidth = 6, cellHeight = 6;
};

const qz::kit::Attribute kAttributes[] = {
    {.setter = kSetCellWidth, .getter = kGetCellWidth, .minimum = 1, .maximum = kLargestCell, .initial = 6,
     .field = qz::kit::field(&Qz_PixelizeModeObject::cellWidth), .changed = qz::modes::ownSettingChanged},
    {.setter = kSetCellHeight, .getter = kGetCellHeight, .minimum = 1, .maximum = kLargestCell, .initial = 6,
     .field = qz::kit::field(&Qz_PixelizeModeObject::cellHeight), .changed = qz::modes::ownSettingChanged},
};

constexpr qz::modes::PanelRow kPanelRows[] = {qz::modes::slider(9, kSetCellWidth, 1, 256, 6, "%ld"),
                                              qz::modes::slider(10, kSetCellHeight, 1, 256, 6, "%ld")};
constexpr qz::modes::PanelSpec kPanel{"Pixelize", kPanelRows};

QzWord Qz__RenderPixelize(Qz_PixelizeModeObject* self, const Qz_ModeRenderMessage* message) {
  const int32_t cw = std::max(qz::modes::loadSetting(self->cellWidth), 1);
  const int32_t ch = std::max(qz::modes::loadSetting(self->cellHeight), 1);
  const Qz_ImageLock* block = message ? message->block : nullptr;
  const qz::modes::ModeSize size = qz::modes::modeSize(block);
  if (size.depth != 24 || block->x0 > block->x1 || block->y0 > block->y1) return 1;
  auto cellStart = [](int32_t v, int32_t cell, int32_t limit) {
    return std::clamp(v - v % cell, 0, limit - 1);
  };
  // Only the cells' first rows and columns are read.
  const int32_t fx0 = cellStart(block->x0, cw, size.width), fy0 = cellStart(block->y0, ch, size.height);
  const int32_t fx1 = std::clamp(block->x1, fx0, size.width - 1);
  const int32_t fy1 = std::clamp(block->y1, fy0, size.height - 1);
  qz::modes::SpareFetch below(message, {fx0, fy0, fx1, fy1});
  if (!below.ok()) return 1;
  const qz::modes::SourceView& view = below.view();
  const int32_t count = block->x1 - block->x0 + 1;
  uint8_t* const* dst[3] = {message->r, message->g, message->b};
  for (int32_t y = block->y0; y <= block->y1; ++y) {
    const int32_t sy = cellStart(y, ch, size.height);
    for (int c = 0; c < 3; ++c) {
      const uint8_t* src = view.row(c, sy).from(fx0, fx1 - fx0 + 1);
      uint8_t* out = dst[c][y - block->y0];
      for (int32_t i = 0; i < count; ++i) out[i] = src[cellStart(block->x0 + i, cw, size.width) - fx0];
    }
  }
  return 1;
}

QzWord Qz__PixelizeModeDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  if (id == kQzModeRender)
    return Qz__RenderPixelize(qz::kit::self<Qz_PixelizeModeObject>(object), qz::modes::renderMessage(args));
  return qz::kit::inherited(object, id, args);
}

const qz::kit::ClassDecl kPixelizeMode = {
    .name = "PixelizeMode", .superName = "RootMode", .classId = kPixelizeModeClassId,
    .instance = qz::kit::instanceOf<Qz_PixelizeModeObject>(), .handler = Qz__PixelizeModeDispatch,
    .attributes = kAttributes, .setUp = qz::modes::panelSetUp<kPanel>};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitPixelizeModeClass(Qz_GlobalData*) { return qz::kit::addClass(kPixelizeMode); }
QZ_EXPORT void Qz_CleanupPixelizeModeClass(void) { qz::kit::removeClass(kPixelizeMode); }
QZ_EXTERN_C_END
