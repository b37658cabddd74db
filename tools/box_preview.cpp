#include "tools/box_preview.h"

#include "objects/object_services.h"
#include "objects/qz_draw_info.h"
#include "objects/qz_root.h"
#include "tools/rubber_band.h"

namespace qz::tools {

void drawBoxPreview(Qz_Image* image, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  Qz_Object* view = image ? Qz_CurrentViewOf(image) : nullptr;
  const auto* box = view ? reinterpret_cast<const Qz_LayoutBox*>(Qz_DoMethod(view, kRootGetLayoutBox)) : nullptr;
  Qz_DrawInfo* info = box ? Qz_LockDrawInfo(view) : nullptr;
  if (!info) return;
  const BandBox band{box->left, box->top, box->left + box->width - 1, box->top + box->height - 1};
  const int32_t wx0 = ImageToWindowX(image, x0), wy0 = ImageToWindowY(image, y0);
  const int32_t wx1 = ImageToWindowX(image, x1), wy1 = ImageToWindowY(image, y1);
  RastPort* rp = info->rastPort;
  // Top, right, bottom, left; a run that would be empty is left out.
  drawRubberBand(rp, band, wx0, wy0, wx1, wy0);
  if (wy1 > wy0) drawRubberBand(rp, band, wx1, wy0 + 1, wx1, wy1);
  if (wy1 > wy0 && wx1 > wx0) drawRubberBand(rp, band, wx0, wy1, wx1 - 1, wy1);
  if (wy1 - 1 > wy0 && wx1 > wx0) drawRubberBand(rp, band, wx0, wy0 + 1, wx0, wy1 - 1);
  Qz_UnlockDrawInfo(view);
}

}  // namespace qz::tools
