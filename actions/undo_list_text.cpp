// Storing a document's undo list as object text and replacing it with a
// stored one, whose actions are carried out again, oldest first.
#include "actions/action_internal.h"
#include "objects/object_text.h"

namespace {

using namespace qz::actions;

// Only actions go on an undo list: a stored file may name any class. The
// instances are walked, not the class links: a class registered before
// RootAction keeps an empty superclass link.
bool Qz__IsAction(Qz_Object* object) {
  for (Qz_Object* instance = object; instance; instance = instance->super)
    if (instance->objectClass && instance->objectClass->classId == kRootActionClassId) return true;
  return false;
}

void Qz__EmptyList(Qz_Object* list) {
  while (Qz_Object* head = listFirst(list)) {
    Qz_DoMethod(list, kLinkedListRemove, head);
    Qz_DisposeObject(head);
  }
}

// The file the user picks for the list. The file requester does not exist
// yet, so the question counts as cancelled: no path.
const char* Qz__AskForListFile(Qz_Image* /*image*/, bool /*forSaving*/) { return nullptr; }

}  // namespace

QZ_EXTERN_C_BEGIN

// Writes the undo list of the image to path (a null path asks the user for
// one); 0 for a null image, no path or when the file cannot be written.
QZ_EXPORT uint32_t Qz_SaveImageActions(Qz_Image* image, const char* path) {
  if (!image) return 0;
  if (!path) path = Qz__AskForListFile(image, true);
  if (!path || !*path) return 0;
  Qz_Object* list = Qz_GetUndoList(image);
  return list ? uint32_t(Qz_StoreObjectToDisk(list, path)) : 0;
}

// Replaces the image's undo list by the one stored at path (a null path asks
// the user for one) and applies its actions oldest first. 1 when replaced; 0
// for a null image, no path or a file that gives no list (the old list is
// then kept).
QZ_EXPORT uint32_t Qz_LoadImageActions(Qz_Image* image, const char* path) {
  if (!image) return 0;
  if (!path) path = Qz__AskForListFile(image, false);
  if (!path || !*path) return 0;
  Qz_Object* restored = Qz_RestoreObjectFromDisk(path);
  if (!restored) return 0;
  Qz_Object* list = Qz_GetUndoList(image);
  if (!list) {
    Qz_DisposeObject(restored);
    return 0;
  }
  Qz__EmptyList(list);
  // What could be redone belonged to the list just replaced.
  if (Qz_Object* redo = Qz_GetRedoList(image)) Qz__EmptyList(redo);
  for (Qz_Object* entry = listLast(restored); entry;) {
    Qz_Object* newer = listNewer(restored, entry);
    Qz_DoMethod(restored, kLinkedListRemove, entry);
    if (Qz__IsAction(entry) && Qz_AddImageAction(image, entry, 0))
      Qz_DoMethod(entry, kActionApply);
    else
      Qz_DisposeObject(entry);
    entry = newer;
  }
  Qz_DisposeObject(restored);
  return 1;
}

QZ_EXTERN_C_END
