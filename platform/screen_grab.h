// Screen grabs: the desktop, the active window or its client area, read as
// the host shows them (the X root window, or the composed framebuffer when
// headless).
#pragma once

#include <cstdint>

#include "platform/qz_export.h"

// What a grab takes.
inline constexpr int32_t kQzGrabDesktop = 0;
inline constexpr int32_t kQzGrabActiveWindow = 1;   // with its frame
inline constexpr int32_t kQzGrabActiveClient = 2;   // inside the frame

QZ_EXTERN_C_BEGIN

// The rectangle a grab of `source` takes, in screen pixels (the whole
// display, of which our desktop may be a part; the active window may be
// another program's). 0 when there is no screen or no active window, or for
// an unknown source.
QZ_EXPORT int32_t Qz_ScreenGrabRect(int32_t source, int32_t* left, int32_t* top, int32_t* width, int32_t* height);
// Reads width x height desktop pixels (0x00RRGGBB, top row first) into
// `pixels`, which holds width * height entries. 0 when the host cannot.
QZ_EXPORT int32_t Qz_ScreenGrabPixels(int32_t left, int32_t top, int32_t width, int32_t height, uint32_t* pixels);

QZ_EXTERN_C_END
