// UndoRedoPlugin: the undo and redo buttons of the active image, each with a
// history pop-up that lists the steps by name, undoes or redoes down to a
// chosen one, and offers to free or discard what the history holds.
// Every move takes the image's exclusive lock itself, never over a shared
// hold of this panel, and acts only on steps still on the image's lists.
#include <string>
#include <vector>

#include "actions/qz_actions.h"
#include "actions/undo_history.h"
#include "gadgets/qz_group.h"
#include "gadgets/qz_popups.h"
#include "gadgets/qz_widgets.h"
#include "image/qz_image.h"
#include "objects/qz_class_kit.h"
#include "objects/qz_draw_info.h"
#include "objects/qz_notify.h"
#include "objects/qz_root.h"
#include "plugins/history_menu.h"
#include "plugins/plugin_family.h"

namespace {

constexpr uint32_t kUndoRedoClassId = 0x3E8000B;
constexpr uint32_t kButtonFrame = 19;
constexpr QzWord kBelowTheButton = 8;
constexpr int32_t kArrowWidth = 10, kArrowGap = 4;
constexpr uint32_t kMenuFrame = 1;
// Catalogue texts.
constexpr uint32_t kUndoTip = 322, kRedoTip = 323, kUndoHistoryTip = 324, kRedoHistoryTip = 325;
constexpr uint32_t kUndoStepsText = 45, kUndoBaseText = 46, kRedoStepsText = 47;
// User data of the memory items; an action entry's user data is the action.
constexpr QzWord kDiscardUndo = 4, kDiscardRedo = 5, kFreeUndoMemory = 6;

enum Side { kUndo = 0, kRedo = 1 };

struct MenuLine {
  std::string text;
  QzWord choice;  // a memory item's number, or the step
};

struct Qz_UndoRedoPluginObject {
  Qz_Object header{};
  Qz_Object* buttons[2] = {};
  Qz_Object* popUps[2] = {};
  // The menu a pop-up shows while open, and the texts of its lines.
  Qz_Object* menus[2] = {};
  std::vector<MenuLine> lines[2];
};

Qz_UndoRedoPluginObject* Qz__Self(Qz_Object* o) { return qz::kit::self<Qz_UndoRedoPluginObject>(o); }
Qz_UndoRedoPluginObject* Qz__FromUser(QzWord user) { return reinterpret_cast<Qz_UndoRedoPluginObject*>(user); }

Side Qz__SideOf(Qz_UndoRedoPluginObject* p, Qz_Object* source) {
  return source == p->buttons[kRedo] || source == p->popUps[kRedo] ? kRedo : kUndo;
}

void Qz__ButtonPressed(QzWord user, Qz_Object* source, uint32_t, const QzWord*) {
  Qz_UndoRedoPluginObject* p = Qz__FromUser(user);
  Qz_Image* image = qz::plugins::activeImage();
  if (Qz__SideOf(p, source) == kUndo) Qz_UndoImageAction(image);
  else Qz_RedoImageAction(image);
}

void Qz__DisposeMenu(Qz_UndoRedoPluginObject* p, Side side) {
  Qz_DisposeObject(p->menus[side]);
  p->menus[side] = nullptr;
  p->lines[side].clear();
}

// The menu of one pop-up: the steps by name, a gap, then the memory items.
// The lines show texts the panel keeps until the menu goes.
Qz_Object* Qz__BuildMenu(Qz_UndoRedoPluginObject* p, Side side) {
  Qz__DisposeMenu(p, side);
  Qz_Object* menu = Qz_CreateObject("Group", kGroupSetMode, 1, kGroupSetFrame, kMenuFrame);
  if (!menu) return nullptr;
  const auto* info = reinterpret_cast<const Qz_DrawInfo*>(Qz_DoMethod(p->popUps[side], kRootGetDrawInfo));
  Qz_Image* image = qz::plugins::activeImage();
  qz::actions::History history;
  if (image && Qz_LockImageA(image, kQzLockRead, nullptr)) {
    history = qz::actions::imageHistory(image, side == kRedo, qz::plugins::historyLines(info));
    Qz_UnlockImageA(image, kQzLockRead, nullptr);
  }
  std::vector<MenuLine>& lines = p->lines[side];
  for (qz::actions::HistoryEntry& entry : history.entries)
    lines.push_back({std::move(entry.name), qz::toWord(entry.action)});
  const size_t steps = lines.size();
  using qz::plugins::catalogueText;
  using qz::plugins::memoryText;
  if (side == kUndo) {
    const uint64_t held = history.totalBytes > history.baseBytes ? history.totalBytes - history.baseBytes : 0;
    lines.push_back({memoryText(catalogueText(kUndoStepsText), held, "KB"), kFreeUndoMemory});
    lines.push_back({memoryText(catalogueText(kUndoBaseText), history.baseBytes, "KB"), kDiscardUndo});
  } else {
    lines.push_back({memoryText(catalogueText(kRedoStepsText), history.baseBytes, "Kb"), kDiscardRedo});
  }
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i == steps) Qz_AddObject(menu, "Space", kSpaceSetSize, kArrowGap, kSpaceSetEtched, 1);
    Qz_DoMethod(menu, kGroupAddTail,
                Qz_CreateObject("Text", kRootSetLabel, lines[i].text.c_str(), kTextSetMode, kTextModeOpaque,
                                kRootSetUserData, lines[i].choice));
  }
  p->menus[side] = menu;
  return menu;
}

