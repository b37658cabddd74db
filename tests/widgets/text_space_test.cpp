#include <gtest/gtest.h>

#include <vector>

#include "canvas.h"
#include "gadgets/qz_widgets.h"

namespace {

using TextSpace = qztest::Canvas;

// The fixed-metric test font: 8 x 13.
constexpr int kW = 8, kH = 13;

TEST_F(TextSpace, TextMeasuresItsLines) {
  struct Case {
    const char* label;
    QzWord mode, turns;
    int nominalW, nominalH, maxW, maxH;
  };
  const Case cases[] = {
      {"one\nthree\nx", 1, 0, 5 * kW, 3 * kH, 1280, 3 * kH},
      {"", 1, 0, 0, kH, 1280, kH},
      {"ab\n\r", 1, 0, 2 * kW, kH, 1280, kH},  // a closing line break + return opens no line
      {"ab\r\ncd", 0, 0, 2 * kW, 2 * kH, 1280, 2 * kH},
      {"one two three", 4, 0, 8, kH, 1280, 1280},
      {"abc", 1, 1, kH, 3 * kW, kH, 3 * kW},
      {"abc", 1, 3, kH, 3 * kW, kH, 3 * kW},
      {"abc", 1, 2, 3 * kW, kH, 1280, kH},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << '"' << c.label << "\" mode " << c.mode << " turns " << c.turns);
    Qz_Object* t = attach(Qz_CreateObject("Text", kRootSetLabel, c.label, kTextSetMode, c.mode,
                                          kTextSetRotation, c.turns));
    ASSERT_NE(t, nullptr);
    Qz_DoMethod(t, kRootMeasure);
    const Qz_LayoutBox* b = box(t);
    EXPECT_EQ(b->width, c.nominalW);
    EXPECT_EQ(b->minWidth, c.nominalW);
    EXPECT_EQ(b->height, c.nominalH);
    EXPECT_EQ(b->minHeight, c.nominalH);
    EXPECT_EQ(b->maxWidth, c.maxW);
    EXPECT_EQ(b->maxHeight, c.maxH);
    Qz_DisposeObject(t);
  }
}

