// The Image methods that edit layers, split by subject: the layer list, the
// layer's placement and source images, and the commands that go through
// undoable actions. Each dispatcher clears `handled` for ids it does not answer.
#pragma once

#include <cstdint>

#include "image/qz_image.h"

namespace qz {

QzWord layerListDispatch(Qz_Image* image, uint32_t id, const QzWord* args, bool& handled);
QzWord layerPlacementDispatch(Qz_Image* layer, uint32_t id, const QzWord* args, bool& handled);
QzWord layerCommandDispatch(Qz_Image* image, uint32_t id, const QzWord* args, bool& handled);

// True when the layer is in the image's own layer list.
bool isLinkedIn(Qz_Image* image, Qz_Image* layer);

// The document a layer belongs to (its owning document, else the top of its
// parents); none for an image that is no layer of anything.
Qz_Image* owningDocumentOf(Qz_Image* layer);

// The rectangle of the layer (its own coordinates) moved into the coordinates
// of `image`, an image that holds it directly or further up; false when
// `image` does not hold it.
bool layerRectIn(Qz_Image* layer, Qz_Image* image, int32_t& x0, int32_t& y0, int32_t& x1,
                 int32_t& y1);

}  // namespace qz
