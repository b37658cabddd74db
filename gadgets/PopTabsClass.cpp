// PopTabs: tabs in a column, each opening its page in a pop-up window. The
// gadget is reached from two threads, the tab column's window (clicks,
// hover) and the pop-up's (its deactivation), so its own state is kept
// under a lock, and work on either window's objects runs on that window's
// thread.
#include <mutex>
#include <vector>

#include "gadgets/pop_tabs_logic.h"
#include "gadgets/qz_group.h"
#include "gadgets/qz_input_event.h"
#include "gadgets/qz_pages.h"
#include "gadgets/qz_pop_tabs.h"
#include "gadgets/qz_widgets.h"
#include "gadgets/qz_window.h"
#include "gadgets/tab_hover.h"
#include "objects/async_methods.h"
#include "objects/qz_class_kit.h"
#include "objects/qz_draw_info.h"
#include "objects/qz_notify.h"
#include "objects/qz_root.h"
#include "platform/windows.h"

namespace {

using qz::poptabs::Choice;
using qz::poptabs::PopUpState;

// Run on the pop-up's thread: show the page at this position and place and
// open the pop-up for it.
constexpr uint32_t kShowOnPopUp = 0x982001;

struct TabRecord {
  Qz_Object* label;
  Qz_Object* button;  // holds the label
};

struct PopTabsObject {
  Qz_Object header;
  std::mutex lock;
  std::vector<TabRecord> tabs;
  qz::poptabs::TabChooser chooser;  // handles are labels
  bool addingLabels = false;
  Qz_Object* popUp = nullptr;
  Qz_Object* headerGroup = nullptr;
  Qz_Object* tabColumn = nullptr;
  Qz_Object* pageGroup = nullptr;
};

PopTabsObject* asPopTabs(Qz_Object* o) { return reinterpret_cast<PopTabsObject*>(o); }
Qz_Object* self(PopTabsObject* p) { return &p->header; }

int tabOfLabel(const PopTabsObject* p, QzWord label) {
  for (std::size_t i = 0; i < p->tabs.size(); ++i) {
    if (reinterpret_cast<QzWord>(p->tabs[i].label) == label) return int(i);
  }
  return -1;
}

// A method on an object of another window's tree runs on that window's
// thread; with no thread (the window never opened) it runs here.
void onItsThread(Qz_Object* target, uint32_t id) {
  if (Qz_DoAsyncMethod(target, id) == 0) Qz_DoMethod(target, id);
}

MsgPort* popUpPort(PopTabsObject* p) {
  Qz_RootObject* root = p->popUp ? Qz_RootInstance(p->popUp) : nullptr;
  return root ? std::atomic_ref<MsgPort*>(root->asyncPort).load(std::memory_order_acquire) : nullptr;
}

QzWord addTab(PopTabsObject* p, Qz_Object* label) {
  Qz_Object* button = Qz_CreateObject("Button", kButtonSilent, 1, kButtonType, 14, kRootSetWeight, 0);
  if (button == nullptr) return 0;
  Qz_DoMethod(button, kGroupSetMode, 2);
  Qz_DoMethod(button, kRootSetUserData, label);
  Qz_AddNotify(button, kRootSelect, kNotifyAnyValue, self(p), 2, kGroupShowPageObject, label);
  Qz_DoMethod(p->tabColumn, kGroupAddTail, button);
  Qz_DoMethod(button, kGroupAddTail, label);
  std::lock_guard<std::mutex> g(p->lock);
  p->tabs.push_back({label, button});
  return 1;  // the object-text reader keeps only what its container holds
}

QzWord removeTab(PopTabsObject* p, QzWord label) {
  Qz_Object* button = nullptr;
  {
    std::lock_guard<std::mutex> g(p->lock);
    const int at = tabOfLabel(p, label);
    if (at < 0) return 0;
    button = p->tabs[std::size_t(at)].button;
    p->tabs.erase(p->tabs.begin() + at);
    p->chooser.forget(label);
  }
  Qz_DoMethod(p->tabColumn, kGroupRemove, button);
  Qz_DisposeObject(button);  // with its label
  return 0;
}

// The header's first object gives way to the new one.
QzWord setHeader(PopTabsObject* p, QzWord object) {
  if (auto* old = reinterpret_cast<Qz_Object*>(Qz_DoMethod(p->headerGroup, kGroupFirst))) {
    Qz_DoMethod(p->headerGroup, kGroupRemove, old);
    Qz_DisposeObject(old);
  }
  if (object != 0) Qz_DoMethod(p->headerGroup, kGroupAddTail, object);
  return 1;
}

// Set while this thread presses or releases a tab's button for the gadget:
// the button's notification then echoes back as a choice, to be ignored.
thread_local PopTabsObject* tEchoOf = nullptr;

void pressOrRelease(PopTabsObject* p, Qz_Object* button, uint32_t id) {
  PopTabsObject* const outer = tEchoOf;
  tEchoOf = p;
  if (id == kRootDeselect) {
    onItsThread(button, id);
  } else {
    Qz_DoMethod(button, id);
  }
  tEchoOf = outer;
}

// The gadget's lock guards only its own fields: it is never held while
// other objects are called, as they draw under locks of their own.
Qz_Object* currentButton(PopTabsObject* p) {
  const int current = tabOfLabel(p, p->chooser.current());
  return current >= 0 ? p->tabs[std::size_t(current)].button : nullptr;
}

// The pop-up closes (it lost the focus, or it is being closed on purpose).
QzWord closePopUp(PopTabsObject* p) {
  Qz_Object* button = nullptr;
  {
    std::lock_guard<std::mutex> g(p->lock);
    button = currentButton(p);
    p->chooser.close(qz::poptabs::ticksNow());
  }
  if (p->popUp != nullptr) Qz_DoMethod(p->popUp, kWindowClose);
  if (button != nullptr) pressOrRelease(p, button, kRootDeselect);
  return 0;
}

// A tab by its position (past the end: the first), or by its label.
QzWord choose(PopTabsObject* p, const uint32_t* index, QzWord label) {
  if (tEchoOf == p) return 0;
  int tab = -1;
  Qz_Object* previous = nullptr;
  Qz_Object* button = nullptr;
  Choice choice = Choice::Ignore;
  {
    std::lock_guard<std::mutex> g(p->lock);
    tab = index ? qz::gadgets::pageAtIndex(p->tabs.size(), *index) : tabOfLabel(p, label);
    if (tab < 0) return 0;
    previous = currentButton(p);
    button = p->tabs[std::size_t(tab)].button;
    choice = p->chooser.choose(reinterpret_cast<uintptr_t>(p->tabs[std::size_t(tab)].label), qz::poptabs::ticksNow());
  }
  switch (choice) {
    case Choice::Ignore: return 0;
    case Choice::ReleaseCurrent: pressOrRelease(p, button, kRootDeselect); return 0;
    case Choice::Open: break;
  }
  if (previous != nullptr && previous != button) pressOrRelease(p, previous, kRootDeselect);
  // The chosen button shows pressed, as after a click on it.
  pressOrRelease(p, button, kRootSelect);
  Qz_DoMethod(button, kRootDraw);
  const QzWord words[] = {kShowOnPopUp, QzWord(tab), 0, 0};
  MsgPort* port = popUpPort(p);
  if (port == nullptr || Qz__QueueAsyncMethod(self(p), port, words) == 0) Qz_DoMethod(self(p), kShowOnPopUp, tab);
  return 0;
}

// On the pop-up's thread: the page shown, then the window placed for its
// size with its right edge fixed, and opened.
QzWord showOnPopUp(PopTabsObject* p, int tab) {
  Qz_DoMethod(p->pageGroup, kGroupShowPage, uint32_t(tab < 0 ? 0 : tab));
  Qz_DoMethod(p->pageGroup, kRootDraw);
  if (p->popUp == nullptr) return 0;
  PopUpState before;
  {
    std::lock_guard<std::mutex> g(p->lock);
    before = p->chooser.state();
  }
  if (before == PopUpState::Shown) Qz_DoMethod(p->popUp, kWindowClose);
  auto* page = reinterpret_cast<Qz_Object*>(Qz_DoMethod(p->pageGroup, kGroupGetPageObject));
  Qz_DoMethod(p->popUp, kRootMeasure);
  const auto* box = reinterpret_cast<const Qz_LayoutBox*>(Qz_DoMethod(p->popUp, kRootGetLayoutBox));
  const int32_t width = page ? int32_t(Qz_DoMethod(page, kGroupGetNominalWidth)) : 0;
  const int32_t height = page ? int32_t(Qz_DoMethod(page, kGroupGetNominalHeight)) : 0;
  const qz::poptabs::Placement at = qz::poptabs::popUpPlacement(width, height, box ? box->minWidth : 0);
  Qz_DoMethod(p->popUp, kWindowSetX, at.x);
  Qz_DoMethod(p->popUp, kWindowSetY, at.y);
  Qz_DoMethod(p->popUp, kWindowSetW, at.width);
  Qz_DoMethod(p->popUp, kWindowSetH, at.height);
  // Made closed twice over and started once, it takes two opens the first time.
  Qz_DoMethod(p->popUp, kWindowOpen);
  if (before == PopUpState::NeverShown) Qz_DoMethod(p->popUp, kWindowOpen);
  std::lock_guard<std::mutex> g(p->lock);
  p->chooser.opened();
  return 0;
}

QzWord handleInput(Qz_Object* object, PopTabsObject* p, const QzWord* args) {
  if (qz::gadgets::hoverChoosesTab(p->tabColumn, reinterpret_cast<const Qz_InputEvent*>(args[0]))) return 2;
  return qz::kit::inherited(object, kRootHandleIDCMP, args);
}

QzWord measure(Qz_Object* object, const QzWord* args) {
  qz::gadgets::reportPointerMoves(object);
  return qz::kit::inherited(object, kRootMeasure, args);
}

QzWord store(PopTabsObject* p, const QzWord* args) {
  std::vector<Qz_Object*> buttons;
  {
    std::lock_guard<std::mutex> g(p->lock);
    for (const TabRecord& t : p->tabs) buttons.push_back(t.button);
  }
  return qz::gadgets::storeTabbedPages(reinterpret_cast<Qz_StoreObjectData*>(args[0]), buttons, p->pageGroup, false);
}

QzWord popTabsDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  PopTabsObject* p = asPopTabs(object);
  switch (id) {
    case kGroupAddTail:
      if (args[0] == 0) return 0;
      if (p->addingLabels) return addTab(p, reinterpret_cast<Qz_Object*>(args[0]));
      return Qz_DoMethod(p->pageGroup, kGroupAddTail, args[0]);
    case kGroupRemove: return p->addingLabels ? removeTab(p, args[0]) : 0;
    case kPagesLabelsPhase:
    case kPagesLabelsPhaseText: p->addingLabels = args[0] != 0; return 0;
    case kPagesSetFiller: return setHeader(p, args[0]);
    case kPagesGetPageGroup: return reinterpret_cast<QzWord>(p->pageGroup);
    case kPagesGetTabs: return reinterpret_cast<QzWord>(p->tabColumn);
    // An index, or the close value; a tab by its label has a method of its own.
    case kGroupShowPage: {
      if (args[0] == kPopTabsClose) return closePopUp(p);
      const uint32_t index = uint32_t(args[0]);
      return choose(p, &index, 0);
    }
    case kGroupShowPageObject: return choose(p, nullptr, args[0]);
    case kShowOnPopUp: return showOnPopUp(p, int(args[0]));
    case kGroupGetPageIndex:
    case kGroupGetPageObject: return Qz_DoMethodA(p->pageGroup, id, args);
    case kRootStoreChildren: return store(p, args);
    case kRootDraw: {
      const QzWord r = Qz_DoMethodA(object->super, id, args);
      Qz_Object* button = nullptr;
      {
        std::lock_guard<std::mutex> g(p->lock);
        button = currentButton(p);
      }
      if (button != nullptr) Qz_DoMethod(button, kRootDraw);
      return r;
    }
    case kRootHandleIDCMP: return handleInput(object, p, args);
    case kRootMeasure: return measure(object, args);
    default: return qz::kit::inherited(object, id, args);
  }
}

