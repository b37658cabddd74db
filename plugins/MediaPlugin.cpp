// MediaPlugin: chooses the brush media preset from a pop-up showing its
// picture, and sets the media's strength and size and the active layer's
// transparency with three sliders. Every change goes to the active image
// as a request it records; when the media or the layer changes elsewhere
// the panel follows without sending anything back.
#include <algorithm>
#include <cstring>
#include <string>

#include "actions/qz_actions.h"
#include "gadgets/qz_group.h"
#include "gadgets/qz_popups.h"
#include "gadgets/qz_sliders.h"
#include "gadgets/qz_widgets.h"
#include "image/qz_image.h"
#include "objects/object_services.h"
#include "objects/object_text.h"
#include "objects/qz_class_kit.h"
#include "objects/qz_notify.h"
#include "objects/qz_root.h"
#include "platform/windows.h"
#include "plugins/media_sliders.h"
#include "plugins/plugin_family.h"

namespace {

constexpr uint32_t kMediaClassId = 0x3E80007;
constexpr const char* kMediaListFile = "Data/Media/List.QzStr";
constexpr const char* kMediaPictureFolder = "Data/Images/Media/";
constexpr int32_t kFaceSide = 48;
constexpr QzWord kMenuBelow = 2;
constexpr uint32_t kSetLayerTransparency = 0x10006E;  // percent
// Catalogue texts.
constexpr uint32_t kTitleText = 59, kSizeText = 41, kStrengthText = 42, kTransparencyText = 43, kChooseTip = 412;
// The panel's own, run on its window's thread: show the current media;
// show a layer's level and an image's size range.
constexpr uint32_t kShowMedia = 0x3E80710, kShowLayer = 0x3E80711;
// The sliders before any media is current.
constexpr int32_t kStrengthAtStart = 10, kMostStrength = 255, kSizeAtStart = 170, kSizeMaximumAtStart = 300;
// User data of the gadgets.
constexpr QzWord kPopUp = 0, kTransparency = 1, kSize = 2, kStrength = 3;

struct Qz_MediaPluginObject {
  Qz_Object header{};
  Qz_Object* strength = nullptr;
  Qz_Object* transparency = nullptr;
  Qz_Object* size = nullptr;
  Qz_Object* popUp = nullptr;
  Qz_Object* mediaList = nullptr;
  Qz_Object* face = nullptr;
  QzWord follow[2] = {};
};

Qz_MediaPluginObject* Qz__Self(Qz_Object* o) { return qz::kit::self<Qz_MediaPluginObject>(o); }
Qz_MediaPluginObject* Qz__FromUser(QzWord user) { return reinterpret_cast<Qz_MediaPluginObject*>(user); }
Qz_Object* Qz__Member(Qz_Object* group, uint32_t id, Qz_Object* from = nullptr) {
  return reinterpret_cast<Qz_Object*>(from ? Qz_DoMethod(group, id, from) : Qz_DoMethod(group, id));
}

Qz_Image* Qz__ApplicationImage() { return Qz_GetImageBase()->applicationImage; }

std::string Qz__CurrentMediaName() {
  Qz_ImageBase* base = Qz_GetImageBase();
  ObtainSemaphore(&base->semaphore);
  std::string name = base->currentMediaName;
  ReleaseSemaphore(&base->semaphore);
  return name;
}

// The entry of the media list that holds what was chosen (its picture or its name).
Qz_Object* Qz__EntryOf(Qz_MediaPluginObject* p, Qz_Object* chosen) {
  for (Qz_Object* o = chosen; o && p->mediaList; o = Qz_GetParentObject(o))
    if (Qz_GetParentObject(o) == p->mediaList) return o;
  return nullptr;
}

void Qz__MediaChosenHere(Qz_MediaPluginObject* p, Qz_Object* chosen) {
  Qz_Object* entry = Qz__EntryOf(p, chosen);
  const auto* name = entry ? reinterpret_cast<const char*>(Qz_DoMethod(entry, kRootGetObjectName)) : nullptr;
  if (!name || !*name) return;
  Qz_Image* target = qz::plugins::activeImage();
  // The name belongs to the list, which lives as long as the panel.
  Qz_PostImageMethod(target ? target : Qz__ApplicationImage(), kQzImageChooseMedia, reinterpret_cast<QzWord>(name), 0);
}

// The request to the active image that records a new media setting.
void Qz__SendMediaSetting(uint32_t kind, QzWord value) {
  if (Qz_Image* image = qz::plugins::activeImage()) Qz_PostImageMethod(image, kQzImageRecordMediaSetting, kind, value);
}

void Qz__GadgetEvent(QzWord user, Qz_Object* source, uint32_t, const QzWord* value) {
  Qz_MediaPluginObject* p = Qz__FromUser(user);
  const QzWord which = Qz_DoMethod(source, kRootGetUserData);
  if (which == kPopUp) return Qz__MediaChosenHere(p, reinterpret_cast<Qz_Object*>(value[0]));
  if (qz::plugins::FollowGuard::active()) return;
  switch (which) {
    case kSize: return Qz__SendMediaSetting(kMediaSetSize, value[0]);
    case kStrength: return Qz__SendMediaSetting(kMediaSetPressure, value[0]);
    case kTransparency: return qz::plugins::sendToActiveLayer(kSetLayerTransparency, value[0]);
    default: return;
  }
}

// A media was chosen (here or elsewhere): its picture and settings, on the
// panel's window thread.
void Qz__MediaChanged(Qz_MediaPluginObject* p) {
  const std::string name = Qz__CurrentMediaName();
  Qz_Object* entry =
      p->mediaList ? reinterpret_cast<Qz_Object*>(Qz_DoMethod(p->mediaList, kRootFindByName, name.c_str())) : nullptr;
  Qz_Object* picture = entry ? Qz__Member(entry, kGroupFirst) : nullptr;
  if (picture && Qz_GetObjectClassID(picture) == kBitMapClassId) {
    Qz_DoMethod(p->face, kBitMapShare, picture);
    Qz_DoMethod(p->face, kRootDraw);
  }
  Qz_Object* media = Qz_GetImageBase()->currentMedia;
  if (!media) return;
  qz::plugins::FollowGuard following;
  Qz_DoMethod(p->strength, kValueSet, uint32_t(Qz_DoMethod(media, kMediaGetPressure)));
  Qz_DoMethod(p->size, kValueSet, uint32_t(Qz_DoMethod(media, kMediaGetSize)));
}

// The layer's transparency (level -1: none to show) and the size range for
// an image whose longer side is given (0: no image).
void Qz__ShowLayer(Qz_MediaPluginObject* p, int32_t level, int32_t longerSide) {
  qz::plugins::FollowGuard following;
  if (level >= 0) Qz_DoMethod(p->transparency, kValueSet, uint32_t(qz::plugins::transparencyPercent(level)));
  if (longerSide <= 0) return;
  const auto current = int32_t(Qz_DoMethod(p->size, kValueGet));
  Qz_DoMethod(p->size, kValueSetMaximum, uint32_t(qz::plugins::mediaSizeMaximum(longerSide, 0, current)));
}

// News from the application image, on the thread that fired it: what it
// says is read here, under the image's lock, and shown on the panel's thread.
void Qz__Follow(QzWord user, Qz_Object*, uint32_t method, const QzWord* value) {
  Qz_MediaPluginObject* p = Qz__FromUser(user);
  if (method == kQzImageChooseMedia) return qz::plugins::runOnPanelThread(&p->header, kShowMedia, 0, 0);
  auto* layer = reinterpret_cast<Qz_Image*>(value[0]);
  int32_t level = -1, longerSide = 0;
  if (Qz_Image* image = Qz_LockActiveImageA(kQzLockRead, nullptr)) {
    longerSide = std::max(image->width, image->height);
    if (layer && (layer == image->activeLayer || layer->parent == image)) level = layer->opacity;
    Qz_UnlockImageA(image, kQzLockRead, nullptr);
  }
  qz::plugins::runOnPanelThread(&p->header, kShowLayer, uint32_t(level), uint32_t(longerSide));
}

void Qz__OfferMenu(QzWord user, Qz_Object*, uint32_t, const QzWord* value) {
  Qz_MediaPluginObject* p = Qz__FromUser(user);
  auto** slot = reinterpret_cast<Qz_Object**>(value[0]);
  if (slot && p->mediaList && Qz_DoMethod(p->mediaList, kGroupFirst)) *slot = p->mediaList;
}

// Each entry of the list stands as one line: its picture beside its name.
Qz_Object* Qz__ReadMediaList() {
  Qz_Object* list = Qz_RestoreObjectFromDisk(kMediaListFile);
  if (!list) return nullptr;
  Qz_DoMethod(list, kGroupSetMode, 1);
  for (Qz_Object* entry = Qz__Member(list, kGroupFirst); entry; entry = Qz__Member(list, kGroupNext, entry))
    Qz_DoMethod(entry, kGroupSetMode, 2);
  return list;
}

Qz_Object* Qz__MakePanel(Qz_Object* object) {
  Qz_MediaPluginObject* p = Qz__Self(object);
  p->mediaList = Qz__ReadMediaList();
  const std::string picture = kMediaPictureFolder + Qz__CurrentMediaName();
  p->face = Qz_CreateObject("BitMap", kFixWidth, kFaceSide, kFixHeight, kFaceSide);
  if (p->face) Qz_DoMethod(p->face, kBitMapLoad, picture.c_str());
  p->popUp = Qz_CreateObject("PopUp", kRootSetUserData, kPopUp, kPopUpSetPlacement, kMenuBelow, kRootSetToolTip,
                             qz::plugins::catalogueText(kChooseTip), kGroupAddTail, p->face);
  using qz::plugins::labelledSlider;
  // A panel added while a media is current (again, or in a window of its
  // own) shows that media's settings: the media tells only of changes.
  int32_t strengthNow = kStrengthAtStart, sizeNow = kSizeAtStart;
  if (Qz_Object* media = Qz_GetImageBase()->currentMedia) {
    strengthNow = std::clamp(int32_t(Qz_DoMethod(media, kMediaGetPressure)), 1, kMostStrength);
    sizeNow = std::max(int32_t(Qz_DoMethod(media, kMediaGetSize)), 1);
  }
  Qz_Object* strength =
      labelledSlider({kStrengthText, kStrength, 1, kMostStrength, strengthNow, "%ld", true}, &p->strength);
  Qz_Object* size =
      labelledSlider({kSizeText, kSize, 1, std::max(kSizeMaximumAtStart, sizeNow), sizeNow, "%ld", false}, &p->size);
  Qz_Object* transparency =
      labelledSlider({kTransparencyText, kTransparency, 0, 100, 0, "%ld%%", true}, &p->transparency);
  Qz_Object* column = Qz_CreateObject("Group", kGroupSetMode, 1);
  if (!p->face || !p->popUp || !strength || !size || !transparency || !column) {
    if (!p->popUp) Qz_DisposeObject(p->face);
    for (Qz_Object* o : {p->popUp, strength, size, transparency, column, p->mediaList}) Qz_DisposeObject(o);
    p->face = p->popUp = p->strength = p->size = p->transparency = p->mediaList = nullptr;
    return nullptr;
  }
  Qz_DoMethod(column, kGroupAddTail, p->popUp);
  Qz_AddObject(column, "Space", kSpaceSetSize, 2);
  for (Qz_Object* o : {strength, size, transparency}) Qz_DoMethod(column, kGroupAddTail, o);
  const char* title = qz::plugins::catalogueText(kTitleText);
  return qz::plugins::makePanel({title, title, "Data/Images/Tabs/Media"}, column);
}

bool Qz__SetUp(Qz_Object* object) {
  Qz_MediaPluginObject* p = Qz__Self(object);
  const QzWord user = reinterpret_cast<QzWord>(p);
  Qz_AddCallBackNotify(p->popUp, kPopUpOpening, kNotifyAnyValue, Qz__OfferMenu, user);
  Qz_AddCallBackNotify(p->popUp, kPopUpChosen, kNotifyAnyValue, Qz__GadgetEvent, user);
  for (Qz_Object* slider : {p->strength, p->size, p->transparency})
    Qz_AddCallBackNotify(slider, kValueSet, kNotifyAnyValue, Qz__GadgetEvent, user);
  p->follow[0] = qz::plugins::followApplication(kQzImageChooseMedia, Qz__Follow, user);
  p->follow[1] = qz::plugins::followApplication(kQzImageMakeActive, Qz__Follow, user);
  return true;
}

void Qz__TearDown(Qz_Object* object) {
  Qz_MediaPluginObject* p = Qz__Self(object);
  for (QzWord& handle : p->follow) qz::plugins::stopFollowing(handle);
  Qz_DoMethod(p->popUp, kRootDeselect);
  Qz_DisposeObject(p->mediaList);
  p->mediaList = nullptr;
}

QzWord Qz__Dispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  switch (id) {
    case kRootStoreChildren: return 1;
    case kShowMedia: Qz__MediaChanged(Qz__Self(object)); return 0;
    case kShowLayer: Qz__ShowLayer(Qz__Self(object), int32_t(args[0]), int32_t(args[1])); return 0;
    default: return qz::kit::inherited(object, id, args);
  }
}

const qz::kit::ClassDecl kMediaPlugin = {
    .name = "MediaPlugin", .superName = "RootPlugin", .classId = kMediaClassId,
    .instance = qz::kit::instanceOf<Qz_MediaPluginObject>(), .handler = Qz__Dispatch,
    .makeSuper = Qz__MakePanel, .setUp = Qz__SetUp, .tearDown = Qz__TearDown};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitMediaPluginClass(Qz_GlobalData*) { return qz::kit::addClass(kMediaPlugin); }
QZ_EXPORT void Qz_CleanupMediaPluginClass(void) { qz::kit::removeClass(kMediaPlugin); }
QZ_EXTERN_C_END
