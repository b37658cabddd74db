#include "platform/screen_grab.h"

#include <algorithm>
#include <mutex>
#include <vector>

#include "host/host_backend.h"
#include "platform/windows_internal.h"

QZ_EXTERN_C_BEGIN

int32_t Qz_ScreenGrabRect(int32_t source, int32_t* left, int32_t* top, int32_t* width, int32_t* height) {
  if (!left || !top || !width || !height) return 0;
  if (source != kQzGrabDesktop && source != kQzGrabActiveWindow && source != kQzGrabActiveClient) return 0;
  qz::host::Backend& host = qz::host::backend();
  qz::host::Backend::GrabArea screen, area;
  int deskLeft = 0, deskTop = 0;
  if (!host.grabScreenArea(&screen, &deskLeft, &deskTop)) return 0;
  if (source == kQzGrabDesktop) {
    area = screen;
  } else if (!host.foreignActiveWindow(source == kQzGrabActiveClient, &area)) {
    // The user works in one of our windows: it lies on our desktop.
    std::lock_guard<std::recursive_mutex> lock(qz::win::desk().lock);
    const Window* win = qz::win::desk().active;
    if (!win) return 0;
    area = {deskLeft + win->LeftEdge, deskTop + win->TopEdge, win->Width, win->Height};
    if (source == kQzGrabActiveClient) {
      area.x += win->BorderLeft, area.y += win->BorderTop;
      area.width -= win->BorderLeft + win->BorderRight, area.height -= win->BorderTop + win->BorderBottom;
    }
  }
  // Only what lies on the screen can be read.
  const int32_t right = std::min(area.x + area.width, screen.x + screen.width);
  const int32_t bottom = std::min(area.y + area.height, screen.y + screen.height);
  const int32_t x = std::max(area.x, screen.x), y = std::max(area.y, screen.y);
  if (right <= x || bottom <= y) return 0;
  *left = x, *top = y, *width = right - x, *height = bottom - y;
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
