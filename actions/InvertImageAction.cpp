// InvertImageAction: inverts its layer, or the image when it has no layer.
// Inverting twice restores, so apply, undo and redo are one operation.
#include "actions/action_internal.h"

namespace {

using namespace qz::actions;

struct InvertData {
  Qz_Object header;
  Qz_Image* layer;
};

QzWord Qz__Invert(Qz_Object* self) {
  Qz_Image* target = reinterpret_cast<InvertData*>(self)->layer;
  if (!target) target = reinterpret_cast<Qz_Image*>(Qz_DoMethod(self->super, kActionGetImage));
  if (target) Qz_InvertImageFunc(target);
  return 1;
}

QzWord Qz__Dispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  auto* invert = reinterpret_cast<InvertData*>(object);
  switch (id) {
    case kActionSetLayer: invert->layer = reinterpret_cast<Qz_Image*>(args[0]); break;
    case kActionApply: case kActionApplyQuiet: case kActionUndo: case kActionRedo:
      return Qz__Invert(object);
    case kActionGetFlags: return invert->layer ? 1u : 0x401u;
    case kActionGetName: return qz::toWord(invert->layer ? "Invert Layer" : "Invert Image");
    default: break;
  }
  return qz::kit::inherited(object, id, args);
}

const ActionTraits kTraits = {"Data/Images/ToolBar/InvertImage", 0};

const qz::kit::ClassDecl kInvertImageAction = actionClass(
    {.name = "InvertImageAction", .classId = kInvertImageActionClassId,
     .instance = qz::kit::instanceOf<InvertData>(), .handler = Qz__Dispatch}, kTraits);

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitInvertImageActionClass(Qz_GlobalData*) { return qz::kit::addClass(kInvertImageAction); }
QZ_EXPORT void Qz_CleanupInvertImageActionClass(void) { qz::kit::removeClass(kInvertImageAction); }
QZ_EXTERN_C_END
