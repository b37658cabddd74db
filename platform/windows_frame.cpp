// The frames this layer draws round bordered windows (4-pixel edge, 18-pixel
// caption with the title and a close box) and the composition of the desktop:
// the main window's face, then every window's backing store in stacking
// order, then the screen's exclusive-or overlay.
#include <algorithm>
#include <cstring>

#include "host/host_input.h"
#include "platform/menu_bar_internal.h"
#include "platform/windows_internal.h"

namespace qz::win {
namespace {

constexpr int kCloseBoxSize = 14;
constexpr int kEdgeGrip = 16;  // how far along an edge a corner grip reaches
constexpr uint32_t kOuterEdge = 0x404040;
constexpr uint32_t kActiveCaption = 0x0A246A;
constexpr uint32_t kInactiveCaption = 0x808080;
constexpr uint32_t kActiveTitle = 0xFFFFFF;
constexpr uint32_t kInactiveTitle = 0xD4D0C8;

uint32_t faceRgb(const Window* w) {
  return raster::rgbFromColorRef(w->WScreen && w->WScreen->Pens ? w->WScreen->Pens[0] : 0x00C8D0D4);
}

void fillRect(PixelBuffer& b, IntRect r, uint32_t rgb) {
  r = r.intersect(b.bounds());
  for (int y = r.y0; y < r.y1; ++y) std::fill_n(b.row(y) + r.x0, r.width(), rgb);
  b.addDirty(r);
}

void frameRect(PixelBuffer& b, const IntRect& r, uint32_t rgb) {
  fillRect(b, {r.x0, r.y0, r.x1, r.y0 + 1}, rgb);
  fillRect(b, {r.x0, r.y1 - 1, r.x1, r.y1}, rgb);
  fillRect(b, {r.x0, r.y0, r.x0 + 1, r.y1}, rgb);
  fillRect(b, {r.x1 - 1, r.y0, r.x1, r.y1}, rgb);
}

IntRect closeBoxRect(const Window* w) {
  const int x1 = w->Width - kFrameWidth - 2, y0 = kFrameWidth + (kCaptionHeight - kCloseBoxSize) / 2;
  return {x1 - kCloseBoxSize, y0, x1, y0 + kCloseBoxSize};
}

void drawCloseBox(Window* w, PixelBuffer& b, bool pressed) {
  const IntRect r = closeBoxRect(w);
  fillRect(b, r, faceRgb(w));
  frameRect(b, r, pressed ? 0x000000 : kOuterEdge);
  // A cross of two diagonals, inset by 3 pixels.
  const int off = pressed ? 1 : 0;
  for (int i = 3; i < kCloseBoxSize - 3; ++i) {
    const int x = r.x0 + i + off, y = r.y0 + i + off, xr = r.x1 - 1 - i + off;
    if (b.bounds().contains(x, y)) b.at(x, y) = 0x000000;
    if (b.bounds().contains(xr, y)) b.at(xr, y) = 0x000000;
  }
}

}  // namespace

void drawFrame(Window* w) {
  if (!w || (w->Flags & WFLG_BORDERLESS)) return;
  WindowHost* host = hostOf(w);
  if (!host || !host->store) return;
  PixelBuffer& b = *host->store;
  const Desk& d = desk();
  const bool active = d.active == w;
  const IntRect all = b.bounds();
  const int W = all.width(), H = all.height();
  const uint32_t face = faceRgb(w);
  // The edge: one dark line outside, face colour within.
  fillRect(b, {0, 0, W, kFrameWidth}, face);
  fillRect(b, {0, H - kFrameWidth, W, H}, face);
  fillRect(b, {0, 0, kFrameWidth, H}, face);
  fillRect(b, {W - kFrameWidth, 0, W, H}, face);
  frameRect(b, all, kOuterEdge);
  const IntRect caption{kFrameWidth, kFrameWidth, W - kFrameWidth, kFrameWidth + kCaptionHeight};
  fillRect(b, caption, active ? kActiveCaption : kInactiveCaption);

  const IntRect box = closeBoxRect(w);
  RastPort rp{};
  Qz_AttachRastPort(&rp, &b);
  Qz_SetClipRect(&rp, caption.x0 + 4, caption.y0, box.x0 - 3, caption.y1 - 1);
  SetDrMd(&rp, JAM1);
  SetAPen(&rp, kDirectColourFlag | raster::colorRefFromRgb(active ? kActiveTitle : kInactiveTitle));
  const int textTop = caption.y0 + std::max(0, (kCaptionHeight - static_cast<int>(rp.TxHeight)) / 2);
  Move(&rp, caption.x0 + 4, textTop);
  if (w->Title && *w->Title) Text(&rp, w->Title, static_cast<int32_t>(std::strlen(w->Title)));
  drawCloseBox(w, b, d.drag == FrameDrag::CloseBox && d.dragWindow == w && d.closeBoxPressed);
  host->captionActive = active;
}

FramePart framePart(const Window* w, int x, int y, int* edges) {
  *edges = 0;
  if (w->Flags & WFLG_BORDERLESS) return FramePart::Client;
  const int lx = x - w->LeftEdge, ly = y - w->TopEdge, W = w->Width, H = w->Height;
  const bool onLeft = lx < kFrameWidth, onRight = lx >= W - kFrameWidth;
  const bool onTop = ly < kFrameWidth, onBottom = ly >= H - kFrameWidth;
  if (onLeft || onRight || onTop || onBottom) {
    int e = 0;
    if (onLeft || ((onTop || onBottom) && lx < kEdgeGrip)) e |= 1;
    if (onRight || ((onTop || onBottom) && lx >= W - kEdgeGrip)) e |= 2;
    if (onTop || ((onLeft || onRight) && ly < kEdgeGrip)) e |= 4;
    if (onBottom || ((onLeft || onRight) && ly >= H - kEdgeGrip)) e |= 8;
    *edges = e;
    return FramePart::Edge;
  }
  if (ly < w->BorderTop) return closeBoxRect(w).contains(lx, ly) ? FramePart::CloseBox : FramePart::Caption;
  return FramePart::Client;
}

}  // namespace qz::win

