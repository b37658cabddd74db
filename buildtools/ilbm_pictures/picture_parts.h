// Pieces several interface pictures share: objects drawn at a position and
// size (a pencil, a bucket, a magnifier, a layer sheet...) and the geometry
// helpers they are made with. All draw in the icon palette.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "picture_canvas.h"

namespace qz::pictures {

// Points given around (0, 0), turned by angleDegrees (counter-clockwise as
// seen on screen), scaled and moved to origin.
std::vector<Point> placed(std::initializer_list<Point> local, Point origin, double angleDegrees,
                          double scale = 1.0);
// The outline of an ellipse turned by angleDegrees, as a polygon.
std::vector<Point> ellipsePoints(Point centre, double rx, double ry, double angleDegrees, int steps = 40);
// A point of a stick from `from` towards `to`: `along` pixels down the
// stick and `across` pixels to its left.
Point onStick(Point from, Point to, double along, double across);

void outlinedPolygon(PictureCanvas& c, const std::vector<Point>& points, uint8_t fill);
void outlinedEllipse(PictureCanvas& c, double cx, double cy, double rx, double ry, uint8_t fill);
// A small square handle (white, outlined) centred on a pixel.
void handle(PictureCanvas& c, int x, int y);

// A thick arc around (cx, cy) from one angle to another, counter-clockwise
// (angles as on a clock face with y upwards), with an arrow head at its end.
void arrowArc(PictureCanvas& c, double cx, double cy, double radius, double thickness, double fromDegrees,
              double toDegrees, uint8_t colour);
// Arrows to the four sides from a centre.
void moveArrows(PictureCanvas& c, Point centre, double reach, double head, uint8_t colour);

void pencil(PictureCanvas& c, Point tip, Point end, double halfWidth);
void paintBrush(PictureCanvas& c, Point tip, Point end, double halfWidth, uint8_t paint);
// A tilted paint bucket spilling `paint`, about 20 x 18 pixels at scale 1.
void bucket(PictureCanvas& c, Point centre, double scale, uint8_t paint);
// A drop of paint hanging from its point.
void drop(PictureCanvas& c, Point apex, double radius, uint8_t fill);
// A sheet seen from above at an angle (a flat diamond).
void layerSheet(PictureCanvas& c, Point centre, double halfWidth, double halfHeight, uint8_t fill);
// A framed landscape: sky, sun and hills.
void landscape(PictureCanvas& c, int x0, int y0, int x1, int y1);
// A floppy disk in the box.
void floppy(PictureCanvas& c, int x0, int y0, int x1, int y1);
// Two overlapping discs with their overlap mixed, the sign of paint modes.
void mixedDiscs(PictureCanvas& c, Point left, Point right, double radius);
// A magnifying glass; sign +1 or -1 adds a plus or a minus to the lens.
void magnifier(PictureCanvas& c, int sign);

}  // namespace qz::pictures
