// Window: a vertical content group (the superclass instance) shown in one
// platform window, with an event thread of its own (window_events.cpp). The
// thread opens and closes the platform window, placed by window_geometry;
// other threads' requests are queued to it.
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <optional>

#include "gadgets/qz_group.h"
#include "gadgets/qz_input_event.h"
#include "gadgets/qz_screen.h"
#include "gadgets/qz_thread.h"
#include "gadgets/qz_window.h"
#include "gadgets/window_geometry.h"
#include "gadgets/window_object.h"
#include "objects/qz_class_kit.h"
#include "objects/async_methods.h"
#include "objects/draw/qz_draw.h"
#include "objects/object_services.h"
#include "objects/qz_notify.h"
#include "objects/qz_root.h"
#include "objects/qz_semaphore.h"
#include "platform/exec.h"
#include "platform/graphics.h"
#include "platform/windows.h"

using namespace qz::gui::window;

namespace {


constexpr uint32_t kFramedFlags = 0x102F;
constexpr uint32_t kWindowIdcmp = 0x12FC071F;
constexpr int32_t kThreadStartTicks = 250;  // 5 s for a new event thread to come up
constexpr int32_t kInspectorWaitTicks = 250;

// Never destroyed: a window's thread may still close its window while the
// process exits.
qz::gui::PositionMemory& positions() {
  static auto* memory = new qz::gui::PositionMemory();
  return *memory;
}

QzWord registerPositionKey(WindowObject* win, uint32_t key) {
  win->positionKey = key;
  return positions().enrol(key);
}

// ---- helpers --------------------------------------------------------------

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

}  // namespace