namespace qz::host {

using namespace qz::win;

void invalidateDesktop() {
  std::lock_guard<std::recursive_mutex> lock(desk().lock);
  desk().composedOnce = false;
  markMenuStripDirty();
}

raster::IntRect composeDesktop(raster::PixelBuffer& out) {
  Desk& d = desk();
  std::lock_guard<std::recursive_mutex> lock(d.lock);
  IntRect area = d.dirty;
  d.dirty = {};
  for (Window* w : d.stack) {
    const IntRect changed = hostOf(w)->store->takeDirty();
    if (!changed.empty())
      area = area.unite({changed.x0 + w->LeftEdge, changed.y0 + w->TopEdge, changed.x1 + w->LeftEdge,
                         changed.y1 + w->TopEdge});
  }
  if (d.overlay) area = area.unite(d.overlay->takeDirty());
  if (!d.composedOnce) {
    area = out.bounds();
    d.composedOnce = true;
  }
  area = area.intersect(out.bounds());
  if (area.empty()) return {};

  const uint32_t face = raster::rgbFromColorRef(d.screen && d.screen->Pens ? d.screen->Pens[0] : 0x00C8D0D4);
  for (int y = area.y0; y < area.y1; ++y) std::fill_n(out.row(y) + area.x0, area.width(), face);
  for (Window* w : d.stack) {
    const PixelBuffer& store = *hostOf(w)->store;
    const IntRect box{w->LeftEdge, w->TopEdge, w->LeftEdge + store.width(), w->TopEdge + store.height()};
    const IntRect r = box.intersect(area);
    for (int y = r.y0; y < r.y1; ++y)
      std::copy_n(store.row(y - box.y0) + (r.x0 - box.x0), r.width(), out.row(y) + r.x0);
    composeEdits(w, out, area);
  }
  if (d.drag == FrameDrag::Size) {
    // The size the frame will take, as an inverted outline.
    const IntRect o{d.dragBox.x0 - 1, d.dragBox.y0 - 1, d.dragBox.x1 + 1, d.dragBox.y1 + 1};
    auto invert = [&](IntRect r) {
      r = r.intersect(area);
      for (int y = r.y0; y < r.y1; ++y)
        for (int x = r.x0; x < r.x1; ++x) out.at(x, y) ^= 0xFFFFFF;
    };
    invert({o.x0, o.y0, o.x1, o.y0 + 2});
    invert({o.x0, o.y1 - 2, o.x1, o.y1});
    invert({o.x0, o.y0 + 2, o.x0 + 2, o.y1 - 2});
    invert({o.x1 - 2, o.y0 + 2, o.x1, o.y1 - 2});
  }
  if (d.overlay) {
    const IntRect r = area.intersect(d.overlay->bounds());
    for (int y = r.y0; y < r.y1; ++y) {
      const uint32_t* src = d.overlay->row(y) + r.x0;
      uint32_t* dst = out.row(y) + r.x0;
      for (int x = 0; x < r.width(); ++x) dst[x] ^= src[x];
    }
  }
  composeMenus(out, area);
  out.addDirty(area);
  return area;
}

}  // namespace qz::host
