#include "app/main_window.h"

#include <dlfcn.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <string>
#include <utility>

#include "app/main_menu.h"
#include "app/menu_commands.h"
#include "app/tip_window.h"
#include "gadgets/qz_window.h"
#include "image/app_commands.h"
#include "image/qz_image.h"
#include "objects/async_methods.h"
#include "objects/catalogue.h"
#include "objects/object_services.h"
#include "objects/object_text.h"
#include "objects/qz_notify.h"
#include "objects/qz_object.h"
#include "platform/exec.h"
#include "platform/menu_bar.h"
#include "platform/paths.h"
#include "platform/windows.h"
#include "plugins/plugin_layout.h"
#include "plugins/qz_root_plugin.h"
#include "requesters/qz_prefs.h"

namespace qz::app {

const char* const kDepthWarning =
    "Quillantrix needs at least a 16bit display depth in order to display images correctly.\n"
    "To change your display settings, click on the Start Bar, click on Settings, then click on Display.\n"
    "The display depth setting can be increased via the Colors slider on the Settings tab.";

namespace {

constexpr uint32_t kAppName = 0x7001E;
constexpr uint32_t kAppTitle = 0x70028;
constexpr uint32_t kAppText = 0x70032;
constexpr uint32_t kScreenTitle = 0x460028;
constexpr uint32_t kScreenPubName = 0x46003C;
constexpr uint32_t kScreenType = 0x4600F0;
constexpr uint32_t kScreenPlatform = 0x4601B8;
constexpr uint32_t kWindowKind = 0x900F0;
constexpr uint32_t kWindowClose = 0x90032;
constexpr uint32_t kWindowPlace = 0x9012C;
constexpr uint32_t kWindowY = 0x90154;
constexpr uint32_t kWindowDefaultWidth = 0x901A4;
constexpr uint32_t kHide = 0x1014A;
constexpr uint32_t kSelected = 0x100E6;
constexpr uint32_t kDeselected = 0x100F0;
constexpr uint32_t kPressed = 0x30028;
constexpr uint32_t kToggle = 0x30014;
constexpr uint32_t kSpaceWidth = 0x1012C;
constexpr uint32_t kSpaceFixed = 0xE0028;
constexpr uint32_t kAddChild = 0x47001E;
constexpr uint32_t kGroupMode = 0x201F4;
constexpr uint32_t kGroupHorizontal = 2;
constexpr uint32_t kFirstMember = 0x470050;
constexpr uint32_t kWindowSetW = 0x90168;
constexpr uint32_t kWindowSetBelow = 0x901FE;
constexpr uint32_t kToolTip = 0x1028A;
constexpr uint32_t kBitMapLoad = 0x8001E;
constexpr uint32_t kAsync = 0x101B8;
constexpr uint32_t kClearLayer = 0x1000C8;
constexpr uint32_t kFillLayer = 0x1000D2;

const char* const kTools[] = {"DrawTool",     "LineTool",     "CurveTool",        "RectangleTool",
                              "EllipseTool",  "PolygonTool",  "TextTool",         "FillTool",
                              "PositionTool", "MagnifyTool",  "MagnifyPlugin",    "ColourPickerTool",
                              "SymmetryTool", "CloneTool",    "CropTool"};

constexpr uint32_t kScreenMenuCommand = 0x4601CC;

Qz_Object* gMainWindow = nullptr;
bool gPrefsInTree = false;

std::mutex gShellMutex;
std::string gPendingDocument;
bool gPanelPresent = false;
std::atomic<bool> gPanelDrawn{false};
Qz_Object* gMenuScreen = nullptr;  // the screen MenuFunc listens on

const char* text(uint32_t n) { return Qz_CatalogString(n); }

Qz_Object* addSpace(Qz_Object* row) {
  return Qz_AddObject(row, "Space", kSpaceWidth, 4, kSpaceFixed, 1);
}

// A tool-bar button shows its picture through a BitMap child.
Qz_Object* addButton(Qz_Object* row, const char* picture, uint32_t tip, bool toggle = false) {
  Qz_Object* button = toggle ? Qz_AddObject(row, "Button", kToolTip, text(tip), kToggle, 1)
                             : Qz_AddObject(row, "Button", kToolTip, text(tip));
  if (button) Qz_AddObject(button, "BitMap", kBitMapLoad, picture);
  return button;
}

// The tool bar's New and AutoRedo buttons.
void toolBarEvent(QzWord userData, Qz_Object*, uint32_t method, const QzWord*) {
  Qz_ImageBase* base = Qz_GetImageBase();
  if (userData == 1) {
    base->autoRedo = method == kSelected ? 1 : 0;
    if (method != kSelected) return;
    ObtainSemaphore(&base->semaphore);
    Qz_Image* image = base->activeImage;
    const bool needsFixing = image && image->activeLayer && image->activeLayer->needsFixing != 0;
    ReleaseSemaphore(&base->semaphore);
    if (needsFixing) Qz_DoMethod(&image->object, kQzImageRerender);
  } else if (userData == 2) {
    using NewImageReq = QzWord (*)(Qz_Object*);
    if (auto fn = reinterpret_cast<NewImageReq>(dlsym(RTLD_DEFAULT, "Qz_DoNewImageReq"))) fn(nullptr);
  }
}

void buildToolBar(Qz_ImageBase& base, Qz_Object* window) {
  Qz_Object* row = Qz_AddObject(window, "Group", kGroupMode, kGroupHorizontal);
  if (!row) return;
  Qz_Object* newButton = addButton(row, "Data/Images/ToolBar/New", 293);
  Qz_Object* open = addButton(row, "Data/Images/ToolBar/Open", 294);
  addSpace(row);
  for (const char* tool : kTools) {
    Qz_Object* t = Qz_AddObject(row, tool);
    if (t && std::strcmp(tool, "DrawTool") == 0) Qz_DoMethod(t, kSelected, 1);
    // The zoom panel sits among the tools as its gadgets alone, at their width.
    if (t && std::strcmp(tool, "MagnifyPlugin") == 0) {
      Qz_DoMethod(t, kQzPluginHideTabBar, 1);
      Qz_DoMethod(t, kRootSetWeight, 0);
    }
  }
  addSpace(row);
  Qz_Object* fill = addButton(row, "Data/Images/ToolBar/FillLayer", 315);
  Qz_Object* clear = addButton(row, "Data/Images/ToolBar/ClearLayer", 316);
  addSpace(row);
  Qz_Object* fix = addButton(row, "Data/Images/ToolBar/Fix", 317);
  Qz_Object* autoRedo = addButton(row, "Data/Images/ToolBar/AutoRedo", 318, true);
  addSpace(row);
  // The undo/redo panel travels at the end of the paint-mode selector; the
  // tip of the day comes up with it.
  Qz_Object* undoPanel = Qz_CreateObject("UndoRedoPlugin");
  qz::app::tipOfTheDay();
  Qz_Object* modePanel = Qz_CreateObject("PaintModeSelectorPlugin");
  if (modePanel && undoPanel) {
    Qz_DoMethod(modePanel, kAddChild, undoPanel);
    undoPanel = nullptr;
  }
  Qz_DisposeObject(undoPanel);
  if (modePanel) Qz_DoMethod(row, kAddChild, modePanel);
  // Fixed-size buttons alone would cap the bar at their width; the filler
  // lets it take the screen's width. Weight 100 is one share of the spare
  // room, exactly what is left: a space's own weight would claim four shares
  // and push the row past the screen.
  Qz_AddObject(row, "Space", kRootSetWeight, 100);

  if (autoRedo) {
    Qz_AddCallBackNotify(autoRedo, kSelected, kNotifyAnyValue, toolBarEvent, 1);
    Qz_AddCallBackNotify(autoRedo, kDeselected, kNotifyAnyValue, toolBarEvent, 1);
  }
  if (newButton) Qz_AddCallBackNotify(newButton, kPressed, kNotifyAnyValue, toolBarEvent, 2);
  Qz_Object* appImage = base.applicationImage ? &base.applicationImage->object : nullptr;
  if (open && appImage) Qz_AddNotify(open, kDeselected, kNotifyAnyValue, appImage, 3, kAsync, kQzAppOpenFile, 0);
  if (fix) Qz_AddNotify(fix, kDeselected, kNotifyAnyValue, kNotifyTargetActiveImage, 1, kQzImageFix);
  if (clear) Qz_AddNotify(clear, kDeselected, kNotifyAnyValue, kNotifyTargetActiveImage, 2, kAsync, kClearLayer);
  if (fill) Qz_AddNotify(fill, kDeselected, kNotifyAnyValue, kNotifyTargetActiveImage, 2, kAsync, kFillLayer);
}

// Width rules and the depth warning, once the platform screen is known.
void fitToScreen(Qz_Object* screen, Qz_Object* window, Screen* opened, const BoxFn& box) {
  // The Screen object knows its platform screen only once it is open; until
  // then the one opened at start-up is the same display.
  auto* platform = reinterpret_cast<Screen*>(Qz_DoMethod(screen, kScreenPlatform));
  if (!platform) platform = opened;
  if (!platform) return;
  int32_t width = 0;
  Qz_GetScreenSize(platform, &width, nullptr);
  const ToolBarLayout layout = toolBarLayout(width);
  if (layout.hideGadgetRow) Qz_DoMethod(window, kHide, 1);
  Qz_DoMethod(window, kWindowDefaultWidth, static_cast<QzWord>(width));
  // The box is given as a tag list (pairs ending in 0).
  static const QzWord kTopTags[] = {kWindowY, 0, 0};
  Qz_DoMethod(window, kWindowPlace, kTopTags);
  if (displayTooShallow(Qz_GetDisplayDepth())) {
    if (box)
      box(text(229), kDepthWarning, 1);
    else
      Qz_MessageBoxA(text(229), kDepthWarning, 1, screen);
  }
}

}  // namespace

ToolBarLayout toolBarLayout(int32_t screenWidth) {
  return {screenWidth < 800, screenWidth > 820 ? screenWidth - 800 : 0};
}

bool displayTooShallow(uint32_t bitsPerPixel) { return bitsPerPixel < 15; }

MainWindowResult buildMainWindow(Qz_ImageBase& base, const BoxFn& box) {
  MainWindowResult out;
  // The screen is opened before anything is shown, so a missing display is
  // found at once and the width and depth are known for the layout.
  Screen* platform = OpenScreenTagList(nullptr, nullptr);
  if (!platform) {
    out.noDisplay = true;
    return out;
  }
  out.screenOpened = true;

  if (FILE* probe = Qz_FOpen("Data/Images/ToolBar/Magnify+", "rb")) {
    std::fclose(probe);
  } else if (box) {
    box(text(229), text(230), 8);
  } else {
    Qz_MessageBoxA(text(229), text(230), 8, nullptr);
  }

  Qz_Object* app = Qz_CreateObject("App", kAppName, "Quillantrix", kAppTitle, "Quillantrix 5.0", kAppText,
                                   text(227));
  if (!app) return out;
  out.app = app;
  base.application = app;
  Qz_Object* screen = Qz_AddObject(app, "Screen", kScreenTitle, text(288), kScreenPubName, "QUILLANTRIX",
                                   kScreenTitle, "Quillantrix", kScreenType, 2);
  base.screen = screen;
  if (!screen) return out;
  Qz_Object* window = Qz_AddObject(screen, "Window", kWindowKind, 16);
  base.mainWindow = window;
  gMainWindow = window;
  if (!window) return out;
  // The main window comes with its menu bar, the one for no image first.
  Qz_SetMainMenu(Qz__CreateMainMenuBar());
  buildToolBar(base, window);
  // Closing the main window asks the application image to quit, which asks
  // the user first; it runs on the image's thread, so the window's own
  // thread goes on drawing while the question waits.
  if (Qz_Image* appImage = base.applicationImage)
    Qz_AddNotify(window, kWindowClose, kNotifyAnyValue, &appImage->object, 2, kAsync, kQzAppQuit);

  // The panel layout the user left last time, or the default one.
  if (Qz_Object* panels = Qz_LoadPluginLayout(kPluginLayoutPath)) {
    base.panels = panels;
    Qz_DoMethod(screen, kAddChild, panels);
    auto* panelWindow = reinterpret_cast<Qz_Object*>(Qz_DoMethod(panels, kFirstMember));
    base.panelWindow = panelWindow;
    if (panelWindow) {
      Qz_DoMethod(panelWindow, kWindowSetW, 130);
      // Beside the image, under the tool bar.
      Qz_DoMethod(panelWindow, kWindowSetBelow, window);
    }
  }
  // Made once so their classes have settled defaults before the first use.
  for (const char* name : {"PointAction", "MediaSettingsAction", "ColourAction", "PaintMode"})
    Qz_DisposeObject(Qz_CreateObject(name));
  // The brush the image base names is loaded from its preset before any
  // document is opened, so every document paints with it.
  if (base.applicationImage) {
    const std::string media = base.currentMediaName;
    Qz_DoMethod(&base.applicationImage->object, kQzAppChooseMedia, media.c_str());
  }

  if (base.prefsObject) Qz_DoMethod(base.prefsObject, kPrefsApply);
  fitToScreen(screen, window, platform, box);
  if (base.prefsObject) {
    Qz_DoMethod(screen, kAddChild, base.prefsObject);
    // The screen opens every window it holds; the preferences wait for the menu.
    Qz_DoMethod(base.prefsObject, kWindowClose);
    gPrefsInTree = true;  // the screen's child now: it goes with the tree
  }
  return out;
}

bool openDocumentLater(const std::string& absolutePath) {
  Qz_Image* image = Qz_GetImageBase()->applicationImage;
  if (!image || absolutePath.empty()) return false;
  auto* copy = static_cast<char*>(AllocVec(absolutePath.size() + 1, 0));
  if (!copy) return false;
  std::memcpy(copy, absolutePath.c_str(), absolutePath.size() + 1);
  if (Qz_DoAsyncMethod(&image->object, kQzAppOpenFile, copy)) return true;
  FreeVec(copy);
  return false;
}

void closeMainWindow(Qz_ImageBase& base) {
  if (base.mainWindow) Qz_DoMethod(base.mainWindow, kWindowClose);
}

void disposeMainWindow(Qz_ImageBase& base, Qz_Object* app) {
  gMainWindow = nullptr;
  qz::app::forgetTipOfTheDay();
  destroyMainMenuBars();
  {
    std::lock_guard<std::mutex> lock(gShellMutex);
    gMenuScreen = nullptr;
  }
  gPanelDrawn = false;
  takePendingDocument();
  base.mainWindow = base.panelWindow = nullptr;
  base.panels = nullptr;
  base.screen = nullptr;
  base.currentMedia = nullptr;
  base.currentTool = nullptr;
  Qz_DisposeObject(app);
  base.application = nullptr;
  if (gPrefsInTree) base.prefsObject = nullptr;
  gPrefsInTree = false;
}

void setPendingDocument(const std::string& absolutePath) {
  {
    std::lock_guard<std::mutex> lock(gShellMutex);
    // Kept for the panel's first draw, unless that has happened already.
    if (!gPanelDrawn) {
      gPendingDocument = absolutePath;
      return;
    }
  }
  openDocumentLater(absolutePath);
}

std::string takePendingDocument() {
  std::lock_guard<std::mutex> lock(gShellMutex);
  return std::exchange(gPendingDocument, std::string());
}

void registerImageControlPanel(bool present) {
  std::lock_guard<std::mutex> lock(gShellMutex);
  gPanelPresent = present;
}

bool imageControlPanelPresent() {
  std::lock_guard<std::mutex> lock(gShellMutex);
  return gPanelPresent;
}

bool firstPanelDraw() {
  std::lock_guard<std::mutex> lock(gShellMutex);
  return gMainWindow && !gPanelDrawn.exchange(true);
}

void registerScreenMenuFunc() {
  Qz_Object* screen = Qz_GetImageBase()->screen;
  std::lock_guard<std::mutex> lock(gShellMutex);
  if (!screen || gMenuScreen == screen) return;
  if (Qz_AddCallBackNotify(screen, kScreenMenuCommand, kNotifyAnyValue, MenuFunc, kSelectImage)) gMenuScreen = screen;
}

bool hasMainWindow() { return gMainWindow != nullptr; }

Window* mainPlatformWindow() { return gMainWindow ? Qz__PlatformWindowOf(gMainWindow) : nullptr; }

// A pop-up's window is held in its owner window's list of child windows:
// the first Window object above it is the one it belongs to.
Window* mainWindowOwnerWindow(void* owner) {
  if (!owner) return nullptr;
  return Qz__PlatformWindowOf(Qz_SearchHierachyForClassId(static_cast<Qz_Object*>(owner), kWindowClassId));
}

}  // namespace qz::app
