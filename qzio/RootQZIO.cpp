// RootQZIO and the format family over the class kit: the properties every
// format object keeps (capabilities, flags, options, extension, the buffer to
// save), the default answers to the format methods, and the one handler,
// superclass part and option rows all format classes share.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <new>
#include <set>
#include <string_view>

#include "qzio/format_objects.h"
#include "qzio/qzio_internal.h"
#include "qzio/root_qzio.h"
#include "objects/qz_class_kit.h"
#include "objects/qz_object.h"

namespace qzio {
namespace {

// ---- RootQZIO ----------------------------------------------------------------

struct RootProps {
  uint32_t capabilities = 0;
  uint32_t flags = 0;
  QzWord spare = 0;
  Qz_Object* loadOptions = nullptr;  // owned
  Qz_Object* saveOptions = nullptr;  // owned
  const char* extension = nullptr;
  QZIO_ImageBuffer* saveBuffer = nullptr;
};

// A RootQZIO object: the object header and the properties.
struct RootQzioObject {
  Qz_Object header;
  RootProps props;
};

const qz::kit::Attribute kRootQzioAttributes[] = {
    {.setter = kQzioSetCapabilities, .getter = kQzioGetCapabilities,
     .field = qz::kit::field(&RootQzioObject::props, &RootProps::capabilities)},
    {.setter = kQzioSetFlags, .getter = kQzioGetFlags,
     .field = qz::kit::field(&RootQzioObject::props, &RootProps::flags)},
    {.setter = kQzioSetSpare, .getter = kQzioGetSpare,
     .field = qz::kit::field(&RootQzioObject::props, &RootProps::spare)},
    {.setter = kQzioSetExtension, .getter = kQzioGetExtension,
     .field = qz::kit::field(&RootQzioObject::props, &RootProps::extension)},
    {.setter = kQzioSetSaveBuffer, .getter = kQzioGetSaveBuffer,
     .field = qz::kit::field(&RootQzioObject::props, &RootProps::saveBuffer)},
};

// The options objects are owned: a new one replaces (and disposes) the old.
QzWord Qz__TakeOptions(Qz_Object*& slot, QzWord word) {
  auto* options = reinterpret_cast<Qz_Object*>(word);
  if (slot != options) DisposeObject(slot);
  slot = options;
  return word;
}

QzWord Qz__RootQzioDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  RootProps& p = qz::kit::self<RootQzioObject>(object)->props;
  const QzWord a = args ? args[0] : 0;
  switch (id) {
    case kQzioIdentifyOutermost:
      return Qz_DoMethodA(Qz_GetTopMostObject(object), kQzioIdentify, args);
    case kQzioLoadOutermost: return Qz_DoMethodA(Qz_GetTopMostObject(object), kQzioLoad, args);
    case kQzioIdentify:
    case kQzioLoad: return kQzioNotHandled;
    case kQzioSave: return kQzioCannotSave;
    case kQzioSetLoadOptions: return Qz__TakeOptions(p.loadOptions, a);
    case kQzioGetLoadOptions: return reinterpret_cast<QzWord>(p.loadOptions);
    case kQzioSetSaveOptions: return Qz__TakeOptions(p.saveOptions, a);
    case kQzioGetSaveOptions: return reinterpret_cast<QzWord>(p.saveOptions);
    default: return qz::kit::inherited(object, id, args);
  }
}

void Qz__DisposeRootQzio(Qz_Object* object) {
  RootProps& p = qz::kit::self<RootQzioObject>(object)->props;
  Qz_DisposeObject(p.loadOptions);
  Qz_DisposeObject(p.saveOptions);
  p.loadOptions = p.saveOptions = nullptr;
}

const qz::kit::ClassDecl kRootQzio = {
    .name = "RootQZIO", .superName = "Root", .classId = kRootQzioClassId,
    .instance = qz::kit::instanceOf<RootQzioObject>(), .handler = Qz__RootQzioDispatch,
    .attributes = kRootQzioAttributes, .tearDown = Qz__DisposeRootQzio,
    .notice = "Base of the image file formats"};

// RootQZIO holds the object runtime open (counted) while it is registered,
// so the formats work whoever opened the runtime first.
bool gHoldsRuntime = false;

// ---- the format classes -----------------------------------------------------

// A format object: the header, its description and its own state.
struct FormatObject {
  Qz_Object header;
  const FormatClass* spec = nullptr;
  void* state = nullptr;  // stateSize bytes, zeroed
  bool saveOptionsAsked = false;
  ~FormatObject() {
    if (!state) return;
    if (spec->freeState) spec->freeState(state);
    std::free(state);
  }
};

QzWord Qz__FormatDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  auto* f = qz::kit::self<FormatObject>(object);
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
    case kQzioGetSaveOptions:
      // Built when first asked for, once the object is whole: most format
      // objects only load and never show them.
      if (cls->buildSaveOptions && !f->saveOptionsAsked) {
        f->saveOptionsAsked = true;
        if (Qz_Object* options = cls->buildSaveOptions(call)) Qz_DoMethod(object->super, kQzioSetSaveOptions, options);
      }
      break;
    default:
      break;
  }
  return qz::kit::inherited(object, id, args);
}

