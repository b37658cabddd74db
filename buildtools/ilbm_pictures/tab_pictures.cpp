// Panel tab pictures (16 x 16), the folder of the folder tree (16 x 16) and
// the tip-of-the-day picture (64 x 64; not 48 x 48, whose colour 0 the
// program would show as stored instead of as the background).
#include "picture_drawings.h"
#include "picture_palettes.h"
#include "picture_parts.h"

namespace qz::pictures {

using namespace icon;

void drawTabModeOptions(PictureCanvas& c) { mixedDiscs(c, {5.5, 8}, {10.5, 8}, 5); }

void drawTabToolOptions(PictureCanvas& c) {
  // A spanner: a ring head with its jaw open to the top left.
  c.thickLine({6, 6}, {13.5, 13.5}, 3.4, kSteel);
  c.ringEllipse(5, 5, 4.5, 4.5, 2.4, kSteel);
  c.fillPolygon({{0, 3}, {3, 0}, {6, 5}, {5, 6}}, kBack);
  c.outlineAround(kBack, kInk);
}

void drawTabMedia(PictureCanvas& c) { paintBrush(c, {2, 14}, {15, 1}, 2.0, kBlue); }

void drawTabTransparency(PictureCanvas& c) {
  // A chequerboard seen through a half-covering colour.
  for (int y = 1; y <= 14; ++y)
    for (int x = 1; x <= 14; ++x) c.pixel(x, y, ((x - 1) / 3 + (y - 1) / 3) % 2 ? kGrey : kWhite);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      const double dx = x + 0.5 - 9, dy = y + 0.5 - 9;
      if (dx * dx + dy * dy <= 30 && (x + y) % 2 == 0) c.pixel(x, y, kBlue);
    }
  c.frameRect(0, 0, 15, 15, kInk);
}

void drawTabColour(PictureCanvas& c) {
  outlinedEllipse(c, 8, 5, 4, 4, kRed);
  outlinedEllipse(c, 5, 10.5, 4, 4, kGreen);
  outlinedEllipse(c, 11, 10.5, 4, 4, kBlue);
}

void drawTabVignette(PictureCanvas& c) {
  // Light in the middle, darkening towards the edges.
  c.fillRect(0, 1, 15, 14, kDarkGrey);
  c.fillEllipse(8, 7.5, 7.5, 6.5, kGrey);
  c.fillEllipse(8, 7.5, 5.5, 4.5, kLightGrey);
  c.fillEllipse(8, 7.5, 3.5, 2.5, kWhite);
  c.frameRect(0, 1, 15, 14, kInk);
}

void drawTabQzio(PictureCanvas& c) { floppy(c, 1, 1, 14, 14); }

void drawTabImageControl(PictureCanvas& c) { landscape(c, 0, 2, 15, 13); }

void drawFolderContracted(PictureCanvas& c) {
  outlinedPolygon(c, {{1, 3}, {6, 3}, {7, 4}, {14, 4}, {14, 13}, {1, 13}}, kFolderDark);
  outlinedPolygon(c, {{1, 6}, {14, 6}, {14, 13}, {1, 13}}, kFolderLight);
  c.line(2, 7, 13, 7, kYellow);
}

void drawDidYouKnow(PictureCanvas& c) {
  // A lit light bulb.
  for (int i = 0; i < 7; ++i) {
    const double angle = 10 + i * 26.67;
    const std::vector<Point> ray = placed({{25, -1.5}, {31, -1.5}, {31, 1.5}, {25, 1.5}}, {32, 26}, angle);
    outlinedPolygon(c, ray, kOrange);
  }
  outlinedEllipse(c, 32, 26, 17, 17, kYellow);
  c.fillPolygon({{21, 37}, {43, 37}, {39, 47}, {25, 47}}, kYellow);
  c.framePolygon({{21, 37}, {25, 47}}, kInk);
  c.framePolygon({{43, 37}, {39, 47}}, kInk);
  c.fillEllipse(32, 26, 15.5, 15.5, kYellow);
  c.arc(32, 26, 12, 3, 110, 160, kPaper);
  c.fillEllipse(27, 17, 2.5, 2.5, kWhite);
  // The glowing wire.
  c.thickPolyline({{28, 46}, {28, 32}, {30, 29}, {32, 32}, {34, 29}, {36, 32}, {36, 46}}, 1.2, kOrange);
  // The screw cap and its contact.
  for (int i = 0; i < 3; ++i) {
    const int y = 47 + i * 4;
    outlinedPolygon(c, {{24, double(y)}, {40, double(y)}, {40, y + 4.0}, {24, y + 4.0}}, i % 2 ? kSteel : kSilver);
  }
  outlinedPolygon(c, {{27, 59}, {37, 59}, {34, 62}, {30, 62}}, kDarkGrey);
}

}  // namespace qz::pictures
