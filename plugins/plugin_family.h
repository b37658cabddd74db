// What the concrete panel classes share: their RootPlugin part made with its
// titles and holding their content, and the dispose of an options group
// whose panels belong to the modes and tools.
#pragma once

#include "objects/qz_linked_list.h"
#include "objects/qz_object.h"
#include "plugins/qz_root_plugin.h"

namespace qz::plugins {

// Catalogue string, or "" when the catalogue lacks it.
const char* catalogueText(uint32_t entry);

struct PanelTitles {
  const char* title = "";
  const char* shortTitle = "";
  const char* tabImagePath = nullptr;
};

// A RootPlugin with these titles holding content; null (and content
// disposed) when either cannot be made.
Qz_Object* makePanel(const PanelTitles& titles, Qz_Object* content);

// Takes every member out of the group without disposing it: they are owned by
// whoever put them there.
void releaseMembers(Qz_Object* group);

}  // namespace qz::plugins
