// RootPlugin, the base of the dockable panels: the method ids other
// families send to a panel.
#pragma once

#include <cstdint>

inline constexpr uint32_t kQzPluginSetTitle = 0x3E8000A;  // text
inline constexpr uint32_t kQzPluginPrepare = 0x3E80050;
inline constexpr uint32_t kQzPluginRelayout = 0x3E8008C;
