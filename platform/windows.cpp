// Window records, the one screen, stacking and the one way input messages are
// made. Opening and closing are synchronous: there is no thread per window,
// so a window is in the list, stacked and drawable when OpenWindowTagList
// returns, and gone (with everything queued on its port) when CloseWindow does.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

#include "host/fonts/font.h"
#include "host/host_backend.h"
#include "host/host_input.h"
#include "platform/windows_internal.h"

namespace qz::win {

namespace {

// Reached through OpenLibrary("intuition.library"); nothing reads inside it.
struct IntuitionBlock {
  List* windowList;
  Desk* desk;
} gIntuition;

std::mutex gScreenOpenLock;  // serialises the first OpenScreenTagList
std::string gScreenTitle;

constexpr uint32_t kFaceColour = 0x00C8D0D4;  // COLORREF of the 3D face
constexpr int kMaxSide = 32767;

void ensureStarted() {
  static std::once_flag once;
  std::call_once(once, [] {
    Desk& d = desk();
    NewList(&d.windowList);
    gIntuition.windowList = &d.windowList;
    gIntuition.desk = &d;
    Qz__SetIntuitionBase(reinterpret_cast<Library*>(&gIntuition));
    d.started = true;
  });
}

int clampSide(int v) { return std::clamp(v, 1, kMaxSide); }

// The band a window is stacked in: kind 64 and the pop-ups that belong to one
// sit above the main window's children.
Band bandFor(uint32_t kind, Window* parent) {
  if (kind == kWindowKindTopLevel) return kBandTopLevel;
  if ((kind & kWindowKindPopUpChild) && parent && hostOf(parent) && hostOf(parent)->band == kBandTopLevel)
    return kBandTopLevel;
  return kBandChildren;
}

void insertInStack(Window* w) {
  Desk& d = desk();
  const Band band = hostOf(w)->band;
  auto it = d.stack.begin();
  while (it != d.stack.end() && hostOf(*it)->band <= band) ++it;
  d.stack.insert(it, w);
}

void freeWindow(Window* w) {
  delete hostOf(w);
  FreeVec(w);
}

}  // namespace

Desk& desk() {
  static Desk* d = new Desk;  // lives for the process: back-end threads may outlast main
  return *d;
}

WindowHost* hostOf(Window* w) { return w ? static_cast<WindowHost*>(w->HostContext) : nullptr; }

IntRect boxOf(const Window* w) { return {w->LeftEdge, w->TopEdge, w->LeftEdge + w->Width, w->TopEdge + w->Height}; }

void markDirty(const IntRect& r) { desk().dirty = desk().dirty.unite(r); }

Window* windowAt(int x, int y) {
  Desk& d = desk();
  for (auto it = d.stack.rbegin(); it != d.stack.rend(); ++it)
    if (boxOf(*it).contains(x, y)) return *it;
  return nullptr;
}

void bringToTop(Window* w) {
  Desk& d = desk();
  auto it = std::find(d.stack.begin(), d.stack.end(), w);
  if (it == d.stack.end()) return;
  d.stack.erase(it);
  insertInStack(w);
  markDirty(boxOf(w));
}

void postSimple(Window* w, uint32_t cls, uint16_t code, uint16_t qualifier) {
  Qz__PostInputMessage(w, cls, code, qualifier, 1, 0, 0, 0, 0);
}

uint16_t currentQualifier(bool withAlt) {
  Desk& d = desk();
  uint16_t q = d.qualifier & (IEQUALIFIER_LEFTBUTTON | IEQUALIFIER_RBUTTON);
  if (d.modifiers & host::kModShift) q |= IEQUALIFIER_SHIFT;
  if (d.modifiers & host::kModControl) q |= IEQUALIFIER_CONTROL;
  if (withAlt && (d.modifiers & host::kModAlt)) q |= IEQUALIFIER_ALT;
  d.qualifier = q;
  return q;
}

// The previous active window hears it lost activation before the new one
// hears it gained it; both captions are repainted.
void activate(Window* w) {
  Desk& d = desk();
  if (!w || w->Starting || d.active == w) return;
  Window* old = d.active;
  if (old) {
    postSimple(old, IDCMP_INACTIVEWINDOW, 0, currentQualifier(true));
    drawFrame(old);
  }
  d.active = w;
  postSimple(w, IDCMP_ACTIVEWINDOW, 0, currentQualifier(true));
  drawFrame(w);
  bringToTop(w);
}

}  // namespace qz::win

