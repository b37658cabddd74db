// The inspector, the coordinates panel and the magnifier driven by the
// reports of the application image: the readout of the pixel under the
// pointer, its magnification after the main view's zoom, relative
// coordinates and the zoom field following the document's view.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "gadgets/qz_colour_edit.h"
#include "gadgets/qz_popups.h"
#include "gadgets/qz_text_entry.h"
#include "gadgets/qz_widgets.h"
#include "image/image_shell.h"
#include "objects/qz_notify.h"
#include "objects/qz_root.h"
#include "panel_fixture.h"
#include "support/object_tree.h"

QZ_EXTERN_C_BEGIN
QzWord Qz_InitInspectionPluginClass(Qz_GlobalData*);
void Qz_CleanupInspectionPluginClass(void);
QzWord Qz_InitCoordsPluginClass(Qz_GlobalData*);
void Qz_CleanupCoordsPluginClass(void);
QzWord Qz_InitMagnifyPluginClass(Qz_GlobalData*);
void Qz_CleanupMagnifyPluginClass(void);
QZ_EXTERN_C_END

namespace {

constexpr uint32_t kPointerMoved = 0x130064;
constexpr uint32_t kCoordinateMode = 0x130078;
constexpr uint32_t kGetCoordinateMode = 0x130082;

Qz_Object* App() { return &Qz_GetImageBase()->applicationImage->object; }
std::string LabelOf(Qz_Object* text) {
  const auto* label = reinterpret_cast<const char*>(Qz_DoMethod(text, kRootGetLabel));
  return label ? label : "";
}

class InspectionPanelTest : public qztest::PanelImageTest {
 protected:
  static constexpr int32_t kWidth = 10, kHeight = 8;
  void SetUp() override {
    StartUp({Qz_InitInspectionPluginClass, Qz_CleanupInspectionPluginClass, "InspectionPlugin"}, {}, kWidth, kHeight);
    for (int32_t y = 0; y < kHeight; ++y)
      for (int32_t x = 0; x < kWidth; ++x) doc_->r[y][x] = uint8_t(x * 10), doc_->g[y][x] = uint8_t(y * 10), doc_->b[y][x] = 7;
    doc_->r[3][4] = 200, doc_->g[3][4] = 100, doc_->b[3][4] = 50;
    texts_ = qztest::FindAllOf(panel_, "Text");
  }
  void TearDown() override {
    if (shown_) doc_->displayCount.fetch_sub(1);
    if (mainView_) {
      Qz_SetCurrentView(doc_, nullptr);
      Qz_DisposeObject(mainView_);
    }
    PanelImageTest::TearDown();
  }
  // The panel in a window of its own, the document counted as shown (as
  // with its own window open) so that the magnified view draws it.
  void OpenPanel() {
    doc_->displayCount.fetch_add(1);
    shown_ = true;
    OpenPanelWindow();
  }
  void PointAt(uint32_t x, uint32_t y) {
    Qz_DoNotify(App(), kPointerMoved, x, y);
    ASSERT_TRUE(ui.settle(window_));
  }
  void MakeMainView() {
    mainView_ = Qz_CreateObject("ImageView");
    ASSERT_NE(mainView_, nullptr);
    Qz_DoMethod(mainView_, kQzViewSetImage, doc_);
    Qz_SetCurrentView(doc_, mainView_);
  }
  // What the window shows at the view's image pixel x, y, offset by dx, dy window pixels.
  uint32_t Shown(int32_t x, int32_t y, int32_t dx = 0, int32_t dy = 0) {
    Qz_Object* view = Find(panel_, "ImageView");
    return ui.pixel(window_, ImageToImageViewX(view, x) + dx, ImageToImageViewY(view, y) + dy);
  }
  // The document's pixel as 0x00RRGGBB.
  uint32_t Doc(int32_t x, int32_t y) const {
    return uint32_t(doc_->r[y][x]) << 16 | uint32_t(doc_->g[y][x]) << 8 | doc_->b[y][x];
  }
  bool shown_ = false;
  // The readout's texts by their labels ("R %ld" ...) and the hex text.
  int32_t Number(const char* label) {
    for (Qz_Object* t : texts_)
      if (LabelOf(t) == label) return int32_t(Qz_DoMethod(t, kTextGetNumber));
    ADD_FAILURE() << label;
    return -1;
  }
  std::string Hex() {
    for (Qz_Object* t : texts_)
      if (LabelOf(t).starts_with("#")) return LabelOf(t);
    return "";
  }
  uint32_t Box() {
    Qz_Object* box = Find(panel_, "ColourBox");
    return uint32_t(Qz_DoMethod(box, kColourBoxGetRed)) | uint32_t(Qz_DoMethod(box, kColourBoxGetRed + 1)) << 8 |
           uint32_t(Qz_DoMethod(box, kColourBoxGetRed + 2)) << 16;
  }
  std::vector<Qz_Object*> texts_;
  Qz_Object* mainView_ = nullptr;
};

TEST_F(InspectionPanelTest, ThePixelUnderThePointerShowsAsRgbHsvHexAndColour) {
  Qz_DoNotify(App(), kPointerMoved, 4u, 3u);
  EXPECT_EQ(Number("R %ld"), 200);
  EXPECT_EQ(Number("G %ld"), 100);
  EXPECT_EQ(Number("B %ld"), 50);
  EXPECT_EQ(Number("H %ld"), 20);
  EXPECT_EQ(Number("S %ld"), 191);
  EXPECT_EQ(Number("V %ld"), 200);
  EXPECT_EQ(Hex(), "#C86432");
  EXPECT_EQ(Box(), 0x3264C8u);
}

TEST_F(InspectionPanelTest, APointerBeyondAnEdgeReadsTheEdgePixel) {
  struct Case {
    int32_t x, y, readX, readY;
  };
  for (const Case& c : {Case{-3, 2, 0, 2}, Case{5, -9, 5, 0}, Case{kWidth, 4, kWidth - 1, 4},
                        Case{2, kHeight + 50, 2, kHeight - 1}, Case{-1, -1, 0, 0}}) {
    SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
    Qz_DoNotify(App(), kPointerMoved, uint32_t(c.x), uint32_t(c.y));
    EXPECT_EQ(Number("R %ld"), c.readX * 10);
    EXPECT_EQ(Number("G %ld"), c.readY * 10);
  }
}

TEST_F(InspectionPanelTest, TheFactorFollowsTheMainViewsZoom) {
  MakeMainView();
  Qz_Object* view = Find(panel_, "ImageView");
  ASSERT_NE(view, nullptr);
  struct Case {
    int32_t mainWidth;
    uint32_t zoom;
  };
  for (const Case& c : {Case{3 * kWidth, 100}, Case{3 * kWidth - 1, 600}, Case{8 * kWidth, 100}, Case{kWidth, 600}}) {
    Qz__SetImageViewWidthHeight(mainView_, c.mainWidth, kHeight);
    Qz_DoNotify(App(), kQzViewZoom, 0u);
    EXPECT_EQ(Qz_DoMethod(view, kQzViewGetZoom), c.zoom) << c.mainWidth;
  }
}

TEST_F(InspectionPanelTest, ANewActiveImageIsMagnifiedAsItsOwnMainViewShowsIt) {
  MakeMainView();
  Qz_Object* view = Find(panel_, "ImageView");
  for (const auto& [mainWidth, zoom] : {std::pair{3 * kWidth, 100u}, std::pair{3 * kWidth - 1, 600u}}) {
    Qz__SetImageViewWidthHeight(mainView_, mainWidth, kHeight);
    Qz_DoNotify(App(), kQzAppMakeActiveImage, doc_);
    EXPECT_EQ(Qz_DoMethod(view, kQzViewGetZoom), zoom) << mainWidth;
  }
}

// Magnified, the pixel's cell gets an inverted frame and keeps its colour
// inside; the cell marked before shows the picture again.
TEST_F(InspectionPanelTest, TheInspectedCellIsFramedInTheMagnifiedView) {
  OpenPanel();
  PointAt(4, 3);
  Qz_Object* view = Find(panel_, "ImageView");
  ASSERT_EQ(ImageToImageViewX(view, 5) - ImageToImageViewX(view, 4), 6) << "600 %";
  // Window pixels from the cell's corner; the frame's right and bottom
  // edges lie on the next cells' first pixels.
  struct Probe {
    int32_t dx, dy;
    bool frame;
  };
  const Probe probes[] = {{0, 0, true},   {3, 0, true},   {0, 4, true},   {6, 3, true},  {3, 6, true},
                          {1, 1, false},  {3, 3, false},  {5, 5, false},  {7, 3, false}};
  const auto expected = [this](const Probe& p, bool marked) {
    return Doc(4 + p.dx / 6, 3 + p.dy / 6) ^ (marked && p.frame ? 0xFFFFFFu : 0u);
  };
  for (const Probe& p : probes) EXPECT_EQ(Shown(4, 3, p.dx, p.dy), expected(p, true)) << p.dx << "," << p.dy;

  PointAt(1, 6);
  EXPECT_EQ(Shown(1, 6), Doc(1, 6) ^ 0xFFFFFFu);
  for (const Probe& p : probes)
    EXPECT_EQ(Shown(4, 3, p.dx, p.dy), expected(p, false)) << "left behind at " << p.dx << "," << p.dy;
}

// At 100 % an inverted crosshair runs through the pixel over the picture,
// leaving the pixel itself as it is.
TEST_F(InspectionPanelTest, AtFullSizeACrosshairRunsThroughThePixel) {
  MakeMainView();
  Qz__SetImageViewWidthHeight(mainView_, 3 * kWidth, 3 * kHeight);
  OpenPanel();
  Qz_DoNotify(App(), kQzViewZoom, 0u);
  PointAt(4, 3);
  Qz_Object* view = Find(panel_, "ImageView");
  ASSERT_EQ(ImageToImageViewX(view, 5) - ImageToImageViewX(view, 4), 1) << "100 %";
  for (int32_t x = 0; x < kWidth; ++x)
    EXPECT_EQ(Shown(x, 3), x == 4 ? Doc(x, 3) : 0xFFFFFFu ^ Doc(x, 3)) << "row, x " << x;
  for (int32_t y = 0; y < kHeight; ++y)
    EXPECT_EQ(Shown(4, y), y == 3 ? Doc(4, y) : 0xFFFFFFu ^ Doc(4, y)) << "column, y " << y;
  EXPECT_EQ(Shown(2, 5), Doc(2, 5));
  EXPECT_EQ(Shown(kWidth, 3), Shown(kWidth, 2)) << "nothing beyond the picture";

  PointAt(7, 6);
  EXPECT_EQ(Shown(1, 3), Doc(1, 3)) << "the old crosshair is gone";
  EXPECT_EQ(Shown(4, 1), Doc(4, 1));
  EXPECT_EQ(Shown(1, 6), 0xFFFFFFu ^ Doc(1, 6));
}

TEST_F(InspectionPanelTest, SwitchingTheCoordinateModeRereadsTheMarkedPixel) {
  Qz_DoNotify(App(), kPointerMoved, 4u, 3u);
  doc_->r[3][4] = 9;
  EXPECT_EQ(Qz_DoMethod(panel_, kCoordinateMode, 1u), 1u);
  EXPECT_EQ(Qz_DoMethod(panel_, kGetCoordinateMode), 1u);
  EXPECT_EQ(Number("R %ld"), 9);
}

class CoordsPanelTest : public qztest::PanelImageTest {
 protected:
  void SetUp() override {
    StartUp({Qz_InitCoordsPluginClass, Qz_CleanupCoordsPluginClass, "CoordsPlugin"}, {}, 10, 8);
    for (Qz_Object* t : qztest::FindAllOf(panel_, "Text"))
      if (LabelOf(t).starts_with("(")) text_ = t;
    ASSERT_NE(text_, nullptr);
  }
  Qz_Object* text_ = nullptr;
};

TEST_F(CoordsPanelTest, RelativeModeShowsTheDistanceFromWhereItBegan) {
  struct Step {
    uint32_t method, a, b;
    const char* shown;
  };
  const Step steps[] = {{kPointerMoved, 5, 7, "(5,7)"},  {kCoordinateMode, 1, 0, "(0,0)"},
                        {kPointerMoved, 8, 3, "(3,-4)"}, {kPointerMoved, 2, 7, "(-3,0)"},
                        {kCoordinateMode, 0, 0, "(5,7)"}, {kPointerMoved, 1, 2, "(1,2)"}};
  for (const Step& s : steps) {
    Qz_DoNotify(App(), s.method, s.a, s.b);
    EXPECT_EQ(LabelOf(text_), s.shown);
  }
  EXPECT_EQ(Qz_DoMethod(panel_, kGetCoordinateMode), 0u);
}

// In the narrow panel column the position shows inside the panel, drawn.
TEST_F(CoordsPanelTest, ThePositionShowsInsideANarrowPanel) {
  OpenPanelWindow();
  Qz_DoNotify(App(), kPointerMoved, 123u, 45u);
  ASSERT_TRUE(ui.settle(window_));
  const Qz_LayoutBox text = qztest::UiHarness::box(text_), panel = qztest::UiHarness::box(panel_);
  EXPECT_GE(text.left, panel.left);
  EXPECT_LE(text.left + text.width, panel.left + panel.width);
  EXPECT_LE(text.top + text.height, panel.top + panel.height);
  const uint32_t background = ui.pixel(window_, text.left, text.top);
  int inked = 0;
  for (int y = text.top; y < text.top + text.height; ++y)
    for (int x = text.left; x < text.left + text.width; ++x) inked += ui.pixel(window_, x, y) != background;
  EXPECT_GT(inked, 0);
}

class MagnifyPanelTest : public qztest::PanelImageTest {
 protected:
  static constexpr int32_t kWidth = 200, kHeight = 100;
  void SetUp() override {
    StartUp({Qz_InitMagnifyPluginClass, Qz_CleanupMagnifyPluginClass, "MagnifyPlugin"}, {}, kWidth, kHeight);
    field_ = Find(panel_, "StringEdit");
    ASSERT_NE(field_, nullptr);
    mainView_ = Qz_CreateObject("ImageView");
    ASSERT_NE(mainView_, nullptr);
    Qz_DoMethod(mainView_, kQzViewSetImage, doc_);
    Qz_SetCurrentView(doc_, mainView_);
  }
  void TearDown() override {
    Qz_SetCurrentView(doc_, nullptr);
    Qz_DisposeObject(mainView_);
    PanelImageTest::TearDown();
  }
  uint32_t Shown() { return uint32_t(Qz_DoMethod(field_, kStringEditGetNumber)); }
  Qz_Object* field_ = nullptr;
  Qz_Object* mainView_ = nullptr;
};

// A view fitted to its window is rarely at 100 %: the field shows the
// view's own zoom, and every zoom a document's view announces.
TEST_F(MagnifyPanelTest, TheFieldShowsTheActiveViewsZoomAndFollowsItsChanges) {
  Qz__SetImageViewWidthHeight(mainView_, kWidth * 47 / 100, kHeight * 47 / 100);
  Qz_DoNotify(App(), kQzAppMakeActiveImage, doc_);
  EXPECT_EQ(Shown(), 47u);
  for (uint32_t zoom : {250u, 33u, 800u}) {
    Qz_DoNotify(App(), kQzViewZoom, zoom);
    EXPECT_EQ(Shown(), zoom);
  }
  Qz_DoNotify(App(), kQzViewZoom, 0u);  // no word: the active view is asked
  EXPECT_EQ(Shown(), 47u);
}

// The presets' menu shows each entry's text (a menu item's own text, kept
// as long as the item: a label alone shows only while the item is lit).
TEST_F(MagnifyPanelTest, ThePresetsMenuShowsItsEntriesTexts) {
  Qz_Object* popUp = Find(panel_, "PopUp");
  ASSERT_NE(popUp, nullptr);
  Qz_DoMethod(popUp, kPopUpChildrenInPopUp, 1);
  std::vector<std::string> texts;
  for (Qz_Object* item : qztest::FindAllOf(popUp, "MenuItem")) {
    const auto* text = reinterpret_cast<const char*>(Qz_DoMethod(item, kMenuItemGetText));
    texts.emplace_back(text ? text : "");
  }
  Qz_DoMethod(popUp, kPopUpChildrenInPopUp, 0);
  ASSERT_EQ(texts.size(), 10u);
  EXPECT_EQ(texts[0], "100%");
  EXPECT_EQ(texts[2], "800%");
  EXPECT_EQ(texts[9], "10%");
}

}  // namespace
