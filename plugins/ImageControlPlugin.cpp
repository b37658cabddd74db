// ImageControlPlugin: the panel that picks the active image, its current
// layer and the layer's alpha and secondary images, with pop-up menus of the
// image and layer commands. It also wires the main menu: the global keys,
// the screen's menu notification, and the switch between the bar for no
// image and the full bar.
#include <algorithm>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "app/icon_geometry.h"
#include "app/main_menu.h"
#include "app/main_window.h"
#include "app/menu_commands.h"
#include "app/qz_image_icon.h"
#include "gadgets/qz_group.h"
#include "gadgets/qz_popups.h"
#include "gadgets/qz_screen.h"
#include "gadgets/qz_widgets.h"
#include "gadgets/qz_window.h"
#include "image/image_shell.h"
#include "image/qz_image.h"
#include "objects/async_methods.h"
#include "objects/object_services.h"
#include "objects/qz_class_kit.h"
#include "objects/qz_notify.h"
#include "objects/qz_root.h"
#include "plugins/plugin_family.h"

namespace {

using qz::app::MenuSelector;

constexpr uint32_t kImageControlClassId = 0x3E80003;
constexpr uint32_t kTitleText = 184;
constexpr uint32_t kMenuCommand = 0x4601CC;
constexpr uint32_t kIconSetImage = 0x19000A;
constexpr uint32_t kLayerChanged = 0x1000B4;
constexpr uint32_t kSecondarySet = 0x100226;
constexpr uint32_t kAlphaSet = 0x100230;
constexpr uint32_t kShowImage = 0x1002EE;
constexpr uint32_t kAnswersStore = 0x10154;
constexpr QzWord kCtrl = 123456;  // the global-key qualifier word for Ctrl
constexpr int32_t kIconWidth = 64, kIconHeight = 48;
constexpr uint32_t kNoneText = 78;

// The seven keys the menu labels promise, plus Ctrl+S and Ctrl+C.
struct GlobalKey {
  uint32_t code;
  QzWord qualifier;
  uint16_t command;
};
constexpr GlobalKey kGlobalKeys[] = {{'n', kCtrl, 60},  {'o', kCtrl, 51},  {'b', kCtrl, 139},
                                     {112, 0, 124},     {'p', kCtrl, 57},  {'z', kCtrl, 135},
                                     {'v', kCtrl, 138}, {'s', kCtrl, 52},  {'c', kCtrl, 137}};

struct Qz_ImageControlObject {
  Qz_Object header{};
  std::mutex stateMutex;  // the two state flags
  Qz_Object* layerIcon = nullptr;
  Qz_Object* secondaryIcon = nullptr;
  Qz_Object* alphaIcon = nullptr;
  Qz_Object* imageChooser = nullptr;
  Qz_Object* layerChooser = nullptr;
  Qz_Object* alphaChooser = nullptr;
  Qz_Object* secondaryChooser = nullptr;
  Qz_Object* layerMenu = nullptr;
  Qz_Object* imageMenu = nullptr;
  Qz_Object* alphaMenu = nullptr;
  Qz_Object* secondaryMenu = nullptr;
  bool noImage = false;
  bool layerGadgetsDisabled = false;
  std::vector<Qz_ShortcutKey*> keys;
  std::vector<QzWord> appNotifies;
  // Texts of the open chooser's entries (labels keep the pointer).
  std::deque<std::string> labels;
};

Qz_ImageControlObject* Qz__Self(Qz_Object* o) { return qz::kit::self<Qz_ImageControlObject>(o); }
Qz_Object* asObject(QzWord w) { return reinterpret_cast<Qz_Object*>(w); }
const char* text(uint32_t n) { return qz::plugins::catalogueText(n); }
bool hasIcons() { return Qz_FindClassFromName("ImageIcon") != nullptr; }

// ---- menus ------------------------------------------------------------------------------

Qz_Object* menuItem(uint16_t id) {
  const qz::app::MenuCommand* c = qz::app::findMenuCommand(id);
  Qz_Object* item = Qz_CreateObject("MenuItem", kMenuItemSetText, c ? qz::app::menuText(*c) : "", kRootSetUserData, id);
  if (item && !qz::app::menuCommandAvailable(id)) Qz_DoMethod(item, kRootDisable);
  return item;
}

Qz_Object* subMenu(uint32_t title, std::initializer_list<uint16_t> ids) {
  Qz_Object* sub = Qz_CreateObject("MenuItem", kMenuItemSetText, text(title));
  if (!sub) return nullptr;
  for (uint16_t id : ids) Qz_DoMethod(sub, kGroupAddTail, menuItem(id));
  return sub;
}

Qz_Object* spacer() { return Qz_CreateObject("Space", kFixHeight, 4); }

void addAll(Qz_Object* menu, std::initializer_list<Qz_Object*> items) {
  for (Qz_Object* i : items)
    if (i) Qz_DoMethod(menu, kGroupAddTail, i);
}

Qz_Object* makeMenu(uint32_t title) { return Qz_CreateObject("Menu", kMenuSetTitle, text(title)); }

Qz_Object* imageMenu() {
  Qz_Object* m = makeMenu(0);
  if (!m) return nullptr;
  addAll(m, {subMenu(215, {89, 91, 90}), subMenu(246, {95, 96, 97, 98}), subMenu(220, {78, 79, 80}), menuItem(112),
             menuItem(100), menuItem(133), spacer(), menuItem(85), menuItem(86), menuItem(87), spacer(),
             menuItem(65)});
  return m;
}

Qz_Object* layerMenu() {
  Qz_Object* m = makeMenu(1);
  if (!m) return nullptr;
  addAll(m, {subMenu(186, {73, 74}), spacer(), subMenu(215, {92, 94, 93}), spacer(),
             subMenu(198, {115, 116, 117, 118}), subMenu(203, {76, 77}), spacer(), menuItem(119), menuItem(120),
             menuItem(114), spacer(), menuItem(81), menuItem(113), spacer(), menuItem(101), menuItem(102), spacer(),
             menuItem(88), spacer(), menuItem(75)});
  return m;
}

Qz_Object* attachedMenu(uint32_t title, uint16_t newId, uint16_t openId, uint16_t saveId, uint16_t closeId) {
  Qz_Object* m = makeMenu(title);
  if (!m) return nullptr;
  addAll(m, {menuItem(newId), menuItem(openId), menuItem(saveId), spacer(), menuItem(closeId)});
  return m;
}

// A pick in one of the panel's menus: the item's id is the command.
void Qz__MenuPicked(QzWord selector, Qz_Object*, uint32_t, const QzWord* words) {
  Qz_Object* item = words ? asObject(words[0]) : nullptr;
  qz::app::MenuFunc(selector, item, kPopUpChosen, nullptr);
}

// ---- choosers ----------------------------------------------------------------------------

// An entry showing the image: its icon, or its name where icons are not built.
Qz_Object* imageEntry(Qz_ImageControlObject* self, const char* kind, Qz_Image* image, const std::string& name) {
  Qz_Object* entry = Qz_CreateObject(kind, kRootSetUserData, image);
  if (!entry) return nullptr;
  if (!hasIcons()) self->labels.push_back(name);
  Qz_Object* face = hasIcons() ? Qz_CreateObject("ImageIcon", kIconSetImage, image)
                               : Qz_CreateObject("Text", kRootSetLabel, self->labels.back().c_str());
  if (face) Qz_DoMethod(entry, kGroupAddTail, face);
  return entry;
}

std::string nameOf(Qz_Image* image, int index) {
  if (image->name && image->name[0]) {
    const std::string path = image->name;
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
  }
  return "Image " + std::to_string(index + 1);
}

// The entry's id: the released-over object may be the face inside the button.
QzWord pickedId(Qz_Object* picked) {
  for (Qz_Object* o = picked; o; o = Qz_GetParentObject(o))
    if (QzWord id = Qz_DoMethod(o, kRootGetUserData)) return id;
  return 0;
}

void fillSlot(const QzWord* words, Qz_Object* contents) {
  if (auto** slot = reinterpret_cast<Qz_Object**>(words ? words[0] : 0)) *slot = contents;
  else Qz_DisposeObject(contents);
}

// A chooser's pop-up closed: its contents go, and their texts with them.
void closeChooser(Qz_ImageControlObject* self, const QzWord* words) {
  Qz_DisposeObject(asObject(words[0]));
  self->labels.clear();
}

void Qz__ImageChooser(QzWord user, Qz_Object*, uint32_t method, const QzWord* words) {
  auto* self = reinterpret_cast<Qz_ImageControlObject*>(user);
  if (method == kPopUpClosed) {
    closeChooser(self, words);
    return;
  }
  if (method == kPopUpChosen) {
    if (QzWord image = pickedId(asObject(words[0]))) Qz_DoAsyncMethod(asObject(image), kShowImage);
    return;
  }
  Qz_ImageBase* base = Qz_GetImageBase();
  Qz_Object* group = Qz_CreateObject("Group", kGroupSetMode, 1);
  int index = 0;
  ObtainSemaphore(&base->semaphore);
  for (Node* n = base->documents.lh_Head; group && n && n->ln_Succ; n = n->ln_Succ, ++index) {
    Qz_Image* image = reinterpret_cast<Qz_ImageNode*>(n)->image;
    if (image != base->applicationImage)
      Qz_DoMethod(group, kGroupAddTail, imageEntry(self, "Button", image, nameOf(image, index)));
  }
  ReleaseSemaphore(&base->semaphore);
  if (group && !Qz_DoMethod(group, kGroupFirst)) {
    Qz_DisposeObject(group);
    group = nullptr;
  }
  fillSlot(words, group);
}

// The ImagePopUp's pick: the image is announced as selected.
void Qz__ImagePicked(QzWord, Qz_Object*, uint32_t, const QzWord* words) {
  if (Qz_Object* image = words ? asObject(words[0]) : nullptr) Qz_DoAsyncMethod(image, kShowImage);
}

void Qz__LayerChooser(QzWord user, Qz_Object*, uint32_t method, const QzWord* words) {
  auto* self = reinterpret_cast<Qz_ImageControlObject*>(user);
  if (method == kPopUpClosed) {
    closeChooser(self, words);
    return;
  }
  Qz_Image* image = Qz_LockActiveImageA(kQzLockRead, nullptr);
  if (method == kPopUpChosen) {
    auto* layer = reinterpret_cast<Qz_Image*>(pickedId(asObject(words[0])));
    Qz_Image* owner = layer ? layer->parent : nullptr;
    Qz_UnlockImageA(image, kQzLockRead, nullptr);
    if (owner) Qz_DoMethod(&owner->object, kLayerChanged, layer);
    return;
  }
  Qz_Object* group = nullptr;
  if (image && image->activeLayer) {
    group = Qz_CreateObject("Group", kGroupSetMode, 2);
    int index = 0;
    for (Node* n = image->layers.lh_Head; group && n && n->ln_Succ; n = n->ln_Succ, ++index) {
      Qz_Image* layer = reinterpret_cast<Qz_ImageNode*>(n)->image;
      const char* kind = layer == image->activeLayer ? "Group" : "Button";
      Qz_DoMethod(group, kGroupAddTail, imageEntry(self, kind, layer, "Layer " + std::to_string(index + 1)));
    }
  }
  Qz_UnlockImageA(image, kQzLockRead, nullptr);
  fillSlot(words, group);
}

// The alpha (method 0x100230) and secondary (0x100226) choosers.
void attachedChooser(Qz_ImageControlObject* self, uint32_t attachMethod, uint32_t method, const QzWord* words) {
  if (method == kPopUpClosed) {
    closeChooser(self, words);
    return;
  }
  Qz_Image* image = Qz_LockActiveImageA(kQzLockRead, nullptr);
  Qz_Image* layer = image ? image->activeLayer : nullptr;
  if (!layer) {
    Qz_UnlockImageA(image, kQzLockRead, nullptr);
    if (method == kPopUpOpening) fillSlot(words, nullptr);
    return;
  }
  if (method == kPopUpChosen) {
    const QzWord picked = pickedId(asObject(words[0]));
    // The "none" entry carries the layer itself: it detaches.
    Qz_DoMethod(&layer->object, attachMethod, picked == qz::toWord(layer) ? 0 : picked);
    Qz_UnlockImageA(image, kQzLockRead, nullptr);
    return;
  }
  Qz_ImageBase* base = Qz_GetImageBase();
  Qz_Image* attached = attachMethod == kAlphaSet ? layer->firstSource : layer->secondSource;
  std::vector<Qz_Image*> others;
  ObtainSemaphore(&base->semaphore);
  for (Node* n = base->documents.lh_Head; n && n->ln_Succ; n = n->ln_Succ) {
    Qz_Image* other = reinterpret_cast<Qz_ImageNode*>(n)->image;
    if (other != attached && other != image && other != base->applicationImage) others.push_back(other);
  }
  ReleaseSemaphore(&base->semaphore);
  const int32_t count = int32_t(others.size()) + (attached ? 1 : 0);
  const int32_t screenWidth = base->screen ? int32_t(Qz_DoMethod(base->screen, kScreenGetWidth)) : 1024;
  const int32_t panelWidth = base->panelWindow ? int32_t(Qz_DoMethod(base->panelWindow, kWindowGetW)) : 0;
  // The room beside the panel window; a screen too narrow for one icon still gets one column.
  const int32_t columns = std::max(1, qz::app::popUpRowLength(count, screenWidth - 60 - panelWidth, kIconWidth));
  Qz_Object* group = count > 0 ? Qz_CreateObject("Group", kGroupSetMode, 1) : nullptr;
  Qz_Object* row = nullptr;
  int32_t position = 0;
  auto place = [&](Qz_Object* entry) {
    if (!entry) return;
    if (position == 0) {
      row = Qz_CreateObject("Group", kGroupSetMode, 2);
      Qz_DoMethod(group, kGroupAddTail, row);
    }
    Qz_DoMethod(row, kGroupAddTail, entry);
    position = (position + 1) % columns;
  };
  if (group && attached) {
    self->labels.push_back(std::string("\n  ") + text(kNoneText) + "  \n");
    place(Qz_CreateObject("Button", kRootSetUserData, layer, kFixWidth, kIconWidth - 2, kFixHeight, kIconHeight - 2,
                          kGroupAddTail, Qz_CreateObject("Text", kRootSetLabel, self->labels.back().c_str())));
  }
  int index = 0;
  for (Qz_Image* other : others)
    if (group) place(imageEntry(self, "Button", other, nameOf(other, index++)));
  Qz_UnlockImageA(image, kQzLockRead, nullptr);
  fillSlot(words, group);
}

void Qz__AlphaChooser(QzWord user, Qz_Object*, uint32_t method, const QzWord* words) {
  attachedChooser(reinterpret_cast<Qz_ImageControlObject*>(user), kAlphaSet, method, words);
}
void Qz__SecondaryChooser(QzWord user, Qz_Object*, uint32_t method, const QzWord* words) {
  attachedChooser(reinterpret_cast<Qz_ImageControlObject*>(user), kSecondarySet, method, words);
}

// A chooser's pop-up: its face (an icon, else a label) and an arrow.
Qz_Object* chooser(Qz_Object** icon, uint32_t tip) {
  Qz_Object* popUp = Qz_CreateObject("PopUp", kRootSetToolTip, text(tip));
  if (!popUp) return nullptr;
  *icon = hasIcons() ? Qz_CreateObject("ImageIcon") : Qz_CreateObject("Text", kRootSetLabel, text(tip));
  if (*icon) Qz_DoMethod(popUp, kGroupAddTail, *icon);
  return popUp;
}

// ---- states -------------------------------------------------------------------------------

void sendAll(std::initializer_list<Qz_Object*> objects, uint32_t method) {
  for (Qz_Object* o : objects)
    if (o) Qz_DoMethod(o, method);
}

void setLayerGadgets(Qz_ImageControlObject* self, bool enabled) {
  {
    std::lock_guard<std::mutex> lock(self->stateMutex);
    if (self->layerGadgetsDisabled != enabled) return;
    self->layerGadgetsDisabled = !enabled;
  }
  sendAll({self->layerChooser, self->layerMenu, self->alphaMenu, self->alphaChooser, self->secondaryMenu,
           self->secondaryChooser},
          enabled ? kRootEnable : kRootDisable);
  Qz_DoMethod(&self->header, kRootDraw);
}

void noImageState(Qz_ImageControlObject* self) {
  {
    std::lock_guard<std::mutex> lock(self->stateMutex);
    if (self->noImage) return;
    self->noImage = true;
  }
  sendAll({self->imageMenu, self->imageChooser}, kRootDisable);
  sendAll({self->imageMenu, self->imageChooser}, kRootDraw);
  qz::app::setNoImageMenus();
  setLayerGadgets(self, false);
}

void imageState(Qz_ImageControlObject* self) {
  {
    std::lock_guard<std::mutex> lock(self->stateMutex);
    if (!self->noImage) return;
    self->noImage = false;
  }
  sendAll({self->imageMenu, self->imageChooser}, kRootEnable);
  sendAll({self->imageMenu, self->imageChooser}, kRootDraw);
  qz::app::setImageMenus();
}

void Qz__ImageSelected(QzWord user, Qz_Object*, uint32_t, const QzWord*) {
  auto* self = reinterpret_cast<Qz_ImageControlObject*>(user);
  Qz_Image* image = Qz_LockActiveImageA(kQzLockRead, nullptr);
  if (Qz_GetObjectClassID(self->imageChooser) == kImagePopUpClassId)
    Qz_DoMethod(self->imageChooser, kImagePopUpSetImage, image);
  if (!image) {
    noImageState(self);
    return;
  }
  imageState(self);
  Qz_UnlockImageA(image, kQzLockRead, nullptr);
}

void Qz__LayerSelected(QzWord user, Qz_Object*, uint32_t, const QzWord*) {
  auto* self = reinterpret_cast<Qz_ImageControlObject*>(user);
  Qz_Image* image = Qz_LockActiveImageA(kQzLockRead, nullptr);
  if (!image) {
    for (Qz_Object* icon : {self->layerIcon, self->alphaIcon, self->secondaryIcon})
      if (icon && hasIcons()) Qz_DoMethod(icon, kIconSetImage, 0);
    setLayerGadgets(self, false);
    return;
  }
  Qz_Image* layer = image->activeLayer;
  if (layer) qz::app::relabelLayerItem(layer->visible != 0);
  if (Qz_Object* view = Qz_CurrentViewOf(image))
    qz::app::relabelViewItem(Qz_DoMethod(view, kQzViewWindowShown) != 0);
  if (hasIcons()) {
    Qz_DoMethod(self->layerIcon, kIconSetImage, layer);
    Qz_DoMethod(self->alphaIcon, kIconSetImage, layer ? layer->firstSource : nullptr);
    Qz_DoMethod(self->secondaryIcon, kIconSetImage, layer ? layer->secondSource : nullptr);
  }
  setLayerGadgets(self, true);
  Qz_UnlockImageA(image, kQzLockRead, nullptr);
}

// An alpha or secondary image was set: (layer, image) follow the notification.
void Qz__AttachedSet(QzWord user, Qz_Object*, uint32_t method, const QzWord* words) {
  auto* self = reinterpret_cast<Qz_ImageControlObject*>(user);
  Qz_Object* icon = method == kAlphaSet ? self->alphaIcon : self->secondaryIcon;
  if (icon && hasIcons() && words) Qz_DoMethod(icon, kIconSetImage, words[1]);
}

// ---- the screen's menu notification and the first draw ------------------------------------------

// The first draw of the program puts the menus in step with the images
// (none, at a start) and opens the command line's document.
void firstDraw(Qz_ImageControlObject* self) {
  if (!qz::app::firstPanelDraw()) return;
  {
    std::lock_guard<std::mutex> lock(self->stateMutex);
    self->noImage = false;  // so the switch below runs
  }
  Qz__ImageSelected(reinterpret_cast<QzWord>(self), nullptr, 0, nullptr);
  Qz__LayerSelected(reinterpret_cast<QzWord>(self), nullptr, 0, nullptr);
  const std::string document = qz::app::takePendingDocument();
  if (!document.empty()) qz::app::openDocumentLater(document);
}

// ---- the class ----------------------------------------------------------------------------

Qz_Object* Qz__MakePanel(Qz_Object* object) {
  Qz_ImageControlObject* self = Qz__Self(object);
  self->imageMenu = imageMenu();
  self->layerMenu = layerMenu();
  self->alphaMenu = attachedMenu(4, 108, 109, 110, 111);
  self->secondaryMenu = attachedMenu(6, 106, 104, 105, 107);
  // The image chooser is an ImagePopUp over the open images where the build has one.
  Qz_ImageBase* base = Qz_GetImageBase();
  self->imageChooser = Qz_FindClassFromName("ImagePopUp")
                           ? Qz_CreateObject("ImagePopUp", kImagePopUpSetSemaphore, &base->semaphore,
                                             kImagePopUpSetEnabled, 1, kRootSetToolTip, text(408))
                           : Qz_CreateObject("PopUp", kRootSetToolTip, text(408), kGroupAddTail,
                                             Qz_CreateObject("Text", kRootSetLabel, text(408)));
  self->layerChooser = chooser(&self->layerIcon, 409);
  self->alphaChooser = chooser(&self->alphaIcon, 410);
  self->secondaryChooser = chooser(&self->secondaryIcon, 411);
  Qz_Object* content = Qz_CreateObject("Group", kGroupSetMode, 1);
  if (content)
    addAll(content, {self->imageMenu, self->imageChooser, self->layerMenu, self->layerChooser, self->alphaMenu,
                     self->alphaChooser, self->secondaryMenu, self->secondaryChooser});
  return qz::plugins::makePanel({text(kTitleText), text(kTitleText), "Data/Images/Tabs/ImageControl256"}, content);
}

bool Qz__SetUp(Qz_Object* object) {
  Qz_ImageControlObject* self = Qz__Self(object);
  const QzWord me = reinterpret_cast<QzWord>(self);
  const std::pair<Qz_Object*, MenuSelector> menus[] = {{self->imageMenu, qz::app::kSelectImage},
                                                       {self->layerMenu, qz::app::kSelectLayer},
                                                       {self->alphaMenu, qz::app::kSelectAlpha},
                                                       {self->secondaryMenu, qz::app::kSelectSecondary}};
  for (const auto& [menu, selector] : menus)
    if (menu) Qz_AddCallBackNotify(menu, kPopUpChosen, kNotifyAnyValue, Qz__MenuPicked, selector);
  const bool imagePopUp = Qz_GetObjectClassID(self->imageChooser) == kImagePopUpClassId;
  if (imagePopUp) Qz_AddCallBackNotify(self->imageChooser, kImagePopUpChosen, kNotifyAnyValue, Qz__ImagePicked, me);
  const std::pair<Qz_Object*, Qz_NotifyCallBack> choosers[] = {{imagePopUp ? nullptr : self->imageChooser,
                                                                Qz__ImageChooser},
                                                               {self->layerChooser, Qz__LayerChooser},
                                                               {self->alphaChooser, Qz__AlphaChooser},
                                                               {self->secondaryChooser, Qz__SecondaryChooser}};
  for (const auto& [popUp, callback] : choosers) {
    if (!popUp) continue;
    for (uint32_t method : {kPopUpOpening, kPopUpChosen, kPopUpClosed})
      Qz_AddCallBackNotify(popUp, method, kNotifyAnyValue, callback, me);
  }
  if (Qz_Image* app = Qz_GetImageBase()->applicationImage) {
    Qz_Object* a = &app->object;
    self->appNotifies = {Qz_AddCallBackNotify(a, kQzAppMakeActiveImage, kNotifyAnyValue, Qz__ImageSelected, me),
                         Qz_AddCallBackNotify(a, kLayerChanged, kNotifyAnyValue, Qz__LayerSelected, me),
                         Qz_AddCallBackNotify(a, kSecondarySet, kNotifyAnyValue, Qz__AttachedSet, me),
                         Qz_AddCallBackNotify(a, kAlphaSet, kNotifyAnyValue, Qz__AttachedSet, me)};
  }
  for (const GlobalKey& k : kGlobalKeys)
    if (Qz_ShortcutKey* key = Qz_AddGlobalShortcutKey(k.code, k.qualifier, 0, object, 2, kMenuCommand, k.command))
      self->keys.push_back(key);
  qz::app::registerImageControlPanel(true);
  return true;
}

void Qz__TearDown(Qz_Object* object) {
  Qz_ImageControlObject* self = Qz__Self(object);
  for (Qz_ShortcutKey* key : self->keys) Qz_RemoveGlobalShortcutKey(key);
  self->keys.clear();
  if (Qz_Image* app = Qz_GetImageBase()->applicationImage)
    for (QzWord n : self->appNotifies) Qz_RemoveNotify(&app->object, n);
  self->appNotifies.clear();
  qz::app::registerImageControlPanel(false);
}

QzWord Qz__Dispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  qz::app::registerScreenMenuFunc();
  switch (id) {
    case kRootDraw: firstDraw(Qz__Self(object)); return qz::kit::inherited(object, id, args);
    case kAnswersStore: return 1;
    case kMenuCommand:
      qz::app::MenuFunc(qz::app::kSelectImage, object, kMenuCommand, args);
      return 0;
    default: return qz::kit::inherited(object, id, args);
  }
}

const qz::kit::ClassDecl kImageControlPlugin = {
    .name = "ImageControlPlugin", .superName = "RootPlugin", .classId = kImageControlClassId,
    .instance = qz::kit::instanceOf<Qz_ImageControlObject>(), .handler = Qz__Dispatch,
    .makeSuper = Qz__MakePanel, .setUp = Qz__SetUp, .tearDown = Qz__TearDown};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitImageControlPluginClass(Qz_GlobalData*) { return qz::kit::addClass(kImageControlPlugin); }
QZ_EXPORT void Qz_CleanupImageControlPluginClass(void) { qz::kit::removeClass(kImageControlPlugin); }
QZ_EXTERN_C_END
