// DirTree: the folder tree beside the file requester's list. Its roots are
// the home folder and "/"; a folder is shown by opening the nodes from its
// root down to it and selecting it.
#include <algorithm>
#include <cstdlib>
#include <string>

#include "gadgets/qz_group.h"
#include "gadgets/qz_list_tree.h"
#include "gadgets/qz_scroller.h"
#include "gadgets/qz_widgets.h"
#include "objects/object_services.h"
#include "objects/qz_class_kit.h"
#include "objects/qz_draw_info.h"
#include "objects/qz_notify.h"

namespace {

struct DirTreeObject {
  Qz_Object header;
  uint32_t word = 0;
  uint32_t secondWord = 0;
  std::string lastShown;
};

DirTreeObject* asDirTree(Qz_Object* o) { return reinterpret_cast<DirTreeObject*>(o); }

// One trailing "/" does not make another path; "/" stays itself.
std::string normalised(const char* text) {
  std::string path = text != nullptr ? text : "";
  if (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

QzWord showPath(DirTreeObject* t, const char* text) {
  const std::string path = normalised(text);
  if (path.empty() || path == t->lastShown) return 0;
  t->lastShown = path;
  // The root that holds the path most closely: the home folder before "/".
  Qz_Object* self = &t->header;
  Qz_Object* best = nullptr;
  std::size_t bestLength = 0;
  for (auto* root = reinterpret_cast<Qz_Object*>(Qz_DoMethod(self, kGroupFirst)); root != nullptr;
       root = reinterpret_cast<Qz_Object*>(Qz_DoMethod(self, kGroupNext, root))) {
    if (Qz_GetObjectClassID(root) != kDirTreeNodeClassId) continue;
    const std::string rootPath = reinterpret_cast<const char*>(Qz_DoMethod(root, kDirTreeNodeGetPath));
    const bool holds = path.compare(0, rootPath.size(), rootPath) == 0 &&
                       (path.size() == rootPath.size() || rootPath.back() == '/' || path[rootPath.size()] == '/');
    if (holds && rootPath.size() >= bestLength) {
      best = root;
      bestLength = rootPath.size();
    }
  }
  return best != nullptr ? Qz_DoMethod(best, kDirTreeFindPath, path.c_str()) : 0;
}

QzWord measure(Qz_Object* self, const QzWord* args) {
  auto* info = reinterpret_cast<Qz_DrawInfo*>(Qz_DoMethod(self, kRootGetDrawInfo));
  if (info != nullptr) Qz_DoMethod(self, kVirtualGroupSetStepRow, std::max<int32_t>(info->fontHeight, 16));
  return qz::kit::inherited(self, kRootMeasure, args);
}

QzWord dirTreeDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  DirTreeObject* t = asDirTree(object);
  switch (id) {
    case kDirTreeShowPath: return showPath(t, reinterpret_cast<const char*>(args[0]));
    case kRootMeasure: return measure(object, args);
    case kRootSelect:
    case kRootDeselect:
    case 1: return 0;
    default: return qz::kit::inherited(object, id, args);
  }
}

Qz_Object* rootNode(const std::string& path) {
  return Qz_CreateObject("DirTreeNode", kDirTreeNodeSetPath, path.c_str());
}

// The home folder and "/", then a filler under them.
bool dirTreeSetUp(Qz_Object* object) {
  const std::string home = normalised(std::getenv("HOME"));
  for (const std::string& path : {home, std::string("/")}) {
    if (path.empty() || (path == "/" && Qz_DoMethod(object, kGroupCount) != 0 && home == "/")) continue;
    if (Qz_Object* node = rootNode(path)) Qz_DoMethod(object, kGroupAddTail, node);
  }
  Qz_Object* filler = Qz_CreateObject("Group", kGroupSetMode, 1);
  Qz_Object* space = Qz_CreateObject("Space");
  if (filler != nullptr && space != nullptr) {
    Qz_DoMethod(filler, kGroupAddTail, space);
    Qz_DoMethod(object, kGroupAddTail, filler);
  } else {
    Qz_DisposeObject(filler);
    Qz_DisposeObject(space);
  }
  return true;
}

const qz::kit::Attribute kDirTreeAttributes[] = {
    {.setter = kDirTreeSetWord, .getter = kDirTreeGetWord, .field = qz::kit::field(&DirTreeObject::word)},
    {.setter = kDirTreeSetSecondWord, .getter = kDirTreeGetSecondWord,
     .field = qz::kit::field(&DirTreeObject::secondWord)},
};

const qz::kit::ClassDecl kDirTreeClass = {
    .name = "DirTree", .superName = "ListTree", .classId = kDirTreeClassId,
    .instance = qz::kit::instanceOf<DirTreeObject>(), .handler = dirTreeDispatch, .attributes = kDirTreeAttributes,
    .setUp = dirTreeSetUp, .notice = "Folder tree"};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitDirTreeClass(Qz_GlobalData*) { return qz::kit::addClass(kDirTreeClass); }
QZ_EXPORT void Qz_CleanupDirTreeClass(void) { qz::kit::removeClass(kDirTreeClass); }
QZ_EXTERN_C_END
