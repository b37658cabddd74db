// Whole-plane row copies shared out over the compositor's worker threads:
// a picture's background copied into its composite when it is opened.
#pragma once

#include <cstdint>

#include "image/qz_image.h"

namespace qz {

// Copies width bytes of rows 0..height-1 of each of `count` source planes to
// the matching destination plane, in strips on the worker pool (on this
// thread when the pool is busy).
void copyPlaneRows(const Qz_Plane* dst, const Qz_Plane* src, int count, int32_t width, int32_t height);

}  // namespace qz
