// The level panels' shared workings: sliders that send the active layer its
// levels, the reset button, and following the current layer.
#include "plugins/level_panel.h"

#include "gadgets/qz_group.h"
#include "gadgets/qz_sliders.h"
#include "gadgets/qz_widgets.h"
#include "objects/object_services.h"
#include "objects/qz_class_kit.h"
#include "objects/qz_notify.h"
#include "objects/qz_root.h"
#include "plugins/media_sliders.h"

namespace qz::plugins {
namespace {

constexpr uint32_t kResetText = 158;
// The panel's own, run on its window's thread: show the percentages packed a
// byte each, first slider lowest.
constexpr uint32_t kShowLevels = 0x3E80712;
constexpr QzWord kResetButton = 100;

LevelPanelObject* self(Qz_Object* o) { return qz::kit::self<LevelPanelObject>(o); }
LevelPanelObject* fromUser(QzWord user) { return reinterpret_cast<LevelPanelObject*>(user); }

void sliderMoved(QzWord user, Qz_Object* source, uint32_t, const QzWord* value) {
  if (FollowGuard::active()) return;
  LevelPanelObject* p = fromUser(user);
  const QzWord which = Qz_DoMethod(source, kRootGetUserData);
  if (which < p->count) sendToActiveLayer(p->specs[which].method, value[0]);
}

// Every level back to 0 %: sent to the layer whatever the sliders showed.
void resetPressed(QzWord user, Qz_Object*, uint32_t, const QzWord*) {
  LevelPanelObject* p = fromUser(user);
  {
    FollowGuard following;
    for (size_t i = 0; i < p->count; ++i) Qz_DoMethod(p->sliders[i], kValueSet, 0u);
  }
  for (size_t i = 0; i < p->count; ++i) sendToActiveLayer(p->specs[i].method, 0);
}

// News of the current layer, on the thread that fired it: its levels are read
// here under the image's lock and shown on the panel's thread.
void follow(QzWord user, Qz_Object*, uint32_t, const QzWord* value) {
  LevelPanelObject* p = fromUser(user);
  auto* layer = reinterpret_cast<Qz_Image*>(value[0]);
  QzWord packed = 0;
  const bool shown = readLayerOfActiveImage(layer, [p, &packed](Qz_Image* l) {
    for (size_t i = 0; i < p->count; ++i)
      packed |= QzWord(transparencyPercent(layerLevel(l, p->specs[i].method))) << (8 * i);
  });
  if (shown) runOnPanelThread(&p->header, kShowLevels, packed, 0);
}

void showLevels(LevelPanelObject* p, QzWord packed) {
  FollowGuard following;
  for (size_t i = 0; i < p->count; ++i) Qz_DoMethod(p->sliders[i], kValueSet, uint32_t((packed >> (8 * i)) & 0xFF));
}

}  // namespace

int32_t layerLevel(const Qz_Image* layer, uint32_t method) {
  if (!layer) return -1;
  switch (method) {
    case 0x10006E: return layer->opacity;
    case 0x100320: return layer->blend[0];
    case 0x100334: return layer->blend[1];
    case 0x100348: return layer->blend[2];
    case 0x100398: return layer->blend[6];
    case 0x1003AC: return layer->blend[7];
    case 0x1003C0: return layer->blend[8];
    default: return -1;
  }
}

Qz_Object* makeLevelPanel(Qz_Object* object, std::span<const LevelSlider> sliders, const PanelTitles& titles) {
  LevelPanelObject* p = self(object);
  p->specs = sliders.data();
  p->count = std::min(sliders.size(), kMostLevelSliders);
  Qz_Object* column = Qz_CreateObject("Group", kGroupSetMode, 1);
  p->reset = textButton(catalogueText(kResetText), kResetButton);
  bool made = column && p->reset;
  for (size_t i = 0; made && i < p->count; ++i) {
    const SliderSpec spec{.label = sliders[i].label, .userData = i, .colour = sliders[i].colour};
    Qz_Object* row = labelledSlider(spec, &p->sliders[i]);
    made = row != nullptr;
    if (made) Qz_DoMethod(column, kGroupAddTail, row);
  }
  if (!made) {
    Qz_DisposeObject(column);
    Qz_DisposeObject(p->reset);
    for (Qz_Object*& slider : p->sliders) slider = nullptr;
    p->reset = nullptr;
    p->count = 0;
    return nullptr;
  }
  Qz_AddObject(column, "Space", kSpaceSetSize, 4);
  Qz_DoMethod(column, kGroupAddTail, p->reset);
  return makePanel(titles, column);
}

bool setUpLevelPanel(Qz_Object* object) {
  LevelPanelObject* p = self(object);
  const QzWord user = reinterpret_cast<QzWord>(p);
  for (size_t i = 0; i < p->count; ++i) Qz_AddCallBackNotify(p->sliders[i], kValueSet, kNotifyAnyValue, sliderMoved, user);
  Qz_AddCallBackNotify(p->reset, kButtonPressed, kNotifyAnyValue, resetPressed, user);
  p->follow = followApplication(kQzImageMakeActive, follow, user);
  return true;
}

void tearDownLevelPanel(Qz_Object* object) { stopFollowing(self(object)->follow); }

QzWord dispatchLevelPanel(Qz_Object* object, uint32_t id, const QzWord* args) {
  switch (id) {
    case kRootStoreChildren: return 1;
    case kShowLevels: showLevels(self(object), args[0]); return 0;
    default: return qz::kit::inherited(object, id, args);
  }
}

}  // namespace qz::plugins
