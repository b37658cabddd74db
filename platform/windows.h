// Platform windows, the one screen and input messages.
//
// Every Window is drawn and stacked by this layer inside one host window that
// holds the whole desktop: each has a 0x00RRGGBB backing store covering its
// outer frame, and its RastPort draws there (so drawing and mouse positions
// are outer-frame coordinates). Host input becomes InputMessages queued on the
// window's user port; the Window object's event thread reads them. The logic
// that decides which window gets what runs under Forbid on the thread that
// delivers host input (the X11 display thread, or a test's thread headless).
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "platform/exec.h"
#include "platform/graphics.h"
#include "platform/lists.h"
#include "platform/qz_export.h"
#include "platform/qz_word.h"

// Input classes.
inline constexpr uint32_t IDCMP_NEWSIZE = 2;  // moved or sized
inline constexpr uint32_t IDCMP_REFRESHWINDOW = 4;
inline constexpr uint32_t IDCMP_MOUSEBUTTONS = 8;
inline constexpr uint32_t IDCMP_MOUSEMOVE = 16;
inline constexpr uint32_t IDCMP_RAWKEY = 256;
inline constexpr uint32_t IDCMP_RAWKEYUP = 257;
inline constexpr uint32_t IDCMP_CHAR = 258;
inline constexpr uint32_t IDCMP_CLOSEWINDOW = 512;
inline constexpr uint32_t IDCMP_ARROWKEY = 1024;
inline constexpr uint32_t IDCMP_ACTIVEWINDOW = 0x40000;
inline constexpr uint32_t IDCMP_INACTIVEWINDOW = 0x80000;
inline constexpr uint32_t IDCMP_VANILLAKEY = 0x200000;
inline constexpr uint32_t IDCMP_INTUITICKS = 0x400000;
inline constexpr uint32_t IDCMP_CHANGEWINDOW = 0x2000000;
inline constexpr uint32_t IDCMP_MOUSELEFT = 0x80000002;  // the pointer left the window
inline constexpr uint32_t IDCMP_MENUCOMMAND = 0x10000101;

// Button codes of class 8.
inline constexpr uint16_t SELECTDOWN = 104;
inline constexpr uint16_t SELECTUP = 232;
inline constexpr uint16_t MENUDOWN = 105;
inline constexpr uint16_t MENUUP = 233;

// Arrow-key codes of class 1024; Delete arrives as class 0x200000 code 127.
inline constexpr uint16_t CURSORUP = 0x4C;
inline constexpr uint16_t CURSORDOWN = 0x4D;
inline constexpr uint16_t CURSORRIGHT = 0x4E;
inline constexpr uint16_t CURSORLEFT = 0x4F;

// Qualifier bits; the word is shared by all windows.
inline constexpr uint16_t IEQUALIFIER_SHIFT = 0x0001;
inline constexpr uint16_t IEQUALIFIER_CONTROL = 0x0008;
inline constexpr uint16_t IEQUALIFIER_ALT = 0x0010;
inline constexpr uint16_t IEQUALIFIER_RBUTTON = 0x2000;
inline constexpr uint16_t IEQUALIFIER_LEFTBUTTON = 0x4000;

// Window flags.
inline constexpr uint32_t WFLG_BORDERLESS = 0x800;
inline constexpr uint32_t WFLG_ACTIVATE = 0x1000;

