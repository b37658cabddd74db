// A palette picture being drawn: one colour index per pixel, and the few
// shapes the interface pictures are made of. Coordinates are pixels with
// (0, 0) at the top left; shapes are clipped to the picture.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace qz::pictures {

struct Point {
  double x = 0;
  double y = 0;
};

class PictureCanvas {
 public:
  PictureCanvas(int width, int height);

  int width() const { return width_; }
  int height() const { return height_; }
  // Row after row, no padding.
  const std::vector<uint8_t>& pixels() const { return pixels_; }
  uint8_t at(int x, int y) const;

  void pixel(int x, int y, uint8_t colour);
  // Corners inclusive, in either order.
  void fillRect(int x0, int y0, int x1, int y1, uint8_t colour);
  void frameRect(int x0, int y0, int x1, int y1, uint8_t colour);
  // A one-pixel line through both end points.
  void line(int x0, int y0, int x1, int y1, uint8_t colour);
  // A line of the given width with round ends, for strokes larger than a pixel.
  void thickLine(Point a, Point b, double width, uint8_t colour);
  void thickPolyline(std::initializer_list<Point> points, double width, uint8_t colour);
  void thickPolyline(const std::vector<Point>& points, double width, uint8_t colour);

  // Every pixel whose centre lies inside (even-odd rule).
  void fillPolygon(const std::vector<Point>& points, uint8_t colour);
  void fillPolygon(std::initializer_list<Point> points, uint8_t colour);
  // The closed one-pixel outline through the points, rounded to pixels.
  void framePolygon(const std::vector<Point>& points, uint8_t colour);
  void framePolygon(std::initializer_list<Point> points, uint8_t colour);

  // Every pixel whose centre lies inside the ellipse of centre (cx, cy) and
  // radii rx, ry.
  void fillEllipse(double cx, double cy, double rx, double ry, uint8_t colour);
  // The pixels inside the ellipse but not inside one `thickness` smaller.
  void ringEllipse(double cx, double cy, double rx, double ry, double thickness, uint8_t colour);
  // The part of the ring between two angles (degrees, counter-clockwise from
  // three o'clock, as on a clock face seen with y upwards).
  void arc(double cx, double cy, double r, double thickness, double fromDegrees, double toDegrees,
           uint8_t colour);

  // Mirrors the picture left to right.
  void flipHorizontal();
  // Outlines every non-background area: background pixels touching one of
  // the area's pixels (4-neighbours) take the outline colour.
  void outlineAround(uint8_t background, uint8_t outline);

 private:
  int width_;
  int height_;
  std::vector<uint8_t> pixels_;
};

}  // namespace qz::pictures
