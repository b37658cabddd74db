// Edge detect, emboss, bas-relief and contour map: pixel tables, the
// direction rounding, a literal reference on busy pictures (edges
// included), the angle kept in object text, and the same bytes however the
// image is cut and read.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "convolve_fixture.h"
#include "modes/convolve_relief.h"
#include "modes/qz_relief_modes.h"
#include "objects/object_text.h"

namespace {

using convolvetest::ModeScene;
using convolvetest::Plane;
using convolvetest::Rgb;

TEST(EdgeDetect, CrossDifferences) {
  struct Case {
    const char* name;
    uint8_t topRight, bottomLeft, bottomRight;
    int32_t strength;
    bool invert;
    uint8_t expected;  // at column 0 of row 0
  };
  // (P[y+1][x+1] - P[y][x+1] - P[y+1][x] + P[y][x]) * strength, clamped.
  const Case cases[] = {
      {"default strength saturates", 0, 0, 10, 32, false, 255},
      {"strength 1", 0, 0, 10, 1, false, 10},
      {"inverted", 0, 0, 10, 1, true, 245},
      {"negative differences are dark", 10, 0, 0, 1, false, 0},
      {"flat", 0, 0, 0, 32, false, 0},
      {"flat inverted", 0, 0, 0, 32, true, 255},
      {"both diagonals", 3, 4, 20, 2, false, 26},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ModeScene scene("EdgeDetect", 3, 2, [&](int32_t x, int32_t y) {
      const uint8_t v = x == 1 && y == 0 ? c.topRight : x == 0 && y == 1 ? c.bottomLeft : x == 1 && y == 1 ? c.bottomRight : 0;
      return Rgb{v, v, v};
    }, [&](Qz_Object* m) {
      EXPECT_EQ(Qz_DoMethod(m, kQzEdgeSetStrength, uint32_t(c.strength)), 0u);
      EXPECT_EQ(Qz_DoMethod(m, kQzEdgeSetInvert, c.invert ? 7u : 0u), 0u);
    });
    const std::vector<uint8_t> green = scene.Channel(1);
    EXPECT_EQ(green[0], c.expected);
    // The last column has no right neighbour.
    EXPECT_EQ(green[2], c.invert ? 255 : 0);
    EXPECT_EQ(green[5], c.invert ? 255 : 0);
  }
}

TEST(EdgeDetect, MatchesTheLiteralFormula) {
  const int32_t w = 29, h = 9;
  ModeScene scene("EdgeDetect", w, h, convolvetest::Busy, [](Qz_Object* m) { Qz_DoMethod(m, kQzEdgeSetStrength, 3); });
  EXPECT_EQ(Qz_DoMethod(scene.mode(), kQzEdgeGetStrength), 3u);
  for (int ch = 0; ch < 3; ++ch) {
    const Plane p = convolvetest::PlaneOf(w, h, convolvetest::Busy, ch);
    const std::vector<uint8_t> out = scene.Channel(ch);
    for (int32_t y = 0; y < h; ++y)
      for (int32_t x = 0; x < w; ++x) {
        const int32_t v = x == w - 1 ? 0 : (p.at(x + 1, y + 1) - p.at(x + 1, y) - p.at(x, y + 1) + p.at(x, y)) * 3;
        ASSERT_EQ(out[size_t(y * w + x)], std::clamp(v, 0, 255)) << x << "," << y;
      }
  }
}

TEST(Relief, DirectionRounding) {
  using qz::modes::DirectionRounding;
  struct Case {
    int32_t angle;
    DirectionRounding rounding;
    int16_t dx, dy;
  };
  // Up for emboss, down for bas-relief; 513..1023 becomes 1024, negatives never snap.
  const Case cases[] = {
      {45, DirectionRounding::Ceil, -724, 1024},   {45, DirectionRounding::Floor, -725, 1024},
      {135, DirectionRounding::Ceil, -724, -724},  {135, DirectionRounding::Floor, -725, -725},
      {300, DirectionRounding::Ceil, 1024, 1024},  {300, DirectionRounding::Floor, 1024, 512},
      {90, DirectionRounding::Floor, -1025, 0},    {270, DirectionRounding::Floor, 1025, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.angle << (c.rounding == DirectionRounding::Ceil ? " up" : " down"));
    const qz::modes::Direction d = qz::modes::snappedDirection(c.angle, c.rounding);
    EXPECT_EQ(d.dx, c.dx);
    EXPECT_EQ(d.dy, c.dy);
  }
  // Angle 0 points straight down: the pairs lie one above the other.
  const qz::modes::Direction down = qz::modes::snappedDirection(0, DirectionRounding::Ceil);
  EXPECT_EQ(down.dy, 1025);
  for (int32_t k = 1; k <= 128; ++k) EXPECT_EQ(down.stepX(k), 0);
}

// The relief as written: base + ((a * d) >> 8), d summed over k = r..1 of
// P[y - dy(k)][x - dx(k)] - P[y + dy(k)][x + dx(k)] with edges repeated.
std::vector<uint8_t> ReliefReference(const Plane& p, qz::modes::Direction dir, int32_t radius, int32_t amount,
                                     int32_t bias, bool ontoPixel) {
  const int32_t a = amount * 256 / 100;
  std::vector<uint8_t> out;
  for (int32_t y = 0; y < p.height; ++y)
    for (int32_t x = 0; x < p.width; ++x) {
      int32_t d = 0;
      for (int32_t k = radius; k >= 1; --k) {
        const int32_t ox = (k * dir.dx) >> 10, oy = (k * dir.dy) >> 10;
        d += p.at(x - ox, y - oy) - p.at(x + ox, y + oy);
      }
      out.push_back(uint8_t(std::clamp(((a * d) >> 8) + bias + (ontoPixel ? p.at(x, y) : 0), 0, 255)));
    }
  return out;
}

void SetRelief(Qz_Object* m, int32_t amount, int32_t radius, int32_t angle, int32_t colour) {
  Qz_DoMethod(m, kQzModeSetAmount, uint32_t(amount));
  Qz_DoMethod(m, kQzModeSetRadius, uint32_t(radius));
  Qz_DoMethod(m, kQzModeSetAngle, uint32_t(angle));
  Qz_DoMethod(m, kQzModeSetColourMode, uint32_t(colour));
}

TEST(Relief, EmbossAndBasReliefMatchTheLiteralFormula) {
  using qz::modes::DirectionRounding;
  struct Case {
    const char* mode;
    int32_t amount, radius, angle, colour;
  };
  const Case cases[] = {
      {"Emboss", 100, 1, 135, 0},  {"Emboss", 37, 5, 30, 1},   {"Emboss", -200, 3, 300, 0},
      {"BasRelief", 100, 2, 45, 0}, {"BasRelief", -60, 7, 200, 0}, {"BasRelief", 100, 1, 0, 0},
  };
  const int32_t w = 27, h = 12;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.mode << " " << c.amount << " " << c.radius << " " << c.angle);
    const bool emboss = std::string(c.mode) == "Emboss";
    ModeScene scene(c.mode, w, h, convolvetest::Busy, [&](Qz_Object* m) { SetRelief(m, c.amount, c.radius, c.angle, c.colour); });
    const qz::modes::Direction d =
        qz::modes::snappedDirection(c.angle, emboss ? DirectionRounding::Ceil : DirectionRounding::Floor);
    const Rgb paint{10, 20, 30};  // the scene's paint colour
    for (int ch = 0; ch < 3; ++ch) {
      const int32_t bias = !emboss ? 0 : c.colour ? paint[size_t(ch)] : 127;
      EXPECT_EQ(scene.Channel(ch), ReliefReference(convolvetest::PlaneOf(w, h, convolvetest::Busy, ch), d, c.radius,
                                                   c.amount, bias, !emboss))
          << "channel " << ch;
    }
  }
}

