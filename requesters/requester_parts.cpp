#include "requesters/requester_parts.h"

#include "gadgets/qz_choice.h"
#include "gadgets/qz_group.h"
#include "gadgets/qz_text_entry.h"
#include "image/qz_image.h"
#include "objects/catalogue.h"
#include "objects/requester.h"

namespace qz::requesters {
namespace {

constexpr uint32_t kWhiteText = 423;
constexpr uint32_t kCurrentColourText = 424;
constexpr uint32_t kNoFillText = 78;
constexpr uint32_t kOneShare = 100;

}  // namespace

const char* text(uint32_t n) {
  const char* s = Qz_CatalogString(n);
  return s ? s : "";
}

Qz_Object* labelledRow(Qz_Object* column, const char* label, Qz_Object* field) {
  Qz_Object* row = Qz_AddObject(column, "Group", kGroupSetMode, 2);
  if (!row) {
    Qz_DisposeObject(field);
    return nullptr;
  }
  Qz_AddObject(row, "Text", kRootSetLabel, label, kRootSetWeight, 0);
  if (field) {
    // One even share: a group's default weight asks twice the row's spare
    // room and pushes the field past the window's edge.
    Qz_DoMethod(field, kRootSetWeight, kOneShare);
    Qz_DoMethod(row, kGroupAddTail, field);
  }
  return field;
}

Qz_Object* measurementField(int32_t internalUnit, float value, float resolution) {
  return Qz_CreateObject("MeasurementEdit", kMeasurementSetInternalUnit, internalUnit, kMeasurementSetUnit,
                         internalUnit, kMeasurementSetResolution, Qz_FloatToULONG(resolution),
                         kMeasurementSetValue, Qz_FloatToULONG(value));
}

float measurementValue(Qz_Object* field) {
  return field ? Qz_ULONGToFloat(Qz_DoMethod(field, kMeasurementGetValue)) : 0.0f;
}

Qz_Object* unitChooser(int32_t shown) {
  Qz_Object* chooser = Qz_CreateObject("MeasurementUnitsPrefs");
  if (chooser) Qz_DoMethod(chooser, kMeasurementUnitChosen, uint32_t(shown));
  return chooser;
}

Qz_Object* numberField(int32_t value) {
  return Qz_CreateObject("StringEdit", kStringEditSetNumeric, 1, kStringEditSetNumber, uint32_t(value));
}

int32_t numberValue(Qz_Object* field) {
  return field ? int32_t(Qz_DoMethod(field, kStringEditGetNumber)) : 0;
}

Qz_Object* radioColumn(std::initializer_list<const char*> labels, uint32_t marked) {
  Qz_Object* column = Qz_CreateObject("MutualExclude");
  if (!column) return nullptr;
  for (const char* label : labels) Qz_AddObject(column, "Text", kRootSetLabel, label);
  Qz_DoMethod(column, kMutualExcludeMark, marked);
  return column;
}

Qz_Object* fillChoice(uint32_t marked) {
  return radioColumn({text(kNoFillText), text(kWhiteText), text(kCurrentColourText)}, marked);
}

uint32_t fillColour(uint32_t choice) {
  if (choice == 1) return 0xFFFFFF;
  if (choice != 2) return 0;
  const Qz_ImageBase* base = Qz_GetImageBase();
  return uint32_t(base->colour[0] & 0xFF) | uint32_t(base->colour[1] & 0xFF) << 8 |
         uint32_t(base->colour[2] & 0xFF) << 16;
}

// The requester's window stays outside every container: held by the screen
// object, the pop-ups inside it would not find it as their top window.
QzWord showOverScreen(const char* title, Qz_Object* content, int32_t width) {
  if (width <= 0) return Qz_ShowRequester(title, content, 0, nullptr, 0);
  return Qz_ShowRequester(title, content, 0, nullptr, 0, kRequesterTagDefaultWidth, width);
}

}  // namespace qz::requesters
