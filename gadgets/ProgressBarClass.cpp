// ProgressBar: a label over a bar that fills from the left in proportion to
// a value against a maximum.
#include "gadgets/qz_group.h"
#include "gadgets/qz_widgets.h"
#include "objects/qz_class_record.h"
#include "objects/object_services.h"
#include "objects/qz_root.h"
#include "platform/graphics.h"

namespace {

struct ProgressBarObject {
  Qz_Object header;
  Qz_Object* label;  // Text, or NULL once removed
  Qz_Object* bar;    // the Space the bar is drawn in
  uint32_t value;
  uint32_t maximum;
};

const Qz_Method kProgressBarMethods[] = {
    {0, nullptr, 0, 0, nullptr, 0, nullptr, 0, 0},
};

Qz_Class gProgressBarClass;

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
    case kProgressBarSetValue: {
      const uint32_t v = uint32_t(args[0]);
      if (v != p->value) {
        p->value = v;
        drawBar(p);
      }
      return v;
    }
    case kProgressBarGetValue: return p->value;
    case kProgressBarSetMax: {
      uint32_t m = uint32_t(args[0]);
      if (m < 2) m = 1;
      if (m != p->maximum) {
        p->maximum = m;
        drawBar(p);
      }
      return m;
    }
    case kProgressBarGetMax: return p->maximum;
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
    default: return Qz_DoMethodA(object->super, id, args);
  }
}

Qz_Object* progressNew(Qz_Class* objectClass, const QzWord* args) {
  (void)args;
  Qz_Object* object = Qz_AllocObjectMem(objectClass);
  if (object == nullptr) return nullptr;
  ProgressBarObject* p = asBar(object);
  p->maximum = 100;
  object->super = Qz_CreateObject("Group", kGroupSetMode, 1);
  p->label = Qz_CreateObject("Text", kRootSetLabel, "");
  Qz_Object* barGroup = Qz_CreateObject("Group", kGroupSetMode, 1, kGroupSetSpacing, 2);
  p->bar = Qz_CreateObject("Space", kSpaceSetMinHeight, 11);
  if (object->super == nullptr || p->label == nullptr || barGroup == nullptr || p->bar == nullptr) {
    Qz_DisposeObject(p->bar);
    Qz_DisposeObject(barGroup);
    Qz_DisposeObject(p->label);
    Qz_DisposeObject(object->super);
    Qz_FreeObjectMem(object);
    return nullptr;
  }
  Qz_DoMethod(barGroup, kGroupAddTail, p->bar);
  Qz_DoMethod(object->super, kGroupAddTail, p->label);
  Qz_DoMethod(object->super, kGroupAddTail, barGroup);
  return object;
}

void progressDispose(Qz_Object* object) {
  Qz_DisposeObject(object->super);  // the label and the bar with it
  Qz_FreeObjectMem(object);
}

}  // namespace

QzWord Qz_InitProgressBarClass(Qz_GlobalData* globalData) {
  (void)globalData;
  static const Qz_ClassSpec spec = {
      "ProgressBar", "Label over a filling bar", kProgressBarClassId, "Group",
      progressNew, progressDispose, progressDispatch, kProgressBarMethods,
      sizeof(ProgressBarObject), 0};
  return Qz_RegisterClassRecord(&gProgressBarClass, &spec);
}

void Qz_CleanupProgressBarClass(Qz_GlobalData* globalData) {
  (void)globalData;
  Qz_UnregisterClassRecord(&gProgressBarClass);
}
