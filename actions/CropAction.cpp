// CropAction: cuts the document to the rectangle of its four corners (image
// coordinates, the third the far corner, exclusive) or enlarges it with a
// fill colour. Pending (qualifier 0) it changes nothing and only shows its
// handles; committed it takes an undo copy of the document and its undo
// puts that back. Answers the fill colour 0x1399001e/0x13990028.
#include "actions/action_internal.h"
#include "actions/crop_image.h"
#include "image/image_internal.h"

namespace {

using namespace qz::actions;

constexpr uint32_t kCropName = 124, kEnlargeName = 336;  // catalogue: "Crop", "Add Space"

struct CropData {
  Qz_Object header;
  uint32_t fill = 0;  // 0x00BBGGRR
  uint32_t nameNumber = kCropName;
};

const qz::kit::Attribute kAttributes[] = {
    {.setter = kCropActionSetFill, .getter = kCropActionGetFill, .maximum = 0xFFFFFF,
     .field = qz::kit::field(&CropData::fill), .setterName = "Qz_SetCropActionFill",
     .getterName = "Qz_GetCropActionFill", .format = "%lx", .answersZero = true},
};

CropData* asCrop(Qz_Object* object) { return reinterpret_cast<CropData*>(object); }

struct Area {
  int32_t x, y, width, height;
};

// From the first and third points; a missing point gives an empty area.
Area Qz__Area(Qz_Object* self) {
  auto* list = reinterpret_cast<Qz_Object*>(Qz_DoMethod(self, kActionGetPoints));
  Qz_Object* first = list ? listFirst(list) : nullptr;
  Qz_Object* second = first ? listOlder(list, first) : nullptr;
  Qz_Object* third = second ? listOlder(list, second) : nullptr;
  if (!third) return {};
  const int32_t x0 = int32_t(Qz_DoMethod(first, kActionGetX)), y0 = int32_t(Qz_DoMethod(first, kActionGetY));
  const int64_t width = int64_t(int32_t(Qz_DoMethod(third, kActionGetX))) - x0;
  const int64_t height = int64_t(int32_t(Qz_DoMethod(third, kActionGetY))) - y0;
  if (width < 1 || height < 1 || width > INT32_MAX || height > INT32_MAX) return {x0, y0, 0, 0};
  return {x0, y0, int32_t(width), int32_t(height)};
}

QzWord Qz__Apply(Qz_Object* self, CropData* c) {
  Qz_Object* outer = Qz_GetTopMostObject(self);
  if (Qz_DoMethod(outer, kActionGetQualifier) == 0) return 1;
  auto* image = reinterpret_cast<Qz_Image*>(Qz_DoMethod(outer, kActionGetImage));
  const Area a = Qz__Area(outer);
  if (!image || a.width < 1 || a.height < 1) return 0;  // an empty area would lose the picture
  if (a.width == image->width && a.height == image->height) return 1;
  const bool enlarges = a.x < 1 && a.y < 1 && a.width >= image->width && a.height >= image->height;
  c->nameNumber = enlarges ? kEnlargeName : kCropName;
  if (!Qz_DoMethod(outer, kActionTakeUndoCopy)) return 0;
  if (!cropOrEnlarge(image, a.x, a.y, a.width, a.height, c->fill)) {
    // Part-way changed: back to the picture as it was before the copy goes.
    Qz_DoMethod(outer, kActionRestoreUndoCopy);
    Qz_DoMethod(outer, kActionDisposeUndoCopy);
    return 0;
  }
  qz::fullProcessImage(image);
  Qz_ModifiedAllImageData(image);
  Qz_FullRedrawImage(image);
  return 1;
}

// A pending crop changed nothing, so taking it back restores nothing.
QzWord Qz__Undo(Qz_Object* self) {
  Qz_Object* outer = Qz_GetTopMostObject(self);
  if (Qz_DoMethod(outer, kActionGetQualifier) == 0) return 1;
  return Qz_DoMethod(outer, kActionRestoreUndoCopy);
}

QzWord Qz__Dispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  CropData* c = asCrop(object);
  switch (id) {
    case kActionApply: case kActionApplyQuiet: case kActionRedo: return Qz__Apply(object, c);
    case kActionUndo: return Qz__Undo(object);
    case kActionGetName: return qz::toWord(Qz__ActionText(c->nameNumber));
    default: return qz::kit::inherited(object, id, args);
  }
}

const ActionTraits kTraits = {"Data/Images/ToolBar/Crop", kActionBoxHandles | kActionRestorePoint};

const qz::kit::ClassDecl kCropAction = actionClass(
    {.name = "CropAction", .classId = kCropActionClassId, .instance = qz::kit::instanceOf<CropData>(),
     .handler = Qz__Dispatch, .attributes = kAttributes}, kTraits);

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitCropActionClass(Qz_GlobalData*) { return qz::kit::addClass(kCropAction); }
QZ_EXPORT void Qz_CleanupCropActionClass(void) { qz::kit::removeClass(kCropAction); }
QZ_EXTERN_C_END
