#include "tools/rubber_band.h"

#include <algorithm>

#include "objects/object_services.h"
#include "objects/qz_draw_info.h"
#include "objects/qz_root.h"

namespace qz::tools {
namespace {

constexpr uint32_t kInvertPen = kDirectColourFlag | 0x000000;  // lines "not xor" what lies under them

}  // namespace

void drawRubberBand(RastPort* rp, const BandBox& box, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  if (!rp || box.x1 < box.x0 || box.y1 < box.y0) return;
  x0 = std::clamp(x0, box.x0, box.x1), x1 = std::clamp(x1, box.x0, box.x1);
  y0 = std::clamp(y0, box.y0, box.y1), y1 = std::clamp(y1, box.y0, box.y1);
  const uint32_t savedMode = GetDrMd(rp), savedPen = rp->FgPen;
  const int16_t savedX = rp->cp_x, savedY = rp->cp_y;
  SetABPenDrMd(rp, kInvertPen, rp->BgPen, COMPLEMENT);
  if (x0 == x1 || y0 == y1) {
    DrawLine(rp, x0, y0, x1, y1, kInvertPen);  // both ends included
  } else {
    Move(rp, x0, y0);
    Draw(rp, x1, y1);  // leaves out its last pixel
    WritePixel(rp, x1, y1);
  }
  SetABPenDrMd(rp, savedPen, rp->BgPen, savedMode);
  rp->cp_x = savedX, rp->cp_y = savedY;
}

void drawLayerBands(Qz_Image* image, Qz_Image* layer, const std::vector<int32_t>& p) {
  Qz_Object* view = image ? Qz_CurrentViewOf(image) : nullptr;
  const auto* box = reinterpret_cast<const Qz_LayoutBox*>(Qz_DoMethod(view, kRootGetLayoutBox));
  Qz_DrawInfo* info = view && box ? Qz_LockDrawInfo(view) : nullptr;
  if (!info) return;
  const BandBox band{box->left, box->top, box->left + box->width - 1, box->top + box->height - 1};
  for (size_t i = 2; i + 1 < p.size(); i += 2)
    drawRubberBand(info->rastPort, band, LayerToWindowX(layer, p[i - 2]), LayerToWindowY(layer, p[i - 1]),
                   LayerToWindowX(layer, p[i]), LayerToWindowY(layer, p[i + 1]));
  Qz_UnlockDrawInfo(view);
}

}  // namespace qz::tools
