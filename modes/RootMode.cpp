// RootMode: the base of every mode. It holds the layer the mode works on,
// the optional options panel (shown while that layer is the active one), the
// flag word the image reads, ten 16-bit settings, the re-render request, and
// the re-notification of region changes of an attached source. It renders
// nothing: the render method falls through to the group instance.
#include <atomic>

#include "image/image_internal.h"
#include "modes/mode_classes.h"
#include "modes/mode_kit.h"
#include "objects/qz_notify.h"
#include "objects/qz_root.h"

namespace {

constexpr uint32_t kRootModeClassId = 0x800;
constexpr uint32_t kPluginPrepare = 0x3E80050;
constexpr uint32_t kPluginRelayout = 0x3E8008C;
constexpr uint32_t kGroupSetFrame = 0x2012C;
constexpr uint32_t kListAddHead = 0x47000A;
constexpr uint32_t kListRemove = 0x470046;

enum Attribute {
  kAmount, kRadius, kAngle, kQuality, kColourMode, kThreshold, kXRadius, kYRadius, kXPosition,
  kYPosition, kAttributeCount
};

struct Qz_RootModeObject {
  Qz_Object header;
  Qz_Image* image;  // the layer
  Qz_Object* panel;
  QzWord notifyHandle;
  int32_t panelShown;
  std::atomic<uint32_t> flags;
  std::atomic<int16_t> attributes[kAttributeCount];  // read by render on the image thread
};

// Setter id, getter id and attribute, one row each.
struct AttributeRow {
  uint32_t setter, getter;
  Attribute attribute;
};
constexpr AttributeRow kAttributes[] = {
    {kQzModeSetAmount, kQzModeGetAmount, kAmount},
    {kQzModeSetRadius, kQzModeGetRadius, kRadius},
    {kQzModeSetAngle, kQzModeGetAngle, kAngle},
    {kQzModeSetColourMode, kQzModeGetColourMode, kColourMode},
    {kQzModeSetQuality, kQzModeGetQuality, kQuality},
    {kQzModeSetXPosition, kQzModeGetXPosition, kXPosition},
    {kQzModeSetYPosition, kQzModeGetYPosition, kYPosition},
    {kQzModeSetXRadius, kQzModeGetXRadius, kXRadius},
    {kQzModeSetYRadius, kQzModeGetYRadius, kYRadius},
    {kQzModeSetThreshold, kQzModeGetThreshold, kThreshold},
};

Qz_Class gRootModeClass;

Qz_RootModeObject* Qz__Self(Qz_Object* object) {
  return reinterpret_cast<Qz_RootModeObject*>(object);
}

// A 16-bit value widened with its sign, carried as a 32-bit word.
inline QzWord Qz__Widen(int16_t value) { return QzWord(uint32_t(int32_t(value))); }

Qz_Object* Qz__ModePanelGroup() { return Qz_GetImageBase()->modePanelGroup; }

// The paint layer that is active now: the active document's.
Qz_Image* Qz__ActivePaintLayer() {
  Qz_ImageBase* base = Qz_GetImageBase();
  ObtainSemaphore(&base->semaphore);
  Qz_Image* active = base->activeImage;
  Qz_Image* layer = active ? active->paintLayer : nullptr;
  ReleaseSemaphore(&base->semaphore);
  return layer;
}

QzWord Qz__ModeChanged(Qz_RootModeObject* self) {
  if (self->image) qz::modes::postRerender(self->image);
  return 1;
}

// The same value twice changes nothing; values are compared after the cut
// to 16 bits, and every setter notifies the stored value.
QzWord Qz__SetAttribute(Qz_RootModeObject* self, const AttributeRow& row, QzWord word) {
  const auto value = int16_t(uint16_t(word));
  std::atomic<int16_t>& slot = self->attributes[row.attribute];
  if (slot.load() == value) return Qz__Widen(value);
  slot.store(value);
  Qz_DoNotify(&self->header, row.setter, Qz__Widen(value));
  Qz__ModeChanged(self);
  return Qz__Widen(value);
}

QzWord Qz__ActiveImageChanged(Qz_RootModeObject* self, Qz_Image* active) {
  Qz_Object* group = Qz__ModePanelGroup();
  if (active != self->image && self->panelShown) {
    if (group) Qz_DoMethod(group, kListRemove, self->panel);
    self->panelShown = 0;
  }
  if (self->panel && !self->panelShown && active == self->image && self->image && group) {
    Qz_DoMethod(group, kListAddHead, self->panel);
    Qz_DoMethod(group, kRootDraw);
    self->panelShown = 1;
    return 1;
  }
  Qz_DoMethod(group, kRootDraw);
  return 1;
}

QzWord Qz__SetModeImage(Qz_RootModeObject* self, Qz_Image* layer) {
  self->image = layer;
  // Shown only when the layer is the one being painted now: a file of many
  // layers would otherwise stack every layer's panel.
  Qz__ActiveImageChanged(self, Qz__ActivePaintLayer());
  Qz_Image* document = layer ? qz::topDocument(layer) : nullptr;
  if (self->panel && document && Qz_CurrentViewOf(document))
    Qz_DoMethod(Qz__ModePanelGroup(), kPluginRelayout);
  return 0;
}

void Qz__HidePanel(Qz_RootModeObject* self) {
  if (!self->panelShown || !self->panel) return;
  Qz_Object* parent = Qz_RootInstance(self->panel)->box.parent;
  Qz_DoMethod(parent ? parent : Qz__ModePanelGroup(), kListRemove, self->panel);
  self->panelShown = 0;
}

QzWord Qz__SetModePanel(Qz_RootModeObject* self, Qz_Object* panel) {
  Qz__HidePanel(self);
  Qz_DisposeObject(self->panel);
  self->panel = panel;
  if (!panel) return 0;
  for (int i = 0; i < 3; ++i) Qz_DoMethod(panel, kPluginPrepare);
  Qz_DoMethod(panel, kGroupSetFrame, 0);
  Qz_Object* application = Qz_GetImageBase()->application;
  if (application && !self->notifyHandle)
    self->notifyHandle = Qz_AddNotify(application, kQzModeActiveImageChanged, kNotifyAnyValue,
                                      &self->header, 2, kQzModeActiveImageChanged,
                                      kNotifySameWord);
  return 0;
}

// A region of the attached source changed: tell the layer's watchers where
// that lands in the layer.
QzWord Qz__SourceRegionChanged(Qz_RootModeObject* self, const QzWord* args) {
  const auto kind = uint32_t(args[0]);
  auto* source = reinterpret_cast<Qz_Image*>(args[1]);
  Qz_Image* layer = self->image;
  if (kind > 2 || !layer) return 0;
  const int32_t ox = layer->placement.secondX, oy = layer->placement.secondY;
  const int32_t x0 = int32_t(args[2]), y0 = int32_t(args[3]);
  const int32_t x1 = int32_t(args[4]), y1 = int32_t(args[5]);
  if ((self->flags.load() & kQzModeFullWidthNotices) && source &&
      source->interruptible.load()) {
    // Once per strip pass, when it reaches the source's last row.
    if (y1 < source->height - 1) return 0;
    Qz_DoNotify(&layer->object, kQzImageChanged, kQzChangeRect, layer, 0, oy, layer->width - 1,
                y1 + oy, 0, 0);
    return 0;
  }
  Qz_DoNotify(&layer->object, kQzImageChanged, kQzChangeRect, layer, x0 + ox, y0 + oy, x1 + ox,
              y1 + oy, 0, 0);
  return 0;
}

// The source's strip pass ended (also one cut short): flag-4 modes widen now.
QzWord Qz__SourcePassDone(Qz_RootModeObject* self, Qz_Image* source) {
  Qz_Image* layer = self->image;
  if (!layer || !(self->flags.load() & kQzModeFullWidthNotices)) return 0;
  const int32_t oy = layer->placement.secondY;
  const int32_t rows = source ? source->height : layer->height;
  Qz_DoNotify(&layer->object, kQzImageChanged, kQzChangeRect, layer, 0, oy, layer->width - 1,
              oy + rows - 1, 0, 0);
  return 0;
}

QzWord Qz__RootModeDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  Qz_RootModeObject* self = Qz__Self(object);
  switch (id) {
    case kQzModeGetFlags: return self->flags.load();
    case kQzModeSetFlags: self->flags.store(uint32_t(args[0])); return 0;
    case kQzModeSetImage: return Qz__SetModeImage(self, reinterpret_cast<Qz_Image*>(args[0]));
    case kQzModeGetImage: return qz::toWord(self->image);
    case kQzModeSetPanel: return Qz__SetModePanel(self, reinterpret_cast<Qz_Object*>(args[0]));
    case kQzModeGetPanel: return qz::toWord(self->panel);
    case kQzModeChanged: return Qz__ModeChanged(self);
    case kQzModeActiveImageChanged:
      return Qz__ActiveImageChanged(self, reinterpret_cast<Qz_Image*>(args[0]));
    case kQzModeSourceRegionChanged: return Qz__SourceRegionChanged(self, args);
    case kQzModeSourceAttached: return 0;
    case kQzModeSourcePassDone: return Qz__SourcePassDone(self, reinterpret_cast<Qz_Image*>(args[0]));
    default: break;
  }
  for (const AttributeRow& row : kAttributes) {
    if (id == row.setter) return Qz__SetAttribute(self, row, args[0]);
    if (id == row.getter) return Qz__Widen(self->attributes[row.attribute].load());
  }
  return Qz_DoMethodA(object->super, id, args);
}

