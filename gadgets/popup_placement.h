// Where a pop-up's window opens for each placement value of a PopUp, apart
// from the class so a table can test it.
#pragma once

#include <cstdint>

#include "platform/qz_export.h"

namespace qz::popups {

inline constexpr uint32_t kPlaceAtPointer = 0;
inline constexpr uint32_t kPlaceOverButton = 1;
inline constexpr uint32_t kPlaceRight = 2;
inline constexpr uint32_t kPlaceOverButton2 = 4;
inline constexpr uint32_t kPlaceBelow = 8;
inline constexpr uint32_t kPlaceAboveAnchored = 16;
inline constexpr uint32_t kPlaceCentredOnPointer = 32;

struct PlacementInput {
  uint32_t placement = 0;
  int32_t windowLeft = 0, windowTop = 0;  // the button's window on the desktop
  int32_t buttonLeft = 0, buttonTop = 0, buttonWidth = 0, buttonHeight = 0;  // in that window
  int32_t pointerX = 0, pointerY = 0;     // in that window
  int32_t shownWidth = 0;                 // the measured width of what opens
  int32_t screenWidth = 0;
};

struct Placement {
  int32_t x = 0, y = 0;      // desktop position of the pop-up window
  bool anchoredAbove = false;  // the window grows upwards from y (window kind 10)
  bool lineUnderPointer = false;  // any other value: an object of the window goes under the pointer
};

QZ_EXPORT Placement placePopUp(const PlacementInput& in);

}  // namespace qz::popups