using namespace qz::win;

QZ_EXTERN_C_BEGIN

void Qz_SetWindowHooks(const QzWindowHooks* hooks) {
  ensureStarted();
  std::lock_guard<std::recursive_mutex> lock(desk().lock);
  desk().hooks = hooks ? *hooks : QzWindowHooks{};
}

uint32_t init_graphics(void) {
  ensureStarted();
  qz::host::backend();
  return 1;
}

void cleanup_graphics(void) {
  Desk& d = desk();
  if (!d.started) return;
  std::lock_guard<std::mutex> open(gScreenOpenLock);
  bool hadScreen;
  {
    std::lock_guard<std::recursive_mutex> lock(d.lock);
    hadScreen = d.screen != nullptr;
  }
  if (hadScreen) qz::host::backend().stop();
}

Screen* OpenScreenTagList(NewScreen*, const TagItem* tags) {
  ensureStarted();
  Desk& d = desk();
  std::lock_guard<std::mutex> open(gScreenOpenLock);
  {
    std::lock_guard<std::recursive_mutex> lock(d.lock);
    if (d.screen) return d.screen;
  }
  auto* s = static_cast<Screen*>(AllocVec(sizeof(Screen), MEMF_CLEAR));
  if (!s) return nullptr;
  qz::host::Backend& host = qz::host::backend();
  // The back end decides the face: the fixed one headless, so layouts are exact.
  qz::fonts::chooseDefaultFont(std::strcmp(host.name(), "headless") == 0 ? qz::fonts::FontChoice::Fixed
                                                                         : qz::fonts::FontChoice::Interface);
  int width = 0, height = 0;
  if (!host.start(&width, &height)) {
    FreeVec(s);
    return nullptr;
  }
  s->Starting = 1;
  s->LeftEdge = static_cast<int16_t>(GetTagData(SA_Left, 0, tags));
  s->TopEdge = static_cast<int16_t>(GetTagData(SA_Top, 0, tags));
  s->Width = static_cast<int16_t>(clampSide(static_cast<int32_t>(GetTagData(SA_Width, width, tags))));
  s->Height = static_cast<int16_t>(clampSide(static_cast<int32_t>(GetTagData(SA_Height, height, tags))));
  const char* title = reinterpret_cast<const char*>(GetTagData(SA_Title, 0, tags));
  gScreenTitle = title ? title : "Quillantrix";
  s->Title = gScreenTitle.c_str();
  s->Pens = Qz_GetScreenPens();
  s->Pens[0] = kFaceColour;
  s->Pens[1] = 0x000000;
  s->Pens[2] = 0xFFFFFF;
  s->Pens[3] = 0xFFB43C;
  host.setTitle(gScreenTitle);
  {
    std::lock_guard<std::recursive_mutex> lock(d.lock);
    d.overlay = std::make_unique<PixelBuffer>(width, height);
    Qz_AttachRastPort(&s->RastPort, d.overlay.get());
    s->Starting = 0;
    d.screen = s;
    d.dirty = {0, 0, width, height};
  }
  host.presentLater();
  return s;
}

int32_t CloseScreen(Screen* screen) {
  if (!screen) return 1;
  Desk& d = desk();
  std::lock_guard<std::recursive_mutex> lock(d.lock);
  if (d.screen == screen) d.screen = nullptr;
  if (std::find(d.closedScreens.begin(), d.closedScreens.end(), screen) == d.closedScreens.end())
    d.closedScreens.push_back(screen);
  return 1;
}

