// PopTabs: a column of tabs whose pages open in a pop-up window of their
// own, placed against the left of the screen, rather than beside the tabs.
// Children come in the two phases of the tabbed pages (labels, then pages),
// and the gadget stores itself in that form.
#pragma once

#include <cstdint>

#include "objects/qz_object.h"

inline constexpr uint32_t kPopTabsClassId = 0x982;
// kGroupShowPage with this value closes the pop-up.
inline constexpr QzWord kPopTabsClose = QzWord(-1);

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitPopTabsClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupPopTabsClass(void);
QZ_EXTERN_C_END
