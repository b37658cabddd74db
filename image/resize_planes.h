// The planes of an image in the middle of a resize: the new (zeroed) main
// planes, and the old pixels the resamplers read (a paint layer keeps them
// as its undo planes, other images aside until the resize ends).
#pragma once

#include "image/qz_image.h"

namespace qz {

struct ResizePlanes {
  Qz_Plane r, g, b, grey;
  int32_t width, height, depth;
};

inline ResizePlanes mainPlanes(const Qz_Image* image) {
  return {image->r, image->g, image->b, image->grey, image->width, image->height, image->depth};
}

inline ResizePlanes oldPlanes(const Qz_Image* image) {
  if (image->type == kQzPaintLayer)
    return {image->undoR, image->undoG, image->undoB, image->undoGrey, image->width,
            image->height, image->depth};
  return {image->resizeStash[0], image->resizeStash[1], image->resizeStash[2],
          image->resizeStash[3], image->width, image->height, image->depth};
}

}  // namespace qz
