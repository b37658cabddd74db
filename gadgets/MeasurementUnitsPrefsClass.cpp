// MeasurementUnitsPrefs: the pop-up list with which the user picks the unit
// of every measurement field at once, through the global units object.
#include "gadgets/qz_group.h"
#include "gadgets/qz_popups.h"
#include "gadgets/qz_text_entry.h"
#include "objects/catalogue.h"
#include "objects/qz_class_kit.h"
#include "objects/qz_notify.h"
#include "objects/qz_root.h"

namespace {

struct Qz_UnitsPrefsObject {
  Qz_Object header;
  Qz_Object* list = nullptr;
  QzWord unitsNotify = 0;
};

Qz_UnitsPrefsObject* Qz__Self(Qz_Object* o) { return qz::kit::self<Qz_UnitsPrefsObject>(o); }

QzWord Qz__UnitsPrefsDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  Qz_UnitsPrefsObject* p = Qz__Self(object);
  switch (id) {
    case kMeasurementSetUnit:  // the list's index: every field takes the unit
      Qz_DoNotify(Qz_MeasurementUnitsObject(), kMeasurementUnitChosen, uint32_t(args[0]) + 1);
      return 0;
    case kMeasurementUnitChosen:
      if (uint32_t(args[0]) >= 1 && uint32_t(args[0]) <= 4)
        Qz_DoMethod(p->list, kPopUpListSetIndex, uint32_t(args[0]) - 1);
      return 0;
    default: return qz::kit::inherited(object, id, args);
  }
}

bool Qz__SetUp(Qz_Object* object) {
  Qz_UnitsPrefsObject* p = Qz__Self(object);
  p->list = Qz_CreateObject("PopUpList");
  if (!p->list) return false;
  for (uint32_t n = 386; n <= 389; ++n)
    Qz_DoMethod(p->list, kGroupAddTail, Qz_CreateObject("Text", kRootSetLabel, Qz_CatalogString(n)));
  Qz_DoMethod(object->super, kGroupAddTail, p->list);
  Qz_AddNotify(p->list, kPopUpListSetIndex, kNotifyAnyValue, object, 2, kMeasurementSetUnit, kNotifySameWord);
  if (Qz_Object* units = Qz_MeasurementUnitsObject())
    p->unitsNotify = Qz_AddNotify(units, kMeasurementUnitChosen, kNotifyAnyValue, object, 2, kMeasurementUnitChosen,
                                  kNotifySameWord);
  return true;
}

void Qz__TearDown(Qz_Object* object) {
  Qz_UnitsPrefsObject* p = Qz__Self(object);
  if (p->unitsNotify) Qz_RemoveNotify(Qz_MeasurementUnitsObject(), p->unitsNotify);
  p->unitsNotify = 0;
}

const qz::kit::ClassDecl kUnitsPrefs = {
    .name = "MeasurementUnitsPrefs", .superName = "Group", .classId = kMeasurementUnitsPrefsClassId,
    .instance = qz::kit::instanceOf<Qz_UnitsPrefsObject>(), .handler = Qz__UnitsPrefsDispatch,
    .superTags = nullptr, .setUp = Qz__SetUp, .tearDown = Qz__TearDown,
    .notice = "Unit of every measurement field"};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitMeasurementUnitsPrefsClass(Qz_GlobalData*) { return qz::kit::addClass(kUnitsPrefs); }
QZ_EXPORT void Qz_CleanupMeasurementUnitsPrefsClass(void) { qz::kit::removeClass(kUnitsPrefs); }
QZ_EXTERN_C_END
