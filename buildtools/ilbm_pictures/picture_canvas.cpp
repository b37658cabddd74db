#include "picture_canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace qz::pictures {

namespace {

constexpr double kPi = 3.14159265358979323846;

double distanceToSegment(Point p, Point a, Point b) {
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double lengthSquared = dx * dx + dy * dy;
  double t = 0;
  if (lengthSquared > 0) t = std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / lengthSquared, 0.0, 1.0);
  const double ex = p.x - (a.x + t * dx), ey = p.y - (a.y + t * dy);
  return std::sqrt(ex * ex + ey * ey);
}

bool insideEllipse(double px, double py, double cx, double cy, double rx, double ry) {
  if (rx <= 0 || ry <= 0) return false;
  const double u = (px - cx) / rx, v = (py - cy) / ry;
  return u * u + v * v <= 1.0;
}

// Angle of a pixel centre around a point, 0..360 counter-clockwise with y upwards.
double angleDegrees(double px, double py, double cx, double cy) {
  double a = std::atan2(cy - py, px - cx) * 180.0 / kPi;
  if (a < 0) a += 360.0;
  return a;
}

bool angleWithin(double a, double from, double to) {
  from = std::fmod(std::fmod(from, 360.0) + 360.0, 360.0);
  to = std::fmod(std::fmod(to, 360.0) + 360.0, 360.0);
  return from <= to ? (a >= from && a <= to) : (a >= from || a <= to);
}

}  // namespace

PictureCanvas::PictureCanvas(int width, int height)
    : width_(width), height_(height), pixels_(std::size_t(width) * std::size_t(height), 0) {}

uint8_t PictureCanvas::at(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  return pixels_[std::size_t(y) * width_ + x];
}

void PictureCanvas::pixel(int x, int y, uint8_t colour) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  pixels_[std::size_t(y) * width_ + x] = colour;
}

void PictureCanvas::fillRect(int x0, int y0, int x1, int y1, uint8_t colour) {
  if (x0 > x1) std::swap(x0, x1);
  if (y0 > y1) std::swap(y0, y1);
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x) pixel(x, y, colour);
}

void PictureCanvas::frameRect(int x0, int y0, int x1, int y1, uint8_t colour) {
  line(x0, y0, x1, y0, colour);
  line(x1, y0, x1, y1, colour);
  line(x1, y1, x0, y1, colour);
  line(x0, y1, x0, y0, colour);
}

void PictureCanvas::line(int x0, int y0, int x1, int y1, uint8_t colour) {
  // Bresenham, both end points drawn.
  const int dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
  const int dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
  int err = dx + dy;
  for (;;) {
    pixel(x0, y0, colour);
    if (x0 == x1 && y0 == y1) break;
    const int e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x0 += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y0 += sy;
    }
  }
}

void PictureCanvas::thickLine(Point a, Point b, double width, uint8_t colour) {
  const double r = width / 2.0;
  const int x0 = int(std::floor(std::min(a.x, b.x) - r)), x1 = int(std::ceil(std::max(a.x, b.x) + r));
  const int y0 = int(std::floor(std::min(a.y, b.y) - r)), y1 = int(std::ceil(std::max(a.y, b.y) + r));
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x)
      if (distanceToSegment({x + 0.5, y + 0.5}, a, b) <= r) pixel(x, y, colour);
}

void PictureCanvas::thickPolyline(std::initializer_list<Point> points, double width, uint8_t colour) {
  thickPolyline(std::vector<Point>(points), width, colour);
}

void PictureCanvas::thickPolyline(const std::vector<Point>& points, double width, uint8_t colour) {
  if (points.size() == 1) thickLine(points[0], points[0], width, colour);
  for (std::size_t i = 1; i < points.size(); ++i) thickLine(points[i - 1], points[i], width, colour);
}

