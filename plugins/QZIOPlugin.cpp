// QZIOPlugin: the file formats. One page lists the registered formats pictures are
// loaded with, the other those they are saved with; choosing one shows its
// options (when it has any) and makes it the program's load or save format.
// A button on the load page opens a picture. The panel comes to front on its
// save page when a save begins.
#include <mutex>
#include <set>
#include <string>

#include "gadgets/qz_group.h"
#include "gadgets/qz_list_tree.h"
#include "gadgets/qz_pages.h"
#include "gadgets/qz_widgets.h"
#include "image/qz_image.h"
#include "objects/object_services.h"
#include "objects/qz_class_kit.h"
#include "objects/qz_notify.h"
#include "objects/qz_root.h"
#include "plugins/plugin_family.h"
#include "qzio/qzio.h"
#include "qzio/root_qzio.h"

namespace {

constexpr uint32_t kQzioPluginClassId = 0x3E8000C;
constexpr uint32_t kTitleText = 72;
constexpr uint32_t kBringToFront = 0x3E80016, kShowSavePage = 0x3E80020;
constexpr const char* kPlaceholder = "-";
// User data of the gadgets.
constexpr QzWord kLoadList = 1, kSaveList = 2, kOpenButton = 5;
constexpr size_t kLoadSlot = 0, kSaveSlot = 1;  // of the image base's format objects

struct FormatPage {
  Qz_Object* list = nullptr;
  Qz_Object* options = nullptr;  // the area showing the format's gadgets
  Qz_Object* shown = nullptr;    // what the area shows: the placeholder or the format's gadgets
  Qz_Object* placeholder = nullptr;
};

struct Qz_QzioPluginObject {
  Qz_Object header{};
  Qz_Object* pages = nullptr;
  Qz_Object* open = nullptr;
  FormatPage page[2];
};

Qz_QzioPluginObject* Qz__Self(Qz_Object* o) { return qz::kit::self<Qz_QzioPluginObject>(o); }
Qz_QzioPluginObject* Qz__FromUser(QzWord user) { return reinterpret_cast<Qz_QzioPluginObject*>(user); }

void Qz__Show(FormatPage& page, Qz_Object* gadgets) {
  Qz_Object* next = gadgets ? gadgets : page.placeholder;
  if (next == page.shown) return;
  Qz_DoMethod(page.options, kGroupDisableLayout);
  if (page.shown) Qz_DoMethod(page.options, kGroupRemove, page.shown);
  Qz_DoMethod(page.options, kGroupAddTail, next);
  page.shown = next;
  Qz_DoMethod(page.options, kGroupEnableLayout);
  Qz_RelayoutAndRedrawObject(page.options);
}

// A format was chosen on a page: its object replaces the program's previous
// one for loading (or saving), and its option gadgets show on the page.
void Qz__Chosen(QzWord user, Qz_Object* source, uint32_t, const QzWord* value) {
  Qz_QzioPluginObject* p = Qz__FromUser(user);
  auto* item = reinterpret_cast<Qz_Object*>(value[0]);
  const bool saving = Qz_DoMethod(source, kRootGetUserData) == kSaveList;
  FormatPage& page = p->page[saving ? 1 : 0];
  const char* label = item ? reinterpret_cast<const char*>(Qz_DoMethod(item, kRootGetLabel)) : nullptr;
  if (!label || !*label) return;
  const std::string className = std::string(label) + "QZIO";
  Qz_Object* format = Qz_CreateObject(className.c_str());
  auto* gadgets =
      format ? reinterpret_cast<Qz_Object*>(Qz_DoMethod(format, saving ? kQzioGetSaveOptions : kQzioGetLoadOptions))
             : nullptr;
  Qz__Show(page, gadgets);
  Qz_ImageBase* base = Qz_GetImageBase();
  Qz_Object*& slot = base->ioObjects[saving ? kSaveSlot : kLoadSlot];
  Qz_Object* previous = slot;
  slot = format;
  Qz_DisposeObject(previous);  // its gadgets went out of the area above
}

void Qz__OpenPressed(QzWord, Qz_Object*, uint32_t, const QzWord*) {
  if (Qz_Image* app = Qz_GetImageBase()->applicationImage) Qz_PostImageMethod(app, kQzAppOpenFile, 0, 0);
}

// A label keeps the text's address: format names are kept for the process,
// one copy each, whatever panels come and go.
const char* Qz__KeptName(const std::string& name) {
  static std::mutex lock;
  static auto* kept = new std::set<std::string>;
  std::lock_guard<std::mutex> hold(lock);
  return kept->insert(name).first->c_str();
}

// The formats registered for a use, as list rows.
bool Qz__FillList(Qz_Object* list, qzio::FormatUse use) {
  for (const std::string& offered : qzio::OfferedFormatNames(use)) {
    const char* name = Qz__KeptName(offered);
    Qz_Object* row = Qz_CreateObject("ListTreeItem", kRootSetLabel, name);
    if (!row) return false;
    Qz_AddObject(row, "Text", kRootSetLabel, name);
    Qz_DoMethod(list, kGroupAddTail, row);
  }
  return true;
}

bool Qz__MakePage(Qz_Object* pages, FormatPage& page, QzWord which, qzio::FormatUse use) {
  Qz_Object* column = Qz_CreateObject("Group", kGroupSetMode, 1);
  page.list = Qz_CreateObject("ListTree", kRootSetUserData, which);
  // The list takes the room the gadgets do not need.
  page.options = Qz_CreateObject("Group", kGroupSetMode, 1, kGroupSetFrame, 2, kRootSetWeight, 0);
  page.placeholder = Qz_CreateObject("Text", kRootSetLabel, kPlaceholder);
  if (!column || !page.list || !page.options || !page.placeholder || !Qz__FillList(page.list, use)) {
    for (Qz_Object* o : {column, page.list, page.options, page.placeholder}) Qz_DisposeObject(o);
    page = FormatPage{};
    return false;
  }
  Qz_DoMethod(page.options, kGroupAddTail, page.placeholder);
  page.shown = page.placeholder;
  Qz_DoMethod(column, kGroupAddTail, page.list);
  Qz_DoMethod(column, kGroupAddTail, page.options);
  Qz_DoMethod(pages, kGroupAddTail, column);
  return true;
}

Qz_Object* Qz__MakePanel(Qz_Object* object) {
  Qz_QzioPluginObject* p = Qz__Self(object);
  p->pages = Qz_CreateObject("Pages");
  if (!p->pages) return nullptr;
  Qz_DoMethod(p->pages, kPagesLabelsPhase, 1);
  for (const char* picture : {"Data/Images/ToolBar/Open", "Data/Images/ToolBar/Save"})
    Qz_AddObject(p->pages, "BitMap", kBitMapLoad, picture);
  Qz_DoMethod(p->pages, kPagesLabelsPhase, 0);
  const bool made = Qz__MakePage(p->pages, p->page[0], kLoadList, qzio::FormatUse::Loading) &&
                    Qz__MakePage(p->pages, p->page[1], kSaveList, qzio::FormatUse::Saving);
  p->open = made ? Qz_CreateObject("Button", kRootSetUserData, kOpenButton) : nullptr;
  if (!p->open) {
    Qz_DisposeObject(p->pages);
    for (FormatPage& page : p->page) Qz_DisposeObject(page.placeholder);
    p->pages = p->open = nullptr;
    for (FormatPage& page : p->page) page = FormatPage{};
    return nullptr;
  }
  Qz_AddObject(p->open, "BitMap", kBitMapLoad, "Data/Images/ToolBar/Open");
  Qz_DoMethod(Qz_GetParentObject(p->page[0].list), kGroupAddTail, p->open);
  Qz_DoMethod(p->pages, kGroupShowPage, 0u);
  const char* title = qz::plugins::catalogueText(kTitleText);
  return qz::plugins::makePanel({title, title, "Data/Images/Tabs/QZIO"}, p->pages);
}

bool Qz__SetUp(Qz_Object* object) {
  Qz_QzioPluginObject* p = Qz__Self(object);
  const QzWord user = reinterpret_cast<QzWord>(p);
  for (FormatPage& page : p->page)
    Qz_AddCallBackNotify(page.list, kListTreeSetCurrentItem, kNotifyAnyValue, Qz__Chosen, user);
  Qz_AddCallBackNotify(p->open, kButtonPressed, kNotifyAnyValue, Qz__OpenPressed, user);
  return true;
}

// A format's gadgets belong to its object, which outlives the panel: the
// placeholder goes back in their place to be disposed with the panel.
void Qz__TearDown(Qz_Object* object) {
  for (FormatPage& page : Qz__Self(object)->page) {
    if (!page.shown || page.shown == page.placeholder) continue;
    Qz_DoMethod(page.options, kGroupRemove, page.shown);
    Qz_DoMethod(page.options, kGroupAddTail, page.placeholder);
    page.shown = page.placeholder;
  }
}

QzWord Qz__Dispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  switch (id) {
    case kRootStoreChildren: return 1;
    case kBringToFront:
    case kShowSavePage:
      Qz_DoMethod(object, kQzPluginBringToFront);
      Qz_DoMethod(Qz__Self(object)->pages, kGroupShowPage, 1u);
      return 0;
    default: return qz::kit::inherited(object, id, args);
  }
}

const qz::kit::ClassDecl kQzioPlugin = {
    .name = "QZIOPlugin", .superName = "RootPlugin", .classId = kQzioPluginClassId,
    .instance = qz::kit::instanceOf<Qz_QzioPluginObject>(), .handler = Qz__Dispatch,
    .makeSuper = Qz__MakePanel, .setUp = Qz__SetUp, .tearDown = Qz__TearDown};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitQZIOPluginClass(Qz_GlobalData*) { return qz::kit::addClass(kQzioPlugin); }
QZ_EXPORT void Qz_CleanupQZIOPluginClass(void) { qz::kit::removeClass(kQzioPlugin); }
QZ_EXTERN_C_END
