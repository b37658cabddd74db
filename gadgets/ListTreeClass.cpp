// ListTree: a scrolling list of selectable rows (ListTreeItem) and
// expandable rows (ListTreeNode). It keeps the selection: the selected
// node, the current item, and the set of selected items when multiple
// selection is on. The set is read from other threads, so it is changed
// and walked under the tree's object lock.
#include <algorithm>
#include <vector>

#include "gadgets/qz_group.h"
#include "gadgets/qz_input_event.h"
#include "gadgets/qz_list_tree.h"
#include "gadgets/qz_scroller.h"
#include "objects/object_services.h"
#include "objects/qz_class_kit.h"
#include "objects/qz_notify.h"
#include "platform/windows.h"

namespace qz::gadgets {

std::vector<std::size_t> selectionRange(std::size_t count, long anchor, long clicked) {
  std::vector<std::size_t> out;
  if (anchor < 0 || clicked < 0 || std::size_t(anchor) >= count || std::size_t(clicked) >= count) return out;
  for (long i = std::min(anchor, clicked); i <= std::max(anchor, clicked); ++i) out.push_back(std::size_t(i));
  return out;
}

}  // namespace qz::gadgets

namespace {

struct ListTreeObject {
  Qz_Object header;
  QzWord multiple = 0;
  Qz_Object* selectedNode = nullptr;
  Qz_Object* currentItem = nullptr;
  std::vector<Qz_Object*> selection;
};

ListTreeObject* asTree(Qz_Object* o) { return reinterpret_cast<ListTreeObject*>(o); }

class TreeLock {
 public:
  explicit TreeLock(Qz_Object* tree) : tree_(tree) { Qz_LockObject(tree_); }
  ~TreeLock() { Qz_UnlockObject(tree_); }
  TreeLock(const TreeLock&) = delete;
  TreeLock& operator=(const TreeLock&) = delete;

