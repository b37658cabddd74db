// Shared parts of the concrete panel classes.
#include "plugins/plugin_family.h"

#include "image/qz_image.h"

namespace qz::plugins {

const char* catalogueText(uint32_t entry) {
  const char* const* catalogue = Qz_GetImageBase()->catalogue;
  return catalogue && catalogue[entry] ? catalogue[entry] : "";
}

Qz_Object* makePanel(const PanelTitles& titles, Qz_Object* content) {
  if (!content) return nullptr;
  Qz_Object* panel = Qz_CreateObject("RootPlugin", kQzPluginSetTitle, titles.title, kQzPluginSetShortTitle,
                                     titles.shortTitle, kQzPluginSetTabImagePath, titles.tabImagePath);
  if (!panel) {
    Qz_DisposeObject(content);
    return nullptr;
  }
  Qz_DoMethod(panel, kLinkedListAddTail, content);
  return panel;
}

void releaseMembers(Qz_Object* group) {
  if (!group) return;
  while (auto* member = reinterpret_cast<Qz_Object*>(Qz_DoMethod(group, kLinkedListFirst)))
    if (!Qz_DoMethod(group, kLinkedListRemove, member)) break;
}

}  // namespace qz::plugins
