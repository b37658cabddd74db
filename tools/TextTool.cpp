// TextTool: in its first mode a drag (or a click, giving a box of the size
// edit's value each way) makes a TextAction on the active layer and switches
// to the second mode, where a press inside the newest box, typing and the
// ticks go to that action and everything else to the inner handle editor,
// which moves and sizes the box. The panel chooses the mode, size and style.
#include <algorithm>
#include <iterator>
#include <cstdlib>
#include <string>
#include <vector>

#include "actions/action_internal.h"
#include "gadgets/popup_placement.h"
#include "gadgets/qz_choice.h"
#include "gadgets/qz_group.h"
#include "gadgets/qz_input_event.h"
#include "gadgets/qz_list_tree.h"
#include "gadgets/qz_popups.h"
#include "gadgets/qz_text_entry.h"
#include "gadgets/qz_widgets.h"
#include "host/fonts/text_face.h"
#include "objects/catalogue.h"
#include "objects/qz_linked_list.h"
#include "objects/qz_notify.h"
#include "platform/windows.h"
#include "tools/box_preview.h"
#include "tools/box_tool.h"
#include "tools/handle_overlay.h"
#include "tools/point_action_edit.h"
#include "tools/qz_handle_tools.h"
#include "tools/qz_root_tool.h"
#include "tools/text_font_choice.h"
#include "tools/tool_button.h"

