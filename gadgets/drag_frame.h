// The outline that follows the pointer while a window's object is dragged
// to another place (a panel by its title): drawn inverted on the screen's
// overlay, so drawing it a second time at the same place erases it.
#pragma once

#include <cstdint>

#include "platform/qz_export.h"

struct Screen;

namespace qz::gui {

class QZ_EXPORT DragFrame {
 public:
  // Draws (or moves) the outline of a width x height box hanging below the
  // pointer and centred on it; desktop coordinates.
  void show(Screen* screen, int32_t width, int32_t height, int32_t pointerX, int32_t pointerY);
  // Erases the outline; nothing when none is shown.
  void hide();

 private:
  void invert() const;

  Screen* screen_ = nullptr;
  int32_t left_ = 0, top_ = 0, right_ = 0, bottom_ = 0;
};

}  // namespace qz::gui