void Qz__Opening(QzWord user, Qz_Object* source, uint32_t, const QzWord* value) {
  Qz_UndoRedoPluginObject* p = Qz__FromUser(user);
  auto** slot = reinterpret_cast<Qz_Object**>(value[0]);
  Qz_Object* menu = Qz__BuildMenu(p, Qz__SideOf(p, source));
  if (slot && menu) *slot = menu;
}

// The line of the menu that holds what the pointer was released over.
Qz_Object* Qz__LineOf(Qz_Object* menu, Qz_Object* chosen) {
  for (auto* m = reinterpret_cast<Qz_Object*>(Qz_DoMethod(menu, kGroupFirst)); m;
       m = reinterpret_cast<Qz_Object*>(Qz_DoMethod(menu, kGroupNext, m)))
    if (m == chosen) return m;
  return nullptr;
}

void Qz__Chosen(QzWord user, Qz_Object* source, uint32_t, const QzWord* value) {
  Qz_UndoRedoPluginObject* p = Qz__FromUser(user);
  const Side side = Qz__SideOf(p, source);
  Qz_Object* line = Qz__LineOf(p->menus[side], reinterpret_cast<Qz_Object*>(value[0]));
  if (!line) return;
  const QzWord choice = Qz_DoMethod(line, kRootGetUserData);
  Qz_Image* image = qz::plugins::activeImage();
  if (side == kUndo && choice == kFreeUndoMemory) {
    qz::actions::freeUndoMemory(image);
  } else if (choice == kDiscardUndo || choice == kDiscardRedo) {
    Qz_DiscardImageActions(image, side == kRedo ? 1 : 0);
  } else {
    // Only a step this menu listed; the move checks it is still the image's.
    for (const MenuLine& listed : p->lines[side])
      if (listed.choice == choice) {
        auto* action = reinterpret_cast<Qz_Object*>(choice);
        if (side == kUndo) Qz_UndoImageActionsTo(image, action);
        else Qz_RedoImageActionsTo(image, action);
        break;
      }
  }
}

void Qz__Closed(QzWord user, Qz_Object* source, uint32_t, const QzWord*) {
  Qz_UndoRedoPluginObject* p = Qz__FromUser(user);
  Qz__DisposeMenu(p, Qz__SideOf(p, source));
}

Qz_Object* Qz__MakeButton(Side side) {
  const bool undo = side == kUndo;
  Qz_Object* button = Qz_CreateObject("Button", kGroupSetFrame, kButtonFrame, kRootSetUserData, QzWord(side),
                                      kRootSetToolTip, qz::plugins::catalogueText(undo ? kUndoTip : kRedoTip));
  if (button) Qz_AddObject(button, "BitMap", kBitMapLoad, undo ? "Data/Images/ToolBar/Undo" : "Data/Images/ToolBar/Redo");
  return button;
}

