// ProgressBar: a label over a bar that fills from the left in proportion to
// a value against a maximum.
#include "gadgets/qz_group.h"
#include "gadgets/qz_widgets.h"
#include "objects/qz_class_kit.h"
#include "objects/object_services.h"
#include "objects/qz_root.h"
#include "platform/graphics.h"

namespace {

struct ProgressBarObject {
  Qz_Object header;
  Qz_Object* label = nullptr;  // Text, or NULL once removed
  Qz_Object* bar = nullptr;    // the Space the bar is drawn in
  uint32_t value = 0;
  uint32_t maximum = 100;
};

ProgressBarObject* asBar(Qz_Object* o) { return reinterpret_cast<ProgressBarObject*>(o); }

void drawBar(ProgressBarObject* p) {
  const Qz_LayoutBox* box = &Qz_RootInstance(p->bar)->box;
  const int32_t w = box->width < 1 ? 0 : box->width, h = box->height;
  if (w == 0 || h <= 0) return;
  Qz_DrawInfo* info = Qz_LockDrawInfo(p->bar);
  if (info == nullptr) return;
  uint64_t filled = uint64_t(p->value) * uint32_t(w) / (p->maximum != 0 ? p->maximum : 1);
  if (filled > uint64_t(w)) filled = uint64_t(w);
  const int32_t f = int32_t(filled);
  RastPort* rp = info->rastPort;
  // Both parts inside the bar's own box: the filled part, then the rest.
  if (f > 0) {
    SetAPen(rp, 3);
    RectFill(rp, box->left, box->top, box->left + f - 1, box->top + h - 1);
  }
  if (f < w) {
    SetAPen(rp, 0);
    RectFill(rp, box->left + f, box->top, box->left + w - 1, box->top + h - 1);
  }
  Qz_UnlockDrawInfo(p->bar);
}

QzWord progressDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  ProgressBarObject* p = asBar(object);
  switch (id) {
    case kProgressBarSetText:
      if (p->label != nullptr) Qz_DoMethod(p->label, kRootSetLabel, args[0]);
      return 0;
    case kProgressBarGetText: return p->label != nullptr ? Qz_DoMethod(p->label, kRootGetLabel) : 0;
    case kProgressBarRemoveLabel:
      if (p->label != nullptr) {
        Qz_DoMethod(object->super, kGroupRemove, p->label);
        Qz_DisposeObject(p->label);
        p->label = nullptr;
      }
      return 1;
    case kFixWidth: return Qz_DoMethodA(p->bar, kFixWidth, args);
    case kRootDraw: {
      const QzWord r = Qz_DoMethodA(object->super, id, args);
      drawBar(p);
      return r;
    }
    default: return qz::kit::inherited(object, id, args);
  }
}

// The label over the bar, the bar in a group of its own.
bool progressSetUp(Qz_Object* object) {
  ProgressBarObject* p = asBar(object);
  p->label = Qz_CreateObject("Text", kRootSetLabel, "");
  Qz_Object* barGroup = Qz_CreateObject("Group", kGroupSetMode, 1, kGroupSetSpacing, 2);
  p->bar = Qz_CreateObject("Space", kSpaceSetMinHeight, 11);
  if (p->label == nullptr || barGroup == nullptr || p->bar == nullptr) {
    Qz_DisposeObject(p->bar);
    Qz_DisposeObject(barGroup);
    Qz_DisposeObject(p->label);
    return false;
  }
  Qz_DoMethod(barGroup, kGroupAddTail, p->bar);
  Qz_DoMethod(object->super, kGroupAddTail, p->label);
  Qz_DoMethod(object->super, kGroupAddTail, barGroup);
  return true;  // the group disposes both with it
}

void redrawBar(Qz_Object* object) { drawBar(asBar(object)); }

// The value and the maximum (at least 1) redraw the bar when they change.
const qz::kit::Attribute kProgressBarAttributes[] = {
    {.setter = kProgressBarSetValue, .getter = kProgressBarGetValue,
     .field = qz::kit::field(&ProgressBarObject::value), .changed = redrawBar},
    {.setter = kProgressBarSetMax, .getter = kProgressBarGetMax, .minimum = 1, .maximum = UINT32_MAX,
     .initial = 100, .field = qz::kit::field(&ProgressBarObject::maximum), .changed = redrawBar},
};

const TagItem kProgressBarSuperTags[] = {{kGroupSetMode, 1}, {TAG_DONE, 0}};

const qz::kit::ClassDecl kProgressBarClass = {
    .name = "ProgressBar", .superName = "Group", .classId = kProgressBarClassId,
    .instance = qz::kit::instanceOf<ProgressBarObject>(), .handler = progressDispatch,
    .attributes = kProgressBarAttributes, .superTags = kProgressBarSuperTags, .setUp = progressSetUp,
    .notice = "Label over a filling bar"};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitProgressBarClass(Qz_GlobalData*) { return qz::kit::addClass(kProgressBarClass); }
QZ_EXPORT void Qz_CleanupProgressBarClass(void) { qz::kit::removeClass(kProgressBarClass); }
QZ_EXTERN_C_END