// OpenWindowTags tags.
inline constexpr QzWord WA_Left = 0x80000064;
inline constexpr QzWord WA_Top = 0x80000065;
inline constexpr QzWord WA_Width = 0x80000066;
inline constexpr QzWord WA_Height = 0x80000067;
inline constexpr QzWord WA_IDCMP = 0x8000006A;
inline constexpr QzWord WA_Flags = 0x8000006B;
inline constexpr QzWord WA_Title = 0x8000006E;
inline constexpr QzWord WA_CustomScreen = 0x80000070;
inline constexpr QzWord WA_InnerWidth = 0x80000076;
inline constexpr QzWord WA_InnerHeight = 0x80000077;
inline constexpr QzWord WA_PubScreen = 0x80000079;
inline constexpr QzWord WA_OwnerObject = 0x80002773;
// Accepted and ignored: this layer reports the mouse, adjusts, draws new-look
// menus and sends tablet data always, and shows the screen's title itself.
inline constexpr QzWord WA_ScreenTitle = 0x8000006F;
inline constexpr QzWord WA_ReportMouse = 0x80000086;
inline constexpr QzWord WA_AutoAdjust = 0x80000090;
inline constexpr QzWord WA_NewLookMenus = 0x80000093;
inline constexpr QzWord WA_TabletMessages = 0x8000009A;

// OpenScreenTags tags.
inline constexpr QzWord SA_Left = 0x80000021;
inline constexpr QzWord SA_Top = 0x80000022;
inline constexpr QzWord SA_Width = 0x80000023;
inline constexpr QzWord SA_Height = 0x80000024;
inline constexpr QzWord SA_Title = 0x80000028;

// The frame this layer draws round a window without WFLG_BORDERLESS.
inline constexpr int kFrameWidth = 4;
inline constexpr int kCaptionHeight = 18;

// Pressure tag of a tablet block: pressure 0..255 in the top byte.
inline constexpr QzWord QZ_TABLET_PRESSURE = 0x8003A006;

// Window kinds answered by the owner object (the Window class's method 0x900FA).
inline constexpr uint32_t kWindowKindPopUpChild = 0x02;
inline constexpr uint32_t kWindowKindTopLevel = 64;

struct NewWindow;
struct NewScreen;
struct Screen;

struct QzTabletData {
  TagItem* Tags;   // one pressure item, then the end item
  uint32_t Cursor; // the tablet cursor (pen, eraser...)
};

struct InputMessage {
  Message ExecMessage;
  uint32_t Class;
  uint16_t Code;
  uint16_t Qualifier;
  // Kept for the record's shape; never filled (receivers read the window's mouse fields).
  QzWord IAddress;
  int16_t MouseX, MouseY;
  uint32_t Seconds, Micros;
  int16_t RefreshLeft, RefreshTop, RefreshRight, RefreshBottom;  // class 4 only
  QzTabletData* TabletData;  // non-null only in tablet mouse messages
};

struct Window {
  Node Link;  // in the window list
  int16_t LeftEdge, TopEdge, Width, Height;  // outer box, desktop pixels
  int16_t MouseY, MouseX;  // last pointer position from the outer top-left
  int16_t MinWidth, MinHeight, MaxWidth, MaxHeight;  // 0 leaves a side unlimited
  uint32_t Flags;
  const char* Title;
  Screen* WScreen;
  RastPort* RPort;  // draws into the backing store
  int8_t BorderLeft, BorderTop, BorderRight, BorderBottom;
  uint32_t IDCMPFlags;  // stored only
  MsgPort* UserPort;
  void* Thread;        // no thread per window here: always null
  uint32_t Starting;   // 1 while opening or closing (read under Forbid)
  void* OwnerObject;   // the Window-class object that opened it
  uint32_t Refreshing; // 1 between BeginRefresh and EndRefresh
  int16_t DamageMinX, DamageMinY, DamageMaxX, DamageMaxY;
  void* HostContext;   // this layer's private record of the window
  void* Cursor;        // the shape handed to the host (an int in a pointer)
};

// The pointer position is written by the thread that delivers input (under
// Forbid) and read by the window's event thread without it, so both go
// through these.
inline int16_t Qz_WindowMouseX(Window* w) {
  return std::atomic_ref<int16_t>(w->MouseX).load(std::memory_order_relaxed);
}
inline int16_t Qz_WindowMouseY(Window* w) {
  return std::atomic_ref<int16_t>(w->MouseY).load(std::memory_order_relaxed);
}
inline void Qz_SetWindowMouse(Window* w, int16_t x, int16_t y) {
  std::atomic_ref<int16_t>(w->MouseX).store(x, std::memory_order_relaxed);
  std::atomic_ref<int16_t>(w->MouseY).store(y, std::memory_order_relaxed);
}