Screen* LockPubScreen(const char*) { return OpenScreenTagList(nullptr, nullptr); }

void Qz_GetScreenSize(const Screen* screen, int32_t* width, int32_t* height) {
  int32_t w = 0, h = 0;
  if (screen) {
    std::lock_guard<std::recursive_mutex> lock(desk().lock);
    w = screen->Width;
    h = screen->Height;
  }
  if (width) *width = w;
  if (height) *height = h;
}

Window* OpenWindowTagList(NewWindow*, const TagItem* tags) {
  ensureStarted();
  Desk& d = desk();
  auto* screen = reinterpret_cast<Screen*>(GetTagData(WA_PubScreen, 0, tags));
  if (!screen) screen = reinterpret_cast<Screen*>(GetTagData(WA_CustomScreen, 0, tags));
  if (!screen) screen = OpenScreenTagList(nullptr, nullptr);
  if (!screen) return nullptr;

  void* owner = reinterpret_cast<void*>(GetTagData(WA_OwnerObject, 0, tags));
  QzWindowHooks hooks;
  {
    std::lock_guard<std::recursive_mutex> lock(d.lock);
    hooks = d.hooks;
  }
  const uint32_t kind = (owner && hooks.windowKind) ? hooks.windowKind(owner) : 0;
  Window* parent = ((kind & kWindowKindPopUpChild) && owner && hooks.ownerWindow) ? hooks.ownerWindow(owner) : nullptr;

  auto* w = static_cast<Window*>(AllocVec(sizeof(Window), MEMF_CLEAR));
  if (!w) return nullptr;
  w->UserPort = CreateMsgPort();
  auto* host = new (std::nothrow) WindowHost;
  if (!w->UserPort || !host) {
    DeleteMsgPort(w->UserPort);
    delete host;
    FreeVec(w);
    return nullptr;
  }
  w->HostContext = host;
  w->Starting = 1;
  w->WScreen = screen;
  w->OwnerObject = owner;
  w->Flags = static_cast<uint32_t>(GetTagData(WA_Flags, 0, tags));
  w->IDCMPFlags = static_cast<uint32_t>(GetTagData(WA_IDCMP, 0, tags));
  const char* title = reinterpret_cast<const char*>(GetTagData(WA_Title, 0, tags));
  host->title = title ? title : "";
  w->Title = host->title.c_str();
  host->kind = kind;

  const bool framed = !(w->Flags & WFLG_BORDERLESS);
  w->BorderLeft = w->BorderRight = w->BorderBottom = framed ? kFrameWidth : 0;
  w->BorderTop = framed ? kFrameWidth + kCaptionHeight : 0;
  // Both size tags give the size inside the frame; a stored inner size then
  // reopens at exactly the size it closed with.
  const int inner_w = static_cast<int32_t>(GetTagData(WA_InnerWidth, GetTagData(WA_Width, 0, tags), tags));
  const int inner_h = static_cast<int32_t>(GetTagData(WA_InnerHeight, GetTagData(WA_Height, 0, tags), tags));
  int left = static_cast<int16_t>(GetTagData(WA_Left, 0, tags));
  int top = static_cast<int16_t>(GetTagData(WA_Top, 0, tags));
  const int outerW = clampSide(inner_w + w->BorderLeft + w->BorderRight);
  const int outerH = clampSide(inner_h + w->BorderTop + w->BorderBottom);

  std::lock_guard<std::recursive_mutex> lock(d.lock);
  if (d.screen != screen) {
    // The screen closed while this window was on its way: nothing to open on.
    DeleteMsgPort(w->UserPort);
    delete host;
    FreeVec(w);
    return nullptr;
  }
  host->band = bandFor(kind, parent);
  if (kind == kWindowKindTopLevel) {
    if (left + outerW > screen->Width) left = screen->Width - outerW;
    if (top + outerH > screen->Height) top = screen->Height - outerH;
    left = std::max(left, 0);
    top = std::max(top, 0);
  }
  w->LeftEdge = static_cast<int16_t>(left);
  w->TopEdge = static_cast<int16_t>(top);
  w->Width = static_cast<int16_t>(outerW);
  w->Height = static_cast<int16_t>(outerH);
  // A window opening under the pointer (a pop-up) knows at once what it is over.
  Qz_SetWindowMouse(w, static_cast<int16_t>(d.pointerX - left), static_cast<int16_t>(d.pointerY - top));
  host->store = std::make_unique<PixelBuffer>(outerW, outerH);
  host->store->fill(qz::raster::rgbFromColorRef(screen->Pens[0]));
  Qz_AttachRastPort(&host->rastPort, host->store.get());
  host->layer.window = w;
  host->rastPort.Layer = &host->layer;
  host->rastPort.OwnerWindow = w;
  host->rastPort.HostWindow = w;
  w->RPort = &host->rastPort;
  if (framed) {
    d.lastBorders[0] = w->BorderLeft;
    d.lastBorders[1] = w->BorderTop;
    d.lastBorders[2] = w->BorderRight;
    d.lastBorders[3] = w->BorderBottom;
  }
  drawFrame(w);

  Forbid();
  insertInStack(w);
  markDirty(boxOf(w));
  // The first paint covers the client area.
  const int clientW = outerW - w->BorderLeft - w->BorderRight, clientH = outerH - w->BorderTop - w->BorderBottom;
  Qz__PostInputMessage(w, IDCMP_REFRESHWINDOW, 0, currentQualifier(true), 1, w->BorderLeft, w->BorderTop,
                       static_cast<int16_t>(clientW + w->BorderLeft + 1),
                       static_cast<int16_t>(clientH + w->BorderTop + 1));
  AddTail(&d.windowList, &w->Link);
  w->Starting = 0;
  if (w->Flags & WFLG_ACTIVATE) activate(w);
  Permit();
  qz::host::backend().presentLater();
  return w;
}

