// ImageIcon: a small thumbnail of an image, shown through an inner
// ImageView kept in thumbnail mode, or a "none" text when there is no image.
#include <algorithm>
#include <cstring>

#include "app/icon_geometry.h"
#include "app/qz_image_icon.h"
#include "gadgets/group_layout.h"
#include "gadgets/qz_group.h"
#include "image/image_shell.h"
#include "image/qz_image.h"
#include "objects/catalogue.h"
#include "objects/object_services.h"
#include "objects/qz_class_kit.h"
#include "objects/qz_draw_info.h"
#include "objects/qz_notify.h"
#include "platform/graphics.h"

namespace {

constexpr uint32_t kNoImageText = 78;

struct ImageIconObject {
  Qz_Object header{};
  Qz_Image* image = nullptr;
  Qz_Object* view = nullptr;
  QzWord redrawNotify = 0;
  QzWord showText = 0;
};

ImageIconObject* Qz__Icon(Qz_Object* o) { return qz::kit::self<ImageIconObject>(o); }

Qz_LayoutBox* Qz__Box(Qz_Object* o) {
  return reinterpret_cast<Qz_LayoutBox*>(Qz_DoMethod(o, kRootGetLayoutBox));
}

void Qz__ClearBox(Qz_Object* self) {
  const Qz_LayoutBox* box = Qz__Box(self);
  if (!box || box->width <= 0 || box->height <= 0) return;
  Qz_DrawInfo* info = Qz_LockDrawInfo(self);
  if (!info) return;
  SetAPen(info->rastPort, 0);
  RectFill(info->rastPort, box->left, box->top, box->left + box->width - 1, box->top + box->height - 1);
  Qz_UnlockDrawInfo(self);
}

QzWord Qz__SetImage(ImageIconObject* icon, Qz_Image* image) {
  Qz_Object* self = &icon->header;
  Qz__ClearBox(self);
  if (image && image->state.load() != kQzImageAllocated) image = nullptr;
  icon->image = image;
  Qz_DoMethod(icon->view, kQzViewSetImage, image);
  Qz_RelayoutAndRedrawObject(self);
  return 1;
}

QzWord Qz__DrawText(ImageIconObject* icon) {
  Qz_Object* self = &icon->header;
  const Qz_LayoutBox* box = Qz__Box(self);
  const char* text = Qz_CatalogString(kNoImageText);
  if (!box || !text) return 1;
  Qz_DrawInfo* info = Qz_LockDrawInfo(self);
  if (!info) return 1;
  RastPort* rp = info->rastPort;
  const int32_t length = int32_t(std::strlen(text));
  const uint32_t pen = Qz_DoMethod(self, kRootDisableCount) == 0 ? 1 : info->highlightPen;
  SetABPenDrMd(rp, pen, 0, 0);
  Move(rp, box->left + (box->width - TextLength(rp, text, length)) / 2,
       box->top + (box->height - int32_t(info->fontHeight)) / 2);
  Text(rp, text, length);
  Qz_UnlockDrawInfo(self);
  return 1;
}

// The thumbnail keeps the image's proportions inside the base's thumbnail
// box; the icon itself always takes the whole box.
QzWord Qz__Layout(ImageIconObject* icon, const QzWord* args) {
  Qz_Object* self = &icon->header;
  const Qz_ImageBase* base = Qz_GetImageBase();
  const int32_t boxWidth = base->thumbnailWidth > 0 ? base->thumbnailWidth : 64;
  const int32_t boxHeight = base->thumbnailHeight > 0 ? base->thumbnailHeight : 48;
  qz::app::ThumbnailSize size{boxWidth, boxHeight};
  if (Qz_Image* image = icon->image; image && Qz_LockImageA(image, kQzLockRead, nullptr)) {
    size = qz::app::thumbnailSize(image->width, image->height, boxWidth, boxHeight);
    Qz__SetImageViewWidthHeight(icon->view, size.width, size.height);
    Qz_UnlockImageA(image, kQzLockRead, nullptr);
  }
  const QzWord result = Qz_DoMethodA(self->super, kRootMeasure, args);
  if (Qz_LayoutBox* view = Qz__Box(icon->view)) {
    view->minWidth = view->maxWidth = view->width = int16_t(size.width);
    view->minHeight = view->maxHeight = view->height = int16_t(size.height);
  }
  if (Qz_LayoutBox* box = Qz__Box(self)) {
    box->minWidth = box->maxWidth = box->width = int16_t(boxWidth);
    box->minHeight = box->maxHeight = box->height = int16_t(boxHeight);
  }
  return result;
}

QzWord Qz__Dispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  ImageIconObject* icon = Qz__Icon(object);
  switch (id) {
    case kImageIconSetImage: return Qz__SetImage(icon, reinterpret_cast<Qz_Image*>(args[0]));
    case kImageIconGetView: return qz::toWord(icon->view);
    case kImageIconShowText: icon->showText = args[0]; return 0;
    case kRootDraw:
      if (icon->image || icon->showText == 0) return Qz_DoMethodA(object->super, id, args);
      return Qz__DrawText(icon);
    case kRootMeasure: return Qz__Layout(icon, args);
    default: return qz::kit::inherited(object, id, args);
  }
}

bool Qz__SetUp(Qz_Object* object) {
  ImageIconObject* icon = Qz__Icon(object);
  icon->view = Qz_CreateObject("ImageView");
  if (!icon->view) return false;
  Qz_DoMethod(icon->view, kQzViewSetThumbnail, 1);
  const Qz_ImageBase* base = Qz_GetImageBase();
  Qz_DoMethod(object->super, kGroupAddTail, icon->view);  // disposed with the group
  if (Qz_Image* app = base->applicationImage)
    icon->redrawNotify = Qz_AddNotify(&app->object, kQzAppPixelsSettled, kNotifyAnyValue, object, 1, kRootDraw);
  return true;
}

void Qz__TearDown(Qz_Object* object) {
  ImageIconObject* icon = Qz__Icon(object);
  if (Qz_Image* app = Qz_GetImageBase()->applicationImage; app && icon->redrawNotify)
    Qz_RemoveNotify(&app->object, icon->redrawNotify);
  icon->redrawNotify = 0;
  Qz_DoMethod(icon->view, kQzViewSetImage, nullptr);
}

// The icon keeps its whole box (the thumbnail centred in it) whatever the image's shape.
const TagItem kSuperTags[] = {{kGroupSetMode, 1},
                              {kGroupSetOptions, qz::gui::kGroupOptionFill},
                              {kGroupSetAlignment, qz::gui::kAlignCentre},
                              {TAG_DONE, 0}};

const qz::kit::ClassDecl kImageIconClass = {
    .name = "ImageIcon", .superName = "Group", .classId = kImageIconClassId,
    .instance = qz::kit::instanceOf<ImageIconObject>(), .handler = Qz__Dispatch,
    .superTags = kSuperTags, .setUp = Qz__SetUp, .tearDown = Qz__TearDown};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitImageIconClass(Qz_GlobalData*) { return qz::kit::addClass(kImageIconClass); }
QZ_EXPORT void Qz_CleanupImageIconClass(void) { qz::kit::removeClass(kImageIconClass); }
QZ_EXTERN_C_END
