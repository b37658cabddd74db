// BatchProcess: the "Batch Convert" window. Holds the list of files (one
// ListTreeItem per file, named with its full path), the output folder field
// and a QZIOOptions group; run shows it modally and, after Convert, loads
// and saves every file on the caller's thread. Answers the ids of
// qz_batch_process.h; the rest goes to its Window.
#include "requesters/qz_batch_process.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <deque>
#include <filesystem>
#include <string>
#include <vector>

#include "gadgets/qz_file_requester.h"
#include "gadgets/qz_group.h"
#include "gadgets/qz_list_tree.h"
#include "gadgets/qz_text_entry.h"
#include "gadgets/qz_widgets.h"
#include "gadgets/qz_window.h"
#include "image/progress_display.h"
#include "image/qz_image.h"
#include "objects/catalogue.h"
#include "objects/object_services.h"
#include "objects/qz_class_kit.h"
#include "objects/qz_notify.h"
#include "objects/requester.h"
#include "platform/exec.h"
#include "requesters/batch_conversion.h"
#include "requesters/qz_qzio_options.h"
#include "requesters/window_building.h"

namespace {

using qz::requesters::addMember;
using qz::requesters::labelledButton;

constexpr uint32_t kCatAddFiles = 375, kCatRemove = 376, kCatClear = 377, kCatConvert = 19, kCatCancel = 20;
constexpr QzWord kReturnKey = 13, kEscapeKey = 27;
constexpr int kWindowWaitTicks = 250;  // 5 seconds of 20 ms
constexpr const char* kTitle = "Batch Convert";
constexpr const char* kDefaultFormat = "Quillantrix";  // what a new picture is saved as
constexpr const char* kHelpText =
    "Press Add Files to select the files you wish to convert.\n"
    "Tip: Use the shift and control keys to select multiple files at once.";

constexpr uint32_t kCatLoadTitle = 25;
constexpr const char* kFolderTitle = "Select Output Directory";

// A text copied into a requester buffer; one that does not fit starts empty.
void Qz__Fill(char (&buffer)[kFileRequestBufferBytes], const std::string& text) {
  buffer[0] = '\0';
  if (text.size() < sizeof buffer) std::memcpy(buffer, text.c_str(), text.size() + 1);
}

// The file requester over the load folder, several files at once; the
// folder chosen becomes the load folder.
std::vector<std::string> Qz__RequestFiles(Qz_Object*) {
  Qz_ImageBase* base = Qz_GetImageBase();
  char folder[kFileRequestBufferBytes], file[kFileRequestBufferBytes];
  ObtainSemaphore(&base->semaphore);
  Qz__Fill(folder, base->loadFolder);
  Qz__Fill(file, base->lastLoaded);
  ReleaseSemaphore(&base->semaphore);
  QzWord selections = 0;
  if (Qz_FileRequest(Qz_CatalogString(kCatLoadTitle), folder, file, nullptr, 0, kFileRequesterTagSelections,
                     &selections) != 1)
    return {};
  std::vector<std::string> paths;
  for (const char* name = Qz_GetFirstFileRequestSelection(selections); name;
       name = Qz_GetNextFileRequestSelection(selections, name))
    if (*name) paths.push_back(qz::joinedPath(folder, name));
  Qz_EndFileRequest(selections);
  ObtainSemaphore(&base->semaphore);
  base->loadFolder = folder;
  ReleaseSemaphore(&base->semaphore);
  return paths;
}

std::string Qz__RequestFolder(Qz_Object*, const std::string& start) {
  char folder[kFileRequestBufferBytes], file[kFileRequestBufferBytes] = "";
  Qz__Fill(folder, start);
  if (Qz_FileRequest(kFolderTitle, folder, file, nullptr, 0, kFileRequesterFolderOnly, 1) != 1) return {};
  return folder;
}

std::atomic<qz::batch::FileChooser> gFileChooser{Qz__RequestFiles};
std::atomic<qz::batch::FolderChooser> gFolderChooser{Qz__RequestFolder};

struct Qz_BatchObject {
  Qz_Object header;
  Qz_Object* options = nullptr;  // QZIOOptions
  Qz_Object* list = nullptr;     // ListTree; its entries are its members
  Qz_Object* pathField = nullptr;
  Qz_Object* convert = nullptr;
  uint32_t running = 0;  // non-zero while the window is open; cleared by the window's thread
};

Qz_BatchObject* Qz__Self(Qz_Object* o) { return qz::kit::self<Qz_BatchObject>(o); }

bool Qz__StillRunning(Qz_BatchObject* b) {
  return std::atomic_ref<uint32_t>(b->running).load(std::memory_order_acquire) != 0;
}

const char* Qz__EntryPath(Qz_Object* entry) {
  return reinterpret_cast<const char*>(Qz_DoMethod(entry, kRootGetObjectName));
}

std::vector<std::string> Qz__Paths(Qz_BatchObject* b) {
  std::vector<std::string> paths;
  for (auto* e = reinterpret_cast<Qz_Object*>(Qz_DoMethod(b->list, kGroupFirst)); e;
       e = reinterpret_cast<Qz_Object*>(Qz_DoMethod(b->list, kGroupNext, e)))
    if (const char* path = Qz__EntryPath(e); path && *path) paths.emplace_back(path);
  return paths;
}

// One entry per new path; a path already listed (byte for byte) is not added again.
QzWord Qz__AddFiles(Qz_Object* object, Qz_BatchObject* b) {
  const std::vector<std::string> chosen = gFileChooser.load()(object);
  if (chosen.empty()) return 0;
  Qz_ImageBase* base = Qz_GetImageBase();
  if (base->foldersFollow.load()) {
    ObtainSemaphore(&base->semaphore);
    base->saveFolder = base->loadFolder;
    ReleaseSemaphore(&base->semaphore);
  }
  std::vector<std::string> listed = Qz__Paths(b);
  Qz_DoMethod(b->list, kGroupDisableLayout);
  for (const std::string& path : chosen) {
    if (path.empty() || std::find(listed.begin(), listed.end(), path) != listed.end()) continue;
    Qz_Object* entry = Qz_CreateObject("ListTreeItem", kRootSetObjectName, path.c_str());
    if (!entry) continue;
    Qz_DoMethod(entry, kGroupAddTail, Qz_CreateObject("Text", kRootSetLabel, path.c_str()));
    Qz_DoMethod(b->list, kGroupAddTail, entry);
    listed.push_back(path);
  }
  Qz_DoMethod(b->list, kGroupEnableLayout);
  return 0;
}

QzWord Qz__RemoveSelected(Qz_BatchObject* b) {
  while (auto* entry = reinterpret_cast<Qz_Object*>(Qz_DoMethod(b->list, kListTreeFirstSelected))) {
    Qz_DoMethod(b->list, kListTreeRemoveSelected, entry);
    Qz_DoMethod(b->list, kGroupRemove, entry);
    Qz_DisposeObject(entry);
  }
  Qz_RelayoutAndRedrawObject(b->list);
  return 0;
}

QzWord Qz__Clear(Qz_BatchObject* b) {
  Qz_DoMethod(b->list, kListTreeClear);
  Qz_RelayoutAndRedrawObject(b->list);
  return 0;
}

QzWord Qz__ChooseFolder(Qz_Object* object, Qz_BatchObject* b) {
  const char* shown = reinterpret_cast<const char*>(Qz_DoMethod(b->pathField, kStringEditGetText));
  const std::string folder = gFolderChooser.load()(object, shown ? shown : "");
  if (!folder.empty()) Qz_DoMethod(b->pathField, kStringEditSetText, folder.c_str());
  return 0;
}

// The conversion, after the window has closed: every listed file in the
// chosen format with the options the user set.
QzWord Qz__Convert(Qz_BatchObject* b) {
  const char* shown = reinterpret_cast<const char*>(Qz_DoMethod(b->pathField, kStringEditGetText));
  const std::string folder = shown ? shown : "";
  std::error_code error;
  if (folder.empty() || !std::filesystem::is_directory(folder, error)) {
    Qz_MessageBoxA(kTitle, "Choose an existing folder for the converted files.", 1, nullptr);
    return 0;
  }
  const char* formatName = reinterpret_cast<const char*>(Qz_DoMethod(b->options, kQzioOptionsFormatName));
  auto* format = reinterpret_cast<Qz_Object*>(Qz_DoMethod(b->options, kQzioOptionsFormatObject));
  if (!formatName) return 0;
  Qz_ProgressDisplay* display =
      Qz_BeginProgressDisplay(Qz_GetImageBase()->screen, "Converting Files", "Converting File:");
  // Its window opens on its own thread; updates wait until it is up, so they
  // never draw into a window that is still being made.
  for (int tick = 0; display && !Qz__PlatformWindowOf(display->window) && tick < kWindowWaitTicks; ++tick) Delay(1);
  // The display shows its texts without copying them, drawn later by its
  // window's thread: each lives until the display is gone.
  std::deque<std::string> shownTexts;
  const uint32_t written = qz::batch::convertFiles(
      Qz__Paths(b), folder, formatName, format,
      [display, &shownTexts](uint32_t index, uint32_t count, const std::string& text) {
        shownTexts.push_back(text);
        return Qz_SetProgressDisplay(display, index, count, shownTexts.back().c_str()) != 0;
      });
  Qz_EndProgressDisplay(display);
  return written;
}

QzWord Qz__Run(Qz_Object* object, Qz_BatchObject* b) {
  Qz_Object* screen = Qz_GetImageBase()->screen;
  Qz_DoMethod(b->convert, kRootSetUserData, 0);
  std::atomic_ref<uint32_t>(b->running).store(1, std::memory_order_release);
  if (screen) Qz_DoMethod(screen, kGroupAddTail, object);
  Qz_DoMethod(object, kRootOpen);
  while (Qz__StillRunning(b)) {
    if (Qz__ModalWaitEnds(SIGBREAKF_CTRL_C)) break;
    Delay(5);
  }
  // The hide returns once the window's thread has shut it.
  Qz_DoMethod(object->super, kRootHide);
  if (screen) Qz_DoMethod(screen, kGroupRemove, object);
  return Qz_DoMethod(b->convert, kRootGetUserData) == 1 ? Qz__Convert(b) : 0;
}

QzWord Qz__BatchDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  Qz_BatchObject* b = Qz__Self(object);
  switch (id) {
    case kBatchRun: return Qz__Run(object, b);
    case kBatchAddFiles: return Qz__AddFiles(object, b);
    case kBatchRemoveSelected: return Qz__RemoveSelected(b);
    case kBatchClear: return Qz__Clear(b);
    case kBatchChooseFolder: return Qz__ChooseFolder(object, b);
    case kBatchSetTitle: return Qz_DoMethodA(object->super, kWindowSetTitle, args);
    case kBatchGetTitle: return Qz_DoMethodA(object->super, kWindowGetTitle, args);
    default: return qz::kit::inherited(object, id, args);
  }
}

