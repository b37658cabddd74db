// FileThumbnail: a fixed-size Space that draws a thumbnail's pixels centred
// in its box, or a question mark for a file without one.
#include "gadgets/thumbnail_icon.h"

#include <algorithm>
#include <vector>

#include "gadgets/qz_widgets.h"
#include "objects/draw/qz_draw.h"
#include "objects/object_services.h"
#include "objects/qz_class_kit.h"
#include "objects/qz_root.h"
#include "platform/graphics.h"

namespace qz::filereq {

namespace {

constexpr uint32_t kThumbnailClassId = 0x4E0000;  // the requester's own family
constexpr uint32_t kSetPixels = 0x4E0104;         // std::vector<uint32_t>*, width, height
constexpr uint32_t kSetNone = 0x4E010E;

struct ThumbnailObject {
  Qz_Object header;
  std::vector<uint32_t> pixels;  // 0x00RRGGBB, row by row
  int32_t width = 0, height = 0;
  bool none = false;
};

ThumbnailObject* Qz__Self(Qz_Object* o) { return qz::kit::self<ThumbnailObject>(o); }

QzWord Qz__Draw(ThumbnailObject* t) {
  Qz_Object* self = &t->header;
  const Qz_LayoutBox* box = &Qz_RootInstance(self)->box;
  if (box->width <= 0 || box->height <= 0 || (t->pixels.empty() && !t->none)) return 0;
  Qz_DrawInfo* info = Qz_LockDrawInfo(self);
  if (!info) return 0;
  RastPort* rp = info->rastPort;
  if (!t->pixels.empty()) {
    const int32_t w = std::min<int32_t>(t->width, box->width), h = std::min<int32_t>(t->height, box->height);
    WritePixelArray(t->pixels.data(), 0, 0, t->width * 4, rp, box->left + (box->width - w) / 2,
                    box->top + (box->height - h) / 2, w, h, kPixelFormatXRGB32);
  } else {
    const int32_t w = TextLength(rp, "?", 1);
    SetABPenDrMd(rp, 1, 0, 0);
    Move(rp, box->left + (box->width - w) / 2, box->top + (box->height - int32_t(rp->TxHeight)) / 2);
    Text(rp, "?", 1);
  }
  Qz_UnlockDrawInfo(self);
  return 0;
}

QzWord Qz__ThumbnailDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  ThumbnailObject* t = Qz__Self(object);
  switch (id) {
    case kSetPixels:
      t->pixels = std::move(*reinterpret_cast<std::vector<uint32_t>*>(args[0]));
      t->width = int32_t(args[1]);
      t->height = int32_t(args[2]);
      t->none = false;
      return 0;
    case kSetNone: t->none = true; return 0;
    case kRootDraw: return Qz__Draw(t);
    default: return qz::kit::inherited(object, id, args);
  }
}

const qz::kit::ClassDecl kFileThumbnailClass = {
    .name = "FileThumbnail", .superName = "Space", .classId = kThumbnailClassId,
    .instance = qz::kit::instanceOf<ThumbnailObject>(), .handler = Qz__ThumbnailDispatch,
    .notice = "File requester thumbnail"};

}  // namespace

QzWord registerThumbnailIconClass() { return qz::kit::addClass(kFileThumbnailClass); }
void removeThumbnailIconClass() { qz::kit::removeClass(kFileThumbnailClass); }

Qz_Object* makeThumbnailIcon(int32_t boxWidth, int32_t boxHeight) {
  return Qz_CreateObject("FileThumbnail", kFixWidth, uint32_t(boxWidth), kFixHeight, uint32_t(boxHeight),
                         kRootSetWeight, 0);
}

void showThumbnailPicture(thumbs::FileItem& item, thumbs::ThumbnailImageService& images) {
  if (!item.thumbnail) {
    Qz_DoMethod(item.icon, kSetNone);
    return;
  }
  int32_t width = 0, height = 0;
  std::vector<uint32_t> pixels = images.pixels(item.thumbnail, width, height);
  if (pixels.size() != size_t(std::max(width, 0)) * size_t(std::max(height, 0)) || pixels.empty()) {
    Qz_DoMethod(item.icon, kSetNone);
    return;
  }
  Qz_DoMethod(item.icon, kSetPixels, &pixels, uint32_t(width), uint32_t(height));
}

}  // namespace qz::filereq
