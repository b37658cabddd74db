// ImageTreePlugin: the active image's list of steps, with a pop-up to load
// and store that list and a button that replays the current layer's steps.
// Not among the panels the program offers; made by name where wanted.
#include "actions/qz_actions.h"
#include "gadgets/qz_group.h"
#include "gadgets/qz_popups.h"
#include "gadgets/qz_widgets.h"
#include "image/qz_image.h"
#include "objects/qz_class_kit.h"
#include "objects/qz_linked_list.h"
#include "objects/qz_notify.h"
#include "objects/qz_root.h"
#include "plugins/plugin_family.h"

namespace {

constexpr uint32_t kImageTreeClassId = 0x3E80002;
constexpr uint32_t kTitleText = 71;
// The pop-up's items.
constexpr QzWord kNew = 1, kOpen = 2, kInsert = 3, kSaveAs = 4, kSave = 5;

struct Qz_ImageTreeObject {
  Qz_Object header{};
  Qz_Object* popUp = nullptr;
  Qz_Object* area = nullptr;
  Qz_Object* placeholder = nullptr;
  Qz_Object* shownList = nullptr;  // an image's undo list while the area shows it (the image's)
  Qz_Object* button = nullptr;
  QzWord follow = 0;
};

Qz_ImageTreeObject* Qz__Self(Qz_Object* o) { return qz::kit::self<Qz_ImageTreeObject>(o); }

void Qz__Replay() {
  if (Qz_Image* layer = qz::plugins::activeLayer()) Qz_RedoAllLayerActions(layer);
}

void Qz__ItemChosen(QzWord item) {
  Qz_Image* image = qz::plugins::activeImage();
  if (!image) return;
  switch (item) {
    case kNew: return Qz__Replay();
    case kOpen:
    case kInsert: Qz_LoadImageActions(image, nullptr); return;
    case kSaveAs:
    case kSave: Qz_SaveImageActions(image, nullptr); return;
    default: return;
  }
}

// The area shows the active image's undo list while it has a current layer.
void Qz__ShowList(Qz_ImageTreeObject* p) {
  if (p->shownList) {
    Qz_DoMethod(p->area, kGroupRemove, p->shownList);
    Qz_DoMethod(p->area, kGroupAddTail, p->placeholder);
    p->shownList = nullptr;
  }
  Qz_Image* image = qz::plugins::activeImage();
  Qz_Object* list = image && qz::plugins::activeLayer() ? Qz_GetUndoList(image) : nullptr;
  if (!list) return;
  Qz_DoMethod(p->area, kGroupRemove, p->placeholder);
  Qz_DoMethod(p->area, kGroupAddTail, list);
  p->shownList = list;
}

// One callback for the application image, the pop-up and the button; what
// fired it with no user data (all three) replays the current layer last.
void Qz__Event(QzWord user, Qz_Object* source, uint32_t method, const QzWord* value) {
  Qz_ImageTreeObject* p = reinterpret_cast<Qz_ImageTreeObject*>(user);
  if (method == kPopUpChosen) {
    auto* item = reinterpret_cast<Qz_Object*>(value[0]);
    if (item) Qz__ItemChosen(Qz_DoMethod(item, kRootGetUserData));
  } else if (method == kQzImageMakeActive) {
    Qz__ShowList(p);
  }
  if (Qz_DoMethod(source, kRootGetUserData) == 0) Qz__Replay();
}

Qz_Object* Qz__MakePanel(Qz_Object* object) {
  Qz_ImageTreeObject* p = Qz__Self(object);
  Qz_Object* column = Qz_CreateObject("Group", kGroupSetMode, 1);
  p->popUp = Qz_CreateObject("PopUp", kGroupSetMode, 2, kGroupSetFrame, 1);
  Qz_Object* menu = Qz_CreateObject("Group", kGroupSetMode, 1, kGroupSetFrame, 1);
  p->area = Qz_CreateObject("Group", kGroupSetMode, 1);
  p->placeholder = Qz_CreateObject("Space");
  p->button = qz::plugins::textButton("Recalculate");
  if (!column || !p->popUp || !menu || !p->area || !p->placeholder || !p->button) {
    for (Qz_Object* o : {column, p->popUp, menu, p->area, p->placeholder, p->button}) Qz_DisposeObject(o);
    p->popUp = p->area = p->placeholder = p->button = nullptr;
    return nullptr;
  }
  Qz_AddObject(p->popUp, "VectorImage", kFixWidth, 12, kFixHeight, 10);
  Qz_AddObject(p->popUp, "Text", kRootSetLabel, "Actions");
  const struct {
    const char* label;
    QzWord data;
  } items[] = {{"New", kNew}, {"Open...", kOpen}, {"Insert...", kInsert}, {nullptr, 0}, {"Save", kSave},
               {"Save As...", kSaveAs}};
  for (const auto& item : items) {
    if (!item.label)
      Qz_AddObject(menu, "Space", kSpaceSetEtched, 1, kSpaceSetSize, 4);
    else
      Qz_AddObject(menu, "MenuItem", kRootSetUserData, item.data, kMenuItemSetText, item.label);
  }
  Qz_DoMethod(p->popUp, kPopUpChildrenInPopUp, 1);
  Qz_DoMethod(p->popUp, kLinkedListAddTail, menu);
  Qz_DoMethod(p->popUp, kPopUpChildrenInPopUp, 0);
  Qz_DoMethod(p->area, kGroupAddTail, p->placeholder);
  for (Qz_Object* o : {p->popUp, p->area, p->button}) Qz_DoMethod(column, kGroupAddTail, o);
  const char* title = qz::plugins::catalogueText(kTitleText);
  return qz::plugins::makePanel({title, title, nullptr}, column);
}

bool Qz__SetUp(Qz_Object* object) {
  Qz_ImageTreeObject* p = Qz__Self(object);
  const QzWord user = reinterpret_cast<QzWord>(p);
  p->follow = qz::plugins::followApplication(kQzImageMakeActive, Qz__Event, user);
  Qz_AddCallBackNotify(p->button, kButtonPressed, kNotifyAnyValue, Qz__Event, user);
  Qz_AddCallBackNotify(p->popUp, kPopUpChosen, kNotifyAnyValue, Qz__Event, user);
  if (qz::plugins::activeImage()) {
    Qz__ShowList(p);
    Qz__Replay();
  }
  return true;
}

// The undo list shown belongs to its image; the placeholder then lies
// outside the panel and goes by itself.
void Qz__TearDown(Qz_Object* object) {
  Qz_ImageTreeObject* p = Qz__Self(object);
  qz::plugins::stopFollowing(p->follow);
  if (p->shownList) {
    Qz_DoMethod(p->area, kGroupRemove, p->shownList);
    p->shownList = nullptr;
    Qz_DisposeObject(p->placeholder);
  }
  p->placeholder = nullptr;
}

QzWord Qz__Dispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  if (id == kRootStoreChildren) return 1;
  return qz::kit::inherited(object, id, args);
}

const qz::kit::ClassDecl kImageTreePlugin = {
    .name = "ImageTreePlugin", .superName = "RootPlugin", .classId = kImageTreeClassId,
    .instance = qz::kit::instanceOf<Qz_ImageTreeObject>(), .handler = Qz__Dispatch,
    .makeSuper = Qz__MakePanel, .setUp = Qz__SetUp, .tearDown = Qz__TearDown};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitImageTreePluginClass(Qz_GlobalData*) { return qz::kit::addClass(kImageTreePlugin); }
QZ_EXPORT void Qz_CleanupImageTreePluginClass(void) { qz::kit::removeClass(kImageTreePlugin); }
QZ_EXTERN_C_END
