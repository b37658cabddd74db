// Records the notifications a gadget fires (method and first word), safe to
// read from the test thread while a window thread fires them.
#pragma once

#include <cstdint>
#include <mutex>
#include <utility>
#include <vector>

#include "objects/qz_notify.h"
#include "objects/qz_root.h"

namespace qztest {

class Recorder {
 public:
  void watch(Qz_Object* source, uint32_t method) {
    Qz_AddCallBackNotify(source, method, kNotifyAnyValue, note, reinterpret_cast<QzWord>(this));
  }
  std::vector<std::pair<uint32_t, QzWord>> fired() {
    std::lock_guard<std::mutex> g(lock_);
    return fired_;
  }
  std::vector<QzWord> values(uint32_t method) {
    std::vector<QzWord> out;
    for (const auto& [m, v] : fired())
      if (m == method) out.push_back(v);
    return out;
  }
  void clear() {
    std::lock_guard<std::mutex> g(lock_);
    fired_.clear();
  }

 private:
  static void note(QzWord user, Qz_Object*, uint32_t method, const QzWord* value) {
    auto* r = reinterpret_cast<Recorder*>(user);
    std::lock_guard<std::mutex> g(r->lock_);
    r->fired_.emplace_back(method, value[0]);
  }
  std::mutex lock_;
  std::vector<std::pair<uint32_t, QzWord>> fired_;
};

}  // namespace qztest
