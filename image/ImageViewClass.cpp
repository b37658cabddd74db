// ImageView: shows a document at a zoom, turns the document's change
// notices into redraws on its own redraw thread, keeps the progress state
// of a re-render, and hands pointer and key input to the current tool.
#include <algorithm>
#include <climits>
#include <cstdio>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <new>
#include <tuple>

#include "gadgets/group_layout.h"
#include "gadgets/qz_group.h"
#include "gadgets/qz_input_event.h"
#include "gadgets/qz_thread.h"
#include "gadgets/qz_widgets.h"
#include "gadgets/qz_window.h"
#include "gadgets/window_post.h"
#include "gadgets/window_geometry.h"
#include "image/dirty_rows.h"
#include "image/image_internal.h"
#include "image/image_shell.h"
#include "image/image_view_internal.h"
#include "objects/async_methods.h"
#include "objects/object_services.h"
#include "objects/qz_class_kit.h"
#include "objects/qz_notify.h"
#include "objects/qz_root.h"
#include "platform/graphics.h"
#include "platform/windows.h"
#include "tools/handle_overlay.h"

namespace {

constexpr uint32_t kImageViewClassId = 0x440000;
constexpr uint32_t kReopenWindow = 0x1002db;
constexpr int32_t kMaxZoomFactor = 8;
// Columns the shared redraw buffer holds; wider rectangles are drawn in pieces.
constexpr int32_t kBufferColumns = 2048;
constexpr int32_t kBandRows = 256;

extern const qz::kit::ClassDecl kImageViewClass;

using qz::view::asView;
using qz::view::Qz_ImageView;
using qz::view::ViewNode;

bool isView(Qz_Object* object) {
  return object && object->self == reinterpret_cast<QzWord>(object) && qz::kit::declOf(object) == &kImageViewClass;
}

// ---- the shared redraw buffer ---------------------------------------------------------

SignalSemaphore gRedrawSemaphore;
std::once_flag gRedrawOnce;

void initRedrawSemaphore() { std::call_once(gRedrawOnce, [] { InitSemaphore(&gRedrawSemaphore); }); }

// ---- drawing ------------------------------------------------------------------------------

int32_t scaleDown(int64_t c, int64_t num, int64_t den) { return den ? int32_t(c * num / den) : 0; }
// c * num / den rounded up, for c >= 0.
int32_t scaleUp(int64_t c, int64_t num, int64_t den) { return den ? int32_t((c * num + den - 1) / den) : 0; }

// Where a rectangle of the image goes: the rast port, the view's top left
// corner in it and the size of the part shown (the view's box in a window).
struct DrawTarget {
  RastPort* rp;
  int32_t left, top, width, height;
  // The part of the window the view shows through (inclusive), smaller than
  // its box while it scrolls inside a viewport.
  int32_t clipX0 = INT32_MIN, clipY0 = INT32_MIN, clipX1 = INT32_MAX, clipY1 = INT32_MAX;
};

// View columns from..to of a zoomed row as B, G, R, column c from image
// column c * iw / zw exactly: a fixed-point step drifts a column off the
// cell edges that pointer positions and overlays are placed by.
void zoomedRow(const uint8_t* r, const uint8_t* g, const uint8_t* b, uint8_t* out, int32_t from, int32_t to,
               int32_t iw, int32_t zw) {
  const int64_t start = int64_t(from) * iw;
  int64_t source = start / zw, rest = start % zw;
  const int32_t whole = iw / zw, part = iw % zw;  // image columns a view column moves
  for (int32_t c = from; c <= to; ++c, out += 3) {
    out[0] = b[source];
    out[1] = g[source];
    out[2] = r[source];
    source += whole;
    rest += part;
    if (rest >= zw) {
      rest -= zw;
      ++source;
    }
  }
}

void drawRect(Qz_ImageView* view, const DrawTarget& to, uint8_t* buffer, size_t bytesPerRow,
              int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  Qz_Image* image = view->image;
  RastPort* rp = to.rp;
  if (!rp || !rp->Target) return;
  const int32_t iw = image->width, ih = image->height;
  const int32_t zw = view->zoomWidth, zh = view->zoomHeight;
  if (iw <= 0 || ih <= 0 || zw <= 0 || zh <= 0) return;
  const int32_t left = to.left, top = to.top;
  int32_t wx0 = scaleDown(x0, zw, iw) + left;
  // The last view column showing a column of the rectangle: view column c
  // shows image column c * iw / zw, so zoomed out (or by a fraction) the
  // rounded-down end would leave changed columns unseen.
  int32_t wx1 = std::max(wx0, scaleUp(int64_t(x1) + 1, zw, iw) + left - 1);
  int32_t wy0 = scaleDown(y0, zh, ih) + top;
  int32_t wy1 = std::max(wy0, scaleUp(int64_t(y1) + 1, zh, ih) + top - 1);
  wx0 = std::max({wx0, left + view->visibleX, left, 0, to.clipX0});
  wy0 = std::max({wy0, top + view->visibleY, top, 0, to.clipY0});
  wx1 = std::min({wx1, left + view->visibleX + view->visibleWidth - 1, left + to.width - 1, to.clipX1});
  wy1 = std::min({wy1, top + view->visibleY + view->visibleHeight - 1, top + to.height - 1, to.clipY1});
  if (wx1 < wx0 || wy1 < wy0) return;
  for (int32_t cx0 = wx0; cx0 <= wx1; cx0 += kBufferColumns) {
    const int32_t cx1 = std::min(wx1, cx0 + kBufferColumns - 1);
    const int32_t count = cx1 - cx0 + 1;
    for (int32_t band = wy0; band <= wy1; band += kBandRows + 1) {
      const int32_t bandEnd = std::min(wy1, band + kBandRows);
      for (int32_t wy = band; wy <= bandEnd; ++wy) {
        const int32_t iy = std::min(scaleDown(wy - top, ih, zh), ih - 1);
        uint8_t* out = buffer + size_t(wy - band) * bytesPerRow;
        if (image->depth == 24) {
          if (zw == iw)
            Qz_MakeRGBLine(image->r[iy] + (cx0 - left), image->g[iy] + (cx0 - left),
                           image->b[iy] + (cx0 - left), out, count);
          else
            zoomedRow(image->r[iy], image->g[iy], image->b[iy], out, cx0 - left, cx1 - left, iw, zw);
        } else {
          zoomedRow(image->grey[iy], image->grey[iy], image->grey[iy], out, cx0 - left, cx1 - left, iw, zw);
        }
      }
      WritePixelArray(buffer, 0, 0, int32_t(bytesPerRow), rp, cx0, band, count,
                      bandEnd - band + 1, kPixelFormatBGR24);
    }
  }
}

// The box narrowed by every enclosing box: what of the view its window shows.
DrawTarget shownPart(RastPort* rp, const Qz_LayoutBox* box) {
  DrawTarget to{rp, box->left, box->top, box->width, box->height};
  to.clipX0 = box->left, to.clipY0 = box->top;
  to.clipX1 = box->left + box->width - 1, to.clipY1 = box->top + box->height - 1;
  for (Qz_Object* up = box->parent; up != nullptr;) {
    const auto* b = reinterpret_cast<const Qz_LayoutBox*>(Qz_DoMethod(up, kRootGetLayoutBox));
    if (!b) break;
    if (b->width > 0 && b->height > 0) {
      to.clipX0 = std::max<int32_t>(to.clipX0, b->left);
      to.clipY0 = std::max<int32_t>(to.clipY0, b->top);
      to.clipX1 = std::min<int32_t>(to.clipX1, b->left + b->width - 1);
      to.clipY1 = std::min<int32_t>(to.clipY1, b->top + b->height - 1);
    }
    up = b->parent;
  }
  return to;
}

void redrawView(Qz_Object* object, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  if (!isView(object)) return;
  Qz_ImageView* view = asView(object);
  Qz_Image* image = view->image;
  if (!image || image->displayCount.load() < 1 ||
      image->state.load() != kQzImageAllocated)
    return;
  if (!Qz_LockImageA(image, kQzLockComposite, nullptr)) return;
  image->redrawNesting.fetch_add(1);
  Qz_ImageBase* base = Qz_GetImageBase();
  initRedrawSemaphore();
  // Shown in a window: drawn into its backing store under the window's draw
  // lock (nothing is drawn while the window is closed). The lock comes before
  // the compositor semaphore, in the order the window thread takes them when
  // its refresh draws the view: the other way round, a refresh waiting here
  // and this redraw waiting for the refresh's lock would wait for good.
  const bool inWindow = view->window || view->thumbnail;
  Qz_DrawInfo* info = inWindow ? Qz_LockDrawInfo(object) : nullptr;
  if (!inWindow || info) {
    // Compositing writes the pixels under the same shared image lock; its
    // semaphore keeps a redraw from reading a row while it is written.
    ObtainSemaphore(&image->compositorSemaphore);
    ObtainSemaphore(&gRedrawSemaphore);
    const size_t bytesPerRow = size_t(kBufferColumns) * 3;
    if (!base->redrawBuffer) {
      base->redrawBuffer = new (std::nothrow) uint8_t[bytesPerRow * (kBandRows + 1)];
      base->redrawBufferWidth = kBufferColumns;
      base->redrawBufferHeight = kBandRows + 1;
    }
    if (auto* buffer = static_cast<uint8_t*>(base->redrawBuffer)) {
      if (info) {
        const auto* box =
            reinterpret_cast<const Qz_LayoutBox*>(Qz_DoMethod(object, kRootGetLayoutBox));
        // The brush outline is taken off and put back over the new pixels,
        // so erasing it later gives back the picture, not stale inverted pixels.
        if (view->outline.shown) qz::view::drawOutline(info->rastPort, view->outline);
        drawRect(view, shownPart(info->rastPort, box), buffer, bytesPerRow, x0, y0, x1, y1);
        qz::tools::drawHandles(image, info->rastPort, box->left, box->top, box->width, box->height);
        if (view->outline.shown) qz::view::drawOutline(info->rastPort, view->outline);
      } else {
        drawRect(view, {&view->rastPort, view->left, view->top, view->zoomWidth, view->zoomHeight},
                 buffer, bytesPerRow, x0, y0, x1, y1);
      }
    }
    ReleaseSemaphore(&gRedrawSemaphore);
    ReleaseSemaphore(&image->compositorSemaphore);
  }
  if (info) Qz_UnlockDrawInfo(object);
  view->dirtyFlag.store(0);
  image->redrawNesting.fetch_sub(1);
  Qz_UnlockImageA(image, kQzLockComposite, nullptr);
}

int viewGeometry(Qz_Object* object, Qz_Image** image, int32_t* width, int32_t* height,
                 int32_t* offsetX, int32_t* offsetY) {
  if (!isView(object)) return 0;
  Qz_ImageView* view = asView(object);
  *image = view->image;
  *width = view->zoomWidth;
  *height = view->zoomHeight;
  *offsetX = view->left;
  *offsetY = view->top;
  return 1;
}

// ---- the redraw thread ----------------------------------------------------------------------

void wakeRedrawThread(Qz_ImageView* view) {
  // Read under the exclusion the ending redraw thread clears it under, so the
  // port cannot be deleted between the read and the signal.
  Forbid();
  MsgPort* port = view->port.load(std::memory_order_acquire);
  if (port && port->mp_SigTask) Signal(port->mp_SigTask, 1u << port->mp_SigBit);
  Permit();
}

void drawMarked(Qz_ImageView* view) {
  {
    std::lock_guard<std::mutex> hold(view->idleMutex);
    view->drawing = true;
  }
  for (;;) {
    std::vector<qz::DirtyRect> rects = view->dirty.take();
    if (rects.empty()) break;
    for (const qz::DirtyRect& r : rects) Qz_RedrawImageView(&view->object, r.x0, r.y0, r.x1, r.y1);
  }
  std::lock_guard<std::mutex> hold(view->idleMutex);
  view->drawing = false;
  view->idle.notify_all();
}

void redrawThreadEntry(QzWord argument) {
  auto* view = reinterpret_cast<Qz_ImageView*>(argument);
  MsgPort* port = CreateMsgPort();
  if (!port) return;
  view->port.store(port, std::memory_order_release);
  const uint32_t portMask = 1u << port->mp_SigBit;
  for (;;) {
    const uint32_t got = Wait(portMask | SIGBREAKF_CTRL_C);
    if (got & SIGBREAKF_CTRL_C) break;
    if (view->image && view->image->height > 0) drawMarked(view);
  }
  Forbid();
  view->port.store(nullptr, std::memory_order_release);
  Permit();
  DeleteMsgPort(port);
}

void resizeWindow(Qz_ImageView* view);
int32_t statusHeight(Qz_ImageView* view);
int32_t reservedStatusHeight(Qz_ImageView* view);
std::pair<int32_t, int32_t> documentCorner();
void requestFullRedraw(Qz_ImageView* view);
void setTitle(Qz_ImageView* view);
void postToStatus(Qz_ImageView* view, Qz_Object* target, uint32_t method, QzWord value);
QzWord fitToScreen(Qz_ImageView* view, bool apply);

// Puts the line in the status line's text page (on the window's thread).
void showStatusLine(Qz_ImageView* view, std::string line) {
  if (!view->window || !view->statusText) return;
  view->statusLines.push_back(std::make_unique<std::string>(std::move(line)));
  const char* label = view->statusLines.back()->c_str();
  postToStatus(view, view->statusText, kRootSetLabel, reinterpret_cast<QzWord>(label));
  postToStatus(view, view->statusText, kRootDraw, 0);
}

// A change notice of the shown image.
void onImageChanged(QzWord userData, Qz_Object*, uint32_t, const QzWord* words) {
  auto* view = reinterpret_cast<Qz_ImageView*>(userData);
  const uint32_t kind = uint32_t(words[0]);
  Qz_Image* image = view->image;
  if (!image) return;
  if (kind == kQzChangeRect || kind == kQzChangeAll) {
    if (!view->dirty.mark(int32_t(words[2]), int32_t(words[3]), int32_t(words[4]),
                           int32_t(words[5])))
      return;
    view->dirtyFlag.store(1);
    if (view->port.load(std::memory_order_acquire))
      wakeRedrawThread(view);
    else
      drawMarked(view);
  } else if (kind == kQzChangeTitle) {
    // The document was saved, maybe under a new name: the title follows and
    // the status line says where the file went.
    setTitle(view);
    showStatusLine(view, std::string("Saved to ") + (image->name ? image->name : ""));
  } else if (kind == kQzChangeFormat) {
    view->dirty.reset(image->width, image->height);
    if (view->window) {
      setTitle(view);
      fitToScreen(view, true);
    } else {
      Qz_DoMethod(&view->object, kQzViewZoom, 100, 1);
    }
    view->dirty.markAll();
    wakeRedrawThread(view);
  }
}

// ---- zoom -------------------------------------------------------------------------------------

int32_t zoomPercent(Qz_ImageView* view) {
  if (!view->image || view->zoomWidth == 0 || view->image->width == 0) return 100;
  return int32_t(int64_t(view->zoomWidth) * 100 / view->image->width);
}

int32_t setSize(Qz_ImageView* view, int32_t width, int32_t height) {
  Qz_Image* image = view->image;
  if (!image || image->state.load() != kQzImageAllocated) return 0;
  width = std::clamp(width, 1, kMaxZoomFactor * image->width);
  height = std::clamp(height, 1, kMaxZoomFactor * image->height);
  view->zoomWidth = width;
  view->zoomHeight = height;
  view->visibleWidth = width;
  view->visibleHeight = height;
  view->visibleX = std::clamp(view->visibleX, 0, std::max(0, width - view->visibleWidth));
  view->visibleY = std::clamp(view->visibleY, 0, std::max(0, height - view->visibleHeight));
  // A document's own view tells the panels that show its zoom (a fit too).
  if (view->window)
    if (Qz_Image* app = Qz_GetImageBase()->applicationImage)
      Qz_DoNotify(qz::imageObject(app), kQzViewZoom, uint32_t(zoomPercent(view)));
  return 0;
}

QzWord zoom(Qz_ImageView* view, int32_t percent, uint32_t flag) {
  Qz_Image* image = view->image;
  if (!image) return 0;
  percent = std::clamp(percent, 1, kMaxZoomFactor * 100);
  setSize(view, int32_t((int64_t(image->width) * percent + 99) / 100),
          int32_t(int64_t(image->height) * percent / 100));
  if (view->window) {
    resizeWindow(view);
    if (flag != 1) requestFullRedraw(view);
  } else if (flag != 1) {
    Qz_FullRedrawImage(image);
  }
  return 0;
}

int32_t zoomInStep(int32_t z) {
  if (z >= 100) return (z / 50 + 1) * 50;
  if (z >= 31) return (z / 10 + 1) * 10;
  return (z / 5 + 1) * 5;
}

int32_t zoomOutStep(int32_t z) {
  if (z > 100) return (z / 50) * 50 - 50;
  if (z >= 31) return (z / 10) * 10 - 10;
  return std::max(5, (z / 5) * 5 - 5);
}

// Takes the view out of its image's view list; the image shows the next
// view of the list, if any.
void leaveViewList(Qz_ImageView* view) {
  Qz_Image* image = view->image;
  if (!view->inViewList || !image) return;
  Remove(&view->node.node);
  view->inViewList = false;
  if (Qz_CurrentViewOf(image) == &view->object) {
    Node* next = image->views.lh_Head;
    Qz_SetCurrentView(image, next && next->ln_Succ ? reinterpret_cast<ViewNode*>(next)->view : nullptr);
  }
}

QzWord setImage(Qz_ImageView* view, Qz_Image* image) {
  // An image that went away first (the view outlived it) is not touched.
  if (view->image && qz::imageIsLive(view->image)) {
    if (view->changeNotify) Qz_RemoveNotify(qz::imageObject(view->image), view->changeNotify);
    leaveViewList(view);
  }
  view->inViewList = false;
  view->changeNotify = 0;
  view->image = image;
  if (!image) return 1;
  if (view->thumbnail) {
    view->zoomWidth = view->visibleWidth = image->width;
    view->zoomHeight = view->visibleHeight = image->height;
    view->visibleX = view->visibleY = 0;
    return 1;
  }
  view->changeNotify = Qz_AddCallBackNotify(qz::imageObject(image), kQzImageChanged,
                                            kNotifyAnyValue, onImageChanged,
                                            reinterpret_cast<QzWord>(view));
  view->node.view = &view->object;
  AddHead(&image->views, &view->node.node);
  view->inViewList = true;
  Qz_SetCurrentView(image, &view->object);
  view->dirty.reset(image->width, image->height);
  view->zoomWidth = view->visibleWidth = image->width;
  view->zoomHeight = view->visibleHeight = image->height;
  view->visibleX = view->visibleY = 0;
  return 1;
}

// ---- the document window -------------------------------------------------------------------

Qz_LayoutBox* boxOf_(Qz_Object* object) {
  return reinterpret_cast<Qz_LayoutBox*>(Qz_DoMethod(object, kRootGetLayoutBox));
}
Qz_LayoutBox* boxOf(Qz_ImageView* view) { return boxOf_(&view->object); }

// Rounds of fitting the window to its viewport after a zoom.
constexpr int32_t kFitTries = 4;
Qz_Object* scrollArea(Qz_ImageView* view);
void fitWindowToViewport(Qz_ImageView* view);

// Room kept for the status line under the picture.
constexpr int32_t kStatusReserve = 24;

// Room the viewport takes round the picture without its bars (its frame,
// and below the picture a spacer and the emptied bar row), and with them.
constexpr int32_t kViewportFrameWidth = 4;
constexpr int32_t kViewportFrameHeight = 6;
constexpr int32_t kViewportReserve = 32;

// The part of the zoomed picture its window shows: all of it where the
// screen has room inside the viewport's frame, else what fits beside the
// bars; the rest scrolls into sight.
// The screen's room is taken by takeScreenRoom when the window is fitted to
// the screen, so the screen's lock is never taken under the window's.
std::pair<int32_t, int32_t> shownSize(Qz_ImageView* view) {
  int32_t w = view->zoomWidth, h = view->zoomHeight;
  if (!view->viewport || view->roomWidth <= 0) return {w, h};
  if (w <= view->roomWidth - kViewportFrameWidth && h <= view->roomHeight - kViewportFrameHeight) return {w, h};
  w = std::min(w, std::max(16, view->roomWidth - kViewportReserve));
  h = std::min(h, std::max(16, view->roomHeight - kViewportReserve));
  return {w, h};
}

void takeScreenRoom(Qz_ImageView* view) {
  Screen* screen = LockPubScreen(nullptr);
  if (!screen) return;
  int32_t width = 0, height = 0;
  Qz_GetScreenSize(screen, &width, &height);
  view->screenWidth = width;
  view->screenHeight = height;
  std::tie(view->roomWidth, view->roomHeight) =
      qz::gui::documentRoom(width, height, documentCorner(), reservedStatusHeight(view));
}

// The layout box is the zoomed size; the minimum is the part shown, so the
// window grows to show the picture whole where the screen has room.
void measure(Qz_ImageView* view) {
  Qz_LayoutBox* box = boxOf(view);
  if (!box) return;
  const int32_t w = std::clamp(view->zoomWidth, 1, 0x7FFF);
  const int32_t h = std::clamp(view->zoomHeight, 1, 0x7FFF);
  const auto [shownW, shownH] = shownSize(view);
  box->minWidth = int16_t(std::clamp(shownW, 1, w));
  box->minHeight = int16_t(std::clamp(shownH, 1, h));
  box->maxWidth = int16_t(w);
  box->maxHeight = int16_t(h);
  box->width = int16_t(w);
  box->height = int16_t(h);
}

void setTitle(Qz_ImageView* view) {
  Qz_Image* image = view->image;
  if (!view->window || !image) return;
  char title[300];
  std::snprintf(title, sizeof title, "%s - %ldx%ldx%ldbit", image->name ? image->name : "",
                long(image->width), long(image->height), long(image->depth));
  Qz_DoMethod(view->window, kWindowSetTitle, title);
}

// A window object's outer box as it was last taken (all 0 for none).
qz::gui::WindowBox edgesOf(Qz_Object* window) {
  if (!window) return {};
  return {int32_t(Qz_DoMethod(window, kWindowGetX)), int32_t(Qz_DoMethod(window, kWindowGetY)),
          int32_t(Qz_DoMethod(window, kWindowGetW)), int32_t(Qz_DoMethod(window, kWindowGetH))};
}

// Where the document window goes, beside the panel and main windows.
std::pair<int32_t, int32_t> documentCorner() {
  Qz_ImageBase* base = Qz_GetImageBase();
  return qz::gui::documentWindowCorner(edgesOf(base->panelWindow), edgesOf(base->mainWindow));
}

// The zoom at which the whole image fits the screen beside the panels, at
// most 100 %.
int32_t fitPercent(Qz_ImageView* view) {
  Qz_Image* image = view->image;
  if (!image || image->width <= 0 || image->height <= 0) return 100;
  Screen* screen = LockPubScreen(nullptr);
  if (!screen) return 100;
  int32_t width = 0, height = 0;
  Qz_GetScreenSize(screen, &width, &height);
  return qz::gui::fittingZoomPercent(image->width, image->height, width, height, documentCorner(),
                                     reservedStatusHeight(view), Qz_GetImageBase()->steppedZoom.load() != 0,
                                     std::max(kViewportFrameWidth, kViewportFrameHeight));
}

// Before the window first opens the status line has no height yet: room is
// kept for one. The zoom that fits and the part shown take the same room.
int32_t reservedStatusHeight(Qz_ImageView* view) { return std::max(statusHeight(view), kStatusReserve); }

// The height the status line takes under the picture.
// Measured here only until the window has laid it out: measuring resets its
// text's box to the text's own width, and done off the window's thread (a
// flip's new format) a redraw before the next layout showed a second
// "Done." at the line's left.
int32_t statusHeight(Qz_ImageView* view) {
  if (!view->status) return 0;
  const auto* box = reinterpret_cast<const Qz_LayoutBox*>(Qz_DoMethod(view->status, kRootGetLayoutBox));
  if (box && box->minHeight <= 0) Qz_DoMethod(view->status, kRootMeasure);
  return box ? std::max<int32_t>(0, box->minHeight) : 0;
}

// Runs a method of a status gadget on the window's thread, where gadgets draw.
void postToStatus(Qz_ImageView* view, Qz_Object* target, uint32_t method, QzWord value) {
  if (view->window) Qz_PostToWindow(view->window, target, method, value);
}

// Progress notices of the document (a re-render) shown in the status line.
void onProgress(QzWord userData, Qz_Object*, uint32_t method, const QzWord* words) {
  Qz_Object* view = &reinterpret_cast<Qz_ImageView*>(userData)->object;
  // Only a step carries a second word (the total).
  if (method == kQzProgressStep)
    Qz_DoMethod(view, method, words[0], words[1]);
  else
    Qz_DoMethod(view, method, words[0], 0);
}

// The inner size the window is to take (a window's box is changed by its
// inner size), its frame kept on the screen when capped; the outer size it
// will have is kept, to tell when the change has landed.
struct InnerSize {
  int32_t width, height;
};
InnerSize cappedInnerSize(Qz_ImageView* view, const Window* w, InnerSize wanted, bool capped) {
  const int32_t bw = w->BorderLeft + w->BorderRight, bh = w->BorderTop + w->BorderBottom;
  if (capped && view->screenWidth > 0) {
    wanted.width = std::min<int32_t>(wanted.width, view->screenWidth - w->LeftEdge - bw);
    wanted.height = std::min<int32_t>(wanted.height, view->screenHeight - w->TopEdge - bh);
  }
  view->fitWidth = wanted.width + bw;
  view->fitHeight = wanted.height + bh;
  return wanted;
}

// Brings the window to the shown part of the picture (its inner size); the
// window grows from there to what its viewport and status line need.
void resizeWindow(Qz_ImageView* view) {
  if (!view->window) return;
  measure(view);
  const auto [width, shownHeight] = shownSize(view);
  const int32_t height = shownHeight + statusHeight(view);
  view->fitTries = kFitTries;
  Window* w = Qz__PlatformWindowOf(view->window);
  if (!w) {
    Qz_DoMethod(view->window, kWindowSetW, width);
    Qz_DoMethod(view->window, kWindowSetH, height);
    return;
  }
  InnerSize wanted{width, height};
  if (view->viewport) {  // the viewport's frame round the picture; bars come later if needed
    wanted.width += kViewportFrameWidth;
    wanted.height += kViewportFrameHeight;
  }
  const InnerSize inner = cappedInnerSize(view, w, wanted, view->viewport != nullptr);
  Qz_DoMethod(view->window, kWindowChangeBox, w->LeftEdge, w->TopEdge, inner.width, inner.height);
}

// The viewport's frame and bars are known only once laid out: after a zoom
// the window is grown or shrunk by what its viewport lacks or has over the
// part to show. A few rounds at most (a bar coming or going changes the
// room again); a size the user gives the window later is left alone.
void fitWindowToViewport(Qz_ImageView* view) {
  if (view->fitTries <= 0 || !view->window || !scrollArea(view)) return;
  // What the viewport shows, not the contents: the contents go no wider
  // than the picture, while the viewport keeps the room a bar no longer
  // needed has left.
  const Qz_LayoutBox* contents = boxOf_(scrollArea(view));
  const Qz_LayoutBox* area = contents && contents->parent ? boxOf_(contents->parent) : contents;
  Window* w = Qz__PlatformWindowOf(view->window);
  if (!area || !w || area->width <= 0 || area->height <= 0) return;
  if (w->Width != view->fitWidth || w->Height != view->fitHeight) {
    // The last change has not landed (or the screen would not allow it).
    if (view->fitWidth != 0) --view->fitTries;
    view->fitWidth = view->fitHeight = 0;
    if (view->fitTries <= 0) return;
  }
  const auto [shownW, shownH] = shownSize(view);
  const int32_t dw = shownW - area->width, dh = shownH - area->height;
  if (dw == 0 && dh == 0) {
    view->fitTries = 0;
    return;
  }
  --view->fitTries;
  const int32_t innerW = w->Width - w->BorderLeft - w->BorderRight, innerH = w->Height - w->BorderTop - w->BorderBottom;
  const InnerSize inner = cappedInnerSize(view, w, {innerW + dw, innerH + dh}, true);
  if (inner.width == innerW && inner.height == innerH) {
    view->fitTries = 0;
    return;
  }
  // After the drawing under way (this runs on the window's thread, whose
  // port the window has): the rest of it would land in the resized window
  // at the old layout's places, its frame included.
  Qz_DoAsyncMethod(view->window, kWindowChangeBox, w->LeftEdge, w->TopEdge, inner.width, inner.height);
}

QzWord fitToScreen(Qz_ImageView* view, bool apply) {
  const int32_t percent = fitPercent(view);
  if (view->window) takeScreenRoom(view);
  if (!apply || !view->image) return QzWord(uint32_t(percent));
  Qz_Image* image = view->image;
  setSize(view, std::max<int32_t>(1, int32_t(int64_t(image->width) * percent / 100)),
          std::max<int32_t>(1, int32_t(int64_t(image->height) * percent / 100)));
  resizeWindow(view);
  return QzWord(uint32_t(percent));
}

// The contents group the view scrolls in, when it has one.
Qz_Object* scrollArea(Qz_ImageView* view) {
  const Qz_LayoutBox* box = boxOf(view);
  Qz_Object* area = box ? box->parent : nullptr;
  return area && view->viewport && (Qz_DoMethod(area, kGroupGetMode) & qz::gui::kGroupModeScrolled) ? area : nullptr;
}

// A draw under the viewport's clip after a scroll: only the uncovered strip
// (in window pixels) is marked, the rest was moved on the screen.
bool requestStripRedraw(Qz_ImageView* view) {
  Qz_Object* area = scrollArea(view);
  const Qz_LayoutBox* areaBox = area ? boxOf_(area) : nullptr;
  const Qz_LayoutBox* box = boxOf(view);
  Qz_Image* image = view->image;
  if (!areaBox || !areaBox->clipRegion || !box || !image || view->zoomWidth <= 0 || view->zoomHeight <= 0)
    return false;
  const Rectangle& strip = areaBox->clipRegion->bounds;
  const auto toImage = [](int32_t c, int32_t size, int32_t zoomed) {
    return int32_t(int64_t(c) * size / zoomed);
  };
  const int32_t x0 = std::max(0, toImage(strip.MinX - box->left, image->width, view->zoomWidth) - 1);
  const int32_t y0 = std::max(0, toImage(strip.MinY - box->top, image->height, view->zoomHeight) - 1);
  const int32_t x1 = std::min(image->width - 1, toImage(strip.MaxX - box->left, image->width, view->zoomWidth) + 1);
  const int32_t y1 = std::min(image->height - 1, toImage(strip.MaxY - box->top, image->height, view->zoomHeight) + 1);
  if (x1 < x0 || y1 < y0) return true;
  if (!view->dirty.mark(x0, y0, x1, y1)) return true;
  view->dirtyFlag.store(1);
  if (view->port.load(std::memory_order_acquire))
    wakeRedrawThread(view);
  else
    drawMarked(view);
  return true;
}

bool pressOutsideShownPart(Qz_ImageView* view, const Qz_InputEvent* e) {
  if (!e || e->cls != IDCMP_MOUSEBUTTONS || !scrollArea(view)) return false;
  if (e->code != SELECTDOWN && e->code != MENUDOWN) return false;
  const Qz_LayoutBox* box = boxOf(view);
  if (!box) return false;
  const DrawTarget shown = shownPart(nullptr, box);
  return e->mouseX < shown.clipX0 || e->mouseX > shown.clipX1 || e->mouseY < shown.clipY0 || e->mouseY > shown.clipY1;
}

// Scrolls the picture in its viewport by a step of the arrow keys.
bool scrollByKey(Qz_ImageView* view, const Qz_InputEvent* e) {
  if (!e || e->cls != IDCMP_ARROWKEY) return false;
  int32_t dx = 0, dy = 0;
  switch (e->code) {
    case CURSORLEFT: dx = -1; break;
    case CURSORRIGHT: dx = 1; break;
    case CURSORUP: dy = -1; break;
    case CURSORDOWN: dy = 1; break;
    default: return false;
  }
  Qz_Object* area = scrollArea(view);
  const Qz_LayoutBox* areaBox = area ? boxOf_(area) : nullptr;
  const Qz_LayoutBox* box = boxOf(view);
  if (!areaBox || !box) return false;
  // A tenth of what is shown, so a step keeps most of the picture in sight.
  const int32_t stepX = std::max(1, areaBox->width / 10), stepY = std::max(1, areaBox->height / 10);
  const int32_t maxX = std::max(0, view->zoomWidth - areaBox->width);
  const int32_t maxY = std::max(0, view->zoomHeight - areaBox->height);
  const int32_t x = std::clamp(areaBox->left - box->left + dx * stepX, 0, maxX);
  const int32_t y = std::clamp(areaBox->top - box->top + dy * stepY, 0, maxY);
  // One axis at a time: the bars' echo of a two-axis scroll would move the
  // contents while their layout is held.
  if (dx != 0) Qz_DoMethod(view->viewport, kGroupSetScrollX, uint32_t(x));
  if (dy != 0) Qz_DoMethod(view->viewport, kGroupSetScrollY, uint32_t(y));
  return true;
}

void requestFullRedraw(Qz_ImageView* view) {
  if (!view->image) return;
  view->dirty.markAll();
  view->dirtyFlag.store(1);
  if (view->port.load(std::memory_order_acquire))
    wakeRedrawThread(view);
  else
    drawMarked(view);
}

// The close gadget of the document window: the document is asked to close
// its view (it may ask the user first).
void onWindowClosed(QzWord userData, Qz_Object*, uint32_t, const QzWord*) {
  auto* view = reinterpret_cast<Qz_ImageView*>(userData);
  if (view->image) Qz_DoMethod(qz::imageObject(view->image), kQzImageCloseView, &view->object);
}

// The window came to the front: its document becomes the active one.
void onWindowActivated(QzWord userData, Qz_Object*, uint32_t, const QzWord*) {
  auto* view = reinterpret_cast<Qz_ImageView*>(userData);
  Qz_Image* image = view->image;
  if (!image) return;
  Qz_SetCurrentView(image, &view->object);
  Qz_DoMethod(qz::imageObject(image), kQzAppMakeActiveImage, image);
}

QzWord openWindow(Qz_ImageView* view) {
  if (view->window) {
    view->windowClosed = 0;
    if (Qz__PlatformWindowOf(view->window))
      Qz_DoMethod(view->window, kWindowToFront);
    else
      Qz_DoMethod(view->window, kWindowOpen);
    return 1;
  }
  Qz_Image* image = view->image;
  if (!image) return 0;
  const auto [left, top] = documentCorner();
  Qz_Object* window =
      Qz_CreateObject("Window", kWindowSetKind, kWindowKindFramed, kWindowSetX, left, kWindowSetY, top);
  if (!window) return 0;
  view->window = window;
  // The status line keeps its height; the picture's viewport takes the window's room.
  view->status = Qz_CreateObject("Group", kGroupSetMode, uint32_t(4), kGroupSetFixedHeight, 1);
  if (view->status) {
    Qz_Object* done = view->statusText = Qz_CreateObject("Text", kRootSetLabel, "Done.");
    view->progressBar = Qz_CreateObject("ProgressBar", kProgressBarSetMax, 100);
    if (done) Qz_DoMethod(view->status, kGroupAddTail, done);
    if (view->progressBar) Qz_DoMethod(view->status, kGroupAddTail, view->progressBar);
    Qz_DoMethod(view->status, kGroupShowPage, 0);
    const uint32_t notices[3] = {kQzProgressStart, kQzProgressStep, kQzProgressDone};
    for (int i = 0; i < 3; ++i)
      view->progressNotifies[i] = Qz_AddCallBackNotify(qz::imageObject(image), notices[i], kNotifyAnyValue,
                                                       onProgress, reinterpret_cast<QzWord>(view));
  }
  view->viewport = Qz_CreateObject("VirtualGroup");
  if (view->viewport) {
    Qz_DoMethod(view->viewport, kGroupAddTail, &view->object);
    Qz_DoMethod(window, kGroupAddTail, view->viewport);
  } else {
    Qz_DoMethod(window, kGroupAddTail, &view->object);
  }
  fitToScreen(view, true);
  if (view->status) Qz_DoMethod(window, kGroupAddTail, view->status);
  setTitle(view);
  view->closeNotify = Qz_AddCallBackNotify(window, kWindowClose, kNotifyAnyValue, onWindowClosed,
                                           reinterpret_cast<QzWord>(view));
  Qz_AddCallBackNotify(window, kWindowActivated, kNotifyAnyValue, onWindowActivated,
                       reinterpret_cast<QzWord>(view));
  Qz_SetCurrentView(image, &view->object);
  view->windowClosed = 0;
  Qz_DoMethod(window, kRootOpen);
  return 1;
}

// Takes the view out of its window on the window's own thread (where its
// gadgets are drawn and handed input), then disposes the window.
void disposeWindow(Qz_ImageView* view) {
  Qz_Object* window = view->window;
  if (!window) return;
  for (QzWord& notify : view->progressNotifies) {
    if (notify && qz::imageIsLive(view->image)) Qz_RemoveNotify(qz::imageObject(view->image), notify);
    notify = 0;
  }
  Qz_RootObject* root = Qz_RootInstance(window);
  bool removed = false;
  // The view leaves whatever holds it; the viewport goes with the window.
  Qz_Object* holder = view->viewport ? view->viewport : window;
  if (root && root->asyncPort && Qz_DoAsyncMethod(holder, kGroupRemove, &view->object))
    removed = Qz_WaitForWindowThread(window, 250) != 0;
  if (!removed) Qz_DoMethod(holder, kGroupRemove, &view->object);
  view->window = nullptr;
  view->viewport = nullptr;
  view->status = view->statusText = view->progressBar = nullptr;  // they go with the window
  Qz_DisposeObject(window);
}

QzWord dispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  Qz_ImageView* view = asView(object);
  switch (id) {
    case kQzViewSetImage: return setImage(view, reinterpret_cast<Qz_Image*>(args[0]));
    case kQzViewZoom: return zoom(view, int32_t(args[0]), uint32_t(args[1]));
    case kQzViewGetZoom: return QzWord(uint32_t(zoomPercent(view)));
    case kQzViewScale:
      if (uint32_t(args[1]) != 1 && view->image) Qz_FullRedrawImage(view->image);
      return 0;
    case kQzViewFit: return fitToScreen(view, true);
    case kQzViewFitQuery: return fitToScreen(view, false);
    case kQzViewZoomIn: {
      const int32_t z = std::min(zoomInStep(zoomPercent(view)), kMaxZoomFactor * 100);
      zoom(view, z, 0);
      return QzWord(uint32_t(z));
    }
    case kQzViewZoomOut: {
      const int32_t z = zoomOutStep(zoomPercent(view));
      zoom(view, z, 0);
      return QzWord(uint32_t(z));
    }
    case kRootDraw:
      // In a window this runs on the window's thread: the picture is left
      // to the redraw thread, so the window never waits on the image's lock.
      if (view->window) {
        fitWindowToViewport(view);
        if (!requestStripRedraw(view)) requestFullRedraw(view);
      } else if (view->thumbnail && view->image)
        redrawView(object, 0, 0, view->image->width - 1, view->image->height - 1);
      else if (view->image)
        Qz_FullRedrawImage(view->image);
      return 0;
    case kQzViewSetThumbnail: view->thumbnail = true; return 0;
    case kRootMeasure: measure(view); return 1;
    case kRootDrawRect:
      Qz_RedrawImageView(object, int32_t(args[0]), int32_t(args[1]), int32_t(args[2]),
                         int32_t(args[3]));
      return 0;
    case kRootPlace: {
      view->left = int32_t(args[0]);
      view->top = int32_t(args[1]);
      return Qz_DoMethodA(object->super, id, args);
    }
    case kRootHandleIDCMP: {
      // The view's box runs on under the scroll bars: a press there is theirs.
      if (pressOutsideShownPart(view, reinterpret_cast<const Qz_InputEvent*>(args[0]))) return 2;
      const QzWord result = qz::view::handleInput(view, args[0]);
      if (result != 1 && scrollByKey(view, reinterpret_cast<const Qz_InputEvent*>(args[0]))) return 1;
      return result;
    }
    case kQzImageOpenViewWindow: return openWindow(view);
    case kQzViewWindowShown: return view->window && !view->windowClosed ? 1 : 0;
    case kReopenWindow:
      view->windowClosed = 1;
      if (!view->image) return 1;
      // The fit redraws nothing itself: one full redraw follows.
      view->image->displayCount.fetch_sub(1);
      fitToScreen(view, true);
      view->image->displayCount.fetch_add(1);
      if (view->window)
        requestFullRedraw(view);
      else
        Qz_FullRedrawImage(view->image);
      return 1;
    case kQzImageCloseViewWindow:
      view->windowClosed = 1;
      if (view->window) Qz_DoMethod(view->window, kWindowClose);
      return 0;
    case kRootClose: return 1;
    case kQzProgressStart:
      view->progressShown = 1;
      view->progressValue = 0;
      postToStatus(view, view->status, kGroupShowPage, 1);
      postToStatus(view, view->progressBar, kProgressBarSetValue, 0);
      return 0;
    case kQzProgressStep:
      view->progressValue = int32_t(args[0]);
      view->progressTotal = int32_t(args[1]);
      postToStatus(view, view->progressBar, kProgressBarSetMax, args[1]);
      postToStatus(view, view->progressBar, kProgressBarSetValue, args[0]);
      return 0;
    case kQzProgressDone:
      view->progressValue = view->progressTotal = 100;
      view->progressShown = 0;
      postToStatus(view, view->progressBar, kProgressBarSetMax, 100);
      postToStatus(view, view->progressBar, kProgressBarSetValue, 100);
      postToStatus(view, view->status, kGroupShowPage, 0);
      return 0;
    case kQzAppMakeActiveImage: return 0;
    default: return qz::kit::inherited(object, id, args);
  }
}

