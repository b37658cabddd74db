#include "app/main_menu.h"

#include <initializer_list>
#include <mutex>
#include <string>

#include "app/menu_commands.h"
#include "objects/catalogue.h"
#include "platform/menu_bar.h"

namespace qz::app {
namespace {

constexpr uint16_t kSeparator = 0;
constexpr uint16_t kPaste = 138;
constexpr uint16_t kShowHideView = 86;
constexpr uint16_t kLayerFlag = 88;
constexpr uint16_t kSnap = 84;
constexpr uint16_t kColourManagement = 144;
constexpr uint32_t kViewShownText = 193, kViewHiddenText = 192;
constexpr uint32_t kFlagSetText = 209, kFlagClearText = 208;

struct Bars {
  std::mutex mutex;  // the state switches come from several threads
  QzMenu* full = nullptr;
  QzMenu* reduced = nullptr;
  QzMenu* file = nullptr;
  QzMenu* edit = nullptr;
  QzMenu* help = nullptr;
  QzMenu* image = nullptr;
  QzMenu* layer = nullptr;
  bool noImage = false;
};

Bars& bars() {
  static Bars b;
  return b;
}

const char* text(uint32_t n) { return Qz_CatalogString(n); }

// Appends items by id (0 a separator) with their table labels; those the
// build cannot carry out are greyed for good.
void addItems(QzMenu* menu, std::initializer_list<uint16_t> ids) {
  for (uint16_t id : ids) {
    if (id == kSeparator) {
      Qz_AppendMenuSeparator(menu);
      continue;
    }
    const MenuCommand* command = findMenuCommand(id);
    if (!command) continue;
    Qz_AppendMenuItem(menu, id, menuLabel(*command).c_str());
    if (!menuCommandAvailable(id)) Qz_EnableMenuItem(menu, id, 0);
  }
}

// A sub-menu titled with a catalogue text, appended to parent.
void addSubMenu(QzMenu* parent, uint32_t title, std::initializer_list<uint16_t> ids) {
  QzMenu* sub = Qz_CreateMenu();
  addItems(sub, ids);
  Qz_AppendSubMenu(parent, sub, text(title));
  Qz_DestroyMenu(sub);  // the parent keeps it
}

void buildFile(QzMenu* file) {
  addItems(file, {60, 51, 139, 52, 53, 54, 55, 61, kSeparator});
  QzMenu* acquire = Qz_CreateMenu();
  addItems(acquire, {64, kSeparator, 62, 63});
  Qz_AppendSubMenu(file, acquire, text(349));
  Qz_DestroyMenu(acquire);
  addItems(file, {kSeparator, 56, 57, kSeparator, 65, 66, kSeparator, 59, kSeparator, 67});
  // There is no colour-management library here: item 144 is left out.
  if (menuCommandAvailable(kColourManagement)) addItems(file, {kColourManagement});
  addItems(file, {kSeparator, 68, kSeparator, 69});
}

void buildImage(QzMenu* image) {
  addSubMenu(image, 215, {89, 91, 90});
  addSubMenu(image, 246, {95, 96, 97, 98});
  addSubMenu(image, 220, {78, 79, 80});
  addItems(image, {112, 100, 133, kSeparator, 83, 84, kSeparator, 85, 86, 87});
}

void buildLayer(QzMenu* layer) {
  addSubMenu(layer, 186, {73, 74});
  addItems(layer, {kSeparator});
  addSubMenu(layer, 215, {92, 94, 93});
  addItems(layer, {kSeparator});
  addSubMenu(layer, 198, {115, 116, 117, 118});
  addSubMenu(layer, 203, {76, 77});
  addItems(layer, {kSeparator, 119, 120, 114, kSeparator, 81, 113, kSeparator, 101, 102, kSeparator, 88,
                   kSeparator, 75});
}

// Items that need an image, greyed or enabled together.
void enableImageItems(Bars& b, bool enabled) {
  for (const MenuCommand& c : menuCommands()) {
    if (!c.needsImage) continue;
    const bool on = enabled && menuCommandAvailable(c.id);
    Qz_EnableMenuItem(b.full, c.id, on ? 1 : 0);
  }
}

}  // namespace

QzMenu* fullMenuBar() { return bars().full; }
QzMenu* reducedMenuBar() { return bars().reduced; }

void setNoImageMenus() {
  Bars& b = bars();
  std::lock_guard<std::mutex> lock(b.mutex);
  if (!b.full || b.noImage) return;
  enableImageItems(b, false);
  Qz_SetMainMenu(b.reduced);
  b.noImage = true;
}

void setImageMenus() {
  Bars& b = bars();
  std::lock_guard<std::mutex> lock(b.mutex);
  if (!b.full || !b.noImage) return;
  enableImageItems(b, true);
  Qz_SetMainMenu(b.full);
  b.noImage = false;
}

void relabelViewItem(bool viewShown) {
  Qz_SetMenuItemLabel(bars().full, kShowHideView, text(viewShown ? kViewShownText : kViewHiddenText));
  Qz_DrawMenuBar();
}

void relabelLayerItem(bool flagSet) {
  Qz_SetMenuItemLabel(bars().full, kLayerFlag, text(flagSet ? kFlagSetText : kFlagClearText));
  Qz_DrawMenuBar();
}

void setSnapCheck(bool on) {
  Qz_CheckMenuItem(bars().full, kSnap, on ? 1 : 0);
  Qz_DrawMenuBar();
}

void destroyMainMenuBars() {
  Bars& b = bars();
  std::lock_guard<std::mutex> lock(b.mutex);
  if (Qz_GetMainMenu() == b.full || Qz_GetMainMenu() == b.reduced) Qz_SetMainMenu(nullptr);
  for (QzMenu** m : {&b.full, &b.reduced, &b.file, &b.edit, &b.help, &b.image, &b.layer}) {
    Qz_DestroyMenu(*m);
    *m = nullptr;
  }
  b.noImage = false;
}

}  // namespace qz::app

