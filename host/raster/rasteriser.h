// The software rasteriser behind the rast-port calls: every routine draws into
// a PixelBuffer within a clip rectangle and records what it touched as dirty.
// Colours here are 0x00RRGGBB; coordinates may lie anywhere in 32-bit range and
// the work done is bounded by the clipped area, never by the shape's size.
#pragma once

#include <cstddef>
#include <cstdint>

#include "host/raster/pixel_buffer.h"
#include "platform/qz_export.h"

namespace qz::fonts {
class Font;
}

namespace qz::raster {

struct Point {
  int x, y;
};

// How a line's pixels combine with what is there.
enum class LineOp { Set, NotXor };

// Every routine intersects clip with the buffer's bounds itself.
QZ_EXPORT void fillRect(PixelBuffer& buf, const IntRect& clip, const IntRect& area, uint32_t rgb);
// Inverts the colour bits (the top byte stays 0).
QZ_EXPORT void invertRect(PixelBuffer& buf, const IntRect& clip, const IntRect& area);

// A one-pixel line from (x0, y0) towards (x1, y1); the last pixel only when
// includeLast. Pixels are chosen by rounding the minor coordinate of each
// major-axis step to the nearest pixel (halves away from the start).
QZ_EXPORT void drawLine(PixelBuffer& buf, const IntRect& clip, int x0, int y0, int x1, int y1, uint32_t rgb,
                        LineOp op, bool includeLast);
// Joined segments; each joint is drawn once and the final point is left out.
QZ_EXPORT void drawPolyline(PixelBuffer& buf, const IntRect& clip, const Point* points, std::size_t count,
                            uint32_t rgb, LineOp op);

// Even-odd fill of a closed polygon: a pixel is inside when its centre is
// (left and top edges in, right and bottom edges out).
QZ_EXPORT void fillPolygon(PixelBuffer& buf, const IntRect& clip, const Point* points, std::size_t count,
                           uint32_t rgb);

// The ellipse inscribed in box (half-open): inside pixels are those whose
// centre lies in the ellipse; the inside pixels touching the outside on one
// of their four sides take the outline colour, the rest the fill colour.
QZ_EXPORT void fillEllipse(PixelBuffer& buf, const IntRect& clip, const IntRect& box, uint32_t fillRgb,
                           uint32_t outlineRgb);

// Text in a face; (x, y) is where the unturned text's top-left corner goes.
// quarterTurns 0: left to right; 1: turned a quarter anticlockwise (reads bottom
// to top); 3: a quarter clockwise (reads top to bottom). Returns the width.
QZ_EXPORT int drawText(PixelBuffer& buf, const IntRect& clip, fonts::Font& font, const char* text, int length,
                       int x, int y, uint32_t rgb, int quarterTurns);
// The width of a text in a face (UTF-8, length in bytes).
QZ_EXPORT int textWidth(fonts::Font& font, const char* text, int length);

// Source pixels for blits.
enum class SourceFormat { BGR24, XRGB32, Indexed8 };
struct PixelSource {
  const uint8_t* pixels = nullptr;  // row 0, column 0
  std::ptrdiff_t bytesPerRow = 0;
  SourceFormat format = SourceFormat::XRGB32;
  const uint32_t* palette = nullptr;  // 256 0x00RRGGBB entries for Indexed8
};
// Copies the source rectangle (sx, sy, sw, sh) to (dx, dy, dw, dh), stretching
// by nearest neighbour (each target pixel takes the source pixel under its
// centre). Only source pixels inside the given rectangle are read.
QZ_EXPORT void blitPixels(PixelBuffer& buf, const IntRect& clip, const PixelSource& src, int sx, int sy, int sw,
                          int sh, int dx, int dy, int dw, int dh);

// Moves the content of area by (-dx, -dy); only pixels inside area and clip
// change; the uncovered part keeps its old pixels.
QZ_EXPORT void scrollArea(PixelBuffer& buf, const IntRect& clip, const IntRect& area, int dx, int dy);

}  // namespace qz::raster
