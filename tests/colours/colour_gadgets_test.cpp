#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "gadgets/colour_space_maths.h"
#include "gadgets/qz_colour_edit.h"
#include "gadgets/qz_group.h"
#include "gadgets/qz_pages.h"
#include "gadgets/qz_sliders.h"
#include "gadgets/qz_text_entry.h"
#include "gadgets/qz_widgets.h"
#include "gadgets/qz_window.h"
#include "host/headless/headless_host.h"
#include "../choosers/chooser_support.h"
#include "support/ui_harness.h"

namespace {

using qz::Hsv;

using qz::colours::colourOf;
using qz::colours::fieldColour;
using qz::colours::markerCentre;

// Products are rounded to nearest (one conversion for the whole program),
// so the secondaries come out pure and the half-saturated red is 204.
TEST(ColourMaths, HsvToRgbTable) {
  struct Case {
    Hsv hsv;
    uint32_t colour;
  };
  const Case cases[] = {
      {{0, 255, 255}, 0x0000FF},   {{120, 255, 255}, 0x00FF00}, {{240, 255, 255}, 0xFF0000},
      {{60, 255, 255}, 0x00FFFF},  {{180, 255, 255}, 0xFFFF00}, {{300, 255, 255}, 0xFF00FF},
      {{0, 51, 255}, 0xCCCCFF},    {{77, 0, 90}, 0x5A5A5A},     {{360, 255, 255}, 0x0000FF},
      {{-120, 255, 255}, 0xFF0000}, {{0, 255, -4}, 0x000000},   {{0, 400, 300}, 0x0000FF},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.hsv.h << "," << c.hsv.s << "," << c.hsv.v);
    EXPECT_EQ(colourOf(c.hsv), c.colour);
  }
  // The six sector corners survive a round trip exactly.
  for (uint32_t colour : {0x0000FFu, 0x00FFFFu, 0x00FF00u, 0xFFFF00u, 0xFF0000u, 0xFF00FFu, 0xFFFFFFu, 0u}) {
    EXPECT_EQ(colourOf(qz::colours::hsvOf(colour)), colour) << std::hex << colour;
  }
  const Hsv white = qz::colours::hsvOf(0xFFFFFF);
  EXPECT_EQ(white.h, 0);
  EXPECT_EQ(white.s, 0);
  EXPECT_EQ(white.v, 255);
}

TEST(ColourMaths, FieldsByKind) {
  const Hsv grey = qz::colours::hsvOf(0x808080);
  // "HSV" 10 wide, first row: black, over the full red, to a pale red.
  const std::pair<int, uint32_t> hsvRow[] = {{0, 0x000000}, {4, 0x0000CC}, {5, 0x0000FF}, {9, 0xCCCCFF}};
  for (const auto& [x, colour] : hsvRow) EXPECT_EQ(fieldColour("HSV", x, 0, 10, 10, grey), colour) << x;
  // A field narrower than two pixels shows the full colour instead of dividing by zero.
  EXPECT_EQ(fieldColour("HSV", 0, 0, 1, 10, grey), 0x0000FFu);
  for (int y = 0; y < 24; y += 5) {
    for (int x = 0; x < 30; x += 3) {
      EXPECT_EQ(fieldColour("HW", x, y, 30, 24, grey), fieldColour("HS", x, y, 30, 24, grey));
      // Unknown kinds show the "HS" field; "HS" is not "HSV".
      EXPECT_EQ(fieldColour("HSX", x, y, 30, 24, grey), fieldColour("HS", x, y, 30, 24, grey));
      // "SV" of a grey shows the reds (hue 0).
      EXPECT_EQ(fieldColour("SV", x, y, 30, 24, grey), fieldColour("SV", x, y, 30, 24, Hsv{0, 0, 0}));
    }
  }
  EXPECT_EQ(fieldColour("HK", 29, 0, 30, 24, grey), 0x0000F6u);  // value 29 * 255 / 30 = 246
  EXPECT_EQ(fieldColour("SV", 0, 0, 30, 24, Hsv{120, 0, 0}), 0xFFFFFFu);
}

