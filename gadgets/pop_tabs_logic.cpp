#include "gadgets/pop_tabs_logic.h"

#include <algorithm>
#include <atomic>
#include <chrono>

namespace qz::poptabs {

Placement popUpPlacement(int32_t pageWidth, int32_t pageHeight, int32_t windowMinWidth) {
  const int32_t height = pageHeight <= 0 || pageHeight >= kPopUpMaxHeight ? kPopUpMaxHeight : pageHeight;
  int32_t width = pageWidth != 0 ? pageWidth : windowMinWidth;
  width = std::clamp(width, 0, kPopUpMaxWidth);  // the right edge always stays at kPopUpRight
  return {kPopUpRight - width, 0, width, height};
}

namespace {

uint32_t monotonicTicks() {
  using namespace std::chrono;
  return uint32_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

std::atomic<TickSource> gTickSource{&monotonicTicks};

}  // namespace

uint32_t ticksNow() { return gTickSource.load()(); }
void setTickSource(TickSource source) { gTickSource.store(source ? source : &monotonicTicks); }

void TabChooser::close(uint32_t now) {
  state_ = PopUpState::Closed;
  if (!current_) return;
  lastClosed_ = current_;
  closeTime_ = now;
  current_ = 0;
}

Choice TabChooser::choose(uintptr_t tab, uint32_t now) {
  if (tab && tab == lastClosed_ && uint32_t(now - closeTime_) < kReopenGuardMs) {
    lastClosed_ = 0;
    return Choice::Ignore;
  }
  if (current_ && current_ == tab) {
    current_ = 0;
    return Choice::ReleaseCurrent;
  }
  current_ = tab;
  return Choice::Open;
}

void TabChooser::forget(uintptr_t tab) {
  if (current_ == tab) current_ = 0;
  if (lastClosed_ == tab) lastClosed_ = 0;
}

}  // namespace qz::poptabs
