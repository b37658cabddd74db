// ColourSpace: a two-dimensional colour field of a given kind with a marker
// at the view's colour; pressing and dragging in it picks the colour shown
// under the pointer. The marker is drawn by inversion, so drawing it a
// second time at the same place takes it away.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "gadgets/colour_space_maths.h"
#include "gadgets/qz_colour_edit.h"
#include "gadgets/qz_input_event.h"
#include "gadgets/qz_widgets.h"
#include "objects/object_services.h"
#include "objects/qz_class_kit.h"
#include "objects/qz_draw_info.h"
#include "objects/qz_notify.h"
#include "objects/qz_root.h"
#include "platform/graphics.h"
#include "platform/windows.h"

namespace {

using qz::Hsv;

struct Qz_ColourSpaceObject {
  Qz_Object header;
  uint32_t colour = 0;
  bool picking = false;
  int32_t markerCount = 1;  // the marker shows while above 0
  char kind[16] = "HS";
  int32_t width = 0, height = 0;  // preferred size, 0: the default
};

Qz_ColourSpaceObject* Qz__Self(Qz_Object* o) { return qz::kit::self<Qz_ColourSpaceObject>(o); }
Qz_LayoutBox Qz__Box(Qz_Object* o) { return Qz_RootInstance(o)->box; }

// Inverts the twelve border pixels of the 5 x 5 square (corners left out)
// that lie inside the view, so no neighbour is ever touched.
void Qz__Marker(Qz_ColourSpaceObject* c, Qz_DrawInfo* info) {
  if (c->markerCount <= 0 || !info->rastPort) return;
  const Qz_LayoutBox b = Qz__Box(&c->header);
  if (b.width <= 0 || b.height <= 0) return;
  const qz::colours::Point m = qz::colours::markerCentre(c->kind, qz::colours::hsvOf(c->colour), b.width, b.height);
  RastPort* rp = info->rastPort;
  const uint32_t mode = GetDrMd(rp);
  SetDrMd(rp, COMPLEMENT);
  for (int dy = -2; dy <= 2; ++dy) {
    for (int dx = -2; dx <= 2; ++dx) {
      const bool ring = dx == -2 || dx == 2 || dy == -2 || dy == 2;
      const bool corner = (dx == -2 || dx == 2) && (dy == -2 || dy == 2);
      if (!ring || corner) continue;
      const int32_t x = m.x + dx, y = m.y + dy;
      if (x < 0 || y < 0 || x >= b.width || y >= b.height) continue;
      RectFill(rp, b.left + x, b.top + y, b.left + x, b.top + y);
    }
  }
  SetDrMd(rp, mode);
}

QzWord Qz__Draw(Qz_ColourSpaceObject* c) {
  Qz_Object* self = &c->header;
  const Qz_LayoutBox b = Qz__Box(self);
  Qz_DrawInfo* info = Qz_LockDrawInfo(self);
  if (!info) return 0;
  if (info->directColours && info->rastPort && b.width > 0 && b.height > 0) {
    const int32_t rowBytes = (b.width * 3 + 3) & ~3;
    std::vector<uint8_t> field;
    try {
      field.resize(size_t(rowBytes) * size_t(b.height));
    } catch (...) {
      field.clear();  // without the field the marker is still drawn
    }
    if (!field.empty()) {
      const Hsv view = qz::colours::hsvOf(c->colour);
      for (int32_t y = 0; y < b.height; ++y) {
        uint8_t* row = field.data() + size_t(y) * size_t(rowBytes);
        for (int32_t x = 0; x < b.width; ++x) {
          const uint32_t rgb = qz::colours::fieldColour(c->kind, x, y, b.width, b.height, view);
          row[3 * x] = uint8_t(rgb >> 16), row[3 * x + 1] = uint8_t(rgb >> 8), row[3 * x + 2] = uint8_t(rgb);
        }
      }
      WritePixelArray(field.data(), 0, 0, rowBytes, info->rastPort, b.left, b.top, b.width, b.height,
                      kPixelFormatBGR24);
    }
  }
  Qz__Marker(c, info);
  Qz_UnlockDrawInfo(self);
  return 0;
}

// Takes the marker away (or draws it) at the current colour's place.
void Qz__ToggleMarker(Qz_ColourSpaceObject* c) {
  Qz_Object* self = &c->header;
  if (Qz_DrawInfo* info = Qz_LockDrawInfo(self)) {
    Qz__Marker(c, info);
    Qz_UnlockDrawInfo(self);
  }
}

QzWord Qz__SetColour(Qz_ColourSpaceObject* c, uint32_t colour) {
  colour &= 0xFFFFFF;
  Qz__ToggleMarker(c);
  const bool changed = colour != c->colour;
  c->colour = colour;
  // The "SV" field shows the colour's hue, so a change redraws all of it.
  if (changed && std::strcmp(c->kind, "SV") == 0) Qz__Draw(c);
  else Qz__ToggleMarker(c);
  Qz_DoNotify(&c->header, kColourSpaceSetColour, c->colour);
  return 0;
}

// The colour as displayed at the point (limited to the view), read with the
// marker taken away; no drawing lock, no pick.
void Qz__Pick(Qz_ColourSpaceObject* c, int32_t x, int32_t y) {
  Qz_Object* self = &c->header;
  const Qz_LayoutBox b = Qz__Box(self);
  if (b.width <= 0 || b.height <= 0) return;
  x = std::clamp<int32_t>(x, b.left, b.left + b.width - 1);
  y = std::clamp<int32_t>(y, b.top, b.top + b.height - 1);
  Qz_DrawInfo* info = Qz_LockDrawInfo(self);
  if (!info) return;
  uint32_t picked = 0xFFFFFFFF;
  if (info->rastPort) {
    Qz__Marker(c, info);
    picked = ReadRGBPixel(info->rastPort, x, y);
    Qz__Marker(c, info);
  }
  Qz_UnlockDrawInfo(self);
  if (picked != 0xFFFFFFFF) Qz__SetColour(c, picked);
}

QzWord Qz__Input(Qz_ColourSpaceObject* c, const Qz_InputEvent* e) {
  if (!e) return 2;
  if (e->cls == IDCMP_MOUSEBUTTONS && e->code == SELECTDOWN) {
    if (!Qz_IsCoordOverObject(&c->header, e->mouseX, e->mouseY)) return 2;
    c->picking = true;
    Qz__Pick(c, e->mouseX, e->mouseY);
    return 1;
  }
  if (e->cls == IDCMP_MOUSEBUTTONS && e->code == SELECTUP) {
    if (!c->picking) return 2;
    c->picking = false;
    return 1;
  }
  if (e->cls == IDCMP_MOUSEMOVE && c->picking) {
    Qz__Pick(c, e->mouseX, e->mouseY);
    return 1;
  }
  return 2;
}

void Qz__MeasureAxis(int32_t preferred, int16_t* minimum, int16_t* size, int16_t* maximum) {
  if (preferred > 0) {
    *minimum = *size = *maximum = int16_t(std::min<int32_t>(preferred, kGadgetMaxSize));
    return;
  }
  *minimum = 2;
  *size = 16;
  *maximum = kGadgetMaxSize;
}

QzWord Qz__ColourSpaceDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  Qz_ColourSpaceObject* c = Qz__Self(object);
  switch (id) {
    case kColourSpaceSetColour: return Qz__SetColour(c, uint32_t(args[0]));
    case kColourSpaceGetColour: return c->colour;
    case kColourSpaceSetKind: {
      const char* kind = reinterpret_cast<const char*>(args[0]);
      std::strncpy(c->kind, kind ? kind : "", sizeof c->kind - 1);
      c->kind[sizeof c->kind - 1] = '\0';
      return 0;
    }
    case kColourSpaceGetKind: return reinterpret_cast<QzWord>(c->kind);
    case kColourSpaceShowMarker: ++c->markerCount; return 0;
    case kColourSpaceHideMarker: --c->markerCount; return 0;
    case kFixWidth: c->width = int32_t(args[0]); return 0;
    case kFixHeight: c->height = int32_t(args[0]); return 0;
    case kRootDraw: return Qz__Draw(c);
    case kRootMeasure: {
      Qz_LayoutBox* box = &Qz_RootInstance(object)->box;
      Qz__MeasureAxis(c->width, &box->minWidth, &box->width, &box->maxWidth);
      Qz__MeasureAxis(c->height, &box->minHeight, &box->height, &box->maxHeight);
      return 0;
    }
    case kRootHandleIDCMP: return Qz__Input(c, reinterpret_cast<const Qz_InputEvent*>(args[0]));
    default: return qz::kit::inherited(object, id, args);
  }
}

const qz::kit::ClassDecl kColourSpace = {
    .name = "ColourSpace", .superName = "Root", .classId = kColourSpaceClassId,
    .instance = qz::kit::instanceOf<Qz_ColourSpaceObject>(), .handler = Qz__ColourSpaceDispatch,
    .notice = "Colour field to pick a colour from", .classValue = 2};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitColourSpaceClass(Qz_GlobalData*) { return qz::kit::addClass(kColourSpace); }
QZ_EXPORT void Qz_CleanupColourSpaceClass(void) { qz::kit::removeClass(kColourSpace); }
QZ_EXTERN_C_END
