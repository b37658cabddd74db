// The one place mode objects are made: a layer's chosen mode, which waits in
// its slot until the layer is fixed and then replaces the mode in force.
#include <cstdio>
#include <cstring>

#include "actions/action_internal.h"
#include "image/image_text.h"
#include "objects/qz_root.h"

namespace {

// Moves the waiting choice into force. The mode in force is what compositing
// passes call, so it changes only under the document's exclusive lock; when
// that is refused the waiting choice, never used yet, is dropped instead.
void Qz__PromoteChosenMode(Qz_Image* layer) {
  Qz_Image* document = qz::actions::owningDocument(layer);
  if (document && Qz_LockImageA(document, kQzLockExclusive, nullptr)) {
    Qz_Object* old = layer->mode;
    layer->mode = layer->chosenMode;
    qz::copyName(layer->modeName, sizeof layer->modeName, layer->chosenModeName);
    layer->chosenMode = nullptr;
    Qz_NoteImageChange(layer);
    Qz_UnlockImageA(document, kQzLockExclusive, nullptr);
    Qz_DisposeObject(old);
  } else {
    Qz_DisposeObject(layer->chosenMode);
    layer->chosenMode = nullptr;
  }
}

void Qz__TakeOutPanel(Qz_Object* mode) {
  auto* panel = reinterpret_cast<Qz_Object*>(Qz_DoMethod(mode, kQzModeGetPanel));
  if (!panel) return;
  if (Qz_RootObject* root = Qz_RootInstance(panel))
    if (root->box.parent) Qz_DoMethod(root->box.parent, kLinkedListRemove, panel);
}

}  // namespace

QZ_EXTERN_C_BEGIN

QZ_EXPORT int32_t Qz__ApplyLayerMode(Qz_Image* layer, const char* name) {
  if (!layer || !name) return 0;
  if (std::strcmp(name, layer->chosenModeName) == 0) return 1;
  char className[kQzNameLength + 8];
  std::snprintf(className, sizeof className, "%sMode", name);
  Qz_Object* mode = Qz_CreateObject(className);
  if (!mode) return 0;
  if (layer->chosenMode) Qz__PromoteChosenMode(layer);
  layer->chosenMode = mode;
  qz::copyName(layer->chosenModeName, sizeof layer->chosenModeName, name);
  Qz__TakeOutPanel(layer->mode);
  Qz_DoMethod(mode, kQzModeSetImage, layer);
  Qz_ImageBase* base = Qz_GetImageBase();
  if (base && base->modePanelGroup) Qz_DoMethod(base->modePanelGroup, kRootDraw);
  Qz_DoNotify(&layer->object, kQzImageSetLayerMode, layer->chosenModeName);
  if (base && base->application)
    Qz_DoNotify(base->application, kQzImageSetLayerMode, layer->chosenModeName);
  // Application-wide listeners (the mode selector) watch the application image.
  if (base && base->applicationImage)
    Qz_DoNotify(&base->applicationImage->object, kQzImageSetLayerMode, layer->chosenModeName);
  Qz_LayerNeedsFixing(layer);
  return 1;
}

QZ_EXTERN_C_END
