// PluginContainer: a column of pages, one tab each, every page holding a
// group of panels. Its header menu adds panels by class name, opens a new
// page, saves and restores the panel layout and closes the container.
// Added objects each get a page of their own, which is how the layout file
// rebuilds it.
#include <cstring>

#include "gadgets/qz_group.h"
#include "gadgets/qz_popups.h"
#include "gadgets/qz_widgets.h"
#include "gadgets/qz_window.h"
#include "image/qz_image.h"
#include "objects/async_methods.h"
#include "objects/object_services.h"
#include "objects/object_text.h"
#include "objects/qz_class_kit.h"
#include "objects/qz_linked_list.h"
#include "objects/qz_notify.h"
#include "objects/qz_root.h"
#include "platform/windows.h"
#include "plugins/plugin_layout.h"
#include "plugins/qz_root_plugin.h"

namespace {

// The pages gadget: a header, a tab list and a page list.
constexpr uint32_t kPagesSetHeader = 0xB000A;
constexpr uint32_t kPagesPageList = 0xB001E;
constexpr uint32_t kPagesTabList = 0xB0028;
constexpr uint32_t kPagesAddingLabels = 0x50616765;
constexpr uint32_t kBitMapLoad = 0x8001E;
constexpr uint32_t kTextAngle = 0x40032;
constexpr uint32_t kScreenPlatformRecord = 0x4601B8;
constexpr int32_t kSmallScreenHeight = 500;
constexpr uint32_t kRefusedCloseText = 356;

struct Qz_PluginContainerObject {
  Qz_Object header{};  // super: the root vertical group
  Qz_Object* menu = nullptr;
  Qz_Object* pages = nullptr;
  Qz_Object* root = nullptr;
  int32_t laidOut = 0;
};

Qz_PluginContainerObject* Qz__Self(Qz_Object* object) { return qz::kit::self<Qz_PluginContainerObject>(object); }

const char* Qz__Text(uint32_t entry) {
  const char* const* catalogue = Qz_GetImageBase()->catalogue;
  return catalogue && catalogue[entry] ? catalogue[entry] : "";
}

bool Qz__HasTabs(Qz_PluginContainerObject* c) { return Qz_DoMethod(c->pages, kPagesPageList) != 0; }

// The list of page groups: the pages gadget's, or the plain group standing
// in for it while no tabbed pages are registered.
Qz_Object* Qz__PageList(Qz_PluginContainerObject* c) {
  auto* list = reinterpret_cast<Qz_Object*>(Qz_DoMethod(c->pages, kPagesPageList));
  return list ? list : c->pages;
}

Qz_Object* Qz__CurrentPage(Qz_PluginContainerObject* c) {
  if (Qz__HasTabs(c)) return reinterpret_cast<Qz_Object*>(Qz_DoMethod(c->pages, kGroupGetPageObject));
  return reinterpret_cast<Qz_Object*>(Qz_DoMethod(c->pages, kLinkedListLast));
}

QzWord Qz__NewPage(Qz_PluginContainerObject* c) {
  if (Qz__HasTabs(c)) {
    Qz_Object* tab = Qz_CreateObjects(0, kBuildVGroup, kGroupSetAlignment, 2, kBuildSpace, 6, kBuildObject, "BitMap",
                                      kFixWidth, 14, kFixHeight, 16, kBuildClose, kBuildSpaceHWeighted, 16,
                                      kBuildSpace, 6, kBuildObject, "Text", kRootSetLabel, "", kTextAngle, 270,
                                      kBuildClose, kBuildSpace, 6, kBuildClose);
    Qz_DoMethod(c->pages, kPagesAddingLabels, 1);
    if (tab) Qz_DoMethod(c->pages, kLinkedListAddTail, tab);
    Qz_DoMethod(c->pages, kPagesAddingLabels, 0);
  }
  Qz_Object* page = Qz_CreateObject("Group", kGroupSetMode, kPluginGroupVertical, kGroupSetAlignment, 4, kGroupSetOptions, 1);
  if (!page) return 0;
  Qz_DoMethod(c->pages, kLinkedListAddTail, page);
  if (Qz__HasTabs(c)) Qz_DoMethod(c->pages, kGroupShowPageObject, page);
  return 1;
}

QzWord Qz__Add(Qz_PluginContainerObject* c, const QzWord* args) {
  auto* object = reinterpret_cast<Qz_Object*>(args[0]);
  if (!object) return 0;
  Qz__NewPage(c);
  if (Qz_GetObjectClassID(object) == kGroupClassId) Qz_DoMethod(object, kGroupSetAcceptsDrops, 1);
  Qz_Object* page = Qz__CurrentPage(c);
  return page ? Qz_DoMethod(page, kLinkedListAddTail, object) : 0;
}

// The panel a page shows: the first object of the page's inner group, or null
// for an empty page.
Qz_Object* Qz__PanelOfPage(Qz_Object* page) {
  auto* inner = reinterpret_cast<Qz_Object*>(Qz_DoMethod(page, kLinkedListFirst));
  auto* panel = inner ? reinterpret_cast<Qz_Object*>(Qz_DoMethod(inner, kLinkedListFirst)) : nullptr;
  return panel && Qz_IsPluginClassId(Qz_GetObjectClassID(panel)) ? panel : nullptr;
}

bool Qz__SmallScreen() {
  Qz_Object* screen = Qz_GetImageBase()->screen;
  const auto* platform = reinterpret_cast<const Screen*>(Qz_DoMethod(screen, kScreenPlatformRecord));
  if (!platform) return false;
  int32_t height = 0;
  Qz_GetScreenSize(platform, nullptr, &height);
  return height < kSmallScreenHeight;
}

// The next tab button in the tab column after `after` (from the start when
// null): the column also holds spacers, which belong to no page.
Qz_Object* Qz__NextTabButton(Qz_Object* tabs, Qz_Object* after) {
  auto* member = reinterpret_cast<Qz_Object*>(after ? Qz_DoMethod(tabs, kLinkedListNext, after)
                                                    : Qz_DoMethod(tabs, kLinkedListFirst));
  while (member && Qz_GetObjectClassID(member) != kButtonClassId)
    member = reinterpret_cast<Qz_Object*>(Qz_DoMethod(tabs, kLinkedListNext, member));
  return member;
}

// Each tab takes its label and picture from its page's first panel, or,
// given a panel, only the tab of the page that panel heads.
void Qz__LabelTabs(Qz_PluginContainerObject* c, Qz_Object* only = nullptr) {
  if (!Qz__HasTabs(c)) return;
  auto* pages = reinterpret_cast<Qz_Object*>(Qz_DoMethod(c->pages, kPagesPageList));
  auto* tabs = reinterpret_cast<Qz_Object*>(Qz_DoMethod(c->pages, kPagesTabList));
  const bool small = Qz__SmallScreen();
  auto* page = reinterpret_cast<Qz_Object*>(Qz_DoMethod(pages, kLinkedListFirst));
  Qz_Object* button = Qz__NextTabButton(tabs, nullptr);
  for (; page && button; page = reinterpret_cast<Qz_Object*>(Qz_DoMethod(pages, kLinkedListNext, page)),
                         button = Qz__NextTabButton(tabs, button)) {
    // Each button wraps the label group this container made for the page.
    auto* tab = reinterpret_cast<Qz_Object*>(Qz_DoMethod(button, kLinkedListFirst));
    Qz_Object* panel = Qz__PanelOfPage(page);
    if (!panel || (only && panel != only)) continue;
    auto* label = reinterpret_cast<const char*>(Qz_DoMethod(panel, kQzPluginGetShortTitle));
    if (!label || !*label) label = reinterpret_cast<const char*>(Qz_DoMethod(panel, kQzPluginGetTitle));
    auto* path = reinterpret_cast<const char*>(Qz_DoMethod(panel, kQzPluginGetTabImagePath));
    auto* picture = reinterpret_cast<Qz_Object*>(Qz_DoMethod(tab, kLinkedListMemberAt, 1));
    auto* text = reinterpret_cast<Qz_Object*>(Qz_DoMethod(tab, kLinkedListMemberAt, 4));
    if (small) Qz_DoMethod(picture, kFixHeight, 1);
    else if (path) Qz_DoMethod(picture, kBitMapLoad, path);
    Qz_DoMethod(text, kRootSetLabel, label ? label : "");
  }
}

// The tabs are labelled at the first layout, with the first page shown.
void Qz__FillTabs(Qz_PluginContainerObject* c) {
  c->laidOut = 1;
  if (Qz__HasTabs(c)) Qz_DoMethod(c->pages, kGroupShowPage, 0);
  Qz__LabelTabs(c);
}

// The group of a page that holds its panels, made when the page has none.
Qz_Object* Qz__InnerGroup(Qz_Object* page) {
  if (!page) return nullptr;
  if (Qz_DoMethod(page, kLinkedListCount) == 0)
    Qz_DoMethod(page, kLinkedListAddTail, Qz_CreateObject("Group", kGroupSetMode, kPluginGroupVertical,
                                                          kGroupSetAcceptsDrops, 1));
  return reinterpret_cast<Qz_Object*>(Qz_DoMethod(page, kLinkedListFirst));
}

// The page whose tab lies under the point, or null.
Qz_Object* Qz__PageOfTabAt(Qz_PluginContainerObject* c, int32_t x, int32_t y) {
  if (!Qz__HasTabs(c)) return nullptr;
  auto* pages = reinterpret_cast<Qz_Object*>(Qz_DoMethod(c->pages, kPagesPageList));
  auto* tabs = reinterpret_cast<Qz_Object*>(Qz_DoMethod(c->pages, kPagesTabList));
  auto* page = reinterpret_cast<Qz_Object*>(Qz_DoMethod(pages, kLinkedListFirst));
  for (Qz_Object* button = Qz__NextTabButton(tabs, nullptr); page && button;
       page = reinterpret_cast<Qz_Object*>(Qz_DoMethod(pages, kLinkedListNext, page)),
       button = Qz__NextTabButton(tabs, button))
    if (Qz_IsCoordOverObject(button, x, y)) return page;
  return nullptr;
}

// A drop on the container that no page's panels took (its tabs, its menu,
// the room below the panels): the page of the tab under the point, else the
// page shown, takes it.
QzWord Qz__Drop(Qz_Object* object, Qz_PluginContainerObject* c, const QzWord* args) {
  if (QzWord taken = qz::kit::inherited(object, kGroupDrop, args)) return taken;
  const auto x = int32_t(args[1]), y = int32_t(args[2]);
  if (!Qz_IsCoordOverObject(object, x, y)) return 0;
  Qz_Object* page = Qz__PageOfTabAt(c, x, y);
  return qz::toWord(Qz__InnerGroup(page ? page : Qz__CurrentPage(c)));
}

// The panel's page comes to the front; a page it now heads is named after it.
QzWord Qz__ShowPanel(Qz_Object* object, Qz_PluginContainerObject* c, Qz_Object* panel) {
  if (c->laidOut && panel) Qz__LabelTabs(c, panel);
  if (panel) Qz_DoMethod(panel, kQzPluginBringToFront);
  Qz_RelayoutAndRedrawObject(Qz_GetTopMostObject(object));
  return 1;
}

// A panel goes back to the page group it came from, at its old place, when
// that group is still one of this container's; else to the first page left
// without panels; else to a new page.
QzWord Qz__PlacePanel(Qz_Object* object, Qz_PluginContainerObject* c, const QzWord* args) {
  auto* panel = reinterpret_cast<Qz_Object*>(args[0]);
  auto* origin = reinterpret_cast<Qz_Object*>(args[1]);
  const QzWord index = args[2];
  if (!panel) return 0;
  Qz_Object* pages = Qz__PageList(c);
  Qz_Object* empty = nullptr;
  Qz_Object* home = nullptr;
  for (auto* page = reinterpret_cast<Qz_Object*>(Qz_DoMethod(pages, kLinkedListFirst)); page && !home;
       page = reinterpret_cast<Qz_Object*>(Qz_DoMethod(pages, kLinkedListNext, page))) {
    auto* inner = reinterpret_cast<Qz_Object*>(Qz_DoMethod(page, kLinkedListFirst));
    if (origin && inner == origin) home = inner;
    else if (!empty && (!inner || Qz_DoMethod(inner, kLinkedListCount) == 0)) empty = page;
  }
  QzWord placed = 0;
  if (home) {
    const QzWord count = Qz_DoMethod(home, kLinkedListCount);
    auto* before = index > 0 && index <= count ? reinterpret_cast<Qz_Object*>(Qz_DoMethod(home, kGroupMemberAt, index - 1))
                                               : nullptr;
    placed = Qz_DoMethod(home, kGroupInsertMember, panel,
                         before ? qz::toWord(before) : index == 0 ? kLinkedListAtHead : kLinkedListAtTail);
  } else if (Qz_Object* inner = Qz__InnerGroup(empty)) {
    placed = Qz_DoMethod(inner, kLinkedListAddTail, panel);
  } else if (Qz_Object* group = Qz_CreateObject("Group", kGroupSetMode, kPluginGroupVertical)) {
    Qz_DoMethod(group, kLinkedListAddTail, panel);
    const QzWord words[] = {qz::toWord(group)};
    placed = Qz__Add(c, words);
    // Not placed: the group lets go of the panel, so that only it goes.
    if (!placed) {
      Qz_DoMethod(group, kLinkedListRemove, panel);
      Qz_DisposeObject(group);
    }
  }
  if (!placed) return 0;
  return Qz__ShowPanel(object, c, panel);
}

QzWord Qz__Close(Qz_PluginContainerObject* c) {
  Qz_Object* outer = Qz_GetTopMostObject(&c->header);
  if (Qz_PluginHoldsOptions(outer)) {
    Qz_MessageBoxA("Quillantrix", Qz__Text(kRefusedCloseText), 1, Qz_GetImageBase()->screen);
    return 0;
  }
  if (Qz_Image* app = Qz_GetImageBase()->applicationImage) Qz_DoAsyncMethod(&app->object, kQzPluginClose, outer);
  return 0;
}

void Qz__MenuChoice(QzWord userData, Qz_Object*, uint32_t, const QzWord* words) {
  auto* object = reinterpret_cast<Qz_Object*>(userData);
  Qz_PluginContainerObject* c = Qz__Self(object);
  auto* item = reinterpret_cast<Qz_Object*>(words[0]);
  const QzWord choice = item ? Qz_DoMethod(item, kRootGetUserData) : 0;
  switch (choice) {
    case 0: return;
    case kContainerCommandNewPage: Qz_DoMethod(object, kQzContainerNewPage, " "); return;
    case kContainerCommandSaveLayout: Qz_SavePluginLayout(); return;
    case kContainerCommandRestoreLayout: Qz_RestorePluginLayout(); return;
    case kContainerCommandClose: Qz_DoMethod(object, kQzContainerClose); return;
    default: break;
  }
  if (choice < 0x10000) return;  // a command this container does not know
  Qz_Object* page = Qz__CurrentPage(c);
  if (!page) return;
  Qz_Object* inner = Qz__InnerGroup(page);
  Qz_Object* panel = Qz_CreateObject(reinterpret_cast<const char*>(choice));
  if (!inner || !panel) {
    Qz_DisposeObject(panel);
    return;
  }
  Qz_DoMethod(inner, kLinkedListAddTail, panel);
  Qz_RelayoutAndRedrawObject(Qz_GetTopMostObject(&c->header));
  // A panel that follows the active image shows it at once, not at its next change.
  Qz_AnnounceActiveImageToPanels();
}

QzWord Qz__StoreChildren(Qz_PluginContainerObject* c, const QzWord* args) {
  Qz_Object* pages = Qz__PageList(c);
  for (auto* page = reinterpret_cast<Qz_Object*>(Qz_DoMethod(pages, kLinkedListFirst)); page;
       page = reinterpret_cast<Qz_Object*>(Qz_DoMethod(pages, kLinkedListNext, page)))
    Qz_DoMethodA(page, kRootStoreChildren, args);
  return 1;
}

QzWord Qz__PluginContainerDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  Qz_PluginContainerObject* c = Qz__Self(object);
  switch (id) {
    case kQzContainerNewPage: return Qz__NewPage(c);
    case kQzContainerPageCount: return Qz_DoMethod(Qz__PageList(c), kLinkedListCount);
    case kQzContainerClose: return Qz__Close(c);
    case kLinkedListAddTail: return Qz__Add(c, args);
    case kRootMeasure:
      if (!c->laidOut) Qz__FillTabs(c);
      return qz::kit::inherited(object, id, args);
    case kRootStoreChildren: return Qz__StoreChildren(c, args);
    case kGroupDrop: return Qz__Drop(object, c, args);
    case kQzContainerPlacePanel: return Qz__PlacePanel(object, c, args);
    case kQzContainerShowPanel: return Qz__ShowPanel(object, c, reinterpret_cast<Qz_Object*>(args[0]));
    default:
      if ((id >> 16) == (kLinkedListClassId >> 16)) return Qz_DoMethodA(Qz__CurrentPage(c), id, args);
      return qz::kit::inherited(object, id, args);
  }
}

