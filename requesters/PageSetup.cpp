// PageSetup: paper, margins, printed size and resolution of the picture to
// print, built on RootQZIO so the print path treats it as an output format.
// Owns its gadgets (kept between runs, so the user's paper and margins
// stay) and the layout they show; answers the ids of qz_page_setup.h.
#include "requesters/qz_page_setup.h"

#include <cstring>

#include "gadgets/qz_choice.h"
#include "gadgets/qz_group.h"
#include "gadgets/qz_popups.h"
#include "gadgets/qz_text_entry.h"
#include "gadgets/qz_widgets.h"
#include "image/qz_image.h"
#include "objects/catalogue.h"
#include "objects/qz_class_kit.h"
#include "objects/qz_notify.h"
#include "objects/requester.h"
#include "requesters/page_layout.h"

namespace {

using namespace qz::page;

constexpr uint32_t kCatTitle = 391, kCatFit = 395, kCatSize = 396, kCatMargins = 397, kCatPaper = 398;
constexpr QzWord kRequesterWidth = 240;
constexpr QzWord kRequesterHeight = 360;
constexpr QzWord kWindowClass = 5678;  // the requester's position key
constexpr int32_t kMillimetreUnit = 2;  // what the fields keep
constexpr int32_t kDotsPerInchUnit = 5;

enum Field : int { kPaperWidth, kPaperHeight, kPrintWidth, kPrintHeight, kResolution,
                   kLeftField, kRightField, kTopField, kBottomField, kFieldCount };

struct Qz_PageSetupObject {
  Qz_Object header;
  Qz_Object* group = nullptr;  // owned while no requester holds it
  Qz_Object* paperList = nullptr;
  Qz_Object* fields[kFieldCount] = {};
  Qz_Object* fitBox = nullptr;
  PageLayout layout;
  int32_t guard = 0;  // our own updates of the fields do not come back as typing
  QzWord word = 0;
  Qz_Image* image = nullptr;
};

Qz_PageSetupObject* Qz__Self(Qz_Object* o) { return qz::kit::self<Qz_PageSetupObject>(o); }

float Qz__Float(const QzWord* args) { return Qz_ULONGToFloat(args ? args[0] : 0); }

// Shows every value of the layout in its gadget.
void Qz__Show(Qz_PageSetupObject* p) {
  const PageLayout& l = p->layout;
  ++p->guard;
  Qz_DoMethod(p->paperList, kPopUpListSetIndex, uint32_t(l.paper));
  Qz_DoMethod(p->fields[kPaperWidth], kMeasurementUnitChosen, uint32_t(l.unit));
  const float values[kFieldCount] = {l.paperWidth, l.paperHeight, l.printWidth, l.printHeight, l.resolution,
                                     l.margins[kLeft], l.margins[kRight], l.margins[kTop], l.margins[kBottom]};
  for (int f = 0; f < kFieldCount; ++f) Qz_DoMethod(p->fields[f], kMeasurementSetValue, Qz_FloatToULONG(values[f]));
  Qz_DoMethod(p->fitBox, kCheckBoxSetState, uint32_t(l.fit ? 1 : 0));
  --p->guard;
}

// A change from a gadget: applied to the layout unless it is our own echo;
// a refused value is replaced by the one in force.
template <typename Change>
QzWord Qz__Typed(Qz_PageSetupObject* p, Change change) {
  if (p->guard) return 0;
  change(p->layout);
  Qz__Show(p);
  return 0;
}

QzWord Qz__SetMargin(Qz_PageSetupObject* p, Margin side, float value) {
  return Qz__Typed(p, [&](PageLayout& l) { setMargin(l, side, value); });
}

// Reads the picture's size and resolution while it is surely open.
QzWord Qz__SetImage(Qz_PageSetupObject* p, Qz_Image* image) {
  p->image = image;
  int32_t width = 0, height = 0;
  float resolution = 0;
  if (image && Qz_LockImageA(image, kQzLockRead, nullptr)) {
    width = image->width;
    height = image->height;
    resolution = image->resolution;
    Qz_UnlockImageA(image, kQzLockRead, nullptr);
  }
  setImage(p->layout, width, height, resolution);
  Qz__Show(p);
  return 0;
}

// The requester: the gadgets above OK and Cancel. OK gives the picture the
// chosen resolution, provided it is still open (the lock proves it).
QzWord Qz__Run(Qz_PageSetupObject* p) {
  Qz_Object* screen = Qz_GetImageBase()->screen;
  const QzWord ok = Qz_ShowRequester(Qz_CatalogString(kCatTitle), p->group, 0, screen, 0,
                                     kRequesterTagDefaultWidth, kRequesterWidth, kRequesterTagDefaultHeight,
                                     kRequesterHeight, kRequesterTagPositionKey, kWindowClass);
  if (ok != 1) return 0;
  if (p->image && Qz_LockImageA(p->image, kQzLockExclusive, nullptr)) {
    p->image->resolution = p->layout.resolution;
    Qz_UnlockImageA(p->image, kQzLockExclusive, nullptr);
  }
  return 1;
}

QzWord Qz__PageSetupDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  Qz_PageSetupObject* p = Qz__Self(object);
  const float value = Qz__Float(args);
  switch (id) {
    case kPageSetupPaper:
      return Qz__Typed(p, [&](PageLayout& l) { choosePaper(l, int32_t(args[0])); });
    case kPageSetupPaperWidth: return Qz__Typed(p, [&](PageLayout& l) { typePaperWidth(l, value); });
    case kPageSetupPaperHeight: return Qz__Typed(p, [&](PageLayout& l) { typePaperHeight(l, value); });
    case kPageSetupResolution: return Qz__Typed(p, [&](PageLayout& l) { typeResolution(l, value); });
    case kPageSetupFit: return Qz__Typed(p, [](PageLayout& l) { fitToPage(l); });
    case kPageSetupSetFitFlag: return Qz__Typed(p, [&](PageLayout& l) { setFit(l, args[0] != 0); });
    case kPageSetupGetFitFlag: return p->layout.fit ? 1 : 0;
    case kPageSetupSetPrintWidth: return Qz__Typed(p, [&](PageLayout& l) { typePrintWidth(l, value); });
    case kPageSetupGetPrintWidth: return Qz_FloatToULONG(p->layout.printWidth);
    case kPageSetupSetPrintHeight: return Qz__Typed(p, [&](PageLayout& l) { typePrintHeight(l, value); });
    case kPageSetupGetPrintHeight: return Qz_FloatToULONG(p->layout.printHeight);
    case kPageSetupSetWord: p->word = args[0]; return 0;
    case kPageSetupSetImage: return Qz__SetImage(p, reinterpret_cast<Qz_Image*>(args[0]));
    case kPageSetupGetImage: return reinterpret_cast<QzWord>(p->image);
    case kPageSetupRun: return Qz__Run(p);
    case kPageSetupSetLeft: return Qz__SetMargin(p, kLeft, value);
    case kPageSetupGetLeft: return Qz_FloatToULONG(p->layout.margins[kLeft]);
    case kPageSetupSetTop: return Qz__SetMargin(p, kTop, value);
    case kPageSetupGetTop: return Qz_FloatToULONG(p->layout.margins[kTop]);
    case kPageSetupSetRight: return Qz__SetMargin(p, kRight, value);
    case kPageSetupGetRight: return Qz_FloatToULONG(p->layout.margins[kRight]);
    case kPageSetupSetBottom: return Qz__SetMargin(p, kBottom, value);
    case kPageSetupGetBottom: return Qz_FloatToULONG(p->layout.margins[kBottom]);
    case kPageSetupGetResolution: return Qz_FloatToULONG(p->layout.resolution);
    case kPageSetupGetPaper: return uint32_t(p->layout.paper);
    default: return qz::kit::inherited(object, id, args);
  }
}