void CloseWindow(Window* w) {
  if (!w) return;
  Desk& d = desk();
  bool releaseGrab = false;
  {
    std::lock_guard<std::recursive_mutex> lock(d.lock);
    Forbid();
    w->Starting = 1;
    if (d.active == w) d.active = nullptr;
    if (d.underMouse == w) d.underMouse = nullptr;
    if (d.focus == w) d.focus = nullptr;
    if (d.capture == w) {
      d.capture = nullptr;
      releaseGrab = true;
    }
    if (d.dragWindow == w) {
      d.drag = FrameDrag::None;
      d.dragWindow = nullptr;
      releaseGrab = true;
    }
    auto it = std::find(d.stack.begin(), d.stack.end(), w);
    if (it != d.stack.end()) d.stack.erase(it);
    markDirty(boxOf(w));
    if (w->Link.ln_Succ) Remove(&w->Link);
    destroyEdits(w);
    Permit();
  }
  if (releaseGrab) qz::host::backend().grabPointer(false);
  DeleteMsgPort(w->UserPort);
  {
    // The compositor reads stores under the lock; this one is off the stack now.
    std::lock_guard<std::recursive_mutex> lock(d.lock);
    freeWindow(w);
  }
  qz::host::backend().presentLater();
}

void ChangeWindowBox(Window* w, int16_t left, int16_t top, int16_t width, int16_t height) {
  if (!w) return;
  Desk& d = desk();
  {
    std::lock_guard<std::recursive_mutex> lock(d.lock);
    const IntRect before = boxOf(w);
    // The window's own borders: a borderless pop-up must not grow by another window's frame.
    const int outerW = clampSide(width + w->BorderLeft + w->BorderRight);
    const int outerH = clampSide(height + w->BorderTop + w->BorderBottom);
    const bool sized = outerW != w->Width || outerH != w->Height;
    const bool moved = left != w->LeftEdge || top != w->TopEdge;
    if (!sized && !moved) return;
    w->LeftEdge = left;
    w->TopEdge = top;
    if (sized) resizeStore(w, outerW, outerH);
    markDirty(before.unite(boxOf(w)));
    Forbid();
    postSimple(w, IDCMP_NEWSIZE, 0, currentQualifier(true));
    Permit();
  }
  qz::host::backend().presentLater();
}

