// QuillantrixPrefs: every user setting as one stored object that is also
// the preferences window. Setters write the global records and the window's
// gadgets, getters answer what the window shows, so storing the object
// writes what the user sees. Answers the ids of qz_prefs.h; the rest goes
// to its Window.
#include "requesters/qz_prefs.h"

#include <atomic>
#include <cstring>
#include <string>

#include "gadgets/qz_choice.h"
#include "gadgets/qz_group.h"
#include "gadgets/qz_pages.h"
#include "gadgets/qz_text_entry.h"
#include "gadgets/qz_widgets.h"
#include "gadgets/qz_window.h"
#include "image/app_commands.h"
#include "image/image_text.h"
#include "image/qz_image.h"
#include "objects/catalogue.h"
#include "objects/object_text.h"
#include "objects/qz_class_kit.h"
#include "objects/qz_notify.h"
#include "requesters/window_building.h"

namespace {

using qz::requesters::addMember;
using qz::requesters::labelledButton;

// The check boxes, in the window's order, with the global each one shows.
enum Box : int { kTabMode, kIconRedraw, kMagnifyRedraw, kAreYouSure, kBackups, kToolTips, kSamePath,
                 kFileRequesterType, kRoundZoom, kBoxCount };

// A global word the preferences read and write.
struct GlobalWord {
  int32_t (*read)();
  void (*write)(int32_t);
};

template <std::atomic<int32_t> Qz_ImageBase::*Field>
constexpr GlobalWord Qz__BaseWord() {
  return {[] { return (Qz_GetImageBase()->*Field).load(); }, [](int32_t v) { (Qz_GetImageBase()->*Field).store(v); }};
}

template <std::atomic_ref<int32_t> (*Word)()>
constexpr GlobalWord Qz__ObjectLayerWord() {
  return {[] { return Word().load(); }, [](int32_t v) { Word().store(v); }};
}

struct BoxRow {
  uint32_t setter;
  uint32_t label;     // catalogue number; 0 for the literal text
  GlobalWord global;  // no read: the box alone keeps the value
  const char* name;   // the gadget's object name
};

const BoxRow kBoxes[kBoxCount] = {
    {kPrefsSetTabMode, 0, Qz__ObjectLayerWord<qz::prefs::sideTabsFollowPointer>(), "TabMode"},
    {kPrefsSetIconRedraw, 231, Qz__BaseWord<&Qz_ImageBase::preferences>(), "IconRedraw"},
    {kPrefsSetMagnifyRedraw, 291, {}, "MagnifyRedraw"},
    {kPrefsSetAreYouSure, 243, Qz__BaseWord<&Qz_ImageBase::closeQuestion>(), "AreYouSure"},
    {kPrefsSetCreateBackups, 342, Qz__BaseWord<&Qz_ImageBase::backups>(), "CreateBackups"},
    {kPrefsSetToolTips, 292, Qz__ObjectLayerWord<qz::prefs::toolTips>(), "ToolTips"},
    {kPrefsSetSamePath, 385, Qz__BaseWord<&Qz_ImageBase::foldersFollow>(), "SamePath"},
    {kPrefsSetFileRequesterType, 344, Qz__BaseWord<&Qz_ImageBase::fileRequesterChoice>(), "FileRequesterType"},
    {kPrefsSetRoundZoom, 422, Qz__BaseWord<&Qz_ImageBase::steppedZoom>(), "RoundZoom"},
};
constexpr const char* kTabModeText = "Side tabs automatically select when mouse moves over them";

// Catalogue numbers of the window.
constexpr uint32_t kCatTitle = 159, kCatGeneralPage = 161, kCatUndoPage = 163, kCatOptions = 73,
                   kCatUndoFrame = 172, kCatSave = 77, kCatUse = 173, kCatCancel = 20;

struct Qz_PrefsObject {
  Qz_Object header;
  Qz_Object* boxes[kBoxCount] = {};
  Qz_Object* undoField = nullptr;
  Qz_Object* buttons[3] = {};  // Use, Save, Cancel by their user data
  int32_t redrawMode = 0;
  uint32_t screenModeId = 0;
  int32_t screenDepth = 8;
  bool closing = false;  // our own close of the window is not the close box
};

std::atomic<uint32_t> gICMFlags{0};

Qz_PrefsObject* Qz__Self(Qz_Object* o) { return qz::kit::self<Qz_PrefsObject>(o); }

int32_t Qz__BoxState(const Qz_PrefsObject* p, int box) {
  return int32_t(Qz_DoMethod(p->boxes[box], kCheckBoxGetState));
}

int32_t Qz__UndoField(const Qz_PrefsObject* p) { return int32_t(Qz_DoMethod(p->undoField, kStringEditGetNumber)); }

// Every gadget from the global records (what Cancel and a new object show).
void Qz__Refresh(Qz_PrefsObject* p) {
  for (int box = 0; box < kBoxCount; ++box)
    if (kBoxes[box].global.read)
      Qz_DoMethod(p->boxes[box], kCheckBoxSetState, uint32_t(kBoxes[box].global.read() != 0));
  Qz_DoMethod(p->undoField, kStringEditSetNumber, Qz_GetImageBase()->undoLevels.load());
}

// The global records from the window. The settings that have no gadget here
// (smart refresh, the window spacings) keep their globals.
QzWord Qz__Apply(Qz_PrefsObject* p) {
  for (int box = 0; box < kBoxCount; ++box)
    if (kBoxes[box].global.write) kBoxes[box].global.write(Qz__BoxState(p, box) != 0 ? 1 : 0);
  const int32_t undo = Qz__UndoField(p);
  Qz_GetImageBase()->undoLevels.store(uint32_t(undo > 0 ? undo : 0));
  return 0;
}

QzWord Qz__SetBox(Qz_PrefsObject* p, int box, QzWord value) {
  const int32_t on = int32_t(value) != 0 ? 1 : 0;
  if (kBoxes[box].global.write) kBoxes[box].global.write(on);
  Qz_DoMethod(p->boxes[box], kCheckBoxSetState, uint32_t(on));
  return 0;
}

// A folder of at most 259 bytes, never cut inside a character.
std::string Qz__CutFolder(QzWord text) {
  char buffer[kPrefsPathBytes];
  qz::copyName(buffer, sizeof buffer, reinterpret_cast<const char*>(text));
  return buffer;
}

QzWord Qz__SetFolder(bool load, QzWord text) {
  Qz_ImageBase* base = Qz_GetImageBase();
  const std::string folder = Qz__CutFolder(text);
  ObtainSemaphore(&base->semaphore);
  if (load) {
    base->loadFolder = folder;
    if (base->foldersFollow.load()) base->saveFolder = folder;
  } else {
    base->saveFolder = folder;
  }
  ReleaseSemaphore(&base->semaphore);
  return 0;
}

// The folder as stored text; valid until the folder next changes.
QzWord Qz__FolderText(bool load) {
  Qz_ImageBase* base = Qz_GetImageBase();
  return reinterpret_cast<QzWord>(load ? base->loadFolder.c_str() : base->saveFolder.c_str());
}

QzWord Qz__SetUndoSize(Qz_PrefsObject* p, QzWord value) {
  const int32_t size = int32_t(value);
  Qz_GetImageBase()->undoLevels.store(uint32_t(size > 0 ? size : 0));
  Qz__Refresh(p);
  return 0;
}

QzWord Qz__SetSpacing(std::atomic_ref<int32_t> global, QzWord value) {
  global.store(int32_t(value));
  return 0;
}

// The hidden image that answers the application-wide commands.
Qz_Object* Qz__Application() {
  Qz_Image* image = Qz_GetImageBase()->applicationImage;
  return image ? &image->object : nullptr;
}

// The box of a setter, or -1.
int Qz__BoxOf(uint32_t id) {
  for (int box = 0; box < kBoxCount; ++box) {
    if (id == kBoxes[box].setter) return box;
  }
  return -1;
}

int Qz__BoxOfGetter(uint32_t id) { return id >= kPrefsGetterOffset ? Qz__BoxOf(id - kPrefsGetterOffset) : -1; }

constexpr uint32_t Qz__Get(uint32_t setter) { return setter + kPrefsGetterOffset; }

QzWord Qz__PrefsDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  Qz_PrefsObject* p = Qz__Self(object);
  const QzWord a = args ? args[0] : 0;
  if (const int box = Qz__BoxOf(id); box >= 0) return Qz__SetBox(p, box, a);
  if (const int box = Qz__BoxOfGetter(id); box >= 0) return uint32_t(Qz__BoxState(p, box));
  switch (id) {
    case kPrefsSetSmartRefresh: return Qz__SetSpacing(qz::prefs::smartRefresh(), a);
    case Qz__Get(kPrefsSetSmartRefresh): return uint32_t(qz::prefs::smartRefresh().load());
    case kPrefsSetColour: return Qz_DoMethod(Qz__Application(), qz::kQzAppSetColour, uint32_t(a));
    case Qz__Get(kPrefsSetColour): return Qz_DoMethod(Qz__Application(), qz::kQzAppGetColour);
    case kPrefsSetMediaName: return Qz_DoMethod(Qz__Application(), qz::kQzAppChooseMedia, a);
    case Qz__Get(kPrefsSetMediaName): return reinterpret_cast<QzWord>(Qz_GetImageBase()->currentMediaName);
    case kPrefsSetUndoSize: return Qz__SetUndoSize(p, a);
    case Qz__Get(kPrefsSetUndoSize): return uint32_t(Qz__UndoField(p));
    case kPrefsSetRedrawMode:
      p->redrawMode = int32_t(a);
      Qz__Refresh(p);
      return 0;
    case Qz__Get(kPrefsSetRedrawMode): return uint32_t(p->redrawMode);
    case kPrefsSetScreenModeId:  // kept for the file: there are no screen modes to switch to here
      p->screenModeId = uint32_t(a);
      Qz__Refresh(p);
      return 0;
    case Qz__Get(kPrefsSetScreenModeId): return p->screenModeId;
    case kPrefsSetSavePath: return Qz__SetFolder(false, a);
    case Qz__Get(kPrefsSetSavePath): return Qz__FolderText(false);
    case kPrefsSetLoadPath: return Qz__SetFolder(true, a);
    case Qz__Get(kPrefsSetLoadPath): return Qz__FolderText(true);
    case kPrefsSetXSpacing: return Qz__SetSpacing(qz::prefs::windowXSpacing(), a);
    case Qz__Get(kPrefsSetXSpacing): return uint32_t(qz::prefs::windowXSpacing().load());
    case kPrefsSetYSpacing: return Qz__SetSpacing(qz::prefs::windowYSpacing(), a);
    case Qz__Get(kPrefsSetYSpacing): return uint32_t(qz::prefs::windowYSpacing().load());
    case kPrefsSetICM: gICMFlags.store(uint32_t(a)); return 0;
    case Qz__Get(kPrefsSetICM): return gICMFlags.load();
    case kPrefsApply: return Qz__Apply(p);
    case kPrefsStore: Qz_StoreObjectToDisk(object, kPrefsFile); return 0;
    case kPrefsRefresh: Qz__Refresh(p); return 0;
    case kRootStoreChildren: return 1;  // no shortcut-key list in this window
    case kGroupAddTail: return 0;       // its children would be shortcut keys: there is no list to take them
    case kRootShow: return 0;  // the screen showing its members leaves this window to the menu
    default: return qz::kit::inherited(object, id, args);
  }
}

