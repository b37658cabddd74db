// HoneycombMode: every pixel takes the colour at the centre of its
// hexagonal cell. The cells lie on tiles 6s wide and 4s high, each holding a
// middle cell and four corner quarters; a pixel as far from a corner as
// from the middle belongs to the middle. The cell size is stored in object
// text.
#include "modes/mode_kit.h"
#include "modes/mode_panel.h"
#include "modes/mode_settings.h"
#include "modes/rank_filters.h"

namespace {

constexpr uint32_t kHoneycombModeClassId = 0x808;

constexpr qz::modes::SettingRange kRanges[] = {{kQzModeSetRadius, 1, 256}};

constexpr auto kMethods = qz::modes::rank::storedRootAttribute(kQzModeSetRadius, "Qz_SetModeRadius",
                                                               kQzModeGetRadius, "Qz_GetModeRadius");

constexpr qz::modes::PanelRow kPanelRows[] = {qz::modes::slider(89, kQzModeSetRadius, 1, 256, 3, "%ld")};
constexpr qz::modes::PanelSpec kPanel{"Honeycomb", kPanelRows};

// The offset from a tile position (u, v) to its cell's centre.
struct CellOffset {
  int32_t dx, dy;
};

CellOffset Qz__Cell(int32_t u, int32_t v, int32_t s) {
  const int32_t mx = 3 * s, my = 2 * s;
  const int32_t cx = u < mx ? 0 : 6 * s, cy = v < my ? 0 : 4 * s;
  const int32_t toCorner = (u - cx) * (u - cx) + (v - cy) * (v - cy);
  const int32_t toMiddle = (u - mx) * (u - mx) + (v - my) * (v - my);
  return toCorner < toMiddle ? CellOffset{cx - u, cy - v} : CellOffset{mx - u, my - v};
}

QzWord Qz__RenderHoneycomb(Qz_Object* object, const Qz_ModeRenderMessage* message) {
  const int32_t s = qz::modes::readRootSettings(object, kRanges).radius;
  qz::modes::rank::Plane planes[3];
  const int planeCount = qz::modes::rank::blockPlanes(message, planes);
  if (planeCount == 0) return 1;
  const Qz_ImageLock* block = message->block;
  const qz::modes::ModeSize size = qz::modes::modeSize(block);
  qz::modes::SpareFetch below(message, {block->x0 - 3 * s, std::max(block->y0 - 2 * s, 0), block->x1 + 3 * s,
                                        std::min(block->y1 + 2 * s, size.height - 1)});
  if (!below.ok()) return 0;
  const qz::modes::SourceView& view = below.view();
  for (int32_t y = block->y0; y <= block->y1; ++y) {
    const int32_t v = y % (4 * s);
    for (int32_t x = block->x0; x <= block->x1; ++x) {
      const CellOffset cell = Qz__Cell(x % (6 * s), v, s);
      const int32_t sx = view.clampX(x + cell.dx), sy = view.clampY(y + cell.dy);
      for (int p = 0; p < planeCount; ++p)
        planes[p].dst[y - block->y0][x - block->x0] = view.at(planes[p].channel, sx, sy);
    }
  }
  return 1;
}

QzWord Qz__HoneycombModeDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  if (id == kQzModeRender) return Qz__RenderHoneycomb(object, qz::modes::renderMessage(args));
  return qz::modes::inheritedInRange(object, id, args, kRanges);
}

bool Qz__SetUpHoneycomb(Qz_Object* object) {
  qz::modes::buildPanel(object, kPanel);
  Qz_DoMethod(object, kQzModeSetRadius, 3);
  return true;
}

const qz::kit::ClassDecl kHoneycombMode = {
    .name = "HoneycombMode", .superName = "RootMode", .classId = kHoneycombModeClassId,
    .handler = Qz__HoneycombModeDispatch, .methods = kMethods.data(), .setUp = Qz__SetUpHoneycomb};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitHoneycombModeClass(Qz_GlobalData*) { return qz::kit::addClass(kHoneycombMode); }
QZ_EXPORT void Qz_CleanupHoneycombModeClass(void) { qz::kit::removeClass(kHoneycombMode); }
QZ_EXTERN_C_END
