// The rules of the pop-up tab pages, apart from windows so tables can test
// them: where the pop-up goes for a page's size, and which choice of a tab
// opens, closes or is ignored (a click on the tab whose pop-up just closed
// on deactivation must not reopen it at once).
#pragma once

#include <cstdint>

#include "platform/qz_export.h"

namespace qz::poptabs {

inline constexpr int32_t kPopUpRight = 225;       // the pop-up's right edge
inline constexpr int32_t kPopUpMaxWidth = 225;
inline constexpr int32_t kPopUpMaxHeight = 271;
inline constexpr uint32_t kReopenGuardMs = 250;

struct Placement {
  int32_t x, y, width, height;
};

// The pop-up's place for a page reporting width and height (0: unknown),
// with the window's own minimum width used when the page gives none.
QZ_EXPORT Placement popUpPlacement(int32_t pageWidth, int32_t pageHeight, int32_t windowMinWidth);

enum class PopUpState : uint8_t { Shown = 0, Closed = 1, NeverShown = 2 };

// What a choice asks of the gadget.
enum class Choice : uint8_t {
  Ignore,          // the just-closed tab chosen again within the guard
  ReleaseCurrent,  // the current tab chosen again: released, the pop-up left as it is
  Open,            // the tab becomes current and its page opens
};

// The millisecond tick the guard measures with (a monotonic clock, wrapping
// at 32 bits); tests put a clock of their own in its place.
using TickSource = uint32_t (*)();
QZ_EXPORT uint32_t ticksNow();
QZ_EXPORT void setTickSource(TickSource source);  // null: the monotonic clock

// Tabs are identified by non-zero handles; 0 is none.
class QZ_EXPORT TabChooser {
 public:
  // The pop-up closed on deactivation at tick `now` (milliseconds).
  void close(uint32_t now);
  // A choice of a tab at tick `now`; updates current and the guard.
  Choice choose(uintptr_t tab, uint32_t now);
  // The page was shown: the state the gadget records.
  void opened() { state_ = PopUpState::Shown; }
  uintptr_t current() const { return current_; }
  uintptr_t lastClosed() const { return lastClosed_; }
  PopUpState state() const { return state_; }
  // A tab taken out is forgotten everywhere.
  void forget(uintptr_t tab);

 private:
  uintptr_t current_ = 0, lastClosed_ = 0;
  uint32_t closeTime_ = 0;
  PopUpState state_ = PopUpState::NeverShown;
};

}  // namespace qz::poptabs
