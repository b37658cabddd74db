// Looking up and stepping through the mode selector's lists.
#include "plugins/mode_list.h"

#include <cstring>
#include <string>

#include "gadgets/qz_group.h"
#include "gadgets/qz_popups.h"
#include "objects/object_services.h"

namespace qz::plugins {

namespace {

// Room the menu leaves free at the screen's edges.
constexpr int32_t kScreenMargin = 50;

Qz_Object* Qz__Member(Qz_Object* list, uint32_t id, Qz_Object* from = nullptr) {
  return reinterpret_cast<Qz_Object*>(from ? Qz_DoMethod(list, id, from) : Qz_DoMethod(list, id));
}

bool Qz__IsModeItem(Qz_Object* object) {
  const char* key = modeKeyOf(object);
  return key && *key && std::strcmp(key, kShowCompleteList) != 0 && std::strcmp(key, kShowCategorisedList) != 0;
}

}  // namespace

const char* modeKeyOf(Qz_Object* item) {
  if (!item || Qz_GetObjectClassID(item) != kMenuItemClassId) return nullptr;
  const auto* name = reinterpret_cast<const char*>(Qz_DoMethod(item, kRootGetObjectName));
  if (name && *name) return name;
  return reinterpret_cast<const char*>(Qz_DoMethod(item, kMenuItemGetText));
}

Qz_Object* findModeItem(Qz_Object* list, const char* key) {
  if (!list || !key) return nullptr;
  for (Qz_Object* m = Qz__Member(list, kGroupFirst); m; m = Qz__Member(list, kGroupNext, m))
    if (const char* k = modeKeyOf(m); k && std::strcmp(k, key) == 0) return m;
  return nullptr;
}

const char* shownModeName(Qz_Object* list, const char* key) {
  Qz_Object* item = findModeItem(list, key);
  const auto* text = item ? reinterpret_cast<const char*>(Qz_DoMethod(item, kMenuItemGetText)) : nullptr;
  return text ? text : key;
}

// The switch between the lists and the gaps around it are no modes to step
// onto; the walk goes round the list at most once.
bool modeAvailable(const char* key) {
  return key && Qz_FindClassFromName((std::string(key) + "Mode").c_str()) != nullptr;
}

Qz_Object* stepModeItem(Qz_Object* list, const char* key, bool forward, bool (*available)(const char* key)) {
  Qz_Object* at = findModeItem(list, key);
  if (!at) return nullptr;
  const uint32_t count = uint32_t(Qz_DoMethod(list, kGroupCount));
  for (uint32_t i = 0; i < count; ++i) {
    Qz_Object* near = Qz__Member(list, forward ? kGroupNext : kGroupPrevious, at);
    at = near ? near : Qz__Member(list, forward ? kGroupFirst : kGroupLast);
    if (Qz__IsModeItem(at) && (!available || available(modeKeyOf(at)))) return at;
  }
  return nullptr;
}

void disableMissingModes(Qz_Object* list) {
  if (!list) return;
  for (Qz_Object* m = Qz__Member(list, kGroupFirst); m; m = Qz__Member(list, kGroupNext, m)) {
    if (Qz_GetObjectClassID(m) == kGroupClassId) disableMissingModes(m);  // a family's column
    else if (Qz__IsModeItem(m) && !modeAvailable(modeKeyOf(m))) Qz_DoMethod(m, kRootDisable);
  }
}

void arrangeModeList(Qz_Object* list) {
  bool columns = false;
  for (Qz_Object* m = Qz__Member(list, kGroupFirst); m; m = Qz__Member(list, kGroupNext, m))
    if (Qz_GetObjectClassID(m) == kGroupClassId) {
      Qz_DoMethod(m, kGroupSetMode, 1);
      columns = true;
    }
  Qz_DoMethod(list, kGroupSetMode, columns ? 2 : 1);
}

bool menuFitsScreen(uint32_t entries, int32_t screenHeight, uint32_t lineHeight) {
  if (lineHeight == 0) return false;
  const uint32_t room = screenHeight > kScreenMargin ? uint32_t(screenHeight - kScreenMargin) : 0;
  return entries < room / lineHeight;
}

}  // namespace qz::plugins
