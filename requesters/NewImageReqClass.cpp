// NewImageReq: the new-image requester. It asks for the size (typed or from
// a preset), resolution, depth, first layer and fill, shows the memory the
// document will take, and Qz_DoNewImageReq makes the document from it.
#include <cstdio>
#include <string>
#include <vector>

#include "gadgets/popup_placement.h"
#include "gadgets/qz_choice.h"
#include "gadgets/qz_group.h"
#include "gadgets/qz_popups.h"
#include "gadgets/qz_text_entry.h"
#include "gadgets/qz_widgets.h"
#include "gadgets/measurement_units.h"
#include "image/image_shell.h"
#include "image/unsaved_changes.h"
#include "objects/message_box.h"
#include "objects/object_services.h"
#include "objects/object_text.h"
#include "objects/qz_class_kit.h"
#include "objects/qz_linked_list.h"
#include "objects/qz_notify.h"
#include "platform/exec.h"
#include "requesters/new_image_presets.h"
#include "requesters/qz_requesters.h"
#include "requesters/requester_parts.h"

namespace {

using qz::requesters::text;

constexpr const char* kPresetFile = "Data/NewImagePresets.QzStr";
constexpr uint32_t kTitleText = 174;
constexpr uint32_t kMemoryText = 258;
constexpr uint32_t kImageText = 0, kLayerText = 1, kPaintLayerText = 2, kImageLayerText = 3;
constexpr uint32_t kPresetText = 425, kWidthText = 426, kHeightText = 427, kResolutionText = 428;
constexpr uint32_t kGreyText = 429, kColourText = 430, kBadSizeText = 431, kFirstLayerText = 432;
constexpr int32_t kRequesterWidth = 150;
constexpr uint32_t kFillWhite = 1;

struct NewImageReqObject {
  Qz_Object header{};
  Task* task = nullptr;
  Qz_Object* presets = nullptr;  // the pop-up of preset sizes
  Qz_Object* width = nullptr;
  Qz_Object* height = nullptr;
  Qz_Object* resolution = nullptr;
  Qz_Object* depthPages = nullptr;
  Qz_Object* kind = nullptr;
  QzWord extra[2] = {0, 0};  // kept for callers; no gadget shows them
  Qz_Object* layerDepthPages = nullptr;
  Qz_Object* fill = nullptr;
  Qz_Object* memory = nullptr;
  char memoryBuffer[64] = {};  // the memory text shows this buffer, rewritten in place
  std::vector<std::string> presetTexts;  // the menu items show these texts, not copies
};

NewImageReqObject* Qz__Req(Qz_Object* o) { return qz::kit::self<NewImageReqObject>(o); }
NewImageReqObject* Qz__FromUser(QzWord user) { return reinterpret_cast<NewImageReqObject*>(user); }

int32_t Qz__Pixels(Qz_Object* field) { return int32_t(qz::requesters::measurementValue(field)); }
QzWord Qz__Float(float value) { return Qz_FloatToULONG(value); }

uint32_t Qz__Page(Qz_Object* pages) {
  return pages ? uint32_t(Qz_DoMethod(pages, kGroupGetPageIndex)) : 1;
}
QzWord Qz__DepthOf(Qz_Object* pages) { return Qz__Page(pages) == 0 ? 8 : 24; }
QzWord Qz__KindOf(NewImageReqObject* req) {
  return req->kind && Qz_DoMethod(req->kind, kMutualExcludeGetMarked) == 0 ? 1 : 2;
}

void Qz__RefreshMemory(NewImageReqObject* req) {
  const std::string memory = qz::requesters::memoryText(text(kMemoryText), Qz__Pixels(req->width),
                                                        Qz__Pixels(req->height), int32_t(Qz__KindOf(req)));
  std::snprintf(req->memoryBuffer, sizeof req->memoryBuffer, "%s", memory.c_str());
  if (!req->memory) return;
  Qz_DoMethod(req->memory, kRootSetLabel, req->memoryBuffer);
  Qz_RelayoutAndRedrawObject(req->memory);
}

void Qz__ChoosePreset(NewImageReqObject* req, Qz_Object* entry) {
  const char* label = entry ? reinterpret_cast<const char*>(Qz_DoMethod(entry, kMenuItemGetText)) : nullptr;
  const float resolution = qz::requesters::measurementValue(req->resolution);
  if (const auto size = qz::requesters::parsePreset(label ? label : "", resolution)) {
    if (size->unit != 0) Qz_DoMethod(req->resolution, kMeasurementUnitChosen, size->unit);
    Qz_DoMethod(req->width, kMeasurementSetValue, Qz__Float(float(size->width)));
    Qz_DoMethod(req->height, kMeasurementSetValue, Qz__Float(float(size->height)));
  }
}

// Every change to a field, the layer kind or the preset lands here.
void Qz__Changed(QzWord user, Qz_Object* source, uint32_t method, const QzWord* values) {
  NewImageReqObject* req = Qz__FromUser(user);
  if (source == req->resolution && method == kMeasurementSetValue) {
    Qz_DoMethod(req->width, kMeasurementSetResolution, values[0]);
    Qz_DoMethod(req->height, kMeasurementSetResolution, values[0]);
  } else if (source == req->presets && method == kPopUpChosen) {
    Qz__ChoosePreset(req, reinterpret_cast<Qz_Object*>(values[0]));
  }
  Qz__RefreshMemory(req);
}

// The preset texts: the file's root group of texts, each a size.
std::vector<std::string> Qz__PresetTexts() {
  std::vector<std::string> texts;
  Qz_Object* list = Qz_RestoreObjectFromDisk(kPresetFile);
  if (!list) return texts;
  if (Qz_GetObjectClassID(list) == kGroupClassId) {
    for (auto* entry = reinterpret_cast<Qz_Object*>(Qz_DoMethod(list, kGroupFirst)); entry;
         entry = reinterpret_cast<Qz_Object*>(Qz_DoMethod(list, kGroupNext, entry)))
      if (const auto* label = reinterpret_cast<const char*>(Qz_DoMethod(entry, kRootGetLabel)))
        texts.emplace_back(label);
  }
  Qz_DisposeObject(list);
  return texts;
}

Qz_Object* Qz__MakePresets(NewImageReqObject* req) {
  // Opening below the button, the list starts with nothing under the pointer.
  Qz_Object* popUp = Qz_CreateObject("PopUp", kPopUpSetPlacement, qz::popups::kPlaceBelow);
  if (!popUp) return nullptr;
  Qz_AddObject(popUp, "VectorImage", kVectorImageSetKind, kVectorImageDownArrow, kFixWidth, 12, kFixHeight, 10);
  Qz_Object* items = Qz_CreateObject("Group", kGroupSetMode, 1, kGroupSetFrame, 1);
  if (items) {
    req->presetTexts = Qz__PresetTexts();
    for (const std::string& t : req->presetTexts)
      if (Qz_Object* item = Qz_AddObject(items, "MenuItem")) Qz_DoMethod(item, kMenuItemSetText, t.c_str());
    Qz_DoMethod(popUp, kPopUpChildrenInPopUp, 1);
    Qz_DoMethod(popUp, kLinkedListAddTail, items);
    Qz_DoMethod(popUp, kPopUpChildrenInPopUp, 0);
  }
  return popUp;
}

Qz_Object* Qz__TwoPages(const char* first, const char* second) {
  Qz_Object* pages = Qz_CreateObject("Group", kGroupSetMode, 4);
  if (!pages) return nullptr;
  Qz_AddObject(pages, "Text", kRootSetLabel, first);
  Qz_AddObject(pages, "Text", kRootSetLabel, second);
  Qz_DoMethod(pages, kGroupShowPage, 1);
  return pages;
}

void Qz__Watch(NewImageReqObject* req, Qz_Object* source, uint32_t method) {
  if (source) Qz_AddCallBackNotify(source, method, kNotifyAnyValue, Qz__Changed, reinterpret_cast<QzWord>(req));
}

bool Qz__SetUp(Qz_Object* object) {
  using namespace qz::requesters;
  NewImageReqObject* req = Qz__Req(object);
  Qz_Object* column = object->super;
  req->task = FindTask(nullptr);
  constexpr float kResolution = float(qz::measure::kDefaultResolution);
  Qz_Object* units = unitChooser(qz::measure::kPixels);
  req->presets = labelledRow(column, text(kPresetText), Qz__MakePresets(req));
  req->width = labelledRow(column, text(kWidthText), measurementField(qz::measure::kPixels, 640, kResolution));
  req->height = labelledRow(column, text(kHeightText), measurementField(qz::measure::kPixels, 480, kResolution));
  req->resolution = labelledRow(column, text(kResolutionText),
                                measurementField(qz::measure::kDotsPerInch, kResolution, kResolution));
  if (units) Qz_DoMethod(column, kGroupAddTail, units);
  req->depthPages = labelledRow(column, text(kImageText), Qz__TwoPages(text(kGreyText), text(kColourText)));
  req->kind = labelledRow(column, text(kFirstLayerText), radioColumn({text(kPaintLayerText), text(kImageLayerText)}, 0));
  req->layerDepthPages = labelledRow(column, text(kLayerText), Qz__TwoPages(text(kGreyText), text(kColourText)));
  req->fill = fillChoice(kFillWhite);
  if (req->fill) Qz_DoMethod(column, kGroupAddTail, req->fill);
  req->memory = Qz_AddObject(column, "Text", kRootSetLabel, "");
  if (!req->width || !req->height || !req->resolution || !req->kind || !req->fill) return false;
  Qz__Watch(req, req->width, kMeasurementSetValue);
  Qz__Watch(req, req->height, kMeasurementSetValue);
  Qz__Watch(req, req->resolution, kMeasurementSetValue);
  Qz__Watch(req, req->kind, kMutualExcludeMark);
  Qz__Watch(req, req->presets, kPopUpChosen);
  Qz__RefreshMemory(req);
  return true;
}

QzWord Qz__Dispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  NewImageReqObject* req = Qz__Req(object);
  switch (id) {
    case kNewImageSetWidth: return Qz_DoMethod(req->width, kMeasurementSetValue, args[0]);
    case kNewImageGetWidth: return QzWord(uint32_t(Qz__Pixels(req->width)));
    case kNewImageSetHeight: return Qz_DoMethod(req->height, kMeasurementSetValue, args[0]);
    case kNewImageGetHeight: return QzWord(uint32_t(Qz__Pixels(req->height)));
    case kNewImageSetDepth: Qz_DoMethod(req->depthPages, kGroupShowPage, args[0] == 8 ? 0 : 1); return 0;
    case kNewImageGetDepth: return Qz__DepthOf(req->depthPages);
    case kNewImageSetLayerDepth:
      Qz_DoMethod(req->layerDepthPages, kGroupShowPage, args[0] == 8 ? 0 : 1);
      Qz__RefreshMemory(req);
      return 0;
    case kNewImageGetLayerDepth: return Qz__DepthOf(req->layerDepthPages);
    case kNewImageSetLayerKind: return Qz_DoMethod(req->kind, kMutualExcludeMark, args[0] == 1 ? 0 : 1);
    case kNewImageGetLayerKind: return Qz__KindOf(req);
    case kNewImageGetFill:
      return qz::requesters::fillColour(uint32_t(Qz_DoMethod(req->fill, kMutualExcludeGetMarked)));
    case kNewImageSetResolution: return Qz_DoMethod(req->resolution, kMeasurementSetValue, args[0]);
    case kNewImageGetResolution: return Qz_DoMethod(req->resolution, kMeasurementGetValue);
    case kNewImageSetFirstExtra: req->extra[0] = args[0]; return 0;
    case kNewImageGetFirstExtra: return req->extra[0];
    case kNewImageSetSecondExtra: req->extra[1] = args[0]; return 0;
    case kNewImageGetSecondExtra: return req->extra[1];
    case kNewImageGetNothing: return 0;
    default: return qz::kit::inherited(object, id, args);
  }
}