// The menu: panels by class name, then the commands.
Qz_Object* Qz__MakeMenu() {
  struct Item { QzWord data; uint32_t label; bool spaceBefore; };
  static const Item kItems[] = {
      {qz::toWord("ColourChooserPlugin"), 57, false}, {qz::toWord("CoordsPlugin"), 239, false},
      {qz::toWord("ImageControlPlugin"), 58, false}, {qz::toWord("InspectionPlugin"), 370, false},
      {qz::toWord("MediaPlugin"), 59, false}, {qz::toWord("PaintModeSelectorPlugin"), 60, false},
      {qz::toWord("PalettePlugin"), 63, false}, {qz::toWord("PreviewPlugin"), 232, false},
      {qz::toWord("TransGradientPlugin"), 265, false}, {qz::toWord("VignettePlugin"), 379, false},
      {kContainerCommandNewPage, 66, true}, {kContainerCommandSaveLayout, 68, true},
      {kContainerCommandRestoreLayout, 69, false}};
  Qz_Object* list = Qz_CreateObject("Group", kGroupSetMode, kPluginGroupVertical, kGroupSetFrame, 1);
  if (!list) return nullptr;
  for (const Item& item : kItems) {
    if (item.spaceBefore) Qz_AddObject(list, "Space", kSpaceSetEtched, 1, kSpaceSetSize, 4);
    Qz_AddObject(list, "MenuItem", kRootSetUserData, item.data, kMenuItemSetText, Qz__Text(item.label));
  }
  return list;
}

