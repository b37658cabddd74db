// Software rasteriser: fills, lines, polygons, ellipses, text, blits and
// scrolling into 0x00RRGGBB pixel buffers, all bounded by one clip rectangle.
#include "host/raster/rasteriser.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "host/fonts/font.h"

namespace qz::raster {
namespace {

IntRect effectiveClip(const PixelBuffer& buf, const IntRect& clip) { return clip.intersect(buf.bounds()); }

// Turns a 64-bit rectangle into the drawable part of clip (already within the buffer).
IntRect clampArea(int64_t x0, int64_t y0, int64_t x1, int64_t y1, const IntRect& clip) {
  IntRect r;
  r.x0 = static_cast<int>(std::clamp<int64_t>(x0, clip.x0, clip.x1));
  r.y0 = static_cast<int>(std::clamp<int64_t>(y0, clip.y0, clip.y1));
  r.x1 = static_cast<int>(std::clamp<int64_t>(x1, clip.x0, clip.x1));
  r.y1 = static_cast<int>(std::clamp<int64_t>(y1, clip.y0, clip.y1));
  return r.empty() ? IntRect{} : r;
}

inline void plot(PixelBuffer& buf, int x, int y, uint32_t rgb, LineOp op) {
  uint32_t& p = buf.at(x, y);
  p = op == LineOp::Set ? rgb : (~(p ^ rgb)) & 0x00FFFFFFu;
}

// Coverage blend of one channel set, rounded to nearest.
inline uint32_t blend(uint32_t dst, uint32_t src, uint32_t a) {
  if (a >= 255) return src;
  const uint32_t na = 255 - a;
  uint32_t out = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const uint32_t d = (dst >> shift) & 0xFF, s = (src >> shift) & 0xFF;
    out |= ((d * na + s * a + 127) / 255) << shift;
  }
  return out;
}

}  // namespace

void fillRect(PixelBuffer& buf, const IntRect& clip, const IntRect& area, uint32_t rgb) {
  const IntRect r = area.intersect(effectiveClip(buf, clip));
  if (r.empty()) return;
  rgb &= 0x00FFFFFFu;
  for (int y = r.y0; y < r.y1; ++y) std::fill(buf.row(y) + r.x0, buf.row(y) + r.x1, rgb);
  buf.addDirty(r);
}

void invertRect(PixelBuffer& buf, const IntRect& clip, const IntRect& area) {
  const IntRect r = area.intersect(effectiveClip(buf, clip));
  if (r.empty()) return;
  for (int y = r.y0; y < r.y1; ++y) {
    uint32_t* p = buf.row(y);
    for (int x = r.x0; x < r.x1; ++x) p[x] = ~p[x] & 0x00FFFFFFu;
  }
  buf.addDirty(r);
}

void drawLine(PixelBuffer& buf, const IntRect& clip, int x0, int y0, int x1, int y1, uint32_t rgb, LineOp op,
              bool includeLast) {
  const IntRect c = effectiveClip(buf, clip);
  if (c.empty()) return;
  rgb &= 0x00FFFFFFu;
  const int64_t dx = int64_t{x1} - x0, dy = int64_t{y1} - y0;
  const int64_t adx = dx < 0 ? -dx : dx, ady = dy < 0 ? -dy : dy;
  const int sx = dx < 0 ? -1 : 1, sy = dy < 0 ? -1 : 1;
  const bool xMajor = adx >= ady;
  const int64_t major = xMajor ? adx : ady, minor = xMajor ? ady : adx;
  const int64_t last = includeLast ? major : major - 1;
  if (last < 0) return;

  // Only the steps whose major coordinate falls inside the clip are walked.
  const int64_t start = xMajor ? x0 : y0;
  const int sMajor = xMajor ? sx : sy;
  const int64_t lo = xMajor ? c.x0 : c.y0, hi = (xMajor ? c.x1 : c.y1) - 1;
  int64_t iFrom, iTo;
  if (sMajor > 0) {
    iFrom = lo - start;
    iTo = hi - start;
  } else {
    iFrom = start - hi;
    iTo = start - lo;
  }
  iFrom = std::max<int64_t>(iFrom, 0);
  iTo = std::min<int64_t>(iTo, last);
  IntRect touched;
  for (int64_t i = iFrom; i <= iTo; ++i) {
    // Step and run can both reach 2^32, so their product needs more than 64 bits.
    const int64_t off =
        major == 0 ? 0 : static_cast<int64_t>((2 * static_cast<__int128>(i) * minor + major) / (2 * major));
    int64_t px, py;
    if (xMajor) {
      px = int64_t{x0} + sx * i;
      py = int64_t{y0} + sy * off;
    } else {
      py = int64_t{y0} + sy * i;
      px = int64_t{x0} + sx * off;
    }
    if (px < c.x0 || px >= c.x1 || py < c.y0 || py >= c.y1) continue;
    plot(buf, static_cast<int>(px), static_cast<int>(py), rgb, op);
    touched = touched.unite({static_cast<int>(px), static_cast<int>(py), static_cast<int>(px) + 1,
                             static_cast<int>(py) + 1});
  }
  buf.addDirty(touched);
}

