// RootQZIO and the format-class helper: the properties every format object
// keeps (capabilities, flags, options, extension, the buffer to save), the
// default answers to the format methods, and the one dispatcher all format
// classes share.
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <new>
#include <string>

#include "qzio/format_objects.h"
#include "qzio/qzio_internal.h"
#include "qzio/root_qzio.h"
#include "objects/qz_class_record.h"
#include "objects/qz_object.h"

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
QzWord RootMethod(RootProps& p, Qz_Object*, uint32_t id, const QzWord* args, bool* handled) {
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
      *handled = false;
      return 0;
  }
}

// A RootQZIO object: the object header and the properties.
struct RootQzioObject {
  Qz_Object header;
  RootProps props;
};

Qz_Class gRootQzioClass;
const Qz_Method kNoMethods[] = {{0, nullptr, 0, 0, nullptr, 0, nullptr, 0, 0}};

QzWord RootQzioDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  auto* r = reinterpret_cast<RootQzioObject*>(object);
  switch (id) {
    case kQzioIdentifyOutermost:
      return Qz_DoMethodA(Qz_GetTopMostObject(object), kQzioIdentify, args);
    case kQzioLoadOutermost:
      return Qz_DoMethodA(Qz_GetTopMostObject(object), kQzioLoad, args);
    default: {
      bool handled = false;
      const QzWord answer = RootMethod(r->props, object, id, args, &handled);
      return handled ? answer : Qz_DoMethodA(object->super, id, args);
    }
  }
}

Qz_Object* RootQzioNew(Qz_Class* cls, const QzWord*) {
  Qz_Object* object = Qz_AllocObjectMem(cls);
  if (!object) return nullptr;
  new (&reinterpret_cast<RootQzioObject*>(object)->props) RootProps;
  object->super = Qz_CreateObject("Root");
  if (!object->super) {
    Qz_FreeObjectMem(object);
    return nullptr;
  }
  return object;
}

void RootQzioDispose(Qz_Object* object) {
  auto* r = reinterpret_cast<RootQzioObject*>(object);
  Qz_DisposeObject(r->props.loadOptions);
  Qz_DisposeObject(r->props.saveOptions);
  r->props.loadOptions = r->props.saveOptions = nullptr;
  Qz_DisposeObject(object->super);
  Qz_FreeObjectMem(object);
}

// The class record of one format class, with the description it came from.
struct FormatRecord {
  Qz_Class record;  // first, so the record's address is this one's
  const FormatClass* spec;
};

// A format object: the header, its description and its own state.
struct FormatObject {
  Qz_Object header;
  const FormatClass* spec;
  void* state;
};

QzWord FormatDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  auto* f = reinterpret_cast<FormatObject*>(object);
  const FormatClass* cls = f->spec;
  const FormatCall call{object, f->state};
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
      break;
    case kQzioLoadOutermost:
      if (cls->loadDirect) return cls->loadDirect(call, header);
      break;
    default:
      break;
  }
  return Qz_DoMethodA(object->super, id, args);
}

Qz_Object* FormatNew(Qz_Class* cls, const QzWord*) {
  const FormatClass* spec = reinterpret_cast<FormatRecord*>(cls)->spec;
  Qz_Object* object = Qz_AllocObjectMem(cls);
  if (!object) return nullptr;
  auto* f = reinterpret_cast<FormatObject*>(object);
  f->spec = spec;
  if (spec->stateSize) {
    f->state = std::calloc(1, spec->stateSize);
    if (!f->state) {
      Qz_FreeObjectMem(object);
      return nullptr;
    }
    if (spec->initState) spec->initState(f->state);
  }
  // Options are optional: a panel that cannot be built leaves the format
  // working with its defaults.
  const FormatCall call{object, f->state};
  Qz_Object* saveOptions = spec->buildSaveOptions ? spec->buildSaveOptions(call) : nullptr;
  Qz_Object* loadOptions = spec->buildLoadOptions ? spec->buildLoadOptions(call) : nullptr;
  object->super = Qz_CreateObject("RootQZIO", kQzioSetCapabilities, spec->capabilities, kQzioSetFlags,
                                  spec->flags, kQzioSetExtension, spec->extension, kQzioSetSaveOptions,
                                  saveOptions, kQzioSetLoadOptions, loadOptions, TAG_DONE);
  if (!object->super) {
    Qz_DisposeObject(saveOptions);
    Qz_DisposeObject(loadOptions);
    if (f->state) {
      if (spec->freeState) spec->freeState(f->state);
      std::free(f->state);
    }
    Qz_FreeObjectMem(object);
    return nullptr;
  }
  return object;
}

void FormatDispose(Qz_Object* object) {
  auto* f = reinterpret_cast<FormatObject*>(object);
  Qz_DisposeObject(object->super);  // with the options it owns
  if (f->state) {
    if (f->spec->freeState) f->spec->freeState(f->state);
    std::free(f->state);
    f->state = nullptr;
  }
  Qz_FreeObjectMem(object);
}