Qz_Object* Qz__NewRootMode(Qz_Class* objectClass, const QzWord* /*args*/) {
  Qz_Object* object = Qz_AllocObjectMem(objectClass);
  if (!object) return nullptr;
  // An empty vertical group; a plain Root until the toolkit's groups exist.
  object->super = Qz_CreateSubClassObjects(0, kBuildVGroup, kBuildClose);
  if (!object->super) object->super = Qz_CreateObject("Root");
  if (!object->super) {
    Qz_FreeObjectMem(object);
    return nullptr;
  }
  object->super->owner = object;
  return object;
}

void Qz_DisposeRootModeClass(Qz_Object* object) {
  Qz_RootModeObject* self = Qz__Self(object);
  if (self->notifyHandle) Qz_RemoveNotify(Qz_GetImageBase()->application, self->notifyHandle);
  self->notifyHandle = 0;
  Qz__HidePanel(self);
  Qz_DisposeObject(self->panel);
  self->panel = nullptr;
  qz::modes::disposeModeObject(object);
}

}  // namespace

QZ_EXTERN_C_BEGIN

QZ_EXPORT QzWord Qz_InitRootModeClass(Qz_GlobalData* /*globalData*/) {
  return qz::modes::registerModeClass(
      gRootModeClass, {"RootMode", kRootModeClassId, "Root", Qz__NewRootMode,
                       Qz_DisposeRootModeClass, Qz__RootModeDispatch, sizeof(Qz_RootModeObject)});
}

QZ_EXPORT void Qz_CleanupRootModeClass(void) { qz::modes::unregisterModeClass(gRootModeClass); }

QZ_EXTERN_C_END
