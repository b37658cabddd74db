// FileRequester: a vertical group with a menu, the folder tree beside the
// file list, the path and file-name fields and an area for the caller's
// object. Run modally in a window of its own, with a thread that lists the
// current folder and fetches the thumbnails. Answers the folder, name,
// title, run, extra-object and folder-only methods, the selections of the
// file list, the folder tree's choice and the menu.
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cstring>

#include "gadgets/file_requester_object.h"
#include "gadgets/qz_file_requester.h"
#include "gadgets/thumbnail_icon.h"
#include "gadgets/qz_group.h"
#include "gadgets/qz_list_tree.h"
#include "gadgets/qz_popups.h"
#include "gadgets/qz_text_entry.h"
#include "gadgets/qz_widgets.h"
#include "gadgets/qz_window.h"
#include "objects/catalogue.h"
#include "objects/object_services.h"
#include "objects/qz_class_kit.h"
#include "objects/qz_notify.h"
#include "objects/qz_root.h"
#include "platform/paths.h"

namespace qz::filereq {

namespace {

constexpr char kParentName[] = "(Parent)";
constexpr uint32_t kFolderChosen = 1;  // from the folder tree, with its node

std::unique_ptr<thumbs::ThumbnailCache> gCache;
std::atomic<bool> gThumbnailsOn{true};

Qz_Object* Qz__Add(Qz_Object* parent, Qz_Object* member, bool& ok) {
  if (!member) ok = false;
  else Qz_DoMethod(parent, kGroupAddTail, member);
  return member;
}

// "/a/b" gives "/a", "/a" gives "/", and "/" stays itself.
std::string Qz__ParentFolder(const std::string& path) {
  const size_t slash = path.find_last_of('/', path.size() > 1 ? path.size() - 2 : 0);
  if (slash == std::string::npos || slash == 0) return "/";
  return path.substr(0, slash);
}

QzWord Qz__SetFolder(FileRequesterObject* r, const char* text) {
  if (r->settingPathField) return 0;
  std::string path = text ? text : "";
  if (path.size() > 1 && path.back() == '/') path.pop_back();
  {
    std::lock_guard<std::mutex> hold(r->folderLock);
    if (path.empty() || path == r->folder) return 0;
    r->folder = path;
  }
  Qz_DoMethod(r->folderTree, kDirTreeShowPath, path.c_str());
  // The field holds fewer bytes than a path may have: its echo of a long
  // path is cut, and must not become the folder.
  r->settingPathField = true;
  Qz_DoMethod(r->pathField, kStringEditSetText, path.c_str());
  r->settingPathField = false;
  Qz_DoMethod(r->pathField, kRootDraw);
  requestScan(r);
  return 1;
}

QzWord Qz__SetName(FileRequesterObject* r, const char* name) {
  Qz_DoMethod(r->nameField, kStringEditSetText, name ? name : "");
  Qz_DoMethod(r->nameField, kRootDraw);
  return 0;
}

const char* Qz__Name(FileRequesterObject* r) {
  return reinterpret_cast<const char*>(Qz_DoMethod(r->nameField, kStringEditGetText));
}

// A name of the list: a folder is entered, a file becomes the chosen name.
QzWord Qz__ItemChosen(FileRequesterObject* r, const char* name) {
  if (!name) return 0;
  std::string path = currentFolder(r);
  std::string leaf = name;
  if (leaf == kParentName) {
    path = Qz__ParentFolder(path);
    leaf.clear();
  }
  const std::string full = leaf.empty() ? path : joinedPath(path, leaf);
  struct stat st;
  if (stat(full.c_str(), &st) != 0) return 0;
  if (S_ISDIR(st.st_mode)) return Qz__SetFolder(r, full.c_str());
  return Qz__SetName(r, leaf.c_str());
}

QzWord Qz__SetExtra(FileRequesterObject* r, Qz_Object* extra) {
  if (r->extra) Qz_DoMethod(r->extraArea, kGroupRemove, r->extra);
  r->extra = extra;
  if (extra) Qz_DoMethod(r->extraArea, kGroupAddTail, extra);
  return 0;
}

QzWord Qz__SetFolderOnly(FileRequesterObject* r, uint32_t on) {
  if ((on != 0) != (r->folderOnly != 0)) {
    const uint32_t method = on ? kRootHide : kRootShow;
    Qz_DoMethod(r->fileList, method);
    Qz_DoMethod(r->nameRow, method);
  }
  r->folderOnly = on ? 1 : 0;
  return r->folderOnly;
}

// The selected names in list order.
std::vector<const char*> Qz__SelectedNames(FileRequesterObject* r) {
  std::vector<Qz_Object*> chosen;
  for (QzWord s = Qz_DoMethod(r->fileList, kListTreeFirstSelected); s;
       s = Qz_DoMethod(r->fileList, kListTreeNextSelected, s))
    chosen.push_back(reinterpret_cast<Qz_Object*>(s));
  std::vector<const char*> names;
  if (chosen.empty() || !r->listing) return names;
  for (const thumbs::FileItem& f : r->listing->files) {
    if (std::find(chosen.begin(), chosen.end(), f.listItem) != chosen.end()) names.push_back(f.record.name.c_str());
  }
  return names;
}

QzWord Qz__FirstSelection(FileRequesterObject* r) {
  const std::vector<const char*> names = Qz__SelectedNames(r);
  return reinterpret_cast<QzWord>(names.empty() ? Qz__Name(r) : names.front());
}

QzWord Qz__NextSelection(FileRequesterObject* r, const char* previous) {
  if (!previous) return 0;
  const std::vector<const char*> names = Qz__SelectedNames(r);
  for (size_t i = 0; i + 1 < names.size(); ++i) {
    if (names[i] == previous || std::strcmp(names[i], previous) == 0) return reinterpret_cast<QzWord>(names[i + 1]);
  }
  return 0;
}

QzWord Qz__MenuChosen(FileRequesterObject* r, Qz_Object* item) {
  if (item == r->thumbnailItem) {
    const bool on = (Qz_DoMethod(item, kMenuItemGetCheck) & kMenuItemChecked) != 0;
    setThumbnailsOn(on);
    if (on) requestScan(r);
  } else if (item == r->clearItem && gCache) {
    gCache->clear();
  }
  return 0;
}

QzWord Qz__SetTitle(FileRequesterObject* r, const char* title) {
  r->title = title ? title : "";
  if (r->window) Qz_DoMethod(r->window, kWindowSetTitle, r->title.c_str());
  return 0;
}

}  // namespace

QzWord runFileRequester(FileRequesterObject* r);

namespace {

QzWord Qz__FileRequesterDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  FileRequesterObject* r = asRequester(object);
  switch (id) {
    case kFileRequesterSetFolder: return Qz__SetFolder(r, reinterpret_cast<const char*>(args[0]));
    case kFileRequesterGetFolder: {
      std::lock_guard<std::mutex> hold(r->folderLock);
      return reinterpret_cast<QzWord>(r->folder.c_str());
    }
    case kFileRequesterSetName: return Qz__SetName(r, reinterpret_cast<const char*>(args[0]));
    case kFileRequesterGetName: return reinterpret_cast<QzWord>(Qz__Name(r));
    case kFileRequesterRun: return runFileRequester(r);
    case kFileRequesterSetTitle: return Qz__SetTitle(r, reinterpret_cast<const char*>(args[0]));
    case kFileRequesterGetTitle: return reinterpret_cast<QzWord>(r->title.c_str());
    case kFileRequesterItemChosen: return Qz__ItemChosen(r, reinterpret_cast<const char*>(args[0]));
    case kFileRequesterSetExtra: return Qz__SetExtra(r, reinterpret_cast<Qz_Object*>(args[0]));
    case kFileRequesterNameField: return reinterpret_cast<QzWord>(r->nameField);
    case kFileRequesterFolderOnly: return Qz__SetFolderOnly(r, uint32_t(args[0]));
    case kListTreeFirstSelected: return Qz__FirstSelection(r);
    case kListTreeNextSelected: return Qz__NextSelection(r, reinterpret_cast<const char*>(args[0]));
    case kListTreeSetMultiple:
    case kListTreeGetMultiple: return Qz_DoMethodA(r->fileList, id, args);
    case kFolderChosen: {
      auto* node = reinterpret_cast<Qz_Object*>(args[0]);
      return node ? Qz__SetFolder(r, reinterpret_cast<const char*>(Qz_DoMethod(node, kDirTreeNodeGetPath))) : 0;
    }
    case kPopUpChosen: return Qz__MenuChosen(r, reinterpret_cast<Qz_Object*>(args[0]));
    case kShowListing: showListing(r, reinterpret_cast<FileListing*>(args[0])); return 0;
    case kShowThumbnail: showThumbnails(r, reinterpret_cast<FileListing*>(args[0])); return 0;
    case 0x51005A: return 0;
    default: return qz::kit::inherited(object, id, args);
  }
}

Qz_Object* Qz__LabelledRow(const char* label, Qz_Object** field, bool& ok) {
  Qz_Object* row = Qz_CreateObject("Group", kGroupSetMode, 2, kGroupSetSpacing, 4, kRootSetWeight, 0);
  if (!row) {
    ok = false;
    return nullptr;
  }
  Qz__Add(row, Qz_CreateObject("Text", kRootSetLabel, label, kRootSetWeight, 0), ok);
  *field = Qz__Add(row, Qz_CreateObject("StringEdit", kRootSetWeight, 100), ok);
  return row;
}

Qz_Object* Qz__MakeMenu(FileRequesterObject* r, bool& ok) {
  r->thumbnailItem = Qz_CreateObject("MenuItem", kMenuItemSetText, Qz_CatalogString(400), kMenuItemSetCheck,
                                     kMenuItemCheckable | (thumbnailsOn() ? kMenuItemChecked : 0));
  r->clearItem = Qz_CreateObject("MenuItem", kMenuItemSetText, Qz_CatalogString(401));
  Qz_Object* menu = Qz_CreateObject("Menu", kMenuSetTitle, Qz_CatalogString(73));
  Qz_Object* bar = Qz_CreateObject("MenuBar", kRootSetWeight, 0);
  // The menu keeps to the left; the rest of its row stays empty.
  Qz_Object* row = Qz_CreateObject("Group", kGroupSetMode, 2, kRootSetWeight, 0);
  Qz_Object* rest = Qz_CreateObject("Space", kFixHeight, 1, kRootSetWeight, 100);
  if (!r->thumbnailItem || !r->clearItem || !menu || !bar || !row || !rest) {
    for (Qz_Object* o : {r->thumbnailItem, r->clearItem, menu, bar, row, rest}) Qz_DisposeObject(o);
    ok = false;
    return nullptr;
  }
  Qz_DoMethod(menu, kGroupAddTail, r->thumbnailItem);
  Qz_DoMethod(menu, kGroupAddTail, r->clearItem);
  Qz_DoMethod(bar, kGroupAddTail, menu);
  Qz_DoMethod(row, kGroupAddTail, bar);
  Qz_DoMethod(row, kGroupAddTail, rest);
  Qz_AddNotify(menu, kPopUpChosen, kNotifyAnyValue, &r->header, 2, kPopUpChosen, kNotifySameWord);
  return row;
}

bool Qz__SetUp(Qz_Object* object) {
  FileRequesterObject* r = asRequester(object);
  Qz_Object* column = object->super;
  bool ok = true;
  Qz__Add(column, Qz__MakeMenu(r, ok), ok);
  Qz_Object* browser =
      Qz__Add(column, Qz_CreateObject("Group", kGroupSetMode, 2, kGroupSetSpacing, 4, kRootSetWeight, 100), ok);
  if (!ok) return false;
  // Weights share out the spare room as percentages of an equal share:
  // they average 100, or the members outgrow the window.
  r->folderTree = Qz__Add(browser, Qz_CreateObject("DirTree", kRootSetWeight, 70), ok);
  r->fileList = Qz__Add(browser, Qz_CreateObject("ListTree", kRootSetWeight, 130), ok);
  Qz__Add(column, Qz__LabelledRow(" Path:", &r->pathField, ok), ok);
  r->nameRow = Qz__Add(column, Qz__LabelledRow(" File:", &r->nameField, ok), ok);
  r->extraArea = Qz__Add(column, Qz_CreateObject("Group", kGroupSetMode, 1, kRootSetWeight, 0), ok);
  if (!ok) return false;
  Qz_AddNotify(r->pathField, kStringEditSetText, kNotifyAnyValue, object, 2, kFileRequesterSetFolder, kNotifySameWord);
  Qz_AddNotify(r->folderTree, kListTreeSetSelectedNode, kNotifyAnyValue, object, 2, kFolderChosen, kNotifySameWord);
  Qz_DoMethod(object, kRootSetObjectName, "FileRequester");
  Qz_DoMethod(r->nameField, kRootSetObjectName, "FileRequesterName");
  Qz_DoMethod(r->pathField, kRootSetObjectName, "FileRequesterPath");
  Qz_DoMethod(r->fileList, kRootSetObjectName, "FileRequesterList");
  return true;
}

void Qz__TearDown(Qz_Object* object) {
  FileRequesterObject* r = asRequester(object);
  if (r->extra) Qz_DoMethod(r->extraArea, kGroupRemove, r->extra);
  r->extra = nullptr;
  clearListing(r);
}

const TagItem kFileRequesterSuperTags[] = {{kGroupSetMode, 1}, {kGroupSetSpacing, 4}, {kRootSetWeight, 100}, {TAG_DONE, 0}};

const qz::kit::ClassDecl kFileRequesterClass = {
    .name = "FileRequester", .superName = "Group", .classId = kFileRequesterClassId,
    .instance = qz::kit::instanceOf<FileRequesterObject>(), .handler = Qz__FileRequesterDispatch,
    .superTags = kFileRequesterSuperTags, .setUp = Qz__SetUp, .tearDown = Qz__TearDown,
    .notice = "File requester"};

}  // namespace

FileRequesterObject* asRequester(Qz_Object* object) { return qz::kit::self<FileRequesterObject>(object); }

std::string currentFolder(FileRequesterObject* r) {
  std::lock_guard<std::mutex> hold(r->folderLock);
  return r->folder;
}

thumbs::ThumbnailCache* sharedCache() { return gCache.get(); }
bool thumbnailsOn() { return gThumbnailsOn.load(); }
void setThumbnailsOn(bool on) { gThumbnailsOn.store(on); }

}  // namespace qz::filereq

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitFileRequesterClass(Qz_GlobalData*) {
  using namespace qz::filereq;
  if (!gCache) {
    gCache = std::make_unique<qz::thumbs::ThumbnailCache>(qz::normalizePath("ImageDatabase"));
    gCache->readIndex();
  }
  registerThumbnailIconClass();
  return qz::kit::addClass(kFileRequesterClass);
}
QZ_EXPORT void Qz_CleanupFileRequesterClass(void) {
  using namespace qz::filereq;
  qz::kit::removeClass(kFileRequesterClass);
  removeThumbnailIconClass();
  gCache.reset();
}
QZ_EXTERN_C_END
