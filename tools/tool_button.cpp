#include "tools/tool_button.h"

#include "gadgets/qz_widgets.h"
#include "objects/catalogue.h"
#include "objects/qz_notify.h"
#include "tools/qz_root_tool.h"

namespace qz::tools {

Qz_Object* addToolButton(Qz_Object* tool, uint32_t tip, std::span<const char* const> pictures, bool withStates) {
  Qz_Object* button = Qz_AddObject(tool->super, "ToolButton", kRootSetToolTip, tip ? Qz_CatalogString(tip) : "");
  if (!button) return nullptr;
  for (const char* picture : pictures) Qz_AddObject(button, "BitMap", kBitMapLoad, picture);
  Qz_AddNotify(button, kRootSelect, kNotifyAnyValue, tool, 1, kToolActivate);
  if (withStates)
    Qz_AddNotify(button, kToolButtonSetState, kNotifyAnyValue, tool, 2, kToolButtonSetState, kNotifyTriggerValue);
  return button;
}

QzWord activateWithButton(Qz_Object* tool, Qz_Object* button, uint32_t id, const QzWord* args) {
  const QzWord result = Qz_DoMethodA(tool->super, id, args);
  const bool lit = Qz_DoMethod(button, kToolButtonGetState) != 0;
  if (id == kToolActivate && !lit) Qz_DoMethod(button, kRootSelect);
  if (id == kToolDeactivate && lit) Qz_DoMethod(button, kRootDeselect);
  return result;
}

}  // namespace qz::tools
