// The media pop-up's pictures (48 x 48): a sample of what each shipped
// preset lays on white paper. A 48 x 48 picture shows its colour 0 as
// stored, so every pixel is painted.
#include <cmath>

#include "picture_drawings.h"
#include "picture_palettes.h"
#include "picture_parts.h"

namespace qz::pictures {

using namespace icon;

namespace {

void paper(PictureCanvas& c) {
  c.fillRect(0, 0, 47, 47, kWhite);
  c.frameRect(0, 0, 47, 47, kLightGrey);
}

// A wavy stroke across the picture.
std::vector<Point> stroke(double amplitude) {
  std::vector<Point> points;
  for (int x = 8; x <= 40; x += 2) points.push_back({double(x), 30 + amplitude * std::sin((x - 8) / 5.0)});
  return points;
}

}  // namespace

void drawMediaAirBrush(PictureCanvas& c) {
  paper(c);
  // Dots thinning out from the middle, placed by a fixed pattern.
  for (int i = 0; i < 160; ++i) {
    const double angle = i * 2.39996;
    const double radius = 15.0 * std::sqrt((i * 37 % 160) / 160.0);
    c.pixel(int(24 + radius * std::cos(angle)), int(24 + radius * std::sin(angle)), i % 3 ? kBlue : kDarkBlue);
  }
  c.fillEllipse(24, 24, 4, 4, kBlue);
}

void drawMediaPencil(PictureCanvas& c) {
  paper(c);
  c.thickPolyline(stroke(4), 1.5, kGraphite);
  pencil(c, {38, 30}, {44, 8}, 3);
}

void drawMediaPicture(PictureCanvas& c) {
  paper(c);
  c.fillRect(6, 8, 41, 39, kSky);
  c.fillPolygon({{6, 39}, {18, 22}, {28, 33}, {34, 27}, {41, 35}, {41, 39}}, kGreen);
  c.fillEllipse(33, 16, 4, 4, kYellow);
  c.frameRect(6, 8, 41, 39, kInk);
}

void drawMediaSmear(PictureCanvas& c) {
  paper(c);
  c.thickPolyline({{8, 14}, {40, 14}}, 6, kRed);
  c.thickPolyline({{8, 34}, {40, 34}}, 6, kBlue);
  // The smear drags the colours into one another.
  c.thickPolyline({{20, 10}, {24, 24}, {28, 38}}, 5, kPurple);
}

void drawMediaSoft(PictureCanvas& c) {
  paper(c);
  c.fillEllipse(24, 24, 16, 16, kPink);
  c.fillEllipse(24, 24, 11, 11, kRed);
  c.fillEllipse(24, 24, 6, 6, kDarkRed);
}

}  // namespace qz::pictures