void drawPolyline(PixelBuffer& buf, const IntRect& clip, const Point* points, std::size_t count, uint32_t rgb,
                  LineOp op) {
  for (std::size_t k = 0; k + 1 < count; ++k)
    drawLine(buf, clip, points[k].x, points[k].y, points[k + 1].x, points[k + 1].y, rgb, op, false);
}

void fillPolygon(PixelBuffer& buf, const IntRect& clip, const Point* points, std::size_t count, uint32_t rgb) {
  const IntRect c = effectiveClip(buf, clip);
  if (c.empty() || count < 3) return;
  int64_t minY = points[0].y, maxY = points[0].y;
  for (std::size_t k = 1; k < count; ++k) {
    minY = std::min<int64_t>(minY, points[k].y);
    maxY = std::max<int64_t>(maxY, points[k].y);
  }
  const int rowFrom = static_cast<int>(std::max<int64_t>(minY, c.y0));
  const int rowTo = static_cast<int>(std::min<int64_t>(maxY, c.y1));  // exclusive
  rgb &= 0x00FFFFFFu;
  std::vector<double> xs;
  IntRect touched;
  for (int y = rowFrom; y < rowTo; ++y) {
    const double yc = y + 0.5;
    xs.clear();
    for (std::size_t k = 0; k < count; ++k) {
      const Point& a = points[k];
      const Point& b = points[(k + 1) % count];
      if (a.y == b.y) continue;
      const Point& lo = a.y < b.y ? a : b;
      const Point& hi = a.y < b.y ? b : a;
      if (yc < lo.y || yc >= hi.y) continue;
      xs.push_back(lo.x + (yc - lo.y) * (double(hi.x) - lo.x) / (double(hi.y) - lo.y));
    }
    std::sort(xs.begin(), xs.end());
    for (std::size_t k = 0; k + 1 < xs.size(); k += 2) {
      // Pixels whose centre x + 0.5 lies in [xs[k], xs[k+1]).
      const double from = std::ceil(xs[k] - 0.5), to = std::ceil(xs[k + 1] - 0.5);
      const int x0 = static_cast<int>(std::clamp<double>(from, c.x0, c.x1));
      const int x1 = static_cast<int>(std::clamp<double>(to, c.x0, c.x1));
      if (x1 <= x0) continue;
      std::fill(buf.row(y) + x0, buf.row(y) + x1, rgb);
      touched = touched.unite({x0, y, x1, y + 1});
    }
  }
  buf.addDirty(touched);
}

void fillEllipse(PixelBuffer& buf, const IntRect& clip, const IntRect& box, uint32_t fillRgb, uint32_t outlineRgb) {
  const IntRect c = effectiveClip(buf, clip);
  if (c.empty() || box.empty()) return;
  const double cx = (double(box.x0) + box.x1) / 2, cy = (double(box.y0) + box.y1) / 2;
  const double rx = (double(box.x1) - box.x0) / 2, ry = (double(box.y1) - box.y0) / 2;
  // The inside columns [from, to) of row y; empty outside the ellipse.
  auto span = [&](int64_t y, int64_t& from, int64_t& to) {
    from = to = 0;
    if (y < box.y0 || y >= box.y1) return;
    const double v = (y + 0.5 - cy) / ry;
    const double q = 1.0 - v * v;
    if (q < 0) return;
    const double half = rx * std::sqrt(q);
    from = static_cast<int64_t>(std::ceil(cx - half - 0.5));
    to = static_cast<int64_t>(std::floor(cx + half - 0.5)) + 1;
    from = std::max<int64_t>(from, box.x0);
    to = std::min<int64_t>(to, box.x1);
    if (to < from) to = from;
  };
  fillRgb &= 0x00FFFFFFu;
  outlineRgb &= 0x00FFFFFFu;
  const int rowFrom = std::max(c.y0, box.y0), rowTo = std::min(c.y1, box.y1);
  IntRect touched;
  for (int y = rowFrom; y < rowTo; ++y) {
    int64_t f, t, fa, ta, fb, tb;
    span(y, f, t);
    if (t <= f) continue;
    span(int64_t{y} - 1, fa, ta);
    span(int64_t{y} + 1, fb, tb);
    const int x0 = static_cast<int>(std::max<int64_t>(f, c.x0));
    const int x1 = static_cast<int>(std::min<int64_t>(t, c.x1));
    uint32_t* row = buf.row(y);
    for (int x = x0; x < x1; ++x) {
      const bool edge = x == f || x == t - 1 || x < fa || x >= ta || x < fb || x >= tb;
      row[x] = edge ? outlineRgb : fillRgb;
    }
    if (x1 > x0) touched = touched.unite({x0, y, x1, y + 1});
  }
  buf.addDirty(touched);
}

int textWidth(fonts::Font& font, const char* text, int length) {
  int width = 0;
  for (int i = 0; text != nullptr && i < length;) width += font.advance(fonts::decodeUtf8(text, length, i));
  return width;
}

