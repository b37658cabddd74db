#include "app/startup.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "app/class_registration.h"
#include "app/main_window.h"
#include "gadgets/qz_text_entry.h"
#include "image/qz_image.h"
#include "objects/async_methods.h"
#include "objects/catalogue.h"
#include "objects/object_services.h"
#include "objects/object_text.h"
#include "objects/qz_object.h"
#include "platform/exec.h"
#include "platform/handover.h"
#include "platform/paths.h"
#include "platform/windows.h"
#include "qzio/qzio.h"
#include "qzio/qzio_ui.h"
#include "requesters/qz_prefs.h"
#include "requesters/qz_qzio_options.h"

namespace qz::app {
namespace {

constexpr uint32_t kScannerBlock = 0x131388;  // on the application image: a scanned picture
constexpr uint32_t kWindowGetKind = 0x900FA;
constexpr uint32_t kAppRun = 0x100A0;

const char* const kCatalogue = "Data\\Lingua\\Quillantrix.etf";

// Searched in this order when a class is asked for by name and not known.
const char* const kClassSearchPaths[] = {"Data/Modes/", "Data/Media/Classes/", "Data/Tools/",
                                         "Data/Tools/Actions/", "Data/Qz/", "Data/QZIO/"};
// Registered by start-up itself, around the central list.
const char* const kOwnClasses[] = {"ImageIcon", "ImagePopUp", "NewImageReq"};

void show(const StartupOptions& options, const char* title, const char* text, uint32_t kind) {
  if (options.messageBox)
    options.messageBox(title, text, kind);
  else
    Qz_MessageBoxA(title, text, kind, nullptr);
}

Qz_Object* applicationImage() {
  Qz_Image* image = Qz_GetImageBase()->applicationImage;
  return image ? &image->object : nullptr;
}

// The window layer's calls into the application. The path and block belong
// to the receiver once queued; when nothing takes them they are freed here.
uint32_t hookWindowKind(void* owner) {
  return static_cast<uint32_t>(Qz_DoMethod(static_cast<Qz_Object*>(owner), kWindowGetKind));
}
void hookOpenFile(char* path) {
  Qz_Object* target = applicationImage();
  if (!target || !Qz_DoAsyncMethod(target, kQzAppOpenFile, path)) FreeVec(path);
}
void hookSetCurrentFolder(const char* path) {
  Qz_ImageBase* base = Qz_GetImageBase();
  ObtainSemaphore(&base->semaphore);
  base->loadFolder = path ? path : "";
  ReleaseSemaphore(&base->semaphore);
}
void hookScannerBlock(void* block, size_t bytes) {
  Qz_Object* target = applicationImage();
  if (!target || !Qz_DoAsyncMethod(target, kScannerBlock, block, static_cast<QzWord>(bytes))) FreeVec(block);
}

void installWindowHooks() {
  QzWindowHooks hooks{};
  hooks.windowKind = hookWindowKind;
  hooks.ownerWindow = mainWindowOwnerWindow;
  hooks.mainWindow = mainPlatformWindow;
  hooks.openFile = hookOpenFile;
  hooks.setCurrentFolder = hookSetCurrentFolder;
  hooks.scannerBlock = hookScannerBlock;
  hooks.editLostFocus = Qz_StringEditFocusLost;
  Qz_SetWindowHooks(&hooks);
}

// The parts of the image base that need the catalogue, the classes and the
// image-file library; false after a "Serious Error" box.
bool completeImageBase(Session& s, const StartupOptions& options) {
  Qz_ImageBase* base = Qz_GetImageBase();
  for (const char* path : kClassSearchPaths) Qz_AddExternalClassSearchPath(path);

  if (!Qz__LoadCatalog(kCatalogue, "")) {
    show(options, "Serious Error", "Cant open language file Data\\Lingua\\Quillantrix.etf", 1);
    return false;
  }
  s.catalogue = true;
  uint32_t count = 0;
  base->catalogue = Qz__CatalogStrings(&count);
  qzio::UiHooks ui;
  ui.catalogString = Qz_CatalogString;
  ui.showRequester = Qz_ShowFormatOptions;
  qzio::SetUiHooks(&ui);

  QzInitAllClasses(base->globalData);
  s.classes = true;

  auto* io = QZIO_Init(base->globalData);
  if (!io) {
    show(options, "Serious Error", "Cant Initialise QZIO.library", 1);
    return false;
  }
  s.io = true;
  base->ioGlobalData = io;

  // A missing or unreadable preferences file is no error: the defaults hold.
  base->prefsObject = Qz_RestorePrefs(kPrefsFile);
  return true;
}

void removeClasses() {
  cleanupClasses(kOwnClasses);
  QzCleanupAllClasses(Qz_GetGlobalData());
}

}  // namespace

const char* const kUsageLine = "Usage: Quillantrix [FILE] | Quillantrix -decrypt FILE | Quillantrix --help";

std::string absolutePath(const std::string& path, const std::string& startFolder) {
  if (path.empty()) return path;
  std::filesystem::path p(path);
  if (p.is_relative()) p = std::filesystem::path(startFolder) / p;
  return p.lexically_normal().string();
}

std::string unquotedPath(const std::string& path) {
  // Only a matching pair around the whole path is quoting; anything else is the name.
  if (path.size() >= 2 && (path.front() == '"' || path.front() == '\'') && path.back() == path.front())
    return path.substr(1, path.size() - 2);
  return path;
}

CommandLine parseCommandLine(const std::vector<std::string>& args, const std::string& startFolder) {
  CommandLine out;
  bool help = false;
  std::string decrypt, document;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "-decrypt") {
      if (i + 1 >= args.size() || args[i + 1].empty()) {
        out.mode = CommandLine::Mode::Usage;
        out.problem = "-decrypt needs the path of the file to decrypt";
        return out;
      }
      if (decrypt.empty()) decrypt = args[i + 1];
      ++i;
    } else if (arg == "--help" || arg == "-h") {
      help = true;
    } else if (!arg.empty() && arg[0] == '-') {
      out.mode = CommandLine::Mode::Usage;
      out.problem = "unknown option " + arg;
      return out;
    } else if (document.empty()) {
      document = unquotedPath(arg);
    }
  }
  if (help) {
    out.mode = CommandLine::Mode::Help;
  } else if (!decrypt.empty()) {
    out.mode = CommandLine::Mode::Decrypt;
    out.path = absolutePath(decrypt, startFolder);
  } else {
    out.path = absolutePath(document, startFolder);
  }
  return out;
}

