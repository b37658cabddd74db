// RootMode: the base of every mode. It holds the layer the mode works on,
// the optional options panel (shown while that layer is the active one), the
// flag word the image reads, ten 16-bit settings, the re-render request, and
// the re-notification of region changes of an attached source. It renders
// nothing: the render method falls through to the group instance.
#include <atomic>

#include "gadgets/qz_group.h"
#include "image/image_internal.h"
#include "modes/mode_kit.h"
#include "modes/mode_panel.h"
#include "modes/mode_settings.h"
#include "objects/qz_linked_list.h"
#include "objects/qz_notify.h"
#include "objects/qz_root.h"
#include "plugins/qz_root_plugin.h"

namespace {

struct Qz_RootModeObject {
  Qz_Object header;
  Qz_Image* image = nullptr;  // the layer
  Qz_Object* panel = nullptr;
  QzWord notifyHandle = 0;
  int32_t panelShown = 0;
  std::atomic<uint32_t> flags{0};
  // The ten 16-bit settings, read and written by the kit's attribute rows
  // (atomically: renders read them on the image thread).
  int16_t amount = 0, radius = 0, angle = 0, quality = 0, colourMode = 0, threshold = 0;
  int16_t xRadius = 0, yRadius = 0, xPosition = 0, yPosition = 0;
};

Qz_RootModeObject* Qz__Self(Qz_Object* object) {
  return reinterpret_cast<Qz_RootModeObject*>(object);
}

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

void Qz__SettingChanged(Qz_Object* object) { Qz__ModeChanged(Qz__Self(object)); }

// Each setting is clamped to 16 bits, answered widened with its sign, and a
// change notifies the stored value and asks for a re-render.
template <int16_t Qz_RootModeObject::*Member>
qz::kit::Attribute Qz__Setting(uint32_t setter, uint32_t getter) {
  return {.setter = setter, .getter = getter, .minimum = INT16_MIN, .maximum = INT16_MAX,
          .field = qz::kit::field(Member), .changed = Qz__SettingChanged};
}

const qz::kit::Attribute kSettings[] = {
    Qz__Setting<&Qz_RootModeObject::amount>(kQzModeSetAmount, kQzModeGetAmount),
    Qz__Setting<&Qz_RootModeObject::radius>(kQzModeSetRadius, kQzModeGetRadius),
    Qz__Setting<&Qz_RootModeObject::angle>(kQzModeSetAngle, kQzModeGetAngle),
    Qz__Setting<&Qz_RootModeObject::colourMode>(kQzModeSetColourMode, kQzModeGetColourMode),
    Qz__Setting<&Qz_RootModeObject::quality>(kQzModeSetQuality, kQzModeGetQuality),
    Qz__Setting<&Qz_RootModeObject::xPosition>(kQzModeSetXPosition, kQzModeGetXPosition),
    Qz__Setting<&Qz_RootModeObject::yPosition>(kQzModeSetYPosition, kQzModeGetYPosition),
    Qz__Setting<&Qz_RootModeObject::xRadius>(kQzModeSetXRadius, kQzModeGetXRadius),
    Qz__Setting<&Qz_RootModeObject::yRadius>(kQzModeSetYRadius, kQzModeGetYRadius),
    Qz__Setting<&Qz_RootModeObject::threshold>(kQzModeSetThreshold, kQzModeGetThreshold),
};

void Qz__HidePanel(Qz_RootModeObject* self);

bool Qz__InGroup(Qz_Object* group, Qz_Object* member) {
  return group && Qz_DoMethod(group, kLinkedListIndexOf, member) < Qz_DoMethod(group, kLinkedListCount);
}

QzWord Qz__ActiveImageChanged(Qz_RootModeObject* self, Qz_Image* active) {
  Qz_Object* group = Qz__ModePanelGroup();
  // A restored panel layout brings a new mode-options group: the panel
  // leaves the old one and is shown again in the new.
  if (self->panelShown && group && !Qz__InGroup(group, self->panel)) Qz__HidePanel(self);
  if (active != self->image && self->panelShown) {
    if (group) Qz_DoMethod(group, kLinkedListRemove, self->panel);
    self->panelShown = 0;
  }
  if (self->panel && !self->panelShown && active == self->image && self->image && group) {
    Qz_DoMethod(group, kLinkedListAddHead, self->panel);
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
    Qz_DoMethod(Qz__ModePanelGroup(), kQzPluginRelayout);
  return 0;
}

void Qz__HidePanel(Qz_RootModeObject* self) {
  if (!self->panelShown || !self->panel) return;
  Qz_Object* parent = Qz_RootInstance(self->panel)->box.parent;
  Qz_DoMethod(parent ? parent : Qz__ModePanelGroup(), kLinkedListRemove, self->panel);
  self->panelShown = 0;
}

QzWord Qz__SetModePanel(Qz_RootModeObject* self, Qz_Object* panel) {
  Qz__HidePanel(self);
  Qz_DisposeObject(self->panel);
  self->panel = panel;
  if (!panel) return 0;
  for (int i = 0; i < 3; ++i) Qz_DoMethod(panel, kQzPluginPrepare);
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
  // In a strip pass of the source, its end notice (which the layer passes
  // on, also for a pass cut short) brings the one full-width notice.
  if ((self->flags.load() & kQzModeFullWidthNotices) && source && source->interruptible.load())
    return 0;
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
    default: return qz::kit::inherited(object, id, args);
  }
}

// An empty vertical group; a plain Root until the toolkit's groups exist.
Qz_Object* Qz__MakeRootModeSuper(Qz_Object*) {
  Qz_Object* group = Qz_CreateSubClassObjects(0, kBuildVGroup, kBuildClose);
  return group ? group : Qz_CreateObject("Root");
}

void Qz__DisposeRootMode(Qz_Object* object) {
  Qz_RootModeObject* self = Qz__Self(object);
  if (self->notifyHandle) Qz_RemoveNotify(Qz_GetImageBase()->application, self->notifyHandle);
  self->notifyHandle = 0;
  Qz__HidePanel(self);
  Qz_DisposeObject(self->panel);
  self->panel = nullptr;
}

const qz::kit::ClassDecl kRootMode = {
    .name = "RootMode", .superName = "Root", .classId = kQzRootModeClassId,
    .instance = qz::kit::instanceOf<Qz_RootModeObject>(), .handler = Qz__RootModeDispatch,
    .attributes = kSettings, .makeSuper = Qz__MakeRootModeSuper,
    .tearDown = Qz__DisposeRootMode};

int32_t Qz__Load(const int16_t& field) { return qz::modes::loadSetting(field); }

}  // namespace