int drawText(PixelBuffer& buf, const IntRect& clip, fonts::Font& font, const char* text, int length, int x, int y,
             uint32_t rgb, int quarterTurns) {
  const IntRect c = effectiveClip(buf, clip);
  rgb &= 0x00FFFFFFu;
  const int ascent = font.ascent();
  int pen = 0;
  IntRect touched;
  for (int i = 0; text != nullptr && i < length;) {
    const fonts::Glyph& g = font.glyph(fonts::decodeUtf8(text, length, i));
    if (!c.empty()) {
      for (int gy = 0; gy < g.height; ++gy) {
        const int v = ascent - g.top + gy;
        for (int gx = 0; gx < g.width; ++gx) {
          const uint32_t a = g.coverage[static_cast<std::size_t>(gy) * g.width + gx];
          if (a == 0) continue;
          const int u = pen + g.left + gx;
          int64_t px, py;
          switch (quarterTurns) {
            case 1: px = int64_t{x} + v; py = int64_t{y} - 1 - u; break;
            case 3: px = int64_t{x} - 1 - v; py = int64_t{y} + u; break;
            default: px = int64_t{x} + u; py = int64_t{y} + v; break;
          }
          if (px < c.x0 || px >= c.x1 || py < c.y0 || py >= c.y1) continue;
          uint32_t& p = buf.at(static_cast<int>(px), static_cast<int>(py));
          p = blend(p, rgb, a);
          touched = touched.unite({static_cast<int>(px), static_cast<int>(py), static_cast<int>(px) + 1,
                                   static_cast<int>(py) + 1});
        }
      }
    }
    pen += g.advance;
  }
  buf.addDirty(touched);
  return pen;
}

void blitPixels(PixelBuffer& buf, const IntRect& clip, const PixelSource& src, int sx, int sy, int sw, int sh,
                int dx, int dy, int dw, int dh) {
  if (src.pixels == nullptr || sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0) return;
  if (src.format == SourceFormat::Indexed8 && src.palette == nullptr) return;
  const IntRect target = clampArea(dx, dy, int64_t{dx} + dw, int64_t{dy} + dh, effectiveClip(buf, clip));
  if (target.empty()) return;
  const int bytesPerPixel = src.format == SourceFormat::BGR24 ? 3 : src.format == SourceFormat::XRGB32 ? 4 : 1;
  // Byte offset in a source row of each target column, worked out once per
  // call; the buffer is reused so a redraw in bands allocates nothing.
  thread_local std::vector<std::ptrdiff_t> columns;
  columns.resize(static_cast<std::size_t>(target.width()));
  for (int x = target.x0; x < target.x1; ++x) {
    const int64_t col = sx + ((2 * (int64_t{x} - dx) + 1) * sw) / (2 * int64_t{dw});
    columns[static_cast<std::size_t>(x - target.x0)] = static_cast<std::ptrdiff_t>(col * bytesPerPixel);
  }
  const std::ptrdiff_t* offset = columns.data();
  const int n = target.width();
  for (int y = target.y0; y < target.y1; ++y) {
    const int64_t row = sy + ((2 * (int64_t{y} - dy) + 1) * sh) / (2 * int64_t{dh});
    const uint8_t* line = src.pixels + row * src.bytesPerRow;
    uint32_t* out = buf.row(y) + target.x0;
    switch (src.format) {
      case SourceFormat::BGR24:
      case SourceFormat::XRGB32:
        for (int i = 0; i < n; ++i) {
          const uint8_t* p = line + offset[i];
          out[i] = (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0];
        }
        break;
      case SourceFormat::Indexed8:
        for (int i = 0; i < n; ++i) out[i] = src.palette[line[offset[i]]] & 0x00FFFFFFu;
        break;
    }
  }
  buf.addDirty(target);
}

void scrollArea(PixelBuffer& buf, const IntRect& clip, const IntRect& area, int dx, int dy) {
  const IntRect r = area.intersect(effectiveClip(buf, clip));
  if (r.empty() || (dx == 0 && dy == 0)) return;
  // Target pixel p takes the old pixel at p + (dx, dy), which must lie in r too.
  const IntRect shifted = clampArea(int64_t{r.x0} - dx, int64_t{r.y0} - dy, int64_t{r.x1} - dx,
                                    int64_t{r.y1} - dy, r);
  if (shifted.empty()) return;
  const int w = shifted.width(), h = shifted.height();
  std::vector<uint32_t> copy(static_cast<std::size_t>(w) * h);
  for (int j = 0; j < h; ++j)
    std::copy_n(buf.row(shifted.y0 + dy + j) + shifted.x0 + dx, w, copy.data() + static_cast<std::size_t>(j) * w);
  for (int j = 0; j < h; ++j)
    std::copy_n(copy.data() + static_cast<std::size_t>(j) * w, w, buf.row(shifted.y0 + j) + shifted.x0);
  buf.addDirty(shifted);
}

}  // namespace qz::raster
