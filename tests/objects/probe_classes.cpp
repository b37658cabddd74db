#include "probe_classes.h"

#include <algorithm>

namespace qztest {

namespace {

struct ProbeObject {
  Qz_Object header;
  QzWord value;
};

const Qz_Method kProbeMethods[] = {
    {kProbeSetValue, "Qz_SetProbeValue", kQzMethodSetter, kProbeGetValue, "%ld", 0, nullptr, 0, 0},
    {kProbeGetValue, "Qz_GetProbeValue", kQzMethodStoredGetter, kProbeSetValue, nullptr, 0, "%ld", 0, 0},
    {kProbeAction, "Qz_ProbeAction", kQzMethodAction, 0, nullptr, 0, nullptr, 0, 0},
    {0, nullptr, 0, 0, nullptr, 0, nullptr, 0, 0},
};

ProbeClass* probeOf(Qz_Class* c) { return reinterpret_cast<ProbeClass*>(c); }

QzWord probeDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  ProbeClass* probe = probeOf(object->objectClass);
  {
    std::lock_guard<std::mutex> guard(probe->lock);
    probe->calls.push_back(ProbeCall{object, id, args[0], args[1]});
  }
  if (probe->onCall) probe->onCall(object, id, args);
  auto* p = reinterpret_cast<ProbeObject*>(object);
  switch (id) {
    case kProbeSetValue: p->value = args[0]; return 0;
    case kProbeGetValue: return p->value;
    default: return Qz_DoMethodA(object->super, id, args);
  }
}

Qz_Object* probeNew(Qz_Class* c, const QzWord* args) {
  (void)args;
  Qz_Object* object = Qz_AllocObjectMem(c);
  if (object == nullptr) return nullptr;
  object->super = Qz_CreateObject(probeOf(c)->superName.c_str());
  if (object->super == nullptr) {
    Qz_FreeObjectMem(object);
    return nullptr;
  }
  return object;
}

void probeDispose(Qz_Object* object) {
  Qz_DisposeObject(object->super);
  Qz_FreeObjectMem(object);
}

std::mutex gWarningLock;
std::vector<std::string> gWarnings;

QzWord recordWarning(const char* title, const char* text, uint32_t kind, Qz_Object* parent) {
  (void)kind;
  (void)parent;
  std::lock_guard<std::mutex> guard(gWarningLock);
  gWarnings.push_back(std::string(title) + "|" + text);
  return 1;
}

}  // namespace

ProbeClass::ProbeClass(const std::string& className, const std::string& superClassName)
    : name(className), superName(superClassName) {
  record.name = name.c_str();
  record.notice = "test probe";
  record.classId = kProbeClassId;
  record.version = 2;
  record.superClass = Qz_FindClassFromName(superName.c_str());
  record.newObject = probeNew;
  record.dispose = probeDispose;
  record.dispatch = probeDispatch;
  record.methods = kProbeMethods;
  record.objectSize = sizeof(ProbeObject);
  shadowed = Qz_FindClassFromName(name.c_str());
  if (shadowed != nullptr && shadowed->newObject == probeNew) shadowed = nullptr;  // probes may twin
  if (shadowed != nullptr) Qz_RemoveClass(shadowed);
  if (Qz_AddClass(&record) != 0) record.registered = 1;
}

ProbeClass::~ProbeClass() {
  if (record.registered) Qz_RemoveClass(&record);
  if (shadowed != nullptr) Qz_AddClass(shadowed);
}

std::vector<ProbeCall> ProbeClass::callsWithId(uint32_t id) {
  std::lock_guard<std::mutex> guard(lock);
  std::vector<ProbeCall> out;
  std::copy_if(calls.begin(), calls.end(), std::back_inserter(out),
               [id](const ProbeCall& c) { return c.id == id; });
  return out;
}

std::vector<uint32_t> ProbeClass::ids() {
  std::lock_guard<std::mutex> guard(lock);
  std::vector<uint32_t> out;
  for (const ProbeCall& c : calls) out.push_back(c.id);
  return out;
}

void ProbeClass::clear() {
  std::lock_guard<std::mutex> guard(lock);
  calls.clear();
}

WarningLog::WarningLog() {
  {
    std::lock_guard<std::mutex> guard(gWarningLock);
    gWarnings.clear();
  }
  Qz_GetGlobalData()->hooks.messageBox = recordWarning;
  Qz_GetGlobalData()->debug = 1;
}

WarningLog::~WarningLog() {
  Qz_GetGlobalData()->debug = 0;
  Qz_GetGlobalData()->hooks.messageBox = nullptr;
}

std::vector<std::string> WarningLog::texts() {
  std::lock_guard<std::mutex> guard(gWarningLock);
  return gWarnings;
}

}  // namespace qztest
