// Tabbed pages (Pages: tabs above, VerticalPages: tabs beside): their
// method ids and the part both classes share. Children are added in two
// phases, first the tab labels, then the pages, and the gadgets store
// themselves as object text in that same form.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "objects/qz_object.h"

struct Qz_StoreObjectData;

inline constexpr uint32_t kPagesClassId = 0xB0000;
inline constexpr uint32_t kVerticalPagesClassId = 0x550000;
inline constexpr uint32_t kPagesSetFiller = 0xB000A;
inline constexpr uint32_t kPagesLabelsPhase = 0xB0014;
inline constexpr uint32_t kPagesLabelsPhaseText = 0x50616765;  // "Qz_AddingPageLabels"
inline constexpr uint32_t kPagesGetPageGroup = 0xB001E;
inline constexpr uint32_t kPagesGetTabs = 0xB0028;

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitPagesClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupPagesClass(void);
QZ_EXPORT QzWord Qz_InitVerticalPagesClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupVerticalPagesClass(void);
QZ_EXTERN_C_END

namespace qz::gadgets {

struct PageRecord {
  Qz_Object* label;
  Qz_Object* tab;  // a Button holding the label
};

// What both tabbed gadgets keep.
struct PagesCore {
  std::vector<PageRecord> records;
  int current = -1;
  bool labelsPhase = false;
  bool showing = false;  // a tab pressed while showing comes back here
  bool verticalTabs = false;
  Qz_Object* tabs = nullptr;   // the row or column of tabs
  Qz_Object* pages = nullptr;  // page-mode group
  Qz_Object* filler = nullptr;  // kept last among the tabs (Pages only)
};

// The record a 0-based index names: past the end the first, -1 with none.
QZ_EXPORT int pageAtIndex(std::size_t count, uint32_t index);

// The two-phase object text of tabbed pages: the labels phase line, each
// tab's label (stored as the tab's children), the pages phase line, then
// the pages. Phase lines are indented to the writer's depth when asked.
QZ_EXPORT QzWord storeTabbedPages(Qz_StoreObjectData* state, std::span<Qz_Object* const> tabs, Qz_Object* pages,
                                  bool indented);

// The ids both classes answer alike; handled says whether the id was one.
QZ_EXPORT QzWord pagesMethod(Qz_Object* self, PagesCore& core, uint32_t id, const QzWord* args, bool& handled);

}  // namespace qz::gadgets
