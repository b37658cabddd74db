// MeasurementEdit: a number field showing a length or a resolution in the
// unit the user chose (followed by its suffix) while keeping the value in an
// internal unit. Every field listens to one global units object, so
// choosing a unit anywhere changes it in all fields; a field showing dots
// per inch keeps its unit. Numbers are printed and read in the C locale.
#include <atomic>
#include <string>

#include "gadgets/measurement_units.h"
#include "gadgets/qz_group.h"
#include "gadgets/qz_text_entry.h"
#include "objects/qz_class_kit.h"
#include "objects/qz_notify.h"
#include "objects/qz_root.h"

namespace {

// Made with the first field that needs it, gone with the class.
std::atomic<Qz_Object*> gUnitsObject{nullptr};

Qz_Object* Qz__UnitsObject() {
  if (Qz_Object* units = gUnitsObject.load()) return units;
  Qz_Object* made = Qz_CreateObject("Root");
  Qz_Object* expected = nullptr;
  if (!gUnitsObject.compare_exchange_strong(expected, made)) {
    Qz_DisposeObject(made);
    return expected;
  }
  return made;
}

struct Qz_MeasurementEditObject {
  Qz_Object header;
  Qz_Object* field = nullptr;
  int32_t unit = 0;          // shown
  int32_t internalUnit = 0;  // kept
  uint32_t word = 0;
  float resolution = float(qz::measure::kDefaultResolution);
  QzWord unitsNotify = 0;
  bool settingText = false;  // our own text change is not an edit
};

Qz_MeasurementEditObject* Qz__Self(Qz_Object* o) { return qz::kit::self<Qz_MeasurementEditObject>(o); }

float Qz__Float(QzWord w) { return Qz_ULONGToFloat(w); }

void Qz__Show(Qz_MeasurementEditObject* m, const std::string& number) {
  const std::string text = number + qz::measure::unitSuffix(m->unit);
  m->settingText = true;
  Qz_DoMethod(m->field, kStringEditSetText, text.c_str());
  m->settingText = false;
}

// The field's number, converted from the shown unit into the kept one.
double Qz__Value(Qz_MeasurementEditObject* m) {
  double shown = 0;
  qz::measure::parseNumber(reinterpret_cast<const char*>(Qz_DoMethod(m->field, kStringEditGetText)), &shown);
  return qz::measure::convert(shown, m->unit, m->internalUnit, m->resolution);
}

QzWord Qz__SetUnit(Qz_MeasurementEditObject* m, int32_t unit) {
  if (m->unit == qz::measure::kDotsPerInch) return uint32_t(m->unit);
  const double value = Qz__Value(m);
  m->unit = unit;
  Qz__Show(m, qz::measure::formatFixed(qz::measure::convert(value, m->internalUnit, unit, m->resolution), 6));
  return uint32_t(m->unit);
}

QzWord Qz__SetValue(Qz_MeasurementEditObject* m, QzWord pattern) {
  const double value = Qz__Float(pattern);
  const bool whole = m->unit == qz::measure::kMillimetres || m->unit == qz::measure::kPixels;
  Qz__Show(m, qz::measure::formatFixed(qz::measure::convert(value, m->internalUnit, m->unit, m->resolution),
                                       whole ? 0 : 3));
  Qz_DoNotify(&m->header, kMeasurementSetValue, uint32_t(pattern));
  return 0;
}

QzWord Qz__Edited(Qz_MeasurementEditObject* m) {
  if (m->settingText) return 0;
  Qz_DoNotify(&m->header, kMeasurementSetValue, Qz_FloatToULONG(float(Qz__Value(m))));
  return 0;
}

QzWord Qz__SetResolution(Qz_MeasurementEditObject* m, QzWord pattern) {
  const float r = Qz__Float(pattern);
  // No resolution (0, negative, not a number) is the image default.
  m->resolution = (r > 0 && r == r) ? r : float(qz::measure::kDefaultResolution);
  return 0;
}

QzWord Qz__MeasurementEditDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  Qz_MeasurementEditObject* m = Qz__Self(object);
  switch (id) {
    case kMeasurementSetUnit: return Qz__SetUnit(m, int32_t(args[0]));
    case kMeasurementGetUnit: return uint32_t(m->unit);
    case kMeasurementSetValue: return Qz__SetValue(m, args[0]);
    case kMeasurementGetValue: return Qz_FloatToULONG(float(Qz__Value(m)));
    case kMeasurementSetResolution: return Qz__SetResolution(m, args[0]);
    case kMeasurementGetResolution: return Qz_FloatToULONG(m->resolution);
    case kMeasurementUnitChosen: return Qz_DoNotify(Qz__UnitsObject(), kMeasurementUnitChosen, uint32_t(args[0]));
    case kMeasurementEdited: return Qz__Edited(m);
    default: return qz::kit::inherited(object, id, args);
  }
}

const qz::kit::Attribute kMeasurementAttributes[] = {
    {.setter = kMeasurementSetInternalUnit, .getter = kMeasurementGetInternalUnit,
     .field = qz::kit::field(&Qz_MeasurementEditObject::internalUnit)},
    {.setter = kMeasurementSetWord, .getter = kMeasurementGetWord, .field = qz::kit::field(&Qz_MeasurementEditObject::word)},
};

Qz_Object* Qz__MakeRow(Qz_Object*) { return Qz_CreateObject("Group", kGroupSetMode, 2, kGroupSetFrame, 11); }

bool Qz__SetUp(Qz_Object* object) {
  Qz_MeasurementEditObject* m = Qz__Self(object);
  m->field = Qz_CreateObject("StringEdit");
  if (!m->field) return false;
  Qz_DoMethod(object->super, kGroupAddTail, m->field);
  Qz_AddNotify(m->field, kStringEditSetText, kNotifyAnyValue, object, 2, kMeasurementEdited, kNotifySameWord);
  if (Qz_Object* units = Qz__UnitsObject())
    m->unitsNotify = Qz_AddNotify(units, kMeasurementUnitChosen, kNotifyAnyValue, object, 2, kMeasurementSetUnit,
                                  kNotifySameWord);
  return true;
}

// A field that goes stops listening, so the next unit change cannot reach it.
void Qz__TearDown(Qz_Object* object) {
  Qz_MeasurementEditObject* m = Qz__Self(object);
  if (m->unitsNotify) Qz_RemoveNotify(gUnitsObject.load(), m->unitsNotify);
  m->unitsNotify = 0;
}

const qz::kit::ClassDecl kMeasurementEdit = {
    .name = "MeasurementEdit", .superName = "Group", .classId = kMeasurementEditClassId,
    .instance = qz::kit::instanceOf<Qz_MeasurementEditObject>(), .handler = Qz__MeasurementEditDispatch,
    .attributes = kMeasurementAttributes, .makeSuper = Qz__MakeRow, .setUp = Qz__SetUp, .tearDown = Qz__TearDown,
    .notice = "Length or resolution in the chosen unit"};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitMeasurementEditClass(Qz_GlobalData*) { return qz::kit::addClass(kMeasurementEdit); }
QZ_EXPORT void Qz_CleanupMeasurementEditClass(void) {
  qz::kit::removeClass(kMeasurementEdit);
  Qz_DisposeObject(gUnitsObject.exchange(nullptr));
}
QZ_EXPORT Qz_Object* Qz_MeasurementUnitsObject(void) { return Qz__UnitsObject(); }
QZ_EXTERN_C_END
