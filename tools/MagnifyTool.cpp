// MagnifyTool: a left drag over the view zooms it continuously round the
// picture pixel under the press (right zooms in, left out), a right drag
// pans it; the view is redrawn as it goes when the preferences ask for a
// live redraw, and once at the release. It changes the view, never the picture.
#include <algorithm>
#include <cstdlib>

#include "gadgets/qz_group.h"
#include "gadgets/qz_input_event.h"
#include "image/image_shell.h"
#include "objects/qz_class_kit.h"
#include "objects/qz_root.h"
#include "platform/windows.h"
#include "tools/magnify_zoom.h"
#include "tools/qz_handle_tools.h"
#include "tools/qz_root_tool.h"
#include "tools/tool_button.h"

namespace {

using namespace qz::tools;

const char* const kMagnifyPictures[] = {"Data/Images/ToolBar/Magnify"};

constexpr uint32_t kMagnifyTip = 306;  // catalogue: "Magnify Tool"
constexpr uint32_t kPrefsGetMagnifyRedraw = 0x3e80090;
constexpr uint32_t kScrolledGroup = 0x08;  // group mode bit: its contents scroll

enum class DragMode { None, Zooming, Panning };

struct MagnifyToolObject {
  Qz_Object header{};  // super: the RootTool
  Qz_Object* button = nullptr;
  DragMode mode = DragMode::None;
  int32_t pressX = 0, pressY = 0;
  int32_t startOffsetX = 0, startOffsetY = 0;
  MagnifyStart start{};
  uint32_t lastZoom = 0;
  bool liveRedraw = true;
};

MagnifyToolObject* Qz__Self(Qz_Object* object) { return reinterpret_cast<MagnifyToolObject*>(object); }

const Qz_LayoutBox* Qz__Box(Qz_Object* object) {
  return object ? reinterpret_cast<const Qz_LayoutBox*>(Qz_DoMethod(object, kRootGetLayoutBox)) : nullptr;
}

// The group the view scrolls in, or none when its window shows it whole.
Qz_Object* Qz__ScrollArea(Qz_Object* view) {
  const Qz_LayoutBox* box = Qz__Box(view);
  Qz_Object* area = box ? box->parent : nullptr;
  return area && (Qz_DoMethod(area, kGroupGetMode) & kScrolledGroup) ? area : nullptr;
}

// Kept within the contents; quietly (no layout, no drawing) while zooming,
// which draws once itself.
void Qz__ScrollTo(Qz_Object* area, int32_t x, int32_t y, bool quiet) {
  if (!area) return;
  const int32_t maxX = int32_t(Qz_DoMethod(area, kGroupGetNominalWidth)) - int32_t(Qz_DoMethod(area, kGroupGetBoxWidth));
  const int32_t maxY =
      int32_t(Qz_DoMethod(area, kGroupGetNominalHeight)) - int32_t(Qz_DoMethod(area, kGroupGetBoxHeight));
  x = std::clamp(x, 0, std::max(0, maxX));
  y = std::clamp(y, 0, std::max(0, maxY));
  if (quiet) Qz_DoMethod(area, kGroupDisableLayout);
  Qz_DoMethod(area, kGroupSetScroll, uint32_t(x), uint32_t(y));
  if (quiet) Qz_DoMethod(area, kGroupEnableLayout, 1u);
}

bool Qz__LiveRedraw() {
  Qz_ImageBase* base = Qz_GetImageBase();
  return !base->prefsObject || Qz_DoMethod(base->prefsObject, kPrefsGetMagnifyRedraw) != 0;
}

void Qz__Press(MagnifyToolObject* t, Qz_Image* image, Qz_Object* view, const Qz_InputEvent* e) {
  t->mode = e->code == SELECTDOWN ? DragMode::Zooming : DragMode::Panning;
  t->pressX = e->mouseX, t->pressY = e->mouseY;
  const Qz_LayoutBox* box = Qz__Box(view);
  const Qz_LayoutBox* areaBox = Qz__Box(Qz__ScrollArea(view));
  t->startOffsetX = box && areaBox ? areaBox->left - box->left : 0;
  t->startOffsetY = box && areaBox ? areaBox->top - box->top : 0;
  if (t->mode != DragMode::Zooming) return;
  t->start = {image->width, image->height, ImageToImageViewX(view, image->width) - ImageToImageViewX(view, 0),
              uint32_t(Qz_DoMethod(view, kQzViewGetZoom)), uint32_t(Qz_DoMethod(view, kQzViewFitQuery)),
              ImageViewToImageX(view, e->mouseX), ImageViewToImageY(view, e->mouseY)};
}

// One move of a zooming drag: the new zoom set quietly, the anchor brought
// to the middle, then drawn as the live-redraw setting says.
void Qz__Zoom(MagnifyToolObject* t, Qz_Image* image, Qz_Object* view, const Qz_InputEvent* e) {
  Qz_Object* area = Qz__ScrollArea(view);
  const int32_t visibleWidth = area ? int32_t(Qz_DoMethod(area, kGroupGetBoxWidth)) : 0;
  const int32_t visibleHeight = area ? int32_t(Qz_DoMethod(area, kGroupGetBoxHeight)) : 0;
  const MagnifyStep step =
      magnifyStep(t->start, e->mouseX - t->pressX, e->mouseY - t->pressY, visibleWidth, visibleHeight);
  image->displayCount.fetch_sub(1);  // nothing is drawn while the size and scroll change
  Qz_DoMethod(view, kQzViewZoom, step.zoom, 1u);
  Qz__ScrollTo(area, step.offsetX, step.offsetY, true);
  image->displayCount.fetch_add(1);
  if (t->liveRedraw && step.zoom != t->lastZoom) Qz_DoMethod(view, kRootDraw);
  t->lastZoom = step.zoom;
}

void Qz__Pan(MagnifyToolObject* t, Qz_Image* image, Qz_Object* view, const Qz_InputEvent* e) {
  if (!t->liveRedraw) image->displayCount.fetch_sub(1);
  Qz__ScrollTo(Qz__ScrollArea(view), t->startOffsetX - (e->mouseX - t->pressX),
               t->startOffsetY - (e->mouseY - t->pressY), false);
  if (!t->liveRedraw) image->displayCount.fetch_add(1);
}

QzWord Qz__Input(MagnifyToolObject* t, Qz_Image* image, const Qz_InputEvent* e) {
  Qz_Object* view = image && e ? Qz_CurrentViewOf(image) : nullptr;
  if (!view) return kToolInputDone;
  if (e->cls == IDCMP_MOUSEBUTTONS) {
    t->liveRedraw = Qz__LiveRedraw();
    const bool press = e->code == SELECTDOWN || e->code == MENUDOWN;
    if (press && t->mode == DragMode::None && Qz_IsCoordOverObject(view, e->mouseX, e->mouseY))
      Qz__Press(t, image, view, e);
    if ((e->code == SELECTUP || e->code == MENUUP) && t->mode != DragMode::None) {
      t->mode = DragMode::None;
      Qz_DoMethod(view, kRootDraw);
    }
  } else if (e->cls == IDCMP_MOUSEMOVE) {
    if (t->mode == DragMode::Zooming) Qz__Zoom(t, image, view, e);
    if (t->mode == DragMode::Panning) Qz__Pan(t, image, view, e);
  }
  return kToolInputDone;
}

QzWord Qz__Dispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  MagnifyToolObject* t = Qz__Self(object);
  switch (id) {
    case kToolInputMethod:
      return Qz__Input(t, reinterpret_cast<Qz_Image*>(args[0]), reinterpret_cast<const Qz_InputEvent*>(args[1]));
    case kToolActivate:
    case kToolDeactivate: return activateWithButton(object, t->button, id, args);
    default: return qz::kit::inherited(object, id, args);
  }
}

bool Qz__SetUp(Qz_Object* object) {
  Qz__Self(object)->button = addToolButton(object, kMagnifyTip, kMagnifyPictures);
  return true;
}

const qz::kit::ClassDecl kMagnifyTool = {
    .name = "MagnifyTool", .superName = "RootTool", .classId = kMagnifyToolClassId,
    .instance = qz::kit::instanceOf<MagnifyToolObject>(), .handler = Qz__Dispatch, .setUp = Qz__SetUp};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitMagnifyToolClass(Qz_GlobalData*) { return qz::kit::addClass(kMagnifyTool); }
QZ_EXPORT void Qz_CleanupMagnifyToolClass(void) { qz::kit::removeClass(kMagnifyTool); }
QZ_EXTERN_C_END
