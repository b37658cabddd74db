// PositionTool: moves the current layer, or the placement of its secondary
// image, its alpha image or both, by dragging over the view or by typing
// coordinates in its options panel. Every move is a PositionAction on the
// layer's undo list, carried out at once.
#include <atomic>
#include <cstdio>

#include "actions/action_internal.h"
#include "gadgets/qz_choice.h"
#include "gadgets/qz_group.h"
#include "gadgets/qz_input_event.h"
#include "gadgets/qz_text_entry.h"
#include "gadgets/qz_widgets.h"
#include "objects/catalogue.h"
#include "objects/qz_class_kit.h"
#include "objects/qz_notify.h"
#include "platform/windows.h"
#include "tools/qz_root_tool.h"
#include "tools/tool_button.h"

namespace {

constexpr uint32_t kPositionToolClassId = 0x17730000;
constexpr uint32_t kPositionTip = 305;  // catalogue: "Position Tool"
constexpr uint32_t kMoveCursor = 1;
constexpr const char* kPictures[] = {"Data/Images/ToolBar/Position"};
// Catalogue texts of the panel.
enum : uint32_t {
  kLayerText = 1, kAlphaText = 4, kSecondaryText = 5, kXText = 7, kYText = 8, kMoveText = 130,
  kLiveUpdateText = 151, kResetText = 158, kPositionText = 239
};

// What is moved; also the PositionAction's kind.
enum : int32_t { kMoveLayer = 0, kMoveSecondary = 1, kMoveAlpha = 2, kMoveBoth = 3 };

struct PositionToolObject {
  Qz_Object header{};  // super: the RootTool
  Qz_Object* button = nullptr;
  Qz_Object* xField = nullptr;
  Qz_Object* yField = nullptr;
  Qz_Object* liveBox = nullptr;
  Qz_Object* resetButton = nullptr;
  Qz_Object* chooser = nullptr;
  int32_t dragging = 0;
  int32_t pressX = 0, pressY = 0;  // the pointer at the press, window pixels
  int32_t startX = 0, startY = 0;  // the placement at the press
  int32_t live = 1;
  // The panel's thread and the view's both read these.
  std::atomic<int32_t> target{kMoveLayer};
  std::atomic<int32_t> guard{0};  // raised while the tool writes the fields itself
  char bothLabel[64] = {};
};

const QzWord kMoveCursorTags[] = {kToolSetCursorKind, kMoveCursor, TAG_DONE, 0};

PositionToolObject* Qz__Self(Qz_Object* object) { return reinterpret_cast<PositionToolObject*>(object); }

struct Placement {
  int32_t x, y, width, height;
};

// The placement a target moves; both sources are read from the secondary's.
Placement Qz__PlacementOf(const Qz_Image* layer, int32_t target) {
  const Qz_Placement& p = layer->placement;
  switch (target) {
    case kMoveLayer: return {p.layerX, p.layerY, p.layerWidth, p.layerHeight};
    case kMoveAlpha: return {p.firstX, p.firstY, p.firstWidth, p.firstHeight};
    default: return {p.secondX, p.secondY, p.secondWidth, p.secondHeight};
  }
}

// The image's newest action when it moves this layer's target: typing a
// coordinate then amends that step instead of an older one of another kind.
Qz_Object* Qz__NewestMove(Qz_Image* layer, int32_t target) {
  Qz_Object* list = Qz_GetUndoList(layer);
  Qz_Object* newest = list ? qz::actions::listFirst(list) : nullptr;
  if (!newest || qz::actions::classIdOf(newest) != kPositionActionClassId) return nullptr;
  if (Qz_DoMethod(newest, kActionGetLayer) != qz::toWord(layer)) return nullptr;
  return Qz_DoMethod(newest, kPositionActionGetKind) == QzWord(uint32_t(target)) ? newest : nullptr;
}

// A new move of the target on the layer's undo list; none on failure.
Qz_Object* Qz__NewMove(Qz_Object* tool, Qz_Image* layer, int32_t target) {
  const Placement from = Qz__PlacementOf(layer, target);
  Qz_Object* action = Qz_CreateObject("PositionAction");
  if (!action) return nullptr;
  Qz_DoMethod(action, kActionSetTool, tool);
  Qz_DoMethod(action, kPositionActionSetKind, uint32_t(target));
  Qz_DoMethod(action, kActionSetWidth, uint32_t(from.width));
  Qz_DoMethod(action, kActionSetHeight, uint32_t(from.height));
  if (!Qz_AddLayerAction(layer, action, 0)) {
    Qz_DisposeObject(action);
    return nullptr;
  }
  return action;
}

void Qz__ShowPlace(PositionToolObject* t, int32_t x, int32_t y) {
  t->guard.fetch_add(1);
  Qz_DoMethod(t->xField, kStringEditSetNumber, uint32_t(x));
  Qz_DoMethod(t->yField, kStringEditSetNumber, uint32_t(y));
  t->guard.fetch_sub(1);
}

// Carries the move out at (x, y) and shows it; with no action only the fields change.
void Qz__Apply(PositionToolObject* t, int32_t x, int32_t y, Qz_Object* action) {
  if (t->guard.load()) return;
  if (action) {
    Qz_DoMethod(action, kActionSetX, uint32_t(x));
    Qz_DoMethod(action, kActionSetY, uint32_t(y));
    Qz_DoMethod(action, kActionApply);
  }
  Qz__ShowPlace(t, x, y);
}

// ---- input --------------------------------------------------------------------------

// The placement at the press, moved by as many layer pixels as the pointer moved.
void Qz__Follow(PositionToolObject* t, Qz_Image* layer, const Qz_InputEvent* e) {
  if (!layer) return;
  const int32_t x = t->startX - Qz_ToolWindowToLayerX(layer, t->pressX) + Qz_ToolWindowToLayerX(layer, e->mouseX);
  const int32_t y = t->startY - Qz_ToolWindowToLayerY(layer, t->pressY) + Qz_ToolWindowToLayerY(layer, e->mouseY);
  Qz__Apply(t, x, y, Qz__NewestMove(layer, t->target.load()));
}

void Qz__Press(PositionToolObject* t, Qz_Object* tool, Qz_Image* layer, const Qz_InputEvent* e) {
  const int32_t target = t->target.load();
  const Placement from = Qz__PlacementOf(layer, target);
  t->pressX = e->mouseX, t->pressY = e->mouseY;
  t->startX = from.x, t->startY = from.y;
  Qz__NewMove(tool, layer, target);
  t->dragging = 1;
}

QzWord Qz__Input(PositionToolObject* t, Qz_Object* tool, Qz_Image* image, const Qz_InputEvent* e) {
  Qz_Image* layer = image && e ? image->activeLayer : nullptr;
  if (!e) return kToolInputDone;
  if (e->cls == IDCMP_MOUSEBUTTONS) {
    if (t->liveBox) t->live = Qz_DoMethod(t->liveBox, kCheckBoxGetState) != 0;
    if (e->code == SELECTDOWN && layer && Qz_IsCoordOverObject(Qz_CurrentViewOf(image), e->mouseX, e->mouseY)) {
      Qz__Press(t, tool, layer, e);
    } else if (e->code == SELECTUP && t->dragging) {
      t->dragging = 0;
      Qz__Follow(t, layer, e);
    }
  } else if (e->cls == IDCMP_MOUSEMOVE && t->dragging && t->live) {
    Qz__Follow(t, layer, e);
  }
  return kToolInputDone;
}

// ---- the options panel ----------------------------------------------------------------

// The fields, the reset button and the chooser, on the panel's thread.
void Qz__PanelEvent(QzWord userData, Qz_Object* source, uint32_t, const QzWord* value) {
  Qz_Object* tool = reinterpret_cast<Qz_Object*>(userData);
  PositionToolObject* t = Qz__Self(tool);
  if (t->guard.load()) return;  // the tool's own writes into the fields
  if (source == t->chooser) t->target.store(int32_t(value[0]));
  Qz_Image* image = Qz_LockActiveImageA(kQzLockRead, nullptr);
  if (!image) return;
  if (Qz_Image* layer = image->activeLayer) {
    const int32_t target = t->target.load();
    const Placement at = Qz__PlacementOf(layer, target);
    const auto amend = [&] {
      Qz_Object* newest = Qz__NewestMove(layer, target);
      return newest ? newest : Qz__NewMove(tool, layer, target);
    };
    if (source == t->xField) Qz__Apply(t, int32_t(value[0]), at.y, amend());
    else if (source == t->yField) Qz__Apply(t, at.x, int32_t(value[0]), amend());
    else if (source == t->resetButton) Qz__Apply(t, 0, 0, Qz__NewMove(tool, layer, target));
    else if (source == t->chooser) Qz__ShowPlace(t, at.x, at.y);
  }
  Qz_UnlockImageA(image, kQzLockRead, nullptr);
}

Qz_Object* Qz__Add(Qz_Object* parent, Qz_Object* child) {
  if (parent && child) Qz_DoMethod(parent, kLinkedListAddTail, child);
  else Qz_DisposeObject(child);
  return parent ? child : nullptr;
}

Qz_Object* Qz__Label(uint32_t text) { return Qz_CreateObject("Text", kRootSetLabel, Qz_CatalogString(text)); }

// The chooser of what moves: layer, secondary, alpha, or both sources.
Qz_Object* Qz__MakeChooser(PositionToolObject* t) {
  Qz_Object* chooser = Qz_CreateObject("MutualExclude");
  if (!chooser) return nullptr;
  std::snprintf(t->bothLabel, sizeof t->bothLabel, "%s+%s", Qz_CatalogString(kSecondaryText),
                Qz_CatalogString(kAlphaText));
  for (const char* label : {Qz_CatalogString(kLayerText), Qz_CatalogString(kSecondaryText),
                            Qz_CatalogString(kAlphaText), static_cast<const char*>(t->bothLabel)})
    Qz_DoMethod(chooser, kGroupAddTail, Qz_CreateObject("Text", kRootSetLabel, label));
  Qz_DoMethod(chooser, kMutualExcludeMark, 0u);
  return chooser;
}

Qz_Object* Qz__MakeOptions(Qz_Object* tool, PositionToolObject* t) {
  Qz_Object* panel = Qz_CreateObject("Group", kGroupSetMode, 1u);
  Qz__Add(panel, Qz__Label(kMoveText));
  t->chooser = Qz__Add(panel, Qz__MakeChooser(t));
  Qz__Add(panel, Qz__Label(kPositionText));
  Qz_Object* row = Qz__Add(panel, Qz_CreateObject("Group", kGroupSetMode, 2u));
  Qz__Add(row, Qz__Label(kXText));
  t->xField = Qz__Add(row, Qz_CreateObject("StringEdit", kStringEditSetNumeric, 1u));
  Qz__Add(row, Qz__Label(kYText));
  t->yField = Qz__Add(row, Qz_CreateObject("StringEdit", kStringEditSetNumeric, 1u));
  t->resetButton = Qz__Add(panel, Qz_CreateObject("Button"));
  Qz__Add(t->resetButton, Qz__Label(kResetText));
  t->liveBox = Qz__Add(panel, Qz_CreateObject("CheckBox", kRootSetLabel, Qz_CatalogString(kLiveUpdateText),
                                              kRootSetWeight, 0u));
  Qz_DoMethod(t->liveBox, kCheckBoxSetState, 1u);
  const QzWord self = qz::toWord(tool);
  Qz_AddCallBackNotify(t->xField, kStringEditSetNumber, kNotifyAnyValue, Qz__PanelEvent, self);
  Qz_AddCallBackNotify(t->yField, kStringEditSetNumber, kNotifyAnyValue, Qz__PanelEvent, self);
  Qz_AddCallBackNotify(t->resetButton, kButtonPressed, kNotifyAnyValue, Qz__PanelEvent, self);
  Qz_AddCallBackNotify(t->chooser, kMutualExcludeMark, kNotifyAnyValue, Qz__PanelEvent, self);
  return panel;
}

// The fields start from where the target is, not empty.
void Qz__ShowActivePlacement(PositionToolObject* t) {
  Qz_Image* image = Qz_LockActiveImageA(kQzLockRead, nullptr);
  if (!image) return;
  if (image->activeLayer) {
    const Placement at = Qz__PlacementOf(image->activeLayer, t->target.load());
    Qz__ShowPlace(t, at.x, at.y);
  }
  Qz_UnlockImageA(image, kQzLockRead, nullptr);
}

// ---- the class -----------------------------------------------------------------------------

QzWord Qz__Dispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  PositionToolObject* t = Qz__Self(object);
  switch (id) {
    case kToolInputMethod:
      return Qz__Input(t, Qz_GetTopMostObject(object), reinterpret_cast<Qz_Image*>(args[0]),
                       reinterpret_cast<const Qz_InputEvent*>(args[1]));
    case kToolActivate: {
      const QzWord result = qz::tools::activateWithButton(object, t->button, id, args);
      Qz__ShowActivePlacement(t);
      return result;
    }
    case kToolDeactivate: return qz::tools::activateWithButton(object, t->button, id, args);
    default: return qz::kit::inherited(object, id, args);
  }
}

bool Qz__SetUp(Qz_Object* object) {
  PositionToolObject* t = Qz__Self(object);
  t->button = qz::tools::addToolButton(object, kPositionTip, kPictures);
  Qz_DoMethod(object, kToolSetOptions, Qz__MakeOptions(object, t));
  return true;
}

const qz::kit::ClassDecl kPositionTool = {
    .name = "PositionTool", .superName = "RootTool", .classId = kPositionToolClassId,
    .instance = qz::kit::instanceOf<PositionToolObject>(), .handler = Qz__Dispatch,
    .superTags = reinterpret_cast<const TagItem*>(kMoveCursorTags), .setUp = Qz__SetUp};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitPositionToolClass(Qz_GlobalData*) { return qz::kit::addClass(kPositionTool); }
QZ_EXPORT void Qz_CleanupPositionToolClass(void) { qz::kit::removeClass(kPositionTool); }
QZ_EXTERN_C_END
