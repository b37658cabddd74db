// What the concrete panel classes share: their RootPlugin part made with its
// titles and holding their content, and the dispose of an options group
// whose panels belong to the modes and tools.
#pragma once

#include "objects/qz_linked_list.h"
#include "image/qz_image.h"
#include "objects/qz_notify.h"
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

// The active image, only to aim a request at: whatever acts on it locks it.
Qz_Image* activeImage();

// Follows a notification of the application image with a callback; the
// handle for stopFollowing, 0 without an application image.
QzWord followApplication(uint32_t method, Qz_NotifyCallBack callBack, QzWord userData);
void stopFollowing(QzWord& handle);

// Runs a method of the panel on the thread of the window showing it: news
// from the images arrives on their threads, and a panel's gadgets change
// only on their window's. Without an open window it runs at once.
void runOnPanelThread(Qz_Object* panel, uint32_t id, QzWord first, QzWord second);

}  // namespace qz::plugins
