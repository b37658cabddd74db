// Rast-port state, pens, rectangles, lines and ellipse outlines.
#include "platform/graphics.h"

#include <cmath>
#include <cstdlib>
#include <limits>

#include "host/fonts/font.h"
#include "host/raster/rasteriser.h"
#include "platform/graphics_internal.h"

using qz::graphics::drawableArea;
using qz::graphics::penRgb;
using qz::graphics::rectFromCorners;

namespace {

// Pens 0..3 are the screen's face, shadow, shine and highlight colours; the
// rest of the table is black until someone sets it.
uint32_t gScreenPens[256] = {0xC0C0C0u, 0x000000u, 0xFFFFFFu, 0xFFB43Cu};

}  // namespace

QZ_EXTERN_C_BEGIN

uint32_t* Qz_GetScreenPens(void) { return gScreenPens; }

uint32_t Qz_ResolvePen(uint32_t pen) {
  if (pen & kDirectColourFlag) return pen & 0x00FFFFFFu;
  return gScreenPens[pen & 0xFFu] & 0x00FFFFFFu;
}

void Qz_AttachRastPort(struct RastPort* rp, qz::raster::PixelBuffer* target) {
  if (rp == nullptr) return;
  rp->Target = target;
  rp->ClipOn = 0;
  rp->ClipX0 = rp->ClipY0 = rp->ClipX1 = rp->ClipY1 = 0;
  rp->Font = nullptr;
  InitRastPort(rp);
}

void InitRastPort(struct RastPort* rp) {
  if (rp == nullptr) return;
  rp->FgPen = 0;
  rp->BgPen = 0;
  rp->AOlPen = 0;
  rp->DrawMode = JAM2;
  rp->cp_x = rp->cp_y = 0;
  if (rp->Font == nullptr) rp->Font = &qz::fonts::defaultFont();
  rp->TxHeight = static_cast<uint16_t>(rp->Font->height());
}

void Qz_SetRastPortFont(struct RastPort* rp, qz::fonts::Font* font) {
  if (rp == nullptr || font == nullptr) return;
  rp->Font = font;
  rp->TxHeight = static_cast<uint16_t>(font->height());
}

void SetAPen(struct RastPort* rp, uint32_t pen) {
  if (rp != nullptr) rp->FgPen = pen;
}

void SetBPen(struct RastPort* rp, uint32_t pen) {
  if (rp != nullptr) rp->BgPen = pen;
}

void SetDrMd(struct RastPort* rp, uint32_t mode) {
  if (rp != nullptr) rp->DrawMode = static_cast<uint8_t>(mode);
}

void SetABPenDrMd(struct RastPort* rp, uint32_t aPen, uint32_t bPen, uint32_t mode) {
  if (rp == nullptr) return;
  rp->FgPen = aPen;
  rp->BgPen = bPen;
  rp->DrawMode = static_cast<uint8_t>(mode);
}

uint32_t GetDrMd(struct RastPort* rp) { return rp != nullptr ? rp->DrawMode : 0; }

void Move(struct RastPort* rp, int32_t x, int32_t y) {
  if (rp == nullptr) return;
  rp->cp_x = static_cast<int16_t>(x);
  rp->cp_y = static_cast<int16_t>(y);
}

void RectFill(struct RastPort* rp, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  if (rp == nullptr || rp->Target == nullptr) return;
  const qz::raster::IntRect area = rectFromCorners(x0, y0, x1, y1);
  if (rp->DrawMode == COMPLEMENT)
    qz::raster::invertRect(*rp->Target, drawableArea(rp), area);
  else
    qz::raster::fillRect(*rp->Target, drawableArea(rp), area, penRgb(rp->FgPen));
}

void EraseRect(struct RastPort* rp, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  if (rp == nullptr) return;
  rp->FgPen = 0;
  RectFill(rp, x0, y0, x1, y1);
}

