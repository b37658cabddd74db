#include "picture_parts.h"

#include <algorithm>
#include <cmath>

#include "picture_palettes.h"

namespace qz::pictures {

using namespace icon;

namespace {

constexpr double kPi = 3.14159265358979323846;

double radians(double degrees) { return degrees * kPi / 180.0; }

// A point on a circle, angles counter-clockwise with y upwards.
Point onCircle(double cx, double cy, double r, double degrees) {
  return {cx + r * std::cos(radians(degrees)), cy - r * std::sin(radians(degrees))};
}

// The quadrilateral of a stick between two distances along it.
std::vector<Point> stickPart(Point from, Point to, double begin, double end, double halfBegin, double halfEnd) {
  return {onStick(from, to, begin, -halfBegin), onStick(from, to, begin, halfBegin), onStick(from, to, end, halfEnd),
          onStick(from, to, end, -halfEnd)};
}

double length(Point a, Point b) { return std::hypot(b.x - a.x, b.y - a.y); }

}  // namespace

std::vector<Point> placed(std::initializer_list<Point> local, Point origin, double angleDegrees, double scale) {
  const double s = std::sin(radians(angleDegrees)), k = std::cos(radians(angleDegrees));
  std::vector<Point> out;
  for (const Point p : local) {
    // Counter-clockwise on screen, where y grows downwards.
    out.push_back({origin.x + scale * (p.x * k + p.y * s), origin.y + scale * (-p.x * s + p.y * k)});
  }
  return out;
}

std::vector<Point> ellipsePoints(Point centre, double rx, double ry, double angleDegrees, int steps) {
  const double s = std::sin(radians(angleDegrees)), k = std::cos(radians(angleDegrees));
  std::vector<Point> out;
  for (int i = 0; i < steps; ++i) {
    const double t = 2 * kPi * i / steps;
    const double x = rx * std::cos(t), y = ry * std::sin(t);
    out.push_back({centre.x + x * k + y * s, centre.y - x * s + y * k});
  }
  return out;
}

Point onStick(Point from, Point to, double along, double across) {
  const double l = length(from, to);
  const double ux = (to.x - from.x) / l, uy = (to.y - from.y) / l;
  return {from.x + ux * along + uy * across, from.y + uy * along - ux * across};
}

void outlinedPolygon(PictureCanvas& c, const std::vector<Point>& points, uint8_t fill) {
  c.fillPolygon(points, fill);
  c.framePolygon(points, kInk);
}

void outlinedEllipse(PictureCanvas& c, double cx, double cy, double rx, double ry, uint8_t fill) {
  c.fillEllipse(cx, cy, rx, ry, fill);
  c.ringEllipse(cx, cy, rx, ry, 1.0, kInk);
}

void handle(PictureCanvas& c, int x, int y) {
  c.fillRect(x - 1, y - 1, x + 1, y + 1, kWhite);
  c.frameRect(x - 1, y - 1, x + 1, y + 1, kInk);
}

void arrowArc(PictureCanvas& c, double cx, double cy, double radius, double thickness, double fromDegrees,
              double toDegrees, uint8_t colour) {
  c.arc(cx, cy, radius, thickness, fromDegrees, toDegrees, colour);
  const double middle = radius - thickness / 2;
  const double a = radians(toDegrees);
  const Point p = onCircle(cx, cy, middle, toDegrees);
  // Moving on counter-clockwise; across is towards the outside of the arc.
  const Point forward{-std::sin(a), -std::cos(a)};
  const Point outward{std::cos(a), -std::sin(a)};
  const double half = thickness * 1.6, reach = thickness * 1.8;
  c.fillPolygon({{p.x + outward.x * half, p.y + outward.y * half},
                 {p.x + forward.x * reach, p.y + forward.y * reach},
                 {p.x - outward.x * half, p.y - outward.y * half}},
                colour);
}

void moveArrows(PictureCanvas& c, Point centre, double reach, double head, uint8_t colour) {
  const double shaft = head * 0.45;
  for (int side = 0; side < 4; ++side) {
    const double angle = side * 90.0;
    c.fillPolygon(placed({{0, -shaft}, {reach - head, -shaft}, {reach - head, -head}, {reach, 0},
                          {reach - head, head}, {reach - head, shaft}, {0, shaft}},
                         centre, angle),
                  colour);
  }
}

void pencil(PictureCanvas& c, Point tip, Point end, double halfWidth) {
  const double l = length(tip, end);
  const double cone = halfWidth * 2.4;
  const double ferrule = l - 5.5, eraser = l - 3.2;
  // Body first with its shaded side, then the sharpened end and the far end.
  c.fillPolygon(stickPart(tip, end, cone, ferrule, halfWidth, halfWidth), kYellow);
  c.fillPolygon(stickPart(tip, end, cone, ferrule, halfWidth * 0.25, halfWidth * 0.25), kOrange);
  c.framePolygon(stickPart(tip, end, cone, ferrule, halfWidth, halfWidth), kInk);
  const std::vector<Point> wood = {tip, onStick(tip, end, cone, halfWidth), onStick(tip, end, cone, -halfWidth)};
  c.fillPolygon(wood, kWood);
  c.fillPolygon({tip, onStick(tip, end, cone * 0.45, halfWidth * 0.45), onStick(tip, end, cone * 0.45, -halfWidth * 0.45)},
                kGraphite);
  c.framePolygon(wood, kInk);
  outlinedPolygon(c, stickPart(tip, end, ferrule, eraser, halfWidth, halfWidth), kSilver);
  outlinedPolygon(c, stickPart(tip, end, eraser, l, halfWidth, halfWidth), kEraser);
}

void paintBrush(PictureCanvas& c, Point tip, Point end, double halfWidth, uint8_t paint) {
  const double l = length(tip, end);
  const double bristles = l * 0.3, ferrule = l * 0.45;
  // Bristles fan out from a paint-soaked point.
  const std::vector<Point> hairs = {onStick(tip, end, 0, 0), onStick(tip, end, bristles * 0.35, halfWidth * 1.1),
                                    onStick(tip, end, bristles, halfWidth),
                                    onStick(tip, end, bristles, -halfWidth),
                                    onStick(tip, end, bristles * 0.35, -halfWidth * 1.1)};
  c.fillPolygon(hairs, kBrown);
  c.fillPolygon({onStick(tip, end, 0, 0), onStick(tip, end, bristles * 0.45, halfWidth * 1.0),
                 onStick(tip, end, bristles * 0.45, -halfWidth * 1.0)},
                paint);
  c.framePolygon(hairs, kInk);
  outlinedPolygon(c, stickPart(tip, end, bristles, ferrule, halfWidth, halfWidth * 0.9), kSilver);
  outlinedPolygon(c, stickPart(tip, end, ferrule, l, halfWidth * 0.7, halfWidth * 0.9), kRed);
}

void bucket(PictureCanvas& c, Point centre, double scale, uint8_t paint) {
  // Drawn upright around (0, 0) and tipped to the right.
  constexpr double kTilt = -35;
  const std::vector<Point> body = placed({{-6.5, -4}, {6.5, -4}, {5, 7}, {-5, 7}}, centre, kTilt, scale);
  outlinedPolygon(c, body, kSilver);
  const std::vector<Point> shine = placed({{-4.5, -3}, {-3, -3}, {-2.5, 6}, {-3.5, 6}}, centre, kTilt, scale);
  c.fillPolygon(shine, kWhite);
  // The open top, full of paint.
  const Point top = placed({{0, -4}}, centre, kTilt, scale)[0];
  const std::vector<Point> opening = ellipsePoints(top, 6.5 * scale, 2.2 * scale, kTilt, 32);
  outlinedPolygon(c, opening, paint);
  // The handle arcs over the opening.
  const std::vector<Point> bail = placed({{-6.5, -4}, {-5, -8.5}, {0, -10.5}, {5, -8.5}, {6.5, -4}}, centre, kTilt, scale);
  c.thickPolyline(bail, 1.0, kInk);
  // Paint running over the lip and dripping down.
  const Point lip = placed({{6.5, -4}}, centre, kTilt, scale)[0];
  c.thickPolyline({{lip.x, lip.y}, {lip.x + 1.5 * scale, lip.y + 3 * scale}, {lip.x + 1.5 * scale, lip.y + 6 * scale}},
                  2.2 * scale, paint);
  c.fillEllipse(lip.x + 1.5 * scale, lip.y + 7.5 * scale, 1.8 * scale, 2.2 * scale, paint);
}

void drop(PictureCanvas& c, Point apex, double radius, uint8_t fill) {
  // A round body below a point; the sides meet the circle where they touch it.
  const double distance = radius * 2.2;
  const double spread = std::acos(radius / distance) * 180.0 / kPi;
  std::vector<Point> outline = {apex};
  for (int i = 0; i <= 24; ++i)
    outline.push_back(onCircle(apex.x, apex.y + distance, radius, 90 + spread + (360 - 2 * spread) * i / 24.0));
  outlinedPolygon(c, outline, fill);
}

void layerSheet(PictureCanvas& c, Point centre, double halfWidth, double halfHeight, uint8_t fill) {
  outlinedPolygon(c,
                  {{centre.x, centre.y - halfHeight},
                   {centre.x + halfWidth, centre.y},
                   {centre.x, centre.y + halfHeight},
                   {centre.x - halfWidth, centre.y}},
                  fill);
}

void landscape(PictureCanvas& c, int x0, int y0, int x1, int y1) {
  const int w = x1 - x0, h = y1 - y0;
  c.fillRect(x0, y0, x1, y1, kSky);
  c.fillEllipse(x0 + w * 0.72, y0 + h * 0.32, w * 0.13, w * 0.13, kYellow);
  c.fillPolygon({{double(x0), y0 + h * 0.75},
                 {x0 + w * 0.3, y0 + h * 0.38},
                 {x0 + w * 0.62, y1 + 1.0},
                 {double(x0), y1 + 1.0}},
                kDarkGreen);
  c.fillPolygon({{x0 + w * 0.25, y1 + 1.0}, {x0 + w * 0.62, y0 + h * 0.55}, {x1 + 1.0, y0 + h * 0.8}, {x1 + 1.0, y1 + 1.0}},
                kGreen);
  c.frameRect(x0, y0, x1, y1, kInk);
}

void floppy(PictureCanvas& c, int x0, int y0, int x1, int y1) {
  const double w = x1 - x0, h = y1 - y0;
  const double cut = w * 0.15;
  outlinedPolygon(c,
                  {{double(x0), double(y0)},
                   {x1 - cut, double(y0)},
                   {double(x1), y0 + cut},
                   {double(x1), double(y1)},
                   {double(x0), double(y1)}},
                  kBlue);
  // The sliding shutter with its window, and the label.
  const int sx0 = x0 + int(w * 0.25), sx1 = x1 - int(w * 0.22), sy1 = y0 + int(h * 0.33);
  c.fillRect(sx0, y0 + 1, sx1, sy1, kSilver);
  c.frameRect(sx0, y0, sx1, sy1, kInk);
  const int wx = sx1 - int((sx1 - sx0) * 0.35);
  c.fillRect(wx, y0 + 2, wx + std::max(1, int(w * 0.1)) - 1, sy1 - 2, kDarkBlue);
  const int lx0 = x0 + int(w * 0.18), lx1 = x1 - int(w * 0.18), ly0 = y0 + int(h * 0.52);
  c.fillRect(lx0, ly0, lx1, y1, kWhite);
  c.frameRect(lx0, ly0, lx1, y1, kInk);
  for (int y = ly0 + 3; y < y1 - 1; y += 3) c.line(lx0 + 2, y, lx1 - 2, y, kSky);
}

void mixedDiscs(PictureCanvas& c, Point left, Point right, double radius) {
  c.fillEllipse(left.x, left.y, radius, radius, kRed);
  c.fillEllipse(right.x, right.y, radius, radius, kBlue);
  // Where both discs lie the colours mix.
  for (int y = 0; y < c.height(); ++y)
    for (int x = 0; x < c.width(); ++x) {
      const double px = x + 0.5, py = y + 0.5;
      if (std::hypot(px - left.x, py - left.y) <= radius && std::hypot(px - right.x, py - right.y) <= radius)
        c.pixel(x, y, kPurple);
    }
  c.ringEllipse(left.x, left.y, radius, radius, 1.0, kInk);
  c.ringEllipse(right.x, right.y, radius, radius, 1.0, kInk);
}

void magnifier(PictureCanvas& c, int sign) {
  constexpr double kCx = 9.5, kCy = 9.5, kR = 8;
  c.thickLine({15.5, 15.5}, {20.5, 20.5}, 5.5, kInk);
  c.thickLine({15.5, 15.5}, {20.5, 20.5}, 3.2, kBrown);
  c.fillEllipse(kCx, kCy, kR, kR, kGlass);
  c.arc(kCx, kCy, kR - 2.5, 1.3, 100, 170, kWhite);
  c.ringEllipse(kCx, kCy, kR, kR, 2.2, kSteel);
  c.ringEllipse(kCx, kCy, kR, kR, 1.0, kInk);
  if (sign != 0) c.fillRect(6, 9, 13, 10, kDarkBlue);
  if (sign > 0) c.fillRect(9, 6, 10, 13, kDarkBlue);
}

}  // namespace qz::pictures
