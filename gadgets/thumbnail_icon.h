// The picture beside a file in the file requester's list: the item's
// thumbnail once it is there, a question mark when the file has none, and
// an empty box of the thumbnail size until the pass gets to it. Drawn by
// a small class of the requester's own ("FileThumbnail", over Space).
#pragma once

#include <cstdint>

#include "gadgets/thumbnail_pass.h"

namespace qz::filereq {

QzWord registerThumbnailIconClass();
void removeThumbnailIconClass();

// An empty picture of the box's size.
Qz_Object* makeThumbnailIcon(int32_t boxWidth, int32_t boxHeight);
// Shows the item's thumbnail in its icon (window thread), or the mark of none.
void showThumbnailPicture(thumbs::FileItem& item, thumbs::ThumbnailImageService& images);

}  // namespace qz::filereq
