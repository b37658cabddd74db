// Window and screen records, boxes, limits, stacking in bands and what the
// composed desktop shows.
#include <cstring>

#include "platform/clipboard.h"
#include "tests/windows/window_fixture.h"

using namespace qztest;
namespace hl = qz::headless;

namespace {

constexpr uint32_t kRed = 0x0000FF;    // COLORREF
constexpr uint32_t kBlue = 0xFF0000;   // COLORREF
constexpr uint32_t kRedRgb = 0xFF0000;
constexpr uint32_t kBlueRgb = 0x0000FF;

void fill(Window* w, uint32_t colorRef) {
  SetAPen(w->RPort, kDirectColourFlag | colorRef);
  RectFill(w->RPort, 0, 0, w->Width - 1, w->Height - 1);
}

uint32_t gKind = 0;
uint32_t kindHook(void*) { return gKind; }

class RecordsTest : public WindowTest {
 protected:
  void useKind(uint32_t kind) {
    gKind = kind;
    QzWindowHooks hooks{};
    hooks.windowKind = kindHook;
    Qz_SetWindowHooks(&hooks);
  }
  Window* openOwned(int left, int top, int w, int h, uint32_t flags) {
    static int owner;
    Window* win = OpenWindowTags(nullptr, WA_Left, left, WA_Top, top, WA_Width, w, WA_Height, h, WA_Flags, flags,
                                 WA_OwnerObject, &owner, TAG_DONE);
    if (win) open_.push_back(win);
    return win;
  }
};

TEST_F(RecordsTest, TheScreenIsMadeOnceWhateverTheTags) {
  EXPECT_EQ(screen_->Width, 1024);
  EXPECT_EQ(screen_->Height, 768);
  EXPECT_STREQ(screen_->Title, "Quillantrix");
  EXPECT_EQ(screen_->Pens[1], 0x000000u);
  EXPECT_EQ(screen_->Pens[2], 0xFFFFFFu);
  EXPECT_EQ(screen_->Pens[3], 0xFFB43Cu);
  Screen* again = OpenScreenTags(nullptr, SA_Width, 10, SA_Height, 10, SA_Title, "Other", TAG_DONE);
  EXPECT_EQ(again, screen_);
  EXPECT_EQ(again->Width, 1024);
  EXPECT_STREQ(again->Title, "Quillantrix");
  EXPECT_EQ(LockPubScreen("Desktop"), screen_);
}

TEST_F(RecordsTest, AClosedScreenStaysReadableAndTakesNoNewWindows) {
  Window* left = open(10, 10, 40, 30);
  ASSERT_NE(left, nullptr);
  Screen* closed = screen_;
  EXPECT_EQ(CloseScreen(closed), 1);
  // A window left open still draws its frame from its screen's pens.
  ActivateWindow(left);
  EXPECT_EQ(left->WScreen, closed);
  // One that was on its way to the closed screen does not open.
  EXPECT_EQ(OpenWindowTags(nullptr, WA_CustomScreen, closed, WA_InnerWidth, 20, WA_InnerHeight, 20, TAG_DONE),
            nullptr);
  Screen* reopened = OpenScreenTags(nullptr);
  ASSERT_NE(reopened, nullptr);
  Window* fresh = OpenWindowTags(nullptr, WA_CustomScreen, reopened, WA_InnerWidth, 20, WA_InnerHeight, 20, TAG_DONE);
  EXPECT_NE(fresh, nullptr);
  CloseWindow(fresh);
  screen_ = reopened;
}

TEST_F(RecordsTest, FramedAndBorderlessWindows) {
  struct Case {
    const char* name;
    uint32_t flags;
    int border, top;
  };
  for (const Case& c : {Case{"framed", 0, kFrameWidth, kFrameWidth + kCaptionHeight},
                        Case{"borderless", WFLG_BORDERLESS, 0, 0}}) {
    SCOPED_TRACE(c.name);
    Window* w = open(30, 40, 200, 100, c.flags, "Tools");
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->BorderLeft, c.border);
    EXPECT_EQ(w->BorderRight, c.border);
    EXPECT_EQ(w->BorderBottom, c.border);
    EXPECT_EQ(w->BorderTop, c.top);
    EXPECT_EQ(w->LeftEdge, 30);
    EXPECT_EQ(w->TopEdge, 40);
    EXPECT_EQ(w->Width, 200 + 2 * c.border);
    EXPECT_EQ(w->Height, 100 + c.top + c.border);
    EXPECT_STREQ(w->Title, "Tools");
    EXPECT_EQ(w->WScreen, screen_);
    ASSERT_NE(w->RPort, nullptr);
    EXPECT_EQ(w->RPort->Layer->window, w);
    EXPECT_EQ(w->RPort->Target->width(), w->Width);
    EXPECT_EQ(w->RPort->Target->height(), w->Height);
    // The first paint asks for the client area.
    Message* m = GetMsg(w->UserPort);
    ASSERT_NE(m, nullptr);
    auto* refresh = reinterpret_cast<InputMessage*>(m);
    EXPECT_EQ(refresh->Class, IDCMP_REFRESHWINDOW);
    EXPECT_EQ(refresh->RefreshLeft, c.border);
    EXPECT_EQ(refresh->RefreshTop, c.top);
    EXPECT_EQ(refresh->RefreshRight, 200 + c.border + 1);
    EXPECT_EQ(refresh->RefreshBottom, 100 + c.top + 1);
    FreeVec(m);
    EXPECT_TRUE(drain(w).empty());
  }
}

