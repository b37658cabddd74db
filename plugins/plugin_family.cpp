// Shared parts of the concrete panel classes.
#include "plugins/plugin_family.h"

#include <algorithm>
#include <vector>

#include "image/qz_image.h"
#include "platform/windows.h"
#include "objects/async_methods.h"
#include "objects/object_services.h"
#include "objects/qz_draw_info.h"
#include "objects/qz_root.h"
#include "gadgets/qz_group.h"
#include "gadgets/qz_sliders.h"

namespace qz::plugins {

const char* catalogueText(uint32_t entry) {
  const char* const* catalogue = Qz_GetImageBase()->catalogue;
  return catalogue && catalogue[entry] ? catalogue[entry] : "";
}

Qz_Object* makePanel(const PanelTitles& titles, Qz_Object* content) {
  if (!content) return nullptr;
  Qz_Object* panel = Qz_CreateObject("RootPlugin", kQzPluginSetTitle, titles.title, kQzPluginSetShortTitle,
                                     titles.shortTitle, kQzPluginSetTabImagePath, titles.tabImagePath);
  if (!panel) {
    Qz_DisposeObject(content);
    return nullptr;
  }
  Qz_DoMethod(panel, kLinkedListAddTail, content);
  return panel;
}

void releaseMembers(Qz_Object* group) {
  if (!group) return;
  while (auto* member = reinterpret_cast<Qz_Object*>(Qz_DoMethod(group, kLinkedListFirst)))
    if (!Qz_DoMethod(group, kLinkedListRemove, member)) break;
}

Qz_Image* activeImage() {
  Qz_ImageBase* base = Qz_GetImageBase();
  ObtainSemaphore(&base->semaphore);
  Qz_Image* image = base->activeImage;
  ReleaseSemaphore(&base->semaphore);
  return image;
}

QzWord followApplication(uint32_t method, Qz_NotifyCallBack callBack, QzWord userData) {
  Qz_Image* app = Qz_GetImageBase()->applicationImage;
  return app ? Qz_AddCallBackNotify(&app->object, method, kNotifyAnyValue, callBack, userData) : 0;
}

void stopFollowing(QzWord& handle) {
  Qz_Image* app = Qz_GetImageBase()->applicationImage;
  if (handle && app) Qz_RemoveNotify(&app->object, handle);
  handle = 0;
}

// The call's array form: a panel has no port of its own, and only that form
// finds the port of the window the panel is shown in.
void runOnPanelThread(Qz_Object* panel, uint32_t id, QzWord first, QzWord second) {
  const QzWord words[] = {id, first, second, 0, 0};
  if (Qz_DoAsyncMethodA(panel, words)) return;  // queued to its window's thread
  Qz_DoMethod(panel, id, first, second);
}

namespace {
thread_local std::vector<const void*> tGuardOwners;  // null: every panel
}  // namespace

FollowGuard::FollowGuard(const void* owner) { tGuardOwners.push_back(owner); }
FollowGuard::~FollowGuard() { tGuardOwners.pop_back(); }
bool FollowGuard::active() { return active(nullptr); }
bool FollowGuard::active(const void* owner) {
  return std::ranges::any_of(tGuardOwners, [owner](const void* o) { return !o || o == owner; });
}

// The text is a member: a button's own label is not measured.
Qz_Object* textButton(const char* label, QzWord userData) {
  Qz_Object* button = Qz_CreateObject("Button", kRootSetUserData, userData);
  Qz_Object* text = button ? Qz_CreateObject("Text", kRootSetLabel, label) : nullptr;
  if (!text) {
    Qz_DisposeObject(button);
    return nullptr;
  }
  Qz_DoMethod(button, kGroupAddTail, text);
  return button;
}

Qz_Object* labelledSlider(const SliderSpec& spec, Qz_Object** slider) {
  *slider = Qz_CreateObject("CompactSlider", kRootSetUserData, spec.userData, kValueSetMinimum,
                            uint32_t(spec.minimum), kValueSetMaximum, uint32_t(spec.maximum), kValueSet,
                            uint32_t(spec.initial), kValueSetFormat, spec.format, kNotifyWhileDragging,
                            spec.whileDragging ? 1 : 0);
  Qz_Object* text = Qz_CreateObject("Text", kRootSetLabel, catalogueText(spec.label));
  Qz_Object* column = Qz_CreateObject("Group", kGroupSetMode, 1);
  if (!*slider || !text || !column) {
    for (Qz_Object* o : {*slider, text, column}) Qz_DisposeObject(o);
    *slider = nullptr;
    return nullptr;
  }
  if (spec.colour) Qz_DoMethod(*slider, kRootDeriveColours, spec.colour);
  Qz_DoMethod(column, kGroupAddTail, text);
  Qz_DoMethod(column, kGroupAddTail, *slider);
  return column;
}

void hideTabBarInRow(Qz_Object* panel) {
  Qz_Object* parent = Qz_GetParentObject(Qz_GetTopMostObject(panel));
  if (parent && Qz_DoMethod(parent, kGroupGetMode) == 2) Qz_DoMethod(panel, kQzPluginHideTabBar, 1);
}

Qz_Image* activeLayer() {
  Qz_Image* image = Qz_LockActiveImageA(kQzLockRead, nullptr);
  if (!image) return nullptr;
  Qz_Image* layer = image->activeLayer;
  Qz_UnlockImageA(image, kQzLockRead, nullptr);
  return layer;
}

void sendToActiveLayer(uint32_t method, QzWord value) {
  if (Qz_Image* layer = activeLayer()) Qz_PostImageMethod(layer, method, value, 0);
}

}  // namespace qz::plugins
