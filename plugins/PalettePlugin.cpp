// PalettePlugin: a grid of colour swatches read from the default palette. A
// picked swatch becomes the pen colour; a pen colour chosen elsewhere goes
// into the selected swatch. A button loads another palette into the grid.
#include <string>

#include "gadgets/qz_colour_swatches.h"
#include "gadgets/qz_file_requester.h"
#include "gadgets/qz_group.h"
#include "gadgets/qz_scroller.h"
#include "gadgets/qz_widgets.h"
#include "image/app_commands.h"
#include "objects/qz_class_kit.h"
#include "objects/qz_notify.h"
#include "objects/qz_root.h"
#include "plugins/plugin_family.h"

namespace {

constexpr uint32_t kPaletteClassId = 0x3E80001;
constexpr const char* kDefaultPalette = "Data/Palettes/Default.iff";
constexpr const char* kPaletteFolder = "Data/Palettes";
constexpr uint32_t kSwatchScrollStep = 12;  // pixels a scroll-bar arrow moves the grid
// Catalogue texts.
constexpr uint32_t kTitleText = 63, kLoadText = 55, kLoadTitleText = 326;
// The panel's own, run on its window's thread: a new pen colour.
constexpr uint32_t kShowColour = 0x3E80713;

struct Qz_PalettePluginObject {
  Qz_Object header{};
  Qz_Object* swatches = nullptr;
  Qz_Object* load = nullptr;
  QzWord follow = 0;
};

Qz_PalettePluginObject* Qz__Self(Qz_Object* o) { return qz::kit::self<Qz_PalettePluginObject>(o); }
Qz_PalettePluginObject* Qz__FromUser(QzWord user) { return reinterpret_cast<Qz_PalettePluginObject*>(user); }

void Qz__Picked(QzWord user, Qz_Object*, uint32_t, const QzWord* value) {
  Qz_PalettePluginObject* p = Qz__FromUser(user);
  if (qz::plugins::FollowGuard::active(p)) return;
  Qz_Image* app = Qz_GetImageBase()->applicationImage;
  if (!app) return;
  const QzWord colour = Qz_DoMethod(p->swatches, kSwatchesGetColour, uint32_t(value[0]));
  qz::plugins::FollowGuard own(p);  // the swatch holds the colour already
  Qz_DoMethod(&app->object, qz::kQzAppSetColour, uint32_t(colour) & 0xFFFFFF);
}

void Qz__PenColour(QzWord user, Qz_Object*, uint32_t, const QzWord* value) {
  Qz_PalettePluginObject* p = Qz__FromUser(user);
  if (qz::plugins::FollowGuard::active(p)) return;  // the pick made here
  qz::plugins::runOnPanelThread(&p->header, kShowColour, value[0], 0);
}

void Qz__ShowColour(Qz_PalettePluginObject* p, uint32_t colour) {
  qz::plugins::FollowGuard following(p);
  const QzWord selected = Qz_DoMethod(p->swatches, kSwatchesGetSelected);
  Qz_DoMethod(p->swatches, kSwatchesSetColour, uint32_t(selected), colour & 0xFFFFFF);
}

void Qz__LoadPressed(QzWord user, Qz_Object*, uint32_t, const QzWord*) {
  char folder[kFileRequestBufferBytes] = {};
  char file[kFileRequestBufferBytes] = {};
  std::snprintf(folder, sizeof folder, "%s", kPaletteFolder);
  if (!Qz_FileRequestA(qz::plugins::catalogueText(kLoadTitleText), folder, file, nullptr, 0, nullptr)) return;
  std::string path = folder;
  if (!path.empty() && path.back() != '/') path += '/';
  path += file;
  Qz_PalettePluginObject* p = Qz__FromUser(user);
  Qz_DoMethod(p->swatches, kSwatchesLoadPalette, path.c_str());
  Qz_DoMethod(p->swatches, kRootDraw);
}

Qz_Object* Qz__MakePanel(Qz_Object* object) {
  Qz_PalettePluginObject* p = Qz__Self(object);
  p->swatches = Qz_CreateObject("ColourSwatches");
  p->load = qz::plugins::textButton(qz::plugins::catalogueText(kLoadText));
  // The grid is far taller than a panel column: it scrolls, and presses
  // reach the swatches (a list would take them for its entries).
  Qz_Object* list = Qz_CreateObject("VirtualGroup", kVirtualGroupSetStepRow, kSwatchScrollStep);
  Qz_Object* column = Qz_CreateObject("Group", kGroupSetMode, 1);
  if (!p->swatches || !p->load || !list || !column) {
    for (Qz_Object* o : {p->swatches, p->load, list, column}) Qz_DisposeObject(o);
    p->swatches = p->load = nullptr;
    return nullptr;
  }
  Qz_DoMethod(p->swatches, kSwatchesLoadPalette, kDefaultPalette);
  Qz_DoMethod(list, kGroupAddTail, p->swatches);
  Qz_DoMethod(column, kGroupAddTail, list);
  Qz_DoMethod(column, kGroupAddTail, p->load);
  const char* title = qz::plugins::catalogueText(kTitleText);
  return qz::plugins::makePanel({title, title, "Data/Images/Tabs/Colour"}, column);
}

bool Qz__SetUp(Qz_Object* object) {
  Qz_PalettePluginObject* p = Qz__Self(object);
  const QzWord user = reinterpret_cast<QzWord>(p);
  Qz_AddCallBackNotify(p->swatches, kSwatchesSelect, kNotifyAnyValue, Qz__Picked, user);
  Qz_AddCallBackNotify(p->load, kButtonPressed, kNotifyAnyValue, Qz__LoadPressed, user);
  p->follow = qz::plugins::followApplication(qz::kQzAppSetColour, Qz__PenColour, user);
  return true;
}

void Qz__TearDown(Qz_Object* object) { qz::plugins::stopFollowing(Qz__Self(object)->follow); }

QzWord Qz__Dispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  switch (id) {
    case kRootStoreChildren: return 1;
    case kShowColour: Qz__ShowColour(Qz__Self(object), uint32_t(args[0])); return 0;
    default: return qz::kit::inherited(object, id, args);
  }
}

const qz::kit::ClassDecl kPalettePlugin = {
    .name = "PalettePlugin", .superName = "RootPlugin", .classId = kPaletteClassId,
    .instance = qz::kit::instanceOf<Qz_PalettePluginObject>(), .handler = Qz__Dispatch,
    .makeSuper = Qz__MakePanel, .setUp = Qz__SetUp, .tearDown = Qz__TearDown};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitPalettePluginClass(Qz_GlobalData*) { return qz::kit::addClass(kPalettePlugin); }
QZ_EXPORT void Qz_CleanupPalettePluginClass(void) { qz::kit::removeClass(kPalettePlugin); }
QZ_EXTERN_C_END
