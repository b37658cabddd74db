// The Window object's event loop: the window's own thread runs the calls
// queued on the window, then turns its platform input messages into
// HandleIDCMP calls on the tree, routes pointer input through open pop-ups,
// shows tool tips and runs keyboard shortcuts.
#include <atomic>
#include <vector>

#include "gadgets/qz_group.h"
#include "gadgets/qz_input_event.h"
#include "gadgets/qz_screen.h"
#include "gadgets/qz_window.h"
#include "gadgets/window_object.h"
#include "objects/async_methods.h"
#include "objects/draw/qz_draw.h"
#include "objects/object_services.h"
#include "objects/qz_notify.h"
#include "objects/qz_root.h"
#include "platform/graphics.h"

using namespace qz::gui::window;

namespace {

// ---- the event loop -------------------------------------------------------

// Closes every open pop-up below the window, depth first; the last one
// closed, or NULL when none was open.
WindowObject* closePopUps(WindowObject* win, Qz_Object** chosen) {
  WindowObject* last = nullptr;
  for (;;) {
    Qz_Object* open = nullptr;
    for (Qz_Object* c = reinterpret_cast<Qz_Object*>(Qz_DoMethod(win->children, kGroupFirst)); c != nullptr;
         c = reinterpret_cast<Qz_Object*>(Qz_DoMethod(win->children, kGroupNext, c))) {
      if (isWindowObject(c) && (asWindow(c)->kind & kWindowKindPopUp) != 0 && asWindow(c)->window != nullptr) {
        open = c;
        break;
      }
    }
    if (open == nullptr) return last;
    WindowObject* p = asWindow(open);
    if (WindowObject* below = closePopUps(p, chosen)) last = below;
    if (last == nullptr) {
      last = p;
      *chosen = p->popUp;
    }
    if (p->popUp != nullptr) Qz_DoMethod(p->popUp, kRootDeselect);
    closeNow(p, true);
  }
}

bool pointerOver(Window* parent, Window* child) { return Qz_FindWindowUnderMouse(parent) == child; }

// Pointer input while pop-ups are open: each open child window, depth
// first, sees the event at its own coordinates; a pop-up tracks the object
// under the pointer and reports the choice on release.
bool routeToChildren(WindowObject* win, Window* source, const Qz_InputEvent& event) {
  std::vector<Qz_Object*> kids;
  for (Qz_Object* c = reinterpret_cast<Qz_Object*>(Qz_DoMethod(win->children, kGroupFirst)); c != nullptr;
       c = reinterpret_cast<Qz_Object*>(Qz_DoMethod(win->children, kGroupNext, c))) {
    if (isWindowObject(c) && asWindow(c)->window != nullptr) kids.push_back(c);
  }
  const int32_t sx = source->LeftEdge + Qz_WindowMouseX(source), sy = source->TopEdge + Qz_WindowMouseY(source);
  for (std::size_t i = 0; i < kids.size(); ++i) {
    WindowObject* child = asWindow(kids[i]);
    Window* cw = child->window;
    if (cw == nullptr) continue;
    routeToChildren(child, source, event);
    if (child->window == nullptr) continue;
    const bool over = pointerOver(source, cw);
    Qz_InputEvent e = event;
    e.window = cw;
    e.mouseX = static_cast<int16_t>(sx - cw->LeftEdge);
    e.mouseY = static_cast<int16_t>(sy - cw->TopEdge);
    Qz_SetWindowMouse(cw, e.mouseX, e.mouseY);
    if (over || i + 1 == kids.size()) Qz_DoMethod(kids[i], kRootHandleIDCMP, reinterpret_cast<QzWord>(&e));
    if ((child->kind & kWindowKindPopUp) == 0) continue;
    if (event.cls == IDCMP_MOUSEBUTTONS && event.code == SELECTUP) {
      Qz_DoNotify(kids[i], kWindowPopUpChoice, child->popUp);
    } else if (event.cls == IDCMP_INACTIVEWINDOW) {
      Qz_DoNotify(kids[i], kWindowPopUpChoice, 0);
    } else if (over) {
      // A plain group is never the choice: met on its frame or between its
      // items, it is asked again, as the pointer may be on an item by now.
      if (child->popUp == nullptr || Qz_IsCoordOverObject(child->popUp, e.mouseX, e.mouseY) == 0 ||
          Qz_GetObjectClassID(child->popUp) == kGroupClassId) {
        if (child->popUp != nullptr) Qz_DoMethod(child->content, kRootObjectAtPoint2, child->dragX, child->dragY);
        child->popUp = reinterpret_cast<Qz_Object*>(Qz_DoMethod(child->content, kRootObjectAtPoint, e.mouseX, e.mouseY));
        child->dragX = e.mouseX;
        child->dragY = e.mouseY;
      }
    } else if (Qz_DoMethod(child->children, kGroupFirst) == 0 && child->popUp != nullptr) {
      Qz_DoMethod(child->content, kRootObjectAtPoint2, child->dragX, child->dragY);
      child->popUp = nullptr;
    }
  }
  return !kids.empty();
}

// Messages on an open pop-up's own port (its refreshes): the pop-up has no
// thread, so the thread of the window holding it handles them.
void handleMessage(WindowObject* win, InputMessage* im);

void drainChildPorts(WindowObject* win) {
  for (Qz_Object* c = reinterpret_cast<Qz_Object*>(Qz_DoMethod(win->children, kGroupFirst)); c != nullptr;
       c = reinterpret_cast<Qz_Object*>(Qz_DoMethod(win->children, kGroupNext, c))) {
    if (!isWindowObject(c) || threadRuns(asWindow(c))) continue;
    WindowObject* child = asWindow(c);
    while (child->window != nullptr) {
      Message* m = GetMsg(child->window->UserPort);
      if (m == nullptr) break;
      handleMessage(child, reinterpret_cast<InputMessage*>(m));
      if (m->mn_ReplyPort != nullptr) {
        ReplyMsg(m);
      } else {
        FreeVec(m);
      }
    }
    drainChildPorts(child);
  }
}

void removeToolTip(WindowObject* win) {
  Qz_Object* tip = win->tipWindow;
  if (tip == nullptr) return;
  win->tipWindow = nullptr;
  Qz_DoMethod(win->children, kGroupRemove, tip);
  Qz_DisposeObject(tip);
}

// After enough quiet ticks over an object with a tip: a small borderless
// window with the text just below the pointer.
void maybeShowToolTip(WindowObject* win) {
  Qz_GlobalData* g = Qz_GetGlobalData();
  Window* w = win->window;
  if (w == nullptr || win->tipWindow != nullptr) return;
  if (std::atomic_ref<int32_t>(g->toolTips).load(std::memory_order_relaxed) == 0) return;
  if (win->ticks <= g->toolTipDelay || Qz_GetQualifier() != 0) return;
  QzWord tip = Qz_DoMethod(win->content, kRootGetToolTipAt, Qz_WindowMouseX(w), Qz_WindowMouseY(w));
  const int32_t sx = w->LeftEdge + Qz_WindowMouseX(w), sy = w->TopEdge + Qz_WindowMouseY(w);
  if (tip == 0) {
    Window* other = Qz_FindWindowUnderMouse(w);
    auto* otherObject = other != nullptr ? static_cast<Qz_Object*>(other->OwnerObject) : nullptr;
    if (other != w && isWindowObject(otherObject)) {
      tip = Qz_DoMethod(otherObject, kRootGetToolTipAt, sx - other->LeftEdge, sy - other->TopEdge);
    }
  }
  const char* text = reinterpret_cast<const char*>(tip);
  if (text == nullptr || text[0] == '\0') return;
  Qz_Object* label = Qz_CreateObject("Text", kRootSetLabel, text);
  if (label == nullptr) return;
  Qz_Object* box = Qz_CreateObject("Group", kGroupSetMode, 1, kGroupSetFrame, 6, kGroupSetInnerSpacing, 2,
                                   kRootSetBaseColour, kQzToolTipColour);
  Qz_Object* tipWindow = Qz_CreateObject("Window", kWindowSetKind, kWindowKindPopUp, kWindowSetX, sx,
                                         kWindowSetY, sy + 20);
  if (box == nullptr || tipWindow == nullptr) {
    Qz_DisposeObject(label);
    Qz_DisposeObject(box);
    Qz_DisposeObject(tipWindow);
    return;
  }
  Qz_DoMethod(box, kGroupAddTail, label);
  Qz_DoMethod(tipWindow, kGroupAddTail, box);
  Qz_DoMethod(win->children, kGroupAddTail, tipWindow);
  win->tipWindow = tipWindow;
  Qz_DoMethod(tipWindow, kWindowOpen);
}

// A key code names a typed character (with Ctrl) or a raw key (F1 is 112,
// as 'p' is): a record whose qualifier word says which (0 raw, else a
// character) is preferred, so F1 and Ctrl+P can both have one.
void runShortcut(uint32_t code, bool rawKey) {
  Qz_GlobalData* g = Qz_GetGlobalData();
  if (g->shortcutList == nullptr) return;
  // Found under the lock, called without it: the call may open a requester.
  Qz_Object* target = nullptr;
  std::vector<QzWord> words;
  ObtainSemaphore(&g->classListLock);
  Qz_ShortcutKey* found = nullptr;
  for (Node* n = g->shortcutList->lh_Head; n->ln_Succ != nullptr; n = n->ln_Succ) {
    auto* key = reinterpret_cast<Qz_ShortcutKey*>(n);
    if (key->keyCode != code || key->count == 0) continue;
    if ((key->value == 0) == rawKey) {
      found = key;
      break;
    }
    if (!found) found = key;
  }
  if (found) {
    target = found->target;
    const QzWord* w = Qz_ShortcutKeyWords(found);
    words.assign(w, w + found->count);
  }
  ReleaseSemaphore(&g->classListLock);
  if (target == nullptr || words.empty()) return;
  words.resize(words.size() + qz::kPackedTailWords, 0);
  Qz_DoMethodA(target, static_cast<uint32_t>(words[0]), words.data() + 1);
}

// '<' and '>' zoom the picture under the pointer: one the active window
// (the tool bar after a click, say) has no use for goes to the window under
// the pointer, on that window's thread.
void passZoomKey(Window* w, uint16_t code, uint16_t qualifier) {
  if ((code != '<' && code != '>') || (qualifier & IEQUALIFIER_CONTROL) != 0) return;
  Window* under = Qz_FindWindowUnderMouse(w);
  if (under == nullptr || under == w || under->OwnerObject == nullptr) return;
  Qz_DoAsyncMethod(static_cast<Qz_Object*>(under->OwnerObject), kWindowTakeKey, uint32_t(code));
}

// A refresh repaints the part of the window given (inclusive, outer-frame
// coordinates): drawing is clipped to it, and clip regions installed
// meanwhile are narrowed to it.
void beginRefresh(Window* w, int32_t left, int32_t top, int32_t right, int32_t bottom) {
  BeginRefresh(w);
  w->DamageMinX = static_cast<int16_t>(left);
  w->DamageMinY = static_cast<int16_t>(top);
  w->DamageMaxX = static_cast<int16_t>(right);
  w->DamageMaxY = static_cast<int16_t>(bottom);
  InstallClipRegion(w->RPort->Layer, nullptr);
}

// A refresh clips the window's drawing and clears it; other threads draw
// into the same backing store (an image view's redraw thread) under the
// window's draw lock, so the whole refresh holds it.
class RefreshDrawLock {
 public:
  explicit RefreshDrawLock(WindowObject* win)
      : semaphore_(win->drawInfo.drawSemaphore), held_(Qz_ObtainSemaphore(semaphore_) != 0) {}
  ~RefreshDrawLock() {
    if (held_) Qz_ReleaseSemaphore(semaphore_);
  }
  RefreshDrawLock(const RefreshDrawLock&) = delete;
  RefreshDrawLock& operator=(const RefreshDrawLock&) = delete;