Session startUp(const StartupOptions& options) {
  Session s;
  auto fail = [&]() {
    shutDown(s);
    s.exitCode = kExitFailure;
    return s;
  };

  Qz_GlobalData* global = Qz_Init();
  if (!global) {
    std::fprintf(stderr, "Quillantrix: the object system could not be started.\n");
    return fail();
  }
  s.objectSystem = true;
  global->toolTips = 1;

  Qz_ImageBase* base = Qz_InitImageBase();
  if (!base) {
    std::fprintf(stderr, "Quillantrix: the image base could not be made.\n");
    return fail();
  }
  s.imageBase = true;
  if (!completeImageBase(s, options)) return fail();

  initClasses(kOwnClasses, global);
  base->autoRedo = 0;
  installWindowHooks();

  if (!options.buildWindow) return s;
  MainWindowResult window = buildMainWindow(*base, options.messageBox);
  s.screenOpened = window.screenOpened;
  if (window.noDisplay) {
    std::fprintf(stderr, "Quillantrix needs a display: start it on an X desktop (or set DISPLAY).\n");
    return fail();
  }
  s.app = window.app;

  s.listening = Qz_HandoverListen(qz::stateRoot().c_str()) != 0;
  return s;
}

void run(Session& s) {
  if (s.app) Qz_DoMethod(s.app, kAppRun);
  else if (s.exitCode == kExitOk && s.objectSystem)
    std::fprintf(stderr, "Quillantrix: this build has no main window to run.\n");
}

void shutDown(Session& s) {
  Qz_ImageBase* base = Qz_GetImageBase();
  // A second start must not hand its file to an instance on its way out.
  if (s.listening) Qz_HandoverStop();
  s.listening = false;

  if (s.imageBase) {
    if (Qz_Object* prefs = base->prefsObject) {
      Qz_DoMethod(prefs, kPrefsRefresh);
      Qz_DoMethod(prefs, kPrefsStore);
    }
    closeMainWindow(*base);
    // Each document is taken from the list under the semaphore and disposed
    // outside it: disposal waits for the image's thread, which may itself
    // need the semaphore.
    for (;;) {
      ObtainSemaphore(&base->semaphore);
      Qz_Image* first = first_image(base);
      ReleaseSemaphore(&base->semaphore);
      if (!first) break;
      Qz_DisposeObject(&first->object);
    }
    disposeMainWindow(*base, s.app);
    s.app = nullptr;
    // The preferences object belongs to the screen once the window is built;
    // otherwise it is still ours.
    Qz_DisposeObject(base->prefsObject);
    base->prefsObject = nullptr;
    if (base->applicationImage) {
      Qz_DisposeObject(&base->applicationImage->object);
      base->applicationImage = nullptr;
    }
    Qz_DisposeObject(base->mediaList);
    base->mediaList = nullptr;
    Qz_SetWindowHooks(nullptr);
    if (s.io) QZIO_Cleanup();
    s.io = false;
    base->ioGlobalData = nullptr;
    base->catalogue = nullptr;
    Qz_CleanupImageBase();
    s.imageBase = false;
  }
  if (s.screenOpened) cleanup_graphics();
  s.screenOpened = false;
  if (s.classes || s.objectSystem) removeClasses();
  s.classes = false;
  if (s.catalogue) {
    qzio::SetUiHooks(nullptr);
    Qz__FreeCatalog();
  }
  s.catalogue = false;
  if (s.objectSystem) Qz_CleanUp();
  s.objectSystem = false;
}

}  // namespace qz::app