namespace {

using namespace qz::tools;

const char* const kTextPictures[] = {"Data/Images/ToolBar/Text"};

constexpr uint32_t kSizeLabel = 41;  // catalogue: "Size"
constexpr int32_t kInitialSize = 100;
enum : uint32_t { kModeNew = 0, kModeEdit = 1 };
constexpr uint32_t kSizes[] = {12, 14, 16, 18, 24, 36, 48, 72, 144};
// The smoothing pop-up's entries: the factor the text is drawn large by.
constexpr const char* kSmoothingLabels[] = {"Off", "2x", "4x", "8x"};
constexpr uint32_t kSmoothingFactors[] = {1, 2, 4, 8};
constexpr uint32_t kInitialSmoothing = 1;
enum : uint32_t { kSizeEdit = 2, kSizeChoice = 3, kSmoothing = 10, kFontList = 11, kBoldBox = 6, kItalicBox = 7, kUnderlineBox = 8, kModeChooser = 14 };

struct TextToolObject {
  Qz_Object header{};  // super: the RootTool
  Qz_Object* button = nullptr;
  Qz_Object* handleEditor = nullptr;
  Qz_Object* modeChooser = nullptr;
  Qz_Object* sizeEdit = nullptr;
  Qz_Object* fontList = nullptr;
  Qz_Object* smoothing = nullptr;
  Qz_Object* styleBoxes[3] = {};
  std::string family;
  // Labels keep pointers to their texts: these live as long as the panel.
  std::vector<std::string> families;
  std::vector<std::string> sizeLabels;
  uint32_t mode = kModeNew;
  bool dragging = false, typing = false;
  int32_t startX = 0, startY = 0, width = 0, height = 0;
};

const QzWord kCursorTags[] = {kToolSetCursorKind, 3, TAG_DONE, 0};

TextToolObject* Qz__Self(Qz_Object* object) { return reinterpret_cast<TextToolObject*>(object); }
Qz_Object* Qz__Outer(TextToolObject* t) { return Qz_GetTopMostObject(&t->header); }

// The box size: the size edit's value, at least one pixel.
int32_t Qz__Size(TextToolObject* t) {
  const int32_t s = t->sizeEdit ? int32_t(Qz_DoMethod(t->sizeEdit, kStringEditGetNumber)) : kInitialSize;
  return std::max(1, s);
}

uint32_t Qz__Factor(TextToolObject* t) {
  const uint32_t index = t->smoothing ? uint32_t(Qz_DoMethod(t->smoothing, kPopUpListGetIndex)) : kInitialSmoothing;
  return kSmoothingFactors[std::min<uint32_t>(index, 3)];
}

uint32_t Qz__Style(TextToolObject* t) {
  uint32_t style = 0;
  for (uint32_t i = 0; i < 3; ++i)
    if (t->styleBoxes[i] && Qz_DoMethod(t->styleBoxes[i], kCheckBoxGetState)) style |= 1u << i;
  return style;
}

// A magnitude of at least s, keeping the sign.
int32_t Qz__AtLeast(int32_t v, int32_t s) { return v < 0 ? std::min(v, -s) : std::max(v, s); }

Qz_Object* Qz__SelectedText(Qz_Image* image) { return selectedActionOf(image, kTextActionClassId); }

void Qz__Preview(TextToolObject* t, Qz_Image* image) {
  Qz_Image* layer = image->activeLayer;
  const int32_t dx = layer ? layer->placement.layerX : 0, dy = layer ? layer->placement.layerY : 0;
  const int32_t x0 = t->startX + dx, y0 = t->startY + dy;
  drawBoxPreview(image, std::min(x0, x0 + t->width), std::min(y0, y0 + t->height), std::max(x0, x0 + t->width),
                 std::max(y0, y0 + t->height));
}

void Qz__SetMode(TextToolObject* t, uint32_t mode) {
  t->mode = mode;
  if (t->modeChooser && Qz_DoMethod(t->modeChooser, kMutualExcludeGetMarked) != mode)
    Qz_DoMethod(t->modeChooser, kMutualExcludeMark, mode);
}

void Qz__MakeText(TextToolObject* t, Qz_Image* image) {
  int32_t x = t->startX, y = t->startY, w = t->width, h = t->height;
  if (w < 0) x += w, w = -w;
  if (h < 0) y += h, h = -h;
  Qz_Object* action = makeCornerAction("TextAction", Qz__Outer(t), {x, y, w, h});
  if (action) {
    Qz_DoMethod(action, kTextActionSetLive, 0u);
    Qz_DoMethod(action, kTextActionSetFontName, t->family.c_str());
    Qz_DoMethod(action, kTextActionSetFontSize, uint32_t(Qz__Size(t)));
    Qz_DoMethod(action, kTextActionSetStyle, Qz__Style(t));
    Qz_DoMethod(action, kTextActionSetAntiAlias, Qz__Factor(t));
    Qz_DoMethod(action, kTextActionSetLive, 1u);
    if (Qz_AddLayerAction(image->activeLayer, action, 0))
      Qz_DoMethod(action, kRootSelect);
    else
      Qz_DisposeObject(action);
  }
  Qz__SetMode(t, kModeEdit);
}

QzWord Qz__NewBox(TextToolObject* t, Qz_Image* image, const Qz_InputEvent* e) {
  Qz_Image* layer = image->activeLayer;
  if (!layer) return kToolInputDone;
  const int32_t s = Qz__Size(t);
  const int32_t x = Qz_ToolWindowToLayerX(layer, e->mouseX), y = Qz_ToolWindowToLayerY(layer, e->mouseY);
  if (e->cls == IDCMP_MOUSEBUTTONS && e->code == SELECTDOWN) {
    if (Qz_Object* old = Qz__SelectedText(image)) Qz_DoMethod(old, kRootDeselect);
    showHandles(qz::actions::owningDocument(image), nullptr);
    t->dragging = true, t->startX = x, t->startY = y, t->width = s, t->height = s;
    Qz__Preview(t, image);
    return kToolInputDone;
  }
  if (!t->dragging || (e->cls != IDCMP_MOUSEMOVE && e->cls != IDCMP_MOUSEBUTTONS)) return kToolInputDone;
  Qz__Preview(t, image);  // takes the old outline away
  // A click makes an s x s box; a drag keeps at least s each way.
  const int32_t dragX = x - t->startX, dragY = y - t->startY;
  t->width = dragX == 0 ? s : Qz__AtLeast(dragX, s), t->height = dragY == 0 ? s : Qz__AtLeast(dragY, s);
  if (e->cls == IDCMP_MOUSEMOVE) {
    Qz__Preview(t, image);
    return kToolInputDone;
  }
  t->dragging = false;
  Qz__MakeText(t, image);
  return kToolInputDone;
}

bool Qz__Inside(Qz_Object* action, Qz_Image* layer, const Qz_InputEvent* e) {
  const PointBox b = boxOfCorners(actionPoints(action));
  const int32_t x = Qz_ToolWindowToLayerX(layer, e->mouseX), y = Qz_ToolWindowToLayerY(layer, e->mouseY);
  return x >= b.x && x <= b.x + b.width && y >= b.y && y <= b.y + b.height;
}

QzWord Qz__EditBox(TextToolObject* t, Qz_Image* image, const Qz_InputEvent* e) {
  Qz_Object* action = Qz__SelectedText(image);
  Qz_Image* layer = image->activeLayer;
  if (!action || !layer || qz::actions::layerOf(action) != layer) {
    handToEditor(Qz__Outer(t), t->handleEditor, image, e);
    return 0;
  }
  if (t->typing && !(e->qualifier & IEQUALIFIER_LEFTBUTTON) && e->cls != IDCMP_MOUSEBUTTONS) t->typing = false;
  const bool keyOrTick = e->cls == IDCMP_VANILLAKEY || e->cls == IDCMP_ARROWKEY || e->cls == IDCMP_INTUITICKS;
  const bool pressInside = e->cls == IDCMP_MOUSEBUTTONS && e->code == SELECTDOWN && Qz__Inside(action, layer, e);
  if (pressInside) t->typing = true;
  if (t->typing || keyOrTick || pressInside) {
    Qz_DoMethod(action, kActionInputEvent, Qz__Outer(t), e);
    if (e->cls == IDCMP_MOUSEBUTTONS && e->code != SELECTDOWN) t->typing = false;
    return 0;
  }
  handToEditor(Qz__Outer(t), t->handleEditor, image, e);
  return 0;
}

QzWord Qz__Input(TextToolObject* t, Qz_Image* image, const Qz_InputEvent* e) {
  if (!image || !e || !image->activeLayer) return kToolInputDone;
  if (t->mode == kModeNew || t->dragging) return Qz__NewBox(t, image, e);
  const QzWord result = Qz__EditBox(t, image, e);
  if (e->cls != IDCMP_INTUITICKS && result != 0)
    showHandles(qz::actions::owningDocument(image), Qz__SelectedText(image));
  return result;
}

// A setting from the panel goes to the selected text box, if any.
void Qz__PanelEvent(QzWord userData, Qz_Object* source, uint32_t, const QzWord* value) {
  auto* t = reinterpret_cast<TextToolObject*>(userData);
  const uint32_t which = uint32_t(Qz_DoMethod(source, kRootGetUserData));
  if (which == kModeChooser) {
    t->mode = uint32_t(value[0]) == kModeEdit ? kModeEdit : kModeNew;
    return;
  }
  if (which == kFontList) {
    auto* item = reinterpret_cast<Qz_Object*>(value[0]);
    const char* name = item ? reinterpret_cast<const char*>(Qz_DoMethod(item, kRootGetObjectName)) : nullptr;
    if (!name) return;
    t->family = name;
  }
  if (which == kSizeChoice) {
    // A menu item of the sizes pop-up, its user data its size: the edit takes it.
    auto* item = reinterpret_cast<Qz_Object*>(value[0]);
    const uint32_t size = item ? uint32_t(Qz_DoMethod(item, kRootGetUserData)) : 0;
    if (size == 0 || !t->sizeEdit) return;
    Qz_DoMethod(t->sizeEdit, kStringEditSetNumber, size);
    Qz_DoNotify(t->sizeEdit, kStringEditSetNumber, uint32_t(Qz__Size(t)));
    return;
  }
  Qz_Image* image = Qz_LockActiveImageA(kQzLockRead, nullptr);
  if (!image) return;
  if (Qz_Object* action = Qz__SelectedText(image)) {
    if (which == kFontList) Qz_DoMethod(action, kTextActionSetFontName, t->family.c_str());
    if (which == kSizeEdit) Qz_DoMethod(action, kTextActionSetFontSize, uint32_t(Qz__Size(t)));
    if (which == kSmoothing) Qz_DoMethod(action, kTextActionSetAntiAlias, Qz__Factor(t));
    if (which >= kBoldBox && which <= kUnderlineBox) Qz_DoMethod(action, kTextActionSetStyle, Qz__Style(t));
  }
  Qz_UnlockImageA(image, kQzLockRead, nullptr);
}

Qz_Object* Qz__Add(Qz_Object* parent, Qz_Object* child) {
  if (parent && child) Qz_DoMethod(parent, kGroupAddTail, child);
  return child;
}

Qz_Object* Qz__PopUpList(Qz_Object* panel, uint32_t which, TextToolObject* t) {
  Qz_Object* list = Qz__Add(panel, Qz_CreateObject("PopUpList", kRootSetWeight, 0u));
  if (!list) return nullptr;
  Qz_DoMethod(list, kRootSetUserData, which);
  Qz_AddCallBackNotify(list, kPopUpListSetIndex, kNotifyAnyValue, Qz__PanelEvent, qz::toWord(t));
  return list;
}

// An arrow whose menu offers the usual sizes: it shows no size of its own,
// so the edit beside it is the one place the size is read.
Qz_Object* Qz__SizesPopUp(TextToolObject* t) {
  Qz_Object* popUp = Qz_CreateObject("PopUp", kPopUpSetPlacement, qz::popups::kPlaceBelow, kRootSetWeight, 0u);
  if (!popUp) return nullptr;
  Qz_DoMethod(popUp, kRootSetUserData, uint32_t(kSizeChoice));
  Qz_AddObject(popUp, "VectorImage", kVectorImageSetKind, kVectorImageDownArrow, kFixWidth, 12, kFixHeight, 10);
  if (Qz_Object* items = Qz_CreateObject("Group", kGroupSetMode, 1, kGroupSetFrame, 1)) {
    t->sizeLabels.reserve(std::size(kSizes));  // the items keep pointers to these texts
    for (uint32_t size : kSizes) {
      t->sizeLabels.push_back(std::to_string(size));
      if (Qz_Object* item = Qz_AddObject(items, "MenuItem")) {
        Qz_DoMethod(item, kMenuItemSetText, t->sizeLabels.back().c_str());
        Qz_DoMethod(item, kRootSetUserData, size);
      }
    }
    Qz_DoMethod(popUp, kPopUpChildrenInPopUp, 1);
    Qz_DoMethod(popUp, kLinkedListAddTail, items);
    Qz_DoMethod(popUp, kPopUpChildrenInPopUp, 0);
  }
  Qz_AddCallBackNotify(popUp, kPopUpChosen, kNotifyAnyValue, Qz__PanelEvent, qz::toWord(t));
  return popUp;
}

// The families fontconfig knows, the starting one chosen.
void Qz__BuildFontList(TextToolObject* t, Qz_Object* panel, const std::vector<std::string>& families) {
  if (!Qz_FindClassFromName("ListTree") || !Qz_FindClassFromName("ListTreeItem")) return;
  t->fontList = Qz__Add(panel, Qz_CreateObject("ListTree", kRootSetWeight, 100u));
  if (!t->fontList) return;
  Qz_Object* chosen = nullptr;
  for (const std::string& family : families) {
    Qz_Object* item = Qz__Add(t->fontList, Qz_CreateObject("ListTreeItem", kRootSetObjectName, family.c_str()));
    Qz__Add(item, Qz_CreateObject("Text", kRootSetLabel, family.c_str()));
    if (family == t->family) chosen = item;
  }
  if (chosen) Qz_DoMethod(t->fontList, kListTreeSetCurrentItem, chosen);
  Qz_DoMethod(t->fontList, kRootSetUserData, uint32_t(kFontList));
  Qz_AddCallBackNotify(t->fontList, kListTreeSetCurrentItem, kNotifyAnyValue, Qz__PanelEvent, qz::toWord(t));
}

void Qz__BuildPanel(TextToolObject* t, Qz_Object* object, const std::vector<std::string>& families) {
  for (const char* cls : {"StringEdit", "Group", "MutualExclude", "CheckBox", "Text", "PopUpList", "PopUp", "MenuItem"})
    if (!Qz_FindClassFromName(cls)) return;
  Qz_Object* panel = Qz_CreateObject("Group", kGroupSetMode, 1u);
  if (!panel) return;
  const QzWord self = qz::toWord(t);
  Qz__Add(panel, Qz_CreateObject("Text", kRootSetLabel, "Tool Mode"));
  t->modeChooser = Qz__Add(panel, Qz_CreateObject("MutualExclude"));
  if (t->modeChooser) {
    for (const char* label : {"New Text Box", "Edit Text Box"})
      Qz_DoMethod(t->modeChooser, kGroupAddTail, Qz_CreateObject("Text", kRootSetLabel, label));
    Qz_DoMethod(t->modeChooser, kMutualExcludeMark, 0u);
    Qz_DoMethod(t->modeChooser, kRootSetUserData, uint32_t(kModeChooser));
    Qz_AddCallBackNotify(t->modeChooser, kMutualExcludeMark, kNotifyAnyValue, Qz__PanelEvent, self);
  }
  Qz__Add(panel, Qz_CreateObject("Text", kRootSetLabel, Qz_CatalogString(kSizeLabel)));
  Qz_Object* sizeRow = Qz__Add(panel, Qz_CreateObject("Group", kGroupSetMode, 2u, kRootSetWeight, 0u));
  t->sizeEdit = Qz__Add(sizeRow, Qz_CreateObject("StringEdit", kStringEditSetNumeric, 1u));
  if (t->sizeEdit) {
    Qz_DoMethod(t->sizeEdit, kStringEditSetNumber, uint32_t(kInitialSize));
    Qz_DoMethod(t->sizeEdit, kRootSetUserData, uint32_t(kSizeEdit));
    Qz_AddCallBackNotify(t->sizeEdit, kStringEditSetNumber, kNotifyAnyValue, Qz__PanelEvent, self);
  }
  Qz__Add(sizeRow, Qz__SizesPopUp(t));
  const char* styleLabels[3] = {"Bold", "Italic", "Underline"};
  for (uint32_t i = 0; i < 3; ++i) {
    t->styleBoxes[i] = Qz__Add(panel, Qz_CreateObject("CheckBox", kRootSetLabel, styleLabels[i], kRootSetWeight, 0u));
    if (!t->styleBoxes[i]) continue;
    Qz_DoMethod(t->styleBoxes[i], kRootSetUserData, kBoldBox + i);
    Qz_AddCallBackNotify(t->styleBoxes[i], kCheckBoxSetState, kNotifyAnyValue, Qz__PanelEvent, self);
  }
  t->smoothing = Qz__PopUpList(panel, kSmoothing, t);
  for (const char* label : kSmoothingLabels)
    if (t->smoothing) Qz_DoMethod(t->smoothing, kGroupAddTail, Qz_CreateObject("Text", kRootSetLabel, label));
  if (t->smoothing) Qz_DoMethod(t->smoothing, kPopUpListSetIndex, kInitialSmoothing);
  Qz__BuildFontList(t, panel, families);  // last: it takes the height left
  Qz_DoMethod(object->super, kToolSetOptions, panel);
}

// Another tool takes over: the caret of the box being typed into goes.
void Qz__HideCaret() {
  Qz_Image* image = Qz_LockActiveImageA(kQzLockRead, nullptr);
  if (!image) return;
  if (Qz_Object* action = Qz__SelectedText(image)) Qz_DoMethod(action, kTextActionEraseCursor);
  Qz_UnlockImageA(image, kQzLockRead, nullptr);
}

QzWord Qz__Dispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  TextToolObject* t = Qz__Self(object);
  switch (id) {
    case kToolInputMethod:
      return Qz__Input(t, reinterpret_cast<Qz_Image*>(args[0]), reinterpret_cast<const Qz_InputEvent*>(args[1]));
    case kToolDeactivate:
      Qz__HideCaret();
      hideAllHandles();
      return activateWithButton(object, t->button, id, args);
    case kToolActivate: return activateWithButton(object, t->button, id, args);
    default: return qz::kit::inherited(object, id, args);
  }
}