namespace qz::gui::window {

bool isWindowObject(Qz_Object* o) {
  return o != nullptr && o->self == reinterpret_cast<QzWord>(o) && qz::kit::declOf(o) == &kWindowClass;
}

Qz_LayoutBox* contentBox(WindowObject* win) {
  return reinterpret_cast<Qz_LayoutBox*>(Qz_DoMethod(win->content, kRootGetLayoutBox));
}

void showDragFrame(WindowObject* win, int32_t x, int32_t y) {
  auto* box = reinterpret_cast<Qz_LayoutBox*>(Qz_DoMethod(win->dragObject, kRootGetLayoutBox));
  if (box == nullptr) return;
  win->dragFrame.show(win->screen, box->width, box->height, x, y);
}

bool threadRuns(WindowObject* win) { return asyncPortOf(win).load(std::memory_order_acquire) != nullptr; }

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

void closeNow(WindowObject* win, bool force) {
  if (Qz_ObtainSemaphore(win->semaphore) == 0) return;
  const int16_t count = force ? openCountOf(win).load() : int16_t(openCountOf(win).fetch_add(1) + 1);
  const bool go = (force || count >= 0) && win->window != nullptr;
  Qz_ReleaseSemaphore(win->semaphore);
  if (!go) return;
  // A drag cannot outlive its window: its outline would stay on the screen.
  win->dragFrame.hide();
  win->dragObject = nullptr;
  Window* w = win->window;
  if (win->positionKey != 0) {
    positions().keep(win->positionKey, {w->LeftEdge, w->TopEdge, w->Width - w->BorderLeft - w->BorderRight,
                                        w->Height - w->BorderTop - w->BorderBottom});
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

}  // namespace qz::gui::window

namespace {

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
  // An open still queued when its Screen object closed (the App was closed
  // meanwhile) stays shut; only a window without a Screen object takes the
  // desktop's.
  if (screen == nullptr && screenObject == nullptr) screen = LockPubScreen(win->pubName);
  if (screen == nullptr) return;
  win->screen = screen;
  fillDrawInfo(win, screenObject, screen);
  Qz_DoMethod(win->content, kRootSetDrawInfo, win->info);

  uint32_t flags = win->extraFlags | kindFlags(win->kind);
  Qz_DoMethod(win->content, kRootMeasure);
  Qz_LayoutBox* b = contentBox(win);
  if (b == nullptr) return;
  const qz::gui::SizeLimits limits{b->minWidth, b->minHeight, b->maxWidth, b->maxHeight};
  qz::gui::OpeningRequest request;
  request.x = win->x;
  request.y = win->y;
  request.width = win->w;
  request.height = win->h;
  request.defaultWidth = win->defaultWidth;
  request.defaultHeight = win->defaultHeight;
  request.xOffset = win->xOffset;
  request.yOffset = win->yOffset;
  request.bottomAnchored = win->kind == kWindowKindBottomAnchoredPopUp;
  request.popUp = (win->kind & kWindowKindPopUp) != 0;
  // A pop-up opens at the size its content asks for (a slider's one pixel
  // a value), not squeezed to its minimum.
  if (request.popUp && request.defaultWidth == 0) request.defaultWidth = b->width;
  if (request.popUp && request.defaultHeight == 0) request.defaultHeight = b->height;
  const std::optional<qz::gui::WindowBox> remembered =
      win->positionKey != 0 ? positions().recall(win->positionKey) : std::nullopt;
  qz::gui::WindowBox box = qz::gui::openingBox(request, limits, remembered);
  if (box.width <= 0 || box.height <= 0) return;
  if (request.bottomAnchored) flags |= WFLG_BORDERLESS;
  qz::gui::Surroundings around;
  Qz_GetScreenSize(screen, &around.screenWidth, &around.screenHeight);
  borderSizes(flags, around.borderWidth, around.borderHeight);
  if (win->centre != nullptr) {
    Qz_DoMethod(win->content, kRootPlace, 0, 0, box.width, box.height);
    if (auto* cb = reinterpret_cast<Qz_LayoutBox*>(Qz_DoMethod(win->centre, kRootGetLayoutBox))) {
      around.centreOn = std::make_pair(cb->left + cb->width / 2, cb->top + cb->height / 2);
    }
  }
  if (win->rightOf != nullptr && isWindowObject(win->rightOf)) {
    WindowObject* other = asWindow(win->rightOf);
    for (int i = 0; i < 5 && publishedPlatformWindow(other) == nullptr; ++i) Delay(10);
    around.rightOf = qz::gui::WindowBox{other->x, other->y, other->w, other->h};
  }
  if (win->below != nullptr && isWindowObject(win->below)) {
    WindowObject* other = asWindow(win->below);
    around.below = qz::gui::WindowBox{other->x, other->y, other->w, other->h};
  }
  box = qz::gui::placeOnScreen(box, request, limits, around);

  if (Qz_ObtainSemaphore(win->semaphore) == 0) return;
  const char* screenTitle = reinterpret_cast<const char*>(Qz_DoMethod(screenObject, kScreenGetTitle));
  Window* w = OpenWindowTags(nullptr, WA_Left, box.left, WA_Top, box.top, WA_Width, box.width, WA_Height,
                             box.height, WA_CustomScreen, screen, WA_ReportMouse, 1, WA_IDCMP, kWindowIdcmp, WA_AutoAdjust, 1,
                             WA_Flags, flags, WA_NewLookMenus, 1, WA_Title,
                             win->title[0] != '\0' ? win->title : nullptr, WA_ScreenTitle, screenTitle,
                             WA_TabletMessages, 1, WA_OwnerObject, self, TAG_DONE);
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
    // Where the lit object was found, in the pop-up's own coordinates as the
    // moves that follow keep it: the first move darkens it there.
    win->dragX = mx;
    win->dragY = my;
  }
}

// Grows the window when its content's minimum outgrew it.
void fit(WindowObject* win) {
  Window* w = win->window;
  Qz_LayoutBox* b = contentBox(win);
  if (w == nullptr || b == nullptr || win->screen == nullptr) return;
  qz::gui::Surroundings around;
  Qz_GetScreenSize(win->screen, &around.screenWidth, &around.screenHeight);
  around.borderWidth = w->BorderLeft + w->BorderRight;
  around.borderHeight = w->BorderTop + w->BorderBottom;
  const qz::gui::WindowBox inner{w->LeftEdge, w->TopEdge, w->Width - around.borderWidth,
                                 w->Height - around.borderHeight};
  if (const auto grown =
          qz::gui::grownToContent(inner, {b->minWidth, b->minHeight, b->maxWidth, b->maxHeight}, around)) {
    // The moved-or-sized message that follows places and draws the tree
    // in the new size (it compares with the size last taken).
    ChangeWindowBox(w, static_cast<int16_t>(grown->left), static_cast<int16_t>(grown->top),
                    static_cast<int16_t>(grown->width), static_cast<int16_t>(grown->height));
  }
  setLimits(win);
}

// The content laid out anew in the window's whole inner area, drawn over a
// cleared background so nothing of the old layout stays.
QzWord relayoutNow(WindowObject* win) {
  Window* w = win->window;
  if (w == nullptr) return 0;
  Qz_DoMethod(win->content, kRootMeasure);
  fit(win);
  placeContent(win);
  Qz_RedrawOverClearedBackground(win->content);
  return 1;
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

}  // namespace

// The Window instance inside o: o itself, or the superclass instance of a
// class built on Window (a requester), which is what the hierarchy shows.
static Qz_Object* Qz__WindowInstance(Qz_Object* o) {
  for (int depth = 0; o != nullptr && depth < 64; o = o->super, ++depth)
    if (isWindowObject(o)) return o;
  return nullptr;
}

Window* Qz__PlatformWindowOf(Qz_Object* windowObject) {
  Qz_Object* o = Qz__WindowInstance(windowObject);
  return o ? publishedPlatformWindow(asWindow(o)) : nullptr;
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
    Qz_Object* instance = Qz__WindowInstance(o);
    if (instance == nullptr) continue;
    if (Window* w = publishedPlatformWindow(asWindow(instance))) found = w;
  }
  return found;
}