void PictureCanvas::fillPolygon(const std::vector<Point>& points, uint8_t colour) {
  if (points.size() < 3) return;
  for (int y = 0; y < height_; ++y) {
    const double cy = y + 0.5;
    std::vector<double> crossings;
    for (std::size_t i = 0; i < points.size(); ++i) {
      const Point a = points[i], b = points[(i + 1) % points.size()];
      // Half-open in y, so a vertex shared by two edges counts once.
      if ((a.y <= cy && b.y > cy) || (b.y <= cy && a.y > cy))
        crossings.push_back(a.x + (cy - a.y) * (b.x - a.x) / (b.y - a.y));
    }
    std::sort(crossings.begin(), crossings.end());
    for (std::size_t i = 0; i + 1 < crossings.size(); i += 2) {
      // Pixels whose centre lies between the two crossings.
      const int from = int(std::ceil(crossings[i] - 0.5)), to = int(std::floor(crossings[i + 1] - 0.5));
      for (int x = from; x <= to; ++x) pixel(x, y, colour);
    }
  }
}

void PictureCanvas::fillPolygon(std::initializer_list<Point> points, uint8_t colour) {
  fillPolygon(std::vector<Point>(points), colour);
}

void PictureCanvas::framePolygon(const std::vector<Point>& points, uint8_t colour) {
  for (std::size_t i = 0; i < points.size(); ++i) {
    const Point a = points[i], b = points[(i + 1) % points.size()];
    line(int(std::lround(a.x)), int(std::lround(a.y)), int(std::lround(b.x)), int(std::lround(b.y)), colour);
  }
}

void PictureCanvas::framePolygon(std::initializer_list<Point> points, uint8_t colour) {
  framePolygon(std::vector<Point>(points), colour);
}

void PictureCanvas::fillEllipse(double cx, double cy, double rx, double ry, uint8_t colour) {
  for (int y = int(std::floor(cy - ry)); y <= int(std::ceil(cy + ry)); ++y)
    for (int x = int(std::floor(cx - rx)); x <= int(std::ceil(cx + rx)); ++x)
      if (insideEllipse(x + 0.5, y + 0.5, cx, cy, rx, ry)) pixel(x, y, colour);
}

void PictureCanvas::ringEllipse(double cx, double cy, double rx, double ry, double thickness, uint8_t colour) {
  for (int y = int(std::floor(cy - ry)); y <= int(std::ceil(cy + ry)); ++y)
    for (int x = int(std::floor(cx - rx)); x <= int(std::ceil(cx + rx)); ++x)
      if (insideEllipse(x + 0.5, y + 0.5, cx, cy, rx, ry) &&
          !insideEllipse(x + 0.5, y + 0.5, cx, cy, rx - thickness, ry - thickness))
        pixel(x, y, colour);
}

void PictureCanvas::arc(double cx, double cy, double r, double thickness, double fromDegrees, double toDegrees,
                        uint8_t colour) {
  for (int y = int(std::floor(cy - r)); y <= int(std::ceil(cy + r)); ++y)
    for (int x = int(std::floor(cx - r)); x <= int(std::ceil(cx + r)); ++x) {
      const double px = x + 0.5, py = y + 0.5;
      if (!insideEllipse(px, py, cx, cy, r, r) || insideEllipse(px, py, cx, cy, r - thickness, r - thickness))
        continue;
      if (angleWithin(angleDegrees(px, py, cx, cy), fromDegrees, toDegrees)) pixel(x, y, colour);
    }
}

void PictureCanvas::flipHorizontal() {
  for (int y = 0; y < height_; ++y) {
    uint8_t* row = pixels_.data() + std::size_t(y) * width_;
    std::reverse(row, row + width_);
  }
}

void PictureCanvas::outlineAround(uint8_t background, uint8_t outline) {
  const std::vector<uint8_t> before = pixels_;
  auto was = [&](int x, int y) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return background;
    return before[std::size_t(y) * width_ + x];
  };
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x) {
      if (was(x, y) != background) continue;
      const bool touches = (was(x - 1, y) != background && was(x - 1, y) != outline) ||
                           (was(x + 1, y) != background && was(x + 1, y) != outline) ||
                           (was(x, y - 1) != background && was(x, y - 1) != outline) ||
                           (was(x, y + 1) != background && was(x, y + 1) != outline);
      if (touches) pixel(x, y, outline);
    }
}

}  // namespace qz::pictures