// The redraw thread runs from creation to disposal.
bool setUpView(Qz_Object* object) {
  Qz_ImageView* view = asView(object);
  InitRastPort(&view->rastPort);
  view->thread = Qz_CreateObject("Thread", kThreadSetEntry, reinterpret_cast<Qz_ThreadFunction>(&redrawThreadEntry),
                                 kThreadSetName, "Image View Redraw Thread", kRootSetUserData, view);
  if (view->thread) Qz_DoMethod(view->thread, kRootOpen);
  return true;
}

void tearDownView(Qz_Object* object) {
  Qz_ImageView* view = asView(object);
  // The thread goes first, so nothing draws while the rest is taken apart.
  Qz_DisposeObject(view->thread);
  view->thread = nullptr;
  disposeWindow(view);
  Qz_Image* image = view->image;
  const bool takeImage = view->ownsImage && qz::imageIsLive(image) &&
                         image->state.load() != kQzImageDying;
  setImage(view, nullptr);
  // The last view of a document, closed by the user, takes the document with it.
  if (takeImage) Qz_DisposeObject(qz::imageObject(image));
}

const qz::kit::ClassDecl kImageViewClass = {
    .name = "ImageView", .superName = "Root", .classId = kImageViewClassId,
    .instance = qz::kit::instanceOf<Qz_ImageView>(), .handler = dispatch, .setUp = setUpView,
    .tearDown = tearDownView, .notice = "A document in its window"};

}  // namespace

