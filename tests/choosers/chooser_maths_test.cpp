// Tables for the arithmetic behind sliders, knobs, pop-up placement and
// measurement fields.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cmath>
#include <string>

#include "gadgets/measurement_units.h"
#include "gadgets/popup_placement.h"
#include "gadgets/slider_maths.h"
#include "chooser_support.h"

namespace {

using namespace qz::sliders;

TEST(SliderMaths, KnobOffsetAndDragStayInsideTheTrack) {
  struct Case {
    const char* name;
    int32_t track, value, minimum, maximum;
    bool fromMaximum;
    int32_t offset;
  };
  const Case cases[] = {
      {"minimum at the start", 100, 0, 0, 100, false, 0},
      {"middle", 100, 50, 0, 100, false, 50},
      {"maximum at the end", 100, 100, 0, 100, false, 100},
      {"vertical: maximum at the top", 100, 100, 0, 100, true, 0},
      {"vertical: minimum at the bottom", 100, 0, 0, 100, true, 100},
      {"negative range", 60, -5, -10, 10, false, 15},
      {"value past the maximum is clamped", 100, 500, 0, 100, false, 100},
      {"empty range is one position", 100, 7, 7, 7, false, 0},
      {"knob longer than the track", -20, 50, 0, 100, false, 0},
      {"range upside down", 100, 5, 10, 0, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(knobOffset(c.track, c.value, c.minimum, c.maximum, c.fromMaximum), c.offset);
  }
  struct Drag {
    const char* name;
    int32_t start, delta, track, minimum, maximum, value;
  };
  const Drag drags[] = {
      {"one track length is the whole range", 0, 100, 100, 0, 200, 200},
      {"half", 50, 25, 50, 0, 100, 100},
      {"backwards, clamped", 10, -500, 100, 0, 100, 0},
      {"no room in the track divides by one", 0, 3, 0, 0, 100, 100},
      {"empty range", 4, 30, 100, 4, 4, 4},
  };
  for (const Drag& d : drags) {
    SCOPED_TRACE(d.name);
    EXPECT_EQ(dragValue(d.start, d.delta, d.track, d.minimum, d.maximum), d.value);
  }
}

TEST(KnobMaths, AngleIsZeroUpAndGrowsClockwise) {
  struct Case {
    int32_t dx, dy, degrees;
  };
  const Case cases[] = {{0, -10, 0},  {10, 0, 90},   {0, 10, 180}, {-10, 0, 270},
                        {10, -10, 45}, {10, 10, 135}, {-10, 10, 225}, {-10, -10, 315},
                        {-1, -1000, 359}, {0, 0, 90}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.dx << "," << c.dy);
    EXPECT_EQ(angleFromPointer(c.dx, c.dy), c.degrees);
  }
}

TEST(KnobMaths, GeometryIsASquareWithRoomForTheMark) {
  const KnobGeometry k = placeKnob(10, 20, 100, 80, 64, 64);
  EXPECT_EQ(k.side, 64);
  EXPECT_EQ(k.radiusX, (64 - 8 - 7) / 2);
  EXPECT_EQ(k.radiusY, k.radiusX);
  EXPECT_EQ(k.centreX, 10 + 32 + 1);
  EXPECT_EQ(k.centreY, 20 + 32 + 1);
  struct Case {
    int32_t degrees, x, y;
  };
  const Case marks[] = {{0, k.centreX, k.centreY - k.radiusY},
                        {90, k.centreX + k.radiusX, k.centreY},
                        {180, k.centreX, k.centreY + k.radiusY},
                        {270, k.centreX - k.radiusX, k.centreY}};
  for (const Case& c : marks) {
    SCOPED_TRACE(c.degrees);
    const Point p = markCentre(k, c.degrees);
    EXPECT_NEAR(p.x, c.x, 1);
    EXPECT_NEAR(p.y, c.y, 1);
    // The mark's angle read back from the pointer is the one drawn.
    EXPECT_NEAR(angleFromPointer(p.x - k.centreX, p.y - k.centreY), c.degrees % 360, 1);
  }
}

TEST(PopUpPlacement, EachPlacementOpensWhereItShould) {
  using namespace qz::popups;
  PlacementInput base;
  base.windowLeft = 100;
  base.windowTop = 50;
  base.buttonLeft = 20;
  base.buttonTop = 30;
  base.buttonWidth = 40;
  base.buttonHeight = 16;
  base.pointerX = 25;
  base.pointerY = 35;
  base.shownWidth = 80;
  base.screenWidth = 1024;
  struct Case {
    const char* name;
    uint32_t placement;
    int32_t windowLeft;
    int32_t x, y;
    bool anchored, line;
  };
  const Case cases[] = {
      {"0 at the pointer", 0, 100, 125, 85, false, false},
      {"1 over the button", 1, 100, 120, 80, false, false},
      {"4 over the button", 4, 100, 120, 80, false, false},
      {"2 right of the button", 2, 100, 160, 80, false, false},
      {"2 near the right edge opens on the left", 2, 920, 920 + 20 - 80, 80, false, false},
      {"8 below the button", 8, 100, 120, 96, false, false},
      {"16 grows up from the button", 16, 100, 120, 80, true, false},
      {"32 centred on the pointer", 32, 100, 100 + 25 - 40, 50 + 30 - 8, false, false},
      {"other: a line under the pointer", 0x12345, 100, 125, 85, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PlacementInput in = base;
    in.placement = c.placement;
    in.windowLeft = c.windowLeft;
    const Placement p = placePopUp(in);
    EXPECT_EQ(p.x, c.x);
    EXPECT_EQ(p.y, c.y);
    EXPECT_EQ(p.anchoredAbove, c.anchored);
    EXPECT_EQ(p.lineUnderPointer, c.line);
  }
}

class MeasureUnits : public testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    saved_ = std::setlocale(LC_NUMERIC, nullptr);
    if (!qztest::useLocale(GetParam())) GTEST_SKIP() << GetParam() << " cannot be made here";
    if (std::string(GetParam()) != "C") {
      char probe[16];
      std::snprintf(probe, sizeof probe, "%.1f", 1.5);
      ASSERT_STREQ(probe, "1,5") << "the locale writes a decimal comma";
    }
  }
  void TearDown() override { std::setlocale(LC_NUMERIC, saved_.c_str()); }
  std::string saved_;
};