 private:
  Qz_Object* tree_;
};

QzWord firstSelected(ListTreeObject* t) {
  TreeLock lock(&t->header);
  return t->selection.empty() ? 0 : reinterpret_cast<QzWord>(t->selection.front());
}

QzWord nextSelected(ListTreeObject* t, QzWord after) {
  TreeLock lock(&t->header);
  auto it = std::find(t->selection.begin(), t->selection.end(), reinterpret_cast<Qz_Object*>(after));
  if (it == t->selection.end() || ++it == t->selection.end()) return 0;
  return reinterpret_cast<QzWord>(*it);
}

QzWord addSelected(ListTreeObject* t, QzWord object) {
  if (object == 0) return 0;
  TreeLock lock(&t->header);
  auto* o = reinterpret_cast<Qz_Object*>(object);
  if (std::find(t->selection.begin(), t->selection.end(), o) == t->selection.end()) t->selection.push_back(o);
  return 1;
}

// Taken off the list before it is told, so that an entry whose deselect
// does not come back here cannot keep a loop over the list going.
Qz_Object* takeSelected(ListTreeObject* t, Qz_Object* wanted) {
  TreeLock lock(&t->header);
  if (t->selection.empty()) return nullptr;
  auto it = wanted != nullptr ? std::find(t->selection.begin(), t->selection.end(), wanted) : t->selection.begin();
  if (it == t->selection.end()) return nullptr;
  Qz_Object* o = *it;
  t->selection.erase(it);
  return o;
}

QzWord removeSelected(ListTreeObject* t, QzWord object) {
  Qz_Object* o = takeSelected(t, reinterpret_cast<Qz_Object*>(object));
  if (o == nullptr) return 0;
  Qz_DoMethod(o, kRootDeselect);
  return 1;
}

QzWord deselectAll(ListTreeObject* t) {
  while (Qz_Object* o = takeSelected(t, nullptr)) Qz_DoMethod(o, kRootDeselect);
  return 1;
}

QzWord clear(ListTreeObject* t) {
  deselectAll(t);
  Qz_Object* view = t->header.super;
  while (auto* child = reinterpret_cast<Qz_Object*>(Qz_DoMethod(view, kGroupFirst))) {
    Qz_DoMethod(view, kGroupRemove, child);
    Qz_DisposeObject(child);
  }
  t->selectedNode = nullptr;
  t->currentItem = nullptr;
  return 1;
}

// A press on an entry goes to that entry (which selects it by its own
// rules); presses elsewhere reach the scrollers.
QzWord handleInput(ListTreeObject* t, const QzWord* args) {
  Qz_Object* view = t->header.super;
  const auto* e = reinterpret_cast<const Qz_InputEvent*>(args[0]);
  if (e != nullptr && e->cls == IDCMP_MOUSEBUTTONS && e->code == SELECTDOWN) {
    // An entry scrolled out of view still has its box there: a press
    // outside the list belongs to the gadgets around it.
    if (Qz_IsCoordOverObject(view, e->mouseX, e->mouseY) == 0) return 2;
    for (auto* entry = reinterpret_cast<Qz_Object*>(Qz_DoMethod(view, kGroupFirst)); entry != nullptr;
         entry = reinterpret_cast<Qz_Object*>(Qz_DoMethod(view, kGroupNext, entry))) {
      if (Qz_DoMethod(entry, kRootHideCount) != 0 || Qz_IsCoordOverObject(entry, e->mouseX, e->mouseY) == 0) continue;
      Qz_DoMethod(entry, kRootObjectAtPoint, e->mouseX, e->mouseY);
      return 1;
    }
  }
  return Qz_DoMethodA(view, kRootHandleIDCMP, args);
}

QzWord treeDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  ListTreeObject* t = asTree(object);
  switch (id) {
    case kListTreeSetSelectedNode:
      t->selectedNode = reinterpret_cast<Qz_Object*>(args[0]);
      Qz_DoNotify(object, kListTreeSetSelectedNode, args[0]);
      return args[0];
    case kListTreeGetSelectedNode: return reinterpret_cast<QzWord>(t->selectedNode);
    case kListTreeSetCurrentItem:
      t->currentItem = reinterpret_cast<Qz_Object*>(args[0]);
      Qz_DoNotify(object, kListTreeSetCurrentItem, args[0]);
      return args[0];
    case kListTreeGetCurrentItem: return reinterpret_cast<QzWord>(t->currentItem);
    case kListTreeClear: return clear(t);
    case kListTreeSetMultiple: t->multiple = args[0] != 0 ? 1 : 0; return t->multiple;
    case kListTreeGetMultiple: return t->multiple;
    case kListTreeFirstSelected: return firstSelected(t);
    case kListTreeNextSelected: return nextSelected(t, args[0]);
    case kListTreeDeselectAll: return deselectAll(t);
    case kListTreeAddSelected: return addSelected(t, args[0]);
    case kListTreeRemoveSelected: return removeSelected(t, args[0]);
    case kRootSelect:
    case kRootDeselect: return 0;
    case kRootHandleIDCMP: return handleInput(t, args);
    default: return qz::kit::inherited(object, id, args);
  }
}

Qz_Object* makeView(Qz_Object*) {
  return Qz_CreateObject("VirtualGroup", kGroupSetFrame, 18, kGroupSetAlignment, 4, kVirtualGroupSetStepRow,
                         uint32_t(-1));
}

void treeTearDown(Qz_Object* object) { deselectAll(asTree(object)); }

const qz::kit::ClassDecl kListTreeClass = {
    .name = "ListTree", .superName = "Group", .classId = kListTreeClassId,
    .instance = qz::kit::instanceOf<ListTreeObject>(), .handler = treeDispatch, .makeSuper = makeView,
    .tearDown = treeTearDown, .notice = "List tree"};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitListTreeClass(Qz_GlobalData*) { return qz::kit::addClass(kListTreeClass); }
QZ_EXPORT void Qz_CleanupListTreeClass(void) { qz::kit::removeClass(kListTreeClass); }
QZ_EXTERN_C_END
