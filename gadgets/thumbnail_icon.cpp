// The file list's pictures. A file without a thumbnail shows a question mark
// in a box of the thumbnail size.
#include "gadgets/thumbnail_icon.h"

#include "gadgets/qz_widgets.h"

namespace qz::filereq {

namespace {

constexpr uint32_t kNoPicture = 0x5006E;

}  // namespace

Qz_Object* makeThumbnailIcon(int32_t boxWidth, int32_t boxHeight) {
  return Qz_CreateObject("VectorImage", kFixWidth, uint32_t(boxWidth), kFixHeight, uint32_t(boxHeight),
                         kRootSetWeight, 0);
}

void showThumbnailPicture(thumbs::FileItem& item) {
  if (!item.thumbnail) Qz_DoMethod(item.icon, kVectorImageSetKind, kNoPicture);
}

}  // namespace qz::filereq
