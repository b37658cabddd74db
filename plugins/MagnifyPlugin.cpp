// MagnifyPlugin: the active image's zoom: buttons to zoom in and out, a field
// for the percentage and a pop-up of preset zooms and "fit". The field
// follows zoom changes made elsewhere without sending them back.
#include <cstdio>

#include "gadgets/qz_group.h"
#include "gadgets/qz_popups.h"
#include "gadgets/qz_text_entry.h"
#include "gadgets/qz_widgets.h"
#include "image/image_shell.h"
#include "image/qz_image.h"
#include "objects/qz_class_kit.h"
#include "objects/qz_linked_list.h"
#include "objects/qz_notify.h"
#include "objects/qz_root.h"
#include "plugins/plugin_family.h"
#include "plugins/view_panel_maths.h"

namespace {

constexpr uint32_t kMagnifyClassId = 0x3E8000E;
// Catalogue texts.
constexpr uint32_t kTitleText = 287, kZoomInTip = 307, kZoomOutTip = 308, kFieldTip = 309, kPresetsTip = 310,
                   kFitText = 284;
constexpr int32_t kButtonFrame = 19;
// User data of the gadgets.
constexpr QzWord kZoomIn = 1, kZoomOut = 2, kField = 3;
constexpr QzWord kFit = 0;
struct Preset {
  uint32_t zoom;
  const char* label;  // kept by the menu item: it must outlive it
};
constexpr Preset kPresets[] = {{800, "800%"}, {400, "400%"}, {200, "200%"}, {100, "100%"},
                               {75, "75%"},   {50, "50%"},   {25, "25%"},   {10, "10%"}};
// The panel's own, run on its window's thread: show a zoom (0: the active
// view's own).
constexpr uint32_t kShowZoom = 0x3E80719;

struct Qz_MagnifyObject {
  Qz_Object header{};
  Qz_Object* field = nullptr;
  Qz_Object* popUp = nullptr;
  Qz_Object* buttons[2] = {};
  QzWord follow[2] = {};
};

Qz_MagnifyObject* Qz__Self(Qz_Object* o) { return qz::kit::self<Qz_MagnifyObject>(o); }
Qz_MagnifyObject* Qz__FromUser(QzWord user) { return reinterpret_cast<Qz_MagnifyObject*>(user); }

// The active image's view, asked on its window's thread.
void Qz__AskView(uint32_t method, QzWord value) {
  Qz_Image* image = qz::plugins::activeImage();
  Qz_Object* view = image ? Qz_CurrentViewOf(image) : nullptr;
  if (view) Qz_DoMethod(view, kRootAsyncCall, method, value, 0u);
}

uint32_t Qz__CurrentZoom() {
  Qz_Image* image = qz::plugins::activeImage();
  Qz_Object* view = image ? Qz_CurrentViewOf(image) : nullptr;
  return view ? uint32_t(Qz_DoMethod(view, kQzViewGetZoom)) : 0;
}

void Qz__Pressed(QzWord, Qz_Object* source, uint32_t, const QzWord*) {
  Qz__AskView(Qz_DoMethod(source, kRootGetUserData) == kZoomIn ? kQzViewZoomIn : kQzViewZoomOut, 0);
}

void Qz__Entered(QzWord, Qz_Object*, uint32_t, const QzWord* value) {
  if (qz::plugins::FollowGuard::active()) return;
  const int32_t zoom = qz::plugins::magnifierZoom(int32_t(value[0]));
  if (uint32_t(zoom) != Qz__CurrentZoom()) Qz__AskView(kQzViewZoom, uint32_t(zoom));
}

void Qz__Chosen(QzWord user, Qz_Object*, uint32_t, const QzWord* value) {
  auto* item = reinterpret_cast<Qz_Object*>(value[0]);
  if (!item) return;
  const QzWord zoom = Qz_DoMethod(item, kRootGetUserData);
  if (zoom == kFit) return Qz__AskView(kQzViewFit, 0);
  Qz_DoMethod(Qz__FromUser(user)->field, kStringEditSetNumber, uint32_t(zoom));
}

// A document view announces its zoom, fits included.
void Qz__ZoomChanged(QzWord user, Qz_Object*, uint32_t, const QzWord* value) {
  qz::plugins::runOnPanelThread(&Qz__FromUser(user)->header, kShowZoom, value[0], 0);
}

void Qz__ImageChanged(QzWord user, Qz_Object*, uint32_t, const QzWord*) {
  qz::plugins::runOnPanelThread(&Qz__FromUser(user)->header, kShowZoom, 0, 0);
}

void Qz__ShowZoom(Qz_MagnifyObject* p, uint32_t announced) {
  const uint32_t zoom = announced ? announced : Qz__CurrentZoom();
  if (!zoom) return;
  qz::plugins::FollowGuard following;
  Qz_DoMethod(p->field, kStringEditSetNumber, zoom);
}

Qz_Object* Qz__MakeMenu() {
  Qz_Object* list = Qz_CreateObject("Group", kGroupSetMode, kPluginGroupVertical, kGroupSetFrame, 1);
  if (!list) return nullptr;
  Qz_AddObject(list, "MenuItem", kRootSetUserData, QzWord(100), kMenuItemSetText, "100%");
  Qz_AddObject(list, "MenuItem", kRootSetUserData, kFit, kMenuItemSetText, qz::plugins::catalogueText(kFitText));
  Qz_AddObject(list, "Space", kSpaceSetEtched, 1, kSpaceSetSize, 4);
  for (const Preset& preset : kPresets)
    Qz_AddObject(list, "MenuItem", kRootSetUserData, QzWord(preset.zoom), kMenuItemSetText, preset.label);
  return list;
}

Qz_Object* Qz__MakePanel(Qz_Object* object) {
  Qz_MagnifyObject* p = Qz__Self(object);
  using qz::plugins::catalogueText;
  Qz_Object* row = Qz_CreateObject("Group", kGroupSetMode, 2);
  const char* pictures[] = {"Data/Images/ToolBar/Magnify+", "Data/Images/ToolBar/Magnify-"};
  const uint32_t tips[] = {kZoomInTip, kZoomOutTip};
  for (int i = 0; i < 2; ++i) {
    p->buttons[i] = Qz_CreateObject("Button", kGroupSetFrame, kButtonFrame, kRootSetUserData, QzWord(i + 1),
                                    kRootSetToolTip, catalogueText(tips[i]));
    if (p->buttons[i]) Qz_AddObject(p->buttons[i], "BitMap", kBitMapLoad, pictures[i]);
  }
  p->field = Qz_CreateObject("StringEdit", kRootSetUserData, kField, kRootSetToolTip, catalogueText(kFieldTip),
                             kStringEditSetNumeric, 1, kStringEditSetMaxLength, 5, kStringEditSetNumber, 100u);
  p->popUp = Qz_CreateObject("PopUp", kRootSetToolTip, catalogueText(kPresetsTip), kRootSetWeight, 0);
  Qz_Object* menu = Qz__MakeMenu();
  if (!row || !p->buttons[0] || !p->buttons[1] || !p->field || !p->popUp || !menu) {
    for (Qz_Object* o : {row, p->buttons[0], p->buttons[1], p->field, p->popUp, menu}) Qz_DisposeObject(o);
    p->field = p->popUp = p->buttons[0] = p->buttons[1] = nullptr;
    return nullptr;
  }
  Qz_AddObject(p->popUp, "Text", kRootSetLabel, "%");
  Qz_DoMethod(p->popUp, kPopUpChildrenInPopUp, 1);
  Qz_DoMethod(p->popUp, kLinkedListAddTail, menu);
  Qz_DoMethod(p->popUp, kPopUpChildrenInPopUp, 0);
  for (Qz_Object* o : {p->buttons[0], p->buttons[1], p->field, p->popUp}) Qz_DoMethod(row, kGroupAddTail, o);
  const char* title = catalogueText(kTitleText);
  return qz::plugins::makePanel({title, title, nullptr}, row);
}

bool Qz__SetUp(Qz_Object* object) {
  Qz_MagnifyObject* p = Qz__Self(object);
  const QzWord user = reinterpret_cast<QzWord>(p);
  for (Qz_Object* button : p->buttons) Qz_AddCallBackNotify(button, kButtonPressed, kNotifyAnyValue, Qz__Pressed, user);
  Qz_AddCallBackNotify(p->field, kStringEditSetNumber, kNotifyAnyValue, Qz__Entered, user);
  Qz_AddCallBackNotify(p->popUp, kPopUpChosen, kNotifyAnyValue, Qz__Chosen, user);
  p->follow[0] = qz::plugins::followApplication(kQzAppMakeActiveImage, Qz__ImageChanged, user);
  p->follow[1] = qz::plugins::followApplication(kQzViewZoom, Qz__ZoomChanged, user);
  Qz__ShowZoom(p, 0);
  return true;
}

void Qz__TearDown(Qz_Object* object) {
  for (QzWord& handle : Qz__Self(object)->follow) qz::plugins::stopFollowing(handle);
}

QzWord Qz__Dispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  switch (id) {
    case kRootStoreChildren: return 1;
    case kShowZoom: Qz__ShowZoom(Qz__Self(object), uint32_t(args[0])); return 0;
    case kRootMeasure:
      qz::plugins::hideTabBarInRow(object);  // it sits in the tool bar
      return qz::kit::inherited(object, id, args);
    default: return qz::kit::inherited(object, id, args);
  }
}

const qz::kit::ClassDecl kMagnifyPlugin = {
    .name = "MagnifyPlugin", .superName = "RootPlugin", .classId = kMagnifyClassId,
    .instance = qz::kit::instanceOf<Qz_MagnifyObject>(), .handler = Qz__Dispatch,
    .makeSuper = Qz__MakePanel, .setUp = Qz__SetUp, .tearDown = Qz__TearDown};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitMagnifyPluginClass(Qz_GlobalData*) { return qz::kit::addClass(kMagnifyPlugin); }
QZ_EXPORT void Qz_CleanupMagnifyPluginClass(void) { qz::kit::removeClass(kMagnifyPlugin); }
QZ_EXTERN_C_END
