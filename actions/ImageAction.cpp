// ImageAction: clears the image and takes the result as its undo planes. A
// restore point for every layer (qualifier 0) that the replay never applies.
#include "actions/action_internal.h"

namespace {

using namespace qz::actions;

QzWord Qz__Clear(Qz_Object* self) {
  auto* image = reinterpret_cast<Qz_Image*>(Qz_DoMethod(self->super, kActionGetImage));
  if (!image) return 1;
  fillImage(image, 0);
  Qz_CopyImageToUndoData(image, 0, 0, image->width - 1, image->height - 1, 0, 0);
  return 1;
}

QzWord Qz__Dispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  switch (id) {
    case kActionApply: case kActionApplyQuiet: case kActionUndo: case kActionRedo:
      return Qz__Clear(object);
    case kActionGetName: return qz::toWord(Qz__ActionText(0));
    default: return qz::kit::inherited(object, id, args);
  }
}

const ActionTraits kTraits = {"Data/Images/ToolBar/Image", 0};

const qz::kit::ClassDecl kImageAction = actionClass(
    {.name = "ImageAction", .classId = kImageActionClassId, .handler = Qz__Dispatch}, kTraits);

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitImageActionClass(Qz_GlobalData*) { return qz::kit::addClass(kImageAction); }
QZ_EXPORT void Qz_CleanupImageActionClass(void) { qz::kit::removeClass(kImageAction); }
QZ_EXTERN_C_END