TEST(Relief, FlatFieldsAndSwappedLight) {
  auto flat = [](int32_t, int32_t) { return Rgb{90, 160, 220}; };
  ModeScene grey("Emboss", 9, 9, flat);
  EXPECT_EQ(grey.Channel(0), std::vector<uint8_t>(81, 127));
  ModeScene coloured("Emboss", 9, 9, flat, [](Qz_Object* m) { Qz_DoMethod(m, kQzModeSetColourMode, 1); });
  EXPECT_EQ(coloured.Channel(2), std::vector<uint8_t>(81, 30));
  ModeScene relief("BasRelief", 9, 9, flat);
  EXPECT_EQ(relief.Channel(1), std::vector<uint8_t>(81, 160));
  // A step edge: amount -100 gives the shade where 100 gives the light.
  auto step = [](int32_t x, int32_t) { return x < 10 ? Rgb{60, 60, 60} : Rgb{100, 100, 100}; };
  ModeScene light("Emboss", 20, 5, step), shade("Emboss", 20, 5, step, [](Qz_Object* m) { Qz_DoMethod(m, kQzModeSetAmount, uint32_t(-100)); });
  const std::vector<uint8_t> l = light.Channel(0), s = shade.Channel(0);
  bool edge = false;
  for (size_t i = 0; i < l.size(); ++i) {
    EXPECT_EQ(l[i] + s[i], 254) << i;
    edge = edge || l[i] != 127;
  }
  EXPECT_TRUE(edge);
}