TEST(ColourMaths, MarkerCentres) {
  struct Case {
    const char* kind;
    uint32_t colour;
    int x, y;
  };
  const Case cases[] = {
      {"HSV", 0x0000FF, 50, 0}, {"HSV", 0xFFFFFF, 100, 0}, {"HSV", 0x000000, 0, 0},
      {"HS", 0x0000FF, 0, 0},   {"HS", 0xFFFFFF, 100, 0},  {"HK", 0xFF0000, 100, 160},
      {"SV", 0x0000FF, 100, 0}, {"SV", 0x000000, 0, 240},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.kind << " " << std::hex << c.colour);
    const qz::colours::Point p = markerCentre(c.kind, qz::colours::hsvOf(c.colour), 100, 240);
    EXPECT_EQ(p.x, c.x);
    EXPECT_EQ(p.y, c.y);
  }
}

TEST(ColourMaths, HtmlNotation) {
  struct Case {
    const char* text;
    bool ok;
    uint32_t colour;
  };
  const Case cases[] = {{"#FF8000", true, 0x000080FF}, {"336699", true, 0x00996633}, {"#fff", true, 0x00FF0F00},
                        {"#1234567", false, 0},        {"#12G456", false, 0},         {"#", false, 0},
                        {"", false, 0},                {nullptr, false, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text ? c.text : "(null)");
    uint32_t colour = 0xABCDEF;
    EXPECT_EQ(qz::colours::parseHtmlColour(c.text, &colour), c.ok);
    EXPECT_EQ(colour, c.ok ? c.colour : 0xABCDEFu);
  }
}

TEST(ColourBox, MeasuresAndNotifies) {
  qztest::UiHarness ui;
  Qz_Object* box = Qz_CreateObject("ColourBox");
  ASSERT_NE(box, nullptr);
  Qz_DoMethod(box, kRootMeasure);
  Qz_LayoutBox b = qztest::UiHarness::box(box);
  EXPECT_EQ(b.minWidth, 16);
  EXPECT_EQ(b.maxWidth, 1280);
  EXPECT_EQ(b.minHeight, 16);
  EXPECT_EQ(b.maxHeight, 1280);
  Qz_DoMethod(box, kColourBoxSetHeight, 20);
  Qz_DoMethod(box, kRootMeasure);
  b = qztest::UiHarness::box(box);
  EXPECT_EQ(b.minHeight, 20);
  EXPECT_EQ(b.maxHeight, 20);
  EXPECT_EQ(b.maxWidth, 1280);
  qztest::Recorder r;
  r.watch(box, kColourBoxSetRGB);
  r.watch(box, kColourBoxSetRed + 1);
  const uint8_t rgb[3] = {0x11, 0x22, 0x33};
  Qz_DoMethod(box, kColourBoxSetRGB, rgb);
  Qz_DoMethod(box, kColourBoxSetRed + 1, 0x1FF);
  EXPECT_EQ(r.values(kColourBoxSetRGB), std::vector<QzWord>{0x332211});
  EXPECT_EQ(r.values(kColourBoxSetRed + 1), std::vector<QzWord>{0xFF});
  EXPECT_EQ(Qz_DoMethod(box, kColourBoxGetRed), 0x11u);
  EXPECT_EQ(Qz_DoMethod(box, kColourBoxGetRed + 1), 0xFFu);
  Qz_DisposeObject(box);
}

// A colour view in an open window: its pixels as the window shows them.
class ColourSpaceView : public testing::Test {
 protected:
  static constexpr int kW = 40, kH = 36;
  void open(const char* kind) {
    view = Qz_CreateObject("ColourSpace", kColourSpaceSetKind, kind, kFixWidth, kW, kFixHeight, kH);
    ASSERT_NE(view, nullptr);
    win = ui.window("Colours", 100, 100);
    Qz_DoMethod(win, kGroupAddTail, view);
    ASSERT_TRUE(ui.open(win));
    b = qztest::UiHarness::box(view);
    ASSERT_EQ(b.width, kW);
    ASSERT_EQ(b.height, kH);
  }
  // 0x00BBGGRR of the field's pixel.
  uint32_t shown(int x, int y) {
    const uint32_t p = ui.pixel(win, b.left + x, b.top + y);
    return (p >> 16 & 0xFF) | (p & 0xFF00) | (p & 0xFF) << 16;
  }
  std::vector<uint32_t> all() {
    std::vector<uint32_t> out;
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) out.push_back(shown(x, y));
    return out;
  }
  void post(uint32_t method, QzWord value) {
    ui.post(win, view, method, value);
    ASSERT_TRUE(ui.settle(win));
  }
  qztest::UiHarness ui;
  Qz_Object* view = nullptr;
  Qz_Object* win = nullptr;
  Qz_LayoutBox b{};
};

