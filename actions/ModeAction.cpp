// ModeAction: the choice of a layer's mode by name ("Paint", "GaussianBlur").
// Undo chooses again what was in force before, so a saved list records names.
#include "actions/action_internal.h"
#include "image/image_text.h"

namespace {

using namespace qz::actions;

struct ModeActionData {
  Qz_Object header;
  Qz_Image* layer;
  char previousName[kQzNameLength];
  char name[kQzNameLength];
  bool previousKnown;
};

const Qz_Method kMethods[] = {
    {kModeActionSetName, "Qz_SetLayerMode", kQzMethodSetter, kModeActionGetName, "%s", 0, nullptr,
     0, 0},
    {kModeActionGetName, "Qz_GetLayerMode", kQzMethodStoredGetter, kModeActionSetName, nullptr, 0,
     "%s", 0, 0},
    {0, nullptr, 0, 0, nullptr, 0, nullptr, 0, 0}};

void Qz__RecordPrevious(ModeActionData* m) {
  if (m->previousKnown || !m->layer) return;
  qz::copyName(m->previousName, sizeof m->previousName, m->layer->modeName);
  m->previousKnown = true;
}

QzWord Qz__Redo(ModeActionData* m) {
  if (!m->layer) return 1;
  Qz__ApplyLayerMode(m->layer, m->name);
  commitLayerMode(m->layer);
  return 1;
}

// The nearest older choice for the layer is made again; with none, the mode
// that was in force before this choice comes back.
QzWord Qz__Undo(Qz_Object* self, ModeActionData* m) {
  Qz_Image* layer = m->layer;
  if (!layer) return 1;
  Qz_Object* list = Qz_GetUndoList(layer);
  Qz_Object* outer = Qz_GetTopMostObject(self);
  for (Qz_Object* e = listFirst(list); e; e = listOlder(list, e)) {
    if (e == outer || classIdOf(e) != kModeActionClassId || layerOf(e) != layer) continue;
    Qz_DoMethod(e, kActionRedo);
    Qz_RedoLayerChanges(layer);
    return 1;
  }
  if (m->previousName[0] && Qz__ApplyLayerMode(layer, m->previousName)) {
    commitLayerMode(layer);
    Qz_RedoLayerChanges(layer);
  }
  return 1;
}

QzWord Qz__Dispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  auto* m = reinterpret_cast<ModeActionData*>(object);
  switch (id) {
    case kModeActionSetName:
      qz::copyName(m->name, sizeof m->name, reinterpret_cast<const char*>(args[0]));
      Qz__RecordPrevious(m);
      return 0;
    case kModeActionGetName: case kActionGetName: return qz::toWord(m->name);
    case kActionSetLayer:
      m->layer = reinterpret_cast<Qz_Image*>(args[0]);
      if (m->name[0]) Qz__RecordPrevious(m);
      break;
    case kActionApply: case kActionApplyQuiet:
      return m->layer ? QzWord(uint32_t(Qz__ApplyLayerMode(m->layer, m->name))) : 1;
    case kActionRedo: return Qz__Redo(m);
    case kActionUndo: return Qz__Undo(object, m);
    default: break;
  }
  return qz::kit::inherited(object, id, args);
}

const ActionTraits kTraits = {"Data/Images/ToolBar/Mode", 0x1};

const qz::kit::ClassDecl kModeAction = actionClass(
    {.name = "ModeAction", .classId = kModeActionClassId,
     .instance = qz::kit::instanceOf<ModeActionData>(), .handler = Qz__Dispatch,
     .methods = kMethods}, kTraits);

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitModeActionClass(Qz_GlobalData*) { return qz::kit::addClass(kModeAction); }
QZ_EXPORT void Qz_CleanupModeActionClass(void) { qz::kit::removeClass(kModeAction); }
QZ_EXTERN_C_END
