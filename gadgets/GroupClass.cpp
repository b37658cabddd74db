// Group: a Root subclass holding an ordered member list. Member walks take
// a snapshot of the list under the object-tree semaphore and call each
// member with the semaphore released, so a member may call back into the
// group (or remove itself) without deadlock and a node is never freed
// while a walk is inside it.
#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "gadgets/group_layout.h"
#include "gadgets/qz_group.h"
#include "gadgets/qz_input_event.h"
#include "gadgets/qz_window.h"
#include "objects/qz_class_kit.h"
#include "objects/draw/qz_draw.h"
#include "objects/object_services.h"
#include "objects/qz_notify.h"
#include "objects/qz_root.h"
#include "objects/qz_semaphore.h"
#include "platform/graphics.h"
#include "platform/windows.h"

namespace {

using qz::gui::GroupParams;
using qz::gui::LayoutMember;
using qz::gui::LayoutRect;
using qz::gui::LayoutSizes;

const Qz_Method kGroupMethods[] = {
    {kGroupAddHead, "Qz_AddHead", kQzMethodAction, 0, nullptr, 0, nullptr, 0, 0},
    {kGroupAddTail, "Qz_AddTail", kQzMethodAction, 0, nullptr, 0, nullptr, 0, 0},
    {kGroupInsertMember, "Qz_InsertMember", kQzMethodAction, 0, nullptr, 0, nullptr, 0, 0},
    {kGroupRemove, "Qz_Remove", kQzMethodAction, 0, nullptr, 0, nullptr, 0, 0},
    {kGroupFirst, "Qz_GetFirstGroupObject", kQzMethodAction, 0, nullptr, 0, nullptr, 0, 0},
    {kGroupLast, "Qz_GetLastGroupObject", kQzMethodAction, 0, nullptr, 0, nullptr, 0, 0},
    {kGroupNext, "Qz_GetNextGroupObject", kQzMethodAction, 0, nullptr, 0, nullptr, 0, 0},
    {kGroupPrevious, "Qz_GetPrevGroupObject", kQzMethodAction, 0, nullptr, 0, nullptr, 0, 0},
    {kGroupSetFrame, "Qz_SetGroupFrame", kQzMethodAction, 0, "%ld", 0, nullptr, 0, 0},
    {0, nullptr, 0, 0, nullptr, 0, nullptr, 0, 0},
};

constexpr uint16_t kSelectDown = 0x68;

struct GroupNode {
  Node node;
  Qz_Object* member;
  Qz_LayoutBox* box;
  GroupNode* self;
};

struct GroupObject {
  GroupObject() { NewList(&members); }

  Qz_Object header;
  List members;
  GroupNode* currentPage;
  Qz_LayoutBox* box;
  Region* clip;
  uint32_t options;
  int16_t count;
  int16_t minWidth, minHeight, nominalWidth, nominalHeight;
  int16_t innerSpacing, spacing;
  uint8_t frameType, selectedFrameType, highlightedFrameType;
  uint8_t fixedWidth, fixedHeight;
  uint8_t alignment = qz::gui::kAlignCentre;
  uint8_t drawn;
  uint8_t mode;
  uint8_t acceptsDrops;
  uint8_t highlighted, scrollGuard, selected;
  int8_t layoutEnable = 1;
  int32_t scrollX, scrollY;
  int32_t nominalSetWidth, nominalSetHeight;
};

GroupObject* asGroup(Qz_Object* o) { return reinterpret_cast<GroupObject*>(o); }
Qz_Object* outer(Qz_Object* o) { return Qz_GetTopMostObject(o); }

Qz_Semaphore* treeLock() { return Qz_GetGlobalData()->objectTreeSemaphore; }

class TreeLock {
 public:
  TreeLock() : held_(Qz_ObtainSemaphore(treeLock()) != 0) {}
  ~TreeLock() { release(); }
  void release() {
    if (held_) Qz_ReleaseSemaphore(treeLock());
    held_ = false;
  }
  bool held() const { return held_; }

