// Records the values a notification fires with, from whatever thread fires it.
#pragma once

#include <mutex>
#include <utility>
#include <vector>

#include "objects/qz_notify.h"

namespace qztest {

struct FiredValues {
  std::mutex lock;
  std::vector<uint32_t> values;
  static void record(QzWord self, Qz_Object*, uint32_t, const QzWord* words) {
    auto* f = reinterpret_cast<FiredValues*>(self);
    std::lock_guard<std::mutex> g(f->lock);
    f->values.push_back(uint32_t(words[0]));
  }
  // The values fired since the last take.
  std::vector<uint32_t> take() {
    std::lock_guard<std::mutex> g(lock);
    return std::exchange(values, {});
  }
  void watch(Qz_Object* o, uint32_t id) {
    Qz_AddCallBackNotify(o, id, kNotifyAnyValue, record, reinterpret_cast<QzWord>(this));
  }
};

}  // namespace qztest
