// Histogram: a framed drawing area 130 pixels high showing the counts table
// as one polyline, scaled so the largest count reaches the top. The table is
// made once and kept for the gadget's life, since its owner fills it through
// the pointer it was given; bounds changed later only change what is shown,
// and nothing past the table is ever read.
#include <cstdint>
#include <new>
#include <vector>

#include "gadgets/panel_gadget_maths.h"
#include "gadgets/qz_group.h"
#include "gadgets/qz_histogram.h"
#include "gadgets/qz_input_event.h"
#include "gadgets/qz_lut_edit.h"
#include "gadgets/qz_widgets.h"
#include "objects/object_services.h"
#include "objects/qz_class_kit.h"
#include "objects/qz_root.h"
#include "platform/graphics.h"
#include "platform/windows.h"

namespace {

struct Qz_HistogramObject {
  Qz_Object header;
  QzLutTable lut{.minX = 0, .minY = 0, .maxX = 255, .maxY = 255, .width = 4};
  std::vector<uint32_t> counts;
  Qz_Object* area = nullptr;  // the drawing area
};

Qz_HistogramObject* Qz__Self(Qz_Object* o) { return qz::kit::self<Qz_HistogramObject>(o); }

QzWord Qz__Table(Qz_HistogramObject* h) {
  if (!h->lut.table32) {
    const int64_t entries = int64_t(h->lut.maxX) - h->lut.minX + 1;
    if (entries <= 0 || entries > (int64_t(1) << 24)) return 0;
    try {
      h->counts.assign(size_t(entries), 0);
    } catch (const std::bad_alloc&) {
      return 0;  // the next request tries again
    }
    h->lut.table32 = h->counts.data();
    h->lut.length = uint32_t(h->counts.size());
  }
  return reinterpret_cast<QzWord>(h->lut.table32);
}

void Qz__DrawGraph(Qz_HistogramObject* h) {
  if (!h->area) return;
  const Qz_LayoutBox b = Qz_RootInstance(h->area)->box;
  Qz_DrawInfo* info = Qz_LockDrawInfo(h->area);
  if (!info) return;
  if (RastPort* rp = info->rastPort) {
    Qz__ClearHistogramArea(rp, b.left, b.top, b.width, b.height);
    const int32_t fx = info->frameWidth, fy = info->frameHeight;
    const int32_t w = b.width - 2 * fx, height = b.height - 2 * fy;
    if (w > 0 && height > 0) {
      const std::vector<int32_t> bars =
          qz::panelgadgets::histogramBars(h->lut.table32, h->lut.length, h->lut.maxX, w, height);
      SetAPen(rp, 1);
      Move(rp, b.left + fx, b.top + b.height - fy);
      for (int32_t x = 0; x < w; ++x) Draw(rp, b.left + fx + x, b.top + fy + height - bars[size_t(x)]);
    }
  }
  Qz_UnlockDrawInfo(h->area);
}

QzWord Qz__Input(Qz_HistogramObject* h, const Qz_InputEvent* e) {
  if (!h->area || (Qz_RootInstance(h->area)->box.flags & 1)) return 0;
  if (e && e->cls == IDCMP_MOUSEBUTTONS && e->code == SELECTDOWN &&
      Qz_IsCoordOverObject(h->area, e->mouseX, e->mouseY))
    Qz__DrawGraph(h);
  return 2;
}

QzWord Qz__Entry(Qz_HistogramObject* h, uint32_t id, const QzWord* args) {
  if (!h->lut.table32) return QzWord(intptr_t(-1));
  if (id == kHistogramSetEntry) return QzWord(intptr_t(Qz__SetLUTEntry(&h->lut, int32_t(args[0]), uint32_t(args[1]))));
  return QzWord(intptr_t(Qz__GetLUTEntry(&h->lut, int32_t(args[0]))));
}

QzWord Qz__HistogramDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  Qz_HistogramObject* h = Qz__Self(object);
  QzLutTable& t = h->lut;
  switch (id) {
    case kHistogramSetLower: return uint32_t(t.minX = int32_t(args[0]));
    case kHistogramGetLower: return uint32_t(t.minX);
    case kHistogramSetUpper: return uint32_t(t.maxX = int32_t(args[0]));
    case kHistogramGetUpper: return uint32_t(t.maxX);
    case kHistogramSetVerticalLower: return uint32_t(t.minY = int32_t(args[0]));
    case kHistogramGetVerticalLower: return uint32_t(t.minY);
    case kHistogramSetVerticalUpper: return uint32_t(t.maxY = int32_t(args[0]));
    case kHistogramGetVerticalUpper: return uint32_t(t.maxY);
    case kHistogramGetTable: return Qz__Table(h);
    case kHistogramSetEntry:
    case kHistogramGetEntry: return Qz__Entry(h, id, args);
    case kRootDraw: {
      qz::kit::inherited(object, id, args);
      Qz__DrawGraph(h);
      return 0;
    }
    case kRootHandleIDCMP: return Qz__Input(h, reinterpret_cast<const Qz_InputEvent*>(args[0]));
    default: return qz::kit::inherited(object, id, args);
  }
}

Qz_Object* Qz__MakeColumn(Qz_Object*) { return Qz_CreateObject("Group", kGroupSetMode, 1); }

bool Qz__SetUp(Qz_Object* object) {
  Qz_HistogramObject* h = Qz__Self(object);
  Qz_Object* frame = Qz_CreateObject("Group", kGroupSetMode, 1, kGroupSetFrame, 5);
  h->area = Qz_CreateObject("Space", kSpaceSetMinHeight, kHistogramAreaHeight);
  if (!frame || !h->area) {
    Qz_DisposeObject(frame);
    Qz_DisposeObject(h->area);
    h->area = nullptr;
    return false;
  }
  Qz_DoMethod(frame, kGroupAddTail, h->area);
  Qz_DoMethod(object->super, kGroupAddTail, frame);
  return true;
}

const qz::kit::ClassDecl kHistogram = {
    .name = "Histogram", .superName = "Group", .classId = kHistogramClassId,
    .instance = qz::kit::instanceOf<Qz_HistogramObject>(), .handler = Qz__HistogramDispatch,
    .makeSuper = Qz__MakeColumn, .setUp = Qz__SetUp, .notice = "Line graph of a table of counts"};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitHistogramClass(Qz_GlobalData*) { return qz::kit::addClass(kHistogram); }
QZ_EXPORT void Qz_CleanupHistogramClass(void) { qz::kit::removeClass(kHistogram); }
QZ_EXTERN_C_END
