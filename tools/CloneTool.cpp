// CloneTool: gives the active layer the clone mode; a drag with Control held
// sets the mode's offset from the point copied from to the point painted
// at, and other strokes are painted by the freehand tool, through the mode.
#include <atomic>
#include <cstring>

#include "gadgets/qz_group.h"
#include "gadgets/qz_input_event.h"
#include "gadgets/qz_text_entry.h"
#include "gadgets/qz_widgets.h"
#include "image/qz_image.h"
#include "modes/qz_clone_mode.h"
#include "objects/catalogue.h"
#include "objects/draw/qz_draw.h"
#include "objects/qz_class_kit.h"
#include "objects/qz_notify.h"
#include "platform/windows.h"
#include "tools/qz_root_tool.h"
#include "tools/rubber_band.h"
#include "tools/tool_button.h"

namespace {

constexpr uint32_t kCloneToolClassId = 0x177c0000;
constexpr uint32_t kCloneTip = 98;  // catalogue: "Clone"
constexpr uint32_t kXText = 7, kYText = 8;
constexpr const char* kPictures[] = {"Data/Images/ToolBar/Clone"};
constexpr const char* kCloneModeName = "Clone";
constexpr const char* kHelp =
    "\nHold down the\nControl key over\nwhere on the image\nyou want to clone\nfrom, and draw a\nline to where you\n"
    "want this part of\nthe image to be\ncopied to.\n";

constexpr int32_t kPointerArrow = 0, kPointerCross = 3;

struct CloneToolObject {
  Qz_Object header{};  // super: the RootTool
  Qz_Object* button = nullptr;
  Qz_Object* xField = nullptr;
  Qz_Object* yField = nullptr;
  int32_t startX = 0, startY = 0;
  int32_t dx = 0, dy = 0;
  int32_t pressed = 0;
  // Read by the view on its thread.
  std::atomic<int32_t> offsetSet{1};
  std::atomic<int32_t> echo{0};  // raised while the tool writes the fields itself
  Qz_Object* application = nullptr;  // whose notices the tool hears
  QzWord modeNotice = 0, layerNotice = 0;
};

CloneToolObject* Qz__Self(Qz_Object* object) { return reinterpret_cast<CloneToolObject*>(object); }

bool Qz__IsCloneMode(Qz_Object* mode) {
  return mode && mode->objectClass && mode->objectClass->classId == kQzCloneModeClassId;
}

// The layer's clone mode: the one in force, else the one chosen; none when neither is one.
Qz_Object* Qz__CloneModeOf(Qz_Image* layer) {
  if (!layer) return nullptr;
  if (Qz__IsCloneMode(layer->mode)) return layer->mode;
  return Qz__IsCloneMode(layer->chosenMode) ? layer->chosenMode : nullptr;
}

void Qz__ShowOffsets(CloneToolObject* t, int32_t x, int32_t y) {
  t->echo.fetch_add(1);
  Qz_DoMethod(t->xField, kStringEditSetNumber, uint32_t(x));
  Qz_DoMethod(t->yField, kStringEditSetNumber, uint32_t(y));
  t->echo.fetch_sub(1);
}

// Both offsets as one change: the mode is told to stay quiet in between.
void Qz__SendOffsets(Qz_Object* mode, int32_t dx, int32_t dy) {
  Qz_DoMethod(mode, kQzCloneSetQuiet, 1u);
  Qz_DoMethod(mode, kQzCloneSetX, uint32_t(dx));
  Qz_DoMethod(mode, kQzCloneSetY, uint32_t(dy));
  Qz_DoMethod(mode, kQzCloneSetQuiet, 0u);
}

// An offset typed into a field goes to the active layer's clone mode.
QzWord Qz__Typed(CloneToolObject* t, uint32_t id, QzWord value) {
  if (t->echo.load()) return 0;
  Qz_Image* image = Qz_LockActiveImageA(kQzLockRead, nullptr);
  if (!image) return 0;
  if (Qz_Object* mode = Qz__CloneModeOf(image->activeLayer)) Qz_DoMethod(mode, id, value);
  Qz_UnlockImageA(image, kQzLockRead, nullptr);
  return 0;
}

// ---- the offset drag ----------------------------------------------------------------------

void Qz__Band(CloneToolObject* t, Qz_Image* image, Qz_Image* layer) {
  qz::tools::drawLayerBands(image, layer, {t->startX, t->startY, t->startX + t->dx, t->startY + t->dy});
}

void Qz__Release(CloneToolObject* t, Qz_Image* image, Qz_Image* layer) {
  const bool live = Qz_GetImageBase()->liveUpdate.load() != 0;
  if (Qz_Object* mode = Qz__CloneModeOf(layer)) {
    if (!live) Qz_DoMethod(&image->object, kQzImageFix, 0u);
    Qz__SendOffsets(mode, t->dx, t->dy);
    if (live) Qz_DoMethod(&image->object, kQzImageRerender, 0u);
  }
  Qz__ShowOffsets(t, t->dx, t->dy);
  t->pressed = 0;
  t->offsetSet.store(1);
}

QzWord Qz__Input(CloneToolObject* t, Qz_Image* image, const Qz_InputEvent* e) {
  Qz_Image* layer = image && e ? image->activeLayer : nullptr;
  if (!layer) return kToolInputDone;
  Qz_ImageBase* base = Qz_GetImageBase();
  const bool control = (e->qualifier & IEQUALIFIER_CONTROL) != 0;
  if (t->offsetSet.load() && !control) {
    // Strokes are painted as ever; the layer's clone mode copies under them.
    if (e->window) Qz_SetCursor(e->window, kPointerArrow);
    return base->defaultTool ? Qz_DoMethod(base->defaultTool, kToolInputMethod, image, e) : kToolInputDone;
  }
  if (e->window) Qz_SetCursor(e->window, kPointerCross);
  const int32_t x = Qz_ToolWindowToLayerX(layer, e->mouseX), y = Qz_ToolWindowToLayerY(layer, e->mouseY);
  const bool press = e->cls == IDCMP_MOUSEBUTTONS && (e->code == SELECTDOWN || e->code == MENUDOWN);
  const bool release = e->cls == IDCMP_MOUSEBUTTONS && (e->code == SELECTUP || e->code == MENUUP);
  if (press && control && !t->pressed && Qz_IsCoordOverObject(Qz_CurrentViewOf(image), e->mouseX, e->mouseY)) {
    t->pressed = e->code == SELECTDOWN ? 1 : 2;
    t->startX = x, t->startY = y;
    t->dx = t->dy = 0;
    t->offsetSet.store(0);
    Qz__Band(t, image, layer);
  } else if (e->cls == IDCMP_MOUSEMOVE && t->pressed) {
    Qz__Band(t, image, layer);
    t->dx = x - t->startX, t->dy = y - t->startY;
    Qz_Object* mode = Qz__CloneModeOf(layer);
    if (mode && base->liveUpdate.load()) {
      Qz__SendOffsets(mode, t->dx, t->dy);
      Qz_DoMethod(&image->object, kQzImageRerender, 0u);
    }
    Qz__Band(t, image, layer);
    Qz__ShowOffsets(t, t->dx, t->dy);
  } else if (release && t->pressed) {
    Qz__Band(t, image, layer);
    t->dx = x - t->startX, t->dy = y - t->startY;
    Qz__Release(t, image, layer);
  }
  return kToolInputDone;
}

// ---- activation and the application's notices ----------------------------------------------

// The active layer's clone offsets into the fields; false when its chosen mode is another.
bool Qz__FollowLayer(CloneToolObject* t) {
  Qz_Image* image = Qz_LockActiveImageA(kQzLockRead, nullptr);
  if (!image) return true;
  Qz_Image* layer = image->activeLayer;
  const bool clone = !layer || std::strcmp(layer->chosenModeName, kCloneModeName) == 0;
  if (Qz_Object* mode = Qz__CloneModeOf(layer))
    Qz__ShowOffsets(t, int32_t(Qz_DoMethod(mode, kQzCloneGetX)), int32_t(Qz_DoMethod(mode, kQzCloneGetY)));
  Qz_UnlockImageA(image, kQzLockRead, nullptr);
  return clone;
}

// Another mode chosen while the tool is active hands over to the freehand tool.
void Qz__Notice(QzWord userData, Qz_Object*, uint32_t, const QzWord*) {
  Qz_Object* tool = reinterpret_cast<Qz_Object*>(userData);
  Qz_ImageBase* base = Qz_GetImageBase();
  if (base->currentTool != tool || Qz__FollowLayer(Qz__Self(tool))) return;
  if (base->defaultTool) Qz_DoMethod(base->defaultTool, kToolActivate);
}

QzWord Qz__Activate(Qz_Object* object, CloneToolObject* t, const QzWord* args) {
  if (Qz_Image* image = Qz_LockActiveImageA(kQzLockRead, nullptr)) {
    if (image->activeLayer) Qz_DoMethod(&image->activeLayer->object, kQzImageSetLayerMode, kCloneModeName);
    Qz_UnlockImageA(image, kQzLockRead, nullptr);
  }
  Qz_DoMethod(Qz_GetImageBase()->panelGroups[1], kPanelRelayout);
  const QzWord result = qz::tools::activateWithButton(object, t->button, kToolActivate, args);
  Qz__FollowLayer(t);
  return result;
}

QzWord Qz__Dispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  CloneToolObject* t = Qz__Self(object);
  switch (id) {
    case kToolInputMethod:
      return Qz__Input(t, reinterpret_cast<Qz_Image*>(args[0]), reinterpret_cast<const Qz_InputEvent*>(args[1]));
    case kQzCloneSetX:
    case kQzCloneSetY: return Qz__Typed(t, id, args[0]);
    case kToolGetBrushOutline: return t->offsetSet.load() ? 1 : 0;
    case kToolGetCursorKind: return t->offsetSet.load() ? 0 : kToolCursorPaint;
    case kToolActivate: return Qz__Activate(object, t, args);
    case kToolDeactivate: return qz::tools::activateWithButton(object, t->button, id, args);
    default: return qz::kit::inherited(object, id, args);
  }
}

