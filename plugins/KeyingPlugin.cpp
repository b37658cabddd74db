// KeyingPlugin: a layout for keying a layer by colour or brightness. It is
// not among the panels the program offers, and nothing in it is wired to the
// image: choosing a key or pressing a button changes nothing.
#include "gadgets/qz_choice.h"
#include "gadgets/qz_colour_edit.h"
#include "gadgets/qz_group.h"
#include "gadgets/qz_popups.h"
#include "gadgets/qz_widgets.h"
#include "objects/qz_class_kit.h"
#include "objects/qz_linked_list.h"
#include "objects/qz_root.h"
#include "plugins/plugin_family.h"

namespace {

constexpr uint32_t kKeyingClassId = 0x3E80010;
// Catalogue texts.
constexpr uint32_t kToleranceText = 149, kSoftnessText = 150, kLevelText = 94, kInvertText = 214, kNoneText = 185;

Qz_Object* Qz__Slider(uint32_t label, const char* format) {
  Qz_Object* slider = nullptr;
  return qz::plugins::labelledSlider({.label = label, .format = format}, &slider);
}

Qz_Object* Qz__AddKeyPopUp() {
  Qz_Object* popUp = Qz_CreateObject("PopUp", kGroupSetMode, 2, kGroupSetFrame, 1);
  Qz_Object* menu = Qz_CreateObject("Group", kGroupSetMode, 1, kGroupSetFrame, 1);
  if (!popUp || !menu) {
    Qz_DisposeObject(popUp);
    Qz_DisposeObject(menu);
    return nullptr;
  }
  Qz_AddObject(popUp, "VectorImage", kVectorImageSetKind, kVectorImageDownArrow, kFixWidth, 12, kFixHeight, 10);
  Qz_AddObject(popUp, "Text", kRootSetLabel, "Add Key");
  Qz_AddObject(menu, "MenuItem", kMenuItemSetText, qz::plugins::catalogueText(kNoneText));
  for (const char* key : {"LumaKey", "ChromaKey", "RGBKey", "HSVKey", "Stencil"})
    Qz_AddObject(menu, "MenuItem", kMenuItemSetText, key);
  Qz_DoMethod(popUp, kPopUpChildrenInPopUp, 1);
  Qz_DoMethod(popUp, kLinkedListAddTail, menu);
  Qz_DoMethod(popUp, kPopUpChildrenInPopUp, 0);
  return popUp;
}

Qz_Object* Qz__MakePanel(Qz_Object*) {
  Qz_Object* column = Qz_CreateObject("Group", kGroupSetMode, 1);
  Qz_Object* keys = Qz_CreateObject("Group", kGroupSetMode, 1, kGroupSetFrame, 1);
  Qz_Object* parts[] = {Qz_CreateObject("Text", kRootSetLabel, "ChromaKey"),
                        Qz_CreateObject("ColourEdit", kColourEditHideViews, 1),
                        Qz__Slider(kToleranceText, "%ld%%"),
                        Qz__Slider(kSoftnessText, "%ld%%"),
                        Qz__Slider(kLevelText, "%ld"),
                        Qz_CreateObject("CheckBox", kRootSetLabel, qz::plugins::catalogueText(kInvertText))};
  Qz_Object* addKey = Qz__AddKeyPopUp();
  Qz_Object* remove = qz::plugins::textButton("Remove");
  Qz_Object* removeAll = qz::plugins::textButton("Remove All");
  bool made = column && keys && addKey && remove && removeAll;
  for (Qz_Object* part : parts) made = made && part;
  if (!made) {
    for (Qz_Object* o : {column, keys, addKey, remove, removeAll}) Qz_DisposeObject(o);
    for (Qz_Object* part : parts) Qz_DisposeObject(part);
    return nullptr;
  }
  for (Qz_Object* part : parts) Qz_DoMethod(keys, kGroupAddTail, part);
  for (Qz_Object* o : {keys, addKey, remove, removeAll}) Qz_DoMethod(column, kGroupAddTail, o);
  return qz::plugins::makePanel({"Keying", "Keying", nullptr}, column);
}

const qz::kit::ClassDecl kKeyingPlugin = {
    .name = "KeyingPlugin", .superName = "RootPlugin", .classId = kKeyingClassId,
    .instance = qz::kit::instanceOf<Qz_Object>(), .makeSuper = Qz__MakePanel};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitKeyingPluginClass(Qz_GlobalData*) { return qz::kit::addClass(kKeyingPlugin); }
QZ_EXPORT void Qz_CleanupKeyingPluginClass(void) { qz::kit::removeClass(kKeyingPlugin); }
QZ_EXTERN_C_END
