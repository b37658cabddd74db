#include "tools/handle_overlay.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <vector>

#include "actions/action_internal.h"
#include "platform/graphics.h"
#include "tools/point_action_edit.h"

namespace qz::tools {
namespace {

constexpr uint32_t kOutlinePen = kDirectColourFlag | 0x000000;
constexpr uint32_t kHandlePen = kDirectColourFlag | 0xFFFFFF;

struct Overlay {
  std::vector<HandlePoint> points;  // picture pixels
  bool fourCorner = false;
  bool operator==(const Overlay&) const = default;
};

std::mutex gOverlayMutex;
std::map<const Qz_Image*, Overlay> gOverlays;

Overlay Qz__OverlayOf(Qz_Object* action, std::span<const HandlePoint> points) {
  Overlay o;
  if (!action) return o;
  const uint32_t flags = uint32_t(Qz_DoMethod(action, kActionGetFlags));
  o.points.assign(points.begin(), points.end());
  o.fourCorner = (flags & kActionBoxHandles) != 0;
  Qz_Image* layer = qz::actions::layerOf(action);
  if (!(flags & kActionRestorePoint) && layer)
    for (HandlePoint& p : o.points) p.x += layer->placement.layerX, p.y += layer->placement.layerY;
  return o;
}

struct WindowBox {
  int32_t left, top, right, bottom;
};

void Qz__Square(RastPort* rp, const WindowBox& clip, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  x0 = std::max(x0, clip.left), y0 = std::max(y0, clip.top);
  x1 = std::min(x1, clip.right), y1 = std::min(y1, clip.bottom);
  if (x0 > x1 || y0 > y1) return;
  SetAPen(rp, kOutlinePen);
  RectFill(rp, x0, y0, x1, y1);
  if (x1 - x0 >= 2 && y1 - y0 >= 2) {
    SetAPen(rp, kHandlePen);
    RectFill(rp, x0 + 1, y0 + 1, x1 - 1, y1 - 1);
  }
}

void Qz__Line(RastPort* rp, const WindowBox& clip, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  if (x0 == x1 && (x0 < clip.left || x0 > clip.right)) return;
  if (y0 == y1 && (y0 < clip.top || y0 > clip.bottom)) return;
  DrawLine(rp, std::clamp(x0, clip.left, clip.right), std::clamp(y0, clip.top, clip.bottom),
           std::clamp(x1, clip.left, clip.right), std::clamp(y1, clip.top, clip.bottom), kOutlinePen);
}

}  // namespace

void showHandles(Qz_Image* document, Qz_Object* action) {
  showHandlePoints(document, action, action ? actionPoints(action) : std::vector<HandlePoint>{});
}

void showHandlePoints(Qz_Image* document, Qz_Object* action, std::span<const HandlePoint> points) {
  if (!document) return;
  Overlay o = Qz__OverlayOf(action, points);
  {
    std::lock_guard<std::mutex> hold(gOverlayMutex);
    auto found = gOverlays.find(document);
    if (o.points.empty()) {
      if (found == gOverlays.end()) return;
      gOverlays.erase(found);
    } else {
      if (found != gOverlays.end() && found->second == o) return;
      gOverlays[document] = std::move(o);
    }
  }
  Qz_FullRedrawImage(document);
}

void hideAllHandles() {
  std::vector<Qz_Image*> shown;
  {
    std::lock_guard<std::mutex> hold(gOverlayMutex);
    for (const auto& [document, overlay] : gOverlays) shown.push_back(const_cast<Qz_Image*>(document));
    gOverlays.clear();
  }
  // Only a document still open is redrawn: the lock refuses one that has gone.
  for (Qz_Image* document : shown)
    if (Qz_LockImageA(document, kQzLockRead, nullptr)) {
      Qz_FullRedrawImage(document);
      Qz_UnlockImageA(document, kQzLockRead, nullptr);
    }
}

void drawHandles(Qz_Image* document, RastPort* rp, int32_t left, int32_t top, int32_t width, int32_t height) {
  Overlay o;
  {
    std::lock_guard<std::mutex> hold(gOverlayMutex);
    auto found = gOverlays.find(document);
    if (found == gOverlays.end()) return;
    o = found->second;
  }
  if (!rp || width <= 0 || height <= 0) return;
  const WindowBox clip{left, top, left + width - 1, top + height - 1};
  const uint32_t savedPen = rp->FgPen, savedMode = GetDrMd(rp);
  SetDrMd(rp, JAM1);
  std::vector<HandlePoint> w;
  for (const HandlePoint& p : o.points) w.push_back({ImageToWindowX(document, p.x), ImageToWindowY(document, p.y)});
  const int32_t s = 2 * kHandleHalfSize + 1;
  if (o.fourCorner && w.size() >= 4) {
    for (size_t i = 0; i < 4; ++i) Qz__Line(rp, clip, w[i].x, w[i].y, w[(i + 1) % 4].x, w[(i + 1) % 4].y);
    // Corner handles outside their corners, edge handles outside the middle of each edge.
    const int32_t dx[4] = {-s, 0, 0, -s}, dy[4] = {-s, -s, 0, 0};
    for (size_t i = 0; i < 4; ++i) Qz__Square(rp, clip, w[i].x + dx[i], w[i].y + dy[i], w[i].x + dx[i] + s - 1, w[i].y + dy[i] + s - 1);
    const int32_t half = s / 2;
    const int32_t mx0 = (w[0].x + w[1].x) / 2, mx2 = (w[2].x + w[3].x) / 2;
    const int32_t my1 = (w[1].y + w[2].y) / 2, my3 = (w[3].y + w[0].y) / 2;
    Qz__Square(rp, clip, mx0 - half, w[0].y - s, mx0 - half + s - 1, w[0].y - 1);
    Qz__Square(rp, clip, w[1].x + 1, my1 - half, w[1].x + s, my1 - half + s - 1);
    Qz__Square(rp, clip, mx2 - half, w[2].y + 1, mx2 - half + s - 1, w[2].y + s);
    Qz__Square(rp, clip, w[3].x - s, my3 - half, w[3].x - 1, my3 - half + s - 1);
  } else {
    for (const HandlePoint& p : w) Qz__Square(rp, clip, p.x - kHandleHalfSize, p.y - kHandleHalfSize, p.x + kHandleHalfSize, p.y + kHandleHalfSize);
  }
  SetABPenDrMd(rp, savedPen, rp->BgPen, savedMode);
}

}  // namespace qz::tools
