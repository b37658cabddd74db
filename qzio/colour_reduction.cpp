// Octree colour reduction. Every pixel walks the tree to the depth log2(n),
// making nodes as it goes; while there are more colours than n, the nodes
// fewest pixels passed through are merged into their parents; each node left
// with pixels ending in it becomes the mean of those pixels.
#include "qzio/colour_reduction.h"

#include <algorithm>
#include <limits>
#include <memory>
#include <new>

namespace qz::codec {

void ColourReduction::start(uint32_t width, uint32_t height, uint32_t n) {
  limit_ = std::clamp<uint32_t>(n, 1, 256);
  depth_ = 1;  // at least one level, so a one-colour map still gets its colour
  while (depth_ < 8 && (2u << depth_) <= limit_) ++depth_;
  nodes_.clear();
  nodes_.emplace_back();
  nodes_[0].passCount = uint64_t{width} * height;
  leaves_ = 0;
  count_ = 0;
  colourmap_.fill(0);
  restartDither();
}

bool ColourReduction::classify(const uint8_t* rgb, uint32_t width) {
  for (uint32_t x = 0; x < width; ++x, rgb += 3) {
    int32_t at = 0;
    for (uint32_t level = 0; level < depth_; ++level) {
      const uint8_t child = childNumber(nodes_[size_t(at)], rgb[0], rgb[1], rgb[2]);
      int32_t next = nodes_[size_t(at)].children[child];
      if (next < 0) {
        Node made;
        made.parent = at;
        const Node& parent = nodes_[size_t(at)];
        made.halfEdge = uint8_t(parent.halfEdge / 2);
        for (int c = 0; c < 3; ++c) {
          const bool up = child & (4 >> c);
          made.centre[c] = uint8_t(up ? parent.centre[c] + made.halfEdge : parent.centre[c] - made.halfEdge);
        }
        next = int32_t(nodes_.size());
        nodes_.push_back(made);  // may throw bad_alloc; build() answers 2
        nodes_[size_t(at)].children[child] = next;
        if (level + 1 == depth_) ++leaves_;
      }
      Node& node = nodes_[size_t(next)];
      ++node.passCount;
      if (level + 1 == depth_) {
        ++node.endCount;
        for (int c = 0; c < 3; ++c) node.sum[c] += rgb[c];
      }
      at = next;
    }
  }
  return true;
}

void ColourReduction::reduce(int32_t at) {
  for (int32_t child : nodes_[size_t(at)].children)
    if (child >= 0) reduce(child);
  Node& node = nodes_[size_t(at)];
  if (node.parent >= 0 && node.passCount <= threshold_) {
    Node& parent = nodes_[size_t(node.parent)];
    for (int c = 0; c < 3; ++c) parent.sum[c] += node.sum[c];
    parent.endCount += node.endCount;
    for (int32_t& slot : parent.children)
      if (slot == at) slot = -1;
    return;
  }
  if (node.endCount) ++leaves_;
  nextThreshold_ = std::min(nextThreshold_, node.passCount);
}

void ColourReduction::assign(int32_t at) {
  for (int32_t child : nodes_[size_t(at)].children)
    if (child >= 0) assign(child);
  Node& node = nodes_[size_t(at)];
  if (!node.endCount || count_ >= 256) return;
  const uint64_t e = node.endCount;
  uint32_t colour = 0;
  for (int c = 0; c < 3; ++c) colour |= uint32_t((node.sum[c] + e / 2) / e) << (8 * c);
  node.index = count_;
  colourmap_[count_++] = colour;
}

uint32_t ColourReduction::finish() {
  threshold_ = 0;
  while (leaves_ > limit_) {
    nextThreshold_ = std::numeric_limits<uint64_t>::max();
    leaves_ = 0;
    reduce(0);
    threshold_ = nextThreshold_;
  }
  assign(0);
  return kOk;
}

uint32_t ColourReduction::build(PixelRows& rows, uint32_t width, uint32_t height, uint32_t n) {
  try {
    start(width, height, n);
    std::unique_ptr<uint8_t[]> row(new uint8_t[size_t{width} * 3]);
    for (uint32_t y = 0; y < height; ++y) {
      if (!rows.fetch(y, kLayoutRGB, row.get())) return kBadArguments;
      classify(row.get(), width);
    }
    return finish();
  } catch (const std::bad_alloc&) {
    nodes_.clear();
    count_ = 0;
    return kNoMemory;
  }
}

uint32_t ColourReduction::build(const uint8_t* rgb, uint32_t width, uint32_t height, uint32_t n) {
  try {
    start(width, height, n);
    for (uint32_t y = 0; y < height; ++y) classify(rgb + size_t{y} * width * 3, width);
    return finish();
  } catch (const std::bad_alloc&) {
    nodes_.clear();
    count_ = 0;
    return kNoMemory;
  }
}

void ColourReduction::search(int32_t at, const int32_t rgb[3], uint32_t& best, uint8_t& bestIndex) const {
  const Node& node = nodes_[size_t(at)];
  for (int32_t child : node.children)
    if (child >= 0) search(child, rgb, best, bestIndex);
  if (!node.endCount) return;
  const uint32_t colour = colourmap_[node.index];
  uint32_t distance = 0;
  for (int c = 0; c < 3; ++c) {
    const int32_t d = int32_t((colour >> (8 * c)) & 0xFF) - rgb[c];
    distance += uint32_t(d * d);
  }
  if (distance < best) {
    best = distance;
    bestIndex = uint8_t(node.index);
  }
}

uint8_t ColourReduction::nearest(uint8_t r, uint8_t g, uint8_t b) const {
  if (nodes_.empty()) return 0;
  // The colour's own path, as far as the tree goes; the search covers the
  // subtree of that node's parent, or the whole tree when the path stops at
  // the root (a colour in an octant no pixel of the picture reached).
  int32_t at = 0;
  for (;;) {
    const int32_t next = nodes_[size_t(at)].children[childNumber(nodes_[size_t(at)], r, g, b)];
    if (next < 0) break;
    at = next;
  }
  const int32_t from = nodes_[size_t(at)].parent >= 0 ? nodes_[size_t(at)].parent : 0;
  const int32_t rgb[3] = {r, g, b};
  uint32_t best = std::numeric_limits<uint32_t>::max();
  uint8_t bestIndex = 0;
  search(from, rgb, best, bestIndex);
  return bestIndex;
}

void ColourReduction::restartDither() {
  error_[0] = error_[1] = error_[2] = 0;
  leftToRight_ = true;
}

void ColourReduction::mapRow(const uint8_t* rgb, uint32_t width, uint32_t strength, uint8_t* indices) {
  const int32_t s = int32_t(std::min<uint32_t>(strength, 100));
  const bool forward = leftToRight_;
  leftToRight_ = !leftToRight_;
  for (uint32_t step = 0; step < width; ++step) {
    const uint32_t x = forward ? step : width - 1 - step;
    const uint8_t* in = rgb + size_t{x} * 3;
    uint8_t adjusted[3];
    for (int c = 0; c < 3; ++c) adjusted[c] = uint8_t(std::clamp(in[c] - error_[c], 0, 255));
    const uint8_t i = nearest(adjusted[0], adjusted[1], adjusted[2]);
    const uint32_t colour = colourmap_[i];
    for (int c = 0; c < 3; ++c) {
      const int32_t mapped = int32_t((colour >> (8 * c)) & 0xFF);
      error_[c] = ((error_[c] * 70) / 100 + (mapped - in[c])) * s / 100;
    }
    indices[x] = i;
  }
}

}  // namespace qz::codec
