// Window: owns one platform window and the gadget tree shown in it. Each
// opened window (kind other than a pop-up) runs its own event thread,
// named "Qz Window" followed by the title, on which every gadget method
// that draws or handles input runs. Other threads reach a window's gadgets
// with Qz_DoAsyncMethod on the window.
//
// Build the tree with Qz_CreateObject("Window", ...) and add gadgets with
// kGroupAddTail (they go into the window's vertical content group); open
// with kRootOpen, close with kRootHide or kWindowClose (each moves the
// open count by one; the window is open while the count is 0 or below).
#pragma once

#include <cstdint>

#include "objects/qz_object.h"

struct Window;

inline constexpr uint32_t kWindowClassId = 0x90000;
inline constexpr uint32_t kWindowOpen = 0x90028;   // opens on the window's thread (lowers the open count)
inline constexpr uint32_t kWindowClose = 0x90032;  // closes (raises the open count); also the close-gadget notification
inline constexpr uint32_t kWindowActivated = 0x900C8;    // notification
inline constexpr uint32_t kWindowDeactivated = 0x900C9;  // notification
inline constexpr uint32_t kWindowPopUpChoice = 0x900D2;  // notification
inline constexpr uint32_t kWindowSetTitle = 0x900DC;
inline constexpr uint32_t kWindowGetTitle = 0x900E6;
inline constexpr uint32_t kWindowSetKind = 0x900F0;
inline constexpr uint32_t kWindowGetKind = 0x900FA;
inline constexpr uint32_t kWindowSetOptions = 0x90104;
inline constexpr uint32_t kWindowGetOptions = 0x9010E;
inline constexpr uint32_t kWindowSetCentreObject = 0x90118;
inline constexpr uint32_t kWindowGetCentreObject = 0x90122;
inline constexpr uint32_t kWindowSetBoxTags = 0x9012C;
inline constexpr uint32_t kWindowSetX = 0x90140;
inline constexpr uint32_t kWindowGetX = 0x9014A;
inline constexpr uint32_t kWindowSetY = 0x90154;
inline constexpr uint32_t kWindowGetY = 0x9015E;
inline constexpr uint32_t kWindowSetW = 0x90168;
inline constexpr uint32_t kWindowGetW = 0x90172;
inline constexpr uint32_t kWindowSetH = 0x9017C;
inline constexpr uint32_t kWindowGetH = 0x90186;
inline constexpr uint32_t kWindowSetXOffset = 0x90190;
inline constexpr uint32_t kWindowSetYOffset = 0x9019A;
inline constexpr uint32_t kWindowSetDefaultWidth = 0x901A4;
inline constexpr uint32_t kWindowSetDefaultHeight = 0x901AE;
inline constexpr uint32_t kWindowSetExtraFlags = 0x901B8;
inline constexpr uint32_t kWindowChangeBox = 0x901EA;  // x, y, w, h
inline constexpr uint32_t kWindowSetRightOf = 0x901F4;
inline constexpr uint32_t kWindowSetBelow = 0x901FE;
inline constexpr uint32_t kWindowSetCursor = 0x90208;
inline constexpr uint32_t kWindowGetCursor = 0x90212;
inline constexpr uint32_t kWindowSetPositionKey = 0x9021C;
inline constexpr uint32_t kWindowGetPositionKey = 0x90226;
inline constexpr uint32_t kWindowFireClose = 0x90230;
inline constexpr uint32_t kWindowToFront = 0x9023A;
// Answered with 0, with no effect.
inline constexpr uint32_t kWindowInertA = 0x90244;
inline constexpr uint32_t kWindowInertB = 0x9024E;
// Measures, fits, places and draws the whole tree again; queue it to the
// window's own thread (Qz_DoAsyncMethod) from any other.
inline constexpr uint32_t kWindowRelayout = 0x90258;
// {character}: the typed character handed to the window's tree as if typed
// into it; queue it to the window's own thread. The zoom keys a window has no
// use for go so to the window under the pointer.
inline constexpr uint32_t kWindowTakeKey = 0x90262;

// Window kinds.
inline constexpr uint32_t kWindowKindFramed = 0x01;
inline constexpr uint32_t kWindowKindPopUp = 0x02;
inline constexpr uint32_t kWindowKindActiveBorderless = 0x10;
inline constexpr uint32_t kWindowKindColourMatched = 0x20;
inline constexpr uint32_t kWindowKindFreeStanding = 0x40;
inline constexpr uint32_t kWindowKindBottomAnchoredPopUp = 10;

// X or Y meaning "centre on the screen".
inline constexpr uint32_t kWindowCentred = 0xCECECECE;

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitWindowClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupWindowClass(void);
// The event loop of a window object's thread (the Thread object's entry).
QZ_EXPORT void Qz__HandleWindow(QzWord windowObject);
// The platform window of an open Window object, or NULL.
QZ_EXPORT struct Window* Qz__PlatformWindowOf(Qz_Object* windowObject);
// For the platform layer's hooks (QzWindowHooks windowKind / ownerWindow),
// which whoever installs the hooks plugs in: the kind of a Window object
// (0 for anything else), and the platform window of the top-most Window
// object holding it (the pop-up's owner).
QZ_EXPORT uint32_t Qz__WindowKindOf(void* windowObject);
QZ_EXPORT struct Window* Qz__OwnerPlatformWindowOf(void* windowObject);
QZ_EXTERN_C_END