Qz_Object* Qz__MakePopUp(Side side) {
  Qz_Object* face = Qz_CreateObjects(0, kBuildVGroup, kBuildSpace, kArrowGap, kBuildObject, "VectorImage",
                                     kVectorImageSetKind, kVectorImageDownArrow, kFixWidth, kArrowWidth, kBuildClose,
                                     kBuildSpace, kArrowGap, kBuildClose);
  Qz_Object* popUp = Qz_CreateObject(
      "PopUp", kRootSetToolTip, qz::plugins::catalogueText(side == kUndo ? kUndoHistoryTip : kRedoHistoryTip),
      kGroupSetFrame, kButtonFrame, kPopUpSetPlacement, kBelowTheButton, kRootSetWeight, 0);
  if (!popUp || !face) {
    Qz_DisposeObject(popUp);
    Qz_DisposeObject(face);
    return nullptr;
  }
  Qz_DoMethod(popUp, kGroupAddTail, face);
  return popUp;
}

Qz_Object* Qz__MakePanel(Qz_Object* object) {
  Qz_UndoRedoPluginObject* p = Qz__Self(object);
  Qz_Object* row = Qz_CreateObject("Group", kGroupSetMode, 2, kRootSetWeight, 0, kGroupSetSpacing, 0);
  if (!row) return nullptr;
  for (Side side : {kUndo, kRedo}) {
    p->buttons[side] = Qz__MakeButton(side);
    p->popUps[side] = Qz__MakePopUp(side);
    Qz_DoMethod(row, kGroupAddTail, p->buttons[side]);
    Qz_DoMethod(row, kGroupAddTail, p->popUps[side]);
  }
  if (!p->buttons[kUndo] || !p->buttons[kRedo] || !p->popUps[kUndo] || !p->popUps[kRedo]) {
    Qz_DisposeObject(row);
    return nullptr;
  }
  return qz::plugins::makePanel({"UndoRedo", "UndoRedo", nullptr}, row);
}

bool Qz__SetUp(Qz_Object* object) {
  Qz_UndoRedoPluginObject* p = Qz__Self(object);
  Qz_DoMethod(object, kQzPluginHideTabBar, 1);
  Qz_DoMethod(object, kGroupSetFrame, 0);
  Qz_DoMethod(object, kRootSetWeight, 0);
  const QzWord user = reinterpret_cast<QzWord>(p);
  for (Side side : {kUndo, kRedo}) {
    Qz_AddCallBackNotify(p->buttons[side], kButtonPressed, kNotifyAnyValue, Qz__ButtonPressed, user);
    Qz_AddCallBackNotify(p->popUps[side], kPopUpOpening, kNotifyAnyValue, Qz__Opening, user);
    Qz_AddCallBackNotify(p->popUps[side], kPopUpChosen, kNotifyAnyValue, Qz__Chosen, user);
    Qz_AddCallBackNotify(p->popUps[side], kPopUpClosed, kNotifyAnyValue, Qz__Closed, user);
  }
  return true;
}

void Qz__TearDown(Qz_Object* object) {
  Qz_UndoRedoPluginObject* p = Qz__Self(object);
  for (Side side : {kUndo, kRedo}) {
    Qz_DoMethod(p->popUps[side], kRootDeselect);
    Qz__DisposeMenu(p, side);
  }
}

QzWord Qz__Dispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  if (id == kRootStoreChildren) return 1;
  return qz::kit::inherited(object, id, args);
}

const qz::kit::ClassDecl kUndoRedoPlugin = {
    .name = "UndoRedoPlugin", .superName = "RootPlugin", .classId = kUndoRedoClassId,
    .instance = qz::kit::instanceOf<Qz_UndoRedoPluginObject>(), .handler = Qz__Dispatch,
    .makeSuper = Qz__MakePanel, .setUp = Qz__SetUp, .tearDown = Qz__TearDown};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitUndoRedoPluginClass(Qz_GlobalData*) { return qz::kit::addClass(kUndoRedoPlugin); }
QZ_EXPORT void Qz_CleanupUndoRedoPluginClass(void) { qz::kit::removeClass(kUndoRedoPlugin); }
QZ_EXTERN_C_END
