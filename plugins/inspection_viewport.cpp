// InspectionViewport: the inspector's scrolled window onto its magnified
// view. A scrolled group would ask for the whole magnified picture as its
// size; the viewport asks for a small square and grows only in width, so the readout below it stays
// in sight, and scrolls the picture inside.
//
// It also marks the inspected pixel: a cell large enough gets an inverted
// frame, a single view pixel an inverted crosshair over the picture. The
// mark is inverted over freshly drawn pixels only (the picture under the
// old mark is drawn again first), so it never cancels itself out.
#include "plugins/inspection_viewport.h"

#include <algorithm>

#include "gadgets/qz_group.h"
#include "image/qz_image.h"
#include "objects/object_services.h"
#include "objects/qz_class_kit.h"
#include "objects/qz_draw_info.h"
#include "objects/qz_root.h"
#include "platform/graphics.h"

namespace {

constexpr uint32_t kViewportClassId = 0x5E10000;  // not a panel: outside the panels' range
constexpr int16_t kSide = 120;
// A cell this wide or wider is framed; a frame needs room inside it.
constexpr int32_t kLeastFramedCell = 3;

struct Qz_ViewportObject {
  Qz_Object header{};
  int32_t markX = 0, markY = 0;
  bool marked = false;
};

struct Rect {
  int32_t x0, y0, x1, y1;  // inclusive
};

Qz_ViewportObject* Qz__Self(Qz_Object* o) { return qz::kit::self<Qz_ViewportObject>(o); }

Qz_Object* Qz__View(Qz_Object* object) { return reinterpret_cast<Qz_Object*>(Qz_DoMethod(object, kGroupFirst)); }

Qz_Image* Qz__ImageOf(Qz_Object* view) {
  Qz_Image* image = nullptr;
  int32_t w = 0, h = 0, x = 0, y = 0;
  Qz_ImageHooks* hooks = Qz_GetImageHooks();
  if (!view || !hooks->viewGeometry || !hooks->viewGeometry(view, &image, &w, &h, &x, &y)) return nullptr;
  return image && image->width > 0 && image->height > 0 ? image : nullptr;
}

// The image pixel's cell in window pixels, its right and bottom edges on
// the next cell's first pixel.
Rect Qz__Cell(Qz_Object* view, int32_t x, int32_t y) {
  return {ImageToImageViewX(view, x), ImageToImageViewY(view, y), ImageToImageViewX(view, x + 1),
          ImageToImageViewY(view, y + 1)};
}

// Draws the picture again under the mark at (x, y).
void Qz__Unmark(Qz_Object* view, Qz_Image* image, int32_t x, int32_t y) {
  if (x >= image->width || y >= image->height) return;
  const Rect cell = Qz__Cell(view, x, y);
  const int32_t x1 = std::min(x + 1, image->width - 1), y1 = std::min(y + 1, image->height - 1);
  if (cell.x1 - cell.x0 >= kLeastFramedCell) {
    Qz_RedrawImageView(view, x, y, x1, y1);
    return;
  }
  Qz_RedrawImageView(view, x, 0, x1, image->height - 1);
  Qz_RedrawImageView(view, 0, y, image->width - 1, y1);
}

void Qz__Invert(RastPort* rp, const Rect& r, const Rect& clip) {
  const Rect c{std::max(r.x0, clip.x0), std::max(r.y0, clip.y0), std::min(r.x1, clip.x1), std::min(r.y1, clip.y1)};
  if (c.x0 <= c.x1 && c.y0 <= c.y1) RectFill(rp, c.x0, c.y0, c.x1, c.y1);
}

// Inverts the mark at (x, y), inside the viewport and the picture.
void Qz__DrawMark(Qz_Object* object, Qz_Object* view, Qz_Image* image, int32_t x, int32_t y) {
  if (x >= image->width || y >= image->height) return;
  const auto* box = reinterpret_cast<const Qz_LayoutBox*>(Qz_DoMethod(object, kRootGetLayoutBox));
  if (!box || box->width <= 0 || box->height <= 0) return;
  const Rect clip{std::max<int32_t>(box->left, ImageToImageViewX(view, 0)),
                  std::max<int32_t>(box->top, ImageToImageViewY(view, 0)),
                  std::min<int32_t>(box->left + box->width, ImageToImageViewX(view, image->width)) - 1,
                  std::min<int32_t>(box->top + box->height, ImageToImageViewY(view, image->height)) - 1};
  const Rect cell = Qz__Cell(view, x, y);
  Qz_DrawInfo* info = Qz_LockDrawInfo(object);
  if (!info) return;
  RastPort* rp = info->rastPort;
  const uint32_t mode = GetDrMd(rp);
  SetDrMd(rp, COMPLEMENT);
  if (cell.x1 - cell.x0 >= kLeastFramedCell) {
    Qz__Invert(rp, cell, clip);
    Qz__Invert(rp, {cell.x0 + 1, cell.y0 + 1, cell.x1 - 1, cell.y1 - 1}, clip);
  } else {
    Qz__Invert(rp, {clip.x0, cell.y0, clip.x1, cell.y0}, clip);
    Qz__Invert(rp, {cell.x0, clip.y0, cell.x0, clip.y1}, clip);
  }
  SetDrMd(rp, mode);
  Qz_UnlockDrawInfo(object);
}

QzWord Qz__Mark(Qz_Object* object, int32_t x, int32_t y) {
  Qz_ViewportObject* v = Qz__Self(object);
  Qz_Object* view = Qz__View(object);
  Qz_Image* image = Qz__ImageOf(view);
  if (image && v->marked) Qz__Unmark(view, image, v->markX, v->markY);
  v->markX = std::max(0, x);
  v->markY = std::max(0, y);
  v->marked = true;
  if (image) Qz__DrawMark(object, view, image, v->markX, v->markY);
  return 0;
}

QzWord Qz__Measure(Qz_Object* object, const QzWord* args) {
  const QzWord answer = qz::kit::inherited(object, kRootMeasure, args);
  if (auto* box = reinterpret_cast<Qz_LayoutBox*>(Qz_DoMethod(object, kRootGetLayoutBox))) {
    box->width = std::min(box->width, kSide);
    box->height = std::min(box->height, kSide);
    box->minWidth = std::min(box->minWidth, kSide);
    box->minHeight = std::min(box->minHeight, kSide);
    box->maxHeight = std::min(box->maxHeight, kSide);
  }
  return answer;
}

QzWord Qz__Dispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  switch (id) {
    case kRootMeasure: return Qz__Measure(object, args);
    case qz::plugins::kViewportMark: return Qz__Mark(object, int32_t(args[0]), int32_t(args[1]));
    case kRootDraw: {
      // The picture is drawn whole: the mark goes over it again.
      const QzWord answer = qz::kit::inherited(object, id, args);
      Qz_ViewportObject* v = Qz__Self(object);
      Qz_Object* view = Qz__View(object);
      if (Qz_Image* image = v->marked ? Qz__ImageOf(view) : nullptr) Qz__DrawMark(object, view, image, v->markX, v->markY);
      return answer;
    }
    default: return qz::kit::inherited(object, id, args);
  }
}

const qz::kit::ClassDecl kViewport = {.name = "InspectionViewport", .superName = "Group",
                                      .classId = kViewportClassId,
                                      .instance = qz::kit::instanceOf<Qz_ViewportObject>(),
                                      .handler = Qz__Dispatch};

}  // namespace

namespace qz::plugins {

bool addInspectionViewportClass() { return qz::kit::addClass(kViewport) != 0; }
void removeInspectionViewportClass() { qz::kit::removeClass(kViewport); }

}  // namespace qz::plugins
