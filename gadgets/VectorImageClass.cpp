// VectorImage: small symbols (arrows, check mark, boxes) drawn to any size.
// The renderer is shared with gadgets that draw the same symbols without an
// object of their own.
#include <algorithm>
#include <cmath>

#include "gadgets/qz_widgets.h"
#include "objects/qz_class_kit.h"
#include "objects/draw/qz_draw.h"
#include "objects/object_services.h"
#include "objects/qz_root.h"
#include "platform/graphics.h"

namespace {

struct VectorImageObject {
  Qz_Object header;
  uint16_t fixedWidth, fixedHeight;  // 0 free
  uint32_t kind;
  uint32_t selected;
};

VectorImageObject* asImage(Qz_Object* o) { return reinterpret_cast<VectorImageObject*>(o); }

struct Point {
  int32_t x, y;
};

// Fills a convex or concave polygon by scan lines in the foreground pen,
// edges included; complement mode is honoured by the line drawing.
void fillPolygon(RastPort* rp, const Point* p, int n) {
  int32_t top = p[0].y, bottom = p[0].y;
  for (int i = 1; i < n; ++i) {
    top = std::min(top, p[i].y);
    bottom = std::max(bottom, p[i].y);
  }
  const uint32_t pen = rp->FgPen;
  for (int32_t y = top; y <= bottom; ++y) {
    int32_t xs[16];
    int count = 0;
    for (int i = 0; i < n && count < 16; ++i) {
      const Point a = p[i], b = p[(i + 1) % n];
      if (a.y == b.y) {
        if (a.y == y) {
          xs[count++] = a.x;
          if (count < 16) xs[count++] = b.x;
        }
        continue;
      }
      const int32_t lo = std::min(a.y, b.y), hi = std::max(a.y, b.y);
      if (y < lo || y > hi) continue;
      xs[count++] = int32_t(std::lround(a.x + double(y - a.y) * (b.x - a.x) / double(b.y - a.y)));
    }
    if (count == 0) continue;
    std::sort(xs, xs + count);
    DrawLine(rp, xs[0], y, xs[count - 1], y, pen);
  }
}

void box(RastPort* rp, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t pen) {
  DrawLine(rp, x0, y0, x1, y0, pen);
  DrawLine(rp, x0, y1, x1, y1, pen);
  DrawLine(rp, x0, y0, x0, y1, pen);
  DrawLine(rp, x1, y0, x1, y1, pen);
}

// Light edges top-left in the first pen, dark bottom-right in the second.
void bevel(RastPort* rp, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t topLeft, uint32_t bottomRight) {
  DrawLine(rp, x0, y0, x1, y0, topLeft);
  DrawLine(rp, x0, y0, x0, y1, topLeft);
  DrawLine(rp, x0, y1, x1, y1, bottomRight);
  DrawLine(rp, x1, y0, x1, y1, bottomRight);
}

QzWord measure(VectorImageObject* v) {
  Qz_LayoutBox* b = &Qz_RootInstance(&v->header)->box;
  b->width = b->minWidth = 3;
  b->height = b->minHeight = 3;
  b->maxWidth = b->maxHeight = 2400;
  if (v->fixedWidth != 0) b->width = b->minWidth = b->maxWidth = int16_t(v->fixedWidth);
  if (v->fixedHeight != 0) b->height = b->minHeight = b->maxHeight = int16_t(v->fixedHeight);
  return 0;
}

QzWord draw(VectorImageObject* v) {
  Qz_Object* self = &v->header;
  const Qz_LayoutBox* b = &Qz_RootInstance(self)->box;
  if (b->width <= 2 || b->height <= 2) return 0;
  Qz_DrawInfo* info = Qz_LockDrawInfo(self);
  if (info == nullptr) return 0;
  Qz__RenderVectorImage(info, b->left + 1, b->top + 1, b->width - 2, b->height - 2, v->kind, v->selected,
                        Qz_DoMethod(self, kRootDisableCount) != 0 ? 1 : 0);
  Qz_UnlockDrawInfo(self);
  return 0;
}

QzWord vectorDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  VectorImageObject* v = asImage(object);
  Qz_LayoutBox* b = &Qz_RootInstance(object)->box;
  switch (id) {
    case kVectorImageSetKind: v->kind = uint32_t(args[0]); return 0;
    case kFixWidth:
      v->fixedWidth = uint16_t(args[0]);
      b->width = b->minWidth = b->maxWidth = int16_t(v->fixedWidth);
      return 0;
    case kFixHeight:
      v->fixedHeight = uint16_t(args[0]);
      b->height = b->minHeight = b->maxHeight = int16_t(v->fixedHeight);
      return 0;
    case kRootMeasure: return measure(v);
    case kRootDraw: return draw(v);
    case kRootSelect: v->selected = 1; return reinterpret_cast<QzWord>(Qz_GetTopMostObject(object));
    case kRootDeselect: v->selected = 0; return reinterpret_cast<QzWord>(Qz_GetTopMostObject(object));
    case kRootObjectAtPoint:
    case kRootObjectAtPoint2:
      if (Qz_IsCoordOverObject(object, int32_t(args[0]), int32_t(args[1])) == 0) return 0;
      v->selected = id == kRootObjectAtPoint ? 1 : 0;
      return reinterpret_cast<QzWord>(Qz_GetTopMostObject(object));
    default: return qz::kit::inherited(object, id, args);
  }
}

