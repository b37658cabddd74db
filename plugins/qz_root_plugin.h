// RootPlugin, the base of the dockable panels: the method ids other
// families send to a panel, and the ids of the containers panels live in.
#pragma once

#include <cstdint>

#include "objects/qz_object.h"

inline constexpr uint32_t kRootPluginClassId = 0x3E80000;
// Every panel class's id lies in this range.
inline constexpr uint32_t kPluginClassIdFirst = 0x3E80000;
inline constexpr uint32_t kPluginClassIdLast = 0x3E803E7;

inline constexpr uint32_t kQzPluginSetTitle = 0x3E8000A;  // text
inline constexpr uint32_t kQzPluginGetTitle = 0x3E80014;
inline constexpr uint32_t kQzPluginReserved = 0x3E8001E;
inline constexpr uint32_t kQzPluginTearOff = 0x3E80028;
inline constexpr uint32_t kQzPluginSetShortTitle = 0x3E80032;
inline constexpr uint32_t kQzPluginGetShortTitle = 0x3E8003C;
inline constexpr uint32_t kQzPluginClose = 0x3E80046;  // also the application image's delayed dispose
inline constexpr uint32_t kQzPluginHideTabBar = 0x3E80050;
inline constexpr uint32_t kQzPluginShowTabBar = 0x3E8005A;
inline constexpr uint32_t kQzPluginFold = 0x3E80064;
inline constexpr uint32_t kQzPluginUnfold = 0x3E8006E;
inline constexpr uint32_t kQzPluginSetTabImagePath = 0x3E80078;
inline constexpr uint32_t kQzPluginGetTabImagePath = 0x3E80082;
inline constexpr uint32_t kQzPluginBringToFront = 0x3E8008C;
// Goes back into the main panel column: to the page it was torn off from,
// a page left empty there, else a new one.
inline constexpr uint32_t kQzPluginDock = 0x3E800A0;
// Older names the modes use: hiding the tab bar, and bringing the panel to front.
inline constexpr uint32_t kQzPluginPrepare = kQzPluginHideTabBar;
inline constexpr uint32_t kQzPluginRelayout = kQzPluginBringToFront;

// Panel commands: the user data of a menu item or button that drives a panel.
inline constexpr QzWord kPluginCommandTearOff = 2;
inline constexpr QzWord kPluginCommandToggleFold = 3;
inline constexpr QzWord kPluginCommandToggleHover = 4;
inline constexpr QzWord kPluginCommandDuplicate = 5;
inline constexpr QzWord kPluginCommandClose = 6;

// A press and release closer than this in both directions is a click, not a drag.
inline constexpr int32_t kPluginDragThreshold = 5;

// PluginContainer and PluginContainerWindow.
inline constexpr uint32_t kPluginContainerClassId = 0x3E80008;
inline constexpr uint32_t kPluginContainerWindowClassId = 0x3E80014;
inline constexpr uint32_t kQzContainerNewPage = 0x3E80012;
inline constexpr uint32_t kQzContainerPageCount = 0x3E80026;
inline constexpr uint32_t kQzContainerClose = 0x3E80046;
// Words: a panel taken out of where it was, the page group it was torn off
// from (or null) and its index there. It goes back there while that group
// is one of this container's pages, else into the first page holding no
// panel, else into a new page; run on the container's window thread.
inline constexpr uint32_t kQzContainerPlacePanel = 0x3E80030;
// A panel joined the container: the tabs show the pages' panels again and
// the panel's page is shown.
inline constexpr uint32_t kQzContainerShowPanel = 0x3E8003A;
// Container menu commands (other user data is a panel class name).
inline constexpr QzWord kContainerCommandNewPage = 2;
inline constexpr QzWord kContainerCommandSaveLayout = 4;
inline constexpr QzWord kContainerCommandRestoreLayout = 5;
inline constexpr QzWord kContainerCommandClose = 6;

inline constexpr const char* kPluginLayoutPath = "Data/Prefs/PluginContainerSnapShot.QzStr";

// Layout kinds of a Group (its mode).
inline constexpr QzWord kPluginGroupVertical = 1;

// The options and preview panels' own ids.
inline constexpr uint32_t kQzPreviewGetIcon = 0x12005A;

// True for an object of one of the panel classes.
inline bool Qz_IsPluginClassId(uint32_t classId) {
  return classId >= kPluginClassIdFirst && classId <= kPluginClassIdLast;
}
