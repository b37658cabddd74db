// The panel layout file and its built-in default.
#include "plugins/plugin_layout.h"

#include <cstring>
#include <vector>

#include "gadgets/qz_group.h"
#include "gadgets/qz_window.h"
#include "image/qz_image.h"
#include "modes/qz_root_mode.h"
#include "objects/async_methods.h"
#include "objects/object_services.h"
#include "objects/object_text.h"
#include "objects/qz_linked_list.h"
#include "objects/qz_notify.h"
#include "plugins/qz_root_plugin.h"
#include "tools/qz_root_tool.h"

namespace {

constexpr int32_t kPanelWindowWidth = 130;
// Far deeper than window, container, pages, page and panel ever nest.
constexpr int kDeepestPanelNesting = 32;

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

// The window the object is in, or the object itself when it is a window
// (the search looks only above the object, and a window's close passes itself).
Qz_Object* Qz__WindowOf(Qz_Object* object) {
  if (!object) return nullptr;
  Qz_Object* outer = Qz_GetTopMostObject(object);
  for (Qz_Object* instance = outer; instance; instance = instance->super)
    if (instance->objectClass && instance->objectClass->classId == kWindowClassId) return outer;
  return Qz_SearchHierachyForClassId(object, kWindowClassId);
}

// The group whose members a walk down the tree visits: a container hands
// list calls to its shown page, so its own group stands in for it, with
// every page.
Qz_Object* Qz__WalkedGroup(Qz_Object* object) {
  return Qz_GetObjectClassID(object) == kPluginContainerClassId && object->super ? object->super : object;
}

Qz_Object* Qz__FirstMember(Qz_Object* group) { return reinterpret_cast<Qz_Object*>(Qz_DoMethod(group, kGroupFirst)); }
Qz_Object* Qz__NextMember(Qz_Object* group, Qz_Object* member) {
  return reinterpret_cast<Qz_Object*>(Qz_DoMethod(group, kGroupNext, member));
}

// True when the object or one of its members, at any depth, is of that class.
bool Qz__Holds(Qz_Object* object, const char* className, int depth) {
  if (!object || depth > kDeepestPanelNesting) return false;
  if (object->objectClass && std::strcmp(object->objectClass->name, className) == 0) return true;
  Qz_Object* group = Qz__WalkedGroup(object);
  for (Qz_Object* m = Qz__FirstMember(group); m; m = Qz__NextMember(group, m))
    if (Qz__Holds(m, className, depth + 1)) return true;
  return false;
}

// The first object of that class id in the tree, depth first.
Qz_Object* Qz__FirstOfClass(Qz_Object* object, uint32_t classId, int depth) {
  if (!object || depth > kDeepestPanelNesting) return nullptr;
  if (Qz_GetObjectClassID(object) == classId) return object;
  Qz_Object* group = Qz__WalkedGroup(object);
  for (Qz_Object* m = Qz__FirstMember(group); m; m = Qz__NextMember(group, m))
    if (Qz_Object* found = Qz__FirstOfClass(m, classId, depth + 1)) return found;
  return nullptr;
}

// A panel is built on RootPlugin: the containers share its range of class ids.
bool Qz__IsPanel(Qz_Object* object) {
  for (Qz_Object* instance = object; instance; instance = instance->super)
    if (instance->objectClass && instance->objectClass->classId == kRootPluginClassId) return true;
  return false;
}

// The panels of the tree, outermost first; a panel's own gadgets are not searched.
void Qz__CollectPanels(Qz_Object* object, std::vector<Qz_Object*>& panels, int depth) {
  if (!object || depth > kDeepestPanelNesting) return;
  if (Qz__IsPanel(object)) {
    panels.push_back(object);
    return;
  }
  Qz_Object* group = Qz__WalkedGroup(object);
  for (Qz_Object* m = Qz__FirstMember(group); m; m = Qz__NextMember(group, m)) Qz__CollectPanels(m, panels, depth + 1);
}

// A layout is a root list whose first member is a container window.
bool Qz__IsLayout(Qz_Object* root) {
  auto* first = reinterpret_cast<Qz_Object*>(Qz_DoMethod(root, kLinkedListFirst));
  return first && Qz_GetObjectClassID(first) == kPluginContainerWindowClassId;
}

// The active tool's and the active layer's options panels move into the
// options groups of a restored layout (before its windows open, so no
// window thread lays them out meanwhile): those of the old one go with it.
void Qz__ShowOptionsAgain(Qz_ImageBase* base, Qz_Image* layer) {
  if (Qz_Object* tool = base->currentTool) {
    Qz_DoMethod(tool, kToolHideOptionsPanel);
    Qz_DoMethod(tool, kToolShowOptionsPanel);
  }
  if (!layer) return;
  // The chosen mode, until the layer is fixed, is the one showing its panel.
  Qz_Object* mode = layer->chosenMode ? layer->chosenMode : layer->mode;
  if (mode) Qz_DoMethod(mode, kQzModeActiveImageChanged, layer);
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

QZ_EXPORT QzWord Qz_RestorePluginLayoutFrom(const char* path) {
  Qz_Object* restored = path ? Qz_RestoreObjectFromDisk(path) : nullptr;
  if (!restored || !Qz__IsLayout(restored)) {
    Qz_DisposeObject(restored);
    return 0;
  }
  Qz_ImageBase* base = Qz_GetImageBase();
  Qz_Object* old = base->panels;
  Qz_Object* screen = base->screen;
  if (old && screen) Qz_DoMethod(screen, kLinkedListRemove, old);
  base->panels = restored;
  auto* panelWindow = reinterpret_cast<Qz_Object*>(Qz_DoMethod(restored, kLinkedListFirst));
  base->panelWindow = panelWindow;
  Qz_DoMethod(panelWindow, kWindowSetW, kPanelWindowWidth);
  if (base->mainWindow) Qz_DoMethod(panelWindow, kWindowSetBelow, base->mainWindow);
  ObtainSemaphore(&base->semaphore);
  Qz_Image* active = base->activeImage;
  Qz_Image* layer = active ? active->paintLayer : nullptr;
  ReleaseSemaphore(&base->semaphore);
  Qz__ShowOptionsAgain(base, layer);
  if (screen) {
    Qz_DoMethod(screen, kLinkedListAddTail, restored);
    Qz_DoMethod(restored, kRootOpen);
  }
  Qz_AnnounceActiveImageToPanels();
  // This may run on the thread of one of the old windows (its container's
  // menu): they close once that thread is back in its event loop.
  if (old) Qz_AsyncDisposeObject(old);
  return 1;
}

QZ_EXPORT void Qz_AnnounceActiveImageToPanels(void) {
  Qz_ImageBase* base = Qz_GetImageBase();
  Qz_Image* app = base->applicationImage;
  if (!app) return;
  ObtainSemaphore(&base->semaphore);
  Qz_Image* active = base->activeImage;
  Qz_Image* layer = active ? active->paintLayer : nullptr;
  ReleaseSemaphore(&base->semaphore);
  if (!active) return;
  Qz_DoNotify(&app->object, kQzAppMakeActiveImage, active);
  Qz_DoNotify(&app->object, kQzImageMakeActive, layer);
}

QZ_EXPORT QzWord Qz_RestorePluginLayout(void) { return Qz_RestorePluginLayoutFrom(kPluginLayoutPath); }

QZ_EXPORT bool Qz_PluginHoldsOptions(Qz_Object* object) {
  Qz_Object* window = Qz__WindowOf(object);
  if (!window) return false;
  const Qz_ImageBase* base = Qz_GetImageBase();
  if (window == Qz__WindowOf(base->panelGroups[0]) || window == Qz__WindowOf(base->modePanelGroup)) return true;
  // Closing the image-control panel would take the global shortcut keys with it.
  return Qz__Holds(window, "ImageControlPlugin", 0);
}

QZ_EXPORT int32_t Qz_PluginCount(Qz_Object* object) {
  std::vector<Qz_Object*> panels;
  Qz__CollectPanels(object, panels, 0);
  return int32_t(panels.size());
}

QZ_EXPORT Qz_Object* Qz_MainPanelContainer(void) {
  return Qz__FirstOfClass(Qz_GetImageBase()->panelWindow, kPluginContainerClassId, 0);
}

QZ_EXPORT bool Qz_DockPanelsOf(Qz_Object* window) {
  Qz_Object* column = Qz_MainPanelContainer();
  if (!window || !column || window == Qz_GetImageBase()->panelWindow) return false;
  // Listed first: each panel leaves the tree as it docks.
  std::vector<Qz_Object*> panels;
  Qz__CollectPanels(window, panels, 0);
  for (Qz_Object* panel : panels) Qz_DoMethod(panel, kQzPluginDock);
  return true;
}

QZ_EXTERN_C_END