 private:
  bool held_;
};

Qz_LayoutBox* boxOf(Qz_Object* o) { return reinterpret_cast<Qz_LayoutBox*>(Qz_DoMethod(o, kRootGetLayoutBox)); }
Qz_DrawInfo* drawInfoOf(Qz_Object* o) { return reinterpret_cast<Qz_DrawInfo*>(Qz_DoMethod(o, kRootGetDrawInfo)); }
bool isHidden(Qz_Object* member) { return Qz_DoMethod(member, kRootHideCount) != 0; }
bool isPages(const GroupObject* g) { return (g->mode & qz::gui::kGroupModePages) != 0; }

// The members at this moment.
std::vector<Qz_Object*> snapshot(GroupObject* g) {
  std::vector<Qz_Object*> out;
  TreeLock lock;
  for (Node* n = g->members.lh_Head; n->ln_Succ != nullptr; n = n->ln_Succ) {
    out.push_back(reinterpret_cast<GroupNode*>(n)->member);
  }
  return out;
}

// Members a walk of the group reaches: the current page only in page mode.
std::vector<Qz_Object*> walked(GroupObject* g) {
  if (!isPages(g)) return snapshot(g);
  TreeLock lock;
  if (g->currentPage == nullptr) return {};
  return {g->currentPage->member};
}

GroupNode* nodeOf(GroupObject* g, QzWord member) {
  for (Node* n = g->members.lh_Head; n->ln_Succ != nullptr; n = n->ln_Succ) {
    auto* node = reinterpret_cast<GroupNode*>(n);
    if (reinterpret_cast<QzWord>(node->member) == member) return node;
  }
  return nullptr;
}

void forAll(const std::vector<Qz_Object*>& members, uint32_t id, const QzWord* args) {
  for (Qz_Object* m : members) Qz_DoMethodA(m, id, args);
}

QzWord measure(Qz_Object* self);
QzWord place(Qz_Object* self, int32_t left, int32_t top, int32_t width, int32_t height);
QzWord draw(Qz_Object* self);
void relayout(Qz_Object* self);

GroupParams paramsOf(GroupObject* g, Qz_DrawInfo* info) {
  GroupParams p;
  p.mode = g->mode;
  p.alignment = g->alignment;
  p.options = g->options;
  p.spacing = g->spacing;
  p.innerSpacing = g->innerSpacing;
  p.frameType = g->frameType;
  p.frameWidth = info->frameWidth;
  p.frameHeight = info->frameHeight;
  p.fontHeight = info->fontHeight;
  const char* label = reinterpret_cast<const char*>(Qz_DoMethod(g->header.super, kRootGetLabel));
  if (label != nullptr && label[0] != '\0') {
    p.hasLabel = true;
    p.labelWidth = info->rastPort != nullptr
                       ? TextLength(info->rastPort, label, static_cast<int32_t>(std::strlen(label)))
                       : 0;
  }
  p.fixedWidth = g->fixedWidth != 0;
  p.fixedHeight = g->fixedHeight != 0;
  p.scrollX = g->scrollX;
  p.scrollY = g->scrollY;
  return p;
}

LayoutMember memberOf(Qz_Object* m, Qz_LayoutBox* box) {
  LayoutMember lm;
  lm.hidden = isHidden(m);
  if (box != nullptr) {
    lm.sizes = {box->width, box->height, box->minWidth, box->minHeight, box->maxWidth, box->maxHeight};
  }
  Qz_RootObject* root = Qz_RootInstance(m);
  lm.weight = root != nullptr ? root->weight : 0;
  return lm;
}

bool isEmpty(List* list) { return list->lh_TailPred == reinterpret_cast<Node*>(list); }

int16_t to16(int32_t v) { return static_cast<int16_t>(std::clamp(v, -0x7FFF, 0x7FFF)); }

// ---- member list ---------------------------------------------------------

QzWord insert(Qz_Object* self, QzWord memberWord, QzWord position) {
  GroupObject* g = asGroup(self);
  auto* member = reinterpret_cast<Qz_Object*>(memberWord);
  if (member == nullptr) return 0;
  Qz_LayoutBox* box = boxOf(member);
  if (box == nullptr) return 0;
  Qz_Object* oldPage = nullptr;
  {
    TreeLock lock;
    if (!lock.held()) return 0;
    // An object already placed in a container stays where it is.
    if (box->parent != nullptr) return 0;
    auto* node = static_cast<GroupNode*>(std::calloc(1, sizeof(GroupNode)));
    if (node == nullptr) return 0;
    node->member = member;
    node->box = box;
    node->self = node;
    if (position == 0) {
      AddHead(&g->members, &node->node);
    } else if (position == 0xFFFFFFFF) {
      AddTail(&g->members, &node->node);
    } else {
      GroupNode* after = nodeOf(g, position);
      Insert(&g->members, &node->node, after != nullptr ? &after->node : nullptr);
    }
    ++g->count;
    box->parent = outer(self);
    if (isPages(g)) {
      if (g->currentPage != nullptr) oldPage = g->currentPage->member;
      g->currentPage = node;
    }
  }
  if (Qz_DoMethod(self, kRootHideCount) != 0) Qz_DoMethod(member, kRootForceHidden);
  if (oldPage != nullptr) Qz_DoMethod(oldPage, kRootHide);
  Qz_DoMethod(member, kRootSetDrawInfo, Qz_DoMethod(self, kRootGetDrawInfo));
  if (g->drawn != 0) relayout(self);
  return 1;
}

QzWord removeMember(Qz_Object* self, QzWord memberWord) {
  GroupObject* g = asGroup(self);
  TreeLock lock;
  if (!lock.held()) return 0;
  GroupNode* node = nodeOf(g, memberWord);
  if (node == nullptr) return 0;
  Remove(&node->node);
  --g->count;
  if (g->currentPage == node) g->currentPage = nullptr;
  if (node->box != nullptr) node->box->parent = nullptr;
  std::free(node);
  return 1;
}

QzWord memberWord(Node* n) {
  return n->ln_Succ != nullptr ? reinterpret_cast<QzWord>(reinterpret_cast<GroupNode*>(n)->member) : 0;
}

QzWord neighbour(GroupObject* g, QzWord member, bool next) {
  TreeLock lock;
  GroupNode* node = nodeOf(g, member);
  if (node == nullptr) return 0;
  if (next) return memberWord(node->node.ln_Succ);
  Node* pred = node->node.ln_Pred;
  return pred->ln_Pred == nullptr ? 0 : memberWord(pred);
}

QzWord indexOf(GroupObject* g, QzWord member) {
  TreeLock lock;
  uint32_t index = 0;
  for (Node* n = g->members.lh_Head; n->ln_Succ != nullptr; n = n->ln_Succ, ++index) {
    if (memberWord(n) == member) return index;
  }
  return index;
}

QzWord memberAt(GroupObject* g, QzWord indexWord) {
  TreeLock lock;
  if (isEmpty(&g->members)) return 0;
  const uint32_t index = static_cast<uint32_t>(indexWord);
  uint32_t i = 0;
  Node* n = g->members.lh_Head;
  for (; n->ln_Succ->ln_Succ != nullptr && i < index; n = n->ln_Succ, ++i) {
  }
  return memberWord(n);
}

// The member a drop at (x, y) goes before, or NULL for the end.
Qz_Object* dropPosition(GroupObject* g, int32_t x, int32_t y) {
  const bool row = (g->mode & 0x07) == qz::gui::kGroupModeHorizontal;
  for (Qz_Object* m : snapshot(g)) {
    Qz_LayoutBox* b = boxOf(m);
    if (b == nullptr) continue;
    if (row ? b->left + b->width / 2 > x : b->top + b->height / 2 > y) return m;
  }
  return nullptr;
}

QzWord insertAtPoint(Qz_Object* self, QzWord member, int32_t x, int32_t y) {
  GroupObject* g = asGroup(self);
  Qz_Object* before = dropPosition(g, x, y);
  QzWord position = 0xFFFFFFFF;
  if (before != nullptr) {
    const QzWord prev = neighbour(g, reinterpret_cast<QzWord>(before), false);
    position = prev != 0 ? prev : 0;
  }
  return insert(self, member, position);
}

// ---- pages ---------------------------------------------------------------

QzWord showPageNode(Qz_Object* self, GroupNode* node) {
  GroupObject* g = asGroup(self);
  Qz_Object* oldPage = nullptr;
  {
    TreeLock lock;
    if (g->currentPage == node) return 1;
    if (g->currentPage != nullptr) oldPage = g->currentPage->member;
    g->currentPage = node;
  }
  if (oldPage != nullptr) {
    Qz_DoMethod(oldPage, kRootSetDrawInfo, 0);
    Qz_DoMethod(oldPage, kRootHide);
  }
  if (node != nullptr) {
    Qz_DoMethod(node->member, kRootSetDrawInfo, Qz_DoMethod(self, kRootGetDrawInfo));
    Qz_DoMethod(node->member, kRootShow);
  }
  if (g->box != nullptr && drawInfoOf(self) != nullptr) {
    // Measuring sets the box to the group's own size; the page goes in the
    // room the group was given, so it lands where the old page was drawn.
    const Qz_LayoutBox given = *g->box;
    measure(self);
    place(self, given.left, given.top, std::max<int32_t>(given.width, 0), std::max<int32_t>(given.height, 0));
    draw(self);
  }
  return 1;
}

QzWord showPageIndex(Qz_Object* self, QzWord index) {
  GroupObject* g = asGroup(self);
  GroupNode* node = nullptr;
  {
    TreeLock lock;
    uint32_t i = 0;
    for (Node* n = g->members.lh_Head; n->ln_Succ != nullptr; n = n->ln_Succ, ++i) {
      if (i == index) node = reinterpret_cast<GroupNode*>(n);
    }
  }
  if (node == nullptr) return 0;
  return showPageNode(self, node);
}

QzWord showPageObject(Qz_Object* self, QzWord member) {
  GroupObject* g = asGroup(self);
  GroupNode* node;
  {
    TreeLock lock;
    node = nodeOf(g, member);
  }
  if (node == nullptr) return 0;
  showPageNode(self, node);
  return 1;
}

// ---- measuring, placing, drawing -----------------------------------------

QzWord measure(Qz_Object* self) {
  GroupObject* g = asGroup(self);
  Qz_DrawInfo* info = drawInfoOf(self);
  if (info == nullptr || g->box == nullptr) return 0;
  std::vector<Qz_Object*> members = snapshot(g);
  std::vector<LayoutMember> sizes;
  GroupParams p = paramsOf(g, info);
  if (isPages(g)) {
    // Each page is measured as it would be shown, then put back as it was.
    Qz_Object* current = g->currentPage != nullptr ? g->currentPage->member : nullptr;
    const bool pageSized = (g->mode & qz::gui::kGroupModePageSized) == qz::gui::kGroupModePageSized;
    for (std::size_t i = 0; i < members.size(); ++i) {
      Qz_Object* m = members[i];
      if (m == current) p.currentPage = static_cast<int32_t>(i);
      if (pageSized && m != current) {
        sizes.push_back(memberOf(m, boxOf(m)));
        continue;
      }
      const QzWord own = Qz_DoMethod(m, kRootGetDrawInfo);
      const bool wasHidden = m != current;
      if (wasHidden) Qz_DoMethod(m, kRootShow);
      Qz_DoMethod(m, kRootSetDrawInfo, reinterpret_cast<QzWord>(info));
      Qz_DoMethod(m, kRootMeasure);
      Qz_DoMethod(m, kRootSetDrawInfo, own);
      if (wasHidden) Qz_DoMethod(m, kRootHide);
      sizes.push_back(memberOf(m, boxOf(m)));
      sizes.back().hidden = false;
    }
  } else {
    for (Qz_Object* m : members) {
      if (!isHidden(m)) Qz_DoMethod(m, kRootMeasure);
      sizes.push_back(memberOf(m, boxOf(m)));
    }
  }
  const LayoutSizes s = qz::gui::measureGroup(p, sizes);
  Qz_LayoutBox* b = g->box;
  b->minWidth = to16(s.minWidth);
  b->minHeight = to16(s.minHeight);
  b->maxWidth = to16(s.maxWidth);
  b->maxHeight = to16(s.maxHeight);
  b->width = to16(s.nominalWidth);
  b->height = to16(s.nominalHeight);
  g->minWidth = b->minWidth;
  g->minHeight = b->minHeight;
  g->nominalWidth = to16(std::max(s.nominalWidth, g->nominalSetWidth));
  g->nominalHeight = to16(std::max(s.nominalHeight, g->nominalSetHeight));
  return 1;
}

void setClip(Qz_Object* self, const LayoutRect* rect) {
  GroupObject* g = asGroup(self);
  if (rect == nullptr) {
    if (g->box->clipRegion != nullptr) Qz_DoMethod(self->super, kRootSetClipRegion, 0);
    return;
  }
  if (g->clip == nullptr) g->clip = NewRegion();
  if (g->clip == nullptr) return;
  ClearRegion(g->clip);
  Rectangle r{to16(rect->x), to16(rect->y), to16(rect->x + rect->width - 1), to16(rect->y + rect->height - 1)};
  OrRectRegion(g->clip, &r);
  Qz_DoMethod(self->super, kRootSetClipRegion, g->clip);
}

QzWord place(Qz_Object* self, int32_t left, int32_t top, int32_t width, int32_t height) {
  GroupObject* g = asGroup(self);
  Qz_DrawInfo* info = drawInfoOf(self);
  if (info == nullptr || g->box == nullptr) return 0;
  std::vector<Qz_Object*> members = snapshot(g);
  std::vector<LayoutMember> sizes;
  GroupParams p = paramsOf(g, info);
  for (std::size_t i = 0; i < members.size(); ++i) {
    sizes.push_back(memberOf(members[i], boxOf(members[i])));
    if (g->currentPage != nullptr && members[i] == g->currentPage->member) p.currentPage = static_cast<int32_t>(i);
  }
  Qz_LayoutBox* b = g->box;
  const LayoutSizes own{g->nominalWidth, g->nominalHeight, b->minWidth, b->minHeight, b->maxWidth, b->maxHeight};
  const qz::gui::PlaceResult r = qz::gui::placeGroup(p, sizes, own, LayoutRect{left, top, width, height});
  for (std::size_t i = 0; i < members.size(); ++i) {
    if (!r.placed[i]) continue;
    const LayoutRect& m = r.members[i];
    Qz_DoMethod(members[i], kRootPlace, m.x, m.y, m.width, m.height);
  }
  const int16_t oldWidth = b->width, oldHeight = b->height;
  b->left = to16(r.box.x);
  b->top = to16(r.box.y);
  b->width = to16(r.box.width);
  b->height = to16(r.box.height);
  if (!isPages(g)) setClip(self, r.clipped ? &r.clip : nullptr);
  // Scrolled contents tell what part of them is shown, for the scroll bars.
  if ((g->mode & qz::gui::kGroupModeScrolled) != 0) {
    Qz_Object* o = outer(self);
    if (b->width != oldWidth) Qz_DoNotify(o, kGroupScrolledNotifyX, static_cast<uint32_t>(b->width));
    if (b->height != oldHeight) Qz_DoNotify(o, kGroupScrolledNotifyY, static_cast<uint32_t>(b->height));
  }
  return 1;
}

QzWord draw(Qz_Object* self) {
  GroupObject* g = asGroup(self);
  Qz_LayoutBox* b = g->box;
  if (b == nullptr) return 0;
  Qz_DrawInfo* info = drawInfoOf(self);
  if (Qz_ObtainSemaphore(treeLock()) == 0) {
    if (info != nullptr) std::atomic_ref<int32_t>(info->pendingRedraws).fetch_add(1, std::memory_order_relaxed);
    return 0;
  }
  Qz_ReleaseSemaphore(treeLock());
  g->drawn = 1;
  uint32_t type = g->frameType;
  if (g->selected != 0) {
    type = g->selectedFrameType;
  } else if (g->highlighted != 0) {
    type = g->highlightedFrameType;
  }
  if (type != 0) {
    if (Qz_DrawInfo* locked = Qz_LockDrawInfo(self)) {
      if ((type & 0x80) == 0) Qz_EraseObjectBackground(outer(self), locked);
      if (type != 6 && type != 7) {
        const char* label = reinterpret_cast<const char*>(Qz_DoMethod(self->super, kRootGetLabel));
        Qz_DrawFrame(outer(self), locked, b->left, b->top, b->width, b->height,
                     label != nullptr && label[0] != '\0' ? label : nullptr, 0, type);
      }
      Qz_UnlockDrawInfo(self);
    }
  }
  if ((g->mode & qz::gui::kGroupModeScrolled) != 0 && g->scrollGuard == 0) {
    g->scrollGuard = 1;
    Qz_Object* o = outer(self);
    Qz_DoNotify(o, kGroupScrolledNotifyX, static_cast<uint32_t>(b->width));
    Qz_DoNotify(o, kGroupScrolledNotifyY, static_cast<uint32_t>(b->height));
    Qz_DoNotify(o, kGroupSetNominalWidth, static_cast<uint32_t>(g->nominalWidth));
    Qz_DoNotify(o, kGroupSetNominalHeight, static_cast<uint32_t>(g->nominalHeight));
  }
  const Region* clip = isPages(g) ? nullptr : b->clipRegion;
  // Members that do not fit are drawn under the group's clip.
  const bool clipped = clip != nullptr && Qz_LockDrawInfo(self) != nullptr;
  for (Qz_Object* m : walked(g)) {
    if (clip != nullptr) {
      Qz_LayoutBox* mb = boxOf(m);
      if (mb == nullptr || mb->top > clip->bounds.MaxY || mb->top + mb->height - 1 < clip->bounds.MinY) continue;
    }
    Qz_DoMethod(m, kRootDraw);
  }
  if (clipped) Qz_UnlockDrawInfo(self);
  return 1;
}

// Places an object again in the box it had and draws it there on a clean
// background: members that moved or went leave nothing behind.
void placeAndDrawAgain(Qz_Object* object, const Qz_LayoutBox& was) {
  Qz_DoMethod(object, kRootPlace, was.left, was.top, std::max<int32_t>(was.width, 0), std::max<int32_t>(was.height, 0));
  Qz_RedrawOverClearedBackground(object);
}

// After the group's content changed: lays it out again and walks up the
// parents while their minimum size changes; the last one placed is drawn.
// The climb ends at the window's own tree, which the window lays out in its
// whole area (growing when the content outgrew it): the screen a window
// belongs to is no container of its gadgets.
void relayout(Qz_Object* self) {
  GroupObject* g = asGroup(self);
  if (g->layoutEnable <= 0 || g->box == nullptr) return;
  Qz_DrawInfo* info = drawInfoOf(self);
  if (info == nullptr || info->window == nullptr) return;
  Qz_LayoutBox* windowRoot = info->windowObject != nullptr ? boxOf(info->windowObject) : nullptr;
  Qz_Object* current = outer(self);
  for (;;) {
    Qz_LayoutBox* b = boxOf(current);
    if (b == nullptr) return;
    if (b == windowRoot) {
      Qz_DoMethod(info->windowObject, kWindowRelayout);
      return;
    }
    const int16_t oldW = b->minWidth, oldH = b->minHeight;
    const Qz_LayoutBox was = *b;
    Qz_DoMethod(current, kRootMeasure);
    Qz_Object* parent = b->parent;
    const bool changed = b->minWidth != oldW || b->minHeight != oldH || (b->minWidth == 1 && b->minHeight == 1);
    if (!changed || parent == nullptr) {
      placeAndDrawAgain(current, was);
      return;
    }
    current = parent;
  }
}

// ---- scrolling -------------------------------------------------------------

// After a scroll by dx, dy: the pixels still shown move with the contents
// and only the strip they uncover is drawn, under a clip of that strip.
// A diagonal scroll, or one by the viewport or more, draws everything.
void drawUncovered(Qz_Object* self, int32_t dx, int32_t dy) {
  GroupObject* g = asGroup(self);
  const Region* view = g->box->clipRegion;
  if (view == nullptr || (dx != 0 && dy != 0)) {
    draw(self);
    return;
  }
  const Rectangle v = view->bounds;
  const int32_t width = v.MaxX - v.MinX + 1, height = v.MaxY - v.MinY + 1;
  if (std::abs(dx) >= width || std::abs(dy) >= height) {
    draw(self);
    return;
  }
  Rectangle strip = v;
  if (dy > 0) strip.MinY = to16(v.MaxY - dy + 1);
  if (dy < 0) strip.MaxY = to16(v.MinY - dy - 1);
  if (dx > 0) strip.MinX = to16(v.MaxX - dx + 1);
  if (dx < 0) strip.MaxX = to16(v.MinX - dx - 1);
  Region* uncovered = NewRegion();
  if (uncovered == nullptr) {
    draw(self);
    return;
  }
  ClearRegion(uncovered);
  OrRectRegion(uncovered, &strip);
  if (Qz_DrawInfo* info = Qz_LockDrawInfo(self)) {
    Qz_ScrollRastPort(info->rastPort, dx, dy, v.MinX, v.MinY, v.MaxX, v.MaxY);
    Qz_UnlockDrawInfo(self);
  }
  Qz_DoMethod(self->super, kRootSetClipRegion, uncovered);
  draw(self);
  Qz_DoMethod(self->super, kRootSetClipRegion, g->clip);
  DisposeRegion(uncovered);
}

QzWord scrollTo(Qz_Object* self, int32_t x, int32_t y) {
  GroupObject* g = asGroup(self);
  const int32_t dx = x - g->scrollX, dy = y - g->scrollY;
  g->scrollX = x;
  g->scrollY = y;
  Qz_Object* o = outer(self);
  // The position, so scroll bars follow a scroll asked of the contents directly.
  if (dx != 0) Qz_DoNotify(o, kGroupSetScrollX, static_cast<uint32_t>(x));
  if (dy != 0) Qz_DoNotify(o, kGroupSetScrollY, static_cast<uint32_t>(y));
  if ((dx != 0 || dy != 0) && g->layoutEnable > 0 && g->box != nullptr && drawInfoOf(self) != nullptr &&
      drawInfoOf(self)->window != nullptr) {
    place(self, g->box->left, g->box->top, g->box->width, g->box->height);
    drawUncovered(self, dx, dy);
  }
  return 1;
}

// ---- input and points ------------------------------------------------------

QzWord handleInput(Qz_Object* self, const QzWord* args) {
  GroupObject* g = asGroup(self);
  const auto* event = reinterpret_cast<const Qz_InputEvent*>(args[0]);
  if ((g->mode & qz::gui::kGroupModeScrolled) != 0 && event != nullptr && event->cls == IDCMP_MOUSEBUTTONS &&
      event->code == kSelectDown && Qz_IsCoordOverObject(self, event->mouseX, event->mouseY) == 0) {
    return 2;
  }
  for (Qz_Object* m : walked(g)) {
    if (isHidden(m)) continue;
    if (Qz_DoMethodA(m, kRootHandleIDCMP, args) == 1) return 1;
  }
  return 2;
}

QzWord atPoint(Qz_Object* self, uint32_t id, const QzWord* args) {
  GroupObject* g = asGroup(self);
  const int32_t x = static_cast<int32_t>(args[0]), y = static_cast<int32_t>(args[1]);
  for (Qz_Object* m : walked(g)) {
    if (Qz_IsCoordOverObject(m, x, y) != 0) return Qz_DoMethodA(m, id, args);
  }
  return Qz_DoMethodA(self->super, id, args);
}

QzWord toolTipAt(Qz_Object* self, const QzWord* args) {
  GroupObject* g = asGroup(self);
  const int32_t x = static_cast<int32_t>(args[0]), y = static_cast<int32_t>(args[1]);
  if (Qz_IsCoordOverObject(self, x, y) != 0) {
    for (Qz_Object* m : walked(g)) {
      if (Qz_IsCoordOverObject(m, x, y) == 0) continue;
      if (QzWord tip = Qz_DoMethodA(m, kRootGetToolTipAt, args)) return tip;
    }
  }
  return Qz_DoMethodA(self->super, kRootGetToolTipAt, args);
}

QzWord dragOrDrop(Qz_Object* self, uint32_t id, const QzWord* args) {
  GroupObject* g = asGroup(self);
  for (Qz_Object* m : snapshot(g)) {
    if (QzWord r = Qz_DoMethodA(m, id, args)) return r;
  }
  const int32_t x = static_cast<int32_t>(args[1]), y = static_cast<int32_t>(args[2]);
  if (g->acceptsDrops != 0 && Qz_IsCoordOverObject(self, x, y) != 0) {
    Qz_DoNotify(outer(self), id, args[0], args[1], args[2]);
    // The insertion marker: a line across the group where the drop goes.
    if (Qz_DrawInfo* info = Qz_LockDrawInfo(self)) {
      Qz_LayoutBox* b = g->box;
      Qz_Object* before = dropPosition(g, x, y);
      Qz_LayoutBox* bb = before != nullptr ? boxOf(before) : nullptr;
      const bool row = (g->mode & 0x07) == qz::gui::kGroupModeHorizontal;
      SetDrMd(info->rastPort, COMPLEMENT);
      SetAPen(info->rastPort, 1);
      if (row) {
        const int32_t lx = bb != nullptr ? bb->left - 1 : b->left + b->width - 1;
        DrawLine(info->rastPort, lx, b->top, lx, b->top + b->height - 1, 1);
      } else {
        const int32_t ly = bb != nullptr ? bb->top - 1 : b->top + b->height - 1;
        DrawLine(info->rastPort, b->left, ly, b->left + b->width - 1, ly, 1);
      }
      SetDrMd(info->rastPort, JAM1);
      Qz_UnlockDrawInfo(self);
    }
    // The window hands a drop's answer to the dragged object as the group
    // that took it: without it every drop would look like one outside all windows.
    if (id == kGroupDrop) return reinterpret_cast<QzWord>(outer(self));
  }
  return 0;
}

QzWord findByName(Qz_Object* self, const QzWord* args) {
  if (QzWord hit = Qz_DoMethodA(self->super, kRootFindByName, args)) return hit;
  for (Qz_Object* m : snapshot(asGroup(self))) {
    if (QzWord hit = Qz_DoMethodA(m, kRootFindByName, args)) return reinterpret_cast<QzWord>(outer(reinterpret_cast<Qz_Object*>(hit)));
  }
  return 0;
}

QzWord setMode(GroupObject* g, QzWord value) {
  g->mode = static_cast<uint8_t>(value);
  if (g->mode == qz::gui::kGroupModePages) g->frameType = 6;
  return 0;
}

QzWord groupDispatch(Qz_Object* self, uint32_t id, const QzWord* args) {
  GroupObject* g = asGroup(self);
  switch (id) {
    case kGroupInsertMember: return insert(self, args[0], args[1]);
    case kGroupAddHead: return insert(self, args[0], 0);
    case kGroupAddTail: return insert(self, args[0], 0xFFFFFFFF);
    case kGroupInsertAtPoint:
      return insertAtPoint(self, args[0], static_cast<int32_t>(args[1]), static_cast<int32_t>(args[2]));
    case kGroupRemove: return removeMember(self, args[0]);
    case kGroupFirst: {
      TreeLock lock;
      return memberWord(g->members.lh_Head);
    }
    case kGroupLast: {
      TreeLock lock;
      return isEmpty(&g->members) ? 0 : memberWord(g->members.lh_TailPred);
    }
    case kGroupNext: return neighbour(g, args[0], true);
    case kGroupPrevious: return neighbour(g, args[0], false);
    case kGroupIndexOf: return indexOf(g, args[0]);
    case kGroupMemberAt: return memberAt(g, args[0]);
    case kGroupCount: return static_cast<uint32_t>(g->count);

    case kGroupShowPage: return showPageIndex(self, args[0]);
    case kGroupShowPageObject: return showPageObject(self, args[0]);
    case kGroupGetPageIndex:
      return g->currentPage != nullptr ? indexOf(g, reinterpret_cast<QzWord>(g->currentPage->member)) : 0;
    case kGroupGetPageObject:
      return g->currentPage != nullptr ? reinterpret_cast<QzWord>(g->currentPage->member) : 0;

    case kGroupSetScrollX: scrollTo(self, static_cast<int32_t>(args[0]), g->scrollY); return static_cast<uint32_t>(g->scrollX);
    case kGroupSetScrollY: scrollTo(self, g->scrollX, static_cast<int32_t>(args[0])); return static_cast<uint32_t>(g->scrollY);
    case kGroupGetScrollX: return static_cast<uint32_t>(g->scrollX);
    case kGroupSetScroll: return scrollTo(self, static_cast<int32_t>(args[0]), static_cast<int32_t>(args[1]));

    case kGroupSetNominalWidth:
      g->nominalSetWidth = std::max(static_cast<int32_t>(args[0]), static_cast<int32_t>(g->minWidth));
      return 0;
    case kGroupGetNominalWidth:
      return static_cast<uint32_t>(std::max<int32_t>(g->box->width, std::max<int32_t>(g->nominalWidth, g->nominalSetWidth)));
    case kGroupSetNominalHeight:
      g->nominalSetHeight = std::max(static_cast<int32_t>(args[0]), static_cast<int32_t>(g->minHeight));
      return 0;
    case kGroupGetNominalHeight:
      return static_cast<uint32_t>(std::max<int32_t>(g->box->height, std::max<int32_t>(g->nominalHeight, g->nominalSetHeight)));
    case kGroupGetBoxWidth: return static_cast<uint32_t>(static_cast<int32_t>(g->box->width));
    case kGroupGetBoxHeight: return static_cast<uint32_t>(static_cast<int32_t>(g->box->height));

    case kGroupHighlight: g->highlighted = 1; draw(self); return 0;
    case kGroupUnhighlight: g->highlighted = 0; draw(self); return 0;
    case kGroupDisableLayout: --g->layoutEnable; return static_cast<uint32_t>(static_cast<int32_t>(g->layoutEnable));
    case kGroupEnableLayout:
      ++g->layoutEnable;
      if (g->layoutEnable == 1 && args[0] == 0) relayout(self);
      return static_cast<uint32_t>(static_cast<int32_t>(g->layoutEnable));

    case kGroupSetOptions: g->options = static_cast<uint32_t>(args[0]); return 0;
    case kGroupGetOptions: return g->options;
    case kGroupSetInnerSpacing: g->innerSpacing = static_cast<int16_t>(args[0]); return 0;
    case kGroupGetInnerSpacing: return static_cast<uint32_t>(static_cast<int32_t>(g->innerSpacing));
    case kGroupSetSpacing: g->spacing = static_cast<int16_t>(args[0]); return 0;
    case kGroupGetSpacing: return static_cast<uint32_t>(static_cast<int32_t>(g->spacing));
    case kGroupSetFrame: g->frameType = static_cast<uint8_t>(args[0]); return 0;
    case kGroupSetSelectedFrame: g->selectedFrameType = static_cast<uint8_t>(args[0]); return 0;
    case kGroupSetHighlightedFrame: g->highlightedFrameType = static_cast<uint8_t>(args[0]); return 0;
    case kGroupSetFixedWidth: g->fixedWidth = static_cast<uint8_t>(args[0] != 0); return 0;
    case kGroupSetFixedHeight: g->fixedHeight = static_cast<uint8_t>(args[0] != 0); return 0;
    case kGroupSetAlignment: g->alignment = static_cast<uint8_t>(args[0]); return 0;
    case kGroupSetMode: return setMode(g, args[0]);
    case kGroupGetMode: return g->mode;
    case kGroupSetAcceptsDrops: g->acceptsDrops = static_cast<uint8_t>(args[0] != 0); return 0;
    case kGroupGetAcceptsDrops: return g->acceptsDrops;

    case kRootShow:
    case kRootHide:
    case kRootDeriveColours:
    case kRootSetLightColour:
    case kRootSetDarkColour:
    case kRootEnable:
    case kRootDisable:
    case kRootResetHiding:
    case kRootForceHidden:
    case 0x18005A:
    case kRootSetDrawInfo:
    case kRootSetClipRegion: {
      std::vector<Qz_Object*> members = snapshot(g);
      // Show and hide reach every page alike, so the hiding a page not shown
      // got with its group is undone with the group's; a page not shown stays
      // hidden by its own count. Only a reset leaves such pages as they are.
      if (isPages(g) && id == kRootResetHiding) {
        std::erase_if(members, [g](Qz_Object* m) { return g->currentPage == nullptr || m != g->currentPage->member; });
      }
      forAll(members, id, args);
      return Qz_DoMethodA(self->super, id, args);
    }
    case kRootOpen:
    case kRootClose:
      forAll(walked(g), id, args);
      return 0;
    case kRootSelect:
    case kRootDeselect:
      g->selected = id == kRootSelect ? 1 : 0;
      forAll(walked(g), id, args);
      return 1;
    case kRootStoreChildren: forAll(snapshot(g), kRootStoreObject, args); return 1;
    case kRootRestoreChildren: forAll(snapshot(g), kRootRestoreChild, args); return 1;
    case kRootFindByName: return findByName(self, args);
    case kRootLockTree: return Qz_ObtainSemaphore(treeLock()) != 0 ? 1 : 0;
    case kRootUnlockTree: Qz_ReleaseSemaphore(treeLock()); return 1;
    case kRootObjectAtPoint:
    case kRootObjectAtPoint2: return atPoint(self, id, args);
    case kRootGetToolTipAt: return toolTipAt(self, args);
    case kRootHandleIDCMP: return handleInput(self, args);
    case kGroupDragOver:
    case kGroupDrop:
    case kGroupBeginDrag: return dragOrDrop(self, id, args);
    case kGroupMenuObject: forAll(snapshot(g), id, args); return 1;
    case kRootMeasure: return measure(self);
    case kRootPlace:
      return place(self, static_cast<int32_t>(args[0]), static_cast<int32_t>(args[1]), static_cast<int32_t>(args[2]),
                   static_cast<int32_t>(args[3]));
    case kRootDraw: return draw(self);
    default: return qz::kit::inherited(self, id, args);
  }
}

bool groupSetUp(Qz_Object* object) {
  asGroup(object)->box = boxOf(object->super);
  return true;
}

// Members leave the list under the tree lock and are disposed outside it.
void groupTearDown(Qz_Object* object) {
  GroupObject* g = asGroup(object);
  for (;;) {
    Qz_Object* member = nullptr;
    {
      TreeLock lock;
      Node* n = RemHead(&g->members);
      if (n == nullptr) break;
      auto* node = reinterpret_cast<GroupNode*>(n);
      member = node->member;
      if (node->box != nullptr) node->box->parent = nullptr;
      std::free(node);
    }
    Qz_DisposeObject(member);
  }
  g->currentPage = nullptr;
  if (g->clip != nullptr) {
    if (g->box != nullptr && g->box->clipRegion == g->clip) g->box->clipRegion = nullptr;
    DisposeRegion(g->clip);
    g->clip = nullptr;
  }
}

const TagItem kGroupSuperTags[] = {{kRootSetWeight, 200}, {TAG_DONE, 0}};

const qz::kit::ClassDecl kGroupClass = {
    .name = "Group", .superName = "Root", .classId = kGroupClassId,
    .instance = qz::kit::instanceOf<GroupObject>(), .handler = groupDispatch, .methods = kGroupMethods,
    .superTags = kGroupSuperTags, .setUp = groupSetUp, .tearDown = groupTearDown,
    .notice = "Row, column or pages of member objects", .classValue = 200};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitGroupClass(Qz_GlobalData*) { return qz::kit::addClass(kGroupClass); }
QZ_EXPORT void Qz_CleanupGroupClass(void) { qz::kit::removeClass(kGroupClass); }
QZ_EXTERN_C_END
