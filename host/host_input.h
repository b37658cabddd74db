// Entry points through which a host back end hands input to the window layer
// and takes the composed desktop back. Positions are desktop pixels. Each call
// runs the window-procedure logic on the calling thread and returns once the
// resulting messages are queued.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/raster/pixel_buffer.h"
#include "platform/qz_export.h"

namespace qz::host {

// Modifier keys held, as the host reports them.
inline constexpr uint32_t kModShift = 1;
inline constexpr uint32_t kModControl = 2;
inline constexpr uint32_t kModAlt = 4;

// Virtual-key codes the window layer gives special meaning.
inline constexpr uint16_t kVkBack = 0x08;
inline constexpr uint16_t kVkTab = 0x09;
inline constexpr uint16_t kVkReturn = 0x0D;
inline constexpr uint16_t kVkShift = 0x10;
inline constexpr uint16_t kVkControl = 0x11;
inline constexpr uint16_t kVkMenu = 0x12;  // Alt
inline constexpr uint16_t kVkEscape = 0x1B;
inline constexpr uint16_t kVkSpace = 0x20;
inline constexpr uint16_t kVkLeft = 0x25;
inline constexpr uint16_t kVkUp = 0x26;
inline constexpr uint16_t kVkRight = 0x27;
inline constexpr uint16_t kVkDown = 0x28;
inline constexpr uint16_t kVkDelete = 0x2E;
inline constexpr uint16_t kVkF1 = 0x70;

enum class Button { Left, Middle, Right, WheelUp, WheelDown };

// The modifiers held now (hosts that report them with every event call this first).
QZ_EXPORT void setModifiers(uint32_t mods);
QZ_EXPORT void pointerMoved(int x, int y);
QZ_EXPORT void buttonEvent(Button button, bool down, int x, int y);
// A key went down or up. character: the code point the key types without
// Ctrl (0 for none); the layer makes Ctrl+letter into 1..26 itself.
QZ_EXPORT void keyEvent(uint16_t virtualKey, char32_t character, bool down);
// The pointer left the host window, or the host window lost the focus.
QZ_EXPORT void pointerLeftHost();
// The 100 ms window timer.
QZ_EXPORT void tick();
QZ_EXPORT void hostResized(int width, int height);
// The user asked to close the host window.
QZ_EXPORT void closeRequested();
// Files dropped on the desktop, in order.
QZ_EXPORT void filesDropped(const std::vector<std::string>& paths);
// Data handed over by another process (a second start or the scanner program).
QZ_EXPORT void copyDataReceived(uint32_t tag, const uint8_t* bytes, std::size_t length);

// One pen-tablet sample in desktop pixels, raw pressure on the axis given by setTabletAxis.
struct TabletSample {
  uint32_t cursor = 0;
  uint32_t buttons = 0;
  int32_t x = 0, y = 0;
  uint32_t pressure = 0;
};
QZ_EXPORT void setTabletAxis(bool present, int32_t minimum, int32_t maximum);
QZ_EXPORT void tabletSample(const TabletSample& sample);

// Composes the desktop area (windows in their bands, the overlay) into out,
// which must be desktop-sized. Returns the area that changed since the last
// call (all of it the first time); the caller shows at least that.
QZ_EXPORT raster::IntRect composeDesktop(raster::PixelBuffer& out);
// Makes the next composition cover the whole desktop.
QZ_EXPORT void invalidateDesktop();

// Once a menu bar has been shown, a strip kMenuStripHeight rows high lies
// above the desktop (the host window keeps it from then on); pointer input
// there arrives with y from -kMenuStripHeight to -1.
inline constexpr int kMenuStripHeight = 20;
// The strip's height now: 0 before the first menu bar, then kMenuStripHeight.
QZ_EXPORT int menuStripHeight();
// Draws the strip into out (desktop width x kMenuStripHeight) when it changed;
// the area drawn (empty when nothing changed).
QZ_EXPORT raster::IntRect composeMenuStrip(raster::PixelBuffer& out);

}  // namespace qz::host
