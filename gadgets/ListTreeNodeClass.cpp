// ListTreeNode: an expandable row of a list tree, an arrow button, a
// picture and a name over its indented children, joined to them by
// hatched tree lines.
#include <string>

#include "gadgets/qz_group.h"
#include "gadgets/qz_list_tree.h"
#include "gadgets/qz_scroller.h"
#include "gadgets/qz_widgets.h"
#include "objects/object_services.h"
#include "objects/qz_class_kit.h"
#include "objects/qz_draw_info.h"
#include "objects/qz_notify.h"
#include "objects/qz_root.h"
#include "platform/graphics.h"

namespace {

constexpr uint32_t kClassIdBits = 0xFFFF0000u;
constexpr int32_t kIndent = 16;

struct ListTreeNodeObject {
  Qz_Object header;
  Qz_Object* headerRow = nullptr;
  Qz_Object* arrow = nullptr;
  Qz_Object* nameText = nullptr;
  Qz_Object* arrowButton = nullptr;
  Qz_Object* children = nullptr;
  Qz_Object* childrenRow = nullptr;
  Qz_Object* labelArea = nullptr;
  Qz_Object* picture = nullptr;
  Qz_Object* pictureObject = nullptr;
  bool selected = false;
  bool expanded = false;
  std::string name;
};

ListTreeNodeObject* asNode(Qz_Object* o) { return reinterpret_cast<ListTreeNodeObject*>(o); }
QzWord outermost(Qz_Object* o) { return reinterpret_cast<QzWord>(Qz_GetTopMostObject(o)); }
Qz_Object* treeOf(Qz_Object* o) { return Qz_SearchHierachyForClassId(o, kListTreeClassId); }
Qz_LayoutBox* boxOf(Qz_Object* o) { return &Qz_RootInstance(o)->box; }

// The viewport round the node lays itself out again for the new height.
void relayoutView(ListTreeNodeObject* n) {
  Qz_Object* view = Qz_SearchHierachyForClassId(&n->header, kVirtualGroupClassId);
  Qz_DrawInfo* info = reinterpret_cast<Qz_DrawInfo*>(Qz_DoMethod(&n->header, kRootGetDrawInfo));
  if (view == nullptr || info == nullptr || info->window == nullptr) return;
  Qz_RelayoutAndRedrawObject(view);
  Qz_DoMethod(view, kVirtualGroupUpdateBars);
  Qz_DoMethod(view, kVirtualGroupShowObject, outermost(&n->header));
}

QzWord expand(ListTreeNodeObject* n) {
  if (n->expanded) return 1;
  n->expanded = true;
  Qz_DoMethod(n->arrow, kVectorImageSetKind, kNodeArrowExpanded);
  Qz_DoMethod(n->childrenRow, kRootResetHiding);
  Qz_DoNotify(&n->header, kListTreeNodeExpand, 1);
  relayoutView(n);
  return 1;
}

QzWord collapse(ListTreeNodeObject* n) {
  if (!n->expanded) return 0;
  n->expanded = false;
  Qz_DoMethod(n->arrow, kVectorImageSetKind, kNodeArrowCollapsed);
  Qz_DoMethod(n->childrenRow, kRootForceHidden);
  relayoutView(n);
  Qz_DoNotify(&n->header, kListTreeNodeCollapse, 0);
  return 0;
}

QzWord toggle(ListTreeNodeObject* n) { return n->expanded ? collapse(n) : expand(n); }

QzWord selectNode(ListTreeNodeObject* n) {
  Qz_Object* self = &n->header;
  if (n->selected) {
    toggle(n);
    Qz_DoNotify(self, kListTreeActivated, 1);
    return outermost(self);
  }
  n->selected = true;
  if (Qz_Object* tree = treeOf(self)) {
    auto* previous = reinterpret_cast<Qz_Object*>(Qz_DoMethod(tree, kListTreeGetSelectedNode));
    if (previous != nullptr && previous != Qz_GetTopMostObject(self)) Qz_DoMethod(previous, kRootDeselect);
    Qz_DoMethod(tree, kListTreeSetSelectedNode, outermost(self));
  }
  Qz_DoMethod(n->nameText, kRootSelect);
  Qz_DoMethod(n->nameText, kRootDraw);
  if (!n->expanded) expand(n);
  Qz_DoNotify(self, kRootSelect, 1);
  return outermost(self);
}

QzWord deselectNode(ListTreeNodeObject* n) {
  Qz_Object* self = &n->header;
  if (!n->selected) return outermost(self);
  n->selected = false;
  if (Qz_Object* tree = treeOf(self)) {
    if (Qz_DoMethod(tree, kListTreeGetSelectedNode) == outermost(self)) Qz_DoMethod(tree, kListTreeSetSelectedNode, 0);
  }
  Qz_DoMethod(n->nameText, kRootDeselect);
  Qz_DoMethod(n->nameText, kRootDraw);
  Qz_DoNotify(self, kRootDeselect, 0);
  return outermost(self);
}

bool over(Qz_Object* o, const QzWord* args) { return Qz_IsCoordOverObject(o, int32_t(args[0]), int32_t(args[1])) != 0; }

QzWord atPoint(ListTreeNodeObject* n, uint32_t id, const QzWord* args) {
  if (id == kRootObjectAtPoint) {
    if (over(n->arrowButton, args)) return toggle(n), outermost(&n->header);
    if (over(n->labelArea, args)) return selectNode(n);
  } else if (over(n->labelArea, args)) {
    return deselectNode(n);
  }
  return Qz_DoMethodA(n->children, id, args);
}

// One-pixel lines with every other pixel set.
void hatched(RastPort* rp, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  for (int32_t x = x0; x <= x1; x += 2) {
    for (int32_t y = y0; y <= y1; y += 2) WritePixel(rp, x, y);
  }
}

void drawTreeLines(ListTreeNodeObject* n) {
  auto* first = reinterpret_cast<Qz_Object*>(Qz_DoMethod(n->children, kGroupFirst));
  if (first == nullptr || Qz_DoMethod(n->childrenRow, kRootHideCount) != 0) return;
  Qz_DrawInfo* info = Qz_LockDrawInfo(&n->header);
  if (info == nullptr) return;
  RastPort* rp = info->rastPort;
  SetAPen(rp, info->linePen);
  const Qz_LayoutBox* row = boxOf(n->childrenRow);
  const int32_t x = row->left + 5;
  int32_t lastTop = row->top;
  for (auto* c = first; c != nullptr; c = reinterpret_cast<Qz_Object*>(Qz_DoMethod(n->children, kGroupNext, c))) {
    if (Qz_DoMethod(c, kRootHideCount) != 0) continue;
    lastTop = boxOf(c)->top;
    hatched(rp, x, lastTop + 8, row->left + kIndent, lastTop + 8);
  }
  hatched(rp, x, row->top - 2, x, lastTop + 8);
  Qz_UnlockDrawInfo(&n->header);
}

QzWord setName(ListTreeNodeObject* n, QzWord text) {
  n->name = text != 0 ? reinterpret_cast<const char*>(text) : "";
  Qz_DoMethod(n->nameText, kRootSetLabel, n->name.c_str());
  return 1;
}

QzWord nodeDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  ListTreeNodeObject* n = asNode(object);
  switch (id) {
    case kListTreeNodeExpand: return expand(n);
    case kListTreeNodeCollapse: return collapse(n);
    case kListTreeNodeToggle: return toggle(n);
    case kListTreeNodeGetExpanded: return n->expanded ? 1 : 0;
    case kListTreeNodeSetName: return setName(n, args[0]);
    case kListTreeNodeGetName: return reinterpret_cast<QzWord>(n->name.c_str());
    case kListTreeNodeSetPicture:
      n->pictureObject = reinterpret_cast<Qz_Object*>(args[0]);
      return Qz_DoMethod(n->picture, kBitMapShare, args[0]);
    case kListTreeNodeGetPicture: return reinterpret_cast<QzWord>(n->pictureObject);
    case kGroupAddHead:
    case kGroupAddTail:
    case kGroupInsertMember: {
      const QzWord r = Qz_DoMethodA(n->children, id, args);
      if (!n->expanded && args[0] != 0) Qz_DoMethod(reinterpret_cast<Qz_Object*>(args[0]), kRootForceHidden);
      return r;
    }
    case kGroupDisableLayout:
    case kGroupEnableLayout:
    case kRootSetClipRegion: return Qz_DoMethodA(n->children, id, args);
    case kRootStoreChildren: return 1;
    case kRootResetHiding:
    case kRootShow: {
      // Showing a parent shows everything below it except a collapsed node's children.
      const QzWord r = qz::kit::inherited(object, id, args);
      if (!n->expanded) Qz_DoMethod(n->childrenRow, kRootForceHidden);
      return r;
    }
    case kRootSelect: return selectNode(n);
    case kRootDeselect: return deselectNode(n);
    case kRootObjectAtPoint:
    case kRootObjectAtPoint2: return atPoint(n, id, args);
    case kRootDraw: {
      const QzWord r = Qz_DoMethodA(object->super, id, args);
      drawTreeLines(n);
      return r;
    }
    default:
      if ((id & kClassIdBits) == 0x470000) return Qz_DoMethodA(n->children, id, args);
      return qz::kit::inherited(object, id, args);
  }
}

