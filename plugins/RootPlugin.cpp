// RootPlugin: the base of every dockable panel. A vertical group with a tab
// bar (the title, also the drag handle) above a body holding the panel's own
// gadgets. It folds and unfolds, is dragged by its title to another
// container or torn off into a floating window, closes through the
// application image, and is stored in object text as its class name alone.
#include <atomic>
#include <cstdlib>

#include "gadgets/qz_group.h"
#include "gadgets/qz_input_event.h"
#include "gadgets/qz_widgets.h"
#include "gadgets/qz_window.h"
#include "image/qz_image.h"
#include "objects/async_methods.h"
#include "objects/object_services.h"
#include "objects/qz_class_kit.h"
#include "objects/qz_draw_info.h"
#include "objects/qz_linked_list.h"
#include "objects/qz_notify.h"
#include "objects/qz_root.h"
#include "platform/windows.h"
#include "plugins/plugin_family.h"
#include "plugins/plugin_layout.h"
#include "plugins/qz_root_plugin.h"

namespace {

constexpr uint32_t kBitMapLoad = 0x8001E;
constexpr uint32_t kPopUpItemChosen = 0xC0064;
constexpr uint32_t kTitleColour = 0xFF8C60;

struct Qz_RootPluginObject {
  Qz_Object header{};  // super: the outer vertical group
  Qz_Object* titleGadget = nullptr;
  Qz_Object* tabBar = nullptr;
  Qz_Object* body = nullptr;
  Qz_Object* home = nullptr;
  Qz_Object* menu = nullptr;
  Qz_Object* content = nullptr;
  Qz_Object* dragHandle = nullptr;
  Qz_Object* tabImageGadget = nullptr;
  const char* title = "";
  const char* shortTitle = "";
  const char* tabImagePath = nullptr;
  uint16_t folded = 0;
  uint16_t hover = 0;
  int16_t pressX = 0, pressY = 0;
  int16_t windowX = 0, windowY = 0;
  // Whether windowX and windowY hold a place: a drop straight below the
  // column gives x 0, which is a place like any other.
  bool placed = false;
  // The group the last tear-off took the panel from, and its place there:
  // docking brings it back to it while it is still in the column. Only
  // compared, never followed: it may be gone.
  Qz_Object* origin = nullptr;
  int32_t originIndex = 0;
};

// Shared by every panel of every window: the user's pointer is in one window at a time.
std::atomic<Qz_Object*> gLastHovered{nullptr};
// Raised around the protocol's own folds: they re-lay out and cause input of their own.
std::atomic<int32_t> gFoldGuard{0};

Qz_RootPluginObject* Qz__Self(Qz_Object* object) { return qz::kit::self<Qz_RootPluginObject>(object); }
Qz_Object* Qz__Outer(Qz_RootPluginObject* p) { return Qz_GetTopMostObject(&p->header); }

struct Qz__GuardUp {
  Qz__GuardUp() { gFoldGuard.fetch_add(1); }
  ~Qz__GuardUp() { gFoldGuard.fetch_sub(1); }
};

QzWord Qz__Fold(Qz_RootPluginObject* p) {
  if (p->folded != 0) return 0;
  p->folded = 1;
  Qz__GuardUp guard;
  Qz_DoMethod(p->body, kGroupSetFrame, 6);
  if (p->content) Qz_DoMethod(p->body, kLinkedListRemove, p->content);
  return 0;
}

QzWord Qz__Unfold(Qz_RootPluginObject* p) {
  if (p->folded != 1) return 0;
  p->folded = 0;
  Qz__GuardUp guard;
  Qz_DoMethod(p->body, kGroupSetFrame, 1);
  if (p->content) Qz_DoMethod(p->body, kLinkedListAddTail, p->content);
  return 0;
}

// Takes the panel out of the group it sits in; that group's window is laid
// out again. The old parent, or null when it had none.
Qz_Object* Qz__TakeOut(Qz_RootPluginObject* p) {
  Qz_Object* outer = Qz__Outer(p);
  Qz_Object* parent = Qz_GetParentObject(outer);
  if (!parent) return nullptr;
  Qz_Object* window = Qz_SearchHierachyForClassId(parent, kWindowClassId);
  Qz_DoMethod(parent, kGroupSetOptions, 1);
  Qz_DoMethod(parent, kLinkedListRemove, outer);
  if (window) Qz_RelayoutAndRedrawObject(window);
  return parent;
}

// Back where it was, after `before` (at the head without one): a panel
// that belongs to nothing would be lost.
void Qz__PutBack(Qz_Object* outer, Qz_Object* oldParent, Qz_Object* before) {
  if (!oldParent) return;
  Qz_DoMethod(oldParent, kGroupInsertMember, outer, before ? qz::toWord(before) : kLinkedListAtHead);
  if (Qz_Object* w = Qz_SearchHierachyForClassId(oldParent, kWindowClassId)) Qz_RelayoutAndRedrawObject(w);
}

QzWord Qz__TearOff(Qz_RootPluginObject* p) {
  Qz_Object* outer = Qz__Outer(p);
  Qz_Object* before = reinterpret_cast<Qz_Object*>(Qz_DoMethod(Qz_GetParentObject(outer), kGroupPrevious, outer));
  const auto index = int32_t(Qz_DoMethod(Qz_GetParentObject(outer), kGroupIndexOf, outer));
  Qz_Object* oldParent = Qz__TakeOut(p);
  Qz_Object* group = nullptr;
  Qz_Object* window = Qz_CreateObjects(0, kBuildObject, "PluginContainerWindow", kBuildObject, "PluginContainer",
                                       kBuildVGroup, kGroupSetAcceptsDrops, 1, kBuildStoreLast, &group,
                                       kBuildClose, kBuildClose, kBuildClose);
  if (!window || !group) {
    Qz_DisposeObject(window);
    Qz__PutBack(outer, oldParent, before);
    return 0;
  }
  Qz_DoMethod(group, kLinkedListAddTail, outer);
  p->home = window;
  p->origin = oldParent;
  p->originIndex = index;
  if (p->placed) {
    const TagItem box[] = {{kWindowSetX, QzWord(int32_t(p->windowX))},
                           {kWindowSetY, QzWord(int32_t(p->windowY))},
                           {TAG_DONE, 0}};
    Qz_DoMethod(window, kWindowSetBoxTags, box);
  }
  // One list only: the root list of the layout when there is one (it is the
  // screen's child), else the screen itself.
  Qz_ImageBase* base = Qz_GetImageBase();
  if (Qz_Object* list = base->panels ? base->panels : base->screen) Qz_DoMethod(list, kLinkedListAddTail, window);
  Qz_DoMethod(window, kRootOpen);
  return 1;
}

QzWord Qz__Close(Qz_RootPluginObject* p) {
  Qz_Image* app = Qz_GetImageBase()->applicationImage;
  if (app) Qz_DoAsyncMethod(&app->object, kQzPluginClose, Qz__Outer(p));
  return 0;
}

// Walks up through the paged groups above the panel and shows, in each, the
// page the panel lies on.
QzWord Qz__BringToFront(Qz_RootPluginObject* p) {
  Qz_Object* from = nullptr;
  for (Qz_Object* o = Qz__Outer(p); o; from = o, o = Qz_GetParentObject(o)) {
    if (Qz_GetObjectClassID(o) != kGroupClassId || Qz_DoMethod(o, kGroupGetMode) != 4 || !from) continue;
    Qz_DoMethod(o, kGroupShowPageObject, from);
    const QzWord index = Qz_DoMethod(o, kGroupGetPageIndex);
    if (Qz_Object* tabs = Qz_GetTopMostObject(Qz_GetParentObject(o))) Qz_DoMethod(tabs, kGroupShowPage, index);
  }
  return 1;
}

bool Qz__Over(Qz_Object* object, int32_t x, int32_t y) { return object && Qz_IsCoordOverObject(object, x, y); }

QzWord Qz__Input(Qz_RootPluginObject* p, const QzWord* args) {
  const auto* event = reinterpret_cast<const Qz_InputEvent*>(args[0]);
  if (!event) return Qz_DoMethodA(p->header.super, kRootHandleIDCMP, args);
  const int32_t x = event->mouseX, y = event->mouseY;
  if (event->cls == IDCMP_MOUSEBUTTONS && event->code == SELECTDOWN && Qz__Over(p->dragHandle, x, y)) {
    p->pressX = int16_t(x);
    p->pressY = int16_t(y);
    Qz_BeginDragAndDrop(Qz__Outer(p));
    return 1;
  }
  if (p->hover == 1 && gFoldGuard.load() < 1) {
    Qz_Object* self = &p->header;
    const bool overPanel = Qz__Over(Qz__Outer(p), x, y);
    if (p->folded && Qz__Over(p->tabBar, x, y)) {
      Qz__GuardUp guard;
      Qz_Object* last = gLastHovered.load();
      if (last && last != self && Qz__Self(last)->hover == 1) Qz__Fold(Qz__Self(last));
      Qz__Unfold(p);
      gLastHovered.store(self);
    } else {
      if (!overPanel) {
        Qz_Object* expected = self;
        gLastHovered.compare_exchange_strong(expected, nullptr);
      }
      if (!p->folded && !overPanel) {
        Qz__GuardUp guard;
        Qz__Fold(p);
      }
    }
  }
  return Qz_DoMethodA(p->header.super, kRootHandleIDCMP, args);
}

// The window object holding the object, or null.
Qz_Object* Qz__WindowAbove(Qz_Object* object) {
  Qz_Object* window = object ? Qz_SearchHierachyForClassId(object, kWindowClassId) : nullptr;
  return window ? Qz_GetTopMostObject(window) : nullptr;
}

// The panel's container, asked on its own window's thread.
void Qz__TellContainer(Qz_Object* container, uint32_t id, Qz_Object* panel) {
  if (container) qz::plugins::runOnPanelThread(container, id, qz::toWord(panel), 0);
}

// A floating window whose last panel went elsewhere closes: an empty window
// would only stand in the way.
void Qz__CloseIfEmpty(Qz_Object* window) {
  Qz_ImageBase* base = Qz_GetImageBase();
  if (!window || window == base->panelWindow || Qz_GetObjectClassID(window) != kPluginContainerWindowClassId) return;
  if (Qz_PluginCount(window) != 0) return;
  if (Qz_Image* app = base->applicationImage) Qz_DoAsyncMethod(&app->object, kQzPluginClose, window);
}

// Back into the main panel column, from wherever the panel is.
QzWord Qz__Dock(Qz_RootPluginObject* p) {
  Qz_Object* column = Qz_MainPanelContainer();
  Qz_Object* outer = Qz__Outer(p);
  if (!column || Qz_SearchHierachyForClassId(outer, kPluginContainerClassId) == column) return 0;
  Qz__TakeOut(p);
  p->home = column;
  const QzWord origin = qz::toWord(p->origin), index = QzWord(p->originIndex);
  // To the thread of the window showing the column (the array form finds
  // it); without an origin the index that follows is not needed.
  const QzWord words[] = {kQzContainerPlacePanel, qz::toWord(outer), origin, index, 0, 0};
  if (!Qz_DoAsyncMethodA(column, words)) Qz_DoMethod(column, kQzContainerPlacePanel, outer, origin, index);
  return 1;
}

// A release after a drag by the title: into another group, or, outside every
// window, into a floating window of its own. Coordinates are the desktop's.
void Qz__Dropped(Qz_RootPluginObject* p, Qz_Object* target, int32_t screenX, int32_t screenY) {
  Qz_Object* outer = Qz__Outer(p);
  Qz_DrawInfo* info = Qz_LockDrawInfoForInspection(outer);
  if (!info) return;
  const Window* w = info->window;
  const int32_t left = w ? w->LeftEdge : 0, top = w ? w->TopEdge : 0;
  Qz_UnlockDrawInfoForInspection(outer);
  const int32_t x = screenX - left, y = screenY - top;
  if (std::abs(p->pressX - x) <= kPluginDragThreshold && std::abs(p->pressY - y) <= kPluginDragThreshold) return;
  Qz_Object* container = Qz_SearchHierachyForClassId(outer, kPluginContainerClassId);
  Qz_Object* parent = Qz_GetParentObject(outer);
  if (target) {
    if (target == parent && Qz__Over(outer, x, y)) return;
    Qz_Object* oldWindow = Qz__WindowAbove(parent);
    Qz_Object* before = parent ? reinterpret_cast<Qz_Object*>(Qz_DoMethod(parent, kGroupPrevious, outer)) : nullptr;
    Qz_Object* old = Qz__TakeOut(p);
    if (old) Qz_RelayoutAndRedrawObject(old);
    int32_t targetLeft = 0, targetTop = 0;
    if (Qz_DrawInfo* targetInfo = Qz_LockDrawInfoForInspection(target)) {
      if (targetInfo->window) targetLeft = targetInfo->window->LeftEdge, targetTop = targetInfo->window->TopEdge;
      Qz_UnlockDrawInfoForInspection(target);
    }
    if (!Qz_DoMethod(target, kGroupInsertAtPoint, outer, screenX - targetLeft, screenY - targetTop)) {
      Qz__PutBack(outer, old, before);
      return;
    }
    p->home = Qz_SearchHierachyForClassId(outer, kPluginContainerClassId);
    Qz__TellContainer(p->home, kQzContainerShowPanel, outer);
    if (oldWindow != Qz__WindowAbove(outer)) Qz__CloseIfEmpty(oldWindow);
    return;
  }
  // The last panel of a container stays: a container is never left empty.
  if (Qz_DoMethod(container, kQzContainerPageCount) <= 1 && Qz_DoMethod(parent, kLinkedListCount) <= 1) return;
  const Qz_LayoutBox& box = Qz_RootInstance(outer)->box;
  // The torn-off window is framed: its caption goes above the panel's title.
  p->windowX = int16_t(left - p->pressX + x);
  p->windowY = int16_t(box.top - (kFrameWidth + kCaptionHeight) - p->pressY + top + y);
  p->placed = true;
  Qz__TearOff(p);
}

void Qz__DropCallBack(QzWord userData, Qz_Object*, uint32_t, const QzWord* words) {
  auto* object = reinterpret_cast<Qz_Object*>(userData);
  Qz__Dropped(Qz__Self(object), reinterpret_cast<Qz_Object*>(words[0]), int32_t(words[1]), int32_t(words[2]));
}

void Qz__Command(Qz_RootPluginObject* p, QzWord command) {
  Qz_Object* outer = Qz__Outer(p);
  switch (command) {
    case kPluginCommandTearOff: Qz_DoMethod(outer, kQzPluginTearOff); break;
    case kPluginCommandToggleFold: Qz_DoMethod(outer, p->folded ? kQzPluginUnfold : kQzPluginFold); break;
    case kPluginCommandToggleHover: p->hover = uint16_t(1 - p->hover); break;
    case kPluginCommandDuplicate:
      if (const char* name = outer->objectClass ? outer->objectClass->name : nullptr) {
        if (Qz_CreateObject(name, kQzPluginTearOff, 1)) Qz_AnnounceActiveImageToPanels();
      }
      break;
    case kPluginCommandClose: Qz_DoMethod(outer, kQzPluginClose); break;
    default: break;
  }
}

// The chosen item's user data is the command.
void Qz__CommandCallBack(QzWord userData, Qz_Object*, uint32_t, const QzWord* words) {
  auto* object = reinterpret_cast<Qz_Object*>(userData);
  auto* item = reinterpret_cast<Qz_Object*>(words[0]);
  if (item) Qz__Command(Qz__Self(object), Qz_DoMethod(item, kRootGetUserData));
}

QzWord Qz__Measure(Qz_RootPluginObject* p, const QzWord* args) {
  if (p->tabImagePath && p->tabImageGadget) {
    Qz_DoMethod(p->tabImageGadget, kBitMapLoad, p->tabImagePath);
    p->tabImageGadget = nullptr;
  }
  return Qz_DoMethodA(p->header.super, kRootMeasure, args);
}

QzWord Qz__SetText(const char*& slot, QzWord value) {
  slot = value ? reinterpret_cast<const char*>(value) : "";
  return qz::toWord(slot);
}

QzWord Qz__RootPluginDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  Qz_RootPluginObject* p = Qz__Self(object);
  switch (id) {
    case kQzPluginSetTitle:
      Qz__SetText(p->title, args[0]);
      Qz_DoMethod(p->titleGadget, kRootSetLabel, p->title);
      return qz::toWord(p->title);
    case kQzPluginGetTitle: return qz::toWord(p->title);
    case kQzPluginReserved: return 0;
    case kQzPluginTearOff: return Qz__TearOff(p);
    case kQzPluginSetShortTitle: return Qz__SetText(p->shortTitle, args[0]);
    case kQzPluginGetShortTitle: return qz::toWord(p->shortTitle);
    case kQzPluginClose: return Qz__Close(p);
    case kQzPluginHideTabBar: return Qz_DoMethod(p->tabBar, kRootHide);
    case kQzPluginShowTabBar: return Qz_DoMethod(p->tabBar, kRootShow);
    case kQzPluginFold: return Qz__Fold(p);
    case kQzPluginUnfold: return Qz__Unfold(p);
    case kQzPluginSetTabImagePath: p->tabImagePath = reinterpret_cast<const char*>(args[0]); return args[0];
    case kQzPluginGetTabImagePath: return qz::toWord(p->tabImagePath);
    case kQzPluginBringToFront: return Qz__BringToFront(p);
    case kQzPluginDock: return Qz__Dock(p);
    case kLinkedListAddTail:
      p->content = reinterpret_cast<Qz_Object*>(args[0]);
      return Qz_DoMethodA(p->body, kLinkedListAddTail, args);
    case kGroupSetFrame: return Qz_DoMethodA(p->body, kGroupSetFrame, args);
    case kRootHandleIDCMP: return Qz__Input(p, args);
    case kRootMeasure: return Qz__Measure(p, args);
    case kRootStoreChildren: return 1;
    default: return qz::kit::inherited(object, id, args);
  }
}

