// The snap-grid requester: the grid's cell size and offset, shown in the
// user's unit and stored in pixels.
#include <algorithm>
#include <cmath>

#include "gadgets/measurement_units.h"
#include "requesters/qz_requesters.h"
#include "requesters/requester_parts.h"
#include "requesters/small_requests.h"

namespace {

using namespace qz::requesters;

constexpr uint32_t kTitleText = 406;
constexpr uint32_t kGridWidthText = 440, kGridHeightText = 441, kOffsetXText = 442, kOffsetYText = 443;
constexpr float kGridResolution = 72.0f;

Qz_Object* Qz__Field(Qz_Object* column, uint32_t label, int32_t pixels) {
  return labelledRow(column, text(label), measurementField(qz::measure::kPixels, float(pixels), kGridResolution));
}

int32_t Qz__Offset(Qz_Object* field) {
  const float v = measurementValue(field);
  return std::isfinite(v) ? int32_t(std::clamp(v, -2147483520.0f, 2147483520.0f)) : 0;
}

}  // namespace

QZ_EXTERN_C_BEGIN

QZ_EXPORT uint32_t Qz_ShowSnapToGridReq(void) {
  Qz_ImageBase* base = Qz_GetImageBase();
  Qz_Object* column = Qz_CreateObject("Group", kGroupSetMode, 1);
  if (!column) return 0;
  Qz_Object* units = unitChooser(qz::measure::kPixels);
  Qz_Object* width = Qz__Field(column, kGridWidthText, base->gridWidth.load());
  Qz_Object* height = Qz__Field(column, kGridHeightText, base->gridHeight.load());
  Qz_Object* x = Qz__Field(column, kOffsetXText, base->gridX.load());
  Qz_Object* y = Qz__Field(column, kOffsetYText, base->gridY.load());
  if (units) Qz_DoMethod(column, kGroupAddTail, units);
  const bool ok = showOverScreen(text(kTitleText), column, 0) == 1 && width && height && x && y;
  if (ok) {
    base->gridWidth.store(gridSide(measurementValue(width)));
    base->gridHeight.store(gridSide(measurementValue(height)));
    base->gridX.store(Qz__Offset(x));
    base->gridY.store(Qz__Offset(y));
  }
  Qz_DisposeObject(column);
  return ok ? 1 : 0;
}

QZ_EXTERN_C_END
