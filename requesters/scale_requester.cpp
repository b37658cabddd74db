// The scale requester: the new width and height, optionally in proportion,
// smooth resampling and whether the layers scale too; applied through the
// undoable scaling.
#include <algorithm>

#include "gadgets/qz_choice.h"
#include "gadgets/qz_text_entry.h"
#include "image/qz_scaling.h"
#include "objects/qz_notify.h"
#include "requesters/qz_requesters.h"
#include "requesters/requester_parts.h"

namespace {

using namespace qz::requesters;

constexpr uint32_t kTitleText = 220;
constexpr uint32_t kWidthText = 426, kHeightText = 427;
constexpr uint32_t kProportionsText = 444, kSmoothText = 445, kLayersText = 446;
constexpr uint32_t kProportionsFlag = 2;  // kept with the scaling flags, which leave it unused

struct ScaleFields {
  Qz_Object* width = nullptr;
  Qz_Object* height = nullptr;
  Qz_Object* proportions = nullptr;
  int32_t startWidth = 1, startHeight = 1;
  bool updating = false;  // the other field is being set from this one
};

int32_t Qz__Proportional(int32_t other, int32_t value, int32_t start) {
  const int64_t v = start > 0 ? int64_t(other) * std::max(value, 1) / start : value;
  return int32_t(std::clamp<int64_t>(v, 1, INT32_MAX));
}

void Qz__FollowProportions(QzWord user, Qz_Object* source, uint32_t, const QzWord* values) {
  auto* f = reinterpret_cast<ScaleFields*>(user);
  if (f->updating || !f->proportions || Qz_DoMethod(f->proportions, kCheckBoxGetState) == 0) return;
  f->updating = true;
  const int32_t value = int32_t(values[0]);
  if (source == f->width)
    Qz_DoMethod(f->height, kStringEditSetNumber, uint32_t(Qz__Proportional(f->startHeight, value, f->startWidth)));
  else
    Qz_DoMethod(f->width, kStringEditSetNumber, uint32_t(Qz__Proportional(f->startWidth, value, f->startHeight)));
  f->updating = false;
}

Qz_Object* Qz__FlagBox(Qz_Object* column, uint32_t label, uint32_t flags, uint32_t bit) {
  return Qz_AddObject(column, "CheckBox", kRootSetLabel, text(label), kCheckBoxSetState, (flags & bit) ? 1 : 0);
}

uint32_t Qz__FlagFrom(Qz_Object* box, uint32_t flags, uint32_t bit) {
  if (!box) return flags;
  return Qz_DoMethod(box, kCheckBoxGetState) ? flags | bit : flags & ~bit;
}

}  // namespace

QZ_EXTERN_C_BEGIN

QZ_EXPORT uint32_t Qz_ShowScaleRequestor(int32_t* width, int32_t* height, uint32_t* flags) {
  if (!width || !height || !flags) return 0;
  Qz_Object* column = Qz_CreateObject("Group", kGroupSetMode, 1);
  if (!column) return 0;
  ScaleFields f;
  f.startWidth = std::max(*width, 1);
  f.startHeight = std::max(*height, 1);
  f.width = labelledRow(column, text(kWidthText), numberField(*width));
  f.height = labelledRow(column, text(kHeightText), numberField(*height));
  f.proportions = Qz__FlagBox(column, kProportionsText, *flags, kProportionsFlag);
  Qz_Object* smooth = Qz__FlagBox(column, kSmoothText, *flags, kQzScaleSmooth);
  Qz_Object* layers = Qz__FlagBox(column, kLayersText, *flags, kQzScaleLayers);
  for (Qz_Object* field : {f.width, f.height})
    if (field)
      Qz_AddCallBackNotify(field, kStringEditSetNumber, kNotifyAnyValue, Qz__FollowProportions,
                           reinterpret_cast<QzWord>(&f));
  const bool ok = showOverScreen(text(kTitleText), column, 0) == 1 && f.width && f.height;
  if (ok) {
    *width = std::max(numberValue(f.width), 1);
    *height = std::max(numberValue(f.height), 1);
    uint32_t chosen = Qz__FlagFrom(f.proportions, *flags, kProportionsFlag);
    chosen = Qz__FlagFrom(smooth, chosen, kQzScaleSmooth);
    *flags = Qz__FlagFrom(layers, chosen, kQzScaleLayers);
  }
  Qz_DisposeObject(column);
  return ok ? 1 : 0;
}

QZ_EXPORT uint32_t Qz_DoScaleRequestor(Qz_Image* image, int32_t* width, int32_t* height, uint32_t* flags) {
  if (!image || !Qz_ShowScaleRequestor(width, height, flags)) return 0;
  return uint32_t(Qz__ScaleImage(image, *width, *height, (*flags & ~kProportionsFlag) | kQzScaleUndoable));
}

QZ_EXTERN_C_END