Qz_Object* Qz__MakePanelFrame(Qz_Object* object) {
  Qz_RootPluginObject* p = Qz__Self(object);
  Qz_Object* outer = Qz_CreateSubClassObjects(
      0, kBuildVGroup,
      kBuildHGroup, kGroupSetFrame, 4, kGroupSetFixedHeight, 1, kBuildStoreLast, &p->tabBar,
      kBuildObject, "Text", kRootSetLabel, "", kRootDeriveColours, kTitleColour, kBuildStoreLast, &p->titleGadget,
      kBuildClose, kBuildClose,
      kBuildVGroup, kGroupSetFrame, 1, kBuildStoreLast, &p->body, kBuildClose,
      kBuildClose);
  if (!outer || !p->tabBar || !p->titleGadget || !p->body) {
    Qz_DisposeObject(outer);
    return nullptr;
  }
  p->dragHandle = p->titleGadget;
  return outer;
}

bool Qz__SetUpRootPlugin(Qz_Object* object) {
  Qz_AddCallBackNotify(object, kGroupDrop, kNotifyAnyValue, Qz__DropCallBack, qz::toWord(object));
  Qz_AddCallBackNotify(object, kPopUpItemChosen, kNotifyAnyValue, Qz__CommandCallBack, qz::toWord(object));
  return true;
}

