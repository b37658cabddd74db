// What a render keeps from one row to the next (a box blur's column sums):
// the compositor renders the rows of a strip top to bottom on one thread,
// and the strips of one pass at once on several. A StripCarry keeps, per
// thread, a few states keyed by (mode object, pass serial, x0, x1, row), so a
// run continues the state its thread left at the row above when that row
// was rendered in the same pass over the same columns, and rebuilds it
// otherwise: at the first row of a strip, for other columns, in another
// pass, and always outside a pass (serial 0). The bytes never depend on it.
//
// One static per mode class (or per use):
//
//   qz::modes::StripCarry<ColumnSums> gSums;
//   auto carry = gSums.take(object, block->x0, block->x1, block->y0);
//   if (carry.fresh() || carry->radius != rx) carry->rebuild(...); else carry->step(...);
//   ... render the row from *carry ...
//   carry.keep(block->y1);  // the state now stands for the block's last row
//
// A state is a function of its key only while the settings it was built
// with hold: keep them in the state and rebuild when they differ (a setter
// may run during a pass). A fresh state holds what an earlier use left (its
// buffers are reused): rebuild all of it. A carry that is not kept (a render
// that gave up half way) is forgotten when it goes out of scope.
//
// Each thread keeps kSlots states per State type, the least recently used
// replaced, so the several runs of one row and the renders of lower layers
// that a fetch runs on the same thread keep their own. A held state is never
// handed out again or replaced until its holder goes.
#pragma once

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "image/qz_compositor.h"

namespace qz::modes {

template <class State>
class StripCarry {
  struct Slot {
    const StripCarry* owner = nullptr;
    const void* mode = nullptr;
    uint32_t serial = 0;
    int32_t x0 = 0, x1 = -1, row = 0;
    bool valid = false;
    bool held = false;
    uint64_t used = 0;
    State state{};
  };

 public:
  static constexpr size_t kSlots = 8;

  // The state a render holds while it works; movable, not copyable.
  class Held {
   public:
    Held(Held&& other) noexcept : slot_(std::exchange(other.slot_, nullptr)), fresh_(other.fresh_),
                                  kept_(other.kept_) {}
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;
    Held& operator=(Held&&) = delete;
    ~Held() {
      if (!slot_) return;
      slot_->held = false;
      if (!kept_) slot_->valid = false;
    }

    // True when the state must be rebuilt from scratch.
    bool fresh() const { return fresh_; }
    State& operator*() const { return slot_->state; }
    State* operator->() const { return &slot_->state; }

    // The state now stands for row y of the run's columns; the thread's next
    // take for row y + 1 continues it. Outside a pass nothing is kept.
    void keep(int32_t y) {
      kept_ = true;
      slot_->row = y;
      slot_->valid = slot_->serial != 0;
    }

   private:
    friend class StripCarry;
    Held(Slot* slot, bool fresh) : slot_(slot), fresh_(fresh) {}
    Slot* slot_;
    bool fresh_;
    bool kept_ = false;
  };

  // This thread's state for the mode over columns x0..x1 of the current
  // pass, continuing row y - 1 when it was kept.
  Held take(const void* mode, int32_t x0, int32_t x1, int32_t y) {
    return take(Qz_CompositingPassSerial(), mode, x0, x1, y);
  }

  // The same with the pass serial given (tests; 0 is never continued).
  Held take(uint32_t serial, const void* mode, int32_t x0, int32_t x1, int32_t y) {
    Slots& slots = threadSlots();
    const uint64_t now = ++slots.clock;
    Slot* replace = nullptr;
    for (const std::unique_ptr<Slot>& p : slots.slots) {
      Slot& s = *p;
      if (s.held) continue;
      if (s.valid && serial != 0 && s.owner == this && s.mode == mode && s.serial == serial &&
          s.x0 == x0 && s.x1 == x1 && s.row == y - 1) {
        s.held = true;
        s.used = now;
        return Held(&s, false);
      }
      // Forgotten states go first, then the least recently used.
      if (!replace || (!s.valid && replace->valid) ||
          (s.valid == replace->valid && s.used < replace->used))
        replace = &s;
    }
    if (!replace || (replace->valid && slots.slots.size() < kSlots)) {
      // Some slots are still unmade, or every slot is held (fetches nested deeper than kSlots).
      slots.slots.push_back(std::make_unique<Slot>());
      replace = slots.slots.back().get();
    }
    replace->owner = this;
    replace->mode = mode;
    replace->serial = serial;
    replace->x0 = x0;
    replace->x1 = x1;
    replace->row = y - 1;
    replace->valid = false;
    replace->held = true;
    replace->used = now;
    return Held(replace, true);
  }

 private:
  struct Slots {
    std::vector<std::unique_ptr<Slot>> slots;
    uint64_t clock = 0;
  };
  // Per thread and State type; the owner in each slot tells two carries of one type apart.
  static Slots& threadSlots() {
    thread_local Slots slots;
    return slots;
  }
};

}  // namespace qz::modes
