// The picture beside a file in the file requester's list: the item's
// thumbnail once it is there, a blank box of the thumbnail size until then.
#pragma once

#include <cstdint>

#include "gadgets/thumbnail_pass.h"

namespace qz::filereq {

// A blank picture of the box's size.
Qz_Object* makeThumbnailIcon(int32_t boxWidth, int32_t boxHeight);
// Shows the item's thumbnail in its icon, or marks the icon as having none.
void showThumbnailPicture(thumbs::FileItem& item);

}  // namespace qz::filereq