void Qz__TearDownRootPlugin(Qz_Object* object) {
  Qz_Object* expected = object;
  gLastHovered.compare_exchange_strong(expected, nullptr);
  Qz_RootPluginObject* p = Qz__Self(object);
  Qz__TakeOut(p);
  // A folded panel's content is outside the body: it goes with the panel all the same.
  if (p->folded && p->content) Qz_DisposeObject(p->content);
  p->content = nullptr;
}

const qz::kit::ClassDecl kRootPlugin = {
    .name = "RootPlugin", .superName = "Group", .classId = kRootPluginClassId,
    .instance = qz::kit::instanceOf<Qz_RootPluginObject>(), .handler = Qz__RootPluginDispatch,
    .makeSuper = Qz__MakePanelFrame, .setUp = Qz__SetUpRootPlugin, .tearDown = Qz__TearDownRootPlugin};

}  // namespace

QZ_EXTERN_C_BEGIN

QZ_EXPORT QzWord Qz_InitRootPluginClass(Qz_GlobalData*) { return qz::kit::addClass(kRootPlugin); }
QZ_EXPORT void Qz_CleanupRootPluginClass(void) { qz::kit::removeClass(kRootPlugin); }
// The panel a hover last unfolded, or null.
QZ_EXPORT Qz_Object* Qz_LastHoveredPlugin(void) { return gLastHovered.load(); }

QZ_EXTERN_C_END
