// The start-up picture: the program's name in gold strokes on a night sky,
// written by a quill. The letters are drawn from a small stroke font of
// their own, holding just the letters of the name.
#include <cmath>
#include <cstring>
#include <vector>

#include "picture_drawings.h"
#include "picture_palettes.h"
#include "picture_parts.h"

namespace qz::pictures {

using namespace splash;

namespace {

constexpr double kPi = 3.14159265358979323846;

// Font units: the baseline is y = 0 and y grows upwards; small letters are
// 5 high, tall ones 8.
using Stroke = std::vector<Point>;

struct Glyph {
  char letter;
  double advance;
  std::vector<Stroke> strokes;
  bool dot;  // a dot above, at (0, 7)
};

Stroke arcStroke(double cx, double cy, double rx, double ry, double fromDegrees, double toDegrees) {
  Stroke s;
  constexpr int kSteps = 24;
  for (int i = 0; i <= kSteps; ++i) {
    const double a = (fromDegrees + (toDegrees - fromDegrees) * i / kSteps) * kPi / 180.0;
    s.push_back({cx + rx * std::cos(a), cy + ry * std::sin(a)});
  }
  return s;
}

Stroke joined(Stroke a, const Stroke& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

std::vector<Glyph> nameFont() {
  return {
      {'Q', 6.2, {arcStroke(3, 4, 3, 4, 0, 360), {{3.4, 1.6}, {6.2, -1.2}}}, false},
      {'u', 3.6, {joined(joined({{0, 5}}, arcStroke(1.8, 1.8, 1.8, 1.8, 180, 360)), {{3.6, 5}}), {{3.6, 5}, {3.6, 0}}}, false},
      {'i', 0, {{{0, 0}, {0, 5}}}, true},
      {'l', 0, {{{0, 0}, {0, 8.5}}}, false},
      {'a', 3.8, {arcStroke(1.9, 2.5, 1.9, 2.5, 0, 360), {{3.8, 5}, {3.8, 0}}}, false},
      {'n', 3.6, {{{0, 0}, {0, 5}}, joined(arcStroke(1.8, 3.2, 1.8, 1.8, 180, 0), {{3.6, 0}})}, false},
      {'t', 2.8, {joined({{1, 7.5}}, arcStroke(2.2, 1.2, 1.2, 1.2, 180, 270)), {{0, 5}, {2.8, 5}}}, false},
      {'r', 2.6, {{{0, 0}, {0, 5}}, arcStroke(2.2, 3, 2.2, 2, 180, 70)}, false},
      {'x', 3.8, {{{0, 0}, {3.8, 5}}, {{0, 5}, {3.8, 0}}}, false},
  };
}

const Glyph* findGlyph(const std::vector<Glyph>& font, char letter) {
  for (const Glyph& g : font)
    if (g.letter == letter) return &g;
  return nullptr;
}

// Draws `text` with its baseline at `baseline`, starting at `left`, every
// stroke `width` pixels wide; `scale` pixels per font unit.
void letter(PictureCanvas& c, const char* text, double left, double baseline, double scale, double gap, double width,
            uint8_t colour) {
  const std::vector<Glyph> font = nameFont();
  double x = left;
  for (const char* p = text; *p != '\0'; ++p) {
    const Glyph* g = findGlyph(font, *p);
    if (g == nullptr) continue;
    for (const Stroke& s : g->strokes) {
      std::vector<Point> pixels;
      for (const Point q : s) pixels.push_back({x + q.x * scale, baseline - q.y * scale});
      c.thickPolyline(pixels, width, colour);
    }
    if (g->dot) c.fillEllipse(x, baseline - 7 * scale, width * 0.62, width * 0.62, colour);
    x += (g->advance + gap) * scale;
  }
}

// The sky: dark at the top, lighter at the bottom, the bands blended with an
// ordered dither; corners rounded off to the background.
void sky(PictureCanvas& c) {
  static const int kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
  const int w = c.width(), h = c.height();
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const double level = double(y) * (kSkySteps - 1) / (h - 1);
      int band = int(level);
      if ((level - band) * 16 > kBayer[y % 4][x % 4] + 0.5 && band < kSkySteps - 1) ++band;
      c.pixel(x, y, uint8_t(kSkyFirst + band));
    }
  c.frameRect(0, 0, w - 1, h - 1, kFrame);
  constexpr double kRadius = 7;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const double cx = x < kRadius ? kRadius : (x >= w - kRadius ? w - kRadius : x + 0.5);
      const double cy = y < kRadius ? kRadius : (y >= h - kRadius ? h - kRadius : y + 0.5);
      const double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
      if (d > kRadius) c.pixel(x, y, kBack);
      else if (d > kRadius - 1) c.pixel(x, y, kFrame);
    }
}

void stars(PictureCanvas& c) {
  // A fixed scatter (a small linear congruential sequence), thinning out
  // towards the lighter bottom.
  uint32_t seed = 20240611;
  auto next = [&seed](uint32_t range) {
    seed = seed * 1664525u + 1013904223u;
    return (seed >> 8) % range;
  };
  for (int i = 0; i < 70; ++i) {
    const int x = 6 + int(next(uint32_t(c.width() - 12)));
    const int y = 5 + int(next(60));
    if (next(60) < uint32_t(y)) continue;
    c.pixel(x, y, i % 3 == 0 ? kWhite : kStar);
  }
  for (const Point p : {Point{40, 16}, Point{182, 12}, Point{226, 28}}) {
    const int x = int(p.x), y = int(p.y);
    c.line(x - 2, y, x + 2, y, kStar);
    c.line(x, y - 2, x, y + 2, kStar);
    c.pixel(x, y, kWhite);
  }
}

void quill(PictureCanvas& c, Point nib, Point top) {
  const double length = std::hypot(top.x - nib.x, top.y - nib.y);
  const double vaneStart = length * 0.28;
  // The vane: wider on the left of the shaft, tapering to both ends.
  std::vector<Point> vane;
  constexpr int kSteps = 24;
  for (int i = 0; i <= kSteps; ++i) {
    const double s = vaneStart + (length - vaneStart) * i / kSteps;
    const double t = double(i) / kSteps;
    vane.push_back(onStick(nib, top, s, 13 * std::pow(std::sin(kPi * t), 0.8) * (1 - 0.3 * t)));
  }
  for (int i = kSteps; i >= 0; --i) {
    const double s = vaneStart + (length - vaneStart) * i / kSteps;
    const double t = double(i) / kSteps;
    vane.push_back(onStick(nib, top, s, -8 * std::pow(std::sin(kPi * t), 0.8) * (1 - 0.2 * t)));
  }
  c.fillPolygon(vane, kFeather);
  // Barbs sweep up and out from the shaft.
  for (int i = 1; i < 9; ++i) {
    const double s = vaneStart + (length - vaneStart) * i / 9.5;
    c.thickLine(onStick(nib, top, s, 0), onStick(nib, top, s + 9, 9), 0.9, kFeatherVane);
    c.thickLine(onStick(nib, top, s, 0), onStick(nib, top, s + 6, -6), 0.9, kFeatherVane);
  }
  c.framePolygon(vane, kFeatherShade);
  c.thickLine(onStick(nib, top, 9, 0), top, 1.6, kFeatherShade);
  // The cut nib with its slit, and a drop of ink at the tip.
  c.fillPolygon({nib, onStick(nib, top, 10, 2.4), onStick(nib, top, 10, -2.4)}, kNib);
  c.line(int(nib.x), int(nib.y), int(onStick(nib, top, 6, 0).x), int(onStick(nib, top, 6, 0).y), kInk);
  c.fillEllipse(nib.x - 0.5, nib.y + 1, 1.8, 1.8, kInk);
}

}  // namespace

