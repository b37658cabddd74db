// The undo panel's view of a document's history, read under the list lock so
// that steps added meanwhile from the image thread never tear the walk.
#include "actions/undo_history.h"

#include "actions/action_internal.h"

namespace qz::actions {

History imageHistory(Qz_Image* image, bool redo, uint32_t lines) {
  History history;
  Qz_Object* list = redo ? Qz_GetRedoList(image) : Qz_GetUndoList(image);
  if (!list) return history;
  std::lock_guard<std::recursive_mutex> guard(undoListMutex());
  bool listing = true;
  for (Qz_Object* action = listFirst(list); action; action = listOlder(list, action)) {
    history.baseBytes += Qz_DoMethod(action, kActionBaseSize);
    history.totalBytes += Qz_DoMethod(action, kActionTotalSize);
    if (!listing) continue;
    if (!Qz_DoMethod(action, kActionGetUndoable) || (Qz_DoMethod(action, kActionGetFlags) & kActionPanelStop)) {
      listing = false;
      continue;
    }
    const auto* name = reinterpret_cast<const char*>(Qz_DoMethod(action, kActionGetName));
    history.entries.push_back({action, name ? name : ""});
    if (history.entries.size() > lines) listing = false;
  }
  return history;
}

bool freeUndoMemory(Qz_Image* image) {
  if (!image) return false;
  Qz_Image* document = image->document ? image->document : image;
  Qz_Object* list = Qz_GetUndoList(document);
  if (!list || !Qz_LockImageA(document, kQzLockExclusive, nullptr)) return false;
  {
    std::lock_guard<std::recursive_mutex> guard(undoListMutex());
    for (Qz_Object* action = listFirst(list); action; action = listOlder(list, action))
      Qz_DoMethod(action, kActionDropUndoData, 0u);
  }
  Qz_UnlockImageA(document, kQzLockExclusive, nullptr);
  return true;
}

}  // namespace qz::actions
