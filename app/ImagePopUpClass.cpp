// ImagePopUp: an icon of the chosen image that, pressed, opens a grid of
// icons of every other open document; the one released over is announced
// with kImagePopUpChosen.
#include <vector>

#include "app/icon_geometry.h"
#include "app/qz_image_icon.h"
#include "gadgets/qz_group.h"
#include "gadgets/qz_popups.h"
#include "gadgets/qz_screen.h"
#include "gadgets/qz_window.h"
#include "image/qz_image.h"
#include "objects/object_services.h"
#include "objects/qz_class_kit.h"
#include "objects/qz_notify.h"
#include "platform/exec.h"

namespace {

constexpr int32_t kScreenMargin = 60;
constexpr uint32_t kButtonClassId = 0x30000;

struct ImagePopUpObject {
  Qz_Object header{};
  Qz_Object* icon = nullptr;   // shows the chosen image on the face
  Qz_Object* inner = nullptr;  // the pop-up's content: holds the current list
  Qz_Object* list = nullptr;
  Qz_Image* chosen = nullptr;
  QzWord enabled = 0;
  SignalSemaphore* semaphore = nullptr;
};

ImagePopUpObject* Qz__PopUp(Qz_Object* o) { return qz::kit::self<ImagePopUpObject>(o); }

// The documents other than the chosen one, in list order.
std::vector<Qz_Image*> Qz__OtherDocuments(ImagePopUpObject* p) {
  Qz_ImageBase* base = Qz_GetImageBase();
  SignalSemaphore* lock = p->semaphore ? p->semaphore : &base->semaphore;
  std::vector<Qz_Image*> others;
  ObtainSemaphore(lock);
  for (Qz_Image* image = first_image(base); image; image = next_image(image))
    if (image != p->chosen) others.push_back(image);
  ReleaseSemaphore(lock);
  return others;
}

// Room for a row of icons: the screen less a margin and the panel window.
int32_t Qz__RowRoom() {
  const Qz_ImageBase* base = Qz_GetImageBase();
  const auto screen = int32_t(base->screen ? Qz_DoMethod(base->screen, kScreenGetWidth) : 0);
  const auto panel = int32_t(base->panelWindow ? Qz_DoMethod(base->panelWindow, kWindowGetW) : 0);
  return screen - kScreenMargin - panel;
}

QzWord Qz__Open(ImagePopUpObject* p) {
  Qz_Object* self = &p->header;
  if (!p->enabled) return 0;
  if (p->list) {
    Qz_DoMethod(p->inner, kGroupRemove, p->list);
    Qz_DisposeObject(p->list);
    p->list = nullptr;
  }
  const std::vector<Qz_Image*> others = Qz__OtherDocuments(p);
  const int32_t rowLength = qz::app::popUpRowLength(int32_t(others.size()), Qz__RowRoom());
  if (rowLength == 0) return 0;
  p->list = Qz_CreateObject("Group", kGroupSetMode, 1);
  if (!p->list) return 0;
  Qz_Object* row = nullptr;
  int32_t made = 0;
  for (Qz_Image* image : others) {
    if (made % rowLength == 0) row = Qz_AddObject(p->list, "Group", kGroupSetMode, 2);
    Qz_Object* button = row ? Qz_AddObject(row, "Button", kRootSetUserData, image) : nullptr;
    if (button && Qz_AddObject(button, "ImageIcon", kImageIconSetImage, image)) ++made;
  }
  Qz_DoMethod(p->inner, kGroupAddTail, p->list);
  return made > 0 ? Qz_DoMethod(self->super, kRootSelect) : 0;
}

// What was released over may be the button, its icon or the icon's view.
void Qz__Released(QzWord user, Qz_Object*, uint32_t, const QzWord* values) {
  auto* p = reinterpret_cast<ImagePopUpObject*>(user);
  for (auto* o = reinterpret_cast<Qz_Object*>(values[0]); o; o = Qz_GetParentObject(o)) {
    if (Qz_GetObjectClassID(o) == kButtonClassId) {
      Qz_DoMethod(&p->header, kImagePopUpPicked, o);
      return;
    }
    if (o == p->list) return;
  }
}

QzWord Qz__Dispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  ImagePopUpObject* p = Qz__PopUp(object);
  switch (id) {
    case kImagePopUpSetImage:
      p->chosen = reinterpret_cast<Qz_Image*>(args[0]);
      return Qz_DoMethod(p->icon, kImageIconSetImage, p->chosen);
    case kImagePopUpSetEnabled: p->enabled = args[0]; return 0;
    case kImagePopUpSetSemaphore: p->semaphore = reinterpret_cast<SignalSemaphore*>(args[0]); return 0;
    case kImagePopUpPicked:
      Qz_DoNotify(object, kImagePopUpChosen, Qz_DoMethod(reinterpret_cast<Qz_Object*>(args[0]), kRootGetUserData));
      return 0;
    case kRootSelect: return Qz__Open(p);
    default: return qz::kit::inherited(object, id, args);
  }
}

bool Qz__SetUp(Qz_Object* object) {
  ImagePopUpObject* p = Qz__PopUp(object);
  p->icon = Qz_CreateObject("ImageIcon");
  p->inner = Qz_CreateObject("Group", kGroupSetMode, 1);
  if (!p->icon || !p->inner) {
    Qz_DisposeObject(p->icon);
    Qz_DisposeObject(p->inner);
    return false;
  }
  Qz_DoMethod(object->super, kGroupAddTail, p->icon);
  Qz_DoMethod(object->super, kPopUpChildrenInPopUp, 1);
  Qz_DoMethod(object->super, kGroupAddTail, p->inner);
  Qz_DoMethod(object->super, kPopUpChildrenInPopUp, 0);
  Qz_AddCallBackNotify(object->super, kPopUpChosen, kNotifyAnyValue, Qz__Released, reinterpret_cast<QzWord>(p));
  return true;
}

const qz::kit::ClassDecl kImagePopUpClass = {
    .name = "ImagePopUp", .superName = "PopUp", .classId = kImagePopUpClassId,
    .instance = qz::kit::instanceOf<ImagePopUpObject>(), .handler = Qz__Dispatch, .setUp = Qz__SetUp};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitImagePopUpClass(Qz_GlobalData*) { return qz::kit::addClass(kImagePopUpClass); }
QZ_EXPORT void Qz_CleanupImagePopUpClass(void) { qz::kit::removeClass(kImagePopUpClass); }
QZ_EXTERN_C_END
