// RootTool: the base of every tool. Its group holds the tool's one tool-bar
// button; it keeps the options panel shown while the tool is active (shows
// and hides nest), makes the tool the active one, and answers the view's
// questions about the brush outline and the pointer shape.
#include <atomic>

#include "actions/qz_actions.h"
#include "image/qz_image.h"
#include "objects/async_methods.h"
#include "objects/qz_class_kit.h"
#include "objects/object_services.h"
#include "objects/qz_linked_list.h"
#include "gadgets/qz_group.h"
#include "gadgets/qz_window.h"
#include "tools/qz_root_tool.h"

namespace {

struct Qz_RootToolObject {
  Qz_Object header{};  // super: the group holding the tool-bar button
  Qz_Object* options = nullptr;
  int16_t showCount = 0;  // 0 hidden; each show takes one, each hide gives one back
  // Read by the view on its window's thread, changed from the tool bar's.
  std::atomic<int32_t> active{0};
  uint32_t brushOutline = 0;  // the kit reads and writes the rows' fields atomically
  uint32_t cursorKind = 0;
};

// The view's questions: bit 0 of the outline asks for the brush outline at
// the pointer; the cursor kind chooses the pointer shape.
const qz::kit::Attribute kAttributes[] = {
    {.setter = kToolSetBrushOutline, .getter = kToolGetBrushOutline,
     .field = qz::kit::field(&Qz_RootToolObject::brushOutline)},
    {.setter = kToolSetCursorKind, .getter = kToolGetCursorKind,
     .field = qz::kit::field(&Qz_RootToolObject::cursorKind)},
};

Qz_RootToolObject* Qz__Self(Qz_Object* object) { return reinterpret_cast<Qz_RootToolObject*>(object); }
Qz_Object* Qz__Outer(Qz_RootToolObject* t) { return Qz_GetTopMostObject(&t->header); }

// The image base's tool-options group and the panel that shows it.
Qz_Object* Qz__OptionsGroup() { return Qz_GetImageBase()->panelGroups[0]; }
Qz_Object* Qz__OptionsPanel() { return Qz_GetImageBase()->panelGroups[1]; }

// A panel came or went: the options group's window is laid out again, on
// its own thread, which may be drawing it meanwhile.
void Qz__RelayoutOptions() {
  if (Qz_Object* window = Qz_SearchHierachyForClassId(Qz__OptionsGroup(), kWindowClassId))
    Qz_DoAsyncMethod(window, kWindowRelayout);
}

QzWord Qz__ShowOptions(Qz_RootToolObject* t) {
  if (!t->options) return QzWord(uint32_t(int32_t(t->showCount)));
  if (--t->showCount == -1) {
    // The group would lay itself out on this thread at once; its window's
    // thread does that instead.
    Qz_DoMethod(Qz__OptionsGroup(), kGroupDisableLayout);
    Qz_DoMethod(Qz__OptionsGroup(), kLinkedListAddHead, t->options);
    Qz_DoMethod(Qz__OptionsGroup(), kGroupEnableLayout, 1u);
    Qz__RelayoutOptions();
  }
  Qz_DoMethod(Qz__OptionsPanel(), kPanelRelayout);
  return QzWord(uint32_t(int32_t(t->showCount)));
}

QzWord Qz__HideOptions(Qz_RootToolObject* t) {
  if (!t->options) return QzWord(uint32_t(int32_t(t->showCount)));
  if (++t->showCount == 0) {
    const auto* box = reinterpret_cast<const Qz_LayoutBox*>(Qz_DoMethod(t->options, kRootGetLayoutBox));
    Qz_Object* parent = box && box->parent ? box->parent : Qz__OptionsGroup();
    Qz_DoMethod(Qz_GetTopMostObject(parent), kLinkedListRemove, t->options);
    Qz__RelayoutOptions();
  }
  return QzWord(uint32_t(int32_t(t->showCount)));
}

QzWord Qz__Activate(Qz_RootToolObject* t, const QzWord* args) {
  if (!t->active.load()) {
    t->active.store(1);
    Qz_ImageBase* base = Qz_GetImageBase();
    Qz_Object* outer = Qz__Outer(t);
    if (base->currentTool != outer) {
      Qz_Object* old = base->currentTool;
      base->currentTool = outer;
      Qz_DoMethod(old, kToolDeactivate);
    }
    t->showCount = 0;
    Qz_DoMethod(outer, kToolShowOptionsPanel);
  }
  return Qz_DoMethodA(t->header.super, kToolActivate, args);
}

QzWord Qz__Deactivate(Qz_RootToolObject* t, const QzWord* args) {
  if (t->active.load()) {
    t->active.store(0);
    t->showCount = -1;
    Qz_DoMethod(Qz__Outer(t), kToolHideOptionsPanel);
  }
  return Qz_DoMethodA(t->header.super, kToolDeactivate, args);
}

// A tool holds one child, its button: a new one replaces the old.
QzWord Qz__AddButton(Qz_RootToolObject* t, const QzWord* args) {
  Qz_Object* group = t->header.super;
  if (auto* old = reinterpret_cast<Qz_Object*>(Qz_DoMethod(group, kLinkedListFirst))) {
    Qz_DoMethod(group, kLinkedListRemove, old);
    Qz_DisposeObject(old);
  }
  return Qz_DoMethodA(group, kLinkedListAddTail, args);
}

QzWord Qz__RootToolDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  Qz_RootToolObject* t = Qz__Self(object);
  switch (id) {
    case kToolSetOptions: t->options = reinterpret_cast<Qz_Object*>(args[0]); return args[0];
    case kToolGetOptions: return qz::toWord(t->options);
    case kToolShowOptionsPanel: return Qz__ShowOptions(t);
    case kToolHideOptionsPanel: return Qz__HideOptions(t);
    case kToolActivate: return Qz__Activate(t, args);
    case kToolDeactivate: return Qz__Deactivate(t, args);
    case kToolDrawsHandles: return 0;
    case kLinkedListAddTail: return Qz__AddButton(t, args);
    default: return qz::kit::inherited(object, id, args);
  }
}

void Qz__TearDownRootTool(Qz_Object* object) {
  Qz_RootToolObject* t = Qz__Self(object);
  t->showCount = -1;
  Qz_DoMethod(Qz__Outer(t), kToolHideOptionsPanel);
  Qz_DisposeObject(t->options);
  t->options = nullptr;
  Qz_ImageBase* base = Qz_GetImageBase();
  if (base->currentTool == Qz__Outer(t)) base->currentTool = nullptr;
}

const qz::kit::ClassDecl kRootTool = {
    .name = "RootTool", .superName = "Group", .classId = kRootToolClassId,
    .instance = qz::kit::instanceOf<Qz_RootToolObject>(), .handler = Qz__RootToolDispatch,
    .attributes = kAttributes, .tearDown = Qz__TearDownRootTool};

}  // namespace

QZ_EXTERN_C_BEGIN

QZ_EXPORT QzWord Qz_InitRootToolClass(Qz_GlobalData*) { return qz::kit::addClass(kRootTool); }
QZ_EXPORT void Qz_CleanupRootToolClass(void) { qz::kit::removeClass(kRootTool); }

QZ_EXTERN_C_END
