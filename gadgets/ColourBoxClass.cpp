// ColourBox: one colour shown as a filled box.
#include <cstdint>

#include "gadgets/qz_colour_edit.h"
#include "gadgets/qz_widgets.h"
#include "objects/draw/qz_draw.h"
#include "objects/object_services.h"
#include "objects/qz_class_kit.h"
#include "objects/qz_notify.h"
#include "objects/qz_root.h"

namespace {

struct Qz_ColourBoxObject {
  Qz_Object header;
  uint8_t rgb[3] = {0, 0, 0};
  int32_t width = 0, height = 0;  // preferred size, 0: the default
};

Qz_ColourBoxObject* Qz__Self(Qz_Object* o) { return qz::kit::self<Qz_ColourBoxObject>(o); }

uint32_t Qz__Colour(const Qz_ColourBoxObject* b) { return b->rgb[0] | b->rgb[1] << 8 | b->rgb[2] << 16; }

QzWord Qz__Draw(Qz_ColourBoxObject* b) {
  Qz_Object* self = &b->header;
  const Qz_LayoutBox box = Qz_RootInstance(self)->box;
  Qz_DrawInfo* info = Qz_LockDrawInfo(self);
  if (!info) return 0;
  Qz_FillRectRGB(info, box.left, box.top, box.width, box.height, 0, Qz__Colour(b));
  Qz_UnlockDrawInfo(self);
  return 0;
}

// A preferred size fixes its axis; otherwise 16..1280.
void Qz__MeasureAxis(int32_t preferred, int16_t* minimum, int16_t* size, int16_t* maximum) {
  if (preferred > 0) {
    *minimum = *size = *maximum = int16_t(preferred > kGadgetMaxSize ? kGadgetMaxSize : preferred);
    return;
  }
  *minimum = *size = 16;
  *maximum = kGadgetMaxSize;
}

QzWord Qz__ColourBoxDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  Qz_ColourBoxObject* b = Qz__Self(object);
  switch (id) {
    case kColourBoxSetRed:
    case kColourBoxSetRed + 1:
    case kColourBoxSetRed + 2:
      b->rgb[id - kColourBoxSetRed] = uint8_t(args[0]);
      Qz_DoNotify(object, id, uint32_t(b->rgb[id - kColourBoxSetRed]));
      return Qz__Draw(b);
    case kColourBoxGetRed:
    case kColourBoxGetRed + 1:
    case kColourBoxGetRed + 2: return b->rgb[id - kColourBoxGetRed];
    case kColourBoxSetRGB: {
      const auto* rgb = reinterpret_cast<const uint8_t*>(args[0]);
      if (rgb == nullptr) return 0;
      b->rgb[0] = rgb[0], b->rgb[1] = rgb[1], b->rgb[2] = rgb[2];
      Qz_DoNotify(object, kColourBoxSetRGB, Qz__Colour(b));
      return Qz__Draw(b);
    }
    case kColourBoxSetWidth: b->width = int32_t(args[0]); return 0;
    case kColourBoxGetWidth: return uint32_t(b->width);
    case kColourBoxSetHeight: b->height = int32_t(args[0]); return 0;
    case kColourBoxGetHeight: return uint32_t(b->height);
    case kRootDraw: return Qz__Draw(b);
    case kRootMeasure: {
      Qz_LayoutBox* box = &Qz_RootInstance(object)->box;
      Qz__MeasureAxis(b->width, &box->minWidth, &box->width, &box->maxWidth);
      Qz__MeasureAxis(b->height, &box->minHeight, &box->height, &box->maxHeight);
      return 0;
    }
    default: return qz::kit::inherited(object, id, args);
  }
}

const qz::kit::ClassDecl kColourBox = {
    .name = "ColourBox", .superName = "Root", .classId = kColourBoxClassId,
    .instance = qz::kit::instanceOf<Qz_ColourBoxObject>(), .handler = Qz__ColourBoxDispatch,
    .notice = "A box filled with one colour"};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitColourBoxClass(Qz_GlobalData*) { return qz::kit::addClass(kColourBox); }
QZ_EXPORT void Qz_CleanupColourBoxClass(void) { qz::kit::removeClass(kColourBox); }
QZ_EXTERN_C_END