void SetWindowTitles(Window* w, const char* windowTitle, const char*) {
  if (!w) return;
  {
    std::lock_guard<std::recursive_mutex> lock(desk().lock);
    WindowHost* host = hostOf(w);
    host->title = windowTitle ? windowTitle : "";
    w->Title = host->title.c_str();
    drawFrame(w);
    markDirty(boxOf(w));
  }
  qz::host::backend().presentLater();
}

int32_t WindowLimits(Window* w, int16_t minWidth, int16_t minHeight, int16_t maxWidth, int16_t maxHeight) {
  if (!w) return 0;
  std::lock_guard<std::recursive_mutex> lock(desk().lock);
  w->MinWidth = minWidth;
  w->MinHeight = minHeight;
  w->MaxWidth = maxWidth;
  w->MaxHeight = maxHeight;
  return 1;
}

// Every window is shown from the moment it opens; showing changes neither
// the stacking nor which window is active.
void ActivateWindow(Window* w) {
  if (!w) return;
  {
    std::lock_guard<std::recursive_mutex> lock(desk().lock);
    activate(w);
  }
  qz::host::backend().presentLater();
}

void WindowToFront(Window* w) {
  if (!w) return;
  {
    std::lock_guard<std::recursive_mutex> lock(desk().lock);
    bringToTop(w);
  }
  qz::host::backend().presentLater();
}

Window* Qz_FindWindowUnderMouse(Window* w) {
  if (!w) return nullptr;
  std::lock_guard<std::recursive_mutex> lock(desk().lock);
  return windowAt(w->LeftEdge + Qz_WindowMouseX(w), w->TopEdge + Qz_WindowMouseY(w));
}

void Qz_GrabMousePointer(Window* w) {
  if (!w) return;
  {
    std::lock_guard<std::recursive_mutex> lock(desk().lock);
    desk().capture = w;
  }
  qz::host::backend().grabPointer(true);
}

void Qz_UngrabMousePointer(Window* w) {
  {
    std::lock_guard<std::recursive_mutex> lock(desk().lock);
    if (desk().capture != w) return;
    desk().capture = nullptr;
  }
  qz::host::backend().grabPointer(false);
}

void Qz_FillHatchedRectangle(RastPort* rp, int16_t x0, int16_t y0, int16_t x1, int16_t y1) {
  if (!rp || !rp->Target) return;
  std::lock_guard<std::recursive_mutex> lock(desk().lock);
  PixelBuffer& buf = *rp->Target;
  IntRect area{std::min(x0, x1), std::min(y0, y1), std::max(x0, x1) + 1, std::max(y0, y1) + 1};
  area = area.intersect(buf.bounds());
  if (rp->ClipOn) area = area.intersect({rp->ClipX0, rp->ClipY0, rp->ClipX1, rp->ClipY1});
  if (area.empty()) return;
  const uint32_t fg = qz::raster::rgbFromColorRef(Qz_ResolvePen(rp->FgPen));
  const uint32_t bg = qz::raster::rgbFromColorRef(Qz_ResolvePen(rp->BgPen));
  // The brush is anchored at the buffer's origin, so neighbouring fills join up.
  for (int y = area.y0; y < area.y1; ++y) {
    uint32_t* row = buf.row(y);
    for (int x = area.x0; x < area.x1; ++x) row[x] = ((x + y) & 1) ? bg : fg;
  }
  buf.addDirty(area);
}

