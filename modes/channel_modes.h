// What the channel, noise and flip modes share: mirroring a block's pixels
// through the image's centre lines, one channel at a time.
#pragma once

#include <cstdint>
#include <span>

#include "image/qz_compositor.h"
#include "modes/rank_filters.h"

namespace qz::modes::channel {

// Mirror flags: left to right, top to bottom (both: through the centre).
inline constexpr int kMirrorX = 1, kMirrorY = 2;

// Writes into each plane's destination the data below the layer at the
// block's mirrored positions (flags 0 copies the block). Only the mirrored
// rectangle is fetched. False when it cannot be fetched (nothing written).
bool writeMirrored(const Qz_ModeRenderMessage* message, int flags, std::span<const rank::Plane> planes);

}  // namespace qz::modes::channel

namespace qz::modes::channel {

// Where a channel's pixels come from: x + (draw % rangeX) - offsetX and the
// same for rows, one pair of draws per pixel from the row's generator.
struct Scatter {
  int32_t rangeX = 1, offsetX = 0, rangeY = 1, offsetY = 0;
};

// Each of red, green and blue takes its value from the pixel its scatter
// picks (limited to the image); channels with equal scatters pick alike.
// Fetches the rectangle every pick can reach, or takes the whole image
// below when that reaches many rows. 1 done; 0 for a grey image
// (nothing written); 1 with nothing written when the fetch fails.
QzWord renderScatter(const Qz_ModeRenderMessage* message, const Scatter (&scatter)[3]);

}  // namespace qz::modes::channel
