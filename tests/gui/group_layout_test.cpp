// Group layout arithmetic: sizes from members and the boxes they get.
#include <gtest/gtest.h>

#include <vector>

#include "gadgets/group_layout.h"

namespace {

using namespace qz::gui;

LayoutMember m(int minW, int minH, int maxW, int maxH, int weight = 100, bool hidden = false) {
  LayoutMember lm;
  lm.sizes = {minW, minH, minW, minH, maxW, maxH};
  lm.weight = weight;
  lm.hidden = hidden;
  return lm;
}

GroupParams row(int spacing = 0) {
  GroupParams p;
  p.mode = kGroupModeHorizontal;
  p.spacing = spacing;
  p.alignment = 0;
  return p;
}

GroupParams column(int spacing = 0) {
  GroupParams p = row(spacing);
  p.mode = kGroupModeVertical;
  return p;
}

TEST(GroupMeasure, SizesFromMembers) {
  struct Case {
    const char* name;
    GroupParams params;
    std::vector<LayoutMember> members;
    LayoutSizes want;
  };
  GroupParams framed = row(4);
  framed.frameType = 4;
  GroupParams flatFrame = row(4);
  flatFrame.frameType = 6;
  GroupParams inner = row(4);
  inner.innerSpacing = 3;
  GroupParams labelled = row(4);
  labelled.hasLabel = true;
  labelled.labelWidth = 200;
  GroupParams fixed = row(0);
  fixed.fixedWidth = true;
  fixed.fixedHeight = true;
  GroupParams fill = row(0);
  fill.options = kGroupOptionFill;
  GroupParams scrolled = column(0);
  scrolled.mode |= kGroupModeScrolled;
  const std::vector<LayoutMember> three = {m(10, 5, 100, 50), m(20, 7, 100, 60), m(30, 6, 100, 40)};
  const Case cases[] = {
      {"row sums along, largest across", row(4), three, {68, 7, 68, 7, 308, 60}},
      {"column sums heights", column(2), three, {30, 22, 30, 22, 100, 154}},
      {"weight 0 adds its minimum to the maximum", row(0), {m(10, 5, 100, 50, 0), m(20, 5, 40, 50)},
       {30, 5, 30, 5, 50, 50}},
      {"hidden members take no room", row(4), {m(10, 5, 100, 50), m(99, 99, 999, 999, 100, true), m(30, 6, 100, 40)},
       {44, 6, 44, 6, 204, 50}},
      {"single member has no spacing", row(4), {m(10, 5, 20, 50)}, {10, 5, 10, 5, 20, 50}},
      {"frame adds twice the frame size", framed, three, {72, 11, 72, 11, 312, 64}},
      {"frame type 6 takes no room", flatFrame, three, {68, 7, 68, 7, 308, 60}},
      {"inner spacing adds twice on each axis", inner, three, {74, 13, 74, 13, 314, 66}},
      {"label widens to its text and adds its height", labelled, three, {200, 20, 200, 20, 312, 73}},
      {"fixed flags pin the maximum to the minimum", fixed, three, {60, 7, 60, 7, 60, 7}},
      {"fill option", fill, three, {60, 7, 60, 7, 0x500, 0x500}},
      {"scrolled minimum is 1 x 1", scrolled, three, {30, 18, 1, 1, 100, 150}},
      {"maximum sums cap at 0x7FFF", row(0), {m(1, 1, 0x7FFF, 0x7FFF), m(1, 1, 0x7FFF, 0x7FFF)},
       {2, 1, 2, 1, 0x7FFF, 0x7FFF}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const LayoutSizes s = measureGroup(c.params, c.members);
    EXPECT_EQ(s.nominalWidth, c.want.nominalWidth);
    EXPECT_EQ(s.nominalHeight, c.want.nominalHeight);
    EXPECT_EQ(s.minWidth, c.want.minWidth);
    EXPECT_EQ(s.minHeight, c.want.minHeight);
    EXPECT_EQ(s.maxWidth, c.want.maxWidth);
    EXPECT_EQ(s.maxHeight, c.want.maxHeight);
  }
}

TEST(GroupMeasure, PagesTakeTheLargestPage) {
  GroupParams p;
  p.mode = kGroupModePages;
  const std::vector<LayoutMember> pages = {m(10, 50, 100, 60), m(40, 20, 50, 300)};
  LayoutSizes s = measureGroup(p, pages);
  EXPECT_EQ(s.minWidth, 40);
  EXPECT_EQ(s.minHeight, 50);
  EXPECT_EQ(s.maxWidth, 100);
  EXPECT_EQ(s.maxHeight, 300);
  p.mode = kGroupModePages | kGroupModePageSized;
  p.currentPage = 0;
  s = measureGroup(p, pages);
  EXPECT_EQ(s.minWidth, 10);
  EXPECT_EQ(s.maxHeight, 60);
}

TEST(GroupPlace, MembersGetTheBoxesTheRulesGive) {
  struct Case {
    const char* name;
    GroupParams params;
    std::vector<LayoutMember> members;
    LayoutRect given;
    std::vector<LayoutRect> want;
    LayoutRect box;
    bool clipped;
  };
  GroupParams centred = row(4);
  centred.alignment = kAlignCentre;
  GroupParams bottom = row(0);
  bottom.alignment = kAlignBottom;
  GroupParams rightAligned = row(0);
  rightAligned.alignment = kAlignEnd;
  GroupParams framedColumn = column(2);
  framedColumn.frameType = 4;
  framedColumn.innerSpacing = 1;
  GroupParams columnCentred = column(0);
  columnCentred.alignment = kAlignCentre;
  const Case cases[] = {
      {"20 spare: weights 100/100/0 give 10/10/0",
       row(4),
       {m(10, 5, 100, 50), m(20, 5, 100, 50), m(30, 5, 100, 50, 0)},
       {0, 0, 88, 20},
       {{0, 0, 20, 20}, {24, 0, 30, 20}, {58, 0, 30, 20}},
       {0, 0, 88, 20},
       false},
      {"single weight-200 member asks twice the spare but gets only what there is",
       row(0),
       {m(10, 5, 45, 50, 200)},
       {5, 7, 30, 10},
       {{5, 7, 30, 10}},
       {5, 7, 30, 10},
       false},
      {"weights asking more than the spare share it in proportion, none past the edge",
       row(0),
       {m(10, 5, 100, 50, 100), m(10, 5, 100, 50, 200)},
       {0, 0, 50, 10},
       {{0, 0, 20, 10}, {20, 0, 30, 10}},
       {0, 0, 50, 10},
       false},
      {"height is the area capped at the member's maximum, centred in the tallest",
       centred,
       {m(10, 5, 10, 8), m(10, 5, 10, 20)},
       {0, 0, 24, 30},
       {{0, 6, 10, 8}, {14, 0, 10, 20}},
       {0, 0, 24, 20},
       false},
      {"bottom alignment in a row", bottom,
       {m(10, 5, 10, 8), m(10, 5, 10, 20)},
       {0, 0, 20, 30},
       {{0, 12, 10, 8}, {10, 0, 10, 20}},
       {0, 0, 20, 20},
       false},
      {"end alignment moves the row to the right end", rightAligned,
       {m(10, 5, 10, 8), m(10, 5, 10, 8)},
       {0, 0, 50, 8},
       {{30, 0, 10, 8}, {40, 0, 10, 8}},
       {0, 0, 20, 8},
       false},
      {"hidden member gets nothing", row(4),
       {m(10, 5, 100, 5), m(10, 5, 100, 5, 100, true), m(10, 5, 100, 5)},
       {0, 0, 44, 5},
       {{0, 0, 20, 5}, {0, 0, 0, 0}, {24, 0, 20, 5}},
       {0, 0, 44, 5},
       false},
      {"frame and inner spacing inset the column", framedColumn,
       {m(10, 10, 100, 100), m(10, 10, 100, 100)},
       {100, 200, 40, 60},
       {{103, 203, 34, 26}, {103, 231, 34, 26}},
       {100, 200, 40, 60},
       false},
      {"column centres members horizontally in the widest", columnCentred,
       {m(10, 10, 10, 10), m(30, 10, 30, 10)},
       {0, 0, 100, 20},
       {{10, 0, 10, 10}, {0, 10, 30, 10}},
       {0, 0, 30, 20},
       false},
      {"smaller than the minimum: members keep their minimum, the group clips", row(0),
       {m(40, 10, 100, 10), m(40, 10, 100, 10)},
       {0, 0, 50, 10},
       {{0, 0, 40, 10}, {40, 0, 40, 10}},
       {0, 0, 50, 10},
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const LayoutSizes own = measureGroup(c.params, c.members);
    const PlaceResult r = placeGroup(c.params, c.members, own, c.given);
    ASSERT_EQ(r.members.size(), c.want.size());
    for (std::size_t i = 0; i < c.want.size(); ++i) {
      SCOPED_TRACE(i);
      EXPECT_EQ(r.placed[i], !c.members[i].hidden);
      if (r.placed[i]) {
        EXPECT_EQ(r.members[i].x, c.want[i].x);
        EXPECT_EQ(r.members[i].y, c.want[i].y);
        EXPECT_EQ(r.members[i].width, c.want[i].width);
        EXPECT_EQ(r.members[i].height, c.want[i].height);
      }
    }
    EXPECT_EQ(r.box, c.box);
    EXPECT_EQ(r.clipped, c.clipped);
  }
}

TEST(GroupPlace, NestedGroupsWithWeightsAndLimits) {
  // A row of [column(a, b) weight 100, c weight 300 max 150] in 300 x 100.
  const std::vector<LayoutMember> inner = {m(20, 10, 200, 30), m(30, 10, 200, 200)};
  GroupParams col = column(2);
  LayoutSizes colSizes = measureGroup(col, inner);
  EXPECT_EQ(colSizes.minWidth, 30);
  EXPECT_EQ(colSizes.minHeight, 22);
  LayoutMember colMember;
  colMember.sizes = colSizes;
  colMember.weight = 100;
  const std::vector<LayoutMember> outer = {colMember, m(50, 20, 150, 100, 300)};
  GroupParams r = row(10);
  const LayoutSizes own = measureGroup(r, outer);
  EXPECT_EQ(own.minWidth, 90);
  const PlaceResult placed = placeGroup(r, outer, own, {0, 0, 300, 100});
  // Spare 210 between two stretchable members: share 105.
  EXPECT_EQ(placed.members[0], (LayoutRect{0, 0, 135, 100}));
  EXPECT_EQ(placed.members[1], (LayoutRect{145, 0, 150, 100}));
  // The column shares its 100 - 22 = 78 spare: 39 each; the first stops at its maximum 30.
  const PlaceResult sub = placeGroup(col, inner, colSizes, placed.members[0]);
  EXPECT_EQ(sub.members[0], (LayoutRect{0, 0, 135, 30}));
  EXPECT_EQ(sub.members[1], (LayoutRect{0, 32, 135, 49}));
}

TEST(GroupPlace, PagesCentreTheCurrentPageWithinItsMaximum) {
  GroupParams p;
  p.mode = kGroupModePages;
  p.currentPage = 1;
  const std::vector<LayoutMember> pages = {m(10, 10, 500, 500), m(10, 10, 40, 500)};
  const PlaceResult r = placeGroup(p, pages, measureGroup(p, pages), {0, 0, 100, 50});
  EXPECT_FALSE(r.placed[0]);
  ASSERT_TRUE(r.placed[1]);
  EXPECT_EQ(r.members[1], (LayoutRect{30, 0, 40, 50}));
  EXPECT_EQ(r.box, (LayoutRect{0, 0, 100, 50}));
}

}  // namespace