QZ_EXTERN_C_BEGIN

QZ_EXPORT QzWord Qz_InitImageViewClass(Qz_GlobalData* /*globalData*/) {
  Qz_ImageHooks* hooks = Qz_GetImageHooks();
  hooks->startImageThread = &qz::startImageThread;
  hooks->viewGeometry = &viewGeometry;
  hooks->redrawImageView = &redrawView;
  initRedrawSemaphore();
  return qz::kit::addClass(kImageViewClass);
}

QZ_EXPORT void Qz_CleanupImageViewClass(void) {
  Qz_ImageHooks* hooks = Qz_GetImageHooks();
  if (hooks->startImageThread == &qz::startImageThread) hooks->startImageThread = nullptr;
  if (hooks->viewGeometry == &viewGeometry) hooks->viewGeometry = nullptr;
  if (hooks->redrawImageView == &redrawView) hooks->redrawImageView = nullptr;
  qz::kit::removeClass(kImageViewClass);
}

QZ_EXPORT RastPort* Qz__ImageViewRastPort(Qz_Object* view) {
  return isView(view) ? &asView(view)->rastPort : nullptr;
}

QZ_EXPORT int32_t Qz__SetImageViewWidthHeight(Qz_Object* view, int32_t width, int32_t height) {
  return isView(view) ? setSize(asView(view), width, height) : 0;
}

