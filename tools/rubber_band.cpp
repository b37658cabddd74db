#include "tools/rubber_band.h"

#include <algorithm>

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

}  // namespace qz::tools
