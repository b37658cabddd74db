// Pen-tablet pressure on mouse messages. Where the host has a tablet (X11:
// an XInput2 device with a pressure axis), its samples queue up between mouse
// messages and each changed, pressed sample becomes one mouse message carrying
// a tablet block; without one, every tablet call answers 0 and mouse messages
// stay plain.
#pragma once

#include <cstdint>

#include "platform/qz_export.h"

struct Window;

QZ_EXTERN_C_BEGIN

// A tablet context for the desktop (non-zero), or 0 when there is no tablet.
QZ_EXPORT uintptr_t Qz__OpenTabletContext(void* mainWindow);
// Refreshes the cached data of the current tablet cursor.
QZ_EXPORT void Qz__ReadTabletCursorInfo(void);
// Raw sample to pressure 0..255 on the current axis (0 without a tablet).
QZ_EXPORT uint32_t Qz__TabletPressure(uint32_t cursor, uint32_t buttons, int32_t x, int32_t y,
                                      uint32_t normalPressure);
// Posts the queued samples as messages of the given class (a plain message
// when none is queued). Holds Forbid itself.
QZ_EXPORT void Qz__PostTabletPackets(Window* window, uint32_t cls, uint16_t code, uint16_t qualifier);

QZ_EXTERN_C_END

namespace qz::tablet {

// The pressure axis of the current cursor: values from minimum to maximum;
// pressMark is the value from which the pressure button counts as down.
struct Axis {
  int32_t minimum = 0;
  int32_t maximum = 0;
  int32_t pressMark = 0;
  uint32_t pressButton = 0;  // button number whose bit in the sample's buttons means "pressed"
};

// Pressure 0..255 of a raw value on an axis (what Qz__TabletPressure uses).
QZ_EXPORT uint32_t scalePressure(const Axis& axis, uint32_t buttons, uint32_t raw);

}  // namespace qz::tablet
