// Colour fills and background erasing for gadgets.
#include <cstdint>

#include "objects/draw/draw_colours.h"
#include "objects/draw/qz_draw.h"
#include "objects/qz_object.h"
#include "platform/graphics.h"

QZ_EXTERN_C_BEGIN

void Qz_FillRectRGB(Qz_DrawInfo* info, int32_t x, int32_t y, int32_t width, int32_t height, uint32_t,
                    uint32_t colour) {
  if (info == nullptr || info->rastPort == nullptr) return;
  FillPixelArray(info->rastPort, x, y, width, height, colour);
}

void Qz_EraseBackground(Qz_Object* object, Qz_DrawInfo* info, int32_t x, int32_t y, int32_t width,
                        int32_t height) {
  if (info == nullptr || info->rastPort == nullptr) return;
  if (info->directColours) {
    uint32_t colour = qz::draw::coloursOfBox(info->currentBox).base;
    // The walk is bounded: a container chain that loops must not hang drawing.
    Qz_Object* ancestor = qz::draw::parentOf(object);
    for (int depth = 0; colour == kQzColourNotSet && ancestor != nullptr && depth < 1024; ++depth) {
      colour = qz::draw::coloursOfBox(qz::draw::boxOf(ancestor)).base;
      ancestor = qz::draw::parentOf(ancestor);
    }
    if (colour != kQzColourNotSet) {
      FillPixelArray(info->rastPort, x, y, width, height, colour);
      return;
    }
  }
  FillPixelArray(info->rastPort, x, y, width, height, Qz_ResolvePen(info->backgroundPen));
}

void Qz_EraseObjectBackground(Qz_Object* object, Qz_DrawInfo* info) {
  if (info == nullptr || info->currentBox == nullptr) return;
  const Qz_LayoutBox* box = info->currentBox;
  Qz_EraseBackground(object, info, box->left, box->top, box->width, box->height);
}

QZ_EXTERN_C_END
