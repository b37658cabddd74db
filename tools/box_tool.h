// What the crop and button tools share: the drag that outlines a new box
// over the view, handing input to the handle editor while their action is
// selected, and the panel's four numbers (x, y, width, height) that move or
// size that action.
#pragma once

#include <cstdint>
#include <functional>

#include "gadgets/qz_input_event.h"
#include "image/qz_image.h"
#include "objects/qz_notify.h"
#include "tools/crop_box.h"

namespace qz::tools {

struct BoxDrag {
  DragBox box{0, 0, 0, 0};
  int32_t pressX = 0, pressY = 0;
  int32_t dragging = 0;
};

// One event of the drag, with its outline shown in the image's view; true
// when the event released a finished box.
bool boxDragInput(BoxDrag& drag, Qz_Image* image, const Qz_InputEvent* e);

// Hands the event to the handle editor; the tool shows the editor's pointer.
void handToEditor(Qz_Object* tool, Qz_Object* editor, Qz_Image* image, const Qz_InputEvent* e);

// The numbers of the panel, indexed as its edits are: 0 x, 1 y, 2 width, 3 height.
int32_t& boxField(DragBox& box, uint32_t which);
void showBox(Qz_Object* const (&edits)[4], const DragBox& box);
void readBox(Qz_Object* const (&edits)[4], DragBox& box);

// A typed number: x and y move the whole action, width its right edge and
// height its bottom edge (through the handles' bracket); the box follows.
// Without an action only the box changes.
void editBox(Qz_Object* action, DragBox& box, uint32_t which, int32_t value);

// What a box tool's panel reports: its user data, 0-3 for the edits (as
// boxField numbers them), then the commit and the cancel button.
enum : uint32_t { kBoxCommitButton = 4, kBoxCancelButton = 5 };

// A framed panel titled `title` with the four numbers and two buttons, the
// commit button labelled `commitLabel` and the other "Cancel"; every edit and
// button reports to `event` with `user`. The edits are stored in `edits`
// (none, and no panel, when a gadget class is missing).
Qz_Object* buildBoxPanel(const char* title, const char* commitLabel, Qz_Object* (&edits)[4],
                         Qz_NotifyCallBack event, QzWord user);

// Takes the action off the image's undo list and disposes of it.
void removeAction(Qz_Image* image, Qz_Object* action);
// For every open image that can still be locked: removes the action
// pendingOf finds there, if any, and takes its handles away.
void removePendingActions(const std::function<Qz_Object*(Qz_Image*)>& pendingOf);

}  // namespace qz::tools
