// Pen-tablet samples to mouse messages with pressure. The host queues raw
// samples (desktop position, buttons, pressure); each tablet-capable mouse
// message takes what has queued since the last one.
#include "platform/tablet.h"

#include <algorithm>
#include <deque>

#include "host/host_backend.h"
#include "host/host_input.h"
#include "platform/windows_internal.h"

namespace qz::tablet {
namespace {

constexpr std::size_t kQueueSamples = 32;

struct State {
  bool present = false;
  Axis axis;
  std::deque<host::TabletSample> queue;
  bool haveLast = false;
  int32_t lastX = 0, lastY = 0;
  uint32_t lastPressure = 0, lastButtons = 0;
};

// Guarded by the desk lock, like the rest of the input logic.
State& state() {
  static State s;
  return s;
}

// a * b / c rounded to nearest, halves away from zero.
int64_t mulDiv(int64_t a, int64_t b, int64_t c) {
  const int64_t p = a * b;
  const int64_t q = (p >= 0 ? p + c / 2 : p - c / 2) / c;
  return q;
}

// The tablet message: the input message, its tablet block and a two-item tag list in one block.
struct TabletMessage {
  InputMessage message;
  QzTabletData tablet;
  TagItem tags[2];
};

}  // namespace

uint32_t scalePressure(const Axis& axis, uint32_t buttons, uint32_t raw) {
  const bool pressed = axis.pressButton < 32 && (buttons & (1u << axis.pressButton));
  const int64_t base = pressed ? axis.pressMark : axis.minimum;
  const int64_t range = static_cast<int64_t>(axis.maximum) - base;
  // A device reporting no range has only "touching" and "not touching".
  if (range <= 0) return pressed ? 255 : 0;
  return static_cast<uint32_t>(std::clamp<int64_t>(mulDiv(static_cast<int64_t>(raw) - base, 255, range), 0, 255));
}

}  // namespace qz::tablet

namespace qz::win {

bool tabletActive() { return tablet::state().present; }

void postTabletPackets(Window* w, uint32_t cls, uint16_t code, uint16_t qualifier) {
  tablet::State& s = tablet::state();
  if (s.queue.empty()) {
    postSimple(w, cls, code, qualifier);
    return;
  }
  std::deque<host::TabletSample> batch;
  batch.swap(s.queue);
  for (const host::TabletSample& p : batch) {
    if (p.buttons == 0) continue;  // hovering
    const int32_t x = p.x - w->LeftEdge, y = p.y - w->TopEdge;
    const uint32_t pressure = tablet::scalePressure(s.axis, p.buttons, p.pressure);
    if (s.haveLast && x == s.lastX && y == s.lastY && pressure == s.lastPressure) continue;
    s.haveLast = true;
    s.lastX = x;
    s.lastY = y;
    s.lastPressure = pressure;
    s.lastButtons = p.buttons;
    Forbid();
    if (cls == IDCMP_MOUSEMOVE) {
      for (Node* n = w->UserPort->mp_MsgList.lh_Head; n->ln_Succ; n = n->ln_Succ) {
        auto* queued = reinterpret_cast<InputMessage*>(n);
        if (queued->Class == IDCMP_MOUSEMOVE) {
          Remove(n);
          FreeVec(queued);
          break;
        }
      }
    }
    auto* m = static_cast<tablet::TabletMessage*>(AllocVec(sizeof(tablet::TabletMessage), MEMF_CLEAR));
    if (m) {
      m->message.ExecMessage.mn_Length = sizeof(tablet::TabletMessage);
      m->message.Class = cls;
      m->message.Code = code;
      m->message.Qualifier = qualifier;
      m->tags[0] = {QZ_TABLET_PRESSURE, static_cast<QzWord>(pressure) << 24};
      m->tags[1] = {TAG_DONE, 0};
      m->tablet.Tags = m->tags;
      m->tablet.Cursor = p.cursor;
      m->message.TabletData = &m->tablet;
      PutMsg(w->UserPort, &m->message.ExecMessage);
    }
    Permit();
  }
}

}  // namespace qz::win

namespace qz::host {

void setTabletAxis(bool present, int32_t minimum, int32_t maximum) {
  std::lock_guard<std::recursive_mutex> lock(win::desk().lock);
  tablet::State& s = tablet::state();
  s.present = present;
  s.axis = {minimum, maximum, minimum, 0};
  s.queue.clear();
  s.haveLast = false;
}

void tabletSample(const TabletSample& sample) {
  std::lock_guard<std::recursive_mutex> lock(win::desk().lock);
  tablet::State& s = tablet::state();
  if (!s.present) return;
  if (s.queue.size() == tablet::kQueueSamples) s.queue.pop_front();
  s.queue.push_back(sample);
}

}  // namespace qz::host

QZ_EXTERN_C_BEGIN

uintptr_t Qz__OpenTabletContext(void*) {
  std::lock_guard<std::recursive_mutex> lock(qz::win::desk().lock);
  return qz::tablet::state().present ? 1 : 0;
}

void Qz__ReadTabletCursorInfo(void) {}

uint32_t Qz__TabletPressure(uint32_t, uint32_t buttons, int32_t, int32_t, uint32_t normalPressure) {
  std::lock_guard<std::recursive_mutex> lock(qz::win::desk().lock);
  const qz::tablet::State& s = qz::tablet::state();
  return s.present ? qz::tablet::scalePressure(s.axis, buttons, normalPressure) : 0;
}

void Qz__PostTabletPackets(Window* window, uint32_t cls, uint16_t code, uint16_t qualifier) {
  if (!window) return;
  std::lock_guard<std::recursive_mutex> lock(qz::win::desk().lock);
  Forbid();
  qz::win::postTabletPackets(window, cls, code, qualifier);
  Permit();
}

QZ_EXTERN_C_END