TEST(Relief, SettingsKeepToTheirRangesAndTheAngleIsStored) {
  Qz_Object* emboss = Qz_CreateObject("EmbossMode");
  Qz_Object* relief = Qz_CreateObject("BasReliefMode");
  ASSERT_NE(emboss, nullptr);
  ASSERT_NE(relief, nullptr);
  EXPECT_EQ(Qz_DoMethod(emboss, kQzModeGetAngle), 135u);
  EXPECT_EQ(Qz_DoMethod(relief, kQzModeGetRadius), 2u);
  EXPECT_EQ(Qz_DoMethod(relief, kQzModeGetAngle), 45u);
  Qz_DoMethod(emboss, kQzModeSetRadius, 0);
  EXPECT_EQ(Qz_DoMethod(emboss, kQzModeGetRadius), 1u);
  Qz_DoMethod(emboss, kQzModeSetAmount, 500);
  EXPECT_EQ(Qz_DoMethod(emboss, kQzModeGetAmount), 200u);
  Qz_DoMethod(relief, kQzModeSetAmount, 500);
  EXPECT_EQ(Qz_DoMethod(relief, kQzModeGetAmount), 100u);
  Qz_DoMethod(emboss, kQzModeSetAngle, 222);
  size_t length = 0;
  char* text = Qz_StoreObjectToBuffer(emboss, &length, 0);
  ASSERT_NE(text, nullptr);
  const std::string stored(text, length);
  EXPECT_NE(stored.find("Qz_SetModeAngle"), std::string::npos) << stored;
  EXPECT_NE(stored.find("222"), std::string::npos) << stored;
  Qz_Object* restored = Qz_CreateObjectsFromString(text);
  ASSERT_NE(restored, nullptr);
  EXPECT_EQ(Qz_DoMethod(restored, kQzModeGetAngle), 222u);
  Qz_DisposeObject(restored);
  std::free(text);
  Qz_DisposeObject(emboss);
  Qz_DisposeObject(relief);
}

