// Helpers for toolkit windows on the X11 host under a virtual display: read
// what the X screen shows, drive it with xdotool, take screenshots with
// ImageMagick and find a window's buttons through its objects.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "objects/qz_object.h"
#include "support/external_tools.h"

struct Window;

namespace qztest::x11 {

// The X screen's pixel (0x00RRGGBB) once it shows the expected value, or
// whatever it shows after 5 seconds.
uint32_t shownPixel(int x, int y, uint32_t expected);

// Whether a pixel is dark enough to be ink: every channel below 0x60.
bool isInk(uint32_t rgb);
// Waits (up to 5 seconds) until the X screen shows at least `atLeast` ink
// pixels inside the rectangle.
bool waitForInk(int x, int y, int w, int h, int atLeast);

// What the X screen shows in the rectangle once two grabs a little apart
// agree (drawing has reached it), or the last grab after 5 seconds.
std::vector<uint32_t> steadyPixels(int x, int y, int w, int h);

// Runs xdotool with the arguments; its exit status.
int xdotool(const std::string& args);

// Clicks the left button at an X screen position (the host window covers
// the screen from its top-left corner, so desktop and X positions agree).
bool clickAt(int x, int y);
// Clicks the middle of an object of an open window.
bool clickObject(Window* window, Qz_Object* object);
// Where a framed window's close box is, in X screen positions.
void closeBoxPosition(const Window* window, int* x, int* y);

// A picture of the whole X screen, written by ImageMagick's import and read
// back through convert.
struct Screenshot {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;  // 0x00RRGGBB, rows top to bottom
  // Takes it into the file (PNG); false when either tool failed.
  bool take(const std::string& path);
  uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
  // Pixels of exactly that colour inside the rectangle.
  int count(int x, int y, int w, int h, uint32_t rgb) const;
  // Pixels dark enough to be ink (text is smoothed, so few are pure black).
  int countInk(int x, int y, int w, int h) const;
};

// Where this test program leaves its screenshots for people to look at.
std::string screenshotPath(const char* name);

// A Window object's buttons, in tree order, with the label of each face
// (a button without a face is left out).
struct LabelledButton {
  std::string label;
  Qz_Object* button;
};
std::vector<LabelledButton> buttonsOf(Qz_Object* windowObject);
Qz_Object* buttonLabelled(Qz_Object* windowObject, const std::string& label);
// Waits (as waitForInk) until every button of `window` shows ink inside its
// frame: its label has reached the X screen.
bool waitForButtonLabels(const Window* window, const std::vector<LabelledButton>& buttons);

// Waits (up to 5 seconds) for the active window to be an open Window object
// with that title; NULL when none came.
Qz_Object* waitForActiveWindow(const char* title);
// Waits (up to 5 seconds) for a Window object just told to open to have its
// platform window; NULL when none came.
Window* waitForPlatformWindow(Qz_Object* windowObject);
// Waits until the window's event thread has handled everything queued so
// far, its drawing included.
bool settle(Qz_Object* windowObject);

}  // namespace qztest::x11
