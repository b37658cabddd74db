// List trees (ListTree with its ListTreeItem rows and expandable
// ListTreeNode rows) and the folder tree built on them: method ids.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "objects/qz_object.h"

// ---- ListTree ----
inline constexpr uint32_t kListTreeClassId = 0x220000;
inline constexpr uint32_t kListTreeSetSelectedNode = 0x22000A;  // also the notification
inline constexpr uint32_t kListTreeGetSelectedNode = 0x220014;
inline constexpr uint32_t kListTreeSetCurrentItem = 0x22001E;  // also the notification
inline constexpr uint32_t kListTreeGetCurrentItem = 0x220028;
inline constexpr uint32_t kListTreeClear = 0x220032;
inline constexpr uint32_t kListTreeSetMultiple = 0x22003C;  // ListTreeItem: the no-selection-logic flag
inline constexpr uint32_t kListTreeGetMultiple = 0x220046;
inline constexpr uint32_t kListTreeFirstSelected = 0x220050;
inline constexpr uint32_t kListTreeNextSelected = 0x22005A;
inline constexpr uint32_t kListTreeDeselectAll = 0x220064;
inline constexpr uint32_t kListTreeAddSelected = 0x22006E;
inline constexpr uint32_t kListTreeRemoveSelected = 0x220078;
inline constexpr uint32_t kListTreeActivated = 0x102A8;  // fired by an entry chosen again

// ---- ListTreeItem / ListTreeNode ----
inline constexpr uint32_t kListTreeItemClassId = 0x520000;
inline constexpr uint32_t kListTreeNodeClassId = 0x530000;
inline constexpr uint32_t kListTreeNodeExpand = 0x53000A;  // also the notification
inline constexpr uint32_t kListTreeNodeCollapse = 0x530014;
inline constexpr uint32_t kListTreeNodeSetName = 0x53001E;
inline constexpr uint32_t kListTreeNodeGetName = 0x530028;
inline constexpr uint32_t kListTreeNodeSetPicture = 0x530032;
inline constexpr uint32_t kListTreeNodeGetPicture = 0x53003C;
inline constexpr uint32_t kListTreeNodeToggle = 0x530064;
inline constexpr uint32_t kListTreeNodeGetExpanded = 0x53006E;  // this program's own query

// Arrow shapes of a node (VectorImage kinds).
inline constexpr uint32_t kNodeArrowExpanded = 0x50096;
inline constexpr uint32_t kNodeArrowCollapsed = 0x500A0;

// ---- DirTree / DirTreeNode ----
inline constexpr uint32_t kDirTreeClassId = 0x510000;
inline constexpr uint32_t kDirTreeSetWord = 0x51000A;
inline constexpr uint32_t kDirTreeGetWord = 0x510014;
inline constexpr uint32_t kDirTreeSetSecondWord = 0x51001E;
inline constexpr uint32_t kDirTreeGetSecondWord = 0x510028;
inline constexpr uint32_t kDirTreeLoadChildren = 0x510032;  // to a node
inline constexpr uint32_t kDirTreeShowPath = 0x51003C;
inline constexpr uint32_t kDirTreeFindPath = 0x510050;  // to a node
inline constexpr uint32_t kDirTreeNodeClassId = 0x540000;
inline constexpr uint32_t kDirTreeNodeSetPath = 0x54000A;
inline constexpr uint32_t kDirTreeNodeGetPath = 0x540014;
inline constexpr uint32_t kDirTreeNodeGetOwned = 0x54001E;
inline constexpr uint32_t kDirTreeNodeSetFolder = 0x540028;
inline constexpr uint32_t kDirTreeNodeGetFolder = 0x540032;
inline constexpr uint32_t kDirTreeNodeSetIdList = 0x54003C;
inline constexpr uint32_t kDirTreeNodeGetIdList = 0x540046;

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitListTreeClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupListTreeClass(void);
QZ_EXPORT QzWord Qz_InitListTreeItemClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupListTreeItemClass(void);
QZ_EXPORT QzWord Qz_InitListTreeNodeClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupListTreeNodeClass(void);
QZ_EXPORT QzWord Qz_InitDirTreeClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupDirTreeClass(void);
QZ_EXPORT QzWord Qz_InitDirTreeNodeClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupDirTreeNodeClass(void);
QZ_EXTERN_C_END

namespace qz::gadgets {

// The entries from..to of a sibling order, whichever of the two comes
// first: the range a Shift-click adds. Empty when either is not there.
QZ_EXPORT std::vector<std::size_t> selectionRange(std::size_t count, long anchor, long clicked);

// The sub-folders of a folder as the folder tree shows them: hidden
// (dot) folders left out, sorted by lower-cased name. Symbolic links to
// folders count as folders. Empty when the folder cannot be read.
QZ_EXPORT std::vector<std::string> listSubFolders(const std::string& path);

// The order of the folder tree and the file list: by lower-cased name
// (ASCII letters), names equal so compared as they are.
QZ_EXPORT bool sortsBeforeByLowerCase(const std::string& a, const std::string& b);

// The name a folder node shows for its path: the text after the last "/",
// or "/" for the root.
QZ_EXPORT std::string folderDisplayName(const std::string& path);

}  // namespace qz::gadgets