TEST_F(RecordsTest, TopLevelWindowsStayInsideTheDesktop) {
  useKind(kWindowKindTopLevel);
  struct Case {
    const char* name;
    int left, top;
    int expectLeft, expectTop;
  };
  const Case cases[] = {
      {"inside", 100, 100, 100, 100},
      {"past the right edge", 1000, 100, 1024 - 100, 100},
      {"past the bottom", 10, 760, 10, 768 - 50},
      {"negative", -20, -5, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Window* w = openOwned(c.left, c.top, 100, 50, WFLG_BORDERLESS);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->LeftEdge, c.expectLeft);
    EXPECT_EQ(w->TopEdge, c.expectTop);
  }
}

TEST_F(RecordsTest, TheScreenFollowsTheHostAndKeepsTopLevelWindowsInside) {
  useKind(kWindowKindTopLevel);
  Window* top = openOwned(900, 700, 100, 50, WFLG_BORDERLESS);
  useKind(0);
  Window* child = open(900, 700, 100, 50, WFLG_BORDERLESS);
  drain(top);
  drain(child);
  qz::host::hostResized(800, 600);
  EXPECT_EQ(screen_->Width, 800);
  EXPECT_EQ(screen_->Height, 600);
  EXPECT_EQ(top->LeftEdge, 700);
  EXPECT_EQ(top->TopEdge, 550);
  EXPECT_EQ(drain(top), (std::vector<Msg>{{IDCMP_NEWSIZE, 0, 0}}));
  EXPECT_EQ(child->LeftEdge, 900);  // the main window's children may lie outside
  EXPECT_TRUE(drain(child).empty());
  qz::host::hostResized(1024, 768);
}

TEST_F(RecordsTest, ChangeWindowBoxAddsTheWindowsOwnBorders) {
  Window* framed = open(10, 10, 100, 100);
  Window* popUp = open(300, 10, 100, 100, WFLG_BORDERLESS);
  drain(framed);
  drain(popUp);
  ChangeWindowBox(framed, 20, 30, 150, 60);
  EXPECT_EQ(framed->LeftEdge, 20);
  EXPECT_EQ(framed->TopEdge, 30);
  EXPECT_EQ(framed->Width, 150 + 2 * kFrameWidth);
  EXPECT_EQ(framed->Height, 60 + kFrameWidth * 2 + kCaptionHeight);
  EXPECT_EQ(framed->RPort->Target->width(), framed->Width);
  EXPECT_EQ(drain(framed), (std::vector<Msg>{{IDCMP_NEWSIZE, 0, 0}}));
  ChangeWindowBox(popUp, 300, 10, 80, 40);
  EXPECT_EQ(popUp->Width, 80);
  EXPECT_EQ(popUp->Height, 40);
  EXPECT_EQ(drain(popUp), (std::vector<Msg>{{IDCMP_NEWSIZE, 0, 0}}));
  // Nothing changed, nothing said.
  ChangeWindowBox(popUp, 300, 10, 80, 40);
  EXPECT_TRUE(drain(popUp).empty());
  EXPECT_EQ(WindowLimits(popUp, 10, 20, 300, 400), 1);
  EXPECT_EQ(popUp->MinWidth, 10);
  EXPECT_EQ(popUp->MaxHeight, 400);
}