Qz_Object* Qz__MakeWindow(Qz_Object*) {
  return Qz_CreateObject("Window", kWindowSetX, 70, kWindowSetY, 40, kWindowSetDefaultWidth, 450,
                         kWindowSetDefaultHeight, 440,
                         kWindowSetTitle, kTitle, kWindowSetKind,
                         kWindowKindFreeStanding);
}



Qz_Object* Qz__Row(Qz_Object* parent, bool& ok) {
  return addMember(parent, Qz_CreateObject("Group", kGroupSetMode, 2, kGroupSetSpacing, 4, kRootSetWeight, 0), ok);
}

void Qz__CallOnPress(Qz_Object* button, Qz_Object* object, uint32_t method) {
  Qz_AddNotify(button, kButtonPressed, kNotifyAnyValue, object, 1, method);
}

bool Qz__BatchSetUp(Qz_Object* object) {
  Qz_BatchObject* b = Qz__Self(object);
  bool ok = true;
  // Weights of 100 where the room goes (the file list) and 0 elsewhere: the
  // default weights hand out more room than the window has.
  Qz_Object* column = addMember(object->super, Qz_CreateObject("Group", kGroupSetMode, 1, kGroupSetSpacing, 4,
                                                             kRootSetWeight, 100), ok);
  Qz_Object* files = addMember(column, Qz_CreateObject("Group", kGroupSetMode, 1, kGroupSetFrame, 2, kRootSetLabel,
                                                     "Files to Convert", kGroupSetSpacing, 4, kRootSetWeight, 100), ok);
  if (!ok) return false;  // the window disposes what it holds
  b->list = addMember(files, Qz_CreateObject("ListTree", kListTreeSetMultiple, 1, kRootSetWeight, 100), ok);
  Qz_Object* fileButtons = Qz__Row(files, ok);
  if (!ok) return false;
  Qz_Object* add = addMember(fileButtons, labelledButton(Qz_CatalogString(kCatAddFiles), "AddFiles", 0, ok), ok);
  Qz_Object* remove = addMember(fileButtons, labelledButton(Qz_CatalogString(kCatRemove), "Remove", 0, ok), ok);
  Qz_Object* clear = addMember(fileButtons, labelledButton(Qz_CatalogString(kCatClear), "Clear", 0, ok), ok);
  addMember(files, Qz_CreateObject("Text", kRootSetLabel, kHelpText, kRootSetWeight, 0), ok);
  Qz_Object* output = addMember(column, Qz_CreateObject("Group", kGroupSetMode, 1, kGroupSetFrame, 2, kRootSetLabel,
                                                      "Output Options", kGroupSetSpacing, 4, kRootSetWeight, 0), ok);
  if (!ok) return false;
  Qz_Object* pathRow = Qz__Row(output, ok);
  if (!ok) return false;
  addMember(pathRow, Qz_CreateObject("Text", kRootSetLabel, "Path:", kRootSetWeight, 0), ok);
  Qz_ImageBase* base = Qz_GetImageBase();
  ObtainSemaphore(&base->semaphore);
  const std::string saveFolder = base->saveFolder;
  ReleaseSemaphore(&base->semaphore);
  b->pathField = addMember(pathRow, Qz_CreateObject("StringEdit", kStringEditSetText, saveFolder.c_str(),
                                                    kRootSetObjectName, "OutputPath", kRootSetWeight, 100), ok);
  Qz_Object* choose = addMember(pathRow, labelledButton("Choose", "Choose", 0, ok), ok);
  Qz_DoMethod(choose, kRootSetWeight, 0);
  b->options =
      addMember(output, Qz_CreateObject("QZIOOptions", kRootSetWeight, 0, kRootSetObjectName, "FileFormat"), ok);
  Qz_Object* endRow = Qz__Row(column, ok);
  if (!ok) return false;
  b->convert = addMember(endRow, labelledButton(Qz_CatalogString(kCatConvert), "Convert", 0, ok), ok);
  Qz_Object* cancel = addMember(endRow, labelledButton(Qz_CatalogString(kCatCancel), "Cancel", 0, ok), ok);
  if (!ok) return false;
  Qz_DoMethod(b->convert, kButtonSetKey, kReturnKey);
  Qz_DoMethod(cancel, kButtonSetKey, kEscapeKey);
  Qz_DoMethod(b->options, kQzioOptionsReset, kDefaultFormat);

  Qz_AddNotify(b->convert, kButtonPressed, kNotifyAnyValue, b->convert, 2, kRootSetUserData, 1);
  for (Qz_Object* ender : {b->convert, cancel})
    Qz_AddNotify(ender, kButtonPressed, kNotifyAnyValue, ender, 3, kRootPoke32, &b->running, 0);
  Qz_AddNotify(object->super, kWindowClose, kNotifyAnyValue, cancel, 3, kRootPoke32, &b->running, 0);
  Qz__CallOnPress(add, object, kBatchAddFiles);
  Qz__CallOnPress(remove, object, kBatchRemoveSelected);
  Qz__CallOnPress(clear, object, kBatchClear);
  Qz__CallOnPress(choose, object, kBatchChooseFolder);
  Qz_AlignRequestorPosition(object->super);
  return true;
}

const qz::kit::ClassDecl kBatchProcess = {
    .name = "BatchProcess", .superName = "Window", .classId = kBatchClassId,
    .instance = qz::kit::instanceOf<Qz_BatchObject>(), .handler = Qz__BatchDispatch,
    .makeSuper = Qz__MakeWindow, .setUp = Qz__BatchSetUp, .notice = "Batch conversion window"};

}  // namespace

namespace qz::batch {
void setChoosers(FileChooser files, FolderChooser folder) {
  gFileChooser.store(files ? files : Qz__RequestFiles);
  gFolderChooser.store(folder ? folder : Qz__RequestFolder);
}
}  // namespace qz::batch

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitBatchProcessClass(Qz_GlobalData*) { return qz::kit::addClass(kBatchProcess); }
QZ_EXPORT void Qz_CleanupBatchProcessClass(void) { qz::kit::removeClass(kBatchProcess); }
QZ_EXTERN_C_END
