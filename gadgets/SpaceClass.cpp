// Space: an empty filler of fixed or stretchable size, optionally an etched
// separator line.
#include "gadgets/qz_widgets.h"
#include "objects/qz_class_kit.h"
#include "objects/object_services.h"
#include "objects/qz_root.h"
#include "platform/graphics.h"

namespace {

struct SpaceObject {
  Qz_Object header;
  uint16_t fixedWidth;   // 0 stretchable, 0xFFFF no room at all
  uint16_t fixedHeight;
  uint8_t etched;
  uint8_t minWidth;
  uint8_t minHeight;
};

SpaceObject* asSpace(Qz_Object* o) { return reinterpret_cast<SpaceObject*>(o); }

void applyFixed(uint16_t fixed, int16_t* nominal, int16_t* minimum, int16_t* maximum) {
  if (fixed == 0) return;
  const int16_t v = fixed == kSpaceZeroSize ? 0 : int16_t(fixed > 0x7FFF ? 0x7FFF : fixed);
  *nominal = *minimum = *maximum = v;
}

QzWord measure(SpaceObject* s) {
  Qz_LayoutBox* box = &Qz_RootInstance(&s->header)->box;
  box->minWidth = s->minWidth != 0 ? s->minWidth : 1;
  box->minHeight = s->minHeight != 0 ? s->minHeight : 1;
  box->maxWidth = box->maxHeight = kGadgetMaxSize;
  box->width = box->minWidth;
  box->height = box->minHeight;
  applyFixed(s->fixedWidth, &box->width, &box->minWidth, &box->maxWidth);
  applyFixed(s->fixedHeight, &box->height, &box->minHeight, &box->maxHeight);
  return 0;
}

QzWord draw(SpaceObject* s) {
  if (!s->etched || (s->fixedHeight == 0 && s->fixedWidth == 0)) return 0;
  Qz_Object* self = &s->header;
  const Qz_LayoutBox* box = &Qz_RootInstance(self)->box;
  if (box->width <= 0 || box->height <= 0) return 0;
  Qz_DrawInfo* info = Qz_LockDrawInfo(self);
  if (info == nullptr) return 0;
  RastPort* rp = info->rastPort;
  const int32_t right = box->left + box->width - 1, bottom = box->top + box->height - 1;
  if (s->fixedHeight != 0) {
    const int32_t mid = box->top + box->height / 2;
    DrawLine(rp, box->left + 1, mid - 1, right - 2, mid - 1, info->darkPen);
    DrawLine(rp, box->left + 1, mid, right - 2, mid, 2);
  } else {
    const int32_t mid = box->left + box->width / 2;
    DrawLine(rp, mid - 1, box->top + 1, mid - 1, bottom - 2, info->darkPen);
    DrawLine(rp, mid, box->top + 1, mid, bottom - 2, 2);
  }
  Qz_UnlockDrawInfo(self);
  return 0;
}

// The box follows a fixed size at once, so a placed space need not be measured again.
QzWord fix(SpaceObject* s, bool width, QzWord value) {
  Qz_LayoutBox* box = &Qz_RootInstance(&s->header)->box;
  const uint16_t v = uint16_t(value);
  if (width) {
    s->fixedWidth = v;
    applyFixed(v, &box->width, &box->minWidth, &box->maxWidth);
  } else {
    s->fixedHeight = v;
    applyFixed(v, &box->height, &box->minHeight, &box->maxHeight);
  }
  return 0;
}

QzWord spaceDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  SpaceObject* s = asSpace(object);
  switch (id) {
    case kSpaceSetSize:
      s->fixedWidth = s->fixedHeight = uint16_t(args[0]);
      return 0;
    case kFixWidth: return fix(s, true, args[0]);
    case kFixHeight: return fix(s, false, args[0]);
    case kSpaceSetEtched: s->etched = uint8_t(args[0] != 0); return 0;
    case kSpaceGetEtched: return s->etched;
    case kSpaceSetMinWidth: s->minWidth = uint8_t(args[0]); return 0;
    case kSpaceSetMinHeight: s->minHeight = uint8_t(args[0]); return 0;
    case kRootMeasure: return measure(s);
    case kRootDraw: return draw(s);
    default: return qz::kit::inherited(object, id, args);
  }
}

const TagItem kSpaceSuperTags[] = {{kRootSetWeight, 400}, {TAG_DONE, 0}};

const qz::kit::ClassDecl kSpaceClass = {
    .name = "Space", .superName = "Root", .classId = kSpaceClassId,
    .instance = qz::kit::instanceOf<SpaceObject>(), .handler = spaceDispatch,
    .superTags = kSpaceSuperTags, .notice = "Filler and etched separator"};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitSpaceClass(Qz_GlobalData*) { return qz::kit::addClass(kSpaceClass); }
QZ_EXPORT void Qz_CleanupSpaceClass(void) { qz::kit::removeClass(kSpaceClass); }
QZ_EXTERN_C_END
