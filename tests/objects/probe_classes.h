// Small classes written for the object-layer tests: a probe that records
// every call it receives and passes it on, optionally built on a LinkedList
// so it can own children.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "objects/qz_linked_list.h"
#include "objects/qz_object.h"

namespace qztest {

inline constexpr uint32_t kProbeClassId = 0x990000;
inline constexpr uint32_t kProbeSetValue = 0x99000A;
inline constexpr uint32_t kProbeGetValue = 0x990014;
inline constexpr uint32_t kProbeAction = 0x99001E;

struct ProbeCall {
  Qz_Object* object;  // the probe instance that received it
  uint32_t id;
  QzWord arg0;
  QzWord arg1;
};

// A registered probe class. Qz_Class comes first so a class pointer leads
// back to its probe.
struct ProbeClass {
  Qz_Class record{};
  std::string name;
  std::string superName;
  std::mutex lock;
  std::vector<ProbeCall> calls;
  // Runs inside every call the probe receives, before it is passed on.
  std::function<void(Qz_Object*, uint32_t, const QzWord*)> onCall;
  // A built-in class of the same name, taken out of the class list while
  // the probe stands in for it.
  Qz_Class* shadowed = nullptr;

  ProbeClass(const std::string& className, const std::string& superClassName = "Root");
  ~ProbeClass();
  ProbeClass(const ProbeClass&) = delete;
  ProbeClass& operator=(const ProbeClass&) = delete;

  std::vector<ProbeCall> callsWithId(uint32_t id);
  std::vector<uint32_t> ids();
  void clear();
  int32_t live() const { return record.liveCount; }
};

// Qz_Init for the test's lifetime; Qz_CleanUp after.
class ObjectSystem {
 public:
  ObjectSystem() { Qz_Init(); }
  ~ObjectSystem() {
    Qz_GlobalData* g = Qz_GetGlobalData();
    g->debug = 0;
    g->hooks = Qz_ObjectHooks{};
    Qz_CleanUp();
  }
};

// Collects the runtime's warning boxes while installed.
class WarningLog {
 public:
  WarningLog();
  ~WarningLog();
  static std::vector<std::string> texts();
};

}  // namespace qztest