TEST_F(RecordsTest, StackingAndTheComposedDesktop) {
  Window* a = open(100, 100, 100, 100, WFLG_BORDERLESS);
  Window* b = open(150, 150, 100, 100, WFLG_BORDERLESS);
  fill(a, kRed);
  fill(b, kBlue);
  Qz_HostFlush();
  EXPECT_EQ(hl::screenPixel(110, 110), kRedRgb);
  EXPECT_EQ(hl::screenPixel(160, 160), kBlueRgb);  // b opened later, on top
  EXPECT_EQ(hl::screenPixel(50, 50), qz::raster::rgbFromColorRef(screen_->Pens[0]));
  WindowToFront(a);
  EXPECT_EQ(hl::screenPixel(160, 160), kRedRgb);

  // A top-level window stays above the main window's children opened after it.
  useKind(kWindowKindTopLevel);
  Window* top = openOwned(400, 400, 50, 50, WFLG_BORDERLESS);
  useKind(0);
  Window* child = open(420, 420, 50, 50, WFLG_BORDERLESS);
  fill(top, kBlue);
  fill(child, kRed);
  WindowToFront(child);
  EXPECT_EQ(hl::screenPixel(430, 430), kBlueRgb);
  EXPECT_EQ(hl::screenPixel(460, 460), kRedRgb);

  // Closing uncovers what lay below.
  close(b);
  EXPECT_EQ(hl::screenPixel(240, 240), qz::raster::rgbFromColorRef(screen_->Pens[0]));
  EXPECT_EQ(hl::screenPixel(190, 190), kRedRgb);
}

TEST_F(RecordsTest, SetWindowTitlesRedrawsTheCaption) {
  Window* w = open(100, 100, 200, 50, 0, "");
  const std::vector<uint32_t> before = hl::screenPixels(108, 106, 100, 12);
  SetWindowTitles(w, "Colours", "ignored");
  EXPECT_STREQ(w->Title, "Colours");
  EXPECT_NE(hl::screenPixels(108, 106, 100, 12), before);
  SetWindowTitles(w, nullptr, nullptr);
  EXPECT_STREQ(w->Title, "");
  EXPECT_EQ(hl::screenPixels(108, 106, 100, 12), before);
}

TEST_F(RecordsTest, FindWindowUnderTheMouse) {
  Window* a = open(100, 100, 100, 100, WFLG_BORDERLESS);
  Window* b = open(150, 150, 100, 100, WFLG_BORDERLESS);
  a->MouseX = 60;  // 160,160: b covers it
  a->MouseY = 60;
  EXPECT_EQ(Qz_FindWindowUnderMouse(a), b);
  a->MouseX = 10;
  EXPECT_EQ(Qz_FindWindowUnderMouse(a), a);
  a->MouseX = -50;
  EXPECT_EQ(Qz_FindWindowUnderMouse(a), nullptr);
  EXPECT_EQ(Qz_FindWindowUnderMouse(nullptr), nullptr);
}

TEST_F(RecordsTest, HatchedRectangleIsACheckerboardOfBothPens) {
  Window* w = open(0, 0, 20, 20, WFLG_BORDERLESS);
  SetAPen(w->RPort, kDirectColourFlag | kRed);
  SetBPen(w->RPort, kDirectColourFlag | kBlue);
  Qz_FillHatchedRectangle(w->RPort, 5, 4, 2, 2);  // corners in any order
  const qz::raster::PixelBuffer& b = *w->RPort->Target;
  EXPECT_EQ(b.at(2, 2), kRedRgb);
  EXPECT_EQ(b.at(3, 2), kBlueRgb);
  EXPECT_EQ(b.at(2, 3), kBlueRgb);
  EXPECT_EQ(b.at(5, 4), kBlueRgb);
  EXPECT_EQ(b.at(4, 4), kRedRgb);
  EXPECT_NE(b.at(6, 4), kBlueRgb);  // outside, untouched
  EXPECT_NE(b.at(2, 5), kRedRgb);
}

TEST_F(RecordsTest, ClipboardText) {
  EXPECT_EQ(Qz_ClipboardSetText("Grüße"), 1);
  char* text = Qz_ClipboardGetText();
  ASSERT_NE(text, nullptr);
  EXPECT_STREQ(text, "Grüße");
  FreeVec(text);
  EXPECT_EQ(Qz_ClipboardHoldsImage(), 0);
  const uint8_t png[] = {0x89, 'P', 'N', 'G'};
  EXPECT_EQ(Qz_ClipboardSetData("image/png", png, sizeof(png)), 1);
  EXPECT_EQ(Qz_ClipboardHoldsImage(), 1);
  EXPECT_EQ(Qz_ClipboardGetText(), nullptr);  // the new owner offers no text
  size_t n = 0;
  void* data = Qz_ClipboardGetData("image/png", &n);
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(n, sizeof(png));
  EXPECT_EQ(std::memcmp(data, png, n), 0);
  FreeVec(data);
  EXPECT_EQ(Qz_ClipboardGetData("image/bmp", &n), nullptr);
  EXPECT_EQ(n, 0u);
}

}  // namespace
