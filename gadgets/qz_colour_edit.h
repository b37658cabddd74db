// ColourEdit: the colour editor gadget; the ids other families send it.
#pragma once

#include <cstdint>

// Sets (and notifies) the colour, red | green << 8 | blue << 16.
inline constexpr uint32_t kQzColourEditColour = 0x1B001E;