// The state, the options and the RootQZIO part made with the class's
// properties. What is made before a failure goes with the object (the
// state with its destructor, the options here).
Qz_Object* Qz__MakeFormatPart(Qz_Object* object) {
  auto* f = qz::kit::self<FormatObject>(object);
  const auto* spec = static_cast<const FormatClass*>(qz::kit::declOf(object)->family);
  f->spec = spec;
  if (spec->stateSize) {
    f->state = std::calloc(1, spec->stateSize);
    if (!f->state) return nullptr;
    if (spec->initState) spec->initState(f->state);
  }
  // Options are optional: a panel that cannot be built leaves the format
  // working with its defaults. The save options wait until they are asked for.
  const FormatCall call{object, f->state};
  Qz_Object* loadOptions = spec->buildLoadOptions ? spec->buildLoadOptions(call) : nullptr;
  Qz_Object* root = Qz_CreateObject("RootQZIO", kQzioSetCapabilities, spec->capabilities, kQzioSetFlags,
                                    spec->flags, kQzioSetExtension, spec->extension, kQzioSetLoadOptions,
                                    loadOptions, TAG_DONE);
  if (!root) Qz_DisposeObject(loadOptions);
  return root;
}

bool Qz__IsFormatDecl(const qz::kit::ClassDecl* decl) {
  return decl && decl->handler == Qz__FormatDispatch;
}

std::mutex gRegistryLock;

// The class declaration made for each format description. Kept for the life
// of the process: objects made from a class may outlive its registration.
std::map<const FormatClass*, qz::kit::ClassDecl>& Qz__Declarations() {
  static auto* declarations = new std::map<const FormatClass*, qz::kit::ClassDecl>;
  return *declarations;
}

// The descriptions registered and not removed since; a description may go
// once removed (a test's own), so only these are ever read.
std::set<const FormatClass*>& Qz__Registered() {
  static auto* registered = new std::set<const FormatClass*>;
  return *registered;
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
  const qz::kit::ClassDecl* decl = qz::kit::declOf(Qz_FindClassFromName(className));
  return Qz__IsFormatDecl(decl) ? static_cast<const FormatClass*>(decl->family) : nullptr;
}

std::vector<std::string> RegisteredFormatNames(FormatUse use, const std::vector<std::string>& first) {
  std::vector<std::string> others;
  std::vector<std::string> offered;
  {
    std::lock_guard<std::mutex> lock(gRegistryLock);
    for (const FormatClass* cls : Qz__Registered()) {
      if (FindFormatClass(cls->className) != cls) continue;  // the object system let it go
      if (!(cls->flags & kQzioFlagFile) || !(use == FormatUse::Loading ? cls->load : cls->save)) continue;
      const std::string_view name(cls->className);
      if (name.size() > 4 && name.ends_with("QZIO")) others.emplace_back(name.substr(0, name.size() - 4));
    }
  }
  std::sort(others.begin(), others.end());
  for (const std::string& name : first) {
    auto it = std::find(others.begin(), others.end(), name);
    if (it == others.end()) continue;
    offered.push_back(name);
    others.erase(it);
  }
  offered.insert(offered.end(), others.begin(), others.end());
  return offered;
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

QzWord RegisterFormatClass(const FormatClass* cls, Qz_GlobalData*) {
  if (!cls || !cls->className) return 0;
  std::lock_guard<std::mutex> lock(gRegistryLock);
  if (!Qz_FindClassFromName("RootQZIO")) return 0;
  // A name already taken by another class is refused.
  if (Qz_Class* taken = Qz_FindClassFromName(cls->className))
    if (qz::kit::declOf(taken) == nullptr || qz::kit::declOf(taken)->family != cls) return 0;
  auto [it, made] = Qz__Declarations().try_emplace(cls);
  if (made) {
    it->second = qz::kit::ClassDecl{
        .name = cls->className, .superName = "RootQZIO", .classId = cls->classIdField,
        .instance = qz::kit::instanceOf<FormatObject>(), .handler = Qz__FormatDispatch,
        .makeSuper = Qz__MakeFormatPart, .family = cls, .notice = "Image file format"};
  }
  const QzWord added = qz::kit::addClass(it->second);
  if (added) Qz__Registered().insert(cls);
  return added;
}

void UnregisterFormatClass(const FormatClass* cls) {
  if (!cls) return;
  std::lock_guard<std::mutex> lock(gRegistryLock);
  auto it = Qz__Declarations().find(cls);
  if (it != Qz__Declarations().end()) qz::kit::removeClass(it->second);
  Qz__Registered().erase(cls);
}

bool answerOptionRows(std::span<const FormatOptionRow> rows, uint32_t id, const QzWord* args,
                      QzWord* answer) {
  for (const FormatOptionRow& row : rows) {
    if (id == row.setter) {
      const auto given = static_cast<int32_t>(args ? args[0] : 0);
      const int32_t value =
          row.isSwitch ? (given != 0 ? 1 : 0) : std::clamp(given, row.minimum, row.maximum);
      row.value->store(value, std::memory_order_relaxed);
      *answer = static_cast<uint32_t>(value);
      return true;
    }
    if (id == row.getter) {
      *answer = static_cast<uint32_t>(row.value->load(std::memory_order_relaxed));
      return true;
    }
  }
  return false;
}

bool ReportProgress(QZIO_Header* header, uint32_t done, uint32_t total) {
  if (!header || !header->progress) return true;
  return SetProgress(header->progress, done, total);
}

}  // namespace qzio

QZ_EXTERN_C_BEGIN

QZ_EXPORT QzWord Qz_InitRootQZIOClass(Qz_GlobalData*) {
  using namespace qzio;
  if (gHoldsRuntime) return 1;
  if (!Qz_Init()) return 0;
  if (!Qz_FindClassFromName("Root") || !qz::kit::addClass(kRootQzio)) {
    Qz_CleanUp();
    return 0;
  }
  gHoldsRuntime = true;
  return 1;
}

QZ_EXPORT void Qz_CleanupRootQZIOClass(void) {
  using namespace qzio;
  if (!gHoldsRuntime) return;
  qz::kit::removeClass(kRootQzio);
  gHoldsRuntime = false;
  Qz_CleanUp();
}

QZ_EXTERN_C_END
