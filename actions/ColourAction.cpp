// ColourAction: a change of a layer's paint colour (old and new colour packed
// 0x00BBGGRR). The change is composited when the layer is next fixed.
#include "actions/action_internal.h"

namespace {

using namespace qz::actions;

struct ColourData {
  Qz_Object header;
  Qz_Image* layer = nullptr;
  uint32_t oldColour = 0;  // 0x00BBGGRR
  uint32_t newColour = 0;
};

const qz::kit::Attribute kAttributes[] = {
    {.setter = kColourActionSetRGB, .getter = kColourActionGetRGB, .maximum = 0xFFFFFF,
     .field = qz::kit::field(&ColourData::oldColour), .setterName = "Qz_SetColourActionRGB",
     .getterName = "Qz_GetColourActionRGB", .format = "%lx", .answersZero = true},
    {.setter = kColourActionSetNewRGB, .getter = kColourActionGetNewRGB, .maximum = 0xFFFFFF,
     .field = qz::kit::field(&ColourData::newColour), .setterName = "Qz_SetColourActionNewRGB",
     .getterName = "Qz_GetColourActionNewRGB", .format = "%lx", .answersZero = true},
};

uint32_t Qz__Pack(const uint8_t (&c)[3]) { return c[0] | (c[1] << 8) | (uint32_t(c[2]) << 16); }
void Qz__Unpack(uint8_t (&c)[3], uint32_t packed) {
  c[0] = uint8_t(packed);
  c[1] = uint8_t(packed >> 8);
  c[2] = uint8_t(packed >> 16);
}

QzWord Qz__Apply(ColourData* c) {
  Qz_Image* layer = c->layer;
  if (!layer) return 1;
  if (Qz__Pack(layer->chosenColour) == c->newColour &&
      Qz__Pack(layer->committedColour) == c->oldColour)
    return 1;
  Qz__Unpack(layer->chosenColour, c->newColour);
  Qz__Unpack(layer->committedColour, c->oldColour);
  Qz_LayerNeedsFixing(layer);
  return 1;
}

QzWord Qz__Redo(ColourData* c) {
  Qz_Image* layer = c->layer;
  if (!layer || Qz__Pack(layer->chosenColour) == c->newColour) return 1;
  Qz__Unpack(layer->chosenColour, c->newColour);
  Qz_LayerNeedsFixing(layer);
  return 1;
}

// Back to the colour before this change: the nearest older change of the same
// layer chooses its colour again, or, with none, the recorded old colour returns.
QzWord Qz__Undo(Qz_Object* self, ColourData* c) {
  Qz_Image* layer = c->layer;
  if (!layer) return 1;
  Qz_Object* list = Qz_GetUndoList(layer);
  Qz_Object* outer = Qz_GetTopMostObject(self);
  for (Qz_Object* e = listFirst(list); e; e = listOlder(list, e)) {
    if (e == outer || classIdOf(e) != kColourActionClassId || layerOf(e) != layer) continue;
    Qz_DoMethod(e, kActionRedo);
    return 1;
  }
  if (Qz__Pack(layer->chosenColour) != c->oldColour) {
    Qz__Unpack(layer->chosenColour, c->oldColour);
    Qz_LayerNeedsFixing(layer);
  }
  return 1;
}

QzWord Qz__Dispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  auto* c = reinterpret_cast<ColourData*>(object);
  switch (id) {
    case kColourActionRecord:
      c->newColour = uint32_t(args[0]) & 0xFFFFFF;
      if (c->layer) c->oldColour = Qz__Pack(c->layer->committedColour);
      return 0;
    case kActionSetLayer: c->layer = reinterpret_cast<Qz_Image*>(args[0]); break;
    case kActionApply: case kActionApplyQuiet: return Qz__Apply(c);
    case kActionRedo: return Qz__Redo(c);
    case kActionUndo: return Qz__Undo(object, c);
    case kActionGetName: return qz::toWord(Qz__ActionText(14));
    default: break;
  }
  return qz::kit::inherited(object, id, args);
}

const ActionTraits kTraits = {"Data/Images/ToolBar/Colour", 0x201};

const qz::kit::ClassDecl kColourAction = actionClass(
    {.name = "ColourAction", .classId = kColourActionClassId,
     .instance = qz::kit::instanceOf<ColourData>(), .handler = Qz__Dispatch,
     .attributes = kAttributes}, kTraits);

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitColourActionClass(Qz_GlobalData*) { return qz::kit::addClass(kColourAction); }
QZ_EXPORT void Qz_CleanupColourActionClass(void) { qz::kit::removeClass(kColourAction); }
QZ_EXTERN_C_END