const TagItem kVectorImageSuperTags[] = {{kRootSetWeight, 50}, {TAG_DONE, 0}};

const qz::kit::ClassDecl kVectorImageClass = {
    .name = "VectorImage", .superName = "Root", .classId = kVectorImageClassId,
    .instance = qz::kit::instanceOf<VectorImageObject>(), .handler = vectorDispatch,
    .superTags = kVectorImageSuperTags, .notice = "Scalable symbols"};

}  // namespace

extern "C" {

QZ_EXPORT void Qz__RenderVectorImage(Qz_DrawInfo* info, int32_t x, int32_t y, int32_t width, int32_t height,
                                     uint32_t kind, uint32_t selected, uint32_t disabled) {
  if (info == nullptr || info->rastPort == nullptr || width <= 0 || height <= 0) return;
  if (kind < kVectorImageLeftArrow || kind > kVectorImagePlusBox) return;
  RastPort* rp = info->rastPort;
  const uint32_t pen = selected ? 2 : (disabled ? info->disabledPen : 1);
  SetAPen(rp, pen);
  const int32_t r = x + width - 1, btm = y + height - 1;
  const int32_t cx = x + (width - 1) / 2, cy = y + (height - 1) / 2;
  switch (kind) {
    case kVectorImageLeftArrow: {
      const Point p[] = {{r, y}, {x, cy}, {r, btm}};
      fillPolygon(rp, p, 3);
      break;
    }
    case kVectorImageRightArrow: {
      const Point p[] = {{x, y}, {r, cy}, {x, btm}};
      fillPolygon(rp, p, 3);
      break;
    }
    case kVectorImageUpArrow: {
      const Point p[] = {{cx, y}, {r, btm}, {x, btm}};
      fillPolygon(rp, p, 3);
      break;
    }
    case kVectorImageDownArrow: {
      const Point p[] = {{x, y}, {r, y}, {cx, btm}};
      fillPolygon(rp, p, 3);
      break;
    }
    case kVectorImageCheckMark: {
      const int32_t lx = x + width / 3;  // the lower middle the strokes start from
      for (int d = 0; d < 2; ++d) {
        Move(rp, lx, btm - d);
        Draw(rp, x, cy - d);
        Move(rp, lx, btm - d);
        Draw(rp, r, y - d);
      }
      break;
    }
    case 0x50046: {
      if (width <= 4 || height <= 4) break;
      const Point p[] = {{cx, y + 2}, {r - 2, cy}, {cx, btm - 2}, {x + 2, cy}};
      fillPolygon(rp, p, 4);
      break;
    }
    case 0x5005A: Qz_DrawFrame(nullptr, info, x, y, width, height, nullptr, 0, 21); break;
    case 0x50064: Qz_DrawFrame(nullptr, info, x, y, width, height, nullptr, 0, 22); break;
    case 0x5006E: {
      const int32_t w = TextLength(rp, "?", 1);
      SetDrMd(rp, 0);
      Move(rp, x + (width - w) / 2, y + (height - int32_t(rp->TxHeight)) / 2);
      Text(rp, "?", 1);
      break;
    }
    case 0x50078:
      if (width > 4 && height > 4) {
        Qz_DrawFrame(nullptr, info, x + 2, y + 2, width - 4, height - 4, nullptr, 0, selected ? 2 : 1);
      }
      break;
    case 0x50082: bevel(rp, x, y, r, btm, selected ? 1 : 2, selected ? 2 : 1); break;
    case 0x5008C: bevel(rp, x, y, r, btm, selected ? 2 : 1, selected ? 1 : 2); break;
    case 0x50096:
    case kVectorImagePlusBox: {
      box(rp, x, y, r, btm, info->framePen);
      if (width > 4) DrawLine(rp, x + 2, cy, r - 2, cy, pen);
      if ((selected || kind == kVectorImagePlusBox) && height > 4) DrawLine(rp, cx, y + 2, cx, btm - 2, pen);
      break;
    }
    default: break;  // kinds without a symbol draw nothing
  }
}

}  // extern "C"

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitVectorImageClass(Qz_GlobalData*) { return qz::kit::addClass(kVectorImageClass); }
QZ_EXPORT void Qz_CleanupVectorImageClass(void) { qz::kit::removeClass(kVectorImageClass); }
QZ_EXTERN_C_END
