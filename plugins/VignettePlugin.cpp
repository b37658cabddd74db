// VignettePlugin: the current layer's edge mask: its shape, size and
// softness, and whether it is inverted. Changes go to the active layer; a
// layer made current shows its settings without sending them back.
#include "gadgets/qz_choice.h"
#include "gadgets/qz_group.h"
#include "gadgets/qz_sliders.h"
#include "gadgets/qz_widgets.h"
#include "image/qz_image.h"
#include "objects/qz_class_kit.h"
#include "objects/qz_notify.h"
#include "objects/qz_root.h"
#include "plugins/plugin_family.h"

namespace {

constexpr uint32_t kVignetteClassId = 0x3E80017;
// Catalogue texts.
constexpr uint32_t kTitleText = 379, kShapeText = 16, kSizeText = 88, kSoftnessText = 380, kInvertText = 214;
constexpr uint32_t kShapeTexts[] = {78, 131, 271, 381};
// The layer's edge settings.
constexpr uint32_t kSetShape = 0x1003E8, kSetSize = 0x1003FC, kSetSoftness = 0x100410, kSetInvert = 0x100424;
// The panel's own, run on its window's thread: show the four settings, a
// 16-bit field each, shape lowest.
constexpr uint32_t kShowEdge = 0x3E80718;

struct Qz_VignetteObject {
  Qz_Object header{};
  Qz_Object* shape = nullptr;
  Qz_Object* size = nullptr;
  Qz_Object* softness = nullptr;
  Qz_Object* invert = nullptr;
  QzWord follow = 0;
};

Qz_VignetteObject* Qz__Self(Qz_Object* o) { return qz::kit::self<Qz_VignetteObject>(o); }
Qz_VignetteObject* Qz__FromUser(QzWord user) { return reinterpret_cast<Qz_VignetteObject*>(user); }

void Qz__Changed(QzWord method, Qz_Object*, uint32_t, const QzWord* value) {
  if (!qz::plugins::FollowGuard::active()) qz::plugins::sendToActiveLayer(uint32_t(method), value[0]);
}

void Qz__Follow(QzWord user, Qz_Object*, uint32_t, const QzWord* value) {
  auto* layer = reinterpret_cast<Qz_Image*>(value[0]);
  QzWord packed = 0;
  const bool shown = qz::plugins::readLayerOfActiveImage(layer, [&packed](Qz_Image* l) {
    const int32_t settings[] = {l->edgeShape, l->edgeSize, l->edgeSoftness, l->edgeInvert};
    for (int i = 0; i < 4; ++i) packed |= QzWord(uint16_t(settings[i])) << (16 * i);
  });
  if (shown) qz::plugins::runOnPanelThread(&Qz__FromUser(user)->header, kShowEdge, packed, 0);
}

void Qz__ShowEdge(Qz_VignetteObject* p, QzWord packed) {
  qz::plugins::FollowGuard following;
  auto field = [packed](int i) { return uint32_t(uint16_t(packed >> (16 * i))); };
  Qz_DoMethod(p->shape, kMutualExcludeMark, field(0));
  Qz_DoMethod(p->size, kValueSet, field(1));
  Qz_DoMethod(p->softness, kValueSet, field(2));
  Qz_DoMethod(p->invert, kCheckBoxSetState, field(3));
}

Qz_Object* Qz__MakePanel(Qz_Object* object) {
  Qz_VignetteObject* p = Qz__Self(object);
  using qz::plugins::catalogueText;
  p->shape = Qz_CreateObject("MutualExclude", kGroupSetFrame, 3, kRootSetLabel, catalogueText(kShapeText));
  Qz_Object* size = qz::plugins::labelledSlider({.label = kSizeText}, &p->size);
  Qz_Object* softness = qz::plugins::labelledSlider({.label = kSoftnessText}, &p->softness);
  p->invert = Qz_CreateObject("CheckBox", kRootSetLabel, catalogueText(kInvertText));
  Qz_Object* column = Qz_CreateObject("Group", kGroupSetMode, 1);
  if (!p->shape || !size || !softness || !p->invert || !column) {
    for (Qz_Object* o : {p->shape, size, softness, p->invert, column}) Qz_DisposeObject(o);
    p->shape = p->size = p->softness = p->invert = nullptr;
    return nullptr;
  }
  for (uint32_t text : kShapeTexts) Qz_AddObject(p->shape, "Text", kRootSetLabel, catalogueText(text));
  Qz_DoMethod(p->shape, kMutualExcludeMark, 0u);
  for (Qz_Object* o : {p->shape, size, softness}) Qz_DoMethod(column, kGroupAddTail, o);
  Qz_AddObject(column, "Space", kSpaceSetSize, 3);
  Qz_DoMethod(column, kGroupAddTail, p->invert);
  const char* title = catalogueText(kTitleText);
  return qz::plugins::makePanel({title, title, "Data/Images/Tabs/Vignette"}, column);
}

bool Qz__SetUp(Qz_Object* object) {
  Qz_VignetteObject* p = Qz__Self(object);
  Qz_AddCallBackNotify(p->shape, kMutualExcludeMark, kNotifyAnyValue, Qz__Changed, kSetShape);
  Qz_AddCallBackNotify(p->size, kValueSet, kNotifyAnyValue, Qz__Changed, kSetSize);
  Qz_AddCallBackNotify(p->softness, kValueSet, kNotifyAnyValue, Qz__Changed, kSetSoftness);
  Qz_AddCallBackNotify(p->invert, kCheckBoxSetState, kNotifyAnyValue, Qz__Changed, kSetInvert);
  p->follow = qz::plugins::followApplication(kQzImageMakeActive, Qz__Follow, reinterpret_cast<QzWord>(p));
  return true;
}

void Qz__TearDown(Qz_Object* object) { qz::plugins::stopFollowing(Qz__Self(object)->follow); }

QzWord Qz__Dispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  switch (id) {
    case kRootStoreChildren: return 1;
    case kShowEdge: Qz__ShowEdge(Qz__Self(object), args[0]); return 0;
    default: return qz::kit::inherited(object, id, args);
  }
}

const qz::kit::ClassDecl kVignettePlugin = {
    .name = "VignettePlugin", .superName = "RootPlugin", .classId = kVignetteClassId,
    .instance = qz::kit::instanceOf<Qz_VignetteObject>(), .handler = Qz__Dispatch,
    .makeSuper = Qz__MakePanel, .setUp = Qz__SetUp, .tearDown = Qz__TearDown};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitVignettePluginClass(Qz_GlobalData*) { return qz::kit::addClass(kVignettePlugin); }
QZ_EXPORT void Qz_CleanupVignettePluginClass(void) { qz::kit::removeClass(kVignettePlugin); }
QZ_EXTERN_C_END
