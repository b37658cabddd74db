// Window: a vertical content group (the superclass instance) shown in one
// platform window, with an event thread of its own. The thread runs the
// asynchronous calls queued on the window, opens and closes the platform
// window, and turns its input messages into HandleIDCMP calls on the tree.
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <vector>

#include "gadgets/qz_group.h"
#include "gadgets/qz_input_event.h"
#include "gadgets/qz_screen.h"
#include "gadgets/qz_thread.h"
#include "gadgets/qz_window.h"
#include "objects/qz_class_record.h"
#include "objects/async_methods.h"
#include "objects/draw/qz_draw.h"
#include "objects/object_services.h"
#include "objects/qz_notify.h"
#include "objects/qz_root.h"
#include "objects/qz_semaphore.h"
#include "platform/exec.h"
#include "platform/graphics.h"
#include "platform/windows.h"

namespace {

const Qz_Method kWindowMethods[] = {
    {kWindowSetX, "Qz_SetWindowX", kQzMethodSetter, kWindowGetX, "%ld", 0, nullptr, 0, 0},
    {kWindowGetX, "Qz_GetWindowX", kQzMethodStoredGetter, kWindowSetX, nullptr, 0, "%ld", 0, 0},
    {kWindowSetY, "Qz_SetWindowY", kQzMethodSetter, kWindowGetY, "%ld", 0, nullptr, 0, 0},
    {kWindowGetY, "Qz_GetWindowY", kQzMethodStoredGetter, kWindowSetY, nullptr, 0, "%ld", 0, 0},
    {kWindowSetW, "Qz_SetWindowW", kQzMethodSetter, kWindowGetW, "%ld", 0, nullptr, 0, 0},
    {kWindowGetW, "Qz_GetWindowW", kQzMethodStoredGetter, kWindowSetW, nullptr, 0, "%ld", 0, 0},
    {kWindowSetH, "Qz_SetWindowH", kQzMethodSetter, kWindowGetH, "%ld", 0, nullptr, 0, 0},
    {kWindowGetH, "Qz_GetWindowH", kQzMethodStoredGetter, kWindowSetH, nullptr, 0, "%ld", 0, 0},
    {0, nullptr, 0, 0, nullptr, 0, nullptr, 0, 0},
};

Qz_Class gWindowClass;

constexpr std::size_t kTitleBytes = 260;
constexpr uint32_t kFramedFlags = 0x102F;
constexpr uint32_t kWindowIdcmp = 0x12FC071F;
constexpr int32_t kThreadStartTicks = 250;  // 5 s for a new event thread to come up
constexpr int32_t kInspectorWaitTicks = 250;
constexpr uint32_t kMoveOverOtherWindows = 0x1;

struct WindowObject {
  Qz_Object header;
  MsgPort* asyncPort;  // set by the event thread once it runs (atomic access)
  char title[kTitleBytes];
  char threadName[kTitleBytes];
  Qz_Object* thread;
  Qz_Object* decorations[4];
  Qz_Object* content;
  Qz_Object* children;
  Qz_Object* centre;
  uint32_t options;
  uint32_t extraFlags;
  uint32_t kind;
  Qz_DrawInfo drawInfo;
  Qz_DrawInfo* info;
  Window* window;
  Screen* screen;
  char pubName[kTitleBytes];
  int32_t x, y, w, h;
  int32_t defaultWidth, defaultHeight;
  int32_t xOffset, yOffset;
  int32_t dragX, dragY;
  Qz_Object* popUp;
  int16_t openCount;
  Qz_Semaphore* semaphore;
  Task* threadTask;
  Qz_Object* dragObject;
  int32_t stop;
  int32_t ticks;
  Qz_Object* tipWindow;
  Qz_Object* rightOf;
  Qz_Object* below;
  int32_t cursor;
  uint32_t positionKey;
};

WindowObject* asWindow(Qz_Object* o) { return reinterpret_cast<WindowObject*>(o); }

std::atomic_ref<MsgPort*> asyncPortOf(WindowObject* win) { return std::atomic_ref<MsgPort*>(win->asyncPort); }

// Opens and closes are counted on the window's thread and on whoever asks.
std::atomic_ref<int16_t> openCountOf(WindowObject* win) { return std::atomic_ref<int16_t>(win->openCount); }

// Only the window's own thread opens and closes its platform window; other
// threads ask whether it is open, so the field is published with release.
void publishPlatformWindow(WindowObject* win, Window* w) {
  std::atomic_ref<Window*>(win->window).store(w, std::memory_order_release);
}

Window* publishedPlatformWindow(WindowObject* win) {
  return std::atomic_ref<Window*>(win->window).load(std::memory_order_acquire);
}

bool isWindowObject(Qz_Object* o) {
  return o != nullptr && o->self == reinterpret_cast<QzWord>(o) && o->objectClass == &gWindowClass;
}

// ---- position memory ------------------------------------------------------

struct PositionRecord {
  uint32_t key;
  int16_t left, top, width, height;
};

std::mutex gPositionLock;
std::vector<PositionRecord> gPositions;

PositionRecord* findPosition(uint32_t key) {
  for (PositionRecord& r : gPositions) {
    if (r.key == key) return &r;
  }
  return nullptr;
}

QzWord registerPositionKey(WindowObject* win, uint32_t key) {
  win->positionKey = key;
  std::lock_guard<std::mutex> lock(gPositionLock);
  if (findPosition(key) != nullptr) return 1;
  gPositions.push_back({key, 0, 0, 0, 0});
  return key;
}

// ---- helpers --------------------------------------------------------------

Qz_LayoutBox* contentBox(WindowObject* win) {
  return reinterpret_cast<Qz_LayoutBox*>(Qz_DoMethod(win->content, kRootGetLayoutBox));
}

void borderSizes(uint32_t flags, int32_t& bw, int32_t& bh) {
  const bool framed = (flags & WFLG_BORDERLESS) == 0;
  bw = framed ? 2 * kFrameWidth : 0;
  bh = framed ? 2 * kFrameWidth + kCaptionHeight : 0;
}

uint32_t kindFlags(uint32_t kind) {
  if (kind == kWindowKindBottomAnchoredPopUp) return WFLG_BORDERLESS;
  if ((kind & (kWindowKindFramed | kWindowKindColourMatched | kWindowKindFreeStanding)) != 0) return kFramedFlags;
  if ((kind & kWindowKindPopUp) != 0) return WFLG_BORDERLESS;
  if ((kind & kWindowKindActiveBorderless) != 0) return WFLG_BORDERLESS | WFLG_ACTIVATE;
  return WFLG_BORDERLESS;
}

bool onOwnThread(WindowObject* win) {
  return win->threadTask != nullptr && FindTask(nullptr) == win->threadTask;
}

bool threadRuns(WindowObject* win) { return asyncPortOf(win).load(std::memory_order_acquire) != nullptr; }

void setLimits(WindowObject* win) {
  Window* w = win->window;
  Qz_LayoutBox* b = contentBox(win);
  if (w == nullptr || b == nullptr) return;
  const int32_t bw = w->BorderLeft + w->BorderRight, bh = w->BorderTop + w->BorderBottom;
  WindowLimits(w, static_cast<int16_t>(std::min(b->minWidth + bw, 0x7FFF)),
               static_cast<int16_t>(std::min(b->minHeight + bh, 0x7FFF)),
               static_cast<int16_t>(std::min(b->maxWidth + bw, 0x7FFF)),
               static_cast<int16_t>(std::min(b->maxHeight + bh, 0x7FFF)));
}

// Other threads (an image view's redraw thread) read the boxes under the
// window's draw lock, so they are placed under it.
void placeContent(WindowObject* win) {
  Window* w = win->window;
  if (w == nullptr) return;
  const bool locked = Qz_ObtainSemaphore(win->drawInfo.drawSemaphore) != 0;
  Qz_DoMethod(win->content, kRootPlace, w->BorderLeft, w->BorderTop, w->Width - w->BorderLeft - w->BorderRight,
              w->Height - w->BorderTop - w->BorderBottom);
  if (locked) Qz_ReleaseSemaphore(win->drawInfo.drawSemaphore);
}

void takeEdges(WindowObject* win) {
  if (win->window == nullptr) return;
  win->x = win->window->LeftEdge;
  win->y = win->window->TopEdge;
  win->w = win->window->Width;
  win->h = win->window->Height;
}

// ---- opening and closing --------------------------------------------------

void fillDrawInfo(WindowObject* win, Qz_Object* screenObject, Screen* screen) {
  Qz_DrawInfo& d = win->drawInfo;
  d.windowObject = &win->header;
  d.screenObject = screenObject;
  d.screen = screen;
  d.rastPort = &screen->RastPort;
  d.fontHeight = screen->RastPort.TxHeight != 0 ? screen->RastPort.TxHeight : 13;
  d.frameWidth = 2;
  d.frameHeight = 2;
  const uint32_t background = Qz_GetScreenPens()[0];
  const auto channel = [background](int shift) { return (background >> shift) & 0xFF; };
  const auto darker = [](uint32_t c) { return c > 0x32 ? c - 0x32 : 0; };
  const auto word = [](uint32_t c) { return c * 0x01010101u; };
  d.backgroundPen = 0;
  d.darkPen = 1;
  d.lightPen = 2;
  d.highlightPen = 3;
  d.linePen = ObtainBestPenA(nullptr, word(darker(channel(0))), word(darker(channel(8))), word(darker(channel(16))),
                             nullptr);
  d.framePen = ObtainBestPenA(nullptr, word(0x99), word(0x99), word(0x99), nullptr);
  d.disabledPen = ObtainBestPenA(nullptr, word(0x80), word(0x80), word(0x80), nullptr);
  d.directColours = 1;
  Qz_DoMethod(win->content, kRootSetBaseColour, background);
}

void openNow(WindowObject* win) {
  if (Qz_ObtainSemaphore(win->semaphore) == 0) return;
  const bool go = openCountOf(win).fetch_sub(1) - 1 <= 0 && win->window == nullptr;
  Qz_ReleaseSemaphore(win->semaphore);
  if (!go) return;

  Qz_Object* self = &win->header;
  Qz_Object* screenObject = Qz_SearchHierachyForClassId(self, kScreenClassId);
  Screen* screen = reinterpret_cast<Screen*>(Qz_DoMethod(screenObject, kScreenGetPlatformScreen));
  if (screen == nullptr) screen = LockPubScreen(win->pubName);
  if (screen == nullptr) return;
  win->screen = screen;
  fillDrawInfo(win, screenObject, screen);
  Qz_DoMethod(win->content, kRootSetDrawInfo, win->info);

  uint32_t flags = win->extraFlags | kindFlags(win->kind);
  Qz_DoMethod(win->content, kRootMeasure);
  Qz_LayoutBox* b = contentBox(win);
  if (b == nullptr) return;
  int32_t width = win->w != 0 ? win->w : win->defaultWidth != 0 ? win->defaultWidth : b->minWidth;
  int32_t height = win->h != 0 ? win->h : win->defaultHeight != 0 ? win->defaultHeight : b->minHeight;
  int32_t left = win->x, top = win->y;
  if (win->positionKey != 0) {
    std::lock_guard<std::mutex> lock(gPositionLock);
    if (PositionRecord* r = findPosition(win->positionKey); r != nullptr && r->width != 0 && r->height != 0) {
      left = r->left;
      top = r->top;
      width = r->width;
      height = r->height;
    }
  }
  width = std::clamp<int32_t>(width, b->minWidth, std::max<int32_t>(b->minWidth, b->maxWidth));
  height = std::clamp<int32_t>(height, b->minHeight, std::max<int32_t>(b->minHeight, b->maxHeight));
  if (width <= 0 || height <= 0) return;
  if (win->kind == kWindowKindBottomAnchoredPopUp) {
    flags |= WFLG_BORDERLESS;
    top -= height;
  }
  if (win->centre != nullptr) {
    Qz_DoMethod(win->content, kRootPlace, 0, 0, width, height);
    if (auto* cb = reinterpret_cast<Qz_LayoutBox*>(Qz_DoMethod(win->centre, kRootGetLayoutBox))) {
      left -= cb->left + cb->width / 2;
      top -= cb->top + cb->height / 2;
    }
  }
  int32_t bw = 0, bh = 0;
  borderSizes(flags, bw, bh);
  if (static_cast<uint32_t>(win->x) == kWindowCentred) {
    left = (screen->Width - width - bw) / 2;
  } else {
    left += win->xOffset;
  }
  if (static_cast<uint32_t>(win->y) == kWindowCentred) {
    top = (screen->Height - height - bh) / 2;
  } else {
    top += win->yOffset;
  }
  if (win->rightOf != nullptr && isWindowObject(win->rightOf)) {
    WindowObject* other = asWindow(win->rightOf);
    for (int i = 0; i < 5 && other->window == nullptr; ++i) Delay(10);
    left = other->x + other->w;
  }
  if (win->below != nullptr && isWindowObject(win->below)) {
    WindowObject* other = asWindow(win->below);
    top = other->y + other->h;
  }
  // Keep it on the screen, giving up room only down to the minimum.
  if (top + height + bh > screen->Height) height = std::max<int32_t>(b->minHeight, screen->Height - top - bh);
  if (top < 0) {
    height = std::max<int32_t>(b->minHeight, height + top);
    top = 0;
  }
  if ((win->kind & kWindowKindPopUp) != 0 && left + width + bw > screen->Width) left = screen->Width - width - bw - 8;
  if (left + width + bw > screen->Width) width = std::max<int32_t>(b->minWidth, screen->Width - left - bw);
  if (left < 0) {
    width = std::max<int32_t>(b->minWidth, width + left);
    left = 0;
  }

  if (Qz_ObtainSemaphore(win->semaphore) == 0) return;
  const char* screenTitle = reinterpret_cast<const char*>(Qz_DoMethod(screenObject, kScreenGetTitle));
  Window* w = OpenWindowTags(nullptr, WA_Left, left, WA_Top, top, WA_Width, width, WA_Height, height,
                             WA_CustomScreen, screen, QzWord{0x80000086}, 1, WA_IDCMP, kWindowIdcmp,
                             QzWord{0x80000090}, 1, WA_Flags, flags, QzWord{0x80000093}, 1, WA_Title,
                             win->title[0] != '\0' ? win->title : nullptr, QzWord{0x8000006F}, screenTitle,
                             QzWord{0x8000009A}, 1, WA_OwnerObject, self, TAG_DONE);
  if (w == nullptr) {
    Qz_ReleaseSemaphore(win->semaphore);
    return;
  }
  publishPlatformWindow(win, w);
  win->drawInfo.window = w;
  win->drawInfo.rastPort = w->RPort;
  takeEdges(win);
  Qz_ReleaseSemaphore(win->semaphore);
  if (win->cursor != 0) Qz_SetCursor(w, win->cursor);
  placeContent(win);
  setLimits(win);
  if ((win->kind & kWindowKindPopUp) != 0) {
    Qz_DoMethod(win->content, kRootDraw);
    // Opened beside the pointer (a menu below its title), nothing is under it yet.
    const int16_t mx = Qz_WindowMouseX(w), my = Qz_WindowMouseY(w);
    const bool inside = mx >= 0 && my >= 0 && mx < w->Width && my < w->Height;
    win->popUp = inside ? reinterpret_cast<Qz_Object*>(Qz_DoMethod(win->content, kRootObjectAtPoint, mx, my)) : nullptr;
    win->dragX = w->LeftEdge + Qz_WindowMouseX(w);
    win->dragY = w->TopEdge + Qz_WindowMouseY(w);
  }
}

void closeNow(WindowObject* win, bool force = false) {
  if (Qz_ObtainSemaphore(win->semaphore) == 0) return;
  const int16_t count = force ? openCountOf(win).load() : int16_t(openCountOf(win).fetch_add(1) + 1);
  const bool go = (force || count >= 0) && win->window != nullptr;
  Qz_ReleaseSemaphore(win->semaphore);
  if (!go) return;
  Window* w = win->window;
  if (win->positionKey != 0) {
    std::lock_guard<std::mutex> lock(gPositionLock);
    if (PositionRecord* r = findPosition(win->positionKey)) {
      r->left = static_cast<int16_t>(w->LeftEdge);
      r->top = static_cast<int16_t>(w->TopEdge);
      r->width = static_cast<int16_t>(w->Width - w->BorderLeft - w->BorderRight);
      r->height = static_cast<int16_t>(w->Height - w->BorderTop - w->BorderBottom);
    }
  }
  takeEdges(win);
  win->w = w->Width - w->BorderLeft - w->BorderRight;
  win->h = w->Height - w->BorderTop - w->BorderBottom;
  Qz_DoMethod(win->content, kRootSetDrawInfo, 0);
  // Readers of sizes and fonts lower this count under the class-list lock;
  // the wait sleeps without any lock so they can.
  for (int i = 0; i < kInspectorWaitTicks &&
                  std::atomic_ref<int32_t>(win->drawInfo.inspectors).load(std::memory_order_acquire) > 0;
       ++i) {
    Delay(1);
  }
  if (Qz_ObtainSemaphore(win->drawInfo.drawSemaphore) != 0) {
    win->drawInfo.window = nullptr;
    win->drawInfo.rastPort = nullptr;
    Qz_ReleaseSemaphore(win->drawInfo.drawSemaphore);
  } else {
    win->drawInfo.window = nullptr;
    win->drawInfo.rastPort = nullptr;
  }
  if (Qz_ObtainSemaphore(win->semaphore) != 0) {
    publishPlatformWindow(win, nullptr);
    Qz_ReleaseSemaphore(win->semaphore);
  } else {
    publishPlatformWindow(win, nullptr);
  }
  CloseWindow(w);
}

// Grows the window when its content's minimum outgrew it.
void fit(WindowObject* win) {
  Window* w = win->window;
  Qz_LayoutBox* b = contentBox(win);
  if (w == nullptr || b == nullptr || win->screen == nullptr) return;
  const int32_t bw = w->BorderLeft + w->BorderRight, bh = w->BorderTop + w->BorderBottom;
  int32_t innerW = w->Width - bw, innerH = w->Height - bh;
  bool grew = false;
  if (b->minWidth > innerW) {
    innerW = std::min<int32_t>(b->minWidth, win->screen->Width - bw);
    grew = true;
  }
  if (b->minHeight > innerH) {
    innerH = std::min<int32_t>(b->minHeight, win->screen->Height - bh);
    grew = true;
  }
  if (grew) {
    int32_t left = std::min<int32_t>(w->LeftEdge, win->screen->Width - innerW - bw);
    int32_t top = std::min<int32_t>(w->TopEdge, win->screen->Height - innerH - bh);
    // The moved-or-sized message that follows places and draws the tree
    // in the new size (it compares with the size last taken).
    ChangeWindowBox(w, static_cast<int16_t>(std::max(left, 0)), static_cast<int16_t>(std::max(top, 0)),
                    static_cast<int16_t>(innerW), static_cast<int16_t>(innerH));
  }
  setLimits(win);
}

// ---- show / hide / open / close requests ---------------------------------

QzWord requestOpen(WindowObject* win) {
  if (threadRuns(win) && !onOwnThread(win)) {
    Qz_DoAsyncMethod(&win->header, kWindowOpen);
  } else if (onOwnThread(win) || (win->kind & kWindowKindPopUp) != 0) {
    openNow(win);
  } else {
    openCountOf(win).fetch_sub(1);
  }
  return static_cast<uint32_t>(static_cast<int32_t>(openCountOf(win).load()));
}

// Waits (bounded) until the window's thread has handled everything queued
// before this call. A hide from another thread comes before the screen or
// the tree above is torn down, so the open or close still queued must be
// done with the screen before the hide returns.
void awaitQueuedCalls(WindowObject* win) {
  // On the heap: when the wait gives up, the queued poke still writes here
  // later, so the word is then left to it rather than freed.
  auto* done = new uint32_t(0);
  if (Qz_DoAsyncMethod(&win->header, kRootPoke32, done, 1) == 0) {
    delete done;
    return;
  }
  for (int i = 0; i < kThreadStartTicks && std::atomic_ref<uint32_t>(*done).load(std::memory_order_acquire) == 0; ++i) {
    Delay(1);
  }
  if (std::atomic_ref<uint32_t>(*done).load(std::memory_order_acquire) != 0) delete done;
}

QzWord requestClose(WindowObject* win, bool waitForThread) {
  if (threadRuns(win) && !onOwnThread(win)) {
    Qz_DoAsyncMethod(&win->header, kWindowClose);
    if (waitForThread) awaitQueuedCalls(win);
  } else if (onOwnThread(win) || (win->kind & kWindowKindPopUp) != 0) {
    closeNow(win);
  } else {
    openCountOf(win).fetch_add(1);
  }
  return static_cast<uint32_t>(static_cast<int32_t>(openCountOf(win).load()));
}

QzWord startThread(WindowObject* win) {
  if (threadRuns(win)) return 1;
  if (win->thread == nullptr) {
    win->thread = Qz_CreateObject("Thread", kThreadSetEntry, reinterpret_cast<void*>(&Qz__HandleWindow),
                                  kRootSetUserData, &win->header, kThreadSetStackSize, 32768, kThreadSetName,
                                  win->threadName);
    if (win->thread == nullptr) return 0;
  }
  Qz_DoMethod(win->thread, kRootOpen);
  // A thread that never comes up fails the open instead of hanging it.
  for (int i = 0; i < kThreadStartTicks && !threadRuns(win); ++i) Delay(1);
  return threadRuns(win) ? 1 : 0;
}

QzWord openObject(Qz_Object* self, const QzWord* args) {
  WindowObject* win = asWindow(self);
  if (win->kind != kWindowKindPopUp) {
    if (startThread(win) != 0) Qz_DoAsyncMethod(self, kWindowOpen);
  } else {
    openCountOf(win).fetch_sub(1);
  }
  return Qz_DoMethodA(win->content, kRootOpen, args);
}

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
      if (child->popUp == nullptr || Qz_IsCoordOverObject(child->popUp, e.mouseX, e.mouseY) == 0) {
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

void runShortcut(uint32_t code) {
  Qz_GlobalData* g = Qz_GetGlobalData();
  if (g->shortcutList == nullptr) return;
  // Found under the lock, called without it: the call may open a requester.
  Qz_Object* target = nullptr;
  std::vector<QzWord> words;
  ObtainSemaphore(&g->classListLock);
  for (Node* n = g->shortcutList->lh_Head; n->ln_Succ != nullptr; n = n->ln_Succ) {
    auto* key = reinterpret_cast<Qz_ShortcutKey*>(n);
    if (key->keyCode != code || key->count == 0) continue;
    target = key->target;
    const QzWord* w = Qz_ShortcutKeyWords(key);
    words.assign(w, w + key->count);
    break;
  }
  ReleaseSemaphore(&g->classListLock);
  if (target == nullptr || words.empty()) return;
  words.resize(words.size() + qz::kPackedTailWords, 0);
  Qz_DoMethodA(target, static_cast<uint32_t>(words[0]), words.data() + 1);
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
      if ((result == 2 && (im->Qualifier & IEQUALIFIER_CONTROL) != 0 && im->Class != IDCMP_RAWKEYUP) ||
          (im->Class == IDCMP_RAWKEY && im->Code == 112)) {
        runShortcut(im->Code);
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
      Qz_Object* dragged = win->dragObject;
      win->dragObject = nullptr;
      Qz_DoNotify(dragged, kGroupDrop, result, static_cast<uint32_t>(sx), static_cast<uint32_t>(sy));
    } else if (im->Class == IDCMP_MOUSEMOVE && targetObject != nullptr) {
      Qz_DoMethod(targetObject, kGroupDragOver, win->dragObject, sx - target->LeftEdge, sy - target->TopEdge);
      win->dragX = sx;
      win->dragY = sy;
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

// Closes and frees everything the window holds; the object is gone after.
void freeWindow(WindowObject* win, bool fromOwnThread);

std::atomic<int32_t> gWindowThreads{0};

}  // namespace

void Qz__HandleWindow(QzWord windowWord) {
  auto* win = reinterpret_cast<WindowObject*>(windowWord);
  gWindowThreads.fetch_add(1, std::memory_order_relaxed);
  win->threadTask = FindTask(nullptr);
  MsgPort* port = CreateMsgPort();
  if (port == nullptr) {
    gWindowThreads.fetch_sub(1, std::memory_order_relaxed);
    return;
  }
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
  freeWindow(win, std::atomic_ref<int32_t>(win->stop).load(std::memory_order_acquire) != 0);
  gWindowThreads.fetch_sub(1, std::memory_order_relaxed);
}

Window* Qz__PlatformWindowOf(Qz_Object* windowObject) {
  return isWindowObject(windowObject) ? publishedPlatformWindow(asWindow(windowObject)) : nullptr;
}

uint32_t Qz__WindowKindOf(void* windowObject) {
  auto* o = static_cast<Qz_Object*>(windowObject);
  return isWindowObject(o) ? asWindow(o)->kind : 0;
}

Window* Qz__OwnerPlatformWindowOf(void* windowObject) {
  auto* o = static_cast<Qz_Object*>(windowObject);
  if (!isWindowObject(o)) return nullptr;
  Window* found = nullptr;
  // Up through the containers: a pop-up sits in its window's child-window
  // group, which reports to that window.
  for (int depth = 0; depth < 64 && o != nullptr; ++depth) {
    Qz_Object* parent = Qz_GetParentObject(o);
    if (parent == nullptr) break;
    o = Qz_GetTopMostObject(parent);
    if (!isWindowObject(o)) continue;
    if (Window* w = publishedPlatformWindow(asWindow(o))) found = w;
  }
  return found;
}

namespace {

void freeWindow(WindowObject* win, bool fromOwnThread) {
  closeNow(win, true);
  Qz_DisposeObject(win->children);
  Qz_DisposeObject(win->content);
  Qz_FreeSemaphore(win->drawInfo.drawSemaphore);
  Qz_FreeSemaphore(win->semaphore);
  // Disposed from its own thread, nobody else stops the Thread object: it
  // is disposed on a thread of its own once this entry has returned.
  if (fromOwnThread && win->thread != nullptr) Qz_AsyncDisposeObject(win->thread);
  Qz_FreeObjectMem(&win->header);
}

void windowDispose(Qz_Object* object) {
  WindowObject* win = asWindow(object);
  openCountOf(win).store(0);
  if (!threadRuns(win)) {
    Qz_Object* thread = win->thread;
    freeWindow(win, false);
    Qz_DisposeObject(thread);
    return;
  }
  if (onOwnThread(win)) {
    std::atomic_ref<int32_t>(win->stop).store(1, std::memory_order_release);
    Signal(win->threadTask, SIGBREAKF_CTRL_C);
    return;
  }
  // The Thread's stop sends the break signal until the event loop has
  // ended; the loop frees the window.
  Qz_DisposeObject(win->thread);
}

QzWord setTitle(WindowObject* win, QzWord text) {
  const char* t = reinterpret_cast<const char*>(text);
  std::snprintf(win->title, sizeof win->title, "%s", t != nullptr ? t : "");
  std::snprintf(win->threadName, sizeof win->threadName, "Qz Window%.250s", win->title);
  if (win->window != nullptr && Qz_ObtainSemaphore(win->semaphore) != 0) {
    const char* screenTitle =
        reinterpret_cast<const char*>(Qz_DoMethod(win->drawInfo.screenObject, kScreenGetTitle));
    if (win->window != nullptr) SetWindowTitles(win->window, win->title, screenTitle);
    Qz_ReleaseSemaphore(win->semaphore);
  }
  return 0;
}

QzWord changeBox(WindowObject* win, const QzWord* args) {
  if (Qz_ObtainSemaphore(win->semaphore) == 0) return 0;
  if (win->window != nullptr) {
    ChangeWindowBox(win->window, static_cast<int16_t>(args[0]), static_cast<int16_t>(args[1]),
                    static_cast<int16_t>(args[2]), static_cast<int16_t>(args[3]));
  } else {
    win->x = static_cast<int32_t>(args[0]);
    win->y = static_cast<int32_t>(args[1]);
    win->w = static_cast<int32_t>(args[2]);
    win->h = static_cast<int32_t>(args[3]);
  }
  Qz_ReleaseSemaphore(win->semaphore);
  return 1;
}

QzWord boxFromTags(WindowObject* win, const QzWord* tags) {
  for (const QzWord* t = tags; t != nullptr && *t != 0; t += 2) {
    const int32_t v = static_cast<int32_t>(t[1]);
    switch (static_cast<uint32_t>(t[0])) {
      case kWindowSetX: win->x = v; break;
      case kWindowSetY: win->y = v; break;
      case kWindowSetW: win->w = v; break;
      case kWindowSetH: win->h = v; break;
      default: break;
    }
  }
  return 0;
}

QzWord windowDispatch(Qz_Object* self, uint32_t id, const QzWord* args) {
  WindowObject* win = asWindow(self);
  switch (id) {
    case kRootOpen: return openObject(self, args);
    case kRootClose: return 0;
    case kRootShow:
    case kWindowOpen: return requestOpen(win);
    case kRootHide: return requestClose(win, true);
    case kWindowClose: return requestClose(win, false);
    case kRootMeasure:
    case kRootPlace: {
      const QzWord r = Qz_DoMethodA(win->content, id, args);
      if (win->window != nullptr) fit(win);
      return r;
    }
    case kWindowSetTitle: return setTitle(win, args[0]);
    case kWindowGetTitle: return reinterpret_cast<QzWord>(win->title);
    case kWindowSetKind: win->kind = static_cast<uint32_t>(args[0]); return 0;
    case kWindowGetKind: return win->kind;
    case kWindowSetOptions: win->options = static_cast<uint32_t>(args[0]); return win->options;
    case kWindowGetOptions: return win->options;
    case kWindowSetCentreObject: win->centre = reinterpret_cast<Qz_Object*>(args[0]); return 0;
    case kWindowGetCentreObject: return reinterpret_cast<QzWord>(win->centre);
    case kWindowSetBoxTags: return boxFromTags(win, reinterpret_cast<const QzWord*>(args[0]));
    case kWindowSetX: win->x = static_cast<int32_t>(args[0]); return 0;
    case kWindowGetX: return static_cast<uint32_t>(win->x);
    case kWindowSetY: win->y = static_cast<int32_t>(args[0]); return 0;
    case kWindowGetY: return static_cast<uint32_t>(win->y);
    case kWindowSetW: win->w = static_cast<int32_t>(args[0]); return 0;
    case kWindowGetW: return static_cast<uint32_t>(win->w);
    case kWindowSetH: win->h = static_cast<int32_t>(args[0]); return 0;
    case kWindowGetH: return static_cast<uint32_t>(win->h);
    case kWindowSetXOffset: win->xOffset = static_cast<int32_t>(args[0]); return 0;
    case kWindowSetYOffset: win->yOffset = static_cast<int32_t>(args[0]); return 0;
    case kWindowSetDefaultWidth: win->defaultWidth = static_cast<int32_t>(args[0]); return 0;
    case kWindowSetDefaultHeight: win->defaultHeight = static_cast<int32_t>(args[0]); return 0;
    case kWindowSetExtraFlags: win->extraFlags = static_cast<uint32_t>(args[0]); return 0;
    case kGroupBeginDrag:
      win->dragObject = reinterpret_cast<Qz_Object*>(args[0]);
      if (win->window != nullptr) {
        win->dragX = win->window->LeftEdge + Qz_WindowMouseX(win->window);
        win->dragY = win->window->TopEdge + Qz_WindowMouseY(win->window);
      }
      return 1;
    case kGroupMenuObject: return 0;
    case kWindowChangeBox: return changeBox(win, args);
    case kWindowSetRightOf: win->rightOf = reinterpret_cast<Qz_Object*>(args[0]); return 0;
    case kWindowSetBelow: win->below = reinterpret_cast<Qz_Object*>(args[0]); return 0;
    case kWindowSetCursor:
      win->cursor = static_cast<int32_t>(args[0]);
      if (win->window != nullptr && Qz_ObtainSemaphore(win->semaphore) != 0) {
        if (win->window != nullptr) Qz_SetCursor(win->window, win->cursor);
        Qz_ReleaseSemaphore(win->semaphore);
      }
      return static_cast<uint32_t>(win->cursor);
    case kWindowGetCursor: return static_cast<uint32_t>(win->cursor);
    case kWindowSetPositionKey: return registerPositionKey(win, static_cast<uint32_t>(args[0]));
    case kWindowGetPositionKey: return win->positionKey;
    case kWindowFireClose: Qz_DoNotify(self, kWindowClose, 1); return 0;
    case kWindowToFront:
      if (win->window != nullptr) WindowToFront(win->window);
      return 0;
    case 0x90244:
    case 0x9024E: return 0;
    case kRootLockTree: return Qz_ObtainSemaphore(win->semaphore) != 0 ? 1 : 0;
    case kRootUnlockTree: Qz_ReleaseSemaphore(win->semaphore); return 1;
    case kGroupAddTail:
    case kGroupRemove:
      if (isWindowObject(reinterpret_cast<Qz_Object*>(args[0]))) return Qz_DoMethodA(win->children, id, args);
      return Qz_DoMethodA(win->content, id, args);
    default: return Qz_DoMethodA(win->content, id, args);
  }
}

Qz_Object* windowNew(Qz_Class* objectClass, const QzWord* args) {
  (void)args;
  Qz_Object* object = Qz_AllocObjectMem(objectClass);
  if (object == nullptr) return nullptr;
  WindowObject* win = asWindow(object);
  win->content = Qz_CreateSubClassObjects(0, kBuildVGroup, kBuildClose, kBuildEnd);
  win->semaphore = Qz_AllocSemaphore();
  win->drawInfo.drawSemaphore = Qz_AllocSemaphore();
  win->children = Qz_CreateObjects(0, kBuildHGroup, kBuildClose, kBuildEnd);
  if (win->content == nullptr || win->semaphore == nullptr || win->drawInfo.drawSemaphore == nullptr ||
      win->children == nullptr) {
    Qz_DisposeObject(win->content);
    Qz_DisposeObject(win->children);
    Qz_FreeSemaphore(win->semaphore);
    Qz_FreeSemaphore(win->drawInfo.drawSemaphore);
    Qz_FreeObjectMem(object);
    return nullptr;
  }
  object->super = win->content;
  win->children->owner = object;
  win->info = &win->drawInfo;
  win->drawInfo.windowObject = object;
  std::snprintf(win->pubName, sizeof win->pubName, "Desktop");
  std::snprintf(win->threadName, sizeof win->threadName, "Qz Window");
  win->openCount = 1;
  return object;
}

}  // namespace

QzWord Qz_InitWindowClass(Qz_GlobalData* globalData) {
  (void)globalData;
  static const Qz_ClassSpec spec = {
      "Window", "A platform window and the gadgets shown in it", kWindowClassId, "Group",
      windowNew, windowDispose, windowDispatch, kWindowMethods,
      sizeof(WindowObject), 200};
  return Qz_RegisterClassRecord(&gWindowClass, &spec);
}

void Qz_CleanupWindowClass(Qz_GlobalData* globalData) {
  (void)globalData;
  {
    std::lock_guard<std::mutex> lock(gPositionLock);
    gPositions.clear();
  }
  Qz_UnregisterClassRecord(&gWindowClass);
}