Qz_Object* Qz__Measurement(int32_t unit, int32_t keptUnit) {
  return Qz_CreateObject("MeasurementEdit", kMeasurementSetInternalUnit, keptUnit, kMeasurementSetUnit, unit,
                         kMeasurementSetResolution, Qz_FloatToULONG(75.0f), kMeasurementSetWord, 3);
}

// A labelled row: the label and the field. Rows and frames keep their own
// height (weight 0): the default weights hand out more room than there is.
Qz_Object* Qz__Row(const char* label, Qz_Object* field) {
  Qz_Object* row = Qz_CreateObject("Group", kGroupSetMode, 2, kRootSetWeight, 0);
  if (!row) return nullptr;
  Qz_DoMethod(row, kGroupAddTail, Qz_CreateObject("Text", kRootSetLabel, label));
  Qz_DoMethod(row, kGroupAddTail, field);
  return row;
}

Qz_Object* Qz__Frame(uint32_t title) {
  return Qz_CreateObject("Group", kGroupSetMode, 1, kGroupSetFrame, 2, kRootSetLabel, Qz_CatalogString(title),
                         kRootSetWeight, 0);
}

bool Qz__BuildGadgets(Qz_Object* object, Qz_PageSetupObject* p) {
  p->group = Qz_CreateObject("Group", kGroupSetMode, 1, kGroupSetNominalWidth, 170);
  p->paperList = Qz_CreateObject("PopUpList", kRootSetWeight, 0);
  for (int f = 0; f < kFieldCount; ++f)
    p->fields[f] = f == kResolution ? Qz__Measurement(kDotsPerInchUnit, kDotsPerInchUnit)
                                    : Qz__Measurement(p->layout.unit, kMillimetreUnit);
  p->fitBox = Qz_CreateObject("CheckBox", kRootSetLabel, Qz_CatalogString(kCatFit), kRootSetWeight, 0);
  Qz_Object* paper = Qz__Frame(kCatPaper);
  Qz_Object* size = Qz__Frame(kCatSize);
  Qz_Object* margins = Qz__Frame(kCatMargins);
  bool made = p->group && p->paperList && p->fitBox && paper && size && margins;
  for (Qz_Object* f : p->fields) made = made && f;
  if (!made) {
    for (Qz_Object* o : {p->paperList, p->fitBox, paper, size, margins}) Qz_DisposeObject(o);
    for (Qz_Object*& f : p->fields) Qz_DisposeObject(f);
    return false;
  }
  for (int i = 0; i < kPaperCount; ++i)
    Qz_DoMethod(p->paperList, kGroupAddTail, Qz_CreateObject("Text", kRootSetLabel, paperRow(i).label));
  Qz_DoMethod(paper, kGroupAddTail, p->paperList);
  Qz_DoMethod(paper, kGroupAddTail, Qz__Row("Width: ", p->fields[kPaperWidth]));
  Qz_DoMethod(paper, kGroupAddTail, Qz__Row("Height: ", p->fields[kPaperHeight]));
  Qz_DoMethod(size, kGroupAddTail, Qz__Row("Width: ", p->fields[kPrintWidth]));
  Qz_DoMethod(size, kGroupAddTail, Qz__Row("Height: ", p->fields[kPrintHeight]));
  Qz_DoMethod(size, kGroupAddTail, Qz__Row("Resolution: ", p->fields[kResolution]));
  const char* const marginLabels[4] = {"Left: ", "Right: ", "Top: ", "Bottom: "};
  const Field marginFields[4] = {kLeftField, kRightField, kTopField, kBottomField};
  for (int i = 0; i < 4; ++i) Qz_DoMethod(margins, kGroupAddTail, Qz__Row(marginLabels[i], p->fields[marginFields[i]]));
  for (Qz_Object* member : {paper, size, margins, p->fitBox}) Qz_DoMethod(p->group, kGroupAddTail, member);

  auto relay = [object](Qz_Object* from, uint32_t event, uint32_t to) {
    Qz_AddNotify(from, event, kNotifyAnyValue, object, 2, to, kNotifySameWord);
  };
  relay(p->paperList, kPopUpListSetIndex, kPageSetupPaper);
  relay(p->fields[kPaperWidth], kMeasurementSetValue, kPageSetupPaperWidth);
  relay(p->fields[kPaperHeight], kMeasurementSetValue, kPageSetupPaperHeight);
  relay(p->fields[kPrintWidth], kMeasurementSetValue, kPageSetupSetPrintWidth);
  relay(p->fields[kPrintHeight], kMeasurementSetValue, kPageSetupSetPrintHeight);
  relay(p->fields[kResolution], kMeasurementSetValue, kPageSetupResolution);
  // A typed margin goes to its setter, which also fits.
  relay(p->fields[kLeftField], kMeasurementSetValue, kPageSetupSetLeft);
  relay(p->fields[kTopField], kMeasurementSetValue, kPageSetupSetTop);
  relay(p->fields[kRightField], kMeasurementSetValue, kPageSetupSetRight);
  relay(p->fields[kBottomField], kMeasurementSetValue, kPageSetupSetBottom);
  relay(p->fitBox, kCheckBoxSetState, kPageSetupSetFitFlag);
  return true;
}

bool Qz__PageSetupSetUp(Qz_Object* object) {
  Qz_PageSetupObject* p = Qz__Self(object);
  if (!Qz__BuildGadgets(object, p)) return false;
  Qz__Show(p);
  return true;
}

void Qz__PageSetupTearDown(Qz_Object* object) {
  Qz_PageSetupObject* p = Qz__Self(object);
  Qz_DisposeObject(p->group);
  p->group = nullptr;
}

const qz::kit::ClassDecl kPageSetup = {
    .name = "PageSetup", .superName = "RootQZIO", .classId = kPageSetupClassId,
    .instance = qz::kit::instanceOf<Qz_PageSetupObject>(), .handler = Qz__PageSetupDispatch,
    .setUp = Qz__PageSetupSetUp, .tearDown = Qz__PageSetupTearDown, .notice = "Print page set-up"};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitPageSetupClass(Qz_GlobalData*) { return qz::kit::addClass(kPageSetup); }
QZ_EXPORT void Qz_CleanupPageSetupClass(void) { qz::kit::removeClass(kPageSetup); }
QZ_EXTERN_C_END