const TagItem kSuperTags[] = {{kGroupSetMode, 1}, {TAG_DONE, 0}};

const qz::kit::ClassDecl kNewImageReqClass = {
    .name = "NewImageReq", .superName = "Group", .classId = kNewImageReqClassId,
    .instance = qz::kit::instanceOf<NewImageReqObject>(), .handler = Qz__Dispatch,
    .superTags = kSuperTags, .setUp = Qz__SetUp};

// The size, resolution and depth to start from: the active image's, or 640 x 480 at 72.
Qz_Object* Qz__MakeRequest() {
  int32_t width = 640, height = 480;
  float resolution = float(qz::measure::kDefaultResolution);
  if (Qz_Image* active = Qz_LockActiveImageA(kQzLockRead, nullptr)) {
    width = active->width;
    height = active->height;
    if (active->resolution > 0) resolution = active->resolution;
    Qz_UnlockImageA(active, kQzLockRead, nullptr);
  }
  return Qz_CreateObject("NewImageReq", kNewImageSetWidth, Qz__Float(float(width)), kNewImageSetHeight,
                         Qz__Float(float(height)), kNewImageSetDepth, 24, kNewImageSetResolution,
                         Qz__Float(resolution));
}

bool Qz__SizeIsValid(int32_t width, int32_t height) {
  using qz::requesters::kMaxNewImageSide;
  return width >= 1 && height >= 1 && width <= kMaxNewImageSide && height <= kMaxNewImageSide;
}

