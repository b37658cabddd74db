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

// In a row of panels (the tool bar) a panel goes without its tab bar; called
// as the panel is measured, when it knows where it was put.
void hideTabBarInRow(Qz_Object* panel);

// A CompactSlider under its catalogue label, in a column; null (nothing
// left over) when either cannot be made. The slider is given back through `slider`.
struct SliderSpec {
  uint32_t label = 0;
  QzWord userData = 0;
  int32_t minimum = 0, maximum = 100, initial = 0;
  const char* format = "%ld%%";
  bool whileDragging = true;
  uint32_t colour = 0;  // base colour (0x00BBGGRR), 0: the usual one
};
Qz_Object* labelledSlider(const SliderSpec& spec, Qz_Object** slider);

// A push button showing a text, sized to it; null when it cannot be made.
Qz_Object* textButton(const char* label, QzWord userData = 0);

// Raised while a panel sets its own gadgets. A gadget tells of its new value
// on the thread that set it, so the guard belongs to that thread. A guard
// with an owner holds back only that panel: panels sharing a window thread
// still follow a change another one sends out.
class FollowGuard {
 public:
  explicit FollowGuard(const void* owner = nullptr);
  ~FollowGuard();
  FollowGuard(const FollowGuard&) = delete;
  FollowGuard& operator=(const FollowGuard&) = delete;
  // True while a guard without an owner is raised on this thread.
  static bool active();
  // True while the owner's guard, or one without an owner, is raised here.
  static bool active(const void* owner);
};

// The active image's active layer, read under the image's lock; null without one.
Qz_Image* activeLayer();

// Reads a layer the application tells of (as current) under the active
// image's lock: read(layer) runs when it is a layer of that image. False,
// with nothing read, for any other.
template <class Read>
bool readLayerOfActiveImage(Qz_Image* layer, Read read) {
  Qz_Image* image = Qz_LockActiveImageA(kQzLockRead, nullptr);
  if (!image) return false;
  const bool ours = layer && (layer == image->activeLayer || layer->parent == image);
  if (ours) read(layer);
  Qz_UnlockImageA(image, kQzLockRead, nullptr);
  return ours;
}

// Posts a method to the active image's active layer, to run on its thread.
void sendToActiveLayer(uint32_t method, QzWord value);

}  // namespace qz::plugins