// Save writes the file first; Use and Save then apply at once on this
// thread (a thread per press would race the last one over the globals).
// The window closes once the work is done.
void Qz__PrefsButton(QzWord user, Qz_Object* source, uint32_t, const QzWord*) {
  auto* object = reinterpret_cast<Qz_Object*>(user);
  Qz_PrefsObject* p = Qz__Self(object);
  if (p->closing) return;
  const QzWord which = source == object->super ? kPrefsCancel : Qz_DoMethod(source, kRootGetUserData);
  switch (which) {
    case kPrefsSave:
      Qz_StoreObjectToDisk(object, kPrefsFile);
      Qz__Apply(p);
      break;
    case kPrefsUse: Qz__Apply(p); break;
    default: Qz__Refresh(p); break;
  }
  // The close box has closed the window already; closing twice would keep it shut at the next open.
  if (source != object->super) {
    p->closing = true;
    Qz_DoMethod(object->super, kWindowClose);
    p->closing = false;
  }
}

// The stored attributes, in the order the file lists them.
#define QZ_PREFS_ROW(setterId, setterName, getterName, format)                                              \
  {setterId, setterName, kQzMethodSetter, Qz__Get(setterId), format, 0, nullptr, 0, 0},                       \
      {Qz__Get(setterId), getterName, kQzMethodStoredGetter, setterId, nullptr, 0, format, 0, 0}
