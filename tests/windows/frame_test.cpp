// The frames drawn round bordered windows: the caption moves the window, the
// edges size it within its limits, the close box asks to close, and each drag
// ends in one moved-or-sized message.
#include "tests/windows/window_fixture.h"

using namespace qztest;
namespace hl = qz::headless;

namespace {

class FrameTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    w_ = open(100, 100, 200, 150, 0, "Layers");
    ASSERT_NE(w_, nullptr);
    drain(w_);
  }
  void drag(int x0, int y0, int x1, int y1) {
    hl::moveTo(x0, y0);
    hl::press();
    hl::moveTo((x0 + x1) / 2, (y0 + y1) / 2);
    hl::moveTo(x1, y1);
    hl::release();
  }
  Window* w_ = nullptr;
};

TEST_F(FrameTest, DraggingTheCaptionMovesTheWindow) {
  const int x = w_->LeftEdge + 40, y = w_->TopEdge + kFrameWidth + 5;
  drag(x, y, x + 50, y + 20);
  EXPECT_EQ(w_->LeftEdge, 150);
  EXPECT_EQ(w_->TopEdge, 120);
  // Activation from the press, then one message for the whole drag; no moves.
  EXPECT_EQ(drain(w_), (std::vector<Msg>{{IDCMP_ACTIVEWINDOW, 0, 0}, {IDCMP_NEWSIZE, 0, 0}}));
  // A press without a move says nothing more.
  drag(x + 50, y + 20, x + 50, y + 20);
  EXPECT_TRUE(drain(w_).empty());
}

TEST_F(FrameTest, DraggingAnEdgeSizesWithinTheLimits) {
  struct Case {
    const char* name;
    int grabX, grabY;  // from the outer top-left; negative counts from the right/bottom
    int dx, dy;
    int16_t minW, minH, maxW, maxH;
    int expectLeft, expectWidth, expectHeight;
  };
  const int W = 200 + 2 * kFrameWidth, H = 150 + 2 * kFrameWidth + kCaptionHeight;
  const Case cases[] = {
      {"bottom-right corner", -2, -2, 40, 30, 0, 0, 0, 0, 100, W + 40, H + 30},
      {"right edge only", -2, 80, 25, 99, 0, 0, 0, 0, 100, W + 25, H},
      {"past the maximum", -2, -2, 300, 300, 0, 0, 260, 220, 100, 260, 220},
      {"below the minimum", -2, -2, -150, -150, 120, 90, 0, 0, 100, 120, 90},
      {"left edge moves the left side", 1, 80, -30, 0, 0, 0, 0, 0, 70, W + 30, H},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ChangeWindowBox(w_, 100, 100, 200, 150);
    WindowLimits(w_, c.minW, c.minH, c.maxW, c.maxH);
    drain(w_);
    const int gx = w_->LeftEdge + (c.grabX < 0 ? w_->Width + c.grabX : c.grabX);
    const int gy = w_->TopEdge + (c.grabY < 0 ? w_->Height + c.grabY : c.grabY);
    drag(gx, gy, gx + c.dx, gy + c.dy);
    EXPECT_EQ(w_->LeftEdge, c.expectLeft);
    EXPECT_EQ(w_->Width, c.expectWidth);
    EXPECT_EQ(w_->Height, c.expectHeight);
    EXPECT_EQ(w_->RPort->Target->width(), w_->Width);
    std::vector<Msg> got = drain(w_);
    std::erase_if(got, [](const Msg& m) { return m.cls == IDCMP_ACTIVEWINDOW; });
    EXPECT_EQ(got, (std::vector<Msg>{{IDCMP_NEWSIZE, 0, 0}}));
  }
}

TEST_F(FrameTest, TheCloseBoxAsksToCloseOnlyWhenReleasedOverIt) {
  const int bx = w_->LeftEdge + w_->Width - kFrameWidth - 8, by = w_->TopEdge + kFrameWidth + kCaptionHeight / 2;
  drag(bx, by, bx, by);
  EXPECT_EQ(drain(w_), (std::vector<Msg>{{IDCMP_ACTIVEWINDOW, 0, 0}, {IDCMP_CLOSEWINDOW, 0, 0}}));
  drag(bx, by, bx - 60, by + 50);
  EXPECT_TRUE(drain(w_).empty());
  EXPECT_EQ(w_->LeftEdge, 100);  // the close box never moves the window
}

TEST_F(FrameTest, TheFrameIsNotPartOfTheClientArea) {
  hl::moveTo(w_->LeftEdge + 1, w_->TopEdge + 60);  // left edge
  hl::moveTo(w_->LeftEdge + 50, w_->TopEdge + 10);  // caption
  EXPECT_TRUE(drain(w_).empty());
  EXPECT_EQ(Qz_GetMouseWindow(), nullptr);
}

TEST_F(FrameTest, TheCaptionShowsActivationAndTheTitle) {
  const int cx = w_->LeftEdge + 150, cy = w_->TopEdge + kFrameWidth + 1;
  const uint32_t inactive = hl::screenPixel(cx, cy);
  hl::click(w_->LeftEdge + 50, w_->TopEdge + 60);
  const uint32_t active = hl::screenPixel(cx, cy);
  EXPECT_NE(inactive, active);
  // Some title pixels stand out from the caption colour in the text's rows.
  const std::vector<uint32_t> strip = hl::screenPixels(w_->LeftEdge + 8, w_->TopEdge + kFrameWidth + 2, 60, 14);
  int ink = 0;
  for (uint32_t p : strip) ink += p != active;
  EXPECT_GT(ink, 20);
}

}  // namespace