TEST(ContourMap, GridBlocksAndDisplacement) {
  const int32_t w = 37, h = 23;
  const auto busy = convolvetest::Busy;
  // Amount 0: blocks of the grid, each the colour of its corner.
  ModeScene blocks("ContourMap", w, h, busy, [](Qz_Object* m) {
    EXPECT_EQ(Qz_DoMethod(m, kQzContourSetAmount, 0), 0u);
    Qz_DoMethod(m, kQzContourSetGridX, 4);
    Qz_DoMethod(m, kQzContourSetGridY, 7);
  });
  for (int ch = 0; ch < 3; ++ch) {
    const Plane p = convolvetest::PlaneOf(w, h, busy, ch);
    const std::vector<uint8_t> out = blocks.Channel(ch);
    for (int32_t y = 0; y < h; ++y)
      for (int32_t x = 0; x < w; ++x) ASSERT_EQ(out[size_t(y * w + x)], p.at(x - x % 4, y - y % 7)) << x << "," << y;
  }
  // Defaults (amount 20, grids 10, angle 45): moved by the channels' mean brightness.
  ModeScene moved("ContourMap", w, h, busy);
  const qz::modes::Direction d = qz::modes::directionFloor(45);
  const int32_t cx = d.dx * 20 / 256, cy = d.dy * 20 / 256;
  const Plane planes[3] = {convolvetest::PlaneOf(w, h, busy, 0), convolvetest::PlaneOf(w, h, busy, 1),
                           convolvetest::PlaneOf(w, h, busy, 2)};
  const std::vector<uint8_t> red = moved.Channel(0);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) {
      const int32_t b = (planes[0].at(x, y) + planes[1].at(x, y) + planes[2].at(x, y)) / 3;
      int32_t sx = x + ((b * cx) >> 10), sy = y + ((b * cy) >> 10);
      sx -= sx % 10;
      sy -= sy % 10;
      ASSERT_EQ(red[size_t(y * w + x)], planes[0].at(sx, sy)) << x << "," << y;
    }
}

TEST(ContourMap, GridsBelowOneAreOne) {
  ModeScene scene("ContourMap", 6, 4, convolvetest::Busy, [](Qz_Object* m) {
    EXPECT_EQ(Qz_DoMethod(m, kQzContourSetGridX, 0), 0u);
    Qz_DoMethod(m, kQzContourSetGridY, uint32_t(-4));
    Qz_DoMethod(m, kQzContourSetAmount, 0);
  });
  EXPECT_EQ(Qz_DoMethod(scene.mode(), kQzContourGetGridX), 1u);
  EXPECT_EQ(Qz_DoMethod(scene.mode(), kQzContourGetGridY), 1u);
  // A grid of 1 by 1 with no movement is the picture itself.
  EXPECT_EQ(scene.Channel(1), convolvetest::PlaneOf(6, 4, convolvetest::Busy, 1).bytes);
}

TEST(Relief, SameHoweverCutAndReadOnlyWhatItFetched) {
  struct Case {
    const char* mode;
    std::function<void(Qz_Object*)> setUp;
  };
  const Case cases[] = {
      {"EdgeDetect", [](Qz_Object*) {}},
      {"Emboss", [](Qz_Object*) {}},
      {"Emboss", [](Qz_Object* m) { SetRelief(m, -150, 20, 300, 1); }},
      {"BasRelief", [](Qz_Object*) {}},
      {"BasRelief", [](Qz_Object* m) { SetRelief(m, 80, 9, 100, 0); }},
      {"ContourMap", [](Qz_Object*) {}},
      {"ContourMap", [](Qz_Object* m) {
         Qz_DoMethod(m, kQzContourSetAmount, 255);
         Qz_DoMethod(m, kQzContourSetAngle, 200);
         Qz_DoMethod(m, kQzContourSetGridX, 3);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    qztest::Document doc(130, 23, convolvetest::Busy);
    Qz_Image* layer = doc.AddPaintLayer(c.mode, {40, 80, 120}, 0, 0, 130, 23, qztest::GappedAlpha);
    ASSERT_NE(layer, nullptr);
    c.setUp(layer->mode);
    qztest::ExpectSameHoweverCut(doc);
    for (const auto& [x0, x1, y0, y1] : {std::array<int32_t, 4>{0, 2, 0, 0}, {3, 60, 5, 9}, {127, 129, 20, 22},
                                         {64, 64, 11, 11}, {0, 129, 0, 22}})
      qztest::StrictRender(doc, layer, x0, x1, y0, y1);
  }
}

}  // namespace