namespace qz::modes {

bool loadRootSettings(Qz_Object* mode, RootSettings* settings) {
  // The RootMode instance is the innermost mode instance of the chain.
  for (int guard = 0; mode && guard < 64; mode = mode->super, ++guard) {
    if (qz::kit::declOf(mode) != &kRootMode) continue;
    const Qz_RootModeObject* self = Qz__Self(mode);
    *settings = {.amount = Qz__Load(self->amount), .radius = Qz__Load(self->radius),
                 .angle = Qz__Load(self->angle), .quality = Qz__Load(self->quality),
                 .colourMode = Qz__Load(self->colourMode), .threshold = Qz__Load(self->threshold),
                 .xRadius = Qz__Load(self->xRadius), .yRadius = Qz__Load(self->yRadius),
                 .xPosition = Qz__Load(self->xPosition), .yPosition = Qz__Load(self->yPosition)};
    return true;
  }
  return false;
}

}  // namespace qz::modes

QZ_EXTERN_C_BEGIN
// The modes' panels come and go with the modes.
QZ_EXPORT QzWord Qz_InitRootModeClass(Qz_GlobalData*) {
  return qz::kit::addClass(kRootMode) && qz::modes::addModePanelClass();
}
QZ_EXPORT void Qz_CleanupRootModeClass(void) {
  qz::modes::removeModePanelClass();
  qz::kit::removeClass(kRootMode);
}
QZ_EXTERN_C_END
