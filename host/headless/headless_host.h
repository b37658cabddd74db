// The headless host: an in-memory desktop (1024 x 768 unless set) whose input
// comes from these calls. Tests drive it exactly as a display would; each call
// returns once the resulting messages are queued.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/host_input.h"
#include "platform/qz_export.h"

namespace qz::headless {

// Desktop size for the next screen opened (before OpenScreenTagList).
QZ_EXPORT void setDesktopSize(int width, int height);

QZ_EXPORT void moveTo(int x, int y);
QZ_EXPORT void press(host::Button button = host::Button::Left);
QZ_EXPORT void release(host::Button button = host::Button::Left);
// Move, press and release at one point.
QZ_EXPORT void click(int x, int y, host::Button button = host::Button::Left);
QZ_EXPORT void keyDown(uint16_t virtualKey, char32_t character = 0);
QZ_EXPORT void keyUp(uint16_t virtualKey);
// Down and up of one key.
QZ_EXPORT void typeKey(uint16_t virtualKey, char32_t character = 0);
// Types ASCII text key by key (Shift around upper-case letters).
QZ_EXPORT void typeText(const std::string& text);
// The 100 ms window timer, once.
QZ_EXPORT void tick();

// Waits until every window's user port is empty and every registered probe
// reports idle; true when that happened within the time.
QZ_EXPORT bool settle(int timeoutMilliseconds = 2000);
// A test of idleness from another part of the system (image threads...).
using IdleProbe = bool (*)(void* context);
QZ_EXPORT void addIdleProbe(IdleProbe probe, void* context);
QZ_EXPORT void removeIdleProbe(IdleProbe probe, void* context);

// The composed desktop as it would be shown (0x00RRGGBB).
QZ_EXPORT uint32_t screenPixel(int x, int y);
QZ_EXPORT std::vector<uint32_t> screenPixels(int x, int y, int width, int height);

// The in-process clipboard's contents, for checks.
QZ_EXPORT std::vector<std::string> clipboardTypes();
// How often the host was asked to come to the front.
QZ_EXPORT int raiseCount();
// Whether a window holds the pointer grab (Qz_GrabMousePointer).
QZ_EXPORT bool pointerGrabbed();

}  // namespace qz::headless