int32_t FillPixelArray(struct RastPort* rp, int32_t x, int32_t y, int32_t width, int32_t height, uint32_t colorRef) {
  if (rp == nullptr || width <= 0 || height <= 0) return 0;
  if (rp->Target != nullptr)
    qz::raster::fillRect(*rp->Target, drawableArea(rp),
                         qz::graphics::rectFromEdges(x, y, int64_t{x} + width, int64_t{y} + height),
                         qz::raster::rgbFromColorRef(colorRef & 0x00FFFFFFu));
  const int64_t count = int64_t{width} * height;
  return static_cast<int32_t>(std::min<int64_t>(count, std::numeric_limits<int32_t>::max()));
}

void WritePixel(struct RastPort* rp, int32_t x, int32_t y) { RectFill(rp, x, y, x, y); }

uint32_t ReadRGBPixel(struct RastPort* rp, int32_t x, int32_t y) {
  if (rp == nullptr || rp->Target == nullptr || !rp->Target->bounds().contains(x, y)) return 0xFFFFFFFFu;
  return qz::raster::colorRefFromRgb(rp->Target->at(x, y));
}

void DrawLine(struct RastPort* rp, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t pen) {
  if (rp == nullptr) return;
  if (x0 == x1 || y0 == y1) {
    rp->FgPen = pen;
    RectFill(rp, x0, y0, x1, y1);
    return;
  }
  if (rp->Target == nullptr) return;
  qz::raster::drawLine(*rp->Target, drawableArea(rp), x0, y0, x1, y1, penRgb(pen),
                       rp->DrawMode == COMPLEMENT ? qz::raster::LineOp::NotXor : qz::raster::LineOp::Set,
                       /*includeLast=*/false);
}

void Draw(struct RastPort* rp, int32_t x, int32_t y) {
  if (rp == nullptr) return;
  DrawLine(rp, rp->cp_x, rp->cp_y, x, y, rp->FgPen);
  Move(rp, x, y);
}

void DrawEllipse(struct RastPort* rp, int32_t cx, int32_t cy, int32_t rx, int32_t ry) {
  if (rp == nullptr) return;
  // Pen positions are 16-bit, so larger radii cannot be drawn anyway.
  const int64_t arx = std::min<int64_t>(std::llabs(int64_t{rx}), 0xFFFF);
  const int64_t ary = std::min<int64_t>(std::llabs(int64_t{ry}), 0xFFFF);
  // A flat ellipse is a line: the half heights below would divide by zero
  // (rx = 0) or collapse to a two-pixel stub (ry = 0).
  if (arx == 0) {
    Move(rp, cx, static_cast<int32_t>(cy - ary));
    Draw(rp, cx, static_cast<int32_t>(cy + ary));
    return;
  }
  if (ary == 0) {
    Move(rp, static_cast<int32_t>(cx - arx), cy);
    Draw(rp, static_cast<int32_t>(cx + arx), cy);
    return;
  }
  auto half = [&](int64_t d) {
    return static_cast<int64_t>(std::floor(std::sqrt(double(arx * arx - d * d)) * double(ary) / double(arx)));
  };
  int64_t previousY = cy - ary;
  Move(rp, cx, static_cast<int32_t>(previousY));
  auto step = [&](int64_t x, int64_t y) {
    if (y == previousY) return;
    Draw(rp, static_cast<int32_t>(x), static_cast<int32_t>(y));
    previousY = y;
  };
  for (int64_t d = 0; d <= arx; ++d) step(cx + d, cy - half(d));
  for (int64_t d = arx; d >= 0; --d) step(cx + d, cy + half(d));
  for (int64_t d = 0; d <= arx; ++d) step(cx - d, cy + half(d) + 1);
  for (int64_t d = arx; d >= 0; --d) step(cx - d, cy - half(d) + 1);
}

int32_t AreaEnd(struct RastPort*) { return -1; }

QZ_EXTERN_C_END
