// Sizes add up along a group's axis and take the largest across it; spare
// room along the axis is shared out by weight, one share per 100.
#include "gadgets/group_layout.h"

#include <algorithm>
#include <cstddef>

namespace qz::gui {

namespace {

bool hasFrame(const GroupParams& g) { return g.frameType != 0 && g.frameType != 6; }

bool isHorizontal(const GroupParams& g) { return (g.mode & 0x07) == kGroupModeHorizontal; }

bool isPages(const GroupParams& g) { return (g.mode & kGroupModePages) != 0; }

// The label's extra height. Measuring and placing use the same value, so a
// labelled group placed at its minimum gets exactly its minimum.
int32_t labelHeight(const GroupParams& g) { return 2 + g.fontHeight - g.frameHeight; }

int32_t capMax(int32_t value) { return value > kLayoutMaxSize - 1 ? kLayoutMaxSize : value; }

int32_t clampSize(int64_t value) {
  if (value > kLayoutMaxSize) return kLayoutMaxSize;
  if (value < -kLayoutMaxSize) return -kLayoutMaxSize;
  return static_cast<int32_t>(value);
}

LayoutSizes measureLine(const GroupParams& g, const std::vector<LayoutMember>& members) {
  const bool row = isHorizontal(g);
  int64_t nomAlong = 0, minAlong = 0, maxAlong = 0;
  int32_t nomAcross = 0, minAcross = 0, maxAcross = 0;
  int n = 0;
  for (const LayoutMember& m : members) {
    if (m.hidden) continue;
    ++n;
    const LayoutSizes& s = m.sizes;
    const int32_t nA = row ? s.nominalWidth : s.nominalHeight;
    const int32_t mA = row ? s.minWidth : s.minHeight;
    const int32_t xA = row ? s.maxWidth : s.maxHeight;
    nomAlong += nA;
    minAlong += mA;
    // A member that takes no share of spare room adds only what it needs.
    maxAlong += m.weight != 0 ? xA : mA;
    nomAcross = std::max(nomAcross, row ? s.nominalHeight : s.nominalWidth);
    minAcross = std::max(minAcross, row ? s.minHeight : s.minWidth);
    maxAcross = std::max(maxAcross, row ? s.maxHeight : s.maxWidth);
  }
  if (n >= 2) {
    const int64_t gaps = static_cast<int64_t>(g.spacing) * (n - 1);
    nomAlong += gaps;
    minAlong += gaps;
    maxAlong += gaps;
  }
  LayoutSizes r;
  if (row) {
    r = {clampSize(nomAlong), nomAcross, clampSize(minAlong), minAcross, clampSize(maxAlong), maxAcross};
  } else {
    r = {nomAcross, clampSize(nomAlong), minAcross, clampSize(minAlong), maxAcross, clampSize(maxAlong)};
  }
  return r;
}

LayoutSizes measurePages(const GroupParams& g, const std::vector<LayoutMember>& members) {
  LayoutSizes r;
  if ((g.mode & kGroupModePageSized) != 0) {
    if (g.currentPage < 0 || static_cast<std::size_t>(g.currentPage) >= members.size()) return r;
    r = members[static_cast<std::size_t>(g.currentPage)].sizes;
    r.nominalWidth = std::max(r.nominalWidth, 0);
    r.nominalHeight = std::max(r.nominalHeight, 0);
    return r;
  }
  for (const LayoutMember& m : members) {
    const LayoutSizes& s = m.sizes;
    r.nominalWidth = std::max(r.nominalWidth, s.nominalWidth);
    r.nominalHeight = std::max(r.nominalHeight, s.nominalHeight);
    r.minWidth = std::max(r.minWidth, s.minWidth);
    r.minHeight = std::max(r.minHeight, s.minHeight);
    r.maxWidth = std::max(r.maxWidth, s.maxWidth);
    r.maxHeight = std::max(r.maxHeight, s.maxHeight);
  }
  return r;
}

void addAll(LayoutSizes& s, int32_t dw, int32_t dh) {
  s.nominalWidth = clampSize(int64_t{s.nominalWidth} + dw);
  s.minWidth = clampSize(int64_t{s.minWidth} + dw);
  s.maxWidth = clampSize(int64_t{s.maxWidth} + dw);
  s.nominalHeight = clampSize(int64_t{s.nominalHeight} + dh);
  s.minHeight = clampSize(int64_t{s.minHeight} + dh);
  s.maxHeight = clampSize(int64_t{s.maxHeight} + dh);
}

}  // namespace

LayoutSizes measureGroup(const GroupParams& g, const std::vector<LayoutMember>& members) {
  LayoutSizes s = isPages(g) ? measurePages(g, members) : measureLine(g, members);
  if (hasFrame(g)) addAll(s, 2 * g.frameWidth, 2 * g.frameHeight);
  addAll(s, 2 * g.innerSpacing, 2 * g.innerSpacing);
  if (g.hasLabel) {
    addAll(s, 2 * g.frameWidth, labelHeight(g));
    s.nominalWidth = std::max(s.nominalWidth, g.labelWidth);
    s.minWidth = std::max(s.minWidth, g.labelWidth);
    s.maxWidth = std::max(s.maxWidth, g.labelWidth);
  }
  if (g.fixedWidth) s.maxWidth = s.minWidth;
  if (g.fixedHeight) s.maxHeight = s.minHeight;
  if ((g.options & kGroupOptionFill) != 0) {
    s.maxWidth = kLayoutFillSize;
    s.maxHeight = kLayoutFillSize;
  } else {
    s.maxWidth = capMax(s.maxWidth);
    s.maxHeight = capMax(s.maxHeight);
  }
  if ((g.mode & kGroupModeScrolled) != 0) {
    s.minWidth = 1;
    s.minHeight = 1;
  }
  return s;
}

PlaceResult placeGroup(const GroupParams& g, const std::vector<LayoutMember>& members, const LayoutSizes& own,
                       const LayoutRect& given) {
  PlaceResult r;
  r.members.assign(members.size(), LayoutRect{});
  r.placed.assign(members.size(), false);

  LayoutRect area = given;
  if ((g.mode & kGroupModeScrolled) != 0) {
    area.width = std::max(area.width, own.nominalWidth);
    area.height = std::max(area.height, own.nominalHeight);
    area.x -= g.scrollX;
    area.y -= g.scrollY;
  }
  int32_t borderW = 0, borderH = 0;  // taken off both sides together
  if (hasFrame(g)) {
    area.x += g.frameWidth;
    area.y += g.frameHeight;
    borderW += 2 * g.frameWidth;
    borderH += 2 * g.frameHeight;
  }
  area.x += g.innerSpacing;
  area.y += g.innerSpacing;
  borderW += 2 * g.innerSpacing;
  borderH += 2 * g.innerSpacing;
  if (g.hasLabel) {
    area.x += g.frameWidth;
    area.y += g.fontHeight - g.frameHeight;
    borderW += 2 * g.frameWidth;
    borderH += labelHeight(g);
  }
  area.width -= borderW;
  area.height -= borderH;

  if (isPages(g)) {
    if (g.currentPage >= 0 && static_cast<std::size_t>(g.currentPage) < members.size()) {
      const LayoutSizes& s = members[static_cast<std::size_t>(g.currentPage)].sizes;
      LayoutRect page = area;
      if (s.maxWidth < area.width) {
        page.x += (area.width - s.maxWidth) / 2;
        page.width = s.maxWidth;
      }
      if (s.maxHeight < area.height) {
        page.y += (area.height - s.maxHeight) / 2;
        page.height = s.maxHeight;
      }
      r.members[static_cast<std::size_t>(g.currentPage)] = page;
      r.placed[static_cast<std::size_t>(g.currentPage)] = true;
    }
    r.box = given;
    return r;
  }

  const bool row = isHorizontal(g);
  int n = 0, stretchable = 0;
  int64_t fixed = 0;
  int32_t largestMinHeight = 0;
  for (const LayoutMember& m : members) {
    if (m.hidden) continue;
    ++n;
    const int32_t mn = row ? m.sizes.minWidth : m.sizes.minHeight;
    const int32_t mx = row ? m.sizes.maxWidth : m.sizes.maxHeight;
    fixed += mn;
    if (mn < mx && m.weight != 0) ++stretchable;
    largestMinHeight = std::max(largestMinHeight, m.sizes.minHeight);
  }
  if (n >= 2) fixed += static_cast<int64_t>(g.spacing) * (n - 1);
  if (stretchable <= 1) stretchable = 1;
  const int64_t along = row ? area.width : area.height;
  const int64_t spare = std::max<int64_t>(0, along - fixed);
  const int64_t share = spare / stretchable;

  // Each member asks weight / 100 shares, up to its maximum. Weights above
  // one share (a group's 200, a space's 400) can ask for more than the spare
  // room; then every grant shrinks in proportion, so that no member is
  // pushed past the group's edge.
  std::vector<int64_t> grant(members.size(), 0);
  int64_t granted = 0;
  for (std::size_t i = 0; i < members.size(); ++i) {
    const LayoutMember& m = members[i];
    if (m.hidden) continue;
    const int64_t room = row ? int64_t{m.sizes.maxWidth} - m.sizes.minWidth
                             : int64_t{m.sizes.maxHeight} - m.sizes.minHeight;
    grant[i] = std::clamp<int64_t>(static_cast<int64_t>(m.weight) * share / 100, 0, std::max<int64_t>(room, 0));
    granted += grant[i];
  }
  if (granted > spare)
    for (int64_t& g : grant) g = g * spare / granted;

  // Sizes first, then positions (alignment needs the widest and tallest).
  int64_t total = 0;
  int32_t widest = 0, tallest = 0;
  int placedCount = 0;
  for (std::size_t i = 0; i < members.size(); ++i) {
    const LayoutMember& m = members[i];
    if (m.hidden) continue;
    LayoutRect& rect = r.members[i];
    const int64_t extra = grant[i];
    if (row) {
      rect.width = clampSize(std::min<int64_t>(m.sizes.minWidth + extra, m.sizes.maxWidth));
      rect.height = std::min(area.height, m.sizes.maxHeight);
      if (g.fixedWidth) rect.width = largestMinHeight;
      if (g.fixedHeight) rect.height = largestMinHeight;
      total += rect.width;
    } else {
      rect.height = clampSize(std::min<int64_t>(m.sizes.minHeight + extra, m.sizes.maxHeight));
      rect.width = std::min(area.width, m.sizes.maxWidth);
      total += rect.height;
    }
    widest = std::max(widest, rect.width);
    tallest = std::max(tallest, rect.height);
    r.placed[i] = true;
    ++placedCount;
  }
  if (placedCount >= 2) total += static_cast<int64_t>(g.spacing) * (placedCount - 1);

  int64_t cursor = row ? area.x : area.y;
  if (row && (g.alignment & kAlignEnd) != 0 && area.width > total) cursor += area.width - total;
  if (!row && (g.alignment & kAlignBottom) != 0 && area.height > total) cursor += area.height - total;
  for (std::size_t i = 0; i < members.size(); ++i) {
    if (!r.placed[i]) continue;
    LayoutRect& rect = r.members[i];
    if (row) {
      rect.x = clampSize(cursor);
      rect.y = area.y;
      if ((g.alignment & kAlignBottom) != 0) {
        rect.y += tallest - rect.height;
      } else if ((g.alignment & kAlignCentre) != 0) {
        rect.y += (tallest - rect.height) / 2;
      }
      cursor += rect.width + g.spacing;
    } else {
      rect.y = clampSize(cursor);
      rect.x = area.x;
      if ((g.alignment & kAlignEnd) != 0) {
        rect.x += widest - rect.width;
      } else if ((g.alignment & kAlignCentre) != 0) {
        rect.x += (widest - rect.width) / 2;
      }
      cursor += rect.height + g.spacing;
    }
  }

  // Never below the group's own minimum: a label wider than the members
  // (a button whose face is its label) still gets its width.
  const int64_t usedW = std::max<int64_t>((row ? total : widest) + borderW, own.minWidth);
  const int64_t usedH = std::max<int64_t>((row ? tallest : total) + borderH, own.minHeight);
  r.box.x = given.x;
  r.box.y = given.y;
  if ((g.options & kGroupOptionFill) != 0) {
    r.box.width = given.width;
    r.box.height = given.height;
  } else {
    r.box.width = clampSize(std::min<int64_t>(usedW, own.maxWidth));
    r.box.height = clampSize(std::min<int64_t>(usedH, own.maxHeight));
  }
  if (given.width < r.box.width || given.height < r.box.height) {
    r.box.width = std::min(r.box.width, given.width);
    r.box.height = std::min(r.box.height, given.height);
    r.clipped = true;
    r.clip = {given.x + g.innerSpacing, given.y + g.innerSpacing, given.width - 2 * g.innerSpacing,
              given.height - 2 * g.innerSpacing};
  }
  return r;
}

}  // namespace qz::gui