using namespace qz::app;

QzMenu* Qz__CreateMainMenuBar(void) {
  Bars& b = bars();
  std::lock_guard<std::mutex> lock(b.mutex);
  if (b.reduced) return b.reduced;
  b.full = Qz_CreateMenu();
  b.reduced = Qz_CreateMenu();
  b.file = Qz_CreateMenu();
  b.edit = Qz_CreateMenu();
  b.help = Qz_CreateMenu();
  b.image = Qz_CreateMenu();
  b.layer = Qz_CreateMenu();
  if (!b.full || !b.reduced || !b.file || !b.edit || !b.help || !b.image || !b.layer) return nullptr;
  buildFile(b.file);
  addItems(b.edit, {135, 136, kSeparator, 137, 138});
  addItems(b.help, {124, 125, 126, 123, kSeparator, 129, kSeparator, 131, kSeparator, 103});
  buildImage(b.image);
  buildLayer(b.layer);
  // The Layer menu's item 88 starts as the panel's label for it.
  Qz_SetMenuItemLabel(b.layer, kLayerFlag, text(kFlagSetText));

  Qz_AppendSubMenu(b.full, b.file, text(359));
  Qz_AppendSubMenu(b.full, b.edit, "Edit");
  Qz_AppendSubMenu(b.full, b.image, text(0));
  Qz_AppendSubMenu(b.full, b.layer, text(1));
  Qz_AppendSubMenu(b.full, b.help, "Help");
  Qz_AppendSubMenu(b.reduced, b.file, text(359));
  Qz_AppendSubMenu(b.reduced, b.edit, text(413));
  Qz_AppendSubMenu(b.reduced, b.help, "Help");
  for (QzMenu* bar : {b.full, b.reduced}) Qz_SetPasteMenuItem(bar, kPaste);
  // The bars start in the no-image state, the reduced bar shown.
  enableImageItems(b, false);
  b.noImage = true;
  return b.reduced;
}
