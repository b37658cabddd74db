#include "gadgets/window_geometry.h"

#include <algorithm>

#include "gadgets/qz_window.h"
#include "platform/windows.h"

namespace qz::gui {

namespace {

// Room kept free around a document window that is fitted to the screen.
constexpr int32_t kScreenMargin = 15;
// A panel or main window further than this from the screen's corner is not
// a neighbour the document window is placed beside.
constexpr int32_t kNeighbourReach = 300;
// A pop-up that would cross the screen's right edge stays this far inside it.
constexpr int32_t kPopUpEdgeGap = 8;

bool centred(int32_t coordinate) { return static_cast<uint32_t>(coordinate) == kWindowCentred; }

int32_t withinLimits(int32_t size, int32_t minimum, int32_t maximum) {
  return std::clamp<int32_t>(size, minimum, std::max(minimum, maximum));
}

}  // namespace

WindowBox openingBox(const OpeningRequest& request, const SizeLimits& limits,
                     const std::optional<WindowBox>& remembered) {
  WindowBox box{request.x, request.y,
                request.width != 0 ? request.width
                : request.defaultWidth != 0 ? request.defaultWidth
                                            : limits.minWidth,
                request.height != 0 ? request.height
                : request.defaultHeight != 0 ? request.defaultHeight
                                             : limits.minHeight};
  if (remembered && remembered->width != 0 && remembered->height != 0) box = *remembered;
  box.width = withinLimits(box.width, limits.minWidth, limits.maxWidth);
  box.height = withinLimits(box.height, limits.minHeight, limits.maxHeight);
  if (box.width <= 0 || box.height <= 0) return {box.left, box.top, 0, 0};
  if (request.bottomAnchored) box.top -= box.height;
  return box;
}

WindowBox placeOnScreen(WindowBox box, const OpeningRequest& request, const SizeLimits& limits,
                        const Surroundings& around) {
  const int32_t bw = around.borderWidth, bh = around.borderHeight;
  const int32_t sw = around.screenWidth, sh = around.screenHeight;
  if (around.centreOn) {
    box.left -= around.centreOn->first;
    box.top -= around.centreOn->second;
  }
  box.left = centred(request.x) ? (sw - box.width - bw) / 2 : box.left + request.xOffset;
  box.top = centred(request.y) ? (sh - box.height - bh) / 2 : box.top + request.yOffset;
  if (around.rightOf) box.left = around.rightOf->left + around.rightOf->width;
  if (around.below) box.top = around.below->top + around.below->height;
  // A pop-up keeps its size and moves to stay whole on the screen: shrunk,
  // the line or knob meant to come under the pointer would be cut off.
  if (request.popUp) {
    if (box.top + box.height + bh > sh) box.top = sh - box.height - bh;
    box.top = std::max(0, box.top);
    box.left = std::max(0, box.left);
  }
  if (box.top + box.height + bh > sh) box.height = std::max<int32_t>(limits.minHeight, sh - box.top - bh);
  if (box.top < 0) {
    box.height = std::max<int32_t>(limits.minHeight, box.height + box.top);
    box.top = 0;
  }
  if (request.popUp && box.left + box.width + bw > sw) box.left = sw - box.width - bw - kPopUpEdgeGap;
  if (box.left + box.width + bw > sw) box.width = std::max<int32_t>(limits.minWidth, sw - box.left - bw);
  if (box.left < 0) {
    box.width = std::max<int32_t>(limits.minWidth, box.width + box.left);
    box.left = 0;
  }
  return box;
}

std::optional<WindowBox> grownToContent(const WindowBox& inner, const SizeLimits& limits,
                                        const Surroundings& around) {
  const int32_t bw = around.borderWidth, bh = around.borderHeight;
  WindowBox grown = inner;
  bool grew = false;
  if (limits.minWidth > grown.width) {
    grown.width = std::min<int32_t>(limits.minWidth, around.screenWidth - bw);
    grew = true;
  }
  if (limits.minHeight > grown.height) {
    grown.height = std::min<int32_t>(limits.minHeight, around.screenHeight - bh);
    grew = true;
  }
  if (!grew) return std::nullopt;
  grown.left = std::max(0, std::min<int32_t>(inner.left, around.screenWidth - grown.width - bw));
  grown.top = std::max(0, std::min<int32_t>(inner.top, around.screenHeight - grown.height - bh));
  return grown;
}

std::pair<int32_t, int32_t> documentWindowCorner(const WindowBox& panel, const WindowBox& main) {
  int32_t left = panel.left + panel.width;
  if (panel.left > kNeighbourReach || left > kNeighbourReach || left < 0) left = 0;
  int32_t top = main.top + main.height;
  if (top > kNeighbourReach || top < 0) top = 0;
  return {left, top};
}

std::pair<int32_t, int32_t> documentRoom(int32_t screenWidth, int32_t screenHeight,
                                         std::pair<int32_t, int32_t> corner, int32_t statusHeight) {
  const auto [left, top] = corner;
  const int32_t freeW = std::max<int32_t>(
      1, screenWidth - 2 * kFrameWidth - (left > screenWidth / 2 ? 0 : left) - kScreenMargin);
  const int32_t freeH = std::max<int32_t>(1, screenHeight - 2 * kFrameWidth - kCaptionHeight -
                                                 (top > screenHeight / 2 ? 0 : top) - kScreenMargin -
                                                 statusHeight);
  return {freeW, freeH};
}

int32_t fittingZoomPercent(int32_t pictureWidth, int32_t pictureHeight, int32_t screenWidth,
                           int32_t screenHeight, std::pair<int32_t, int32_t> corner, int32_t statusHeight,
                           bool stepped, int32_t frame) {
  if (pictureWidth <= 0 || pictureHeight <= 0) return 100;
  auto [freeW, freeH] = documentRoom(screenWidth, screenHeight, corner, statusHeight);
  freeW = std::max<int32_t>(1, freeW - frame);
  freeH = std::max<int32_t>(1, freeH - frame);
  const int64_t iw = pictureWidth, ih = pictureHeight;
  int64_t w = std::min<int64_t>(freeW, iw), h = std::min<int64_t>(freeH, ih);
  // The largest size of the picture's proportions inside the free room.
  if (w * ih <= h * iw)
    h = std::max<int64_t>(1, w * ih / iw);
  else
    w = std::max<int64_t>(1, h * iw / ih);
  int32_t percent = std::clamp(int32_t(w * 100 / iw), 1, 100);
  if (stepped && percent > 25) percent = percent / 25 * 25;
  return percent;
}

const PositionMemory::Record* PositionMemory::find(uint32_t key) const {
  for (const Record& r : records_) {
    if (r.key == key) return &r;
  }
  return nullptr;
}

uint32_t PositionMemory::enrol(uint32_t key) {
  std::lock_guard<std::mutex> guard(lock_);
  if (find(key) != nullptr) return 1;
  records_.push_back({key, 0, 0, 0, 0});
  return key;
}

std::optional<WindowBox> PositionMemory::recall(uint32_t key) const {
  std::lock_guard<std::mutex> guard(lock_);
  const Record* r = find(key);
  if (r == nullptr || r->width == 0 || r->height == 0) return std::nullopt;
  return WindowBox{r->left, r->top, r->width, r->height};
}

void PositionMemory::keep(uint32_t key, const WindowBox& box) {
  std::lock_guard<std::mutex> guard(lock_);
  auto* r = const_cast<Record*>(find(key));
  if (r == nullptr) return;
  r->left = static_cast<int16_t>(box.left);
  r->top = static_cast<int16_t>(box.top);
  r->width = static_cast<int16_t>(box.width);
  r->height = static_cast<int16_t>(box.height);
}

void PositionMemory::forgetAll() {
  std::lock_guard<std::mutex> guard(lock_);
  records_.clear();
}

}  // namespace qz::gui
