// The frame styles gadgets draw round their boxes, with an optional title.
// Coordinates follow the frame's box; styles 9 and 14 reach outside it on
// purpose (tabs joining the page below or beside them).
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "host/raster/rasteriser.h"
#include "objects/draw/draw_colours.h"
#include "objects/draw/qz_draw.h"
#include "platform/graphics.h"
#include "platform/graphics_internal.h"

namespace {

constexpr uint32_t kFacePen = 0, kShadowPen = 1, kShinePen = 2, kFourthPen = 3;

// Halving that rounds down for negative values too (frames lower than the text).
int32_t halfDown(int64_t v) { return static_cast<int32_t>(v >= 0 ? v / 2 : -((-v + 1) / 2)); }

struct Frame {
  Qz_Object* object;
  Qz_DrawInfo* info;
  RastPort* rp;
  int32_t x, y, w, h;
  const char* title;  // null when there is none
  int32_t titleLength;
  int32_t T;           // text height
  int32_t tx, ty;      // title position
  qz::draw::ObjectColours colours;
  bool direct;

  void pen(uint32_t p) { SetAPen(rp, p); }
  void move(int32_t px, int32_t py) { Move(rp, px, py); }
  void draw(int32_t px, int32_t py) { Draw(rp, px, py); }
  void fill(int32_t x0, int32_t y0, int32_t x1, int32_t y1) { RectFill(rp, x0, y0, x1, y1); }
  void erase(int32_t ex, int32_t ey, int32_t ew, int32_t eh) { Qz_EraseBackground(object, info, ex, ey, ew, eh); }

  void drawTitle(uint32_t aPen, uint32_t bPen, uint32_t mode, int32_t row) {
    if (title == nullptr) return;
    SetABPenDrMd(rp, aPen, bPen, mode);
    Move(rp, tx, row);
    Text(rp, title, titleLength);
  }
  // The row of a title centred in the frame's height (the usual two-pixel margin).
  int32_t centredRow() const { return ty + halfDown(int64_t{h} - T - 2); }

  void disc(uint32_t p, int32_t cx, int32_t cy, int32_t rx, int32_t ry) {
    SetAPen(rp, p);
    rp->AOlPen = static_cast<uint8_t>(p);
    Qz_FillEllipse(rp, cx, cy, rx, ry);
  }

  void groove();
  void radio(bool checked);
};

void Frame::groove() {
  const int32_t m = title != nullptr ? y + T / 2 : y;
  const uint32_t light = info->lightPen;
  if (light != 0) {
    pen(light);
    move(x, y + h - 1);
    draw(x, m);
    draw(x + w - 1, m);
    pen(kShinePen);
    draw(x + w - 1, y + h - 1);
    draw(x, y + h - 1);
    pen(kShinePen);
    move(x + 1, y + h - 2);
    draw(x + 1, m + 1);
    draw(x + w - 2, m + 1);
    pen(light);
    draw(x + w - 2, y + h - 2);
    draw(x + 1, y + h - 2);
  } else {
    Qz_DrawIndent(info, x, m, w, h - (m - y));
    Qz_DrawBevel(info, x + 1, m + 1, w - 2, h - (m - y) - 2);
  }
  if (title != nullptr) {
    pen(kFacePen);
    fill(tx - 1, y, tx, y + T);  // opens the frame line left of the text
    drawTitle(kShadowPen, kFacePen, JAM2, ty);
  }
}

// The radio-button look: a sunken ring (shadow top-left, shine bottom-right)
// round a white well, and a black dot when checked.
void Frame::radio(bool checked) {
  if (rp->Target == nullptr) return;
  const int32_t side = std::min(w, h);
  if (side <= 0) return;
  const qz::raster::IntRect clip = qz::graphics::drawableArea(rp);
  qz::raster::PixelBuffer& buf = *rp->Target;
  const auto rgb = [](uint32_t p) { return qz::graphics::penRgb(p); };
  const auto box = [&](int32_t inset, int32_t shift) {
    return qz::graphics::rectFromEdges(int64_t{x} + inset + shift, int64_t{y} + inset + shift,
                                       int64_t{x} + side - inset + shift, int64_t{y} + side - inset + shift);
  };
  qz::raster::fillEllipse(buf, clip, box(0, 0), rgb(kShinePen), rgb(kShinePen));
  qz::raster::fillEllipse(buf, clip, qz::graphics::rectFromEdges(x, y, int64_t{x} + side - 1, int64_t{y} + side - 1),
                          rgb(info->lightPen), rgb(info->lightPen));
  qz::raster::fillEllipse(buf, clip, box(1, 0), rgb(kFacePen), rgb(kFacePen));
  qz::raster::fillEllipse(buf, clip, box(2, 0), 0x00FFFFFF, 0x00FFFFFF);
  if (checked && side >= 7) {
    const int32_t inset = side / 3;
    qz::raster::fillEllipse(buf, clip, box(inset, 0), 0, 0);
  }
}

}  // namespace

