// The painting tools' pictures, 24 x 24. Tools with an outlined and a filled
// variant have three: the general one shows both shapes.
#include <cmath>

#include "picture_drawings.h"
#include "picture_palettes.h"
#include "picture_parts.h"

namespace qz::pictures {

using namespace icon;

namespace {

// The closed outline of a shape, two pixels wide.
void strokeShape(PictureCanvas& c, std::vector<Point> points, uint8_t colour) {
  points.push_back(points.front());
  c.thickPolyline(points, 2.0, colour);
}

// A freehand loop below the pencil of the draw tool.
std::vector<Point> scribble() {
  return {{3, 16}, {5, 12}, {9, 11}, {12, 14}, {10, 18}, {6, 21}, {3, 19}};
}

std::vector<Point> polygonShape(double dx, double dy, double scale) {
  return placed({{-7, -2}, {0, -7.5}, {8, -3}, {5.5, 7.5}, {-5, 7}}, {dx, dy}, 0, scale);
}

void endPoint(PictureCanvas& c, int x, int y) {
  c.fillRect(x - 1, y - 1, x + 1, y + 1, kBlue);
  c.frameRect(x - 2, y - 2, x + 2, y + 2, kInk);
}

// A cubic curve through its end points, as a polyline.
std::vector<Point> cubic(Point a, Point b, Point c, Point d) {
  std::vector<Point> out;
  for (int i = 0; i <= 32; ++i) {
    const double t = i / 32.0, u = 1 - t;
    out.push_back({u * u * u * a.x + 3 * u * u * t * b.x + 3 * u * t * t * c.x + t * t * t * d.x,
                   u * u * u * a.y + 3 * u * u * t * b.y + 3 * u * t * t * c.y + t * t * t * d.y});
  }
  return out;
}

}  // namespace

void drawDrawMain(PictureCanvas& c) {
  c.thickPolyline(cubic({2, 21}, {5, 15}, {6, 22}, {9, 18}), 1.6, kRed);
  pencil(c, {8, 16}, {22, 2}, 2.8);
}

void drawDrawNormal(PictureCanvas& c) {
  std::vector<Point> loop = scribble();
  loop.push_back(loop.front());
  c.thickPolyline(loop, 1.6, kRed);
  pencil(c, {10, 14}, {22, 2}, 2.6);
}

void drawDrawFilled(PictureCanvas& c) {
  c.fillPolygon(scribble(), kRed);
  std::vector<Point> loop = scribble();
  loop.push_back(loop.front());
  c.thickPolyline(loop, 1.2, kDarkRed);
  pencil(c, {10, 14}, {22, 2}, 2.6);
}

void drawLine(PictureCanvas& c) {
  c.thickLine({4.5, 19.5}, {19.5, 4.5}, 2.0, kInk);
  endPoint(c, 4, 19);
  endPoint(c, 19, 4);
}

void drawCurve(PictureCanvas& c) {
  c.thickPolyline(cubic({4.5, 19.5}, {3, 8}, {10, 3}, {19.5, 4.5}), 2.0, kInk);
  endPoint(c, 4, 19);
  endPoint(c, 19, 4);
}

void drawPolygonMain(PictureCanvas& c) {
  strokeShape(c, polygonShape(9, 9, 0.85), kInk);
  outlinedPolygon(c, polygonShape(14.5, 14.5, 0.85), kBlue);
}

void drawPolygonUnfilled(PictureCanvas& c) { strokeShape(c, polygonShape(12, 12, 1.2), kInk); }

void drawPolygonFilled(PictureCanvas& c) {
  c.fillPolygon(polygonShape(12, 12, 1.2), kBlue);
  strokeShape(c, polygonShape(12, 12, 1.2), kInk);
}

void drawRectangleMain(PictureCanvas& c) {
  c.frameRect(2, 2, 14, 14, kInk);
  c.frameRect(3, 3, 13, 13, kInk);
  c.fillRect(9, 9, 21, 21, kBlue);
  c.frameRect(9, 9, 21, 21, kInk);
}

void drawRectangleOutlined(PictureCanvas& c) {
  c.frameRect(2, 4, 21, 19, kInk);
  c.frameRect(3, 5, 20, 18, kInk);
}

void drawRectangleSolid(PictureCanvas& c) {
  c.fillRect(2, 4, 21, 19, kBlue);
  c.frameRect(2, 4, 21, 19, kInk);
}

void drawEllipseMain(PictureCanvas& c) {
  c.ringEllipse(8.5, 8.5, 7, 6, 2, kInk);
  c.fillEllipse(14.5, 15, 8, 6.5, kBlue);
  c.ringEllipse(14.5, 15, 8, 6.5, 1.2, kInk);
}

void drawEllipseUnfilled(PictureCanvas& c) { c.ringEllipse(12, 12, 10.5, 8, 2, kInk); }

void drawEllipseFilled(PictureCanvas& c) {
  c.fillEllipse(12, 12, 10.5, 8, kBlue);
  c.ringEllipse(12, 12, 10.5, 8, 1.2, kInk);
}

void drawSymmetry(PictureCanvas& c) {
  // Six petals turned about the centre: one stroke repeated by symmetry.
  for (int i = 0; i < 6; ++i) {
    const double angle = 90 + 60.0 * i;
    const double a = angle * 3.14159265358979323846 / 180.0;
    const Point middle{12 + 6 * std::cos(a), 12 - 6 * std::sin(a)};
    outlinedPolygon(c, ellipsePoints(middle, 5.2, 2.4, angle, 24), i % 2 == 0 ? kPurple : kPink);
  }
  outlinedEllipse(c, 12, 12, 2.5, 2.5, kYellow);
}

void drawText(PictureCanvas& c) {
  // A bold capital A and a text cursor.
  c.fillPolygon({{2, 21}, {8, 3}, {12, 3}, {18, 21}, {14, 21}, {12.7, 17}, {7.3, 17}, {6, 21}}, kInk);
  c.fillPolygon({{8.3, 13.5}, {10, 7.5}, {11.7, 13.5}}, kBack);
  c.line(21, 4, 21, 21, kBlue);
  c.line(19, 3, 20, 3, kBlue);
  c.line(22, 3, 23, 3, kBlue);
  c.line(19, 22, 20, 22, kBlue);
  c.line(22, 22, 23, 22, kBlue);
}

void drawFill(PictureCanvas& c) { bucket(c, {10.5, 11}, 1.0, kBlue); }

void drawColourPicker(PictureCanvas& c) {
  // A dropper from its tip (bottom left) to its bulb (top right).
  const Point tip{3, 21}, end{21, 3};
  c.fillPolygon({onStick(tip, end, 1, -1.3), onStick(tip, end, 1, 1.3), onStick(tip, end, 13, 1.8),
                 onStick(tip, end, 13, -1.8)},
                kGlass);
  c.fillPolygon({onStick(tip, end, 1, -1.3), onStick(tip, end, 1, 1.3), onStick(tip, end, 6, 1.5),
                 onStick(tip, end, 6, -1.5)},
                kRed);
  c.framePolygon({onStick(tip, end, 1, -1.3), onStick(tip, end, 1, 1.3), onStick(tip, end, 13, 1.8),
                  onStick(tip, end, 13, -1.8)},
                 kInk);
  outlinedPolygon(c,
                  {onStick(tip, end, 13, -3.2), onStick(tip, end, 13, 3.2), onStick(tip, end, 15.5, 3.2),
                   onStick(tip, end, 15.5, -3.2)},
                  kSilver);
  outlinedPolygon(c, ellipsePoints(onStick(tip, end, 19.5, 0), 4.2, 3, -45, 24), kDarkGrey);
}

void drawClone(PictureCanvas& c) {
  // A rubber stamp: knob, neck, block and rubber.
  outlinedEllipse(c, 12, 5, 4.5, 3.8, kBrown);
  c.fillEllipse(11, 4, 1.5, 1.2, kTan);
  outlinedPolygon(c, {{10, 8}, {14, 8}, {14, 12}, {10, 12}}, kTan);
  outlinedPolygon(c, {{5, 12}, {19, 12}, {20, 17}, {4, 17}}, kBrown);
  c.fillRect(4, 18, 20, 19, kRed);
  c.frameRect(3, 17, 21, 20, kInk);
  // The print it leaves.
  c.line(5, 22, 19, 22, kRed);
}

void drawPosition(PictureCanvas& c) {
  moveArrows(c, {12, 12}, 11.5, 4.5, kBlue);
  c.outlineAround(kBack, kDarkBlue);
}

void drawPositionAction(PictureCanvas& c) {
  // A dashed frame with its corner handles, and the move arrows in it.
  for (int i = 3; i <= 20; ++i)
    if (i % 3 != 0) {
      c.pixel(i, 3, kInk);
      c.pixel(i, 20, kInk);
      c.pixel(3, i, kInk);
      c.pixel(20, i, kInk);
    }
  moveArrows(c, {12, 12}, 6.5, 3, kBlue);
  handle(c, 3, 3);
  handle(c, 20, 3);
  handle(c, 3, 20);
  handle(c, 20, 20);
}

void drawCrop(PictureCanvas& c) {
  c.fillRect(5, 0, 7, 18, kInk);
  c.fillRect(5, 16, 23, 18, kInk);
  c.fillRect(0, 5, 18, 7, kDarkGrey);
  c.fillRect(16, 5, 18, 23, kDarkGrey);
  c.line(7, 16, 16, 7, kRed);
}

void drawTransform(PictureCanvas& c) {
  const std::vector<Point> square = placed({{-6.5, -6.5}, {6.5, -6.5}, {6.5, 6.5}, {-6.5, 6.5}}, {12, 12}, 20);
  outlinedPolygon(c, square, kSky);
  for (const Point p : square) handle(c, int(std::lround(p.x - 0.5)), int(std::lround(p.y - 0.5)));
}

}  // namespace qz::pictures
