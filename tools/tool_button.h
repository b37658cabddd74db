// The one tool-bar button of the handle, crop, button and magnify tools:
// made with its pictures and wired to activate the tool, and lit while the
// tool is the active one.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "objects/qz_object.h"

namespace qz::tools {

// Adds the button to the tool's group; tip is a catalogue number, 0 for none.
// None when the button could not be made (the tool works without it).
Qz_Object* addToolButton(Qz_Object* tool, uint32_t tip, std::initializer_list<const char*> pictures);

// Passes activation (id kToolActivate or kToolDeactivate) to the tool's
// superclass instance and lights or darkens the button to match.
QzWord activateWithButton(Qz_Object* toolPart, Qz_Object* button, uint32_t id, const QzWord* args);

}  // namespace qz::tools