bool popTabsSetUp(Qz_Object* object) {
  PopTabsObject* p = asPopTabs(object);
  Qz_Object* column = Qz_CreateObject("Group", kGroupSetMode, 1, kGroupSetSpacing, 0);
  p->headerGroup = Qz_CreateObject("Group", kGroupSetMode, 1, kRootSetWeight, 0);
  p->tabColumn = Qz_CreateObject("Group", kGroupSetMode, 1, kGroupSetAlignment, 4, kGroupSetSpacing, 0,
                                 kGroupSetFrame, 6);
  Qz_Object* lead = Qz_CreateObject("Space", kSpaceSetSize, 2);
  Qz_Object* below = Qz_CreateObject("Space", kFixWidth, 1);
  p->pageGroup = Qz_CreateObject("Group", kGroupSetMode, 0x14);
  Qz_Object* all[] = {column, p->headerGroup, p->tabColumn, lead, below, p->pageGroup};
  for (Qz_Object* o : all) {
    if (o == nullptr) {
      for (Qz_Object* d : all) Qz_DisposeObject(d);
      return false;
    }
  }
  Qz_DoMethod(p->tabColumn, kGroupAddTail, lead);
  for (Qz_Object* o : {p->headerGroup, p->tabColumn, below}) Qz_DoMethod(column, kGroupAddTail, o);
  Qz_DoMethod(object->super, kGroupAddTail, column);
  p->popUp = Qz_CreateObject("Window", kWindowSetKind, kWindowKindActiveBorderless, kWindowSetDefaultHeight, 300);
  if (p->popUp == nullptr) {  // no pop-up: the pages are kept and never shown
    return true;
  }
  // Closed twice over, so that starting its thread leaves it shut.
  Qz_DoMethod(p->popUp, kWindowClose);
  Qz_DoMethod(p->popUp, kWindowClose);
  Qz_DoMethod(p->popUp, kGroupAddTail, p->pageGroup);
  Qz_AddNotify(p->popUp, kWindowDeactivated, kNotifyAnyValue, object, 2, kGroupShowPage, kPopTabsClose);
  Qz_DoMethod(p->popUp, kRootOpen);
  return true;
}

