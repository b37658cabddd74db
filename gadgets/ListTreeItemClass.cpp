// ListTreeItem: a selectable row of a list tree. Selection follows the
// usual rules: a plain click selects one item, Shift adds the range from
// the first selected item, Ctrl adds or removes one item.
#include "gadgets/qz_group.h"
#include "gadgets/qz_list_tree.h"
#include "objects/object_services.h"
#include "objects/qz_class_kit.h"
#include "objects/qz_notify.h"
#include "platform/windows.h"

namespace {

constexpr uint16_t kShiftKeys = 0x1 | 0x2;
constexpr uint16_t kControlKey = 0x8;

struct ListTreeItemObject {
  Qz_Object header;
  QzWord selected = 0;
  QzWord noSelectionLogic = 0;  // shows itself selected, leaves the tree's selection alone
};

ListTreeItemObject* asItem(Qz_Object* o) { return reinterpret_cast<ListTreeItemObject*>(o); }
QzWord outermost(Qz_Object* o) { return reinterpret_cast<QzWord>(Qz_GetTopMostObject(o)); }
Qz_Object* treeOf(Qz_Object* o) { return Qz_SearchHierachyForClassId(o, kListTreeClassId); }

void markSelected(ListTreeItemObject* item) {
  Qz_Object* self = &item->header;
  item->selected = 1;
  Qz_DoMethod(self->super, kRootSelect);
  Qz_DoNotify(self, kRootSelect, 1);
}

// Adds the items from the first selected one to this one, in the order of
// their group, showing each selected without touching the tree's rules.
void addRange(ListTreeItemObject* item, Qz_Object* tree) {
  Qz_Object* self = Qz_GetTopMostObject(&item->header);
  auto* anchor = reinterpret_cast<Qz_Object*>(Qz_DoMethod(tree, kListTreeFirstSelected));
  Qz_Object* group = Qz_GetParentObject(self);
  if (anchor == nullptr || group == nullptr || Qz_GetParentObject(anchor) != group) return;
  const long from = long(Qz_DoMethod(group, kGroupIndexOf, anchor));
  const long to = long(Qz_DoMethod(group, kGroupIndexOf, self));
  const auto count = std::size_t(Qz_DoMethod(group, kGroupCount));
  for (std::size_t i : qz::gadgets::selectionRange(count, from, to)) {
    auto* other = reinterpret_cast<Qz_Object*>(Qz_DoMethod(group, kGroupMemberAt, i));
    if (other == nullptr || other == self || Qz_GetObjectClassID(other) != kListTreeItemClassId) continue;
    Qz_DoMethod(tree, kListTreeAddSelected, other);
    Qz_DoMethod(other, kListTreeSetMultiple, 1);
    Qz_DoMethod(other, kRootSelect);
    Qz_DoMethod(other, kListTreeSetMultiple, 0);
  }
}

QzWord selectItem(ListTreeItemObject* item, uint16_t qualifier) {
  Qz_Object* self = &item->header;
  if (item->noSelectionLogic != 0) {
    markSelected(item);
    return outermost(self);
  }
  Qz_Object* tree = treeOf(self);
  if (tree == nullptr || Qz_DoMethod(tree, kListTreeGetMultiple) == 0) {
    if (item->selected != 0) {
      Qz_DoNotify(self, kListTreeActivated, 1);
      return outermost(self);
    }
    if (tree != nullptr) {
      auto* current = reinterpret_cast<Qz_Object*>(Qz_DoMethod(tree, kListTreeGetCurrentItem));
      if (current != nullptr && current != Qz_GetTopMostObject(self)) Qz_DoMethod(current, kRootDeselect);
      Qz_DoMethod(tree, kListTreeSetCurrentItem, outermost(self));
    }
    markSelected(item);
    return outermost(self);
  }
  const bool shift = (qualifier & kShiftKeys) != 0, control = (qualifier & kControlKey) != 0;
  if (item->selected != 0) {
    if (control) {
      Qz_DoMethod(tree, kListTreeRemoveSelected, outermost(self));
      return outermost(self);
    }
    // This item alone stays selected, and shows it.
    Qz_DoMethod(tree, kListTreeDeselectAll);
    Qz_DoMethod(tree, kListTreeAddSelected, outermost(self));
    if (!shift) Qz_DoNotify(self, kListTreeActivated, 1);
  } else {
    if (!shift && !control) Qz_DoMethod(tree, kListTreeDeselectAll);
    if (shift) addRange(item, tree);
    Qz_DoMethod(tree, kListTreeAddSelected, outermost(self));
  }
  markSelected(item);
  return outermost(self);
}

QzWord deselectItem(ListTreeItemObject* item) {
  Qz_Object* self = &item->header;
  if (item->selected == 0) return outermost(self);
  item->selected = 0;
  if (item->noSelectionLogic == 0) {
    if (Qz_Object* tree = treeOf(self)) {
      if (Qz_DoMethod(tree, kListTreeGetCurrentItem) == outermost(self)) Qz_DoMethod(tree, kListTreeSetCurrentItem, 0);
      Qz_DoMethod(tree, kListTreeRemoveSelected, outermost(self));
    }
  }
  Qz_DoMethod(self->super, kRootDeselect);
  Qz_DoNotify(self, kRootDeselect, 0);
  return outermost(self);
}

QzWord itemDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  ListTreeItemObject* item = asItem(object);
  switch (id) {
    case kRootSelect: return selectItem(item, Qz_GetQualifier());
    case kRootDeselect: return deselectItem(item);
    case kRootObjectAtPoint:
    case kRootObjectAtPoint2:
      if (Qz_IsCoordOverObject(object, int32_t(args[0]), int32_t(args[1])) == 0) return 0;
      return id == kRootObjectAtPoint ? selectItem(item, Qz_GetQualifier()) : deselectItem(item);
    case kRootStoreChildren: return 1;
    default: return qz::kit::inherited(object, id, args);
  }
}

const qz::kit::Attribute kItemAttributes[] = {
    {.setter = kListTreeSetMultiple, .getter = kListTreeGetMultiple, .minimum = 0, .maximum = 1,
     .field = qz::kit::field(&ListTreeItemObject::noSelectionLogic)},
};

// Weight 0: a row keeps its own height however tall the list is.
const TagItem kItemSuperTags[] = {{kGroupSetMode, 2}, {kGroupSetSelectedFrame, 5}, {kRootSetWeight, 0}, {TAG_DONE, 0}};

const qz::kit::ClassDecl kListTreeItemClass = {
    .name = "ListTreeItem", .superName = "Group", .classId = kListTreeItemClassId,
    .instance = qz::kit::instanceOf<ListTreeItemObject>(), .handler = itemDispatch,
    .attributes = kItemAttributes, .superTags = kItemSuperTags, .notice = "List tree row"};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitListTreeItemClass(Qz_GlobalData*) { return qz::kit::addClass(kListTreeItemClass); }
QZ_EXPORT void Qz_CleanupListTreeItemClass(void) { qz::kit::removeClass(kListTreeItemClass); }
QZ_EXTERN_C_END
