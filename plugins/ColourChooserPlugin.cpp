// ColourChooserPlugin: a colour editor for the pen colour. The user's colour
// becomes the application's pen colour; the pen colour chosen elsewhere, and
// the paint colour of a layer made current, show in the editor without
// being sent back.
#include "gadgets/qz_colour_edit.h"
#include "image/app_commands.h"
#include "objects/qz_class_kit.h"
#include "objects/qz_notify.h"
#include "objects/qz_root.h"
#include "plugins/plugin_family.h"

namespace {

constexpr uint32_t kColourChooserClassId = 0x3E80006;
constexpr uint32_t kTitleText = 14;
// The panel's own, run on its window's thread: show a colour.
constexpr uint32_t kShowColour = 0x3E80714;

struct Qz_ColourChooserObject {
  Qz_Object header{};
  Qz_Object* editor = nullptr;
  QzWord follow[2] = {};
};

Qz_ColourChooserObject* Qz__Self(Qz_Object* o) { return qz::kit::self<Qz_ColourChooserObject>(o); }
Qz_ColourChooserObject* Qz__FromUser(QzWord user) { return reinterpret_cast<Qz_ColourChooserObject*>(user); }

uint32_t Qz__Packed(const uint8_t (&colour)[3]) {
  return uint32_t(colour[0]) | uint32_t(colour[1]) << 8 | uint32_t(colour[2]) << 16;
}

void Qz__Edited(QzWord user, Qz_Object*, uint32_t, const QzWord* value) {
  Qz_ColourChooserObject* p = Qz__FromUser(user);
  if (qz::plugins::FollowGuard::active(p)) return;
  Qz_Image* app = Qz_GetImageBase()->applicationImage;
  if (!app) return;
  qz::plugins::FollowGuard own(p);  // the editor shows the colour already
  Qz_DoMethod(&app->object, qz::kQzAppSetColour, uint32_t(value[0]) & 0xFFFFFF);
}

void Qz__PenColour(QzWord user, Qz_Object*, uint32_t, const QzWord* value) {
  Qz_ColourChooserObject* p = Qz__FromUser(user);
  if (qz::plugins::FollowGuard::active(p)) return;
  qz::plugins::runOnPanelThread(&p->header, kShowColour, value[0], 0);
}

// A layer made current: its paint colour, read under its image's lock.
void Qz__LayerColour(QzWord user, Qz_Object*, uint32_t, const QzWord* value) {
  auto* layer = reinterpret_cast<Qz_Image*>(value[0]);
  uint32_t colour = 0;
  const bool shown =
      qz::plugins::readLayerOfActiveImage(layer, [&colour](Qz_Image* l) { colour = Qz__Packed(l->chosenColour); });
  if (shown) qz::plugins::runOnPanelThread(&Qz__FromUser(user)->header, kShowColour, colour, 0);
}

Qz_Object* Qz__MakePanel(Qz_Object* object) {
  Qz_ColourChooserObject* p = Qz__Self(object);
  p->editor = Qz_CreateObject("ColourEdit");
  const char* title = qz::plugins::catalogueText(kTitleText);
  return qz::plugins::makePanel({title, title, "Data/Images/Tabs/Colour"}, p->editor);
}

bool Qz__SetUp(Qz_Object* object) {
  Qz_ColourChooserObject* p = Qz__Self(object);
  const QzWord user = reinterpret_cast<QzWord>(p);
  Qz_AddCallBackNotify(p->editor, kQzColourEditColour, kNotifyAnyValue, Qz__Edited, user);
  p->follow[0] = qz::plugins::followApplication(qz::kQzAppSetColour, Qz__PenColour, user);
  p->follow[1] = qz::plugins::followApplication(kQzImageActiveLayerNotice, Qz__LayerColour, user);
  return true;
}

void Qz__TearDown(Qz_Object* object) {
  for (QzWord& handle : Qz__Self(object)->follow) qz::plugins::stopFollowing(handle);
}

QzWord Qz__Dispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  switch (id) {
    case kRootStoreChildren: return 1;
    case kShowColour: {
      qz::plugins::FollowGuard following(Qz__Self(object));
      Qz_DoMethod(Qz__Self(object)->editor, kQzColourEditColour, uint32_t(args[0]) & 0xFFFFFF);
      return 0;
    }
    default: return qz::kit::inherited(object, id, args);
  }
}

const qz::kit::ClassDecl kColourChooserPlugin = {
    .name = "ColourChooserPlugin", .superName = "RootPlugin", .classId = kColourChooserClassId,
    .instance = qz::kit::instanceOf<Qz_ColourChooserObject>(), .handler = Qz__Dispatch,
    .makeSuper = Qz__MakePanel, .setUp = Qz__SetUp, .tearDown = Qz__TearDown};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitColourChooserPluginClass(Qz_GlobalData*) { return qz::kit::addClass(kColourChooserPlugin); }
QZ_EXPORT void Qz_CleanupColourChooserPluginClass(void) { qz::kit::removeClass(kColourChooserPlugin); }
QZ_EXTERN_C_END
