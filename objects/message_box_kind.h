// What a message box of each kind offers and answers; the scripted boxes of
// the headless host and the drawn boxes share it.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/qz_word.h"

namespace qz::msgbox {

// The box was closed without a button: its close box, Escape, or a
// scripted answer naming a button it does not have.
inline constexpr int kDismissed = -1;

// The buttons' labels, left to right: kinds 1 and 8 "OK"; 4 "Yes" "No"; any
// other kind "OK" "Cancel". They live as long as the program, so a label
// gadget may keep them.
std::vector<const char*> buttonsOf(uint32_t kind);

// The box's result for the button at that index, or for kDismissed: 1 for
// the first button (OK or Yes), else 0; a box with OK alone answers 1
// however it is closed.
QzWord resultOf(uint32_t kind, int button);

}  // namespace qz::msgbox