TEST_P(MeasureUnits, ConversionsPrintAndReadTheSameInEveryLocale) {
  using namespace qz::measure;
  struct Case {
    double value;
    int32_t from, to;
    double resolution;
    int decimals;
    const char* text;
  };
  const Case cases[] = {
      {144, kPixels, kInches, 72, 6, "2.000000"},
      {10, kMillimetres, kCentimetres, 72, 6, "1.000000"},
      {1, kInches, kMillimetres, 72, 3, "25.400"},
      {300, kPixels, kMillimetres, 300, 0, "25"},
      {72, kPixels, kInches, 0, 3, "1.000"},  // no resolution: 72 dpi, never a division by zero
      {72, kPixels, kInches, -5, 3, "1.000"},
      {5, 9, kCentimetres, 72, 3, "0.500"},   // a unit outside 1..5 is taken as it stands (millimetres)
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.value << " " << c.from << "->" << c.to);
    const double converted = convert(c.value, c.from, c.to, c.resolution);
    EXPECT_EQ(formatFixed(converted, c.decimals), c.text);
    double back = 0;
    ASSERT_TRUE(parseNumber(formatFixed(converted, 9).c_str(), &back));
    EXPECT_NEAR(convert(back, c.to, c.from, c.resolution), c.value, 1e-6);
    // Converted there and back without printing, exact to 1e-9.
    EXPECT_NEAR(convert(converted, c.to, c.from, c.resolution), c.value, 1e-9);
  }
  double v = 0;
  EXPECT_TRUE(parseNumber("  2.5 inches", &v));
  EXPECT_EQ(v, 2.5);
  EXPECT_TRUE(parseNumber("-1e2", &v));
  EXPECT_EQ(v, -100);
  EXPECT_FALSE(parseNumber("inches", &v));
  EXPECT_FALSE(parseNumber("", &v));
  EXPECT_STREQ(unitSuffix(kCentimetres), " cm");
  EXPECT_STREQ(unitSuffix(kMillimetres), " mm");
  EXPECT_STREQ(unitSuffix(kInches), " inches");
  EXPECT_STREQ(unitSuffix(kPixels), " pixels");
  EXPECT_STREQ(unitSuffix(kDotsPerInch), " dpi");
}

INSTANTIATE_TEST_SUITE_P(Locales, MeasureUnits, testing::Values("C", "de_DE.UTF-8"));

TEST(NumberText, IntegersReadAsStrtolWithBaseZero) {
  struct Case {
    const char* text;
    int32_t value;
  };
  const Case cases[] = {{"42", 42},   {"0x10", 16}, {"010", 8},  {"08", 0},   {"-7", -7},
                        {"abc", 0},   {"", 0},      {" 12x", 12}, {"99999999999", INT32_MAX}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(qz::measure::parseInteger(c.text), c.value);
  }
}

}  // namespace
