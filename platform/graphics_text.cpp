// Text in a rast port's face: drawing (plain and turned), measuring, fitting.
#include <algorithm>

#include "host/fonts/font.h"
#include "host/raster/rasteriser.h"
#include "platform/graphics.h"
#include "platform/graphics_internal.h"

namespace {

qz::fonts::Font& faceOf(const RastPort* rp) {
  return rp != nullptr && rp->Font != nullptr ? *rp->Font : qz::fonts::defaultFont();
}

bool usable(const RastPort* rp, const char* text, int32_t length) {
  return rp != nullptr && text != nullptr && length > 0;
}

}  // namespace

QZ_EXTERN_C_BEGIN

int32_t TextLength(struct RastPort* rp, const char* text, int32_t length) {
  if (!usable(rp, text, length)) return 0;
  return qz::raster::textWidth(faceOf(rp), text, length);
}

int32_t Text(struct RastPort* rp, const char* text, int32_t length) {
  if (!usable(rp, text, length)) return 0;
  qz::fonts::Font& face = faceOf(rp);
  const int width = qz::raster::textWidth(face, text, length);
  if (rp->Target != nullptr) {
    const qz::raster::IntRect clip = qz::graphics::drawableArea(rp);
    if (rp->DrawMode == JAM2)
      qz::raster::fillRect(*rp->Target, clip,
                           qz::graphics::rectFromEdges(rp->cp_x, rp->cp_y, int64_t{rp->cp_x} + width,
                                                       int64_t{rp->cp_y} + face.height()),
                           qz::graphics::penRgb(rp->BgPen));
    qz::raster::drawText(*rp->Target, clip, face, text, length, rp->cp_x, rp->cp_y,
                         qz::graphics::penRgb(rp->FgPen), 0);
  }
  Move(rp, rp->cp_x + width, rp->cp_y);
  return width;
}

int32_t TextFit(struct RastPort* rp, const char* text, int32_t length, int32_t maxWidth) {
  if (!usable(rp, text, length)) return 0;
  qz::fonts::Font& face = faceOf(rp);
  int64_t width = 0;
  int32_t fitted = 0;
  for (int i = 0; i < length;) {
    width += face.advance(qz::fonts::decodeUtf8(text, length, i));
    if (width > maxWidth) break;
    fitted = i;
  }
  return fitted;
}

int32_t Qz_TextRotated(struct RastPort* rp, int32_t x, int32_t y, const char* text, int32_t length,
                       int32_t angleDegrees) {
  if (!usable(rp, text, length)) return 0;
  int turns;
  if (angleDegrees == 90)
    turns = 1;
  else if (angleDegrees == 270)
    turns = 3;
  else
    return 0;
  qz::fonts::Font& face = faceOf(rp);
  if (rp->Target == nullptr) return qz::raster::textWidth(face, text, length);
  return qz::raster::drawText(*rp->Target, qz::graphics::drawableArea(rp), face, text, length,
                              qz::graphics::clampCoord(x), qz::graphics::clampCoord(y),
                              qz::graphics::penRgb(rp->FgPen), turns);
}

// Faces are chosen per host (Qz_SetRastPortFont), never by the callers that
// used to pass a font handle here.
void SetFont(struct RastPort*, void*) {}

QZ_EXTERN_C_END
