#include "gadgets/popup_placement.h"

namespace qz::popups {

Placement placePopUp(const PlacementInput& in) {
  Placement p;
  int32_t x = in.pointerX, y = in.pointerY;
  switch (in.placement) {
    case kPlaceAtPointer: break;
    case kPlaceOverButton:
    case kPlaceOverButton2:
      x = in.buttonLeft;
      y = in.buttonTop;
      break;
    case kPlaceRight:
      x = in.buttonLeft + in.buttonWidth;
      y = in.buttonTop;
      // No room on the right: it opens to the left of the button instead.
      if (in.windowLeft + x + in.shownWidth > in.screenWidth) x = in.buttonLeft - in.shownWidth;
      break;
    case kPlaceBelow:
      x = in.buttonLeft;
      y = in.buttonTop + in.buttonHeight;
      break;
    case kPlaceAboveAnchored:
      x = in.buttonLeft;
      y = in.buttonTop;
      p.anchoredAbove = true;
      break;
    case kPlaceCentredOnPointer:
      x = in.pointerX - in.shownWidth / 2;
      y = in.buttonTop - in.buttonHeight / 2;
      break;
    default: p.lineUnderPointer = true; break;
  }
  p.x = in.windowLeft + x;
  p.y = in.windowTop + y;
  return p;
}

}  // namespace qz::popups
