// The arithmetic of group layout, free of objects: how a row, a column or a
// stack of pages sizes itself from its members and where it puts them.
// The Group class gathers the members' boxes into these records, calls the
// two functions and writes the answers back; tests drive them with tables.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/qz_export.h"

namespace qz::gui {

// Group modes (low bits) and flags.
inline constexpr uint32_t kGroupModeVertical = 1;
inline constexpr uint32_t kGroupModeHorizontal = 2;
inline constexpr uint32_t kGroupModePages = 0x04;
inline constexpr uint32_t kGroupModeScrolled = 0x08;
inline constexpr uint32_t kGroupModePageSized = 0x10;  // with pages: sized by the current page

// Alignment bits.
inline constexpr uint32_t kAlignEnd = 0x02;     // right (row: the row's end; column: widest member)
inline constexpr uint32_t kAlignBottom = 0x08;  // bottom (row: tallest member; column: the column's end)
inline constexpr uint32_t kAlignCentre = 0x10;  // centred across the axis

// Option bit: the group fills whatever it is given.
inline constexpr uint32_t kGroupOptionFill = 0x1;

inline constexpr int32_t kLayoutMaxSize = 0x7FFF;
inline constexpr int32_t kLayoutFillSize = 0x500;

struct LayoutSizes {
  int32_t nominalWidth = 0, nominalHeight = 0;
  int32_t minWidth = 0, minHeight = 0;
  int32_t maxWidth = 0, maxHeight = 0;
};

struct LayoutMember {
  LayoutSizes sizes;
  int32_t weight = 100;
  bool hidden = false;
};

struct LayoutRect {
  int32_t x = 0, y = 0, width = 0, height = 0;
  bool operator==(const LayoutRect&) const = default;
};

// What the group itself brings to its layout.
struct GroupParams {
  uint32_t mode = 0;
  uint32_t alignment = kAlignCentre;
  uint32_t options = 0;
  int32_t spacing = 0;        // gap between neighbours
  int32_t innerSpacing = 0;   // margin on all four sides
  uint32_t frameType = 0;     // 0 and 6: no room for a frame
  int32_t frameWidth = 2, frameHeight = 2;
  int32_t fontHeight = 13;
  bool hasLabel = false;
  int32_t labelWidth = 0;     // text width of the label
  bool fixedWidth = false, fixedHeight = false;
  int32_t currentPage = -1;   // index into the members in page mode; -1 none
  int32_t scrollX = 0, scrollY = 0;  // scroll position (scrolled mode)
};

struct PlaceResult {
  std::vector<LayoutRect> members;  // one per member; hidden ones (and pages not shown) untouched
  std::vector<bool> placed;         // which entries of members were placed
  LayoutRect box;                   // the group's own box
  bool clipped = false;             // given less than it needs
  LayoutRect clip;                  // the given rectangle inset by the inner spacing
};

// The group's six sizes from its members' (already measured) sizes.
QZ_EXPORT LayoutSizes measureGroup(const GroupParams& group, const std::vector<LayoutMember>& members);

// The members' rectangles and the group's box when placed at the given
// rectangle; own are the group's sizes from measureGroup.
QZ_EXPORT PlaceResult placeGroup(const GroupParams& group, const std::vector<LayoutMember>& members,
                                 const LayoutSizes& own, const LayoutRect& given);

}  // namespace qz::gui
