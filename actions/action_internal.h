// Shared pieces of the action modules: the RootAction instance (the action
// classes reach their RootAction part through methods only; the undo list
// and the tests read it through these helpers), list walking and the
// family layer every action class is declared with.
#pragma once

#include <cstdint>
#include <mutex>

#include "actions/qz_actions.h"
#include "objects/qz_class_kit.h"
#include "objects/qz_linked_list.h"

namespace qz::actions {

// The class id of an action as the undo list sees it (its outermost object).
inline uint32_t classIdOf(Qz_Object* action) {
  return action && action->objectClass ? action->objectClass->classId : 0;
}

inline Qz_Image* layerOf(Qz_Object* action) {
  return reinterpret_cast<Qz_Image*>(Qz_DoMethod(action, kActionGetLayer));
}

// Newest first: head, then older entries.
inline Qz_Object* listFirst(Qz_Object* list) {
  return reinterpret_cast<Qz_Object*>(Qz_DoMethod(list, kLinkedListFirst));
}
inline Qz_Object* listLast(Qz_Object* list) {
  return reinterpret_cast<Qz_Object*>(Qz_DoMethod(list, kLinkedListLast));
}
inline Qz_Object* listOlder(Qz_Object* list, Qz_Object* entry) {
  return reinterpret_cast<Qz_Object*>(Qz_DoMethod(list, kLinkedListNext, entry));
}
inline Qz_Object* listNewer(Qz_Object* list, Qz_Object* entry) {
  return reinterpret_cast<Qz_Object*>(Qz_DoMethod(list, kLinkedListPrevious, entry));
}

// Guards the links of every undo and redo list.
std::recursive_mutex& undoListMutex();

// The document whose undo list and media a layer uses.
inline Qz_Image* owningDocument(Qz_Image* layer) {
  if (!layer) return nullptr;
  if (layer->document) return layer->document;
  Qz_Image* image = layer;
  for (int guard = 0; image->parent && guard < 64; ++guard) image = image->parent;
  return image;
}

// The layers of a document as a restore point left them, taken when the
// next step is put on top of it; the replay of a layer starts from it.
struct ReplayStart;
ReplayStart* takeReplayStart(Qz_Image* document);
void freeReplayStart(ReplayStart* start);
uint64_t replayStartBytes(const ReplayStart* start);
// Puts back the layer's pixels the start holds; false when it holds none for
// the layer at its present size.
bool restoreReplayStart(const ReplayStart* start, Qz_Image* layer);
// RootAction keeps one (and frees it with itself): set {start}, get.
inline constexpr uint32_t kActionSetReplayStart = 0x138901d6;
inline constexpr uint32_t kActionGetReplayStart = 0x138901e0;

// A paint layer's transparency as a flood fill left it, with what the fill
// read to make it (the layer's size and place, the document's background):
// a replay whose earlier steps of the layer are all strokes and fills starts
// there instead of at the restore point. The newest few fills of a document
// keep one.
struct LayerCheckpoint;
void freeLayerCheckpoint(LayerCheckpoint* checkpoint);
// Takes or refreshes the fill's checkpoint of its layer, just applied.
void keepLayerCheckpoint(Qz_Object* action, Qz_Image* layer, Qz_Image* document);
// RootAction keeps one (and frees it with itself): set {checkpoint}, get.
inline constexpr uint32_t kActionSetCheckpoint = 0x138901ea;
inline constexpr uint32_t kActionGetCheckpoint = 0x138901f4;

// Fills every pixel of the image's planes: the grey plane with the low byte
// (depth 8), else R, G, B with the low, middle and high byte.
void fillPlanes(Qz_Image* image, uint32_t colour);

// Marks every row of a paint layer changed over its full width, or none.
void setChangedSpans(Qz_Image* layer, bool full);

// The fill of an image as the Image class does it (planes, then a paint
// layer asks for a re-render, any other image takes the result as its undo
// planes, is composited and marked modified).
void fillImage(Qz_Image* image, uint32_t colour);

// The commit of a layer's chosen mode, when the compositor is linked in.
void commitLayerMode(Qz_Image* layer);

// What an action class gives its RootAction part when it is made: the
// toolbar picture and the action flags:
//   const ActionTraits kTraits = {"Data/Images/ToolBar/Colour", 0x201};
//   const qz::kit::ClassDecl kColourAction = actionClass(
//       {.name = "ColourAction", .classId = kColourActionClassId, ...}, kTraits);
struct ActionTraits {
  const char* toolbarImage;
  uint32_t flags;
};

// The superclass instance of an action class: a RootAction made with the
// ActionTraits of the class's declaration.
Qz_Object* makeRootActionPart(Qz_Object* self);

// An action class's declaration: its own fields, with what every action
// class shares filled in (superclass RootAction, made with the traits).
inline qz::kit::ClassDecl actionClass(qz::kit::ClassDecl decl, const ActionTraits& traits) {
  decl.superName = "RootAction";
  decl.makeSuper = makeRootActionPart;
  decl.family = &traits;
  return decl;
}

}  // namespace qz::actions