TEST_F(TextSpace, FormattedTextShowsTheNumberAndNeverObeysAForeignFormat) {
  struct Case {
    const char* label;
    int32_t number;
    const char* shown;
  };
  const Case cases[] = {
      {"%ld%%", 50, "50%"},       {"%d px", -7, "-7 px"},     {"%04lx", 255, "00ff"},
      {"", 5, ""},                {"%s%n", 5, "%s%n"},        {"%d and %d", 1, "%d and %d"},
      {"%999d", 1, "%999d"},      {"100%", 3, "100%"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    char out[64];
    qz::widgets::formatNumber(c.label, c.number, out, sizeof out);
    EXPECT_STREQ(out, c.shown);
  }
  char small[4];
  qz::widgets::formatNumber("\xC3\xA9\xC3\xA9", 0, small, sizeof small);  // "éé" cut to 3 bytes
  EXPECT_STREQ(small, "\xC3\xA9") << "a cut never splits a character";

  Qz_Object* t = attach(Qz_CreateObject("Text", kRootSetLabel, "%ld%%", kTextSetNumber, 50));
  Qz_DoMethod(t, kRootMeasure);
  EXPECT_EQ(box(t)->width, 3 * kW);
  EXPECT_EQ(Qz_DoMethod(t, kTextGetNumber), 50u);
  Qz_DisposeObject(t);
}

TEST_F(TextSpace, WrappedTextBreaksAtTheLastFittingSpace) {
  Qz_Object* t = attach(Qz_CreateObject("Text", kRootSetLabel, "one two three", kTextSetMode, 4));
  // Room for "one two" and one more character, not for "one two t...".
  placeAt(t, 10, 10, 8 * kW, 3 * kH);
  Qz_DoMethod(t, kRootDraw);
  const int row0 = 11, row1 = 11 + kH;
  EXPECT_GT(ink(10, row0, 10 + 7 * kW, row0 + kH), 0);
  EXPECT_EQ(ink(10 + 7 * kW, row0, 10 + 8 * kW, row0 + kH), 0) << "the space and 't' stay off row 0";
  EXPECT_GT(ink(10, row1, 10 + kW, row1 + kH), 0) << "'three' starts row 1 at the left edge";
  EXPECT_EQ(ink(10 + 5 * kW, row1, 10 + 8 * kW, row1 + kH), 0);
  Qz_DisposeObject(t);
}

TEST_F(TextSpace, LinesOfABlockShareOneLeftEdgeAndTheBlockIsCentred) {
  Qz_Object* t = attach(Qz_CreateObject("Text", kRootSetLabel, "ab\nabcd", kTextSetMode, 0));
  Qz_DoMethod(t, kRootMeasure);
  placeAt(t, 0, 0, 100, 2 * kH + 2);
  Qz_DoMethod(t, kRootDraw);
  const int x = (100 - 4 * kW) / 2;
  for (int row = 0; row < 2; ++row) {
    SCOPED_TRACE(row);
    const int y = 1 + row * kH;
    EXPECT_EQ(ink(0, y, x, y + kH), 0);
    EXPECT_GT(ink(x, y, x + kW, y + kH), 0);
  }
  EXPECT_EQ(ink(x + 2 * kW, 1, 100, 1 + kH), 0) << "the short line is left-aligned in the block";
  EXPECT_GT(ink(x + 3 * kW, 1 + kH, x + 4 * kW, 1 + 2 * kH), 0);
  Qz_DisposeObject(t);
}

TEST_F(TextSpace, TextDrawingByStateAndPlacement) {
  auto render = [&](const char* label, QzWord mode, bool selected, int x, int y, int w, int h) {
    clear();
    Qz_Object* t = attach(Qz_CreateObject("Text", kRootSetLabel, label, kTextSetMode, mode));
    Qz_DoMethod(t, kRootMeasure);
    placeAt(t, x, y, w, h);
    Qz_DoMethod(t, selected ? kRootSelect : kRootDeselect);
    Qz_DoMethod(t, kRootDraw);
    std::vector<uint32_t> out;
    for (int yy = 0; yy < 60; ++yy)
      for (int xx = 0; xx < 120; ++xx) out.push_back(at(xx, yy));
    Qz_DisposeObject(t);
    return out;
  };
  // Transparent mode: a selected text on a display without direct colours looks unselected.
  EXPECT_EQ(render("Hi", 0, true, 5, 5, 60, 20), render("Hi", 0, false, 5, 5, 60, 20));
  // Opaque and selected: the box is filled with pen 3.
  render("Hi", 1, true, 5, 5, 60, 20);
  EXPECT_EQ(at(6, 6), Qz_ResolvePen(3));
  EXPECT_EQ(at(64, 24), Qz_ResolvePen(3));
  // A text placed at the very corner of a borderless window is still shown.
  render("Hi", 0, false, 0, 0, 40, kH + 2);
  EXPECT_GT(ink(0, 0, 40, kH + 2), 0);
  // A box without room is one not placed: nothing.
  render("Hi", 1, false, 5, 5, 0, 20);
  EXPECT_EQ(ink(0, 0, 120, 60), 0);
  // Disabled: the drawing info's disabled pen.
  clear();
  Qz_Object* t = attach(Qz_CreateObject("Text", kRootSetLabel, "H", kTextSetMode, 0));
  Qz_DoMethod(t, kRootDisable);
  placeAt(t, 0, 0, kW, kH + 2);
  Qz_DoMethod(t, kRootDraw);
  bool sawDisabledPen = false;
  for (int y = 0; y < kH + 2; ++y)
    for (int x = 0; x < kW; ++x) sawDisabledPen |= at(x, y) == Qz_ResolvePen(info.disabledPen);
  EXPECT_TRUE(sawDisabledPen);
  Qz_DisposeObject(t);
}

// A text of fixed width keeps it whatever its label, and a label too long
// for it shows what fits inside the box, never over what lies beside it.
TEST_F(TextSpace, AFixedWidthTextKeepsItsWidthAndDrawsInsideIt) {
  Qz_Object* t = attach(Qz_CreateObject("Text", kRootSetLabel, "ab", kFixWidth, 5 * kW));
  Qz_DoMethod(t, kRootMeasure);
  EXPECT_EQ(box(t)->width, 5 * kW);
  EXPECT_EQ(box(t)->maxWidth, 5 * kW);
  Qz_DoMethod(t, kRootSetLabel, "a label far too long");
  Qz_DoMethod(t, kRootMeasure);
  EXPECT_EQ(box(t)->width, 5 * kW);
  placeAt(t, 40, 0, 5 * kW, kH + 2);
  Qz_DoMethod(t, kRootDraw);
  EXPECT_EQ(ink(0, 0, 40, kH + 2), 0);
  EXPECT_EQ(ink(40 + 5 * kW, 0, 320, kH + 2), 0);
  EXPECT_GT(ink(40, 0, 40 + 5 * kW, kH + 2), 0);
  Qz_DisposeObject(t);
}

TEST_F(TextSpace, SpaceSizes) {
  struct Case {
    QzWord fixedW, fixedH, minW, minH;
    int w, h, minWidth, minHeight, maxWidth, maxHeight;
  };
  const Case cases[] = {
      {0, 0, 0, 0, 1, 1, 1, 1, 1280, 1280},
      {0xFFFF, 0, 0, 0, 0, 1, 0, 1, 0, 1280},
      {10, 0, 0, 0, 10, 1, 10, 1, 10, 1280},
      {0, 4, 5, 0, 5, 4, 5, 4, 1280, 4},
      {0, 0, 3, 7, 3, 7, 3, 7, 1280, 1280},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.fixedW << " " << c.fixedH << " " << c.minW << " " << c.minH);
    Qz_Object* s = Qz_CreateObject("Space", kSpaceSetMinWidth, c.minW, kSpaceSetMinHeight, c.minH);
    if (c.fixedW) Qz_DoMethod(s, kFixWidth, c.fixedW);
    if (c.fixedH) Qz_DoMethod(s, kFixHeight, c.fixedH);
    Qz_DoMethod(s, kRootMeasure);
    const Qz_LayoutBox* b = box(s);
    EXPECT_EQ(b->width, c.w);
    EXPECT_EQ(b->height, c.h);
    EXPECT_EQ(b->minWidth, c.minWidth);
    EXPECT_EQ(b->minHeight, c.minHeight);
    EXPECT_EQ(b->maxWidth, c.maxWidth);
    EXPECT_EQ(b->maxHeight, c.maxHeight);
    Qz_DisposeObject(s);
  }
  Qz_Object* both = Qz_CreateObject("Space", kSpaceSetSize, 6);
  Qz_DoMethod(both, kRootMeasure);
  EXPECT_EQ(box(both)->maxWidth, 6);
  EXPECT_EQ(box(both)->maxHeight, 6);
  Qz_DisposeObject(both);
}

TEST_F(TextSpace, EtchedSpaceDrawsASeparatorAcrossItsMiddle) {
  Qz_Object* s = attach(Qz_CreateObject("Space", kFixHeight, 4, kSpaceSetEtched, 1));
  EXPECT_EQ(Qz_DoMethod(s, kSpaceGetEtched), 1u);
  placeAt(s, 10, 20, 50, 4);
  Qz_DoMethod(s, kRootDraw);
  EXPECT_EQ(at(11, 21), Qz_ResolvePen(info.darkPen));
  EXPECT_EQ(at(11, 22), Qz_ResolvePen(2));
  EXPECT_EQ(at(57, 22), Qz_ResolvePen(2));
  EXPECT_EQ(at(58, 22), qztest::kWhite);
  EXPECT_EQ(at(10, 22), qztest::kWhite);
  Qz_DisposeObject(s);
  // Not etched: nothing.
  clear();
  Qz_Object* plain = attach(Qz_CreateObject("Space", kFixHeight, 4));
  placeAt(plain, 10, 20, 50, 4);
  Qz_DoMethod(plain, kRootDraw);
  EXPECT_EQ(ink(0, 0, 100, 40), 0);
  Qz_DisposeObject(plain);
}

}  // namespace
