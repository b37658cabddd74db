// What the chooser tests share: a recorder of the notifications a gadget
// fires (safe to read while a window thread fires them) and a locale maker.
#pragma once

#include <gtest/gtest.h>

#include <clocale>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "objects/qz_notify.h"
#include "objects/qz_root.h"

namespace qztest {

// A locale that is not installed is built into a temporary folder.
inline bool useLocale(const char* name) {
  if (std::setlocale(LC_NUMERIC, name)) return true;
  // Made once and kept: building it takes seconds.
  const std::string folder = testing::TempDir() + "qz_locales";
  setenv("LOCPATH", folder.c_str(), 1);
  if (std::setlocale(LC_NUMERIC, name)) return true;
  const std::string command = "mkdir -p '" + folder + "' && localedef -i de_DE -f UTF-8 '" + folder + "/" + name +
                              "' >/dev/null 2>&1";
  if (std::system(command.c_str()) != 0) return false;
  return std::setlocale(LC_NUMERIC, name) != nullptr;
}

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
