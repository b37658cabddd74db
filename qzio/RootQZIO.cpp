// RootQZIO and the format-class helper: the properties every format object
// keeps (capabilities, flags, options, extension, the buffer to save), the
// default answers to the format methods, and the one dispatcher all format
// classes share.
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <string>

#include "qzio/format_objects.h"
#include "qzio/qzio_internal.h"
#include "qzio/root_qzio.h"

namespace qzio {
namespace {

struct RootProps {
  uint32_t capabilities = 0;
  uint32_t flags = 0;
  QzWord spare = 0;
  Qz_Object* loadOptions = nullptr;  // owned
  Qz_Object* saveOptions = nullptr;  // owned
  const char* extension = nullptr;
  QZIO_ImageBuffer* saveBuffer = nullptr;
};

// RootQZIO's own answers; handled is false for ids it passes on.
QzWord RootMethod(RootProps& p, Qz_Object* self, uint32_t id, const QzWord* args, bool* handled) {
  *handled = true;
  const QzWord a = args ? args[0] : 0;
  switch (id) {
    case kQzioGetCapabilities: return p.capabilities;
    case kQzioSetCapabilities: return p.capabilities = static_cast<uint32_t>(a);
    case kQzioGetFlags: return p.flags;
    case kQzioSetFlags: return p.flags = static_cast<uint32_t>(a);
    case kQzioGetSpare: return p.spare;
    case kQzioSetSpare: return p.spare = a;
    case kQzioIdentify:
    case kQzioLoad: return kQzioNotHandled;
    case kQzioSave: return kQzioCannotSave;
    case kQzioSetLoadOptions:
      if (p.loadOptions != reinterpret_cast<Qz_Object*>(a)) DisposeObject(p.loadOptions);
      p.loadOptions = reinterpret_cast<Qz_Object*>(a);
      return a;
    case kQzioGetLoadOptions: return reinterpret_cast<QzWord>(p.loadOptions);
    case kQzioSetSaveOptions:
      if (p.saveOptions != reinterpret_cast<Qz_Object*>(a)) DisposeObject(p.saveOptions);
      p.saveOptions = reinterpret_cast<Qz_Object*>(a);
      return a;
    case kQzioGetSaveOptions: return reinterpret_cast<QzWord>(p.saveOptions);
    case kQzioGetExtension: return reinterpret_cast<QzWord>(p.extension);
    case kQzioSetExtension:
      p.extension = reinterpret_cast<const char*>(a);
      return a;
    case kQzioSetSaveBuffer:
      p.saveBuffer = reinterpret_cast<QZIO_ImageBuffer*>(a);
      return a;
    case kQzioGetSaveBuffer: return reinterpret_cast<QzWord>(p.saveBuffer);
    default:
      (void)self;
      *handled = false;
      return 0;
  }
}

// One format object: its class, its own state and the RootQZIO properties.
struct FormatInstance {
  const FormatClass* cls = nullptr;
  void* state = nullptr;
  RootProps root;
  Qz_Object* self = nullptr;

