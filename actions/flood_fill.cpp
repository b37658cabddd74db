// Scan-line flood fill into a mask. Each pending fill is a frame on a vector:
// its row's filled columns and how far the look at the rows above and below
// has gone, so fills run in the order a recursive fill would.
#include "actions/flood_fill.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace qz::actions {
namespace {

// Distance of a pixel that cannot be filled: outside the clip or already in
// the mask. Beyond any tolerance, so no tolerance reaches past the clip.
constexpr int32_t kUnreachable = INT32_MAX;

struct Frame {
  int32_t y, xr, c;
  bool above, below;  // the current run of the row above/below has its fill
  bool aboveLooked;   // column c's row above is done; the row below is next
};

class Filler {
 public:
  Filler(const Qz_Image* document, const FloodClip& clip, const FloodSettings& s, Qz_Plane mask, int32_t maskX,
         int32_t maskY)
      : doc_(document), clip_(clip), tolerance_(s.tolerance), mask_(mask), maskX_(maskX), maskY_(maskY) {
    const int64_t hardLimit = (100 - int64_t(s.softness)) * s.tolerance / 100;
    hardLimit_ = int32_t(std::clamp<int64_t>(hardLimit, INT32_MIN, INT32_MAX));
    ramp_ = int32_t(std::clamp<int64_t>(int64_t(s.tolerance) - hardLimit_, INT32_MIN, INT32_MAX));
  }

  bool usable() const { return ramp_ != 0 && doc_->depth == 24 && doc_->undoR && doc_->undoG && doc_->undoB; }

  bool inside(int32_t x, int32_t y) const {
    return x >= clip_.left && x < clip_.right && y >= clip_.top && y < clip_.bottom;
  }

  void run(int32_t x, int32_t y) {
    seed_[0] = doc_->undoR[y][x], seed_[1] = doc_->undoG[y][x], seed_[2] = doc_->undoB[y][x];
    start(x, y);
    while (!frames_.empty()) step();
  }

 private:
  uint8_t& maskAt(int32_t x, int32_t y) { return mask_[y - maskY_][x - maskX_]; }

  int32_t distance(int32_t x, int32_t y, bool filledTest) {
    if (!inside(x, y) || (filledTest && maskAt(x, y))) return kUnreachable;
    return std::max({std::abs(doc_->undoR[y][x] - seed_[0]), std::abs(doc_->undoG[y][x] - seed_[1]),
                     std::abs(doc_->undoB[y][x] - seed_[2])});
  }

  void write(int32_t x, int32_t y, int32_t d) { maskAt(x, y) = floodMaskValue(d, hardLimit_, ramp_); }

  // Fills the row through (x, y) and leaves a frame to look above and below it.
  void start(int32_t x, int32_t y) {
    const int32_t d = distance(x, y, false);
    if (d <= tolerance_) write(x, y, d);
    int32_t xl = x;
    if (x > clip_.left) {
      for (int32_t c = x - 1;; --c) {
        const int32_t dc = distance(c, y, true);
        if (dc >= tolerance_) {
          xl = c;
          break;
        }
        write(c, y, dc);
        if (c == clip_.left) {
          xl = c;
          break;
        }
      }
    }
    int32_t xr = x + 1;
    for (int32_t dc; xr < clip_.right && (dc = distance(xr, y, true)) < tolerance_; ++xr) write(xr, y, dc);
    frames_.push_back(Frame{y, xr, xl, false, false, false});
  }

  // One column's look at one neighbouring row; true when it started a fill.
  bool look(int32_t c, int32_t row, bool& flag) {
    if (distance(c, row, true) >= tolerance_) {
      flag = false;
    } else if (!flag) {
      flag = true;
      start(c, row);
      return true;
    } else {
      flag = false;
    }
    return false;
  }

  void step() {
    const size_t at = frames_.size() - 1;
    Frame f = frames_[at];
    if (f.c >= f.xr) {
      frames_.pop_back();
      return;
    }
    if (!f.aboveLooked) {
      frames_[at].aboveLooked = true;
      if (f.y > clip_.top) {
        bool flag = f.above;
        const bool started = look(f.c, f.y - 1, flag);
        frames_[at].above = flag;
        if (started) return;
      }
      f = frames_[at];
    }
    // The row below the clip's last row is never visited.
    if (f.y + 1 < clip_.bottom) {
      bool flag = f.below;
      frames_[at].c = f.c + 1;
      frames_[at].aboveLooked = false;
      look(f.c, f.y + 1, flag);
      frames_[at].below = flag;
      return;
    }
    frames_[at].c = f.c + 1;
    frames_[at].aboveLooked = false;
  }

  const Qz_Image* doc_;
  FloodClip clip_;
  int32_t tolerance_, hardLimit_ = 0, ramp_ = 0;
  int32_t seed_[3] = {};
  Qz_Plane mask_;
  int32_t maskX_, maskY_;
  std::vector<Frame> frames_;
};

}  // namespace

uint8_t floodMaskValue(int32_t distance, int32_t hardLimit, int32_t ramp) {
  if (distance <= hardLimit || distance == 1) return 255;
  return uint8_t((int64_t(hardLimit - int64_t(distance)) * 255) / ramp - 1);
}

void floodFillMask(const Qz_Image* document, const FloodClip& clip, const FloodSettings& settings, int32_t seedX,
                   int32_t seedY, Qz_Plane mask, int32_t maskX, int32_t maskY) {
  if (!document || !mask) return;
  Filler filler(document, clip, settings, mask, maskX, maskY);
  // The seed's colour is read only once it is known to lie inside.
  if (!filler.usable() || !filler.inside(seedX, seedY)) return;
  filler.run(seedX, seedY);
}

}  // namespace qz::actions
