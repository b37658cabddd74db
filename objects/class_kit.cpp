// The class kit: class records made from declarations, the one creation and
// unwinding path, attribute rows and the superclass fallback.
#include "objects/qz_class_kit.h"

#include <algorithm>
#include <atomic>
#include <map>
#include <mutex>
#include <vector>

#include "objects/qz_class_record.h"
#include "objects/qz_notify.h"

namespace {

using qz::kit::Attribute;
using qz::kit::ClassDecl;
using qz::kit::FieldKind;

// The record of one declared class with its method table. Kept for the life
// of the process: objects made from a record may outlive its registration,
// and a class registered again reuses its record.
struct Qz__KitClass {
  Qz_Class record{};
  const ClassDecl* decl = nullptr;
  std::vector<Qz_Method> methods;
};

std::mutex gKitLock;

std::map<const ClassDecl*, Qz__KitClass*>& Qz__KitClasses() {
  static auto* classes = new std::map<const ClassDecl*, Qz__KitClass*>;
  return *classes;
}

const Qz__KitClass* Qz__KitClassOf(const Qz_Class* objectClass) {
  if (!objectClass) return nullptr;
  const auto* kit = reinterpret_cast<const Qz__KitClass*>(objectClass->reserved1);
  return kit && &kit->record == objectClass ? kit : nullptr;
}

// The description rows: the class's own, then two per stored attribute.
std::vector<Qz_Method> Qz__MethodTable(const ClassDecl& decl) {
  std::vector<Qz_Method> rows;
  for (const Qz_Method* m = decl.methods; m && m->id != 0; ++m) rows.push_back(*m);
  for (const Attribute& a : decl.attributes) {
    if (!a.setterName || !a.getterName || !a.getter) continue;
    rows.push_back({a.setter, a.setterName, kQzMethodSetter, a.getter, a.format, 0, nullptr, 0, 0});
    rows.push_back({a.getter, a.getterName, kQzMethodStoredGetter, a.setter, nullptr, 0, a.format, 0, 0});
  }
  rows.push_back({0, nullptr, 0, 0, nullptr, 0, nullptr, 0, 0});
  return rows;
}

// ---- attributes ------------------------------------------------------------

struct Qz__Range {
  int64_t minimum, maximum;
};

Qz__Range Qz__RangeOf(const Attribute& a) {
  if (a.minimum != 0 || a.maximum != 0) return {a.minimum, a.maximum};
  switch (a.field.kind) {
    case FieldKind::Int16: return {INT16_MIN, INT16_MAX};
    case FieldKind::Int32: return {INT32_MIN, INT32_MAX};
    case FieldKind::UInt32: return {0, UINT32_MAX};
    case FieldKind::Word: break;
  }
  return {0, 0};
}

void* Qz__FieldAddress(Qz_Object* object, const Attribute& a) {
  return reinterpret_cast<unsigned char*>(object) + a.field.offset;
}

// Fields are read and written atomically: renders read them on image threads.
template <class T>
std::atomic_ref<T> Qz__Slot(Qz_Object* object, const Attribute& a) {
  return std::atomic_ref<T>(*static_cast<T*>(Qz__FieldAddress(object, a)));
}

int64_t Qz__Load(Qz_Object* object, const Attribute& a) {
  switch (a.field.kind) {
    case FieldKind::Int16: return Qz__Slot<int16_t>(object, a).load();
    case FieldKind::Int32: return Qz__Slot<int32_t>(object, a).load();
    case FieldKind::UInt32: return Qz__Slot<uint32_t>(object, a).load();
    case FieldKind::Word: return int64_t(Qz__Slot<QzWord>(object, a).load());
  }
  return 0;
}

void Qz__Store(Qz_Object* object, const Attribute& a, int64_t value) {
  switch (a.field.kind) {
    case FieldKind::Int16: Qz__Slot<int16_t>(object, a).store(int16_t(value)); break;
    case FieldKind::Int32: Qz__Slot<int32_t>(object, a).store(int32_t(value)); break;
    case FieldKind::UInt32: Qz__Slot<uint32_t>(object, a).store(uint32_t(value)); break;
    case FieldKind::Word: Qz__Slot<QzWord>(object, a).store(QzWord(value)); break;
  }
}

// The argument word as the field's kind sees it: signed kinds read the low
// 32 bits with their sign, so -1 arrives as -1 and not as 4294967295.
int64_t Qz__ValueOf(const Attribute& a, QzWord word) {
  switch (a.field.kind) {
    case FieldKind::Int16:
    case FieldKind::Int32: return int32_t(uint32_t(word));
    case FieldKind::UInt32: return uint32_t(word);
    case FieldKind::Word: return int64_t(word);
  }
  return 0;
}

// Signed values travel as 32-bit words zero-extended, as every getter answers.
QzWord Qz__Answer(const Attribute& a, int64_t value) {
  if (a.field.kind == FieldKind::Word) return QzWord(value);
  return QzWord(uint32_t(value));
}

QzWord Qz__SetAttribute(Qz_Object* object, const Attribute& a, QzWord word) {
  int64_t value = Qz__ValueOf(a, word);
  const Qz__Range range = Qz__RangeOf(a);
  if (range.minimum < range.maximum) value = std::clamp(value, range.minimum, range.maximum);
  const QzWord answer = a.answersZero ? 0 : Qz__Answer(a, value);
  if (Qz__Load(object, a) == value) return answer;
  Qz__Store(object, a, value);
  Qz_DoNotify(object, a.setter, Qz__Answer(a, value));
  if (a.changed) a.changed(object);
  return answer;
}

void Qz__WriteDefaults(Qz_Object* object, const ClassDecl& decl) {
  for (const Attribute& a : decl.attributes)
    if (a.initial != 0) Qz__Store(object, a, a.initial);
}

// ---- creation and disposal -------------------------------------------------

Qz_Object* Qz__MakeSuper(Qz_Object* object, const ClassDecl& decl) {
  if (decl.makeSuper) return decl.makeSuper(object);
  if (!decl.superName) return nullptr;
  static const TagItem kNoTags[] = {{TAG_DONE, 0}};
  return Qz_CreateObjectA(decl.superName, decl.superTags ? decl.superTags : kNoTags);
}

// How far creation came; dispose is the same walk back from kSetUp.
enum Qz__Stage { kMemory, kConstructed, kSuperMade, kSetUp };

void Qz__Unwind(Qz_Object* object, const ClassDecl& decl, Qz__Stage reached) {
  if (reached >= kSetUp && decl.tearDown) decl.tearDown(object);
  if (reached >= kSuperMade) {
    Qz_DisposeObject(object->super);
    object->super = nullptr;
  }
  if (reached >= kConstructed && decl.instance.destroy) decl.instance.destroy(object);
  Qz_FreeObjectMem(object);
}

Qz_Object* Qz__NewObject(Qz_Class* objectClass, const QzWord* /*args*/) {
  const Qz__KitClass* kit = Qz__KitClassOf(objectClass);
  if (!kit) return nullptr;
  const ClassDecl& decl = *kit->decl;
  Qz_Object* object = Qz_AllocObjectMem(objectClass);
  if (!object) return nullptr;
  if (decl.instance.construct && !decl.instance.construct(object)) {
    Qz__Unwind(object, decl, kMemory);
    return nullptr;
  }
  Qz__WriteDefaults(object, decl);
  // Root and light records stand without a superclass instance.
  if (decl.superName || decl.makeSuper) {
    object->super = Qz__MakeSuper(object, decl);
    if (!object->super) {
      Qz__Unwind(object, decl, kConstructed);
      return nullptr;
    }
    object->super->owner = object;
  }
  if (decl.setUp && !decl.setUp(object)) {
    Qz__Unwind(object, decl, kSuperMade);
    return nullptr;
  }
  return object;
}

void Qz__DisposeObject(Qz_Object* object) {
  const Qz__KitClass* kit = Qz__KitClassOf(object->objectClass);
  if (!kit) return;
  if (kit->decl->deferDispose && kit->decl->deferDispose(object)) return;
  Qz__Unwind(object, *kit->decl, kSetUp);
}

}  // namespace

