// State shared by the window layer's modules (not for use above platform/).
#pragma once

#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "host/raster/pixel_buffer.h"
#include "platform/windows.h"

namespace qz::win {

using raster::IntRect;
using raster::PixelBuffer;

// Stacking bands, bottom to top.
enum Band { kBandChildren = 0, kBandTopLevel = 1, kBandOverlay = 2 };

// What a frame press started.
enum class FrameDrag { None, Move, Size, CloseBox };

struct EditControl;

// Our private part of a Window (its HostContext).
struct WindowHost {
  std::unique_ptr<PixelBuffer> store;
  // Earlier stores after a resize: a thread may still be drawing through a
  // pointer it read before the swap, so a few are kept alive until close.
  std::deque<std::unique_ptr<PixelBuffer>> retired;
  Layer layer{};
  RastPort rastPort{};
  std::string title;
  uint32_t kind = 0;
  Band band = kBandChildren;
  int cursorShape = 0;
  bool captionActive = false;
  std::vector<EditControl*> edits;  // in creation order (the tab order)
};

// The desktop: the window list, stacking, the slots the input logic uses.
// `lock` (the compose lock) guards stacking, geometry and backing-store swaps
// and is taken before Forbid; message queues and slots are under Forbid.
struct Desk {
  std::recursive_mutex lock;
  List windowList{};
  std::vector<Window*> stack;  // bottom to top, grouped by band
  Screen* screen = nullptr;
  // Closed screens are kept, not freed: a window still opening on another
  // thread, or one left open, may hold the record. Never more than one per
  // opening of the screen.
  std::vector<Screen*> closedScreens;
  std::unique_ptr<PixelBuffer> overlay;  // the screen's rast port draws here
  Window* active = nullptr;
  Window* underMouse = nullptr;
  Window* capture = nullptr;
  Window* focus = nullptr;  // null: the desktop (main window) has the keys
  int8_t lastBorders[4] = {0, 0, 0, 0};
  uint16_t qualifier = 0;
  uint16_t lastButton = 0;
  uint32_t modifiers = 0;
  int pointerX = 0, pointerY = 0;
  IntRect dirty;  // desktop area to compose again (moves, stacking, closes)
  bool composedOnce = false;
  // A frame drag in progress.
  FrameDrag drag = FrameDrag::None;
  Window* dragWindow = nullptr;
  int dragEdges = 0;  // bit 1 left, 2 right, 4 top, 8 bottom
  int dragStartX = 0, dragStartY = 0;
  IntRect dragStartBox, dragBox;
  bool closeBoxPressed = false;
  EditControl* focusedEdit = nullptr;
  EditControl* selectingEdit = nullptr;  // a drag selecting text
  // Text a control cut or copied, offered to the host once the locks are released.
  bool clipboardPending = false;
  std::string clipboardText;
  QzWindowHooks hooks{};
  bool started = false;
};

Desk& desk();
WindowHost* hostOf(Window* w);
IntRect boxOf(const Window* w);

// Window-proc logic helpers (callers hold desk().lock and Forbid).
void activate(Window* w);
void bringToTop(Window* w);
void markDirty(const IntRect& r);
Window* windowAt(int x, int y);
void postSimple(Window* w, uint32_t cls, uint16_t code, uint16_t qualifier);
// Current qualifier word with the modifiers held (Alt only for ordinary windows).
uint16_t currentQualifier(bool withAlt);

// Frames (windows_frame.cpp).
void drawFrame(Window* w);
// Where a desktop point falls in a framed window.
enum class FramePart { Client, Caption, CloseBox, Edge };
FramePart framePart(const Window* w, int x, int y, int* edges);
void resizeStore(Window* w, int width, int height);

// Edit controls (windows_edit.cpp); callers hold the lock and Forbid.
// The control under a desktop point of a window, or null.
EditControl* editAt(Window* w, int x, int y);
// Pointer and keys for the focused control; true when the control used them.
bool editPointer(EditControl* e, bool down, bool moved, int x, int y);
bool editKey(uint16_t vk, char32_t ch);
// Moves the focus off the focused control; returns the (owner, user data) to
// report to the editLostFocus hook once the locks are released (owner null: none).
std::pair<void*, void*> editBlur();
// Enter or Tab in the focused control: the focus moves on; returns as editBlur.
std::pair<void*, void*> editFocusKey(uint16_t vk);
// Shows a window's controls over its store in the composed desktop.
void composeEdits(Window* w, PixelBuffer& out, const IntRect& area);
void destroyEdits(Window* w);

// Tablet (tablet.cpp): posts the queued samples for a mouse message, or a plain one.
void postTabletPackets(Window* w, uint32_t cls, uint16_t code, uint16_t qualifier);
bool tabletActive();

}  // namespace qz::win
