// ColourSwatches: a 4 x 64 grid of colour swatches, the selected one drawn
// with a frame. A press over the grid, and moves with the button held,
// select the swatch under the pointer and notify its index.
#include <cstdint>

#include "gadgets/panel_gadget_maths.h"
#include "gadgets/qz_colour_swatches.h"
#include "gadgets/qz_input_event.h"
#include "image/palette_reader.h"
#include "objects/draw/qz_draw.h"
#include "objects/object_services.h"
#include "objects/qz_class_kit.h"
#include "objects/qz_notify.h"
#include "objects/qz_root.h"
#include "platform/windows.h"

namespace {

using qz::panelgadgets::SwatchGrid;

struct Qz_ColourSwatchesObject {
  Qz_Object header;
  uint32_t colours[256];
  SwatchGrid grid;
  uint32_t selected = 0;
  bool buttonHeld = false;

  Qz_ColourSwatchesObject() {
    for (uint32_t i = 0; i < 256; ++i) colours[i] = qz::panelgadgets::initialSwatchColour(i);
  }
};

Qz_ColourSwatchesObject* Qz__Self(Qz_Object* o) { return qz::kit::self<Qz_ColourSwatchesObject>(o); }
const Qz_LayoutBox& Qz__Box(Qz_Object* o) { return Qz_RootInstance(o)->box; }

void Qz__FillSwatch(Qz_ColourSwatchesObject* s, Qz_DrawInfo* info, uint32_t index) {
  const Qz_LayoutBox& b = Qz__Box(&s->header);
  const qz::panelgadgets::Cell c = qz::panelgadgets::swatchCell(s->grid, index);
  Qz_FillRectRGB(info, b.left + c.x, b.top + c.y, int32_t(s->grid.swatchWidth), int32_t(s->grid.swatchHeight), 0,
                 s->colours[index]);
  if (index == s->selected)
    Qz_DrawFrame(&s->header, info, b.left + c.x, b.top + c.y, int32_t(s->grid.swatchWidth),
                 int32_t(s->grid.swatchHeight), nullptr, 0, kQzFrameIndent);
}

void Qz__DrawSwatch(Qz_ColourSwatchesObject* s, uint32_t index) {
  Qz_DrawInfo* info = Qz_LockDrawInfo(&s->header);
  if (!info) return;
  Qz__FillSwatch(s, info, index);
  Qz_UnlockDrawInfo(&s->header);
}

QzWord Qz__DrawGrid(Qz_ColourSwatchesObject* s) {
  if (Qz_DrawInfo* info = Qz_LockDrawInfo(&s->header)) {
    for (uint32_t i = 0; i < s->grid.count; ++i) Qz__FillSwatch(s, info, i);
    Qz_UnlockDrawInfo(&s->header);
  }
  return 0;
}

// An index past the grid is taken as its last swatch, never past the table.
QzWord Qz__Select(Qz_ColourSwatchesObject* s, QzWord index) {
  const uint32_t previous = s->selected;
  s->selected = qz::panelgadgets::clampSwatch(s->grid, uint32_t(index));
  Qz__DrawSwatch(s, previous);
  Qz__DrawSwatch(s, s->selected);
  Qz_DoNotify(&s->header, kSwatchesSelect, s->selected);
  return previous;
}

void Qz__Pick(Qz_ColourSwatchesObject* s, int16_t x, int16_t y) {
  const Qz_LayoutBox& b = Qz__Box(&s->header);
  Qz__Select(s, qz::panelgadgets::swatchAt(s->grid, x - b.left, y - b.top));
}

QzWord Qz__Input(Qz_ColourSwatchesObject* s, const Qz_InputEvent* e) {
  if (!e) return 2;
  Qz_Object* self = &s->header;
  const bool over = Qz_IsCoordOverObject(self, e->mouseX, e->mouseY) != 0;
  if (e->cls == IDCMP_MOUSEBUTTONS && e->code == SELECTDOWN) {
    if (!over) return 2;
    s->buttonHeld = true;
    Qz__Pick(s, e->mouseX, e->mouseY);
  } else if (e->cls == IDCMP_MOUSEBUTTONS && e->code == SELECTUP) {
    s->buttonHeld = false;
  } else if (e->cls == IDCMP_MOUSEMOVE && s->buttonHeld && over) {
    Qz__Pick(s, e->mouseX, e->mouseY);
  }
  return 2;
}

QzWord Qz__Measure(Qz_ColourSwatchesObject* s) {
  Qz_LayoutBox& b = Qz_RootInstance(&s->header)->box;
  b.width = b.minWidth = b.maxWidth = int16_t(s->grid.columns * s->grid.swatchWidth);
  b.height = b.minHeight = b.maxHeight = int16_t(s->grid.rows * s->grid.swatchHeight);
  return 0;
}

// The file's colours replace the first of the table; a file that cannot be
// read leaves it as it was. Either way the grid is redrawn and notified.
QzWord Qz__LoadPalette(Qz_ColourSwatchesObject* s, const char* path) {
  if (path) Qz_ReadPalette(path, s->colours);
  Qz__DrawGrid(s);
  Qz_DoNotify(&s->header, kSwatchesSelect, s->selected);
  return 0;
}

QzWord Qz__ColourSwatchesDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  Qz_ColourSwatchesObject* s = Qz__Self(object);
  switch (id) {
    case kSwatchesSetColour:
      s->colours[qz::panelgadgets::clampSwatch(s->grid, uint32_t(args[0]))] = uint32_t(args[1]);
      Qz__Select(s, args[0]);
      return 0;
    case kSwatchesGetColour: return s->colours[qz::panelgadgets::clampSwatch(s->grid, uint32_t(args[0]))];
    case kSwatchesSetWidth: s->grid.swatchWidth = uint32_t(args[0]); return 0;
    case kSwatchesGetWidth: return s->grid.swatchWidth;
    case kSwatchesSetHeight: s->grid.swatchHeight = uint32_t(args[0]); return 0;
    case kSwatchesGetHeight: return s->grid.swatchHeight;
    case kSwatchesSelect: return Qz__Select(s, args[0]);
    case kSwatchesGetSelected: return s->selected;
    case kSwatchesLoadPalette: return Qz__LoadPalette(s, reinterpret_cast<const char*>(args[0]));
    case kRootDraw: return Qz__DrawGrid(s);
    case kRootHandleIDCMP: return Qz__Input(s, reinterpret_cast<const Qz_InputEvent*>(args[0]));
    case kRootMeasure: return Qz__Measure(s);
    default: return qz::kit::inherited(object, id, args);
  }
}

const qz::kit::ClassDecl kColourSwatches = {
    .name = "ColourSwatches", .superName = "Root", .classId = kColourSwatchesClassId,
    .instance = qz::kit::instanceOf<Qz_ColourSwatchesObject>(), .handler = Qz__ColourSwatchesDispatch,
    .notice = "Grid of colour swatches"};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitColourSwatchesClass(Qz_GlobalData*) { return qz::kit::addClass(kColourSwatches); }
QZ_EXPORT void Qz_CleanupColourSwatchesClass(void) { qz::kit::removeClass(kColourSwatches); }
QZ_EXTERN_C_END
