// Pixel arrays into a rast port: unscaled and stretched copies of 24-bit,
// 32-bit and 8-bit (screen pen colours) rows, and pen colour queries.
#include "host/raster/rasteriser.h"
#include "platform/graphics.h"
#include "platform/graphics_internal.h"

QZ_EXTERN_C_BEGIN

void MyScalePixelArray(const void* src, int32_t srcX, int32_t srcY, int32_t srcW, int32_t srcH,
                       int32_t srcBytesPerRow, struct RastPort* rp, int32_t x, int32_t y, int32_t width,
                       int32_t height, uint32_t format) {
  if (src == nullptr || rp == nullptr || rp->Target == nullptr) return;
  if (srcX < 0 || srcY < 0 || srcBytesPerRow <= 0) return;
  qz::raster::PixelSource source;
  source.pixels = static_cast<const uint8_t*>(src);
  // The caller's stride is used for every format: rows padded beyond the
  // visible width (or narrower than a 4-byte multiple) must still line up.
  source.bytesPerRow = srcBytesPerRow;
  uint32_t palette[256];
  int bytesPerPixel;
  switch (format) {
    case kPixelFormatBGR24:
      source.format = qz::raster::SourceFormat::BGR24;
      bytesPerPixel = 3;
      break;
    case kPixelFormatXRGB32:
    case kPixelFormatXRGB32b:
      source.format = qz::raster::SourceFormat::XRGB32;
      bytesPerPixel = 4;
      break;
    case kPixelFormatLUT8:
      for (int i = 0; i < 256; ++i) palette[i] = qz::graphics::penRgb(static_cast<uint32_t>(i));
      source.format = qz::raster::SourceFormat::Indexed8;
      source.palette = palette;
      bytesPerPixel = 1;
      break;
    default:
      return;
  }
  // A row that the stride cannot hold would be read from the next row or beyond.
  if ((int64_t{srcX} + srcW) * bytesPerPixel > srcBytesPerRow) return;
  qz::raster::blitPixels(*rp->Target, qz::graphics::drawableArea(rp), source, srcX, srcY, srcW, srcH,
                         qz::graphics::clampCoord(x), qz::graphics::clampCoord(y), width, height);
}

void WritePixelArray(const void* src, int32_t srcX, int32_t srcY, int32_t srcBytesPerRow, struct RastPort* rp,
                     int32_t x, int32_t y, int32_t width, int32_t height, uint32_t format) {
  MyScalePixelArray(src, srcX, srcY, width, height, srcBytesPerRow, rp, x, y, width, height, format);
}

void ScalePixelArray(const void* src, int32_t srcW, int32_t srcH, int32_t srcBytesPerRow, struct RastPort* rp,
                     int32_t x, int32_t y, int32_t width, int32_t height, uint32_t format) {
  MyScalePixelArray(src, 0, 0, srcW, srcH, srcBytesPerRow, rp, x, y, width, height, format);
}

uint32_t ObtainBestPenA(void*, uint32_t r, uint32_t g, uint32_t b, const struct TagItem*) {
  return kDirectColourFlag | ((b >> 24) << 16) | ((g >> 24) << 8) | (r >> 24);
}

void GetRGB32(void*, uint32_t pen, uint32_t, uint32_t* table) {
  if (table == nullptr) return;
  const uint32_t c = Qz_GetScreenPens()[pen & 0xFFu];
  // A byte left-justified in 32 bits: repeated, so 0xFF becomes 0xFFFFFFFF.
  table[0] = (c & 0xFFu) * 0x01010101u;
  table[1] = ((c >> 8) & 0xFFu) * 0x01010101u;
  table[2] = ((c >> 16) & 0xFFu) * 0x01010101u;
}

QZ_EXTERN_C_END
