// The drawing info of a window: what every object shown in it draws with.
// The Window class fills it when its platform window opens; objects reach it
// through Root's drawing-info word and lock it (Qz_LockDrawInfo) to draw.
#pragma once

#include <cstdint>

struct Qz_Object;
struct Qz_LayoutBox;
struct Qz_Semaphore;
struct RastPort;
struct Screen;
struct Window;

struct Qz_DrawInfo {
  struct Window* window;          // platform window; NULL while closed
  struct RastPort* rastPort;      // the window's (draws into its backing store)
  Qz_Object* windowObject;        // the Window object that owns this info
  Qz_LayoutBox* currentBox;       // box of the object currently drawing
  Qz_Semaphore* drawSemaphore;    // serialises drawing into the window
  int32_t inspectors;             // inspection locks held (class-list lock)
  int32_t refusedLocks;           // draw locks refused to avoid a deadlock
  int32_t pendingRedraws;         // draws skipped while the tree was busy
  Qz_Object* screenObject;        // the Screen object above the window
  struct Screen* screen;          // the platform screen
  uint16_t fontHeight;            // the screen's text height
  // Pen values (pen numbers or 0x02BBGGRR direct colours).
  uint32_t lightPen, darkPen, backgroundPen;
  uint32_t disabledPen, highlightPen, framePen, linePen;
  int16_t frameWidth, frameHeight;  // 2 and 2 in every window
  uint32_t directColours;           // non-zero: object colours may be used
};
