// Image: the class whose objects are the documents and their layers; its
// instance record is Qz_Image. This module holds creation and disposal and
// the plain fields; the document methods (image_shell.h) and the layer
// methods (layer_messages.h) answer the rest, and every other id goes to the
// Root part.
#include <atomic>
#include <cstdlib>
#include <cstring>

#include "image/image_internal.h"
#include "image/image_shell.h"
#include "objects/qz_class_kit.h"
#include "image/image_text.h"

namespace {

// Image serials start at 1, so 0 never names an image.
std::atomic<uint32_t> gImageSerials{0};

constexpr uint32_t kImageClassId = 0x100000;
constexpr uint32_t kImageSetWidth = 0x10000a;
constexpr uint32_t kImageSetHeight = 0x100014;
constexpr uint32_t kImageSetDepth = 0x10001e;
constexpr uint32_t kImageSelf = 0x100028;
constexpr uint32_t kListTreeColumns = 0x20190;

Qz_Image* Qz__AsImage(Qz_Object* object) { return reinterpret_cast<Qz_Image*>(object); }

// ---- dispatcher -----------------------------------------------------------------

QzWord Qz__ImageDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  Qz_Image* image = Qz__AsImage(object);
  switch (id) {
    case kImageSelf: return qz::toWord(image);
    case kQzImageChanged: return 0;  // the change notice itself
    case kRootSelect: case kRootDeselect: case kRootObjectAtPoint: case kRootObjectAtPoint2:
      return 0;
    default: {
      bool handled = false;
      const QzWord result = qz::imageShellDispatch(image, id, args, handled);
      return handled ? result : qz::kit::inherited(object, id, args);
    }
  }
}

// ---- creation and disposal --------------------------------------------------------

// Plain fields, set while a document or layer is built.
const qz::kit::Attribute kImageAttributes[] = {
    {.setter = kImageSetWidth, .field = qz::kit::field(&Qz_Image::width), .answersZero = true},
    {.setter = kImageSetHeight, .field = qz::kit::field(&Qz_Image::height), .answersZero = true},
    {.setter = kImageSetDepth, .field = qz::kit::field(&Qz_Image::depth), .answersZero = true},
    {.setter = kQzImageSetType, .field = qz::kit::field(&Qz_Image::type), .answersZero = true},
    {.setter = kQzImageSetParent, .field = qz::kit::field(&Qz_Image::parent), .answersZero = true},
};

void Qz__FreeImageParts(Qz_Image* image) {
  Qz_DisposeObject(image->undoList);
  Qz_DisposeObject(image->redoList);
  Qz_FreeSemaphore(image->lockSemaphore);
  CleanupSemaphore(&image->compositorSemaphore);
}

bool Qz__SetUpImage(Qz_Object* object) {
  Qz_Image* image = Qz__AsImage(object);
  // The undo and redo lists are list trees; until that class is registered
  // an image simply has none.
  const bool lists = Qz_FindClassFromName("ListTree") != nullptr;
  if (lists) {
    image->undoList = Qz_CreateObject("ListTree", kListTreeColumns, 4);
    image->redoList = Qz_CreateObject("ListTree", kListTreeColumns, 4);
  }
  InitSemaphore(&image->compositorSemaphore);
  image->lockSemaphore = Qz_AllocSemaphore();
  if (!image->lockSemaphore || (lists && (!image->undoList || !image->redoList))) {
    Qz__FreeImageParts(image);
    return false;
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
  image->serial = gImageSerials.fetch_add(1) + 1;
  qz::copyName(image->saveFormat, sizeof image->saveFormat, "Quillantrix");
  Qz__AddOpenImage(image);
  return true;
}

void Qz__TearDownImage(Qz_Object* object) {
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
  Qz__FreeImageParts(image);
}

const qz::kit::ClassDecl kImageClass = {
    .name = "Image", .superName = "Root", .classId = kImageClassId,
    .instance = qz::kit::instanceOf<Qz_Image>(), .handler = Qz__ImageDispatch,
    .attributes = kImageAttributes, .setUp = Qz__SetUpImage, .tearDown = Qz__TearDownImage,
    .notice = "Documents and layers"};

}  // namespace

QZ_EXTERN_C_BEGIN

QZ_EXPORT QzWord Qz_InitImageClass(Qz_GlobalData*) {
  if (!qz::kit::addClass(kImageClass)) return 0;
  return Qz_InitImageViewClass(nullptr);
}

QZ_EXPORT void Qz_CleanupImageClass(void) {
  Qz_CleanupImageViewClass();
  qz::kit::removeClass(kImageClass);
}

QZ_EXTERN_C_END
