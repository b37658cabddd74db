// Scroll bars and viewports run the whole length their window gives them,
// past the 1280 pixels a stretchable Space or a filling group stops at.
#include "gadgets/group_layout.h"
#include "gadgets/qz_scroller.h"
#include "objects/qz_root.h"

namespace qz::gadgets {

void stretchWithoutLimit(Qz_Object* object, bool width, bool height) {
  if (object == nullptr) return;
  Qz_LayoutBox& box = Qz_RootInstance(object)->box;
  if (width) box.maxWidth = int16_t(qz::gui::kLayoutMaxSize);
  if (height) box.maxHeight = int16_t(qz::gui::kLayoutMaxSize);
}

}  // namespace qz::gadgets