Qz_Object* Qz__MakeContainerFrame(Qz_Object* object) {
  Qz_PluginContainerObject* c = Qz__Self(object);
  const bool tabbed = Qz_FindClassFromName("VerticalPages") != nullptr;
  Qz_Object* root = Qz_CreateSubClassObjects(
      0, kBuildVGroup, kGroupSetFrame, 6, kBuildStoreLast, &c->root,
      kBuildObject, tabbed ? "VerticalPages" : "Group", kBuildStoreLast, &c->pages, kBuildClose, kBuildClose);
  if (!root || !c->pages) {
    Qz_DisposeObject(root);
    return nullptr;
  }
  if (!tabbed) Qz_DoMethod(c->pages, kGroupSetMode, kPluginGroupVertical);
  Qz_Object* header = Qz_CreateObjects(0, kBuildVGroup, kBuildSpace, 4, kBuildHGroup, kBuildObject, "PopUp",
                                       kBuildStoreLast, &c->menu, kBuildHGroup, kBuildObject, "VectorImage",
                                       kVectorImageSetKind, kVectorImageDownArrow, kFixWidth, 12, kFixHeight, 10,
                                       kBuildClose, kBuildClose,
                                       kBuildClose, kBuildSpaceH, kBuildClose, kBuildSpace, 4, kBuildClose);
  if (header && c->menu) {
    if (Qz_Object* items = Qz__MakeMenu()) {
      Qz_DoMethod(c->menu, kPopUpChildrenInPopUp, 1);
      Qz_DoMethod(c->menu, kLinkedListAddTail, items);
      Qz_DoMethod(c->menu, kPopUpChildrenInPopUp, 0);
    }
    Qz_AddCallBackNotify(c->menu, kPopUpChosen, kNotifyAnyValue, Qz__MenuChoice, qz::toWord(object));
  }
  if (tabbed) Qz_DoMethod(c->pages, kPagesSetHeader, header);
  else if (header) Qz_DoMethod(root, kLinkedListAddHead, header);
  return root;
}

const qz::kit::ClassDecl kPluginContainer = {
    .name = "PluginContainer", .superName = "Group", .classId = kPluginContainerClassId,
    .instance = qz::kit::instanceOf<Qz_PluginContainerObject>(), .handler = Qz__PluginContainerDispatch,
    .makeSuper = Qz__MakeContainerFrame};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitPluginContainerClass(Qz_GlobalData*) { return qz::kit::addClass(kPluginContainer); }
QZ_EXPORT void Qz_CleanupPluginContainerClass(void) { qz::kit::removeClass(kPluginContainer); }
QZ_EXTERN_C_END