void Qz_SetHostCursor(Window* w, int32_t shape) {
  if (!w) return;
  bool show;
  {
    std::lock_guard<std::recursive_mutex> lock(desk().lock);
    hostOf(w)->cursorShape = shape;
    w->Cursor = reinterpret_cast<void*>(static_cast<intptr_t>(shape));
    show = desk().underMouse == w;
  }
  if (show) qz::host::backend().setCursor(shape);
}

InputMessage* Qz__PostInputMessage(Window* w, uint32_t cls, uint16_t code, uint16_t qualifier, int32_t post,
                                   int16_t left, int16_t top, int16_t right, int16_t bottom) {
  if (!w || !w->UserPort) return nullptr;
  MsgPort* port = w->UserPort;
  if (cls == IDCMP_MOUSEMOVE || cls == IDCMP_CHANGEWINDOW || cls == IDCMP_NEWSIZE) {
    // Only the newest of these matters to the receiver.
    Forbid();
    for (Node* n = port->mp_MsgList.lh_Head; n->ln_Succ; n = n->ln_Succ) {
      auto* queued = reinterpret_cast<InputMessage*>(n);
      if (queued->Class == cls) {
        Remove(n);
        FreeVec(queued);
        break;
      }
    }
    Permit();
  }
  auto* msg = static_cast<InputMessage*>(AllocVec(sizeof(InputMessage), MEMF_CLEAR));
  if (!msg) return nullptr;
  msg->ExecMessage.mn_Length = sizeof(InputMessage);
  msg->Class = cls;
  msg->Code = code;
  msg->Qualifier = qualifier;
  if (cls == IDCMP_REFRESHWINDOW) {
    msg->RefreshLeft = left;
    msg->RefreshTop = top;
    msg->RefreshRight = right;
    msg->RefreshBottom = bottom;
    Forbid();
    for (Node* n = port->mp_MsgList.lh_Head; n->ln_Succ;) {
      Node* next = n->ln_Succ;
      auto* queued = reinterpret_cast<InputMessage*>(n);
      if (queued->Class == IDCMP_REFRESHWINDOW) {
        msg->RefreshLeft = std::min(msg->RefreshLeft, queued->RefreshLeft);
        msg->RefreshTop = std::min(msg->RefreshTop, queued->RefreshTop);
        msg->RefreshRight = std::max(msg->RefreshRight, queued->RefreshRight);
        msg->RefreshBottom = std::max(msg->RefreshBottom, queued->RefreshBottom);
        Remove(n);
        FreeVec(queued);
      }
      n = next;
    }
    Permit();
  }
  if (!post) return msg;
  PutMsg(port, &msg->ExecMessage);
  return nullptr;
}

void Qz__PostMenuCommand(uint16_t id) {
  Desk& d = desk();
  Window* (*mainWindow)(void);
  {
    std::lock_guard<std::recursive_mutex> lock(d.lock);
    mainWindow = d.hooks.mainWindow;
  }
  Window* target = mainWindow ? mainWindow() : nullptr;
  if (!target) return;
  std::lock_guard<std::recursive_mutex> lock(d.lock);
  Forbid();
  // Only a window still in the list may be posted to.
  if (std::find(d.stack.begin(), d.stack.end(), target) != d.stack.end())
    postSimple(target, IDCMP_MENUCOMMAND, id, currentQualifier(false));
  Permit();
}

void Qz_HostFlush(void) { qz::host::backend().presentLater(); }

void Qz_LockHostCompose(void) { desk().lock.lock(); }
void Qz_UnlockHostCompose(void) { desk().lock.unlock(); }

Window* Qz_GetActiveWindow(void) {
  std::lock_guard<std::recursive_mutex> lock(desk().lock);
  return desk().active;
}

Window* Qz_GetMouseWindow(void) {
  std::lock_guard<std::recursive_mutex> lock(desk().lock);
  return desk().underMouse;
}

uint16_t Qz_GetQualifier(void) {
  std::lock_guard<std::recursive_mutex> lock(desk().lock);
  return desk().qualifier;
}

uint32_t Qz_GetDisplayDepth(void) { return 32; }

QZ_EXTERN_C_END
