// The rotate requester: an angle, all layers or only the image, smooth
// edges; the rotation is applied as one undoable TransformAction.
#include "actions/qz_actions.h"
#include "gadgets/qz_choice.h"
#include "gadgets/qz_sliders.h"
#include "image/qz_image.h"
#include "objects/qz_notify.h"
#include "requesters/qz_requesters.h"
#include "requesters/requester_parts.h"
#include "requesters/small_requests.h"

namespace {

using namespace qz::requesters;

constexpr uint32_t kTitleText = 240;
constexpr uint32_t kAllLayersText = 244, kSmoothText = 245;
constexpr int32_t kRequesterWidth = 120;
constexpr uint32_t kAllLayersFlag = 4, kHideAllLayersFlag = 8;

bool Qz__Checked(Qz_Object* box) { return box && Qz_DoMethod(box, kCheckBoxGetState) != 0; }

}  // namespace

QZ_EXTERN_C_BEGIN

QZ_EXPORT uint32_t Qz_ShowTransformRequestor(int32_t* width, int32_t* height, int32_t*, int32_t*, int32_t* angle,
                                             int32_t*, int32_t*, uint32_t* flags) {
  if (!width || !height || !angle || !flags) return 0;
  Qz_Object* column = Qz_CreateObject("Group", kGroupSetMode, 1);
  if (!column) return 0;
  Qz_Object* dial = Qz_AddObject(column, "Angle", kAngleSet, 0);
  // Where the caller turns the whole document anyway, the layers choice is not offered.
  Qz_Object* allLayers = nullptr;
  if (!(*flags & kHideAllLayersFlag))
    allLayers = Qz_AddObject(column, "CheckBox", kRootSetLabel, text(kAllLayersText), kCheckBoxSetState,
                             (*flags & kAllLayersFlag) ? 1 : 0);
  Qz_Object* smooth = Qz_AddObject(column, "CheckBox", kRootSetLabel, text(kSmoothText));
  const bool ok = showOverScreen(text(kTitleText), column, kRequesterWidth) == 1 && dial;
  if (ok) {
    *width = *height = 0;
    *angle = -int32_t(Qz_DoMethod(dial, kAngleGet));
    const bool layers = allLayers ? Qz__Checked(allLayers) : (*flags & kAllLayersFlag) != 0;
    *flags = rotationFlags(*flags, layers, Qz__Checked(smooth));
  }
  Qz_DisposeObject(column);
  return ok ? 1 : 0;
}

QZ_EXPORT uint32_t Qz__TransformImage(Qz_Image* image, int32_t, int32_t, int32_t, int32_t, int32_t angle, int32_t,
                                      int32_t, uint32_t flags) {
  if (!image) return 0;
  Qz_Object* action = Qz_CreateObject("TransformAction", kActionSetAngle, uint32_t(angle),
                                      kTransformActionSetFlags, flags);
  if (!action) return 0;
  if (!Qz_AddImageAction(image, action, 0)) {
    Qz_DisposeObject(action);
    return 0;
  }
  const uint32_t applied = uint32_t(Qz_DoMethod(action, kActionApply));
  // Thumbnails of the image follow the step, as they follow a stroke.
  if (Qz_Image* app = Qz_GetImageBase()->applicationImage; applied && app)
    Qz_DoNotify(&app->object, kQzAppPixelsSettled, image);
  return applied;
}

QZ_EXPORT uint32_t Qz_DoTransformRequestor(Qz_Image* image, int32_t* width, int32_t* height, int32_t* a3,
                                           int32_t* a4, int32_t* angle, int32_t* a6, int32_t* a7, uint32_t* flags) {
  if (!Qz_ShowTransformRequestor(width, height, a3, a4, angle, a6, a7, flags)) return 0;
  return Qz__TransformImage(image, *width, *height, a3 ? *a3 : 0, a4 ? *a4 : 0, *angle, a6 ? *a6 : 0,
                            a7 ? *a7 : 0, *flags);
}

QZ_EXTERN_C_END
