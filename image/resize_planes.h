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

// What a resize makes the new pixels from: the background of a document or
// image layer (its undo planes; the main ones hold the composite of its
// layers), else the old planes.
inline ResizePlanes sourcePlanes(const Qz_Image* image) {
  const bool background = image->type != kQzPaintLayer && (image->depth == 8 ? image->undoGrey : image->undoR);
  if (!background) return oldPlanes(image);
  return {image->undoR, image->undoG, image->undoB, image->undoGrey, image->width, image->height, image->depth};
}

// Once a resize has moved the pixels, a layer's record of its changed rows
// and columns no longer says where its paint lies.
inline void markPixelsMoved(Qz_Image* image) {
  if (image->type != kQzDocument) Qz_ModifiedLayer(image, 0, 0, image->width - 1, image->height - 1);
}

// Calls fn(old, new) for every plane the image has, stopping at the first false.
template <typename Fn>
bool forEachPlane(const ResizePlanes& from, const ResizePlanes& to, Fn fn) {
  const Qz_Plane in[4] = {from.r, from.g, from.b, from.grey};
  const Qz_Plane out[4] = {to.r, to.g, to.b, to.grey};
  for (int i = 0; i < 4; ++i)
    if (in[i] && out[i] && !fn(in[i], out[i])) return false;
  return true;
}

}  // namespace qz