std::mutex gRegistryLock;
struct Registered {
  const FormatClass* spec;
  FormatRecord* record;
};
std::map<std::string, Registered>& Registry() {
  static auto* registry = new std::map<std::string, Registered>;
  return *registry;
}
// Class records live as long as the process and are reused when a class is
// registered again: objects made from a record may outlive its class.
std::map<const FormatClass*, FormatRecord*>& Records() {
  static auto* records = new std::map<const FormatClass*, FormatRecord*>;
  return *records;
}

class ObjectHandle : public FormatHandle {
 public:
  ObjectHandle(Qz_Object* object, bool owned) : object_(object), owned_(owned) {}
  ~ObjectHandle() override {
    if (owned_) Qz_DisposeObject(object_);
  }
  QzWord send(uint32_t id, QzWord argument) override { return Qz_DoMethod(object_, id, argument); }
  Qz_Object* object() const override { return object_; }

 private:
  Qz_Object* object_;
  bool owned_;
};

}  // namespace

const FormatClass* FindFormatClass(const char* className) {
  if (!className) return nullptr;
  std::lock_guard<std::mutex> lock(gRegistryLock);
  auto it = Registry().find(className);
  return it == Registry().end() ? nullptr : it->second.spec;
}

std::unique_ptr<FormatHandle> FormatHandle::Create(const std::string& className) {
  Qz_Object* object = Qz_CreateObjectA(className.c_str(), nullptr);
  if (!object) return nullptr;
  auto* handle = new (std::nothrow) ObjectHandle(object, true);
  if (!handle) Qz_DisposeObject(object);
  return std::unique_ptr<FormatHandle>(handle);
}

std::unique_ptr<FormatHandle> FormatHandle::Borrow(Qz_Object* object) {
  if (!object) return nullptr;
  return std::unique_ptr<FormatHandle>(new (std::nothrow) ObjectHandle(object, false));
}

int32_t RegisterFormatClass(const FormatClass* cls, Qz_GlobalData*) {
  if (!cls || !cls->className) return 0;
  std::lock_guard<std::mutex> lock(gRegistryLock);
  if (!Qz_FindClassFromName("RootQZIO")) return 0;
  auto it = Registry().find(cls->className);
  if (it != Registry().end()) {
    if (it->second.spec != cls) return 0;
    // Still in the runtime's class list (the runtime may have been closed
    // and opened again since).
    if (Qz_FindClassFromName(cls->className) == &it->second.record->record) return 1;
    Registry().erase(it);
  }
  FormatRecord*& rec = Records()[cls];
  if (!rec) rec = new (std::nothrow) FormatRecord{};
  if (!rec) return 0;
  *rec = FormatRecord{};
  rec->spec = cls;
  const Qz_ClassSpec spec = {cls->className, "Image file format", cls->classIdField, "RootQZIO",
                             FormatNew, FormatDispose, FormatDispatch, kNoMethods,
                             sizeof(FormatObject), 0};
  if (!Qz_RegisterClassRecord(&rec->record, &spec)) return 0;
  Registry()[cls->className] = Registered{cls, rec};
  return 1;
}

void UnregisterFormatClass(const FormatClass* cls) {
  if (!cls || !cls->className) return;
  std::lock_guard<std::mutex> lock(gRegistryLock);
  auto it = Registry().find(cls->className);
  if (it == Registry().end() || it->second.spec != cls) return;
  Qz_UnregisterClassRecord(&it->second.record->record);
  Registry().erase(it);
}

bool ReportProgress(QZIO_Header* header, uint32_t done, uint32_t total) {
  if (!header || !header->progress) return true;
  return SetProgress(header->progress, done, total);
}

}  // namespace qzio

QZ_EXTERN_C_BEGIN

// The class holds the object runtime open (counted) while it is registered,
// so the formats work whoever opened the runtime first.
int32_t Qz_InitRootQZIOClass(Qz_GlobalData*) {
  using namespace qzio;
  Qz_Class& c = gRootQzioClass;
  if (c.registered) return 1;
  if (!Qz_Init()) return 0;
  static const Qz_ClassSpec spec = {"RootQZIO", "Base of the image file formats",
                                    kRootQzioClassId, "Root", RootQzioNew, RootQzioDispose,
                                    RootQzioDispatch, kNoMethods, sizeof(RootQzioObject), 0};
  if (!Qz_FindClassFromName("Root") || !Qz_RegisterClassRecord(&c, &spec)) {
    Qz_CleanUp();
    return 0;
  }
  return 1;
}

void Qz_CleanupRootQZIOClass(void) {
  using namespace qzio;
  if (!gRootQzioClass.registered) return;
  Qz_UnregisterClassRecord(&gRootQzioClass);
  Qz_CleanUp();
}

QZ_EXTERN_C_END
