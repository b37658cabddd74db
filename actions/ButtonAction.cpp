// ButtonAction: a raised, bevelled button in an image layer of its own over
// the box of its first and third points (both included). A white rectangle
// inset by the softness is blurred ("GaussianBlur") in a private work image;
// it lights the button colour ("BumpMap", as the layer's second source) and
// is the layer's transparency. Layer and work image are kept, so a changed
// setting re-renders at once and a move only moves the layer. Answers the
// colour, bump amount, bump depth and softness (0x139a001e..0x139a0064).
#include <algorithm>

#include "actions/action_internal.h"
#include "image/image_internal.h"
#include "image/qz_compositor.h"
#include "modes/qz_bump_map_mode.h"
#include "modes/qz_root_mode.h"

namespace {

using namespace qz::actions;

struct ButtonData {
  Qz_Object header;
  Qz_Image* layer = nullptr;  // the button's image layer in the document
  Qz_Image* work = nullptr;   // private: the blurred rectangle
  int32_t x = 0, y = 0, width = 0, height = 0;
  uint32_t colour = 0xC8967F;  // 0x00BBGGRR
  int32_t amount = 100, depth = 2, softness = 5;
};

void Qz__SettingChanged(Qz_Object* self);

const qz::kit::Attribute kAttributes[] = {
    {.setter = kButtonActionSetColour, .getter = kButtonActionGetColour, .maximum = 0xFFFFFF, .initial = 0xC8967F,
     .field = qz::kit::field(&ButtonData::colour), .setterName = "Qz_SetButtonActionColour",
     .getterName = "Qz_GetButtonActionColour", .format = "%lx", .changed = Qz__SettingChanged, .answersZero = true},
    {.setter = kButtonActionSetAmount, .getter = kButtonActionGetAmount, .minimum = -200, .maximum = 200,
     .initial = 100, .field = qz::kit::field(&ButtonData::amount), .setterName = "Qz_SetButtonActionAmount",
     .getterName = "Qz_GetButtonActionAmount", .changed = Qz__SettingChanged, .answersZero = true},
    {.setter = kButtonActionSetDepth, .getter = kButtonActionGetDepth, .minimum = 1, .maximum = 128, .initial = 2,
     .field = qz::kit::field(&ButtonData::depth), .setterName = "Qz_SetButtonActionDepth",
     .getterName = "Qz_GetButtonActionDepth", .changed = Qz__SettingChanged, .answersZero = true},
    {.setter = kButtonActionSetSoftness, .getter = kButtonActionGetSoftness, .minimum = 0, .maximum = 29,
     .initial = 5, .field = qz::kit::field(&ButtonData::softness), .setterName = "Qz_SetButtonActionSoftness",
     .getterName = "Qz_GetButtonActionSoftness", .changed = Qz__SettingChanged, .answersZero = true},
};

ButtonData* asButton(Qz_Object* object) { return reinterpret_cast<ButtonData*>(object); }
Qz_Image* Qz__Document(Qz_Object* self) {
  return reinterpret_cast<Qz_Image*>(Qz_DoMethod(Qz_GetTopMostObject(self), kActionGetImage));
}

// Point 0 to point 2, both included, at least one pixel each way.
void Qz__ReadBox(Qz_Object* self, ButtonData* b) {
  auto* list = reinterpret_cast<Qz_Object*>(Qz_DoMethod(Qz_GetTopMostObject(self), kActionGetPoints));
  Qz_Object* first = list ? listFirst(list) : nullptr;
  Qz_Object* second = first ? listOlder(list, first) : nullptr;
  Qz_Object* third = second ? listOlder(list, second) : first;
  if (!first) return;
  b->x = int32_t(Qz_DoMethod(first, kActionGetX)), b->y = int32_t(Qz_DoMethod(first, kActionGetY));
  b->width = int32_t(std::clamp<int64_t>(int64_t(int32_t(Qz_DoMethod(third, kActionGetX))) - b->x + 1, 1, 0x7FFF));
  b->height = int32_t(std::clamp<int64_t>(int64_t(int32_t(Qz_DoMethod(third, kActionGetY))) - b->y + 1, 1, 0x7FFF));
}

// Chooses the mode for the layer and puts it in force; false when there is no such mode.
Qz_Object* Qz__UseMode(Qz_Image* layer, const char* name) {
  if (!layer || !Qz__ApplyLayerMode(layer, name)) return nullptr;
  commitLayerMode(layer);
  return layer->mode;
}

// The layer's mode applies at full strength everywhere.
void Qz__Opaque(Qz_Image* paintLayer) {
  if (!paintLayer) return;
  fillPlanes(paintLayer, 0xFF);
  setChangedSpans(paintLayer, true);
}

// The work image's planes: the white rectangle inset by the softness, blurred by as much.
void Qz__RenderWork(ButtonData* b) {
  Qz_Image* w = b->work;
  const int32_t s = b->softness;
  fillPlanes(w, 0);
  if (w->width - s - 1 >= s && w->height - s - 1 >= s)
    Qz_RenderRectangle(w, s, s, w->width - s - 1, w->height - s - 1, 255, 0xFFFFFF);
  Qz_CopyImageToUndoData(w, 0, 0, w->width - 1, w->height - 1, 0, 0);
  Qz_Image* blurLayer = first_layer(w);
  if (Qz_Object* blur = Qz__UseMode(blurLayer, "GaussianBlur")) {
    Qz_DoMethod(blur, kQzModeSetRadius, uint32_t(s));
    Qz__Opaque(blurLayer);
    Qz_FullProcessImage(w);
  }
}

void Qz__Render(Qz_Object* self, ButtonData* b) {
  Qz_Image* layer = b->layer;
  Qz_Image* document = Qz__Document(self);
  if (!layer || !b->work || !document) return;
  Qz__RenderWork(b);
  fillPlanes(layer, b->colour);
  Qz_Image* lit = layer->activeLayer;
  if (Qz_Object* bump = Qz__UseMode(lit, "BumpMap")) {
    Qz_DoMethod(&lit->object, kQzImageSetSecondSource, b->work);
    Qz_DoMethod(bump, kQzBumpMapSetAmount, uint32_t(b->amount));
    Qz_DoMethod(bump, kQzBumpMapSetRadius, uint32_t(b->depth));
    Qz__Opaque(lit);
    Qz_CopyImageToUndoData(layer, 0, 0, layer->width - 1, layer->height - 1, 0, 0);
    Qz_FullProcessImage(layer);
  }
  // The mask takes the blurred rectangle's green: an 8-bit plane from a 24-bit picture.
  if (layer->inner && layer->inner->grey)
    Qz__CopyPlaneRect(layer->inner->grey, layer->inner->width, layer->inner->height, b->work->g, b->work->width,
                      b->work->height, 0, 0, b->work->width - 1, b->work->height - 1, 0, 0);
  Qz_MultiplyImageByImage(layer, 0, 0, b->work, 0, 0, b->width, b->height);
  Qz_CopyImageToUndoData(layer, 0, 0, layer->width - 1, layer->height - 1, 0, 0);
  const int32_t x1 = std::min(b->x + b->width, document->width - 1), y1 = std::min(b->y + b->height, document->height - 1);
  Qz_ProcessImage(document, std::max(b->x, 0), std::max(b->y, 0), x1, y1);
  Qz_ModifiedImageData(document, std::max(b->x, 0), std::max(b->y, 0), x1, y1);
}

void Qz__DropWork(ButtonData* b) {
  if (b->work) Qz_DisposeObject(&b->work->object);
  b->work = nullptr;
}

bool Qz__MakeWork(ButtonData* b) {
  Qz__DropWork(b);
  auto* work = reinterpret_cast<Qz_Image*>(Qz_CreateObject("Image", kQzImageSetType, kQzDocument));
  if (!work) return false;
  b->work = work;
  if (!Qz_AllocImage(work, b->width, b->height, 24, kQzAllocNoThread, nullptr) ||
      !Qz_DoMethod(&work->object, kQzImageMakeLayer, kQzPaintLayer, b->width, b->height, 8)) {
    Qz__DropWork(b);
    return false;
  }
  return true;
}

// The button's layer at the box's size: made the first time, resized in
// place afterwards, so the steps that set it up keep a live layer.
bool Qz__SizeLayer(Qz_Object* self, ButtonData* b, Qz_Image* document) {
  if (!b->layer) {
    b->layer = reinterpret_cast<Qz_Image*>(
        Qz_DoMethod(&document->object, kQzImageMakeLayer, kQzImageLayer, b->width, b->height, 24));
    if (!b->layer) return false;
    Qz_DoMethod(Qz_GetTopMostObject(self), kActionSetLayer, b->layer);
  } else {
    for (Qz_Image* part : {b->layer, b->layer->inner, b->layer->activeLayer}) {
      if (!part || (part->width == b->width && part->height == b->height)) continue;
      if (!Qz_BeginNewImageSize(part, b->width, b->height) || !Qz_EndNewImageSize(part, b->width, b->height))
        return false;
    }
  }
  return Qz__MakeWork(b);
}

QzWord Qz__Apply(Qz_Object* self, ButtonData* b) {
  Qz_Image* document = Qz__Document(self);
  if (!document) return 1;
  Qz__ReadBox(self, b);
  if (b->layer && b->layer->visible == 0) Qz_DoMethod(&b->layer->object, kQzImageShowLayer);
  const bool resize = !b->layer || b->layer->width != b->width || b->layer->height != b->height || !b->work;
  if (resize) {
    if (!Qz__SizeLayer(self, b, document)) return 0;
    Qz_DoMethod(&b->layer->object, kQzImagePlaceLayer, b->x, b->y, b->width, b->height);
    Qz__Render(self, b);
  } else if (b->layer->placement.layerX != b->x || b->layer->placement.layerY != b->y) {
    Qz_DoMethod(&b->layer->object, kQzImagePlaceLayer, b->x, b->y, b->width, b->height);
  }
  return 1;
}

void Qz__SettingChanged(Qz_Object* self) {
  ButtonData* b = asButton(self);
  if (b->layer && b->work) Qz__Render(self, b);
}

// Taking the button back hides its layer; doing it again shows it.
QzWord Qz__Undo(ButtonData* b) {
  if (b->layer) Qz_DoMethod(&b->layer->object, kQzImageHideLayer);
  return 1;
}

QzWord Qz__Dispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  ButtonData* b = asButton(object);
  switch (id) {
    case kActionApply: case kActionApplyQuiet: case kActionRedo: return Qz__Apply(object, b);
    case kActionUndo: return Qz__Undo(b);
    case kActionRecomputeBounds: {
      const QzWord result = qz::kit::inherited(object, id, args);
      if (b->layer) Qz__Apply(object, b);
      return result;
    }
    case kActionGetName: return qz::toWord("Button");
    default: return qz::kit::inherited(object, id, args);
  }
}

void Qz__TearDown(Qz_Object* object) { Qz__DropWork(asButton(object)); }

const ActionTraits kTraits = {"Data/Images/ToolBar/Button", kActionBoxHandles | kActionRestorePoint};

const qz::kit::ClassDecl kButtonAction = actionClass(
    {.name = "ButtonAction", .classId = kFillImageActionClassId, .instance = qz::kit::instanceOf<ButtonData>(),
     .handler = Qz__Dispatch, .attributes = kAttributes, .tearDown = Qz__TearDown}, kTraits);

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitButtonActionClass(Qz_GlobalData*) { return qz::kit::addClass(kButtonAction); }
QZ_EXPORT void Qz_CleanupButtonActionClass(void) { qz::kit::removeClass(kButtonAction); }
QZ_EXTERN_C_END
