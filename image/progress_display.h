// The small window long operations show: a progress bar and a button with
// which the user stops the operation. The operation updates it now and then
// and learns from the same call whether to go on.
#pragma once

#include <cstdint>

#include "objects/qz_object.h"

struct Qz_ProgressDisplay {
  Qz_Object* window;
  Qz_Object* bar;
  Qz_Object* button;  // user data: 1 while the operation may go on
};

QZ_EXTERN_C_BEGIN
// Opens the display (added to owner's window list when owner is given);
// NULL when out of memory or the window cannot be made.
QZ_EXPORT Qz_ProgressDisplay* Qz_BeginProgressDisplay(Qz_Object* owner, const char* title, const char* text);
// 1 to go on, 0 to stop (the button was pressed, the window closed, or the
// calling thread has a break pending). NULL record: 1 unless a break is pending.
// Callable from any thread: the window's thread draws the change, so a
// text must stay valid until the display ends.
QZ_EXPORT QzWord Qz_SetProgressDisplay(Qz_ProgressDisplay* record, uint32_t value, uint32_t total,
                                       const char* text);
// Closes and frees; NULL does nothing.
QZ_EXPORT void Qz_EndProgressDisplay(Qz_ProgressDisplay* record);
QZ_EXTERN_C_END
