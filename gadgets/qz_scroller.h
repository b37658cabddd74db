// Scroll bars (Scroller) and the scrolled viewport built from two of them
// (VirtualGroup): their method ids and the knob arithmetic, kept as plain
// functions so that the geometry can be checked without a window.
#pragma once

#include <cstdint>

#include "objects/qz_object.h"

// ---- Scroller ----
inline constexpr uint32_t kScrollerClassId = 0x1C0000;
inline constexpr uint32_t kScrollerForward = 0x1C000A;
inline constexpr uint32_t kScrollerBack = 0x1C0014;
inline constexpr uint32_t kScrollerSetPosition = 0x1C001E;  // also the notification
inline constexpr uint32_t kScrollerGetPosition = 0x1C0028;
inline constexpr uint32_t kScrollerSetTotal = 0x1C0032;
inline constexpr uint32_t kScrollerGetTotal = 0x1C003C;
inline constexpr uint32_t kScrollerSetVisible = 0x1C0046;
inline constexpr uint32_t kScrollerGetVisible = 0x1C0050;
inline constexpr uint32_t kScrollerSetMinimum = 0x1C005A;
inline constexpr uint32_t kScrollerSetStep = 0x1C006E;
inline constexpr uint32_t kScrollerGetStep = 0x1C0078;
inline constexpr uint32_t kSliderSetMinimum = 0x80000064;
inline constexpr uint32_t kSliderSetTotal = 0x8000006E;
inline constexpr uint32_t kSliderSetPosition = 0x80000078;  // also the slider-mode notification
inline constexpr uint32_t kSliderGetPosition = 0x80000079;
inline constexpr uint32_t kSliderSetFormat = 0x80000082;
inline constexpr uint32_t kScrollerVertical = 2;  // orientation (Group 0x201F4)

// ---- VirtualGroup ----
inline constexpr uint32_t kVirtualGroupClassId = 0x240000;
inline constexpr uint32_t kVirtualGroupUpdateBars = 0x20280;
inline constexpr uint32_t kVirtualGroupSetHorizontalGadget = 0x240032;
inline constexpr uint32_t kVirtualGroupGetHorizontalGadget = 0x24003C;
inline constexpr uint32_t kVirtualGroupSetVerticalGadget = 0x240046;
inline constexpr uint32_t kVirtualGroupGetVerticalGadget = 0x240050;
inline constexpr uint32_t kVirtualGroupShowObject = 0x24005A;  // to the contents
inline constexpr uint32_t kVirtualGroupSetHorizontalStep = 0x240064;
inline constexpr uint32_t kVirtualGroupGetHorizontalStep = 0x24006E;
inline constexpr uint32_t kVirtualGroupSetStepRow = 0x240078;  // -1: the first member's height
inline constexpr uint32_t kVirtualGroupGetVerticalStep = 0x240082;
inline constexpr uint32_t kVirtualGroupHideBars = 0x24008C;
inline constexpr uint32_t kVirtualGroupShowBars = 0x240096;
inline constexpr uint32_t kVirtualGroupHideRow = 0x2400A0;
inline constexpr uint32_t kVirtualGroupHideColumn = 0x2400AA;
inline constexpr uint32_t kVirtualGroupShowRow = 0x2400B4;
inline constexpr uint32_t kVirtualGroupShowColumn = 0x2400BE;

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitScrollerClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupScrollerClass(void);
QZ_EXPORT QzWord Qz_InitVirtualGroupClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupVirtualGroupClass(void);
QZ_EXTERN_C_END

namespace qz::gadgets {

// The knob of a scroll bar along a track of trackLength pixels whose frame
// is frame pixels thick: its length and its offset from the track's start.
struct Knob {
  int32_t length;
  int32_t offset;
};
QZ_EXPORT Knob scrollKnob(int32_t trackLength, int32_t frame, int32_t total, int32_t visible, int32_t position);

// A slider-mode knob's offset: horizontal sliders grow to the right,
// vertical ones upwards. A range with no room (total at the minimum) puts
// the knob at its start.
QZ_EXPORT int32_t sliderKnobOffset(int32_t trackLength, int32_t frame, int32_t knobLength, int32_t minimum,
                                   int32_t total, int32_t position, bool vertical);

// A position held to minimum .. total - visible (never past the minimum
// when the range is empty).
QZ_EXPORT int32_t clampScrollPosition(int32_t position, int32_t minimum, int32_t total, int32_t visible);

// The position a drag reaches: the pointer moved by pointerDelta pixels
// since the drag began at startPosition. A knob as long as the track or
// longer leaves a one-pixel room, so the division never meets zero.
QZ_EXPORT int32_t dragScrollPosition(int32_t startPosition, int32_t pointerDelta, int32_t trackLength,
                                     int32_t frame, int32_t knobLength, int32_t minimum, int32_t total,
                                     int32_t visible);

// After measuring: the object's maximum width and/or height become the
// layout's largest size, so it stretches as far as it is given room.
QZ_EXPORT void stretchWithoutLimit(Qz_Object* object, bool width, bool height);

}  // namespace qz::gadgets
