// Cutting a document to a rectangle, or enlarging it with a fill colour for
// the new area, through the resize protocol, with its layers cut or moved
// to match.
#pragma once

#include <cstdint>

#include "image/qz_image.h"

namespace qz::actions {

// The new picture is width x height pixels whose top left was (x, y) of the
// old one (x or y negative: the old picture lands that far into the new
// one). A non-zero fill colour (0x00BBGGRR) paints the new margins of a
// 24-bit document, background included. Paint layers are cut over the same
// area of the document, wherever they sit; other layers keep their pixels
// and are moved by (-x, -y). False when a resize was refused; the document
// may then be part-way changed, and the caller restores it.
QZ_EXPORT bool cropOrEnlarge(Qz_Image* image, int32_t x, int32_t y, int32_t width, int32_t height, uint32_t fill);

}  // namespace qz::actions
