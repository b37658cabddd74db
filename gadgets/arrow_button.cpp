#include "gadgets/arrow_button.h"

#include "gadgets/qz_group.h"
#include "gadgets/qz_widgets.h"

namespace qz::widgets {

Qz_Object* arrowButton(uint32_t shape) {
  Qz_Object* image = Qz_CreateObject("VectorImage", kVectorImageSetKind, shape, kFixWidth, 10);
  Qz_Object* button = image ? Qz_CreateObject("Button", kGroupAddTail, image) : nullptr;
  if (!button) Qz_DisposeObject(image);
  return button;
}

}  // namespace qz::widgets
