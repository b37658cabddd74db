// Raised and sunken frames: two-pixel borders in the screen's shine and
// shadow pens and the drawing info's light and dark pens.
#include <cstdint>

#include "objects/draw/qz_draw.h"
#include "platform/graphics.h"

namespace {

constexpr uint32_t kShadowPen = 1, kShinePen = 2;

}  // namespace

QZ_EXTERN_C_BEGIN

void Qz_DrawBevel(Qz_DrawInfo* info, int32_t x, int32_t y, int32_t w, int32_t h) {
  if (info == nullptr || info->rastPort == nullptr) return;
  RastPort* rp = info->rastPort;
  SetAPen(rp, kShinePen);
  Move(rp, x, y + h - 1);
  Draw(rp, x, y);
  Draw(rp, x + w - 1, y);
  SetAPen(rp, kShadowPen);
  Move(rp, x + w - 1, y + 1);
  Draw(rp, x + w - 1, y + h - 1);
  Draw(rp, x, y + h - 1);
  SetAPen(rp, info->lightPen);
  Move(rp, x + 2, y + h - 2);
  Draw(rp, x + w - 2, y + h - 2);
  Draw(rp, x + w - 2, y + 1);
  SetAPen(rp, info->darkPen);
  Move(rp, x + 1, y + h - 2);
  Draw(rp, x + 1, y + 1);
  Draw(rp, x + w - 2, y + 1);
}

void Qz_DrawIndent(Qz_DrawInfo* info, int32_t x, int32_t y, int32_t w, int32_t h) {
  if (info == nullptr || info->rastPort == nullptr) return;
  RastPort* rp = info->rastPort;
  SetAPen(rp, info->lightPen);
  Move(rp, x, y + h - 1);
  Draw(rp, x, y);
  Draw(rp, x + w - 1, y);
  SetAPen(rp, kShinePen);
  Draw(rp, x + w - 1, y + h - 1);
  Draw(rp, x + 1, y + h - 1);
  SetAPen(rp, kShadowPen);
  Move(rp, x + 1, y + h - 1);
  Draw(rp, x + 1, y + 1);
  Draw(rp, x + w - 2, y + 1);
  SetAPen(rp, info->darkPen);
  Move(rp, x + 2, y + h - 2);
  Draw(rp, x + w - 2, y + h - 2);
  Draw(rp, x + w - 2, y + 1);
}

QZ_EXTERN_C_END