namespace qz::kit {

QzWord addClass(const ClassDecl& decl) {
  if (!decl.name || decl.instance.size < sizeof(Qz_Object)) return 0;
  std::lock_guard<std::mutex> lock(gKitLock);
  Qz__KitClass*& kit = Qz__KitClasses()[&decl];
  if (!kit) kit = new (std::nothrow) Qz__KitClass;
  if (!kit) return 0;
  if (kit->record.registered && Qz_FindClassFromName(decl.name) == &kit->record) return 1;
  kit->decl = &decl;
  try {
    if (kit->methods.empty()) kit->methods = Qz__MethodTable(decl);
  } catch (const std::bad_alloc&) {
    return 0;
  }
  const Qz_ClassSpec spec = {decl.name,
                             decl.notice ? decl.notice : decl.name,
                             decl.classId,
                             decl.superName,
                             Qz__NewObject,
                             Qz__DisposeObject,
                             decl.handler ? decl.handler : inherited,
                             kit->methods.data(),
                             decl.instance.size,
                             decl.classValue};
  if (!Qz_RegisterClassRecord(&kit->record, &spec)) return 0;
  // Lets a class record lead back to its declaration.
  kit->record.reserved1 = reinterpret_cast<QzWord>(kit);
  return 1;
}

void removeClass(const ClassDecl& decl) {
  std::lock_guard<std::mutex> lock(gKitLock);
  auto it = Qz__KitClasses().find(&decl);
  if (it != Qz__KitClasses().end()) Qz_UnregisterClassRecord(&it->second->record);
}

void finishDispose(Qz_Object* object) {
  const Qz__KitClass* kit = object ? Qz__KitClassOf(object->objectClass) : nullptr;
  if (kit) Qz__Unwind(object, *kit->decl, kSetUp);
}

const ClassDecl* declOf(const Qz_Class* objectClass) {
  const Qz__KitClass* kit = Qz__KitClassOf(objectClass);
  return kit ? kit->decl : nullptr;
}

QzWord inherited(Qz_Object* object, uint32_t id, const QzWord* args) {
  if (!object) return 0;
  if (const ClassDecl* decl = declOf(object->objectClass)) {
    for (const Attribute& a : decl->attributes) {
      if (id == a.setter) return Qz__SetAttribute(object, a, args ? args[0] : 0);
      if (a.getter != 0 && id == a.getter) return Qz__Answer(a, Qz__Load(object, a));
    }
  }
  return Qz_DoMethodA(object->super, id, args);
}

}  // namespace qz::kit