QZ_EXTERN_C_BEGIN

void Qz_DrawFrame(Qz_Object* object, Qz_DrawInfo* info, int32_t x, int32_t y, int32_t w, int32_t h,
                  const char* title, QzWord, uint32_t style) {
  if (info == nullptr || info->window == nullptr || info->rastPort == nullptr) return;
  Frame f{};
  f.object = object;
  f.info = info;
  f.rp = info->rastPort;
  f.x = x, f.y = y, f.w = w, f.h = h;
  f.title = title != nullptr && title[0] != '\0' ? title : nullptr;
  f.titleLength = f.title != nullptr ? static_cast<int32_t>(std::strlen(f.title)) : 0;
  f.T = f.rp->TxHeight;
  f.ty = y + 1;
  f.tx = f.title != nullptr ? x + halfDown(int64_t{w} - TextLength(f.rp, f.title, f.titleLength)) : x;
  f.colours = qz::draw::coloursOfBox(info->currentBox);
  f.direct = info->directColours != 0;
  const uint32_t light = f.colours.light, dark = f.colours.dark, base = f.colours.base;
  const int32_t T = f.T;

  switch (style & ~0x80u) {
    case 1:
    case 2:
    case 11: {
      auto frame = (style & ~0x80u) == 1 ? Qz_DrawBevel : Qz_DrawIndent;
      if (f.title == nullptr) {
        frame(info, x, y, w, h);
      } else {
        const int32_t drop = 2 * T / 3;
        frame(info, x + 1, y + drop, w - 2, h - drop - 1);
      }
      f.drawTitle(kShadowPen, kFacePen, JAM2, f.ty);
      break;
    }
    case 3:
      f.groove();
      break;
    case 4:
      if (light != 0 && f.direct)
        FillPixelArray(f.rp, x + 1, y + 1, w - 2, h - 2, light);
      else
        f.erase(x + 1, y + 1, w - 1, h - 1);
      Qz_DrawBevel(info, x, y, w, h);
      f.drawTitle(kShadowPen, kFacePen, JAM1, f.centredRow());
      break;
    case 5:
      if (dark != 0 && f.direct) {
        FillPixelArray(f.rp, x + 1, y + 1, w - 2, h - 2, dark);
      } else {
        SetABPenDrMd(f.rp, kFourthPen, kFacePen, JAM1);
        const int32_t fw = info->frameWidth, fh = info->frameHeight;
        f.fill(x + fw, y + fh, x + w + 1 - 2 * fw, y + h + 1 - 2 * fh);
      }
      Qz_DrawIndent(info, x, y, w, h);
      f.drawTitle(kShinePen, kFourthPen, JAM2, f.centredRow());
      break;
    case 6:
    case 7:
      if (base != 0 && f.direct) {
        f.erase(x, y, w, h);
      } else if (base == kQzToolTipColour) {
        SetABPenDrMd(f.rp, kShinePen, kFacePen, JAM1);
        f.fill(x, y, x + w - 1, y + h - 1);
      } else {
        f.erase(x, y, w, h);
      }
      f.drawTitle(kShadowPen, kFacePen, JAM1, f.ty - 1 + halfDown(int64_t{h} - T));
      break;
    case 8:
      if (dark != 0 && f.direct) {
        FillPixelArray(f.rp, x + 1, y + 1, w - 2, h - 2, dark);
      } else {
        SetABPenDrMd(f.rp, kFourthPen, kFourthPen, JAM2);
        f.fill(x, y, x + w - 1, y + h - 1);
      }
      f.drawTitle(kShinePen, kFourthPen, JAM1, f.centredRow());
      break;
    case 9:
      SetABPenDrMd(f.rp, kFacePen, kFacePen, JAM1);
      f.fill(x + 1, y + 1, x + w - 1, y + h + 1);
      f.pen(kShinePen);
      f.move(x, y + h - 1);
      f.draw(x, y);
      f.draw(x + w - 1, y);
      f.pen(kShadowPen);
      f.move(x + w - 1, y + 1);
      f.draw(x + w - 1, y + h - 1);
      f.pen(info->lightPen);
      f.move(x + w - 2, y + h - 2);
      f.draw(x + w - 2, y + 1);
      f.pen(info->darkPen);
      f.move(x + 1, y + h - 2);
      f.draw(x + 1, y + 1);
      f.draw(x + w - 2, y + 1);
      break;
    case 10:
      SetABPenDrMd(f.rp, kFacePen, kFacePen, JAM1);
      f.fill(x, y, x + w - 1, y + h - 1);
      Qz_DrawBevel(info, x, y + 1, w, h);
      f.fill(x + 1, y + 3, x + w - 3, y + h - 1);  // in the dark pen the bevel ended with
      f.drawTitle(kShadowPen, kFacePen, JAM2, f.ty + 1 + halfDown(int64_t{h} - T - 2));
      break;
    case 12:
    case 13: {
      const int32_t rx = (w - 3) / 2, ry = (h - 3) / 2;
      const bool raised = (style & ~0x80u) == 12;
      f.disc(raised ? kShadowPen : kShinePen, x + rx + 3, y + ry + 3, rx, ry);
      f.disc(raised ? kShinePen : kShadowPen, x + rx + 1, y + ry + 1, rx, ry);
      f.disc(kFacePen, x + rx + 2, y + ry + 2, rx, ry);
      break;
    }
    case 14:
      f.pen(info->lightPen);
      f.move(x + w, y + h - 1);
      f.draw(x + 2, y + h - 1);
      f.pen(kShadowPen);
      f.move(x + w, y + h);
      f.draw(x, y + h);
      f.pen(kShinePen);
      f.draw(x, y - 1);
      f.draw(x + w, y - 1);
      f.move(x + 1, y);
      f.draw(x + 1, y + h - 1);
      f.move(x, y - 2);
      f.draw(x + w, y - 2);
      f.erase(x + w, y, 2, h);
      break;
    case 15:
      f.pen(info->lightPen);
      f.move(x + w - 1, y + h - 2);
      f.draw(x + 4, y + h - 2);
      f.pen(kShadowPen);
      f.move(x + w - 1, y + h - 1);
      f.draw(x + 2, y + h - 1);
      f.pen(kShinePen);
      f.draw(x + 2, y);
      f.draw(x + w - 1, y);
      f.erase(x, y + h, w, 1);
      break;
    case 18:
      f.erase(x, y, w, h);
      Qz_DrawIndent(info, x, y, w, h);
      break;
    case 20:
      f.pen(info->lightPen);
      f.fill(x, y, x + w, y);
      f.pen(kShadowPen);
      f.fill(x, y + h - 1, x + w, y + h - 1);
      f.pen(kShinePen);
      f.fill(x, y + 1, x + w, y + 1);
      break;
    case 21:
    case 22:
      f.radio((style & ~0x80u) == 22);
      break;
    default:
      break;
  }
}

QZ_EXTERN_C_END
