// The colour gadgets: ColourBox, ColourSpace and the ColourEdit built from
// them; the ids other families send them. Colours are 0x00BBGGRR.
#pragma once

#include <cstdint>

// ColourEdit. Sets (and notifies) the colour, red | green << 8 | blue << 16.
inline constexpr uint32_t kColourEditClassId = 0x1B0000;
inline constexpr uint32_t kQzColourEditColour = 0x1B001E;
inline constexpr uint32_t kColourEditSetRed = 0x1B0032;  // green, blue, hue, saturation, value follow
inline constexpr uint32_t kColourEditSetHue = 0x1B0035;
inline constexpr uint32_t kColourEditSetHtml = 0x1B0038;  // text "#RRGGBB"
inline constexpr uint32_t kColourEditShowViews = 0x1D0064;
inline constexpr uint32_t kColourEditHideViews = 0x1D006E;

// ColourBox.
inline constexpr uint32_t kColourBoxClassId = 0x170000;
inline constexpr uint32_t kColourBoxSetRed = 0x17000A;  // green 0x17000B, blue 0x17000C
inline constexpr uint32_t kColourBoxGetRed = 0x170014;  // green 0x170015, blue 0x170016
inline constexpr uint32_t kColourBoxSetRGB = 0x17001E;  // pointer to three bytes r, g, b
inline constexpr uint32_t kColourBoxSetWidth = 0x170032;
inline constexpr uint32_t kColourBoxGetWidth = 0x17003C;
inline constexpr uint32_t kColourBoxSetHeight = 0x170046;
inline constexpr uint32_t kColourBoxGetHeight = 0x170050;

// ColourSpace.
inline constexpr uint32_t kColourSpaceClassId = 0x1D0000;
inline constexpr uint32_t kColourSpaceSetColour = 0x1D001E;  // also the notification
inline constexpr uint32_t kColourSpaceGetColour = 0x1D0028;
inline constexpr uint32_t kColourSpaceSetKind = 0x1D003C;
inline constexpr uint32_t kColourSpaceGetKind = 0x1D0046;
inline constexpr uint32_t kColourSpaceShowMarker = 0x1D0050;
inline constexpr uint32_t kColourSpaceHideMarker = 0x1D005A;

#include "objects/qz_object.h"

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitColourBoxClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupColourBoxClass(void);
QZ_EXPORT QzWord Qz_InitColourEditClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupColourEditClass(void);
QZ_EXPORT QzWord Qz_InitColourSpaceClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupColourSpaceClass(void);
QZ_EXTERN_C_END
