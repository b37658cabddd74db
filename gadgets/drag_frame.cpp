// The drag outline on the screen's exclusive-or overlay.
#include "gadgets/drag_frame.h"

#include <algorithm>

#include "platform/graphics.h"
#include "platform/windows.h"

namespace qz::gui {

namespace {

// Wide enough to see over any picture, as the window-sizing outline is.
constexpr int32_t kLineWidth = 2;
constexpr int32_t kSmallestSide = 2 * kLineWidth + 1;

}  // namespace

void DragFrame::show(Screen* screen, int32_t width, int32_t height, int32_t pointerX, int32_t pointerY) {
  hide();
  if (screen == nullptr) return;
  width = std::max(width, kSmallestSide);
  height = std::max(height, kSmallestSide);
  screen_ = screen;
  left_ = pointerX - width / 2;
  top_ = pointerY;
  right_ = left_ + width - 1;
  bottom_ = top_ + height - 1;
  invert();
}

void DragFrame::hide() {
  if (screen_ == nullptr) return;
  invert();
  screen_ = nullptr;
}

// The four sides without overlapping corners: each pixel is inverted once,
// so the same call puts the overlay back.
void DragFrame::invert() const {
  RastPort* rp = &screen_->RastPort;
  // The compose lock keeps the host from presenting half an outline, and
  // keeps two windows' threads from sharing the overlay's draw mode.
  Qz_LockHostCompose();
  const uint32_t oldMode = rp->DrawMode;
  SetDrMd(rp, COMPLEMENT);
  RectFill(rp, left_, top_, right_, top_ + kLineWidth - 1);
  RectFill(rp, left_, bottom_ - kLineWidth + 1, right_, bottom_);
  RectFill(rp, left_, top_ + kLineWidth, left_ + kLineWidth - 1, bottom_ - kLineWidth);
  RectFill(rp, right_ - kLineWidth + 1, top_ + kLineWidth, right_, bottom_ - kLineWidth);
  SetDrMd(rp, oldMode);
  Qz_UnlockHostCompose();
  Qz_HostFlush();
}

}  // namespace qz::gui
