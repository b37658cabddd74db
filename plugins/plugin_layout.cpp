// The panel layout file and its built-in default.
#include "plugins/plugin_layout.h"

#include "gadgets/qz_group.h"
#include "gadgets/qz_window.h"
#include "image/qz_image.h"
#include "objects/object_services.h"
#include "objects/object_text.h"
#include "objects/qz_linked_list.h"
#include "plugins/qz_root_plugin.h"

namespace {

constexpr int32_t kPanelWindowWidth = 130;

// The pages of the default container in tab order, each with its panels
// from the top. Related panels share a page so that every tab fits on the
// screen; the zoom panel lives in the tool bar.
constexpr int kMostPanelsOnAPage = 4;
constexpr const char* kDefaultPages[][kMostPanelsOnAPage] = {
    {"ImageControlPlugin"},
    {"ToolOptionsPlugin"},
    {"ModeOptionsPlugin"},
    {"MediaPlugin"},
    {"ColourChooserPlugin", "PalettePlugin"},
    {"TransparencyPlugin", "ChannelsPlugin", "TransGradientPlugin", "VignettePlugin"},
    {"PreviewPlugin", "InspectionPlugin", "CoordsPlugin"},
    {"QZIOPlugin"},
};

Qz_Object* Qz__WindowOf(Qz_Object* object) {
  return object ? Qz_SearchHierachyForClassId(object, kWindowClassId) : nullptr;
}

// A layout is a root list whose first member is a container window.
bool Qz__IsLayout(Qz_Object* root) {
  auto* first = reinterpret_cast<Qz_Object*>(Qz_DoMethod(root, kLinkedListFirst));
  return first && Qz_GetObjectClassID(first) == kPluginContainerWindowClassId;
}

}  // namespace

QZ_EXTERN_C_BEGIN

QZ_EXPORT Qz_Object* Qz_DefaultPluginLayout(void) {
  Qz_Object* root = Qz_CreateObject("Group");
  Qz_Object* window = Qz_CreateObject("PluginContainerWindow");
  Qz_Object* container = Qz_CreateObject("PluginContainer");
  if (!root || !window || !container) {
    Qz_DisposeObject(root);
    Qz_DisposeObject(window);
    Qz_DisposeObject(container);
    return nullptr;
  }
  for (const auto& page : kDefaultPages) {
    Qz_Object* group = Qz_CreateObject("Group", kGroupSetMode, kPluginGroupVertical);
    if (!group) continue;
    for (const char* name : page) {
      // A panel class missing from this build is left out, and a page left empty goes.
      if (Qz_Object* panel = name ? Qz_CreateObject(name) : nullptr) Qz_DoMethod(group, kLinkedListAddTail, panel);
    }
    if (Qz_DoMethod(group, kLinkedListCount) == 0) {
      Qz_DisposeObject(group);
      continue;
    }
    Qz_DoMethod(container, kLinkedListAddTail, group);
  }
  Qz_DoMethod(window, kWindowSetW, kPanelWindowWidth);
  Qz_DoMethod(window, kLinkedListAddTail, container);
  Qz_DoMethod(root, kLinkedListAddTail, window);
  return root;
}

QZ_EXPORT Qz_Object* Qz_LoadPluginLayout(const char* path) {
  Qz_Object* root = path ? Qz_RestoreObjectFromDisk(path) : nullptr;
  if (root && Qz__IsLayout(root)) return root;
  Qz_DisposeObject(root);
  return Qz_DefaultPluginLayout();
}

QZ_EXPORT QzWord Qz_SavePluginLayoutTo(const char* path) {
  Qz_Object* root = Qz_GetImageBase()->panels;
  if (!root || !path) return 0;
  // The store writes a temporary file beside the old one and renames it over.
  return Qz_StoreObjectToDisk(root, path);
}

QZ_EXPORT QzWord Qz_SavePluginLayout(void) { return Qz_SavePluginLayoutTo(kPluginLayoutPath); }

QZ_EXPORT bool Qz_PluginHoldsOptions(Qz_Object* object) {
  Qz_Object* window = Qz__WindowOf(object);
  if (!window) return false;
  const Qz_ImageBase* base = Qz_GetImageBase();
  return window == Qz__WindowOf(base->panelGroups[0]) || window == Qz__WindowOf(base->modePanelGroup);
}

QZ_EXTERN_C_END