Qz_Image* Qz__MakeDocument(Qz_Object* request) {
  const auto w = int32_t(Qz_DoMethod(request, kNewImageGetWidth));
  const auto h = int32_t(Qz_DoMethod(request, kNewImageGetHeight));
  const auto depth = int32_t(Qz_DoMethod(request, kNewImageGetDepth));
  const auto kind = int32_t(Qz_DoMethod(request, kNewImageGetLayerKind));
  const int32_t layerDepth = kind == 2 ? 8 : int32_t(Qz_DoMethod(request, kNewImageGetLayerDepth));
  const auto fill = uint32_t(Qz_DoMethod(request, kNewImageGetFill));
  const float resolution = Qz_ULONGToFloat(Qz_DoMethod(request, kNewImageGetResolution));
  auto* image = reinterpret_cast<Qz_Image*>(Qz_CreateObject("Image", kQzImageSetType, kQzDocument));
  if (!image || !Qz_AllocImage(image, w, h, depth, 0, nullptr)) {
    Qz_OutOfMemory(nullptr);
    if (image) Qz_DisposeObject(&image->object);
    return nullptr;
  }
  image->resolution = resolution > 0 ? resolution : float(qz::measure::kDefaultResolution);
  if (fill != 0) {
    Qz_DoMethod(&image->object, 0x1001FE, fill);
    Qz_CopyImageToUndoData(image, 0, 0, w - 1, h - 1, 0, 0);
  }
  Qz_DoMethod(&image->object, kQzImageMakeDocument, image);
  Qz_DoMethod(&image->object, kQzImageMakeLayer, kind, w, h, layerDepth);
  Qz_MarkImageSaved(image);  // a blank picture has nothing to lose yet
  Qz_Image* app = Qz_GetImageBase()->applicationImage;
  Qz_DoMethod(&(app ? app : image)->object, kQzAppMakeActiveImage, image);
  Qz_DoMethod(&image->object, kQzImageOpenView);
  return image;
}

}  // namespace