namespace {

// Disposed from its own thread (one of its gadgets asked), the window ends
// its event loop first; the loop then finishes the disposal.
bool windowDeferDispose(Qz_Object* object) {
  WindowObject* win = asWindow(object);
  openCountOf(win).store(0);
  if (!threadRuns(win) || !onOwnThread(win)) return false;
  std::atomic_ref<int32_t>(win->stop).store(1, std::memory_order_release);
  Signal(win->threadTask, SIGBREAKF_CTRL_C);
  return true;
}

void windowTearDown(Qz_Object* object) {
  WindowObject* win = asWindow(object);
  if (onOwnThread(win)) {
    // The loop has ended and closed the window; nobody else stops the
    // Thread object, so it is disposed on a thread of its own once this
    // entry has returned.
    if (win->thread != nullptr) Qz_AsyncDisposeObject(win->thread);
  } else {
    // The Thread's stop sends the break signal until the event loop has
    // ended; the loop closes the window on its way out.
    Qz_DisposeObject(win->thread);
    closeNow(win, true);
  }
  win->thread = nullptr;
  Qz_DisposeObject(win->children);
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

// A key handed over from another window: the tree takes it as typed here.
QzWord takeKey(WindowObject* win, uint32_t code) {
  Window* w = win->window;
  if (w == nullptr) return 0;
  Qz_InputEvent event{};
  event.window = w;
  event.cls = IDCMP_VANILLAKEY;
  event.code = uint16_t(code);
  event.mouseX = Qz_WindowMouseX(w);
  event.mouseY = Qz_WindowMouseY(w);
  return Qz_DoMethod(win->content, kRootHandleIDCMP, reinterpret_cast<QzWord>(&event));
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
    case kWindowSetBoxTags: return boxFromTags(win, reinterpret_cast<const QzWord*>(args[0]));
    case kGroupBeginDrag:
      win->dragObject = reinterpret_cast<Qz_Object*>(args[0]);
      if (win->window != nullptr) {
        win->dragX = win->window->LeftEdge + Qz_WindowMouseX(win->window);
        win->dragY = win->window->TopEdge + Qz_WindowMouseY(win->window);
        showDragFrame(win, win->dragX, win->dragY);
      }
      return 1;
    case kGroupMenuObject: return 0;
    case kWindowChangeBox: return changeBox(win, args);
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
    case kWindowInertA:
    case kWindowInertB: return 0;
    case kWindowTakeKey: return takeKey(win, uint32_t(args[0]));
    case kWindowRelayout: return relayoutNow(win);
    case kRootLockTree: return Qz_ObtainSemaphore(win->semaphore) != 0 ? 1 : 0;
    case kRootUnlockTree: Qz_ReleaseSemaphore(win->semaphore); return 1;
    case kGroupAddTail:
    case kGroupRemove:
      if (isWindowObject(reinterpret_cast<Qz_Object*>(args[0]))) return Qz_DoMethodA(win->children, id, args);
      return Qz_DoMethodA(win->content, id, args);
    default: return qz::kit::inherited(self, id, args);
  }
}

// The content group is the superclass instance; child windows (pop-ups,
// tool tips) go in a group of their own.
Qz_Object* windowMakeContent(Qz_Object* object) {
  asWindow(object)->content = Qz_CreateSubClassObjects(0, kBuildVGroup, kBuildClose, kBuildEnd);
  return asWindow(object)->content;
}

bool windowSetUp(Qz_Object* object) {
  WindowObject* win = asWindow(object);
  win->semaphore = Qz_AllocSemaphore();
  win->drawInfo.drawSemaphore = Qz_AllocSemaphore();
  win->children = Qz_CreateObjects(0, kBuildHGroup, kBuildClose, kBuildEnd);
  if (win->semaphore == nullptr || win->drawInfo.drawSemaphore == nullptr || win->children == nullptr) {
    Qz_DisposeObject(win->children);
    return false;  // the semaphores go with the instance
  }
  win->children->owner = object;
  win->info = &win->drawInfo;
  win->drawInfo.windowObject = object;
  return true;
}

// Plain settings; the box (x, y, w, h) is stored in object text.
const qz::kit::Attribute kWindowAttributes[] = {
    {.setter = kWindowSetX, .getter = kWindowGetX, .field = qz::kit::field(&WindowObject::x),
     .setterName = "Qz_SetWindowX", .getterName = "Qz_GetWindowX", .answersZero = true},
    {.setter = kWindowSetY, .getter = kWindowGetY, .field = qz::kit::field(&WindowObject::y),
     .setterName = "Qz_SetWindowY", .getterName = "Qz_GetWindowY", .answersZero = true},
    {.setter = kWindowSetW, .getter = kWindowGetW, .field = qz::kit::field(&WindowObject::w),
     .setterName = "Qz_SetWindowW", .getterName = "Qz_GetWindowW", .answersZero = true},
    {.setter = kWindowSetH, .getter = kWindowGetH, .field = qz::kit::field(&WindowObject::h),
     .setterName = "Qz_SetWindowH", .getterName = "Qz_GetWindowH", .answersZero = true},
    {.setter = kWindowSetKind, .getter = kWindowGetKind, .field = qz::kit::field(&WindowObject::kind),
     .answersZero = true},
    {.setter = kWindowSetOptions, .getter = kWindowGetOptions, .field = qz::kit::field(&WindowObject::options)},
    {.setter = kWindowSetCentreObject, .getter = kWindowGetCentreObject,
     .field = qz::kit::field(&WindowObject::centre), .answersZero = true},
    {.setter = kWindowSetXOffset, .field = qz::kit::field(&WindowObject::xOffset), .answersZero = true},
    {.setter = kWindowSetYOffset, .field = qz::kit::field(&WindowObject::yOffset), .answersZero = true},
    {.setter = kWindowSetDefaultWidth, .field = qz::kit::field(&WindowObject::defaultWidth), .answersZero = true},
    {.setter = kWindowSetDefaultHeight, .field = qz::kit::field(&WindowObject::defaultHeight), .answersZero = true},
    {.setter = kWindowSetExtraFlags, .field = qz::kit::field(&WindowObject::extraFlags), .answersZero = true},
    {.setter = kWindowSetRightOf, .field = qz::kit::field(&WindowObject::rightOf), .answersZero = true},
    {.setter = kWindowSetBelow, .field = qz::kit::field(&WindowObject::below), .answersZero = true},
};

}  // namespace

namespace qz::gui::window {

const qz::kit::ClassDecl kWindowClass = {
    .name = "Window", .superName = "Group", .classId = kWindowClassId,
    .instance = qz::kit::instanceOf<WindowObject>(), .handler = windowDispatch,
    .attributes = kWindowAttributes, .makeSuper = windowMakeContent, .setUp = windowSetUp,
    .tearDown = windowTearDown, .deferDispose = windowDeferDispose,
    .notice = "A platform window and the gadgets shown in it", .classValue = 200};

}  // namespace qz::gui::window

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitWindowClass(Qz_GlobalData*) { return qz::kit::addClass(qz::gui::window::kWindowClass); }
QZ_EXPORT void Qz_CleanupWindowClass(void) {
  positions().forgetAll();
  qz::kit::removeClass(qz::gui::window::kWindowClass);
}
QZ_EXTERN_C_END