 private:
  Qz_Semaphore* semaphore_;
  bool held_;
};

void redrawAll(WindowObject* win) {
  Window* w = win->window;
  if (w == nullptr) return;
  Qz_DoMethod(win->content, kRootDraw);
}

void handleMessage(WindowObject* win, InputMessage* im) {
  Qz_Object* self = &win->header;
  Window* w = win->window;
  Qz_InputEvent event{};
  event.window = w;
  event.cls = im->Class;
  event.code = im->Code;
  event.qualifier = im->Qualifier;
  event.seconds = im->Seconds;
  event.refreshLeft = im->RefreshLeft;
  event.refreshTop = im->RefreshTop;
  event.mouseX = Qz_WindowMouseX(w);
  event.mouseY = Qz_WindowMouseY(w);
  const QzWord eventWord = reinterpret_cast<QzWord>(&event);
  switch (im->Class) {
    case IDCMP_ACTIVEWINDOW: Qz_DoNotify(self, kWindowActivated, 1); return;
    case IDCMP_CLOSEWINDOW: Qz_DoNotify(self, kWindowClose, 1); return;
    case IDCMP_NEWSIZE: {
      // A new size repaints the whole window.
      RefreshDrawLock hold(win);
      beginRefresh(w, 0, 0, w->Width - 1, w->Height - 1);
      const bool resized = w->Width != win->w || w->Height != win->h;
      takeEdges(win);
      if (resized) {
        placeContent(win);
        Qz_LockHostCompose();
        SetAPen(w->RPort, 0);
        RectFill(w->RPort, w->BorderLeft, w->BorderTop, w->Width - w->BorderRight - 1, w->Height - w->BorderBottom - 1);
        Qz_UnlockHostCompose();
        redrawAll(win);
      }
      EndRefresh(w);  // also ends the refresh's clip
      return;
    }
    case IDCMP_REFRESHWINDOW: {
      RefreshDrawLock hold(win);
      beginRefresh(w, im->RefreshLeft, im->RefreshTop, im->RefreshRight, im->RefreshBottom);
      redrawAll(win);
      EndRefresh(w);  // also ends the refresh's clip
      return;
    }
    case IDCMP_CHANGEWINDOW: takeEdges(win); return;
    case IDCMP_RAWKEY:
    case IDCMP_RAWKEYUP:
    case IDCMP_CHAR:
    case IDCMP_ARROWKEY:
    case IDCMP_VANILLAKEY: {
      const QzWord result = Qz_DoMethod(win->content, kRootHandleIDCMP, eventWord);
      if (result == 2 && im->Class == IDCMP_VANILLAKEY) passZoomKey(w, im->Code, im->Qualifier);
      if ((result == 2 && (im->Qualifier & IEQUALIFIER_CONTROL) != 0 && im->Class != IDCMP_RAWKEYUP) ||
          (im->Class == IDCMP_RAWKEY && im->Code == 112)) {
        runShortcut(im->Code, im->Class == IDCMP_RAWKEY);
      }
      return;
    }
    case IDCMP_MENUCOMMAND:
      Qz_DoMethod(win->drawInfo.screenObject, kScreenMenuCommand, im->Code);
      ++win->ticks;
      Qz_DoMethod(win->content, kRootHandleIDCMP, eventWord);
      return;
    case IDCMP_INTUITICKS:
      ++win->ticks;
      maybeShowToolTip(win);
      Qz_DoMethod(win->content, kRootHandleIDCMP, eventWord);
      return;
    default: break;
  }
  // Pointer messages and the rest.
  if (win->drawInfo.pendingRedraws > 0) {
    win->drawInfo.pendingRedraws = 0;
    redrawAll(win);
  }
  if (im->Class == IDCMP_INACTIVEWINDOW) Qz_DoNotify(self, kWindowDeactivated, 1);
  if (win->tipWindow != nullptr &&
      (im->Class == IDCMP_INACTIVEWINDOW || im->Class == IDCMP_MOUSELEFT || im->Class == IDCMP_MOUSEBUTTONS ||
       (im->Class == IDCMP_MOUSEMOVE && win->ticks > 0))) {
    removeToolTip(win);
  }
  win->ticks = 0;
  if (im->TabletData != nullptr) {
    event.tablet = im->TabletData;
    event.pressure = static_cast<uint32_t>(GetTagData(QZ_TABLET_PRESSURE, 0, im->TabletData->Tags));
    event.tabletCursor = im->TabletData->Cursor;
  }
  const bool buttonHeld = (im->Qualifier & (IEQUALIFIER_LEFTBUTTON | IEQUALIFIER_RBUTTON)) != 0;
  if (Qz_DoMethod(win->children, kGroupFirst) != 0) {
    if ((im->Class == IDCMP_MOUSEBUTTONS && im->Code == SELECTUP) || (win->tipWindow == nullptr && !buttonHeld)) {
      Qz_Object* chosen = nullptr;
      if (WindowObject* closed = closePopUps(win, &chosen)) {
        Qz_Object* first = reinterpret_cast<Qz_Object*>(Qz_DoMethod(win->children, kGroupFirst));
        Qz_DoNotify(first, kWindowPopUpChoice, chosen, &closed->header);
        return;
      }
    } else if (routeToChildren(win, w, event)) {
      // A move over this window itself still reaches its gadgets, so a held
      // button can slide from one menu title to the next.
      if (im->Class == IDCMP_MOUSEMOVE && Qz_FindWindowUnderMouse(w) == w) Qz_DoMethod(self, kRootHandleIDCMP, eventWord);
      return;
    }
  }
  if (win->dragObject != nullptr) {
    Window* target = Qz_FindWindowUnderMouse(w);
    Qz_Object* targetObject = target != nullptr ? static_cast<Qz_Object*>(target->OwnerObject) : nullptr;
    if (!isWindowObject(targetObject)) targetObject = nullptr;
    const int32_t sx = w->LeftEdge + Qz_WindowMouseX(w), sy = w->TopEdge + Qz_WindowMouseY(w);
    if (im->Class == IDCMP_MOUSEBUTTONS) {
      QzWord result = 0;
      if (targetObject != nullptr) {
        result = Qz_DoMethod(targetObject, kGroupDrop, win->dragObject, sx - target->LeftEdge, sy - target->TopEdge);
      }
      win->dragFrame.hide();
      Qz_Object* dragged = win->dragObject;
      win->dragObject = nullptr;
      Qz_DoNotify(dragged, kGroupDrop, result, static_cast<uint32_t>(sx), static_cast<uint32_t>(sy));
    } else if (im->Class == IDCMP_MOUSEMOVE) {
      if (targetObject != nullptr)
        Qz_DoMethod(targetObject, kGroupDragOver, win->dragObject, sx - target->LeftEdge, sy - target->TopEdge);
      win->dragX = sx;
      win->dragY = sy;
      showDragFrame(win, sx, sy);
    }
    return;
  }
  Qz_DoMethod(self, kRootHandleIDCMP, eventWord);
  // A move outside this window goes on to the window under the pointer
  // when that one asked for moves over it while another has the mouse.
  if (im->Class == IDCMP_MOUSEMOVE &&
      (Qz_WindowMouseX(w) < 0 || Qz_WindowMouseY(w) < 0 || Qz_WindowMouseX(w) >= w->Width || Qz_WindowMouseY(w) >= w->Height)) {
    Window* other = Qz_FindWindowUnderMouse(w);
    auto* otherObject = other != nullptr ? static_cast<Qz_Object*>(other->OwnerObject) : nullptr;
    if (other != w && isWindowObject(otherObject) && (asWindow(otherObject)->options & kMoveOverOtherWindows) != 0) {
      event.window = other;
      event.mouseX = static_cast<int16_t>(w->LeftEdge + Qz_WindowMouseX(w) - other->LeftEdge);
      event.mouseY = static_cast<int16_t>(w->TopEdge + Qz_WindowMouseY(w) - other->TopEdge);
      Qz_DoMethod(otherObject, kRootHandleIDCMP, eventWord);
    }
  }
}

bool breakPending() { return (SetSignal(0, 0) & SIGBREAKF_CTRL_C) != 0; }

}  // namespace

