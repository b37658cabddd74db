#include "platform/screen_grab.h"

#include <algorithm>
#include <mutex>
#include <vector>

#include "host/host_backend.h"
#include "platform/windows_internal.h"

QZ_EXTERN_C_BEGIN

int32_t Qz_ScreenGrabRect(int32_t source, int32_t* left, int32_t* top, int32_t* width, int32_t* height) {
  if (!left || !top || !width || !height) return 0;
  std::lock_guard<std::recursive_mutex> lock(qz::win::desk().lock);
  const qz::win::Desk& desk = qz::win::desk();
  if (!desk.screen) return 0;
  int32_t x = 0, y = 0, w = desk.screen->Width, h = desk.screen->Height;
  if (source == kQzGrabActiveWindow || source == kQzGrabActiveClient) {
    const Window* win = desk.active;
    if (!win) return 0;
    x = win->LeftEdge, y = win->TopEdge, w = win->Width, h = win->Height;
    if (source == kQzGrabActiveClient) {
      x += win->BorderLeft, y += win->BorderTop;
      w -= win->BorderLeft + win->BorderRight, h -= win->BorderTop + win->BorderBottom;
    }
    // Only what lies on the desktop can be read.
    const int32_t right = std::min<int32_t>(x + w, desk.screen->Width);
    const int32_t bottom = std::min<int32_t>(y + h, desk.screen->Height);
    x = std::max(x, 0), y = std::max(y, 0);
    w = right - x, h = bottom - y;
  } else if (source != kQzGrabDesktop) {
    return 0;
  }
  if (w <= 0 || h <= 0) return 0;
  *left = x, *top = y, *width = w, *height = h;
  return 1;
}

int32_t Qz_ScreenGrabPixels(int32_t left, int32_t top, int32_t width, int32_t height, uint32_t* pixels) {
  if (!pixels || width <= 0 || height <= 0) return 0;
  std::vector<uint32_t> grabbed;
  if (!qz::host::backend().grabScreen(left, top, width, height, &grabbed)) return 0;
  if (grabbed.size() != static_cast<size_t>(width) * height) return 0;
  std::copy(grabbed.begin(), grabbed.end(), pixels);
  return 1;
}

QZ_EXTERN_C_END