// ---- set-up ----------------------------------------------------------------------------------

Qz_Object* Qz__OffsetRow(Qz_Object* panel, uint32_t label, Qz_Object** field) {
  Qz_Object* row = Qz_AddObject(panel, "Group", kGroupSetMode, 2u);
  Qz_AddObject(row, "Text", kRootSetLabel, Qz_CatalogString(label));
  *field = Qz_AddObject(row, "StringEdit", kStringEditSetNumeric, 1u);
  return row;
}

Qz_Object* Qz__MakeOptions(Qz_Object* tool, CloneToolObject* t) {
  Qz_Object* panel = Qz_CreateObject("Group", kGroupSetMode, 1u);
  if (!panel) return nullptr;
  Qz__OffsetRow(panel, kXText, &t->xField);
  Qz__OffsetRow(panel, kYText, &t->yField);
  Qz_AddObject(panel, "Text", kRootSetLabel, kHelp);
  if (t->xField) Qz_AddNotify(t->xField, kStringEditSetNumber, kNotifyAnyValue, tool, 2, kQzCloneSetX, kNotifyTriggerValue);
  if (t->yField) Qz_AddNotify(t->yField, kStringEditSetNumber, kNotifyAnyValue, tool, 2, kQzCloneSetY, kNotifyTriggerValue);
  return panel;
}

