// A mode measured through the compositor on the scene, as a user meets it:
// a layer over the whole scene through the mode, composited with 1 and 8
// workers, both as a full-layer pass and as a dab-sized pass (a 25-pixel
// square, after a first full pass), so that what a mode makes or fetches
// once per pass shows in the dab's figure.
//   qzbench::RegisterModePasses("Multiply", colour);   // at namespace scope, before main
// registers "Mode/Multiply/full/workers:N" (Mpixel/s of the whole pass) and
// "Mode/Multiply/dab/workers:N" (time per dab pass, dabs/s).
#pragma once

#include <cstdint>

#include "image/qz_image.h"

namespace qzbench {

// Registers the four benchmarks; answers true so it can initialise a static.
// colour: the layer's paint colour, read when the layer is made (keep it static).
bool RegisterModePasses(const char* modeName, const uint8_t colour[3]);

// The scene's layer through the mode, made on first use; the one the passes
// composite, so a peer can read its transparency (SceneAlpha). Null on failure.
Qz_Image* ModeLayer(const char* modeName, const uint8_t colour[3]);

// The worker counts the mode benchmarks run with.
inline constexpr int kWorkerCounts[] = {1, 8};

}  // namespace qzbench
