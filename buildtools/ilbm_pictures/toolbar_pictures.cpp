// Tool-bar buttons and the pictures of the undo list's actions, 24 x 24.
#include "picture_drawings.h"
#include "picture_palettes.h"
#include "picture_parts.h"

namespace qz::pictures {

using namespace icon;

namespace {

// A sheet of paper with its top right corner folded down.
void paperSheet(PictureCanvas& c, int x0, int y0, int x1, int y1, int fold) {
  outlinedPolygon(c,
                  {{double(x0), double(y0)},
                   {double(x1 - fold), double(y0)},
                   {double(x1), double(y0 + fold)},
                   {double(x1), double(y1)},
                   {double(x0), double(y1)}},
                  kWhite);
  outlinedPolygon(c, {{double(x1 - fold), double(y0)}, {double(x1 - fold), double(y0 + fold)}, {double(x1), double(y0 + fold)}},
                  kLightGrey);
}

// A small four-pointed sparkle.
void sparkle(PictureCanvas& c, int x, int y, uint8_t colour) {
  c.fillPolygon({{x + 0.5, y - 3.5}, {x + 1.5, y - 0.5}, {x + 4.5, y + 0.5}, {x + 1.5, y + 1.5}, {x + 0.5, y + 4.5},
                 {x - 0.5, y + 1.5}, {x - 3.5, y + 0.5}, {x - 0.5, y - 0.5}},
                colour);
}

// Three stacked layer sheets; the top one gets `top`.
void layerStack(PictureCanvas& c, uint8_t top) {
  layerSheet(c, {12, 15.5}, 10, 5, kGrey);
  layerSheet(c, {12, 12.5}, 10, 5, kLightGrey);
  layerSheet(c, {12, 9.5}, 10, 5, top);
}

}  // namespace

void drawNew(PictureCanvas& c) {
  paperSheet(c, 4, 2, 18, 21, 5);
  for (int y = 10; y <= 18; y += 3) c.line(7, y, 15, y, kLightGrey);
  sparkle(c, 18, 16, kYellow);
  c.outlineAround(kBack, kInk);
}

void drawOpen(PictureCanvas& c) {
  // Back of the folder with its tab, a sheet inside, then the open front.
  outlinedPolygon(c, {{1, 4}, {8, 4}, {10, 6}, {19, 6}, {19, 20}, {1, 20}}, kFolderDark);
  outlinedPolygon(c, {{4, 2}, {16, 2}, {16, 14}, {4, 14}}, kWhite);
  for (int y = 5; y <= 11; y += 3) c.line(6, y, 14, y, kLightGrey);
  outlinedPolygon(c, {{1, 20}, {5, 10}, {23, 10}, {19, 20}}, kFolderLight);
  c.line(6, 11, 21, 11, kYellow);
}

void drawSave(PictureCanvas& c) { floppy(c, 2, 2, 21, 21); }

void drawFillLayer(PictureCanvas& c) {
  layerStack(c, kBlue);
  c.pixel(9, 8, kSky);
  c.line(10, 7, 12, 6, kSky);
}

void drawClearLayer(PictureCanvas& c) {
  layerSheet(c, {12, 17.5}, 10, 5, kLightGrey);
  layerSheet(c, {12, 13.5}, 10, 5, kWhite);
  // An eraser lifting off the top sheet.
  outlinedPolygon(c, placed({{-7, -3}, {7, -3}, {7, 3}, {-7, 3}}, {13, 5.5}, 25), kEraser);
  outlinedPolygon(c, placed({{1, -3}, {7, -3}, {7, 3}, {1, 3}}, {13, 5.5}, 25), kBlue);
}

void drawFix(PictureCanvas& c) {
  layerSheet(c, {11, 15}, 10, 5, kWhite);
  // A drawing pin holding the sheet.
  c.thickLine({13, 11}, {9, 16}, 1.6, kSteel);
  outlinedEllipse(c, 15, 7.5, 5.5, 5.5, kRed);
  c.fillEllipse(15, 7.5, 3.5, 3.5, kDarkRed);
  c.fillEllipse(13.8, 5.8, 1.3, 1.3, kLightRed);
}

void drawAutoRedo(PictureCanvas& c) {
  // An arrow going round and round, with an A for automatic.
  arrowArc(c, 12, 12.5, 10.5, 3, 105, 30, kGreen);
  c.outlineAround(kBack, kDarkGreen);
  c.thickPolyline({{8.5, 17.5}, {12, 7.5}, {15.5, 17.5}}, 1.6, kInk);
  c.line(10, 14, 14, 14, kInk);
}

void drawUndo(PictureCanvas& c) {
  // An arrow pointing left whose shaft turns back below it.
  c.fillPolygon({{1.5, 8.5}, {9, 1.5}, {9, 15.5}}, kBlue);
  c.fillRect(9, 7, 14, 10, kBlue);
  c.arc(14, 14.5, 7.5, 3.5, 270, 90, kBlue);
  c.fillRect(8, 19, 14, 21, kBlue);
  c.outlineAround(kBack, kDarkBlue);
}

void drawRedo(PictureCanvas& c) {
  drawUndo(c);
  c.flipHorizontal();
}

void drawMagnify(PictureCanvas& c) { magnifier(c, 0); }
void drawMagnifyIn(PictureCanvas& c) { magnifier(c, +1); }
void drawMagnifyOut(PictureCanvas& c) { magnifier(c, -1); }

void drawButton(PictureCanvas& c) {
  // A raised button: light top and left edges, dark bottom and right.
  c.fillRect(2, 6, 21, 17, kLightGrey);
  c.line(2, 6, 21, 6, kWhite);
  c.line(2, 6, 2, 17, kWhite);
  c.line(3, 16, 20, 16, kGrey);
  c.line(20, 7, 20, 16, kGrey);
  c.frameRect(1, 5, 22, 18, kInk);
  c.fillRect(7, 11, 16, 12, kDarkGrey);
}

void drawColour(PictureCanvas& c) {
  // A painter's palette with a thumb hole and four colours.
  outlinedPolygon(c, ellipsePoints({12, 12}, 10.5, 8.5, 15), kTan);
  outlinedEllipse(c, 7.5, 15, 2.2, 1.8, kBack);
  outlinedEllipse(c, 8, 8, 2.3, 2.3, kRed);
  outlinedEllipse(c, 13, 6.5, 2.3, 2.3, kYellow);
  outlinedEllipse(c, 17.5, 9.5, 2.3, 2.3, kGreen);
  outlinedEllipse(c, 16, 15, 2.3, 2.3, kBlue);
}

void drawFillImage(PictureCanvas& c) {
  // A bucket pouring over the whole picture.
  c.fillRect(7, 11, 23, 23, kOrange);
  c.fillRect(8, 12, 22, 13, kYellow);
  c.frameRect(7, 11, 23, 23, kInk);
  bucket(c, {8, 8}, 0.8, kOrange);
}

void drawFloodFill(PictureCanvas& c) {
  // A bucket pouring into the area it fills.
  c.fillPolygon({{7, 23}, {8.5, 15}, {15, 11}, {23, 13.5}, {23, 23}}, kGreen);
  c.framePolygon({{7, 23}, {8.5, 15}, {15, 11}, {23, 13.5}, {23, 23}}, kInk);
  bucket(c, {8, 8}, 0.8, kGreen);
}

void drawImage(PictureCanvas& c) { landscape(c, 1, 3, 22, 20); }

void drawInvertImage(PictureCanvas& c) {
  // Half of the frame and of the disc in it swap their colours.
  c.fillRect(2, 3, 11, 20, kWhite);
  c.fillRect(12, 3, 21, 20, kInk);
  for (int y = 0; y < 24; ++y)
    for (int x = 0; x < 24; ++x) {
      const double dx = x + 0.5 - 12, dy = y + 0.5 - 11.5;
      if (dx * dx + dy * dy <= 36) c.pixel(x, y, x < 12 ? kInk : kWhite);
    }
  c.frameRect(2, 3, 21, 20, kInk);
}

void drawMediaSettings(PictureCanvas& c) {
  paintBrush(c, {4, 15}, {21, 1}, 2.6, kBlue);
  // A slider under the brush.
  c.fillRect(2, 20, 21, 21, kDarkGrey);
  c.fillRect(13, 18, 15, 23, kSilver);
  c.frameRect(12, 17, 16, 23, kInk);
}

void drawMode(PictureCanvas& c) { mixedDiscs(c, {8.5, 12}, {15.5, 12}, 7); }

void drawShear(PictureCanvas& c) {
  outlinedPolygon(c, {{8, 6}, {21, 6}, {16, 18}, {3, 18}}, kSky);
  // The top edge slides right, the bottom edge left.
  c.line(10, 2, 19, 2, kInk);
  c.fillPolygon({{19, 0}, {22, 2.5}, {19, 5}}, kInk);
  c.line(5, 21, 14, 21, kInk);
  c.fillPolygon({{5, 19}, {2, 21.5}, {5, 24}}, kInk);
}

}  // namespace qz::pictures
