// The add-space requester: margins on each side and a fill, applied as one
// undoable crop that enlarges the image.
#include "actions/qz_actions.h"
#include "requesters/qz_requesters.h"
#include "requesters/requester_parts.h"
#include "requesters/small_requests.h"

namespace {

using namespace qz::requesters;

constexpr uint32_t kTitleText = 335;
constexpr uint32_t kLeftText = 436, kTopText = 437, kRightText = 438, kBottomText = 439;
constexpr int32_t kRequesterWidth = 100;

struct Margins {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
  uint32_t fill = 0;
};

bool Qz__AskMargins(Margins& m) {
  Qz_Object* column = Qz_CreateObject("Group", kGroupSetMode, 1);
  if (!column) return false;
  Qz_Object* left = labelledRow(column, text(kLeftText), numberField(0));
  Qz_Object* top = labelledRow(column, text(kTopText), numberField(0));
  Qz_Object* right = labelledRow(column, text(kRightText), numberField(0));
  Qz_Object* bottom = labelledRow(column, text(kBottomText), numberField(0));
  Qz_Object* fill = fillChoice(1);
  if (fill) Qz_DoMethod(column, kGroupAddTail, fill);
  const bool ok = showOverScreen(text(kTitleText), column, kRequesterWidth) == 1;
  if (ok) {
    m = {numberValue(left), numberValue(top), numberValue(right), numberValue(bottom),
         fillColour(fill ? uint32_t(Qz_DoMethod(fill, kMutualExcludeGetMarked)) : 0)};
  }
  Qz_DisposeObject(column);
  return ok;
}

}  // namespace

QZ_EXTERN_C_BEGIN

QZ_EXPORT uint32_t Qz_DoAddSpaceReq(Qz_Image* image) {
  if (!image) return 0;
  Margins m;
  if (!Qz__AskMargins(m) || (m.left == 0 && m.top == 0 && m.right == 0 && m.bottom == 0)) return 0;
  // Committed from the start (qualifier 1): a crop without it is one still being adjusted, which changes nothing.
  Qz_Object* crop = Qz_CreateObject("CropAction", kCropActionSetFill, m.fill, kActionSetQualifier, 1u);
  if (!crop) return 0;
  for (const Corner& c : addSpaceCorners(image->width, image->height, m.left, m.top, m.right, m.bottom))
    Qz_DoMethod(crop, kActionStartPoints, kActionSetX, uint32_t(c.x), kActionSetY, uint32_t(c.y), TAG_DONE);
  if (!Qz_AddImageAction(image, crop, 0)) {
    Qz_DisposeObject(crop);
    return 0;
  }
  return uint32_t(Qz_DoMethod(crop, kActionApply));
}

QZ_EXTERN_C_END
