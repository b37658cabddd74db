// TransGradientPlugin: the transparency gradient new shapes are filled with,
// its kind as a choice and its strength as a slider.
#include "gadgets/qz_choice.h"
#include "gadgets/qz_group.h"
#include "gadgets/qz_sliders.h"
#include "image/qz_image.h"
#include "objects/qz_class_kit.h"
#include "objects/qz_notify.h"
#include "objects/qz_root.h"
#include "plugins/plugin_family.h"
#include "plugins/view_panel_maths.h"

namespace {

constexpr uint32_t kTransGradientClassId = 0x3E8000D;
// Catalogue texts.
constexpr uint32_t kTitleText = 265, kStrengthText = 43;
constexpr uint32_t kKindTexts[] = {78, 268, 269, 266, 267};

struct Qz_TransGradientObject {
  Qz_Object header{};
  Qz_Object* slider = nullptr;
  Qz_Object* kinds = nullptr;
};

Qz_TransGradientObject* Qz__Self(Qz_Object* o) { return qz::kit::self<Qz_TransGradientObject>(o); }

void Qz__StrengthMoved(QzWord, Qz_Object*, uint32_t, const QzWord* value) {
  Qz_SetGradientLevel(qz::plugins::gradientLevel(int32_t(value[0])));
}

void Qz__KindChosen(QzWord, Qz_Object*, uint32_t, const QzWord* value) { Qz_SetGradientKind(int32_t(value[0])); }

Qz_Object* Qz__MakePanel(Qz_Object* object) {
  Qz_TransGradientObject* p = Qz__Self(object);
  Qz_Object* row = qz::plugins::labelledSlider(
      {.label = kStrengthText, .initial = 100, .whileDragging = false}, &p->slider);
  p->kinds = Qz_CreateObject("MutualExclude", kGroupSetFrame, 3, kRootSetLabel, qz::plugins::catalogueText(kTitleText));
  Qz_Object* column = Qz_CreateObject("Group", kGroupSetMode, 1);
  if (!row || !p->kinds || !column) {
    for (Qz_Object* o : {row, p->kinds, column}) Qz_DisposeObject(o);
    p->slider = p->kinds = nullptr;
    return nullptr;
  }
  for (uint32_t text : kKindTexts) Qz_AddObject(p->kinds, "Text", kRootSetLabel, qz::plugins::catalogueText(text));
  Qz_DoMethod(p->kinds, kMutualExcludeMark, uint32_t(Qz_GetGradientSettings().kind));
  Qz_DoMethod(column, kGroupAddTail, row);
  Qz_DoMethod(column, kGroupAddTail, p->kinds);
  const char* title = qz::plugins::catalogueText(kTitleText);
  return qz::plugins::makePanel({title, title, nullptr}, column);
}

bool Qz__SetUp(Qz_Object* object) {
  Qz_TransGradientObject* p = Qz__Self(object);
  Qz_AddCallBackNotify(p->slider, kValueSet, kNotifyAnyValue, Qz__StrengthMoved, 0);
  Qz_AddCallBackNotify(p->kinds, kMutualExcludeMark, kNotifyAnyValue, Qz__KindChosen, 0);
  return true;
}

QzWord Qz__Dispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  if (id == kRootStoreChildren) return 1;
  return qz::kit::inherited(object, id, args);
}

const qz::kit::ClassDecl kTransGradientPlugin = {
    .name = "TransGradientPlugin", .superName = "RootPlugin", .classId = kTransGradientClassId,
    .instance = qz::kit::instanceOf<Qz_TransGradientObject>(), .handler = Qz__Dispatch,
    .makeSuper = Qz__MakePanel, .setUp = Qz__SetUp};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitTransGradientPluginClass(Qz_GlobalData*) { return qz::kit::addClass(kTransGradientPlugin); }
QZ_EXPORT void Qz_CleanupTransGradientPluginClass(void) { qz::kit::removeClass(kTransGradientPlugin); }
QZ_EXTERN_C_END