// Header row over the indented children; made expanded, then collapsed once.
bool nodeSetUp(Qz_Object* object) {
  ListTreeNodeObject* n = asNode(object);
  n->headerRow = Qz_CreateObject("Group", kGroupSetMode, 2, kRootSetWeight, 0);
  n->arrowButton = Qz_CreateObject("Button");
  n->arrow = Qz_CreateObject("VectorImage", kVectorImageSetKind, kNodeArrowExpanded, kFixWidth, 10, kFixHeight, 10);
  Qz_Object* gap = Qz_CreateObject("Space", kFixWidth, 4);
  n->labelArea = Qz_CreateObject("Group", kGroupSetMode, 2, kRootSetWeight, 0);
  n->picture = Qz_CreateObject("BitMap");
  Qz_Object* gap2 = Qz_CreateObject("Space", kFixWidth, 4);
  n->nameText = Qz_CreateObject("Text", kRootSetLabel, "", kRootSetWeight, 0);
  Qz_Object* filler = Qz_CreateObject("Space", kRootSetWeight, 100);  // takes the rest of the row
  n->childrenRow = Qz_CreateObject("Group", kGroupSetMode, 2, kRootSetWeight, 0);
  Qz_Object* indent = Qz_CreateObject("Space", kFixWidth, kIndent);
  n->children = Qz_CreateObject("Group", kGroupSetMode, 1, kRootSetWeight, 0);
  Qz_Object* all[] = {n->headerRow, n->arrowButton, n->arrow, gap, n->labelArea, n->picture, gap2,
                      n->nameText, filler, n->childrenRow, indent, n->children};
  for (Qz_Object* o : all) {
    if (o == nullptr) {
      for (Qz_Object* d : all) Qz_DisposeObject(d);
      return false;
    }
  }
  Qz_DoMethod(n->arrowButton, kGroupAddTail, n->arrow);
  for (Qz_Object* o : {n->picture, gap2, n->nameText}) Qz_DoMethod(n->labelArea, kGroupAddTail, o);
  for (Qz_Object* o : {n->arrowButton, gap, n->labelArea, filler}) Qz_DoMethod(n->headerRow, kGroupAddTail, o);
  Qz_DoMethod(n->childrenRow, kGroupAddTail, indent);
  Qz_DoMethod(n->childrenRow, kGroupAddTail, n->children);
  Qz_DoMethod(object->super, kGroupAddTail, n->headerRow);
  Qz_DoMethod(object->super, kGroupAddTail, n->childrenRow);
  n->expanded = true;
  collapse(n);
  return true;
}

// Weight 0 throughout: rows of a list keep their own height. Aligned to
// the left, so the indented children start under their node's arrow.
const TagItem kNodeSuperTags[] = {{kGroupSetMode, 1}, {kGroupSetFrame, 6}, {kRootSetWeight, 0},
                                  {kGroupSetAlignment, 0}, {TAG_DONE, 0}};

const qz::kit::ClassDecl kListTreeNodeClass = {
    .name = "ListTreeNode", .superName = "Group", .classId = kListTreeNodeClassId,
    .instance = qz::kit::instanceOf<ListTreeNodeObject>(), .handler = nodeDispatch,
    .superTags = kNodeSuperTags, .setUp = nodeSetUp, .notice = "List tree node"};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitListTreeNodeClass(Qz_GlobalData*) { return qz::kit::addClass(kListTreeNodeClass); }
QZ_EXPORT void Qz_CleanupListTreeNodeClass(void) { qz::kit::removeClass(kListTreeNodeClass); }
QZ_EXTERN_C_END