TEST_F(ColourSpaceView, FieldAndMarkerFromTheBackingStore) {
  open("HSV");
  const Hsv black{0, 0, 0};
  const std::vector<uint32_t> withBlack = all();
  // The marker of black sits at the top-left corner; everything else is the field.
  int inverted = 0;
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < kW; ++x) {
      const uint32_t field = fieldColour("HSV", x, y, kW, kH, black);
      if (withBlack[size_t(y * kW + x)] == field) continue;
      ++inverted;
      EXPECT_EQ(withBlack[size_t(y * kW + x)], field ^ 0xFFFFFF) << x << "," << y;
      EXPECT_TRUE(x <= 2 && y <= 2) << x << "," << y;
    }
  }
  EXPECT_EQ(inverted, 4);  // of the ring's twelve pixels, four lie inside the view here
  qztest::Recorder r;
  r.watch(view, kColourSpaceSetColour);
  post(kColourSpaceSetColour, 0x0000FF);  // red: the marker moves to the middle column
  EXPECT_EQ(shown(kW / 2 + 2, 1), fieldColour("HSV", kW / 2 + 2, 1, kW, kH, black) ^ 0xFFFFFF);
  EXPECT_EQ(shown(kW / 2, 0), fieldColour("HSV", kW / 2, 0, kW, kH, black));  // the centre is left
  post(kColourSpaceSetColour, 0x0000FF);  // the same colour: the marker stays, the view still notifies
  EXPECT_EQ(shown(kW / 2 + 2, 1), fieldColour("HSV", kW / 2 + 2, 1, kW, kH, black) ^ 0xFFFFFF);
  post(kColourSpaceSetColour, 0x000000);  // back: the field is as it was, byte for byte
  EXPECT_EQ(all(), withBlack);
  EXPECT_EQ(r.values(kColourSpaceSetColour), (std::vector<QzWord>{0x0000FF, 0x0000FF, 0}));
  // A hidden marker (counted) leaves the plain field.
  post(kColourSpaceHideMarker, 0);
  post(kRootDraw, 0);
  EXPECT_EQ(shown(2, 1), fieldColour("HSV", 2, 1, kW, kH, black));
  post(kColourSpaceShowMarker, 0);
  post(kRootDraw, 0);
  EXPECT_EQ(all(), withBlack);
}

TEST_F(ColourSpaceView, PickDraggedPastTheEdgeTakesTheEdgePixel) {
  open("HS");
  qztest::Recorder r;
  r.watch(view, kColourSpaceSetColour);
  const int y = b.top + 20;
  ui.moveTo(win, b.left + 10, y);
  ASSERT_TRUE(ui.settle(win));
  qz::headless::press();
  ASSERT_TRUE(ui.settle(win));
  ui.moveTo(win, b.left + kW + 30, y);
  ASSERT_TRUE(ui.settle(win));
  qz::headless::release();
  ASSERT_TRUE(ui.settle(win));
  const Hsv any{0, 0, 0};
  const std::vector<QzWord> picked = r.values(kColourSpaceSetColour);
  ASSERT_EQ(picked.size(), 2u);
  EXPECT_EQ(picked[0], fieldColour("HS", 10, 20, kW, kH, any));
  EXPECT_EQ(picked[1], fieldColour("HS", kW - 1, 20, kW, kH, any));
  EXPECT_EQ(Qz_DoMethod(view, kColourSpaceGetColour), picked[1]);
  // The release outside ended the pick: moving on picks nothing.
  r.clear();
  ui.moveTo(win, b.left + 5, y);
  ASSERT_TRUE(ui.settle(win));
  EXPECT_TRUE(r.values(kColourSpaceSetColour).empty());
}

