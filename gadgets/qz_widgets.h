// Labels, fillers, pictures, buttons and the progress bar: their method ids
// and the Init/Cleanup functions the built-in class table calls.
#pragma once

#include <cstddef>
#include <cstdint>

#include "objects/qz_object.h"

// ---- Text ----
inline constexpr uint32_t kTextClassId = 0x40000;
inline constexpr uint32_t kTextSetNumber = 0x4000A;
inline constexpr uint32_t kTextGetNumber = 0x40014;
inline constexpr uint32_t kTextSetMode = 0x4001E;
inline constexpr uint32_t kTextGetMode = 0x40028;
inline constexpr uint32_t kTextSetRotation = 0x40032;
inline constexpr uint32_t kTextGetRotation = 0x4003C;
inline constexpr uint32_t kTextModeOpaque = 1;
inline constexpr uint32_t kTextModeWrapped = 4;

// ---- Space ----
inline constexpr uint32_t kSpaceClassId = 0xE0000;
inline constexpr uint32_t kSpaceSetSize = 0xE000A;
inline constexpr uint32_t kSpaceSetEtched = 0xE0028;
inline constexpr uint32_t kSpaceGetEtched = 0xE0032;
inline constexpr uint32_t kSpaceSetMinWidth = 0xE0050;
inline constexpr uint32_t kSpaceSetMinHeight = 0xE005A;
inline constexpr uint32_t kSpaceZeroSize = 0xFFFF;

// Fixed width / height of a Root-based gadget (Space, BitMap, VectorImage).
inline constexpr uint32_t kFixWidth = 0x1012C;
inline constexpr uint32_t kFixHeight = 0x10136;

// Largest size a stretchable gadget takes.
inline constexpr int16_t kGadgetMaxSize = 1280;

// ---- BitMap ----
inline constexpr uint32_t kBitMapClassId = 0x80000;
inline constexpr uint32_t kBitMapToolBarName = 0x8000A;
inline constexpr uint32_t kBitMapGetToolBarName = 0x80014;
inline constexpr uint32_t kBitMapLoad = 0x8001E;
inline constexpr uint32_t kBitMapLoad2 = 0x80000136;
inline constexpr uint32_t kBitMapGetFileName = 0x80028;
inline constexpr uint32_t kBitMapUseBitMap = 0x80032;
inline constexpr uint32_t kBitMapUseBitMap2 = 0x80000140;
inline constexpr uint32_t kBitMapGetBitMap = 0x8003C;
inline constexpr uint32_t kBitMapGetBitMap2 = 0x80000141;
inline constexpr uint32_t kBitMapSetSecond = 0x80046;
inline constexpr uint32_t kBitMapGetSecond = 0x80050;
inline constexpr uint32_t kBitMapSetValueA = 0x8005A;
inline constexpr uint32_t kBitMapSetValueB = 0x80064;
inline constexpr uint32_t kBitMapSetWidth = 0x8006E;
inline constexpr uint32_t kBitMapSetHeight = 0x80078;
inline constexpr uint32_t kBitMapColourZeroBackground = 0x80082;
inline constexpr uint32_t kBitMapShare = 0x8008C;
inline constexpr uint32_t kBitMapLoadResource = 0x80096;

// ---- Button ----
inline constexpr uint32_t kButtonClassId = 0x30000;
inline constexpr uint32_t kButtonToggle = 0x3000A;
inline constexpr uint32_t kButtonImmediate = 0x30014;
inline constexpr uint32_t kButtonType = 0x3001E;
inline constexpr uint32_t kButtonPressed = 0x30028;  // notification
inline constexpr uint32_t kButtonSetSelected = 0x30032;
inline constexpr uint32_t kButtonGetSelected = 0x3003C;
inline constexpr uint32_t kButtonSilent = 0x1005A;
inline constexpr uint32_t kButtonSetKey = 0x4A000A;
inline constexpr uint32_t kButtonGetKey = 0x4A0014;

// ---- ToolButton ----
inline constexpr uint32_t kToolButtonClassId = 0x490000;
inline constexpr uint32_t kToolButtonSetState = 0x49000A;
inline constexpr uint32_t kToolButtonGetState = 0x490014;

// ---- ProgressBar ----
inline constexpr uint32_t kProgressBarClassId = 0x480000;
inline constexpr uint32_t kProgressBarSetValue = 0x48000A;
inline constexpr uint32_t kProgressBarGetValue = 0x480014;
inline constexpr uint32_t kProgressBarSetMax = 0x48001E;
inline constexpr uint32_t kProgressBarGetMax = 0x480028;
inline constexpr uint32_t kProgressBarSetText = 0x480032;
inline constexpr uint32_t kProgressBarGetText = 0x48003C;
inline constexpr uint32_t kProgressBarRemoveLabel = 0x48006E;

// ---- VectorImage ----
inline constexpr uint32_t kVectorImageClassId = 0x50000;
inline constexpr uint32_t kVectorImageSetKind = 0x50032;
inline constexpr uint32_t kVectorImageLeftArrow = 0x5000A;
inline constexpr uint32_t kVectorImageRightArrow = 0x50014;
inline constexpr uint32_t kVectorImageUpArrow = 0x5001E;
inline constexpr uint32_t kVectorImageDownArrow = 0x50028;
inline constexpr uint32_t kVectorImageCheckMark = 0x50032;
inline constexpr uint32_t kVectorImagePlusBox = 0x500A0;

struct Qz_DrawInfo;

QZ_EXTERN_C_BEGIN
// Draws a symbol kind into the box: pen 2 when selected, else the disabled
// pen when disabled, else pen 1. Kinds outside the table draw nothing.
QZ_EXPORT void Qz__RenderVectorImage(Qz_DrawInfo* info, int32_t x, int32_t y, int32_t width, int32_t height,
                                     uint32_t kind, uint32_t selected, uint32_t disabled);
QZ_EXPORT QzWord Qz_InitVectorImageClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupVectorImageClass(void);
QZ_EXPORT QzWord Qz_InitTextClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupTextClass(void);
QZ_EXPORT QzWord Qz_InitSpaceClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupSpaceClass(void);
QZ_EXPORT QzWord Qz_InitBitMapClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupBitMapClass(void);
QZ_EXPORT QzWord Qz_InitButtonClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupButtonClass(void);
QZ_EXPORT QzWord Qz_InitToolButtonClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupToolButtonClass(void);
QZ_EXPORT QzWord Qz_InitProgressBarClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupProgressBarClass(void);
QZ_EXTERN_C_END

namespace qz::widgets {

// The text a formatted label shows for a number. The label is a format
// only when it holds at most one integer conversion (flags and width
// allowed) besides "%%"; any other label is shown as it stands, so a label
// can never make the formatter read arguments that are not there.
QZ_EXPORT void formatNumber(const char* label, int32_t number, char* out, std::size_t size);

}  // namespace qz::widgets