void drawSplash(PictureCanvas& c) {
  sky(c);
  stars(c);
  constexpr const char* kName = "Quillantrix";
  constexpr double kLeft = 22, kBaseline = 76, kScale = 5.0, kGap = 1.8, kWidth = 5.0;
  // The flourish the quill has just written under the name.
  std::vector<Point> flourish;
  for (int i = 0; i <= 40; ++i) {
    const double t = i / 40.0, u = 1 - t;
    const Point a{254, 99}, b{200, 114}, d{120, 84}, e{20, 98};
    flourish.push_back({u * u * u * a.x + 3 * u * u * t * b.x + 3 * u * t * t * d.x + t * t * t * e.x,
                        u * u * u * a.y + 3 * u * u * t * b.y + 3 * u * t * t * d.y + t * t * t * e.y});
  }
  c.thickPolyline(flourish, 2.2, kGoldDark);
  c.thickPolyline(flourish, 1.0, kGold);
  letter(c, kName, kLeft + 3, kBaseline + 3, kScale, kGap, kWidth, kLetterShadow);
  letter(c, kName, kLeft, kBaseline, kScale, kGap, kWidth + 2.4, kGoldDark);
  letter(c, kName, kLeft, kBaseline, kScale, kGap, kWidth, kGold);
  letter(c, kName, kLeft - 0.8, kBaseline - 0.8, kScale, kGap, kWidth * 0.3, kGoldLight);
  quill(c, {256, 100}, {308, 10});
}

}  // namespace qz::pictures
