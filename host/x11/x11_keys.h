// X key symbols to the window layer's virtual-key codes and characters: the
// one table every X11 key goes through.
#pragma once

#include <cstdint>

#include "platform/qz_export.h"

namespace qz::x11 {

// The virtual-key code of an X key symbol (the unshifted one), 0 when none.
QZ_EXPORT uint16_t virtualKeyForKeysym(unsigned long keysym);
// The character a key symbol types (Return 13, Tab 9, BackSpace 8, Escape 27),
// 0 for keys that type nothing.
QZ_EXPORT char32_t characterForKeysym(unsigned long keysym);

}  // namespace qz::x11