QZ_EXTERN_C_BEGIN

QZ_EXPORT QzWord Qz_InitNewImageReqClass(Qz_GlobalData*) { return qz::kit::addClass(kNewImageReqClass); }
QZ_EXPORT void Qz_CleanupNewImageReqClass(void) { qz::kit::removeClass(kNewImageReqClass); }

QZ_EXPORT Qz_Object* Qz_ShowNewImageReq(Qz_Object* request) {
  Qz_Object* made = request ? nullptr : Qz__MakeRequest();
  if (!request && !made) return nullptr;
  Qz_Object* shown = request ? request : made;
  if (qz::requesters::showOverScreen(text(kTitleText), shown, kRequesterWidth) == 1) return shown;
  Qz_DisposeObject(made);
  return nullptr;
}

QZ_EXPORT Qz_Image* Qz_DoNewImageReq(Qz_Object* request) {
  Qz_Object* made = nullptr;
  for (;;) {
    Qz_Object* answered = Qz_ShowNewImageReq(request ? request : made);
    if (!answered) break;
    if (!request) made = answered;
    // A size nothing can hold is refused and the requester shown again as it was.
    if (Qz__SizeIsValid(int32_t(Qz_DoMethod(answered, kNewImageGetWidth)),
                        int32_t(Qz_DoMethod(answered, kNewImageGetHeight)))) {
      Qz_Image* image = Qz__MakeDocument(answered);
      Qz_DisposeObject(made);
      return image;
    }
    Qz_MessageBoxA(text(kTitleText), text(kBadSizeText), 1, nullptr);
  }
  Qz_DisposeObject(made);
  return nullptr;
}

QZ_EXTERN_C_END
