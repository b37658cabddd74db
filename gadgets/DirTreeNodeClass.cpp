// DirTreeNode: a folder of the folder tree. Its sub-folders are listed the
// first time it opens; the item-id-list interface of the shell namespace
// has no counterpart here and answers 0.
#include <mutex>
#include <string>
#include <vector>

#include "gadgets/qz_group.h"
#include "gadgets/qz_list_tree.h"
#include "gadgets/qz_widgets.h"
#include "objects/object_services.h"
#include "objects/qz_class_kit.h"
#include "objects/qz_notify.h"

namespace {

// The shared folder picture; blank when its file is missing.
Qz_Object* gFolderPicture = nullptr;
std::mutex gFolderPictureLock;

struct DirTreeNodeObject {
  Qz_Object header;
  bool childrenLoaded = false;
  std::string path;
};

DirTreeNodeObject* asFolder(Qz_Object* o) { return reinterpret_cast<DirTreeNodeObject*>(o); }

std::string childPath(const std::string& parent, const std::string& name) {
  return parent.empty() || parent.back() == '/' ? parent + name : parent + "/" + name;
}

QzWord setPath(DirTreeNodeObject* d, QzWord text) {
  d->path = text != 0 ? reinterpret_cast<const char*>(text) : "";
  const std::string shown = qz::gadgets::folderDisplayName(d->path);
  Qz_DoMethod(&d->header, kListTreeNodeSetName, shown.c_str());  // the node keeps its own copy
  return 1;
}

QzWord loadChildren(DirTreeNodeObject* d) {
  if (d->childrenLoaded) return 1;
  d->childrenLoaded = true;
  Qz_Object* self = Qz_GetTopMostObject(&d->header);
  Qz_DoMethod(self, kGroupDisableLayout);
  for (const std::string& name : qz::gadgets::listSubFolders(d->path)) {
    const std::string path = childPath(d->path, name);
    if (Qz_Object* child = Qz_CreateObject("DirTreeNode", kDirTreeNodeSetPath, path.c_str())) {
      Qz_DoMethod(self, kGroupAddTail, child);
    }
  }
  Qz_DoMethod(self, kGroupEnableLayout, 1);
  return 1;
}

// Whether the path lies in the folder (or is the folder).
bool inside(const std::string& folder, const std::string& path) {
  if (path.compare(0, folder.size(), folder) != 0) return false;
  return path.size() == folder.size() || folder.back() == '/' || path[folder.size()] == '/';
}

QzWord findPath(DirTreeNodeObject* d, const std::string& path) {
  Qz_Object* self = Qz_GetTopMostObject(&d->header);
  if (d->path == path) {
    // Selecting the selected node again would close it.
    Qz_Object* tree = Qz_SearchHierachyForClassId(self, kListTreeClassId);
    if (tree == nullptr || Qz_DoMethod(tree, kListTreeGetSelectedNode) != reinterpret_cast<QzWord>(self)) {
      Qz_DoMethod(self, kRootSelect);
    }
    return reinterpret_cast<QzWord>(self);
  }
  if (d->path.empty() || !inside(d->path, path)) return 0;
  Qz_DoMethod(self, kListTreeNodeExpand);  // lists the children the first time
  for (auto* c = reinterpret_cast<Qz_Object*>(Qz_DoMethod(self, kGroupFirst)); c != nullptr;
       c = reinterpret_cast<Qz_Object*>(Qz_DoMethod(self, kGroupNext, c))) {
    if (Qz_GetObjectClassID(c) != kDirTreeNodeClassId) continue;
    if (const QzWord found = Qz_DoMethod(c, kDirTreeFindPath, path.c_str())) return found;
  }
  return 0;
}

QzWord folderDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  DirTreeNodeObject* d = asFolder(object);
  switch (id) {
    case kDirTreeNodeSetPath: return setPath(d, args[0]);
    case kDirTreeNodeGetPath: return reinterpret_cast<QzWord>(d->path.c_str());
    case kDirTreeNodeGetOwned:
    case kDirTreeNodeSetFolder:
    case kDirTreeNodeGetFolder:
    case kDirTreeNodeSetIdList:
    case kDirTreeNodeGetIdList: return 0;
    case kDirTreeLoadChildren: return loadChildren(d);
    case kDirTreeFindPath: return args[0] != 0 ? findPath(d, reinterpret_cast<const char*>(args[0])) : 0;
    default: return qz::kit::inherited(object, id, args);
  }
}

void onExpanded(QzWord self, Qz_Object*, uint32_t, const QzWord*) {
  Qz_DoMethod(reinterpret_cast<Qz_Object*>(self), kDirTreeLoadChildren);
}

// Made with the first folder node, so that a program without a folder
// tree holds no picture for it.
Qz_Object* folderPicture() {
  std::lock_guard<std::mutex> guard(gFolderPictureLock);
  if (gFolderPicture == nullptr) {
    gFolderPicture = Qz_CreateObject("BitMap");
    if (gFolderPicture != nullptr) Qz_DoMethod(gFolderPicture, kBitMapLoad, "Data/Images/FolderContracted.iff");
  }
  return gFolderPicture;
}

bool folderSetUp(Qz_Object* object) {
  if (Qz_Object* picture = folderPicture()) Qz_DoMethod(object, kListTreeNodeSetPicture, picture);
  Qz_AddCallBackNotify(object, kListTreeNodeExpand, kNotifyAnyValue, onExpanded, reinterpret_cast<QzWord>(object));
  return true;
}

const qz::kit::ClassDecl kDirTreeNodeClass = {
    .name = "DirTreeNode", .superName = "ListTreeNode", .classId = kDirTreeNodeClassId,
    .instance = qz::kit::instanceOf<DirTreeNodeObject>(), .handler = folderDispatch, .setUp = folderSetUp,
    .notice = "Folder of the folder tree"};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitDirTreeNodeClass(Qz_GlobalData*) { return qz::kit::addClass(kDirTreeNodeClass); }
QZ_EXPORT void Qz_CleanupDirTreeNodeClass(void) {
  qz::kit::removeClass(kDirTreeNodeClass);
  std::lock_guard<std::mutex> guard(gFolderPictureLock);
  Qz_DisposeObject(gFolderPicture);
  gFolderPicture = nullptr;
}
QZ_EXTERN_C_END
