// The main window's two menu bars: the reduced one (File, Edit, Help) shown
// while no image is open, and the full one (File, Edit, Image, Layer, Help).
// Both hang the same File, Edit and Help menus; labels come from the
// command table.
#pragma once

#include <cstdint>

#include "platform/qz_export.h"

struct QzMenu;

QZ_EXTERN_C_BEGIN
// Builds both bars once and answers the reduced one (NULL when it cannot be made).
QZ_EXPORT QzMenu* Qz__CreateMainMenuBar(void);
QZ_EXTERN_C_END

namespace qz::app {

QZ_EXPORT QzMenu* fullMenuBar();
QZ_EXPORT QzMenu* reducedMenuBar();
// The no-image state: the items that need an image greyed, the reduced bar shown.
QZ_EXPORT void setNoImageMenus();
// The image-open state: those items enabled (where the build has what they call), the full bar shown.
QZ_EXPORT void setImageMenus();
// Item 86 offers to hide a shown view, else to show it; item 88 follows the layer's flag.
QZ_EXPORT void relabelViewItem(bool viewShown);
QZ_EXPORT void relabelLayerItem(bool flagSet);
QZ_EXPORT void setSnapCheck(bool on);
// Takes the bars off the main window and frees them.
QZ_EXPORT void destroyMainMenuBars();

}  // namespace qz::app
