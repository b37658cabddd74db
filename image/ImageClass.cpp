// Image: the class whose objects are the documents and their layers; its
// instance record is Qz_Image. This module holds creation and disposal and
// the plain fields; the document methods (image_shell.h) and the layer
// methods (layer_messages.h) answer the rest, and every other id goes to the
// Root part.
#include <cstdlib>
#include <cstring>

#include "image/image_internal.h"
#include "image/image_shell.h"
#include "objects/qz_class_record.h"
#include "image/image_text.h"

namespace {

constexpr uint32_t kImageClassId = 0x100000;
constexpr uint32_t kImageSetWidth = 0x10000a;
constexpr uint32_t kImageSetHeight = 0x100014;
constexpr uint32_t kImageSetDepth = 0x10001e;
constexpr uint32_t kImageSelf = 0x100028;
constexpr uint32_t kListTreeColumns = 0x20190;

const Qz_Method kImageMethods[] = {{0, nullptr, 0, 0, nullptr, 0, nullptr, 0, 0}};

Qz_Class gImageClass;

Qz_Image* Qz__AsImage(Qz_Object* object) { return reinterpret_cast<Qz_Image*>(object); }

// ---- dispatcher -----------------------------------------------------------------

QzWord Qz__ImageDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  Qz_Image* image = Qz__AsImage(object);
  switch (id) {
    case kImageSetWidth: image->width = int32_t(args[0]); return 0;
    case kImageSetHeight: image->height = int32_t(args[0]); return 0;
    case kImageSetDepth: image->depth = int32_t(args[0]); return 0;
    case kQzImageSetType: image->type = int32_t(args[0]); return 0;
    case kImageSelf: return qz::toWord(image);
    case kQzImageSetParent: image->parent = reinterpret_cast<Qz_Image*>(args[0]); return 0;
    case kQzImageChanged: return 0;  // the change notice itself
    case kRootSelect: case kRootDeselect: case kRootObjectAtPoint: case kRootObjectAtPoint2:
      return 0;
    default: {
      bool handled = false;
      const QzWord result = qz::imageShellDispatch(image, id, args, handled);
      return handled ? result : Qz_DoMethodA(object->super, id, args);
    }
  }
}

// ---- creation and disposal --------------------------------------------------------

void Qz__FreeImageObject(Qz_Image* image) {
  Qz_DisposeObject(image->undoList);
  Qz_DisposeObject(image->redoList);
  Qz_FreeSemaphore(image->lockSemaphore);
  CleanupSemaphore(&image->compositorSemaphore);
  Qz_DisposeObject(image->object.super);
  Qz_FreeObjectMem(&image->object);
}

Qz_Object* Qz__NewImage(Qz_Class* objectClass, const QzWord* /*args*/) {
  Qz_Object* object = Qz_AllocObjectMem(objectClass);
  if (!object) return nullptr;
  Qz_Image* image = Qz__AsImage(object);
  object->super = Qz_CreateObject("Root");
  if (!object->super) {
    Qz_FreeObjectMem(object);
    return nullptr;
  }
  // The undo and redo lists are list trees; until that class is registered
  // an image simply has none.
  if (Qz_FindClassFromName("ListTree")) {
    image->undoList = Qz_CreateObject("ListTree", kListTreeColumns, 4);
    image->redoList = Qz_CreateObject("ListTree", kListTreeColumns, 4);
    if (!image->undoList || !image->redoList) {
      Qz__FreeImageObject(image);
      return nullptr;
    }
  }
  Qz_ImageBase* base = Qz_GetImageBase();
  image->creator = FindTask(nullptr);
  image->application = base->application;
  image->objectLibrary = base->objectLibrary;
  image->base = base;
  image->listNode.image = image;
  image->openNode.image = image;
  NewList(&image->views);
  NewList(&image->layers);
  image->compositingCount = 1;
  image->displayCount = 1;
  qz::copyName(image->saveFormat, sizeof image->saveFormat, "Quillantrix");
  InitSemaphore(&image->compositorSemaphore);
  image->lockSemaphore = Qz_AllocSemaphore();
  if (!image->lockSemaphore) {
    Qz__FreeImageObject(image);
    return nullptr;
  }
  Qz__AddOpenImage(image);
  return object;
}

void Qz__DisposeImage(Qz_Object* object) {
  Qz_Image* image = Qz__AsImage(object);
  Qz_ImageBase* base = Qz_GetImageBase();
  // Dying: lockers are refused from here on, and the watchers let go.
  Qz__RemoveOpenImage(image);
  Qz_DoNotify(object, kQzImageChanged, kQzChangeDying, image, 0, 0, image->width - 1,
              image->height - 1, 0, 0);
  if (image->type == kQzDocument) {
    ObtainSemaphore(&base->semaphore);
    const bool active = base->activeImage == image;
    if (active && !base->applicationImage) base->activeImage = nullptr;
    Remove(&image->listNode.node);
    ReleaseSemaphore(&base->semaphore);
    if (active && base->applicationImage)
      Qz_DoMethod(qz::imageObject(base->applicationImage), kQzAppMakeActiveImage, nullptr);
  } else if (image->parent && image->parent->activeLayer == image) {
    image->parent->activeLayer = nullptr;
    if (image->parent->paintLayer == image) image->parent->paintLayer = nullptr;
  }
  Remove(&image->listNode.node);
  qz::disposeImageViews(image);
  // Waits for every reader and writer still holding the image.
  const QzWord held = Qz_ObtainSemaphore(image->lockSemaphore);
  Qz_DisposeObject(image->thread);
  image->thread = nullptr;
  Qz_DeallocImage(image);
  std::free(image->name);
  image->name = nullptr;
  if (held) Qz_ReleaseSemaphore(image->lockSemaphore);
  Qz__FreeImageObject(image);
}

}  // namespace

QZ_EXTERN_C_BEGIN

QZ_EXPORT QzWord Qz_InitImageClass(Qz_GlobalData* /*globalData*/) {
  static const Qz_ClassSpec spec = {
      "Image", "Documents and layers", kImageClassId, "Root", Qz__NewImage, Qz__DisposeImage,
      Qz__ImageDispatch, kImageMethods, sizeof(Qz_Image), 0};
  if (!Qz_RegisterClassRecord(&gImageClass, &spec)) return 0;
  return Qz_InitImageViewClass(nullptr);
}

QZ_EXPORT void Qz_CleanupImageClass(Qz_GlobalData* /*globalData*/) {
  Qz_CleanupImageViewClass(nullptr);
  Qz_UnregisterClassRecord(&gImageClass);
}

QZ_EXTERN_C_END
