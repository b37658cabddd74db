// The window procedures: host input becomes input messages on the right
// window's port. Pointer input goes to the window under the pointer, or to the
// one holding capture; keys go to the window holding the keyboard focus, or,
// from the desktop, to the active window. Everything here runs on the thread
// that delivers the input, under the compose lock and Forbid; host calls and
// hooks into the layers above run after both are released.
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include "host/host_backend.h"
#include "host/host_input.h"
#include "platform/clipboard.h"
#include "platform/menu_bar.h"
#include "platform/menu_bar_internal.h"
#include "platform/scanner_block.h"
#include "platform/windows_internal.h"

namespace qz::win {
namespace {

constexpr std::size_t kMaxHandedPath = 4096;
constexpr uint32_t kTagOpenFile = 0x13003C;
constexpr uint32_t kTagScannerBlock = 0x54574149;  // "TWAI" read as a little-endian word
constexpr uint16_t kRepeatCount = 1;               // what key messages carry as qualifier
constexpr int kRetiredStores = 4;
constexpr int kMinClientSide = 32;

// Host calls to make once the locks are released.
struct After {
  int grab = -1;    // 0 release, 1 grab
  int cursor = -1;  // shape to show
  bool present = false;
  void run() const {
    host::Backend& b = host::backend();
    if (grab >= 0) b.grabPointer(grab == 1);
    if (cursor >= 0) b.setCursor(cursor);
    if (present) b.presentLater();
  }
};

// Locks the desk and holds Forbid for the length of one procedure.
struct Procedure {
  std::lock_guard<std::recursive_mutex> lock{desk().lock};
  Procedure() { Forbid(); }
  ~Procedure() { Permit(); }
};

bool inStack(Window* w) {
  const auto& s = desk().stack;
  return w && std::find(s.begin(), s.end(), w) != s.end();
}

void setMouse(Window* w, int x, int y) {
  Qz_SetWindowMouse(w, static_cast<int16_t>(x - w->LeftEdge), static_cast<int16_t>(y - w->TopEdge));
}

// The desktop (main window) saw the pointer: the window that had it hears it
// left, once; clearing the slot keeps further moves over the desktop quiet.
void pointerOnDesktop() {
  Desk& d = desk();
  if (!d.underMouse) return;
  postSimple(d.underMouse, IDCMP_MOUSELEFT, 0, currentQualifier(false));
  d.underMouse = nullptr;
}

void clientMove(Window* w, int x, int y, After& after) {
  Desk& d = desk();
  setMouse(w, x, y);
  if (d.underMouse != w) {
    if (d.underMouse) postSimple(d.underMouse, IDCMP_MOUSELEFT, 0, currentQualifier(true));
    if (!w->Starting) {
      d.underMouse = w;
      after.cursor = hostOf(w)->cursorShape;
    }
  }
  if (d.active && d.active != w) setMouse(d.active, x, y);
  const uint16_t q = currentQualifier(true);
  if (tabletActive() && (q & IEQUALIFIER_LEFTBUTTON))
    postTabletPackets(w, IDCMP_MOUSEMOVE, 0, q);
  else
    postSimple(w, IDCMP_MOUSEMOVE, 0, q);
}

// A click on a window that is not active makes it active; the keys then
// arrive from the desktop, which routes them to the active window.
void activateByClick(Window* w) {
  Desk& d = desk();
  if (d.active == w || w->Starting) return;
  activate(w);
  d.focus = nullptr;
}

void clampToDesktop(Window* w, int& left, int& top) {
  Screen* s = desk().screen;
  if (!s) return;
  if (hostOf(w)->kind == kWindowKindTopLevel) {
    left = std::clamp(left, 0, std::max(0, s->Width - w->Width));
    top = std::clamp(top, 0, std::max(0, s->Height - w->Height));
  } else {
    // Keep the caption reachable.
    top = std::clamp(top, 0, std::max(0, s->Height - kFrameWidth - kCaptionHeight));
  }
}

int limitSide(int v, int minLimit, int maxLimit, int frame) {
  const int lo = std::max(minLimit, frame + kMinClientSide);
  const int hi = maxLimit > 0 ? std::max(maxLimit, lo) : 32767;
  return std::clamp(v, lo, hi);
}

IntRect sizedBox(int x, int y) {
  Desk& d = desk();
  Window* w = d.dragWindow;
  const IntRect s = d.dragStartBox;
  const int dx = x - d.dragStartX, dy = y - d.dragStartY;
  int width = s.width(), height = s.height();
  if (d.dragEdges & 1) width -= dx;
  if (d.dragEdges & 2) width += dx;
  if (d.dragEdges & 4) height -= dy;
  if (d.dragEdges & 8) height += dy;
  width = limitSide(width, w->MinWidth, w->MaxWidth, w->BorderLeft + w->BorderRight);
  height = limitSide(height, w->MinHeight, w->MaxHeight, w->BorderTop + w->BorderBottom);
  const int left = (d.dragEdges & 1) ? s.x1 - width : s.x0;
  const int top = (d.dragEdges & 4) ? s.y1 - height : s.y0;
  return {left, top, left + width, top + height};
}

IntRect outline(const IntRect& r) { return {r.x0 - 1, r.y0 - 1, r.x1 + 1, r.y1 + 1}; }

void frameDragMove(int x, int y) {
  Desk& d = desk();
  Window* w = d.dragWindow;
  switch (d.drag) {
    case FrameDrag::Move: {
      int left = d.dragStartBox.x0 + x - d.dragStartX, top = d.dragStartBox.y0 + y - d.dragStartY;
      clampToDesktop(w, left, top);
      markDirty(boxOf(w));
      w->LeftEdge = static_cast<int16_t>(left);
      w->TopEdge = static_cast<int16_t>(top);
      markDirty(boxOf(w));
      break;
    }
    case FrameDrag::Size: {
      markDirty(outline(d.dragBox));
      d.dragBox = sizedBox(x, y);
      markDirty(outline(d.dragBox));
      break;
    }
    case FrameDrag::CloseBox: {
      int edges = 0;
      const bool inside = boxOf(w).contains(x, y) && framePart(w, x, y, &edges) == FramePart::CloseBox;
      if (inside != d.closeBoxPressed) {
        d.closeBoxPressed = inside;
        drawFrame(w);
        markDirty(boxOf(w));
      }
      break;
    }
    case FrameDrag::None:
      break;
  }
}

// A frame drag ends with one moved-or-sized message when anything changed.
void frameDragEnd(int x, int y) {
  Desk& d = desk();
  Window* w = d.dragWindow;
  frameDragMove(x, y);
  const FrameDrag kind = d.drag;
  d.drag = FrameDrag::None;
  d.dragWindow = nullptr;
  if (kind == FrameDrag::Move) {
    if (boxOf(w) != d.dragStartBox) postSimple(w, IDCMP_NEWSIZE, 0, currentQualifier(true));
  } else if (kind == FrameDrag::Size) {
    markDirty(outline(d.dragBox));
    if (d.dragBox != d.dragStartBox) {
      markDirty(boxOf(w));
      w->LeftEdge = static_cast<int16_t>(d.dragBox.x0);
      w->TopEdge = static_cast<int16_t>(d.dragBox.y0);
      resizeStore(w, d.dragBox.width(), d.dragBox.height());
      markDirty(boxOf(w));
      postSimple(w, IDCMP_NEWSIZE, 0, currentQualifier(true));
    }
  } else if (kind == FrameDrag::CloseBox) {
    const bool pressed = d.closeBoxPressed;
    d.closeBoxPressed = false;
    drawFrame(w);
    markDirty(boxOf(w));
    if (pressed) postSimple(w, IDCMP_CLOSEWINDOW, 0, currentQualifier(true));
  }
}

void framePress(Window* w, FramePart part, int edges, int x, int y) {
  Desk& d = desk();
  activateByClick(w);
  d.drag = part == FramePart::Caption ? FrameDrag::Move : part == FramePart::Edge ? FrameDrag::Size : FrameDrag::CloseBox;
  d.dragWindow = w;
  d.dragEdges = edges;
  d.dragStartX = x;
  d.dragStartY = y;
  d.dragStartBox = d.dragBox = boxOf(w);
  d.closeBoxPressed = part == FramePart::CloseBox;
  if (d.closeBoxPressed) drawFrame(w);
  markDirty(boxOf(w));
}

uint16_t vanillaCode(char32_t ch) {
  Desk& d = desk();
  // A Ctrl+letter arrives as 1..26; the character message carries the
  // letter itself (upper case with Shift).
  if ((d.modifiers & host::kModControl) && ch >= 1 && ch <= 26)
    return static_cast<uint16_t>(ch + ((d.modifiers & host::kModShift) ? 0x40 : 0x60));
  return static_cast<uint16_t>(ch);
}

char32_t typedCharacter(char32_t ch) {
  if (!(desk().modifiers & host::kModControl)) return ch;
  if ((ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z')) return ch & 0x1F;
  if (ch == 0x1B) return ch;
  return 0;  // Ctrl with other keys types nothing
}

void keyExtras(Window* target, uint16_t vk, uint16_t qualifier) {
  switch (vk) {
    case host::kVkLeft: postSimple(target, IDCMP_ARROWKEY, CURSORLEFT, qualifier); break;
    case host::kVkRight: postSimple(target, IDCMP_ARROWKEY, CURSORRIGHT, qualifier); break;
    case host::kVkUp: postSimple(target, IDCMP_ARROWKEY, CURSORUP, qualifier); break;
    case host::kVkDown: postSimple(target, IDCMP_ARROWKEY, CURSORDOWN, qualifier); break;
    case host::kVkDelete: postSimple(target, IDCMP_VANILLAKEY, 127, qualifier); break;
    default: break;
  }
}

void trackModifier(uint16_t vk, bool down) {
  uint32_t bit = vk == host::kVkShift ? host::kModShift : vk == host::kVkControl ? host::kModControl
               : vk == host::kVkMenu  ? host::kModAlt : 0;
  if (!bit) return;
  if (down) desk().modifiers |= bit;
  else desk().modifiers &= ~bit;
}

void storePathCopy(const char* path, std::size_t length, char** out) {
  *out = static_cast<char*>(AllocVec(length + 1, MEMF_CLEAR));
  if (*out) std::memcpy(*out, path, length);
}

QzWindowHooks hooksNow() {
  std::lock_guard<std::recursive_mutex> lock(desk().lock);
  return desk().hooks;
}

void reportLostFocus(const std::pair<void*, void*>& lost) {
  if (!lost.first) return;
  const QzWindowHooks hooks = hooksNow();
  if (hooks.editLostFocus) hooks.editLostFocus(lost.first, lost.second);
}

void sendOpenFile(const QzWindowHooks& hooks, char* path) {
  if (hooks.openFile) hooks.openFile(path);
  else if (path) FreeVec(path);
}

}  // namespace

// Exported for tests: whether a scanner block holds the rows its header promises.
QZ_EXPORT bool scannerBlockValid(const uint8_t* bytes, std::size_t length);

bool scannerBlockValid(const uint8_t* bytes, std::size_t length) {
  ScannerPicture picture;
  return parseScannerBlock(bytes, length, &picture);
}

void resizeStore(Window* w, int width, int height) {
  WindowHost* host = hostOf(w);
  auto next = std::make_unique<PixelBuffer>(width, height);
  next->fill(raster::rgbFromColorRef(w->WScreen ? w->WScreen->Pens[0] : 0x00C8D0D4));
  const PixelBuffer& old = *host->store;
  const int keepW = std::min(width, old.width()), keepH = std::min(height, old.height());
  for (int y = 0; y < keepH; ++y) std::copy_n(old.row(y), keepW, next->row(y));
  host->rastPort.Target = next.get();
  host->retired.push_back(std::move(host->store));
  while (host->retired.size() > kRetiredStores) host->retired.pop_front();
  host->store = std::move(next);
  w->Width = static_cast<int16_t>(width);
  w->Height = static_cast<int16_t>(height);
  drawFrame(w);
}

// The menus take pointer input unless a window holds the pointer (a drag,
// a frame being moved, text being selected).
bool menusTake(int x, int y, MenuInput input, uint16_t* picked) {
  Desk& d = desk();
  if (d.capture || d.drag != FrameDrag::None || d.selectingEdit) return false;
  bool consumed = false;
  const uint16_t id = menuPointer(x, y, input, &consumed);
  if (picked) *picked = id;
  return consumed;
}

}  // namespace qz::win

namespace qz::host {

using namespace qz::win;

void setModifiers(uint32_t mods) {
  std::lock_guard<std::recursive_mutex> lock(desk().lock);
  desk().modifiers = mods;
}

void pointerMoved(int x, int y) {
  After after;
  {
    Procedure proc;
    Desk& d = desk();
    d.pointerX = x;
    d.pointerY = y;
    if (menusTake(x, y, MenuInput::Move, nullptr)) {
      after.present = true;
    } else if (d.drag != FrameDrag::None) {
      frameDragMove(x, y);
      after.present = true;
    } else if (d.selectingEdit) {
      editPointer(d.selectingEdit, false, true, x, y);
      after.present = true;
    } else if (Window* w = d.capture ? d.capture : windowAt(x, y)) {
      int edges = 0;
      // Moves over a frame or a control are theirs; the window hears nothing.
      if (d.capture || (framePart(w, x, y, &edges) == FramePart::Client && !editAt(w, x, y)))
        clientMove(w, x, y, after);
    } else {
      pointerOnDesktop();
    }
  }
  after.run();
}

void buttonEvent(Button button, bool down, int x, int y) {
  // The wheel and the middle button have no input message.
  if (button != Button::Left && button != Button::Right) return;
  {
    uint16_t picked = 0;
    bool taken = false;
    {
      Procedure proc;
      taken = menusTake(x, y, down ? MenuInput::Press : MenuInput::Release, &picked);
    }
    if (taken) {
      if (picked) Qz__PostMenuCommand(picked);
      backend().presentLater();
      return;
    }
  }
  if (down && button == Button::Left) {
    // A click beside the focused control takes its focus first, so the
    // control's last text is asked for before the click is handled.
    std::pair<void*, void*> lost{nullptr, nullptr};
    {
      Procedure proc;
      Desk& d = desk();
      Window* w = d.capture ? d.capture : windowAt(x, y);
      if (d.focusedEdit && !(w && editAt(w, x, y) == d.focusedEdit)) lost = editBlur();
    }
    reportLostFocus(lost);
  }
  After after;
  {
    Procedure proc;
    Desk& d = desk();
    d.pointerX = x;
    d.pointerY = y;
    if (d.selectingEdit && !down) {
      editPointer(d.selectingEdit, false, false, x, y);
      after.present = true;
    } else if (Window* onEdit = (down && button == Button::Left && !d.capture && d.drag == FrameDrag::None)
                                    ? windowAt(x, y) : nullptr;
               onEdit && editAt(onEdit, x, y)) {
      // The control is a child of its window: the press is its own.
      editPointer(editAt(onEdit, x, y), true, false, x, y);
      after.present = true;
    } else if (d.drag != FrameDrag::None) {
      if (!down && button == Button::Left) {
        frameDragEnd(x, y);
        after.grab = 0;
        after.present = true;
      }
    } else if (Window* w = d.capture ? d.capture : windowAt(x, y)) {
      int edges = 0;
      const FramePart part = d.capture ? FramePart::Client : framePart(w, x, y, &edges);
      if (part != FramePart::Client) {
        if (down && button == Button::Left) {
          framePress(w, part, edges, x, y);
          after.grab = 1;
          after.present = true;
        }
      } else {
        setMouse(w, x, y);
        const bool left = button == Button::Left;
        if (down) {
          d.qualifier |= left ? IEQUALIFIER_LEFTBUTTON : IEQUALIFIER_RBUTTON;
          d.capture = w;
          after.grab = 1;
          if (left) d.focus = w;
          activateByClick(w);
          d.lastButton = left ? SELECTDOWN : MENUDOWN;
          if (d.active == w) postSimple(w, IDCMP_MOUSEBUTTONS, d.lastButton, currentQualifier(true));
        } else {
          d.qualifier &= ~(left ? IEQUALIFIER_LEFTBUTTON : IEQUALIFIER_RBUTTON);
          if (d.capture) after.grab = 0;
          d.capture = nullptr;
          d.lastButton = left ? SELECTUP : MENUUP;
          if (left || d.active == w) postSimple(w, IDCMP_MOUSEBUTTONS, d.lastButton, currentQualifier(true));
        }
        after.present = true;
      }
    }
  }
  after.run();
}

void postKey(uint16_t vk, char32_t character, bool down, Window* mainWindow);

void keyEvent(uint16_t vk, char32_t character, bool down) {
  QzWindowHooks hooks;
  {
    std::lock_guard<std::recursive_mutex> lock(desk().lock);
    hooks = desk().hooks;
  }
  // With no active window, Ctrl keys typed at the desktop go to the main object's window.
  Window* mainWindow = hooks.mainWindow ? hooks.mainWindow() : nullptr;
  std::pair<void*, void*> lost{nullptr, nullptr};
  bool present = false;
  {
    Procedure proc;
    Desk& d = desk();
    trackModifier(vk, down);
    if (menuKey(vk, down)) {
      present = true;
    } else if (d.focusedEdit) {
      // The focused control takes its keys; Enter and Tab move the focus on.
      if (down && (vk == kVkReturn || vk == kVkTab)) lost = editFocusKey(vk);
      else if (down) editKey(vk, character);
      present = true;
    } else {
      postKey(vk, character, down, mainWindow);
    }
  }
  reportLostFocus(lost);
  std::string offered;
  bool offer = false;
  {
    std::lock_guard<std::recursive_mutex> lock(desk().lock);
    offer = std::exchange(desk().clipboardPending, false);
    offered.swap(desk().clipboardText);
  }
  if (offer) backend().setClipboard(kQzClipboardTextType, std::vector<uint8_t>(offered.begin(), offered.end()));
  if (present) backend().presentLater();
}

void postKey(uint16_t vk, char32_t character, bool down, Window* mainWindow) {
  Desk& d = desk();
  // Alt turns keys into the menu bar's; they make no key message.
  if (vk == kVkMenu || (d.modifiers & kModAlt)) return;
  // The focus stays with the window last clicked only while no other window
  // is active: a requester opened from a tool bar takes the keys at once.
  Window* focus = inStack(d.focus) && (!d.active || d.active == d.focus) ? d.focus : nullptr;
  if (!down) {
    Window* target = focus ? focus : d.active;
    if (target) postSimple(target, IDCMP_RAWKEYUP, vk, kRepeatCount);
    return;
  }
  if (d.active) {
    // A window holding the focus posts its keys itself; from the desktop they go to the active one.
    Window* target = focus ? focus : d.active;
    keyExtras(target, vk, currentQualifier(focus != nullptr));
    postSimple(target, IDCMP_RAWKEY, vk, kRepeatCount);
  }
  const char32_t ch = typedCharacter(character);
  if (!ch) return;
  Window* target = focus ? focus : d.active;
  if (!target && (d.modifiers & kModControl) && inStack(mainWindow)) target = mainWindow;
  if (!target) return;
  postSimple(target, IDCMP_CHAR, static_cast<uint16_t>(ch), kRepeatCount);
  postSimple(target, IDCMP_VANILLAKEY, vanillaCode(ch), currentQualifier(focus != nullptr));
}

void pointerLeftHost() {
  Procedure proc;
  pointerOnDesktop();
}

void tick() {
  Procedure proc;
  Desk& d = desk();
  if (d.underMouse) postSimple(d.underMouse, IDCMP_INTUITICKS, 0, currentQualifier(true));
}

void hostResized(int width, int height) {
  {
    std::lock_guard<std::recursive_mutex> lock(desk().lock);
    Desk& d = desk();
    if (!d.screen) return;
    d.screen->Width = static_cast<int16_t>(std::clamp(width, 1, 32767));
    d.screen->Height = static_cast<int16_t>(std::clamp(height, 1, 32767));
    // The screen's rast port may be drawing into the old overlay right now:
    // it stays alive (resizes of the host window are rare).
    static std::vector<std::unique_ptr<PixelBuffer>> retiredOverlays;
    auto next = std::make_unique<PixelBuffer>(d.screen->Width, d.screen->Height);
    d.screen->RastPort.Target = next.get();
    if (d.overlay) retiredOverlays.push_back(std::move(d.overlay));
    d.overlay = std::move(next);
    d.composedOnce = false;
    // Top-level windows stay inside the desktop when it shrinks.
    Forbid();
    for (Window* w : d.stack) {
      if (hostOf(w)->kind != kWindowKindTopLevel) continue;
      int left = w->LeftEdge, top = w->TopEdge;
      clampToDesktop(w, left, top);
      if (left == w->LeftEdge && top == w->TopEdge) continue;
      w->LeftEdge = static_cast<int16_t>(left);
      w->TopEdge = static_cast<int16_t>(top);
      postSimple(w, IDCMP_NEWSIZE, 0, currentQualifier(true));
    }
    Permit();
  }
  backend().presentLater();
}

void closeRequested() {
  QzWindowHooks hooks;
  {
    std::lock_guard<std::recursive_mutex> lock(desk().lock);
    hooks = desk().hooks;
  }
  Window* target = hooks.mainWindow ? hooks.mainWindow() : nullptr;
  Procedure proc;
  if (inStack(target)) postSimple(target, IDCMP_CLOSEWINDOW, 0, currentQualifier(false));
}

void filesDropped(const std::vector<std::string>& paths) {
  QzWindowHooks hooks;
  {
    std::lock_guard<std::recursive_mutex> lock(desk().lock);
    hooks = desk().hooks;
  }
  for (std::size_t i = 0; i < paths.size(); ++i) {
    const std::string& path = paths[i];
    struct stat st {};
    const bool regular = ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
    if (regular) {
      char* copy = nullptr;
      storePathCopy(path.data(), path.size(), &copy);
      if (copy) sendOpenFile(hooks, copy);
    } else if (i + 1 == paths.size()) {
      // A folder dropped last becomes the current folder, and the open request carries no name.
      if (hooks.setCurrentFolder) hooks.setCurrentFolder(path.c_str());
      sendOpenFile(hooks, nullptr);
    }
  }
}

void copyDataReceived(uint32_t tag, const uint8_t* bytes, std::size_t length) {
  QzWindowHooks hooks;
  {
    std::lock_guard<std::recursive_mutex> lock(desk().lock);
    hooks = desk().hooks;
  }
  if (tag == kTagOpenFile) {
    // A fresh, bounded, terminated copy for every hand-over: the receiver
    // owns it, so a second hand-over cannot overwrite the first.
    const char* text = reinterpret_cast<const char*>(bytes);
    const std::size_t n = bytes ? strnlen(text, std::min(length, kMaxHandedPath)) : 0;
    if (n == 0) return;
    char* copy = nullptr;
    storePathCopy(text, n, &copy);
    if (!copy) return;
    sendOpenFile(hooks, copy);
    backend().raise();
  } else if (tag == kTagScannerBlock) {
    if (!scannerBlockValid(bytes, length)) return;
    void* block = AllocVec(length, 0);
    if (!block) return;
    std::memcpy(block, bytes, length);
    if (hooks.scannerBlock) hooks.scannerBlock(block, length);
    else FreeVec(block);
  }
}

}  // namespace qz::host