const Qz_Method kPrefsMethods[] = {
    QZ_PREFS_ROW(kPrefsSetSmartRefresh, "Qz_SetSmartRefreshPrefs", "Qz_GetSmartRefreshPrefs", "%ld"),
    QZ_PREFS_ROW(kPrefsSetIconRedraw, "Qz_SetIconRedrawPrefs", "Qz_GetIconRedrawPrefs", "%ld"),
    QZ_PREFS_ROW(kPrefsSetMagnifyRedraw, "Qz_SetMagnifyRedrawPrefs", "Qz_GetMagnifyRedrawPrefs", "%ld"),
    QZ_PREFS_ROW(kPrefsSetAreYouSure, "Qz_SetAreYouSurePrefs", "Qz_GetAreYouSurePrefs", "%ld"),
    QZ_PREFS_ROW(kPrefsSetCreateBackups, "Qz_SetCreateBackupsPrefs", "Qz_GetCreateBackupsPrefs", "%ld"),
    QZ_PREFS_ROW(kPrefsSetToolTips, "Qz_SetToolTipsPrefs", "Qz_GetToolTipsPrefs", "%ld"),
    QZ_PREFS_ROW(kPrefsSetFileRequesterType, "Qz_SetFileRequesterTypePrefs", "Qz_GetFileRequesterTypePrefs", "%ld"),
    QZ_PREFS_ROW(kPrefsSetColour, "Qz_SetGlobalColourRGB", "Qz_GetGlobalColourRGB", "%lx"),
    QZ_PREFS_ROW(kPrefsSetMediaName, "Qz_SetGlobalImageMediaName", "Qz_GetGlobalImageMediaName", "%s"),
    QZ_PREFS_ROW(kPrefsSetUndoSize, "Qz_SetMaxUndoRedoSize", "Qz_GetMaxUndoRedoSize", "%ld"),
    QZ_PREFS_ROW(kPrefsSetRedrawMode, "Qz_SetRedrawMode", "Qz_GetRedrawMode", "%ld"),
    QZ_PREFS_ROW(kPrefsSetScreenModeId, "Qz_SetScreenModeID", "Qz_GetScreenModeID", "%lx"),
    QZ_PREFS_ROW(kPrefsSetTabMode, "Qz_SetTabModePrefs", "Qz_GetTabModePrefs", "%ld"),
    QZ_PREFS_ROW(kPrefsSetRoundZoom, "Qz_SetRoundZoomTo25PercentMode", "Qz_GetRoundZoomTo25PercentMode", "%ld"),
    QZ_PREFS_ROW(kPrefsSetSamePath, "Qz_SetUseSameLoadSavePathPrefs", "Qz_GetUseSameLoadSavePathPrefs", "%ld"),
    QZ_PREFS_ROW(kPrefsSetSavePath, "Qz_SetSavePath", "Qz_GetSavePath", "%s"),
    QZ_PREFS_ROW(kPrefsSetLoadPath, "Qz_SetLoadPath", "Qz_GetLoadPath", "%s"),
    QZ_PREFS_ROW(kPrefsSetXSpacing, "Qz_SetWindowXSpacingPrefs", "Qz_GetWindowXSpacingPrefs", "%ld"),
    QZ_PREFS_ROW(kPrefsSetYSpacing, "Qz_SetWindowYSpacingPrefs", "Qz_GetWindowYSpacingPrefs", "%ld"),
    QZ_PREFS_ROW(kPrefsSetICM, "Qz_SetICMPrefs", "Qz_GetICMPrefs", "%ld"),
    {0, nullptr, 0, 0, nullptr, 0, nullptr, 0, 0}};
