// The one tip-of-the-day window of the program: made at start-up beside the
// undo panel and shown again from the menu.
#pragma once

#include "objects/qz_object.h"

namespace qz::app {

// The window, a child of the screen, made on first use (it then opens with
// the screen unless the user turned it off). Null when it cannot be made.
QZ_EXPORT Qz_Object* tipOfTheDay();
// The screen tree that held it is going.
QZ_EXPORT void forgetTipOfTheDay();

}  // namespace qz::app