void popTabsTearDown(Qz_Object* object) {
  PopTabsObject* p = asPopTabs(object);
  if (p->popUp != nullptr) {
    Qz_DisposeObject(p->popUp);  // with the page group and the pages
  } else {
    Qz_DisposeObject(p->pageGroup);
  }
  p->popUp = p->pageGroup = nullptr;
  std::lock_guard<std::mutex> g(p->lock);
  p->tabs.clear();  // the buttons and labels go with the group
}

const Qz_Method kPopTabsMethods[] = {
    {kPagesLabelsPhaseText, "Qz_AddingPageLabels", kQzMethodSetter, 0, "%ld", 0, nullptr, 0, 0},
    {0, nullptr, 0, 0, nullptr, 0, nullptr, 0, 0}};

const TagItem kPopTabsSuperTags[] = {{kGroupSetMode, 2}, {kGroupSetSpacing, 0}, {TAG_DONE, 0}};

const qz::kit::ClassDecl kPopTabsClass = {
    .name = "PopTabs", .superName = "Group", .classId = kPopTabsClassId,
    .instance = qz::kit::instanceOf<PopTabsObject>(), .handler = popTabsDispatch, .methods = kPopTabsMethods,
    .superTags = kPopTabsSuperTags, .setUp = popTabsSetUp, .tearDown = popTabsTearDown,
    .notice = "Tabs whose pages open in a pop-up"};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitPopTabsClass(Qz_GlobalData*) { return qz::kit::addClass(kPopTabsClass); }
QZ_EXPORT void Qz_CleanupPopTabsClass(void) { qz::kit::removeClass(kPopTabsClass); }
QZ_EXTERN_C_END
