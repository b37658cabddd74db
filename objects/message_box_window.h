// Message boxes drawn with our own toolkit, for hosts with a display.
#pragma once

#include <cstdint>

#include "platform/qz_word.h"

namespace qz::msgbox {

// Shows a free-standing window titled `title` with the text (line feeds
// break lines) and the kind's buttons, and waits on the calling thread until
// it is answered: by a button, Return (the first button), or Escape and the
// close box (dismissing it). The window runs on an event thread of its own,
// so any thread may ask, a window's own event thread included.
// False, with nothing shown, when no toolkit window can be shown: the
// toolkit classes are not registered, the calling thread is drawing (the
// display would wait for it), or the window cannot open (no display).
bool askInWindow(const char* title, const char* text, uint32_t kind, QzWord* result);

}  // namespace qz::msgbox