void Qz__HandleWindow(QzWord windowWord) {
  auto* win = reinterpret_cast<WindowObject*>(windowWord);
  win->threadTask = FindTask(nullptr);
  MsgPort* port = CreateMsgPort();
  if (port == nullptr) return;
  Qz_DoMethod(&win->header, kRootSetAsyncPort, port);
  asyncPortOf(win).store(port, std::memory_order_release);
  bool quit = false;
  while (!quit && std::atomic_ref<int32_t>(win->stop).load(std::memory_order_acquire) == 0) {
    uint32_t mask = (1u << port->mp_SigBit) | SIGBREAKF_CTRL_C;
    if (win->window != nullptr) mask |= 1u << win->window->UserPort->mp_SigBit;
    const uint32_t received = Wait(mask);
    if ((received & SIGBREAKF_CTRL_C) != 0) quit = true;
    while (Message* m = GetMsg(port)) Qz_RunAsyncMessage(m);
    while (win->window != nullptr && !breakPending()) {
      Message* m = GetMsg(win->window->UserPort);
      if (m == nullptr) break;
      auto* im = reinterpret_cast<InputMessage*>(m);
      std::atomic_ref<uint32_t>(Qz_GetGlobalData()->qualifier).store(im->Qualifier, std::memory_order_relaxed);
      if (win->cursor != 0) Qz_SetCursor(win->window, win->cursor);
      handleMessage(win, im);
      if (m->mn_ReplyPort != nullptr) {
        ReplyMsg(m);
      } else {
        FreeVec(m);
      }
    }
    if (!breakPending()) drainChildPorts(win);
    if (breakPending()) quit = true;
  }
  Qz_DoMethod(&win->header, kRootSetAsyncPort, 0);
  asyncPortOf(win).store(nullptr, std::memory_order_release);
  // Calls still queued are freed unrun.
  while (Message* m = GetMsg(port)) Qz_FreeAsyncMsg(m);
  DeleteMsgPort(port);
  removeToolTip(win);
  closeNow(win, true);
  // Disposed from its own thread: the disposal put off until now ends here.
  if (std::atomic_ref<int32_t>(win->stop).load(std::memory_order_acquire) != 0) {
    qz::kit::finishDispose(&win->header);
  }
}

