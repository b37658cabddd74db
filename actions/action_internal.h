// Shared pieces of the action modules: the RootAction instance (the action
// classes reach their RootAction part through methods only; the undo list
// and the tests read it through these helpers), list walking and the
// skeleton every action class is registered with.
#pragma once

#include <cstdint>

#include "actions/qz_actions.h"
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

// Fills every pixel of the image's planes: the grey plane with the low byte
// (depth 8), else R, G, B with the low, middle and high byte.
void fillPlanes(Qz_Image* image, uint32_t colour);

// The fill of an image as the Image class does it (planes, then a paint
// layer asks for a re-render, any other image takes the result as its undo
// planes, is composited and marked modified).
void fillImage(Qz_Image* image, uint32_t colour);

// The commit of a layer's chosen mode, when the compositor is linked in.
void commitLayerMode(Qz_Image* layer);

// Description of one action class built on RootAction.
struct ActionClassSpec {
  const char* name;
  uint32_t classId;
  uint32_t objectSize;
  const char* toolbarImage;
  uint32_t flags;
  const Qz_Method* methods;
  Qz_DispatchFunction dispatch;
  // Called after the RootAction part exists; false fails the creation.
  bool (*setUp)(Qz_Object* self);
  void (*tearDown)(Qz_Object* self);  // before the RootAction part goes
};

// Fills and adds the class record (superclass RootAction); 1 when added.
QzWord registerActionClass(Qz_Class& record, const ActionClassSpec& spec);
void removeActionClass(Qz_Class& record);

// Sends the call to the RootAction part.
inline QzWord toRoot(Qz_Object* self, uint32_t id, const QzWord* args) {
  return Qz_DoMethodA(self->super, id, args);
}

}  // namespace qz::actions