bool Qz__SetUp(Qz_Object* object) {
  TextToolObject* t = Qz__Self(object);
  t->button = addToolButton(object, 0, kTextPictures);
  t->handleEditor = Qz_CreateObject("PositionActionTool", kHandleEditorSetMode,
                                    uint32_t(kHandleEditorReplays | kHandleEditorChooses),
                                    kHandleEditorSetClassFilter, kTextActionClassId, 0u);
  t->families = textFamilyList(qz::fonts::scalableFamilies());
  t->family = chooseTextFamily(t->families);
  Qz__BuildPanel(t, object, t->families);
  return true;
}

void Qz__TearDown(Qz_Object* object) {
  TextToolObject* t = Qz__Self(object);
  Qz_DisposeObject(t->handleEditor);
  t->handleEditor = nullptr;
}

const qz::kit::ClassDecl kTextTool = {
    .name = "TextTool", .superName = "RootTool", .classId = kTextToolClassId,
    .instance = qz::kit::instanceOf<TextToolObject>(), .handler = Qz__Dispatch,
    .superTags = reinterpret_cast<const TagItem*>(kCursorTags), .setUp = Qz__SetUp, .tearDown = Qz__TearDown};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitTextToolClass(Qz_GlobalData*) { return qz::kit::addClass(kTextTool); }
QZ_EXPORT void Qz_CleanupTextToolClass(void) { qz::kit::removeClass(kTextTool); }
QZ_EXTERN_C_END
