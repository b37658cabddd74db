#include "tools/box_tool.h"

#include <vector>

#include "actions/qz_actions.h"
#include "gadgets/qz_group.h"
#include "gadgets/qz_text_entry.h"
#include "gadgets/qz_widgets.h"
#include "objects/catalogue.h"
#include "objects/qz_linked_list.h"
#include "platform/windows.h"
#include "tools/box_preview.h"
#include "tools/handle_overlay.h"
#include "tools/point_action_edit.h"
#include "tools/qz_root_tool.h"

namespace qz::tools {
namespace {

void Qz__Outline(const BoxDrag& d, Qz_Image* image) {
  drawBoxPreview(image, d.box.x, d.box.y, d.box.x + d.box.width, d.box.y + d.box.height);
}

}  // namespace

bool boxDragInput(BoxDrag& d, Qz_Image* image, const Qz_InputEvent* e) {
  const int32_t x = Qz_ToolWindowToImageX(image, e->mouseX), y = Qz_ToolWindowToImageY(image, e->mouseY);
  if (e->cls == IDCMP_MOUSEMOVE && d.dragging) {
    Qz__Outline(d, image);
    d.box = dragBox(d.pressX, d.pressY, x, y);
    Qz__Outline(d, image);
    return false;
  }
  if (e->cls != IDCMP_MOUSEBUTTONS) return false;
  if (e->code == SELECTDOWN && !d.dragging && Qz_IsCoordOverObject(Qz_CurrentViewOf(image), e->mouseX, e->mouseY)) {
    d.dragging = 1;
    d.pressX = x, d.pressY = y;
    d.box = dragBox(x, y, x, y);
    Qz__Outline(d, image);
    return false;
  }
  if ((e->code == SELECTUP || e->code == MENUUP) && d.dragging) {
    Qz__Outline(d, image);
    d.box = dragBox(d.pressX, d.pressY, x, y);
    d.dragging = 0;
    return true;
  }
  return false;
}

void handToEditor(Qz_Object* tool, Qz_Object* editor, Qz_Image* image, const Qz_InputEvent* e) {
  Qz_DoMethod(editor, kToolInputMethod, image, e);
  Qz_DoMethod(tool, kToolSetCursorKind, uint32_t(Qz_DoMethod(editor, kToolGetCursorKind)));
}

int32_t& boxField(DragBox& b, uint32_t which) {
  switch (which) {
    case 0: return b.x;
    case 1: return b.y;
    case 2: return b.width;
    default: return b.height;
  }
}

void showBox(Qz_Object* const (&edits)[4], const DragBox& box) {
  DragBox b = box;
  for (uint32_t i = 0; i < 4; ++i) Qz_DoMethod(edits[i], kStringEditSetNumber, uint32_t(boxField(b, i)));
}

void readBox(Qz_Object* const (&edits)[4], DragBox& box) {
  for (uint32_t i = 0; i < 4; ++i)
    if (edits[i]) boxField(box, i) = int32_t(Qz_DoMethod(edits[i], kStringEditGetNumber));
}

void editBox(Qz_Object* action, DragBox& box, uint32_t which, int32_t value) {
  int32_t& field = boxField(box, which);
  if (value == field) return;
  std::vector<HandlePoint> p = actionPoints(action);
  if (action && p.size() >= 4) {
    changeAction(action, false, [&] {
      switch (which) {
        case 0: Qz_DoMethod(action, kActionMove, uint32_t(value - box.x), 0u); break;
        case 1: Qz_DoMethod(action, kActionMove, 0u, uint32_t(value - box.y)); break;
        case 2:
          p[1].x = p[2].x = box.x + value;
          setActionPoints(action, p);
          break;
        default:
          p[2].y = p[3].y = box.y + value;
          setActionPoints(action, p);
          break;
      }
    });
  }
  field = value;
}

void removeAction(Qz_Image* image, Qz_Object* action) {
  Qz_DoMethod(action, kRootDeselect);
  Qz_DoMethod(Qz_GetUndoList(image), kLinkedListRemove, action);
  Qz_DisposeObject(action);
}

void removePendingActions(const std::function<Qz_Object*(Qz_Image*)>& pendingOf) {
  Qz_ImageBase* base = Qz_GetImageBase();
  std::vector<Qz_Image*> images;
  ObtainSemaphore(&base->semaphore);
  for (Qz_Image* image = first_image(base); image; image = next_image(image)) images.push_back(image);
  ReleaseSemaphore(&base->semaphore);
  // The lock refuses an image closed since it was listed.
  for (Qz_Image* image : images) {
    if (!Qz_LockImageA(image, kQzLockRead, nullptr)) continue;
    if (Qz_Object* action = pendingOf(image)) removeAction(image, action);
    showHandles(image, nullptr);
    Qz_UnlockImageA(image, kQzLockRead, nullptr);
  }
}

Qz_Object* buildBoxPanel(const char* title, const char* commitLabel, Qz_Object* (&edits)[4],
                         Qz_NotifyCallBack event, QzWord user) {
  constexpr uint32_t kLabels[4] = {7, 8, 9, 10};  // catalogue: "X:", "Y:", and the width and height
  constexpr uint32_t kCancelLabel = 20;
  for (Qz_Object*& edit : edits) edit = nullptr;
  if (!Qz_FindClassFromName("StringEdit") || !Qz_FindClassFromName("Group") || !Qz_FindClassFromName("Button"))
    return nullptr;
  Qz_Object* commit = nullptr;
  Qz_Object* cancel = nullptr;
  const auto number = [&](uint32_t i) {
    return std::vector<QzWord>{kBuildVGroup, kBuildLabel, qz::toWord(Qz_CatalogString(kLabels[i])), kBuildHGroup,
                               kGroupSetFrame, 11, kBuildObject, qz::toWord("StringEdit"), kStringEditSetNumeric, 1,
                               kBuildStoreLast, qz::toWord(&edits[i]), kBuildClose, kBuildClose, kBuildClose};
  };
  std::vector<QzWord> build = {kBuildVGroup, kBuildVGroup, kGroupSetFrame, 1, kRootSetLabel, qz::toWord(title)};
  for (uint32_t i = 0; i < 4; ++i) {
    const std::vector<QzWord> rows = number(i);
    build.insert(build.end(), rows.begin(), rows.end());
  }
  const QzWord buttons[] = {kBuildClose, kBuildVGroup,
                            kBuildObject, qz::toWord("Button"), kBuildStoreLast, qz::toWord(&commit),
                            kBuildObject, qz::toWord("Text"), kRootSetLabel, qz::toWord(commitLabel), kBuildClose,
                            kBuildClose,
                            kBuildObject, qz::toWord("Button"), kBuildStoreLast, qz::toWord(&cancel),
                            kBuildObject, qz::toWord("Text"), kRootSetLabel,
                            qz::toWord(Qz_CatalogString(kCancelLabel)), kBuildClose, kBuildClose,
                            kBuildClose, kBuildClose, kBuildEnd};
  build.insert(build.end(), std::begin(buttons), std::end(buttons));
  build.push_back(0);  // the builder reads a little past the end
  Qz_Object* panel = Qz_CreateObjectsA(build.data(), 0);
  if (!panel) {
    for (Qz_Object*& edit : edits) edit = nullptr;
    return nullptr;
  }
  for (uint32_t i = 0; i < 4; ++i) {
    Qz_DoMethod(edits[i], kRootSetUserData, i);
    Qz_AddCallBackNotify(edits[i], kStringEditSetNumber, kNotifyAnyValue, event, user);
  }
  Qz_DoMethod(commit, kRootSetUserData, uint32_t(kBoxCommitButton));
  Qz_DoMethod(cancel, kRootSetUserData, uint32_t(kBoxCancelButton));
  for (Qz_Object* button : {commit, cancel}) Qz_AddCallBackNotify(button, kButtonPressed, kNotifyAnyValue, event, user);
  return panel;
}

}  // namespace qz::tools