#undef QZ_PREFS_ROW

Qz_Object* Qz__MakeWindow(Qz_Object*) {
  return Qz_CreateObject("Window", kWindowSetX, kWindowCentred, kWindowSetY, kWindowCentred, kWindowSetTitle,
                         Qz_CatalogString(kCatTitle), kWindowSetKind, kWindowKindFreeStanding);
}



bool Qz__PrefsSetUp(Qz_Object* object) {
  Qz_PrefsObject* p = Qz__Self(object);
  bool ok = true;
  Qz_Object* column = addMember(object->super, Qz_CreateObject("Group", kGroupSetMode, 1, kGroupSetSpacing, 4), ok);
  Qz_Object* pages = addMember(column, Qz_CreateObject("Pages"), ok);
  if (!ok) return false;  // the window disposes what it holds
  Qz_DoMethod(pages, kPagesLabelsPhase, 1);
  addMember(pages, Qz_CreateObject("Text", kRootSetLabel, Qz_CatalogString(kCatGeneralPage)), ok);
  addMember(pages, Qz_CreateObject("Text", kRootSetLabel, Qz_CatalogString(kCatUndoPage)), ok);
  Qz_DoMethod(pages, kPagesLabelsPhase, 0);
  Qz_Object* general = addMember(pages, Qz_CreateObject("Group", kGroupSetMode, 1, kGroupSetFrame, 2, kRootSetLabel,
                                                      Qz_CatalogString(kCatOptions)), ok);
  Qz_Object* undo = addMember(pages, Qz_CreateObject("Group", kGroupSetMode, 1, kGroupSetFrame, 2, kRootSetLabel,
                                                   Qz_CatalogString(kCatUndoFrame)), ok);
  if (!ok) return false;
  for (int box = 0; box < kBoxCount; ++box) {
    const char* label = kBoxes[box].label ? Qz_CatalogString(kBoxes[box].label) : kTabModeText;
    p->boxes[box] = addMember(general, Qz_CreateObject("CheckBox", kRootSetLabel, label, kRootSetObjectName,
                                                      kBoxes[box].name), ok);
  }
  Qz_DoMethod(pages, kGroupShowPage, 0);
  p->undoField =
      addMember(undo, Qz_CreateObject("StringEdit", kStringEditSetNumeric, 1, kStringEditSetMaxLength, 5), ok);
  Qz_Object* row = addMember(column, Qz_CreateObject("Group", kGroupSetMode, 2, kGroupSetSpacing, 4), ok);
  if (!ok) return false;
  p->buttons[kPrefsSave] = addMember(row, labelledButton(Qz_CatalogString(kCatSave), "Save", kPrefsSave, ok), ok);
  p->buttons[kPrefsUse] = addMember(row, labelledButton(Qz_CatalogString(kCatUse), "Use", kPrefsUse, ok), ok);
  p->buttons[kPrefsCancel] =
      addMember(row, labelledButton(Qz_CatalogString(kCatCancel), "Cancel", kPrefsCancel, ok), ok);
  if (!ok) return false;
  const QzWord self = reinterpret_cast<QzWord>(object);
  for (Qz_Object* button : p->buttons)
    Qz_AddCallBackNotify(button, kButtonPressed, kNotifyAnyValue, Qz__PrefsButton, self);
  Qz_AddCallBackNotify(object->super, kWindowClose, kNotifyAnyValue, Qz__PrefsButton, self);
  p->screenDepth = 8;
  Qz__Refresh(p);
  return true;
}

