// TexturePlugin: the media panel's layout for textures: a pop-up of the
// textures and three sliders. It is not among the panels the program offers
// and is wired to nothing: its gadgets change nothing.
#include "gadgets/qz_group.h"
#include "gadgets/qz_popups.h"
#include "gadgets/qz_widgets.h"
#include "objects/object_text.h"
#include "objects/qz_class_kit.h"
#include "objects/qz_linked_list.h"
#include "objects/qz_root.h"
#include "plugins/plugin_family.h"

namespace {

constexpr uint32_t kTextureClassId = 0x3E80012;
constexpr const char* kTextureListFile = "Data/Texture/List.QzStr";
constexpr int32_t kFaceSide = 48;
// Catalogue texts.
constexpr uint32_t kStrengthText = 42, kSizeText = 41, kTransparencyText = 43;

Qz_Object* Qz__MakePanel(Qz_Object*) {
  using qz::plugins::labelledSlider;
  Qz_Object* column = Qz_CreateObject("Group", kGroupSetMode, 1);
  Qz_Object* popUp = Qz_CreateObject("PopUp", kRootSetUserData, QzWord(0), kPopUpSetPlacement, 2);
  Qz_Object* sliders[3] = {};
  Qz_Object* rows[] = {
      labelledSlider({kStrengthText, 0, 1, 255, 10, "%ld", true}, &sliders[0]),
      labelledSlider({kSizeText, 0, 1, 250, 100, "%ld", false}, &sliders[1]),
      labelledSlider({kTransparencyText, 0, 0, 100, 0, "%ld%%", true}, &sliders[2])};
  bool made = column && popUp;
  for (Qz_Object* row : rows) made = made && row;
  if (!made) {
    Qz_DisposeObject(column);
    Qz_DisposeObject(popUp);
    for (Qz_Object* row : rows) Qz_DisposeObject(row);
    return nullptr;
  }
  Qz_AddObject(popUp, "BitMap", kFixWidth, kFaceSide, kFixHeight, kFaceSide);
  if (Qz_Object* menu = Qz_RestoreObjectFromDisk(kTextureListFile)) {
    Qz_DoMethod(popUp, kPopUpChildrenInPopUp, 1);
    Qz_DoMethod(popUp, kLinkedListAddTail, menu);
    Qz_DoMethod(popUp, kPopUpChildrenInPopUp, 0);
  }
  Qz_DoMethod(column, kGroupAddTail, popUp);
  Qz_AddObject(column, "Space", kSpaceSetSize, 2);
  for (Qz_Object* row : rows) Qz_DoMethod(column, kGroupAddTail, row);
  return qz::plugins::makePanel({"", "", nullptr}, column);
}

const qz::kit::ClassDecl kTexturePlugin = {
    .name = "TexturePlugin", .superName = "RootPlugin", .classId = kTextureClassId,
    .instance = qz::kit::instanceOf<Qz_Object>(), .makeSuper = Qz__MakePanel};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitTexturePluginClass(Qz_GlobalData*) { return qz::kit::addClass(kTexturePlugin); }
QZ_EXPORT void Qz_CleanupTexturePluginClass(void) { qz::kit::removeClass(kTexturePlugin); }
QZ_EXTERN_C_END
