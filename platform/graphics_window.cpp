// Rast-port calls that act through a window: clip regions (installed while
// an object draws, narrowed to the damage while a window refreshes),
// refresh brackets and scrolling a window's content.
#include <algorithm>

#include "platform/graphics.h"
#include "platform/windows.h"

namespace qz::graphics {
void clipToRectangle(RastPort* rp, const Rectangle& r, bool replace);
}

namespace {

// The damage rectangle is inclusive; min > max means nothing is damaged.
Rectangle damageOf(const Window* w) { return {w->DamageMinX, w->DamageMinY, w->DamageMaxX, w->DamageMaxY}; }

Rectangle intersect(const Rectangle& a, const Rectangle& b) {
  return {std::max(a.MinX, b.MinX), std::max(a.MinY, b.MinY), std::min(a.MaxX, b.MaxX), std::min(a.MaxY, b.MaxY)};
}

}  // namespace

QZ_EXTERN_C_BEGIN

struct Region* InstallClipRegion(struct Layer* layer, struct Region* region) {
  if (layer == nullptr || layer->window == nullptr || layer->window->RPort == nullptr) return nullptr;
  Window* w = layer->window;
  RastPort* rp = w->RPort;
  const bool refreshing = w->Refreshing != 0;
  if (region == nullptr) {
    if (refreshing)
      qz::graphics::clipToRectangle(rp, damageOf(w), /*replace=*/true);
    else
      Qz_ClearClip(rp);
    return nullptr;
  }
  // The region's bounds are inclusive like every Rectangle, so its last row
  // and column stay drawable.
  Rectangle bounds = region->bounds;
  if (refreshing) bounds = intersect(bounds, damageOf(w));
  qz::graphics::clipToRectangle(rp, bounds, /*replace=*/false);
  return nullptr;
}

void BeginRefresh(struct Window* window) {
  if (window == nullptr) return;
  window->Refreshing = 1;
}

void EndRefresh(struct Window* window) {
  if (window == nullptr) return;
  // The damage clip belongs to the refresh: left in place, every later
  // drawing would stay confined to the last damaged area.
  if (window->Refreshing != 0 && window->RPort != nullptr) Qz_ClearClip(window->RPort);
  window->Refreshing = 0;
  window->DamageMinX = window->DamageMinY = 32767;
  window->DamageMaxX = window->DamageMaxY = 0;
}

void ScrollWindowRaster(struct Window* window, int32_t dx, int32_t dy, int32_t xMin, int32_t yMin, int32_t xMax,
                        int32_t yMax) {
  if (window == nullptr) return;
  Qz_ScrollRastPort(window->RPort, dx, dy, xMin, yMin, xMax, yMax);
}

QZ_EXTERN_C_END
