// Group: the container of the toolkit. It keeps an ordered list of member
// objects, lays them out in a row, a column or as a stack of pages, draws
// its frame and label and hands drawing and input on to its members.
#pragma once

#include <cstdint>

#include "objects/qz_object.h"

inline constexpr uint32_t kGroupClassId = 0x20000;

// Member list (the LinkedList ids).
inline constexpr uint32_t kGroupAddHead = 0x47000A;
inline constexpr uint32_t kGroupAddTail = 0x47001E;
inline constexpr uint32_t kGroupInsertMember = 0x470032;  // object, position (0 head, 0xFFFFFFFF tail, or after a member)
inline constexpr uint32_t kGroupInsertAtPoint = 0x47003C;  // object, x, y
inline constexpr uint32_t kGroupRemove = 0x470046;
inline constexpr uint32_t kGroupFirst = 0x470050;
inline constexpr uint32_t kGroupLast = 0x47005A;
inline constexpr uint32_t kGroupNext = 0x470064;
inline constexpr uint32_t kGroupPrevious = 0x47006E;
inline constexpr uint32_t kGroupIndexOf = 0x47008C;
inline constexpr uint32_t kGroupMemberAt = 0x470096;
inline constexpr uint32_t kGroupCount = 0x4700A0;

// Settings.
inline constexpr uint32_t kGroupSetFrame = 0x2012C;
inline constexpr uint32_t kGroupSetAlignment = 0x20190;
inline constexpr uint32_t kGroupShowPage = 0x2019A;        // index
inline constexpr uint32_t kGroupGetPageIndex = 0x201A4;
inline constexpr uint32_t kGroupShowPageObject = 0x201AE;  // member
inline constexpr uint32_t kGroupGetPageObject = 0x201B8;
inline constexpr uint32_t kGroupSetFixedWidth = 0x201C2;
inline constexpr uint32_t kGroupSetFixedHeight = 0x201CC;
inline constexpr uint32_t kGroupSetMode = 0x201F4;  // 1 vertical, 2 horizontal, 4 pages, 0x14, bit 8 scrolled
inline constexpr uint32_t kGroupGetMode = 0x201FE;
inline constexpr uint32_t kGroupSetScrollX = 0x20208;
inline constexpr uint32_t kGroupGetScrollX = 0x20212;
inline constexpr uint32_t kGroupSetScrollY = 0x2021C;
inline constexpr uint32_t kGroupSetScroll = 0x20227;       // x, y
inline constexpr uint32_t kGroupSetNominalWidth = 0x20230;
inline constexpr uint32_t kGroupGetNominalWidth = 0x2023A;
inline constexpr uint32_t kGroupSetNominalHeight = 0x20244;
inline constexpr uint32_t kGroupGetNominalHeight = 0x2024E;
inline constexpr uint32_t kGroupGetBoxWidth = 0x20258;
inline constexpr uint32_t kGroupGetBoxHeight = 0x20262;
inline constexpr uint32_t kGroupScrolledNotifyX = 0x2026C;
inline constexpr uint32_t kGroupScrolledNotifyY = 0x20276;
inline constexpr uint32_t kGroupSetOptions = 0x2028A;
inline constexpr uint32_t kGroupGetOptions = 0x2029E;
inline constexpr uint32_t kGroupSetAcceptsDrops = 0x202A8;
inline constexpr uint32_t kGroupGetAcceptsDrops = 0x202B2;
inline constexpr uint32_t kGroupSetSelectedFrame = 0x202C6;
inline constexpr uint32_t kGroupSetHighlightedFrame = 0x202D0;
inline constexpr uint32_t kGroupHighlight = 0x202DA;
inline constexpr uint32_t kGroupUnhighlight = 0x202E4;
inline constexpr uint32_t kGroupDisableLayout = 0x202EE;
inline constexpr uint32_t kGroupEnableLayout = 0x202F8;   // argument non-zero: no re-layout
inline constexpr uint32_t kGroupSetSpacing = 0x2030C;
inline constexpr uint32_t kGroupGetSpacing = 0x20316;
inline constexpr uint32_t kGroupSetInnerSpacing = 0x20320;
inline constexpr uint32_t kGroupGetInnerSpacing = 0x2032A;

// Drag and drop between windows (object, x, y).
inline constexpr uint32_t kGroupBeginDrag = 0x901C2;
inline constexpr uint32_t kGroupDragOver = 0x901CC;
inline constexpr uint32_t kGroupDrop = 0x901D6;
inline constexpr uint32_t kGroupMenuObject = 0x901E0;

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitGroupClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupGroupClass(void);
QZ_EXTERN_C_END
