// PaintModeSelectorPlugin: chooses the paint mode of the active layer from a
// pop-up of modes by family (or all in one list), or steps to the previous
// or next mode; shows the current mode's name and follows mode changes made
// elsewhere. A choice goes to the layer as a request its image carries out
// (an undoable step).
#include <cstring>
#include <mutex>
#include <set>
#include <string>

#include "gadgets/qz_group.h"
#include "gadgets/qz_popups.h"
#include "gadgets/qz_widgets.h"
#include "image/image_text.h"
#include "image/qz_image.h"
#include "objects/object_services.h"
#include "objects/object_text.h"
#include "objects/qz_class_kit.h"
#include "objects/qz_draw_info.h"
#include "objects/qz_notify.h"
#include "objects/qz_root.h"
#include "platform/windows.h"
#include "plugins/mode_list.h"
#include "plugins/plugin_family.h"

namespace {

using qz::plugins::kShowCategorisedList;
using qz::plugins::kShowCompleteList;

constexpr uint32_t kModeSelectorClassId = 0x3E80005;
constexpr const char* kCategorisedFile = "Data/ModeList.QzStr";
constexpr const char* kCompleteFile = "Data/CompleteModeList.QzStr";
constexpr uint32_t kButtonFrame = 19;
constexpr QzWord kBelowTheButton = 8;
constexpr uint32_t kVectorImageSeparator = 0x5003C;
constexpr int32_t kArrowWidth = 9;
constexpr int32_t kLabelWidth = 124;
constexpr uint32_t kMenuLinePadding = 2;
// Catalogue texts.
constexpr uint32_t kTitleText = 70, kModeTip = 319, kNextTip = 320, kPreviousTip = 321;
constexpr uint32_t kWarningTitle = 229, kListTooLongText = 285;
// The panel's own: shows the mode of a key kept by the panel (on its window's thread).
constexpr uint32_t kShowMode = 0x3E80510;
// User data of the gadgets.
constexpr QzWord kPopUp = 0, kNext = 1, kPrevious = 2;

struct Qz_PaintModeSelectorPluginObject {
  Qz_Object header{};
  Qz_Object* categorised = nullptr;
  Qz_Object* complete = nullptr;
  Qz_Object* popUp = nullptr;
  Qz_Object* label = nullptr;
  Qz_Object* menuGroup = nullptr;
  Qz_Object* next = nullptr;
  Qz_Object* previous = nullptr;
  QzWord follow[2] = {};
  // Names the label shows that no list holds; kept while the panel lives,
  // as the label keeps only the pointer.
  std::mutex namesMutex;
  std::set<std::string> ownNames;
};

Qz_PaintModeSelectorPluginObject* Qz__Self(Qz_Object* o) {
  return qz::kit::self<Qz_PaintModeSelectorPluginObject>(o);
}
Qz_PaintModeSelectorPluginObject* Qz__FromUser(QzWord user) {
  return reinterpret_cast<Qz_PaintModeSelectorPluginObject*>(user);
}

// A copy of the key that lives as long as the panel.
const char* Qz__KeepName(Qz_PaintModeSelectorPluginObject* p, const char* key) {
  std::lock_guard<std::mutex> guard(p->namesMutex);
  return p->ownNames.insert(key).first->c_str();
}

// On the panel's window thread.
void Qz__ShowName(Qz_PaintModeSelectorPluginObject* p, const char* key) {
  const char* shown = qz::plugins::shownModeName(p->complete, key);
  Qz_DoMethod(p->label, kRootSetLabel, shown == key ? Qz__KeepName(p, key) : shown);
  Qz_DoMethod(p->popUp, kRootDraw);
}

// The image base's current mode, which new layers take.
void Qz__RememberMode(const char* key) {
  Qz_ImageBase* base = Qz_GetImageBase();
  ObtainSemaphore(&base->semaphore);
  qz::copyName(base->defaultMode, sizeof base->defaultMode, key);
  ReleaseSemaphore(&base->semaphore);
}

std::string Qz__RememberedMode() {
  Qz_ImageBase* base = Qz_GetImageBase();
  ObtainSemaphore(&base->semaphore);
  std::string key = base->defaultMode;
  ReleaseSemaphore(&base->semaphore);
  return key;
}

// The active image's active layer, where a chosen mode goes; read under the
// image's lock, which is let go before anything waits or is posted.
Qz_Image* Qz__ModeTarget(std::string* currentKey) {
  Qz_Image* image = Qz_LockActiveImageA(kQzLockRead, nullptr);
  if (!image) return nullptr;
  Qz_Image* layer = image->activeLayer;
  if (layer && currentKey) *currentKey = layer->chosenMode ? layer->chosenModeName : layer->modeName;
  Qz_UnlockImageA(image, kQzLockRead, nullptr);
  return layer;
}

// The key is a list item's, which lives as long as the panel: it may wait in a queue.
void Qz__Choose(Qz_PaintModeSelectorPluginObject* p, const char* key) {
  Qz__RememberMode(key);
  Qz__ShowName(p, key);
  if (Qz_Image* layer = Qz__ModeTarget(nullptr))
    Qz_PostImageMethod(layer, kQzImageSetLayerMode, reinterpret_cast<QzWord>(key), 0);
}

void Qz__ShowList(Qz_PaintModeSelectorPluginObject* p, Qz_Object* shown, Qz_Object* hidden) {
  Qz_DoMethod(p->popUp, kRootDeselect);
  if (hidden) Qz_DoMethod(p->menuGroup, kGroupRemove, hidden);
  if (shown) Qz_DoMethod(p->menuGroup, kGroupAddHead, shown);
}

void Qz__ShowCompleteList(Qz_PaintModeSelectorPluginObject* p) {
  const auto* info = reinterpret_cast<const Qz_DrawInfo*>(Qz_DoMethod(p->popUp, kRootGetDrawInfo));
  if (!info || !info->screen) return;
  Qz_DoMethod(p->popUp, kRootDeselect);
  const uint32_t entries = uint32_t(Qz_DoMethod(p->complete, kGroupCount));
  int32_t screenHeight = 0;
  Qz_GetScreenSize(info->screen, nullptr, &screenHeight);
  if (!qz::plugins::menuFitsScreen(entries, screenHeight, info->fontHeight + 2 * kMenuLinePadding)) {
    Qz_MessageBoxA(qz::plugins::catalogueText(kWarningTitle), qz::plugins::catalogueText(kListTooLongText), 1,
                   info->screenObject);
    return;
  }
  Qz__ShowList(p, p->complete, p->categorised);
}

void Qz__ItemChosen(Qz_PaintModeSelectorPluginObject* p, Qz_Object* item) {
  const char* key = qz::plugins::modeKeyOf(item);
  if (!key || !*key) return;
  if (std::strcmp(key, kShowCompleteList) == 0) return Qz__ShowCompleteList(p);
  if (std::strcmp(key, kShowCategorisedList) == 0) return Qz__ShowList(p, p->categorised, p->complete);
  Qz__Choose(p, key);
}

void Qz__Step(Qz_PaintModeSelectorPluginObject* p, bool forward) {
  std::string current;
  if (!Qz__ModeTarget(&current)) current = Qz__RememberedMode();
  Qz_Object* item = qz::plugins::stepModeItem(p->complete, current.c_str(), forward, qz::plugins::modeAvailable);
  if (const char* key = qz::plugins::modeKeyOf(item)) Qz__Choose(p, key);
}

// The pop-up and the two buttons, told apart by their user data.
void Qz__GadgetEvent(QzWord user, Qz_Object* source, uint32_t, const QzWord* value) {
  Qz_PaintModeSelectorPluginObject* p = Qz__FromUser(user);
  switch (Qz_DoMethod(source, kRootGetUserData)) {
    case kPopUp: return Qz__ItemChosen(p, reinterpret_cast<Qz_Object*>(value[0]));
    case kNext: return Qz__Step(p, true);
    case kPrevious: return Qz__Step(p, false);
    default: return;
  }
}

// A mode set elsewhere (word: its key), or a layer that became current or
// whose mode changed (word: the layer).
void Qz__ModeChanged(QzWord user, Qz_Object*, uint32_t method, const QzWord* value) {
  Qz_PaintModeSelectorPluginObject* p = Qz__FromUser(user);
  if (method == kQzImageSetLayerMode) {
    const auto* key = reinterpret_cast<const char*>(value[0]);
    if (key && *key) qz::plugins::runOnPanelThread(&p->header, kShowMode, qz::toWord(Qz__KeepName(p, key)), 0);
    return;
  }
  auto* layer = reinterpret_cast<Qz_Image*>(value[0]);
  if (!layer || Qz__RememberedMode().empty()) return;
  std::string key;
  if (Qz_Image* document = Qz_LockActiveImageA(kQzLockRead, nullptr)) {
    if (layer->parent == document || layer == document->activeLayer)
      key = layer->chosenMode ? layer->chosenModeName : layer->modeName;
    Qz_UnlockImageA(document, kQzLockRead, nullptr);
  }
  if (key.empty()) return;
  Qz__RememberMode(key.c_str());
  qz::plugins::runOnPanelThread(&p->header, kShowMode, qz::toWord(Qz__KeepName(p, key.c_str())), 0);
}

// The lists belong to the panel, whichever the menu group holds.
void Qz__DisposeLists(Qz_PaintModeSelectorPluginObject* p) {
  for (Qz_Object** list : {&p->categorised, &p->complete}) {
    if (p->menuGroup && *list) Qz_DoMethod(p->menuGroup, kGroupRemove, *list);
    Qz_DisposeObject(*list);
    *list = nullptr;
  }
  Qz_DisposeObject(p->menuGroup);
  p->menuGroup = nullptr;
}

Qz_Object* Qz__ReadList(const char* path) {
  Qz_Object* list = Qz_RestoreObjectFromDisk(path);
  if (!list) return nullptr;
  qz::plugins::arrangeModeList(list);
  // Modes this build lacks stay listed but cannot be chosen.
  qz::plugins::disableMissingModes(list);
  return list;
}

Qz_Object* Qz__MakeArrowButton(QzWord which) {
  const bool next = which == kNext;
  return Qz_CreateObjects(0, kBuildObject, "Button", kGroupSetFrame, kButtonFrame, kRootSetUserData, which,
                          kRootSetToolTip, qz::plugins::catalogueText(next ? kNextTip : kPreviousTip),
                          kBuildObject, "VectorImage", kVectorImageSetKind,
                          next ? kVectorImageRightArrow : kVectorImageLeftArrow, kFixWidth, kArrowWidth, kBuildClose,
                          kBuildClose);
}

Qz_Object* Qz__MakePanel(Qz_Object* object) {
  Qz_PaintModeSelectorPluginObject* p = Qz__Self(object);
  p->categorised = Qz__ReadList(kCategorisedFile);
  p->complete = Qz__ReadList(kCompleteFile);
  const char* title = qz::plugins::catalogueText(kTitleText);
  // Wide enough for the longest name, so that a new name never moves the arrows.
  p->label = Qz_CreateObject("Text", kRootSetLabel, title, kFixWidth, kLabelWidth);
  p->menuGroup = Qz_CreateObject("Group", kGroupSetMode, 1, kGroupSetFrame, 1);
  p->popUp = Qz_CreateObject("PopUp", kRootSetUserData, kPopUp, kRootSetToolTip, qz::plugins::catalogueText(kModeTip),
                             kGroupSetMode, 2, kGroupSetFrame, kButtonFrame, kPopUpSetPlacement, kBelowTheButton);
  p->previous = Qz__MakeArrowButton(kPrevious);
  p->next = Qz__MakeArrowButton(kNext);
  Qz_Object* row = Qz_CreateObject("Group", kGroupSetMode, 2, kGroupSetFixedHeight, 1, kGroupSetSpacing, 0);
  if (!p->label || !p->menuGroup || !p->popUp || !p->previous || !p->next || !row) {
    for (Qz_Object* o : {p->label, p->popUp, p->previous, p->next, row}) Qz_DisposeObject(o);
    p->label = p->popUp = p->previous = p->next = nullptr;
    Qz__DisposeLists(p);
    return nullptr;
  }
  Qz_AddObject(p->popUp, "VectorImage", kVectorImageSetKind, kVectorImageDownArrow, kFixWidth, 12, kFixHeight, 12);
  Qz_AddObject(p->popUp, "VectorImage", kVectorImageSetKind, kVectorImageSeparator, kFixWidth, 1, kFixHeight, 16);
  Qz_DoMethod(p->popUp, kGroupAddTail, p->label);
  if (p->categorised) Qz_DoMethod(p->menuGroup, kGroupAddHead, p->categorised);
  Qz_DoMethod(row, kGroupAddTail, p->popUp);
  Qz_DoMethod(row, kGroupAddTail, p->previous);
  Qz_DoMethod(row, kGroupAddTail, p->next);
  Qz_Object* column = Qz_CreateObject("Group", kGroupSetMode, 1, kGroupAddTail, row);
  if (!column) {
    Qz_DisposeObject(row);
    return nullptr;
  }
  return qz::plugins::makePanel({title, title, "Data/Images/Tabs/ModeOptions"}, column);
}

// The pop-up shows the menu group the lists take turns in.
void Qz__OfferMenu(QzWord user, Qz_Object*, uint32_t, const QzWord* value) {
  Qz_PaintModeSelectorPluginObject* p = Qz__FromUser(user);
  auto** slot = reinterpret_cast<Qz_Object**>(value[0]);
  if (slot && Qz_DoMethod(p->menuGroup, kGroupFirst)) *slot = p->menuGroup;
}

bool Qz__SetUp(Qz_Object* object) {
  Qz_PaintModeSelectorPluginObject* p = Qz__Self(object);
  Qz_DoMethod(object, kGroupSetFrame, 0);
  // In the tool bar's row it takes its own width, leaving the rest to the row's filler.
  Qz_DoMethod(object, kRootSetWeight, 0);
  const QzWord user = reinterpret_cast<QzWord>(p);
  Qz_AddCallBackNotify(p->popUp, kPopUpOpening, kNotifyAnyValue, Qz__OfferMenu, user);
  Qz_AddCallBackNotify(p->popUp, kPopUpChosen, kNotifyAnyValue, Qz__GadgetEvent, user);
  Qz_AddCallBackNotify(p->next, kButtonPressed, kNotifyAnyValue, Qz__GadgetEvent, user);
  Qz_AddCallBackNotify(p->previous, kButtonPressed, kNotifyAnyValue, Qz__GadgetEvent, user);
  p->follow[0] = qz::plugins::followApplication(kQzImageSetLayerMode, Qz__ModeChanged, user);
  p->follow[1] = qz::plugins::followApplication(kQzImageActiveLayerNotice, Qz__ModeChanged, user);
  return true;
}

void Qz__TearDown(Qz_Object* object) {
  Qz_PaintModeSelectorPluginObject* p = Qz__Self(object);
  for (QzWord& handle : p->follow) qz::plugins::stopFollowing(handle);
  Qz_DoMethod(p->popUp, kRootDeselect);
  Qz__DisposeLists(p);
}

QzWord Qz__Dispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  switch (id) {
    case kRootStoreChildren: return 1;
    case kShowMode: Qz__ShowName(Qz__Self(object), reinterpret_cast<const char*>(args[0])); return 0;
    case kRootMeasure: {
      // In a row (the tool bar) the panel goes without its tab bar.
      qz::plugins::hideTabBarInRow(object);
      return qz::kit::inherited(object, id, args);
    }
    default: return qz::kit::inherited(object, id, args);
  }
}

const qz::kit::ClassDecl kPaintModeSelectorPlugin = {
    .name = "PaintModeSelectorPlugin", .superName = "RootPlugin", .classId = kModeSelectorClassId,
    .instance = qz::kit::instanceOf<Qz_PaintModeSelectorPluginObject>(), .handler = Qz__Dispatch,
    .makeSuper = Qz__MakePanel, .setUp = Qz__SetUp, .tearDown = Qz__TearDown};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitPaintModeSelectorPluginClass(Qz_GlobalData*) {
  return qz::kit::addClass(kPaintModeSelectorPlugin);
}
QZ_EXPORT void Qz_CleanupPaintModeSelectorPluginClass(void) { qz::kit::removeClass(kPaintModeSelectorPlugin); }
QZ_EXTERN_C_END