TEST(ColourEdit, KeepsItsGadgetsInStepWithoutFeedback) {
  qztest::UiHarness ui;
  Qz_Object* edit = Qz_CreateObject("ColourEdit");
  ASSERT_NE(edit, nullptr);
  qztest::Recorder r;
  r.watch(edit, kQzColourEditColour);
  Qz_DoMethod(edit, kQzColourEditColour, 0x00336699);
  EXPECT_EQ(r.values(kQzColourEditColour), std::vector<QzWord>{0x336699});
  r.clear();
  Qz_DoMethod(edit, kColourEditSetHtml, "#FF8000");
  EXPECT_EQ(r.values(kQzColourEditColour), std::vector<QzWord>{0x000080FF});
  r.clear();
  Qz_DoMethod(edit, kColourEditSetHtml, "nonsense");
  Qz_DoMethod(edit, kColourEditSetHtml, "#1234567");
  EXPECT_TRUE(r.values(kQzColourEditColour).empty());
  // Value 0 then hue 200: the colour stays black, the hue is kept as given.
  Qz_DoMethod(edit, kColourEditSetHue + 2, 0);
  r.clear();
  Qz_DoMethod(edit, kColourEditSetHue, 560);  // taken modulo 360
  EXPECT_EQ(r.values(kQzColourEditColour), std::vector<QzWord>{0});
  Qz_DoMethod(edit, kColourEditSetHue + 2, 255);
  EXPECT_EQ(r.values(kQzColourEditColour).back(), colourOf(Hsv{200, 255, 255}));
  r.clear();
  Qz_DoMethod(edit, kColourEditSetRed + 2, 0x10);  // blue channel
  EXPECT_EQ(r.values(kQzColourEditColour).size(), 1u);
  Qz_DisposeObject(edit);
}

// The fields and the controls are tabbed pages: narrow strips of the five
// fields without a marker as the fields' tabs, and the texts "RGB", "HSV"
// and "HTML" over the sliders and the HTML field; only the full fields follow the colour.
TEST(ColourEdit, FieldsAndControlsAreTabbedPages) {
  qztest::UiHarness ui;
  Qz_Object* edit = Qz_CreateObject("ColourEdit");
  ASSERT_NE(edit, nullptr);
  auto member = [](Qz_Object* group, QzWord after) {
    return reinterpret_cast<Qz_Object*>(after ? Qz_DoMethod(group, kGroupNext, after) : Qz_DoMethod(group, kGroupFirst));
  };
  auto tabs = [](Qz_Object* pages) {  // the tab buttons' labels, without the lead space and the filler
    std::vector<Qz_Object*> labels;
    auto* row = reinterpret_cast<Qz_Object*>(Qz_DoMethod(pages, kPagesGetTabs));
    for (QzWord m = Qz_DoMethod(row, kGroupFirst); m; m = Qz_DoMethod(row, kGroupNext, m)) {
      auto* tab = reinterpret_cast<Qz_Object*>(m);
      if (std::string(tab->objectClass->name) == "Button") labels.push_back(reinterpret_cast<Qz_Object*>(Qz_DoMethod(tab, kGroupFirst)));
    }
    return labels;
  };
  Qz_Object* fields = member(edit, 0);
  ASSERT_NE(fields, nullptr);
  ASSERT_STREQ(fields->objectClass->name, "Pages");
  Qz_DoMethod(edit, kQzColourEditColour, 0x00336699);
  const std::vector<Qz_Object*> strips = tabs(fields);
  ASSERT_EQ(strips.size(), 5u);
  auto* fieldPages = reinterpret_cast<Qz_Object*>(Qz_DoMethod(fields, kPagesGetPageGroup));
  ASSERT_EQ(Qz_DoMethod(fieldPages, kGroupCount), 5u);
  for (std::size_t i = 0; i < strips.size(); ++i) {
    auto* page = reinterpret_cast<Qz_Object*>(Qz_DoMethod(fieldPages, kGroupMemberAt, uint32_t(i)));
    ASSERT_NE(page, nullptr);
    EXPECT_STREQ(reinterpret_cast<const char*>(Qz_DoMethod(strips[i], kColourSpaceGetKind)),
                 reinterpret_cast<const char*>(Qz_DoMethod(page, kColourSpaceGetKind)));
    EXPECT_EQ(Qz_DoMethod(page, kColourSpaceGetColour), 0x336699u);
    EXPECT_EQ(Qz_DoMethod(strips[i], kColourSpaceGetColour), 0u);
  }
  Qz_Object* row = member(edit, reinterpret_cast<QzWord>(fields));
  ASSERT_NE(row, nullptr);
  Qz_Object* controls = member(row, Qz_DoMethod(row, kGroupFirst));
  ASSERT_NE(controls, nullptr);
  ASSERT_STREQ(controls->objectClass->name, "Pages");
  std::vector<std::string> texts;
  for (Qz_Object* label : tabs(controls)) texts.emplace_back(reinterpret_cast<const char*>(Qz_DoMethod(label, kRootGetLabel)));
  EXPECT_EQ(texts, (std::vector<std::string>{"RGB", "HSV", "HTML"}));
  Qz_DisposeObject(edit);
}

}  // namespace
