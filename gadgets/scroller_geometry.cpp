// The knob arithmetic of the scroll bar, in 64 bits so that large totals
// cannot overflow the products.
#include <algorithm>

#include "gadgets/qz_scroller.h"

namespace qz::gadgets {

Knob scrollKnob(int32_t trackLength, int32_t frame, int32_t total, int32_t visible, int32_t position) {
  const int64_t whole = total < 2 ? 1 : total;
  int32_t length = int32_t(int64_t(trackLength) * visible / whole);
  if (length <= 2 * frame) length = 2 * frame;
  if (length <= 11) length = 11;
  const int64_t range = int64_t(total) - visible < 2 ? 1 : int64_t(total) - visible;
  const int64_t room = std::max<int64_t>(int64_t(trackLength) - length, 0);
  const int64_t offset = std::clamp<int64_t>(room * position / range, 0, room);
  return Knob{length, int32_t(offset)};
}

int32_t sliderKnobOffset(int32_t trackLength, int32_t frame, int32_t knobLength, int32_t minimum, int32_t total,
                         int32_t position, bool vertical) {
  const int64_t span = int64_t(total) - minimum;
  if (span <= 0) return 0;
  const int64_t room = std::max<int64_t>(int64_t(trackLength) - 2 * frame - knobLength, 0);
  const int64_t along = vertical ? int64_t(total) - position : int64_t(position) - minimum;
  return int32_t(std::clamp<int64_t>(room * along / span, 0, room));
}

int32_t clampScrollPosition(int32_t position, int32_t minimum, int32_t total, int32_t visible) {
  int64_t p = std::max<int64_t>(position, minimum);
  p = std::min<int64_t>(p, int64_t(total) - visible);
  return int32_t(std::max<int64_t>(p, std::min<int64_t>(minimum, 0)));
}

int32_t dragScrollPosition(int32_t startPosition, int32_t pointerDelta, int32_t trackLength, int32_t frame,
                           int32_t knobLength, int32_t minimum, int32_t total, int32_t visible) {
  int64_t avail = int64_t(trackLength) - 2 * frame - knobLength;
  if (avail < 2) avail = 1;
  const int64_t delta = int64_t(pointerDelta) * (int64_t(total) - visible) / avail;
  int64_t p = std::max<int64_t>(startPosition + delta, minimum);
  p = std::min<int64_t>(p, int64_t(total) - visible);
  return int32_t(std::max<int64_t>(p, std::min<int64_t>(minimum, 0)));
}

}  // namespace qz::gadgets