struct Screen {
  int16_t LeftEdge, TopEdge, Width, Height;
  const char* Title;
  struct RastPort RastPort;  // draws over the whole desktop (exclusive-or overlay)
  void* RotatedFont;
  uint32_t* Pens;  // the colour table: face, 0x000000, 0xFFFFFF, 0xFFB43C, then 0
  void* HostContext;
  uint32_t Starting;
};

// What this layer needs of the object system and the application; set once by
// the layers above, missing entries act as "none". Each is called without any
// lock of this layer held.
struct QzWindowHooks {
  // The owner object's window kind (method 0x900FA).
  uint32_t (*windowKind)(void* owner);
  // For kind 0x02: the platform window of the top-most window object above the owner.
  Window* (*ownerWindow)(void* owner);
  // The Window of the main object (menu commands, main-window close, Ctrl keys with none active).
  Window* (*mainWindow)(void);
  // Asynchronous 0x13003C to the application object; the receiver owns the
  // copy of the path (AllocVec). A null path: a folder was dropped last.
  void (*openFile)(char* path);
  // Sets the image base's current folder (a dropped folder).
  void (*setCurrentFolder)(const char* path);
  // Asynchronous 0x131388 with a scanner block (AllocVec) that the receiver owns.
  void (*scannerBlock)(void* block, size_t bytes);
  // An edit control holding user data lost the keyboard focus: asynchronous
  // 0x101B8 on the window's owner object with (userData, 0x1E005A, 0, 0).
  void (*editLostFocus)(void* ownerObject, void* userData);
};

// A single-line edit control laid over part of a window (0: none). Handles
// stay safe to pass after the control is gone: calls on them do nothing.
typedef uintptr_t QzEditControl;

QZ_EXTERN_C_BEGIN

QZ_EXPORT void Qz_SetWindowHooks(const QzWindowHooks* hooks);

// Starts the window layer (chooses the host back end); 1, or 0 when it cannot.
QZ_EXPORT uint32_t init_graphics(void);
QZ_EXPORT void cleanup_graphics(void);

QZ_EXPORT Window* OpenWindowTagList(NewWindow* unused, const TagItem* tags);
// Closes and frees the window; input messages still queued are freed with its port.
QZ_EXPORT void CloseWindow(Window* window);
QZ_EXPORT Screen* OpenScreenTagList(NewScreen* unused, const TagItem* tags);
QZ_EXPORT int32_t CloseScreen(Screen* screen);
QZ_EXPORT Screen* LockPubScreen(const char* name);
// The screen's size as it is now: the host's thread changes it when the host
// window is resized, so it is read under the desk's lock. Zero for no screen.
QZ_EXPORT void Qz_GetScreenSize(const Screen* screen, int32_t* width, int32_t* height);

// Width and height are inner sizes; the window's own border sizes are added.
QZ_EXPORT void ChangeWindowBox(Window* window, int16_t left, int16_t top, int16_t width, int16_t height);
QZ_EXPORT void SetWindowTitles(Window* window, const char* windowTitle, const char* screenTitle);
QZ_EXPORT int32_t WindowLimits(Window* window, int16_t minWidth, int16_t minHeight, int16_t maxWidth,
                               int16_t maxHeight);
QZ_EXPORT void ActivateWindow(Window* window);
QZ_EXPORT void WindowToFront(Window* window);
// The window at (window left + mouse X, window top + mouse Y), or NULL over the desktop.
QZ_EXPORT Window* Qz_FindWindowUnderMouse(Window* window);
QZ_EXPORT void Qz_GrabMousePointer(Window* window);
QZ_EXPORT void Qz_UngrabMousePointer(Window* window);
// Corners inclusive; a 50% checkerboard of the foreground and background pens.
QZ_EXPORT void Qz_FillHatchedRectangle(RastPort* rp, int16_t x0, int16_t y0, int16_t x1, int16_t y1);
// Shows a cursor shape (the numbering of Qz_SetCursor) while the pointer is over the window.
QZ_EXPORT void Qz_SetHostCursor(Window* window, int32_t shape);