void Qz__PrefsTearDown(Qz_Object* object) {
  if (Qz_Object* screen = Qz_GetImageBase()->screen) Qz_DoMethod(screen, kGroupRemove, object);
}

const qz::kit::ClassDecl kQuillantrixPrefs = {
    .name = "QuillantrixPrefs", .superName = "Window", .classId = kPrefsClassId,
    .instance = qz::kit::instanceOf<Qz_PrefsObject>(), .handler = Qz__PrefsDispatch, .methods = kPrefsMethods,
    .makeSuper = Qz__MakeWindow, .setUp = Qz__PrefsSetUp, .tearDown = Qz__PrefsTearDown,
    .notice = "Preferences and their window"};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitQuillantrixPrefsClass(Qz_GlobalData*) { return qz::kit::addClass(kQuillantrixPrefs); }
QZ_EXPORT void Qz_CleanupQuillantrixPrefsClass(void) { qz::kit::removeClass(kQuillantrixPrefs); }
QZ_EXPORT Qz_Object* Qz_RestorePrefs(const char* path) {
  // A file whose root is some other object is not preferences: the
  // defaults hold, as they do for a missing or unreadable file.
  Qz_Object* prefs = Qz_RestoreObjectFromDisk(path);
  if (prefs && (!prefs->objectClass || std::strcmp(prefs->objectClass->name, "QuillantrixPrefs") != 0)) {
    Qz_DisposeObject(prefs);
    prefs = nullptr;
  }
  return prefs ? prefs : Qz_CreateObject("QuillantrixPrefs");
}
QZ_EXPORT uint32_t Qz_ICMFlags(void) { return gICMFlags.load(); }
QZ_EXPORT void Qz_SetICMFlags(uint32_t flags) { gICMFlags.store(flags); }
QZ_EXTERN_C_END
