// ColourPickerTool: a left press over the view takes the pen colour from the
// pixel under the pointer, and dragging keeps taking it until a release.
#include "gadgets/qz_input_event.h"
#include "image/app_commands.h"
#include "image/qz_image.h"
#include "objects/qz_class_kit.h"
#include "platform/windows.h"
#include "tools/qz_root_tool.h"
#include "tools/tool_button.h"

namespace {

constexpr uint32_t kColourPickerToolClassId = 0x177b0000;
constexpr uint32_t kColourPickerTip = 311;  // catalogue: "Colour Picker"
constexpr const char* kPictures[] = {"Data/Images/ToolBar/ColourPicker"};

struct ColourPickerToolObject {
  Qz_Object header{};  // super: the RootTool
  Qz_Object* button = nullptr;
  int32_t picking = 0;  // from a left press over the view until a release
};

ColourPickerToolObject* Qz__Self(Qz_Object* object) { return reinterpret_cast<ColourPickerToolObject*>(object); }

// The view may be larger than the picture (zoomed out, or a small picture):
// points beyond it pick nothing.
void Qz__Pick(Qz_Image* image, int32_t x, int32_t y) {
  Qz_Image* application = Qz_GetImageBase()->applicationImage;
  if (!application || x < 0 || y < 0 || x >= image->width || y >= image->height) return;
  if (!Qz_LockImageA(image, kQzLockComposite, nullptr)) return;
  uint32_t colour = 0;
  if (image->depth == 8 && image->grey) {
    const uint32_t grey = image->grey[y][x];
    colour = grey << 16 | grey << 8 | grey;
  } else if (image->depth == 24 && image->r && image->g && image->b) {
    colour = uint32_t(image->b[y][x]) << 16 | uint32_t(image->g[y][x]) << 8 | image->r[y][x];
  }
  Qz_UnlockImageA(image, kQzLockComposite, nullptr);
  Qz_DoMethod(&application->object, qz::kQzAppSetColour, colour);
}

QzWord Qz__Input(ColourPickerToolObject* t, Qz_Image* image, const Qz_InputEvent* e) {
  if (!image || !e) return kToolInputDone;
  const bool overView = Qz_IsCoordOverObject(Qz_CurrentViewOf(image), e->mouseX, e->mouseY);
  if (e->cls == IDCMP_MOUSEBUTTONS) {
    if (e->code == SELECTUP || e->code == MENUUP) t->picking = 0;
    if (e->code != SELECTDOWN || !overView) return kToolInputDone;
    t->picking = 1;
  } else if (e->cls != IDCMP_MOUSEMOVE || !t->picking || !overView) {
    return kToolInputDone;
  }
  Qz__Pick(image, WindowToImageX(image, e->mouseX), WindowToImageY(image, e->mouseY));
  return kToolInputDone;
}

QzWord Qz__Dispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  ColourPickerToolObject* t = Qz__Self(object);
  switch (id) {
    case kToolInputMethod:
      return Qz__Input(t, reinterpret_cast<Qz_Image*>(args[0]), reinterpret_cast<const Qz_InputEvent*>(args[1]));
    case kToolGetBrushOutline: return 0;
    case kToolActivate:
    case kToolDeactivate: return qz::tools::activateWithButton(object, t->button, id, args);
    default: return qz::kit::inherited(object, id, args);
  }
}

bool Qz__SetUp(Qz_Object* object) {
  Qz__Self(object)->button = qz::tools::addToolButton(object, kColourPickerTip, kPictures);
  return true;
}

const qz::kit::ClassDecl kColourPickerTool = {
    .name = "ColourPickerTool", .superName = "RootTool", .classId = kColourPickerToolClassId,
    .instance = qz::kit::instanceOf<ColourPickerToolObject>(), .handler = Qz__Dispatch, .setUp = Qz__SetUp};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitColourPickerToolClass(Qz_GlobalData*) { return qz::kit::addClass(kColourPickerTool); }
QZ_EXPORT void Qz_CleanupColourPickerToolClass(void) { qz::kit::removeClass(kColourPickerTool); }
QZ_EXTERN_C_END