QZ_EXPORT void Qz__SettleImageView(Qz_Object* object) {
  if (!isView(object)) return;
  Qz_ImageView* view = asView(object);
  if (!view->port.load(std::memory_order_acquire)) {
    drawMarked(view);
    return;
  }
  std::unique_lock<std::mutex> hold(view->idleMutex);
  while (view->drawing || !view->dirty.empty()) {
    hold.unlock();
    wakeRedrawThread(view);
    hold.lock();
    view->idle.wait_for(hold, std::chrono::milliseconds(5));
  }
}

QZ_EXTERN_C_END

namespace qz {
bool isOnlyImageView(Qz_Image* image, Qz_Object* view) {
  if (!image || !isView(view) || asView(view)->image != image || !asView(view)->inViewList)
    return false;
  Node* head = image->views.lh_Head;
  return head && head->ln_Succ && !head->ln_Succ->ln_Succ;
}

void detachClosingView(Qz_Object* object) {
  if (!isView(object)) return;
  Qz_ImageView* view = asView(object);
  const bool last = isOnlyImageView(view->image, object);
  leaveViewList(view);
  if (last) view->ownsImage = 1;
}

// Disposes every view of a document (its disposal).
void disposeImageViews(Qz_Image* image) {
  while (Node* node = image->views.lh_Head) {
    if (!node->ln_Succ) break;
    Qz_DisposeObject(reinterpret_cast<ViewNode*>(node)->view);
  }
  Qz_SetCurrentView(image, nullptr);
}
}  // namespace qz