bool Qz__SetUp(Qz_Object* object) {
  CloneToolObject* t = Qz__Self(object);
  t->button = qz::tools::addToolButton(object, kCloneTip, kPictures);
  Qz_DoMethod(object, kToolSetOptions, Qz__MakeOptions(object, t));
  t->application = Qz_GetImageBase()->application;
  if (t->application) {
    const QzWord self = qz::toWord(object);
    t->modeNotice = Qz_AddCallBackNotify(t->application, kQzImageSetLayerMode, kNotifyAnyValue, Qz__Notice, self);
    t->layerNotice =
        Qz_AddCallBackNotify(t->application, kQzImageActiveLayerNotice, kNotifyAnyValue, Qz__Notice, self);
  }
  return true;
}

void Qz__TearDown(Qz_Object* object) {
  CloneToolObject* t = Qz__Self(object);
  if (t->application != Qz_GetImageBase()->application) return;  // gone before the tool
  Qz_RemoveNotify(t->application, t->modeNotice);
  Qz_RemoveNotify(t->application, t->layerNotice);
}

const QzWord kPaintCursorTags[] = {kToolSetCursorKind, kToolCursorPaint, TAG_DONE, 0};

const qz::kit::ClassDecl kCloneTool = {
    .name = "CloneTool", .superName = "RootTool", .classId = kCloneToolClassId,
    .instance = qz::kit::instanceOf<CloneToolObject>(), .handler = Qz__Dispatch,
    .superTags = reinterpret_cast<const TagItem*>(kPaintCursorTags), .setUp = Qz__SetUp,
    .tearDown = Qz__TearDown};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitCloneToolClass(Qz_GlobalData*) { return qz::kit::addClass(kCloneTool); }
QZ_EXPORT void Qz_CleanupCloneToolClass(void) { qz::kit::removeClass(kCloneTool); }
QZ_EXTERN_C_END