// Makes one input message (the only way they are made). post != 0: queued
// (moves and moved/sized messages replace one queued message of their class,
// refresh rectangles merge into the one queued refresh) and NULL returned;
// post == 0: returned unqueued. NULL window or no memory: NULL, nothing queued.
QZ_EXPORT InputMessage* Qz__PostInputMessage(Window* window, uint32_t cls, uint16_t code, uint16_t qualifier,
                                             int32_t post, int16_t left, int16_t top, int16_t right,
                                             int16_t bottom);
// A menu pick (class 0x10000101, code the id) to the main object's window.
QZ_EXPORT void Qz__PostMenuCommand(uint16_t id);

// Shows what has been drawn into backing stores since the last call (the
// host presents at most every 16 ms). Safe from any thread.
QZ_EXPORT void Qz_HostFlush(void);
// The compose lock: the desktop is composed from the backing stores under it,
// so a thread drawing into a window's rast port holds it meanwhile (the draw
// info's lock takes it). Re-entrant; taken after the draw info and the redraw
// buffer, before Forbid; never held while waiting for another thread.
QZ_EXPORT void Qz_LockHostCompose(void);
QZ_EXPORT void Qz_UnlockHostCompose(void);
// The window that gets keys and activation messages, and the one under the pointer.
QZ_EXPORT Window* Qz_GetActiveWindow(void);
QZ_EXPORT Window* Qz_GetMouseWindow(void);
QZ_EXPORT uint16_t Qz_GetQualifier(void);
// Bits per pixel of the display: always 32 (direct colour).
QZ_EXPORT uint32_t Qz_GetDisplayDepth(void);

// Makes an edit control at (x, y) in the window's outer frame, width x height;
// it draws itself there, takes the keys while it has the focus, and loses the
// focus to a click elsewhere, Enter (to its window) or Tab (to the next one).
QZ_EXPORT QzEditControl Qz_CreateEditControl(Window* window, int16_t x, int16_t y, int16_t width, int16_t height);
QZ_EXPORT void Qz_DestroyEditControl(QzEditControl control);
QZ_EXPORT int32_t Qz_SetEditControlText(QzEditControl control, const char* utf8);
// Copies the text (cut at a whole character, terminated) into buffer; returns
// the bytes copied, 0 for a gone control.
QZ_EXPORT int32_t Qz_GetEditControlText(QzEditControl control, char* buffer, int32_t size);
QZ_EXPORT void Qz_SetEditControlUserData(QzEditControl control, void* userData);
QZ_EXPORT void* Qz_GetEditControlUserData(QzEditControl control);
// A click at (x, y) inside the control: it takes the focus and the caret goes there.
QZ_EXPORT void Qz_EditControlClick(QzEditControl control, int16_t x, int16_t y);
QZ_EXPORT QzEditControl Qz_GetFocusedEditControl(void);

QZ_EXTERN_C_END

#ifdef __cplusplus
// OpenWindowTags(nullptr, WA_Left, 10, WA_Title, "Tools", TAG_DONE)
template <typename... Args>
inline Window* OpenWindowTags(NewWindow* unused, Args... args) {
  const auto words = qz::packWords(args...);
  return OpenWindowTagList(unused, reinterpret_cast<const TagItem*>(words.data()));
}
template <typename... Args>
inline Screen* OpenScreenTags(NewScreen* unused, Args... args) {
  const auto words = qz::packWords(args...);
  return OpenScreenTagList(unused, reinterpret_cast<const TagItem*>(words.data()));
}
#endif