  FormatCall call() const { return FormatCall{self, state}; }
};

QzWord DispatchFormat(FormatInstance& inst, uint32_t id, const QzWord* args) {
  const FormatClass* cls = inst.cls;
  const FormatCall call = inst.call();
  QzWord answer = 0;
  if (cls->option && cls->option(call, id, args, &answer)) return answer;
  auto* header = reinterpret_cast<QZIO_Header*>(args ? args[0] : 0);
  switch (id) {
    case kQzioIdentify:
      if (cls->identify) return cls->identify(call, header);
      break;
    case kQzioLoad:
      if (cls->load) return cls->load(call, header);
      break;
    case kQzioSave:
      if (cls->save) return cls->save(call, header);
      break;
    case kQzioIdentifyOutermost:
      if (cls->identifyDirect) return cls->identifyDirect(call, header);
      // The outermost object of a directly driven format is itself.
      return DispatchFormat(inst, kQzioIdentify, args);
    case kQzioLoadOutermost:
      if (cls->loadDirect) return cls->loadDirect(call, header);
      return DispatchFormat(inst, kQzioLoad, args);
    default:
      break;
  }
  bool handled = false;
  const QzWord r = RootMethod(inst.root, inst.self, id, args, &handled);
  return handled ? r : 0;
}

FormatInstance* NewInstance(const FormatClass* cls) {
  auto* inst = new (std::nothrow) FormatInstance;
  if (!inst) return nullptr;
  inst->cls = cls;
  if (cls->stateSize) {
    inst->state = std::calloc(1, cls->stateSize);
    if (!inst->state) {
      delete inst;
      return nullptr;
    }
    if (cls->initState) cls->initState(inst->state);
  }
  inst->root.capabilities = cls->capabilities;
  inst->root.flags = cls->flags;
  inst->root.extension = cls->extension;
  // Options are optional: a panel that cannot be built leaves the format
  // working with its defaults.
  if (cls->buildSaveOptions) inst->root.saveOptions = cls->buildSaveOptions(inst->call());
  if (cls->buildLoadOptions) inst->root.loadOptions = cls->buildLoadOptions(inst->call());
  return inst;
}

void DeleteInstance(FormatInstance* inst) {
  if (!inst) return;
  DisposeObject(inst->root.loadOptions);
  DisposeObject(inst->root.saveOptions);
  if (inst->state) {
    if (inst->cls->freeState) inst->cls->freeState(inst->state);
    std::free(inst->state);
  }
  delete inst;
}

std::mutex gRegistryLock;
std::map<std::string, const FormatClass*>& Registry() {
  static auto* registry = new std::map<std::string, const FormatClass*>;
  return *registry;
}
bool gRootRegistered = false;

class DirectHandle : public FormatHandle {
 public:
  explicit DirectHandle(FormatInstance* inst) : inst_(inst) {}
  ~DirectHandle() override { DeleteInstance(inst_); }
  QzWord send(uint32_t id, QzWord argument) override {
    const QzWord args[8] = {argument};
    return DispatchFormat(*inst_, id, args);
  }
  Qz_Object* object() const override { return inst_->self; }

 private:
  FormatInstance* inst_;
};

}  // namespace

const FormatClass* FindFormatClass(const char* className) {
  if (!className) return nullptr;
  std::lock_guard<std::mutex> lock(gRegistryLock);
  auto it = Registry().find(className);
  return it == Registry().end() ? nullptr : it->second;
}

std::unique_ptr<FormatHandle> FormatHandle::Create(const std::string& className) {
  const FormatClass* cls = FindFormatClass(className.c_str());
  if (!cls) return nullptr;
  FormatInstance* inst = NewInstance(cls);
  if (!inst) return nullptr;
  return std::unique_ptr<FormatHandle>(new (std::nothrow) DirectHandle(inst));
}

std::unique_ptr<FormatHandle> FormatHandle::Borrow(Qz_Object*) { return nullptr; }

int32_t RegisterFormatClass(const FormatClass* cls, Qz_GlobalData*) {
  if (!cls || !cls->className) return 0;
  std::lock_guard<std::mutex> lock(gRegistryLock);
  if (!gRootRegistered) return 0;
  Registry()[cls->className] = cls;
  return 1;
}

void UnregisterFormatClass(const FormatClass* cls) {
  if (!cls || !cls->className) return;
  std::lock_guard<std::mutex> lock(gRegistryLock);
  auto it = Registry().find(cls->className);
  if (it != Registry().end() && it->second == cls) Registry().erase(it);
}

bool ReportProgress(QZIO_Header* header, uint32_t done, uint32_t total) {
  if (!header || !header->progress) return true;
  return SetProgress(header->progress, done, total);
}

}  // namespace qzio

QZ_EXTERN_C_BEGIN

int32_t Qz_InitRootQZIOClass(Qz_GlobalData*) {
  std::lock_guard<std::mutex> lock(qzio::gRegistryLock);
  qzio::gRootRegistered = true;
  return 1;
}

void Qz_CleanupRootQZIOClass(void) {
  std::lock_guard<std::mutex> lock(qzio::gRegistryLock);
  qzio::gRootRegistered = false;
}

QZ_EXTERN_C_END
