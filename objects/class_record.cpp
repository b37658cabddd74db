// One place that turns a class declaration into a registered class record.
#include "objects/qz_class_record.h"

QZ_EXTERN_C_BEGIN

QZ_EXPORT QzWord Qz_RegisterClassRecord(Qz_Class* record, const Qz_ClassSpec* spec) {
  if (record == nullptr || spec == nullptr || spec->name == nullptr) return 0;
  if (record->registered && Qz_FindClassFromName(spec->name) == record) return 1;
  // A superclass registered later (or never) leaves the link NULL: create
  // functions make their superclass instance by name, not through this link.
  Qz_Class* super = spec->superName ? Qz_FindClassFromName(spec->superName) : nullptr;
  *record = Qz_Class{};
  record->name = spec->name;
  record->node.ln_Name = spec->name;
  record->notice = spec->notice;
  record->classId = spec->classId;
  record->version = 2;
  record->superClass = super;
  record->newObject = spec->newObject;
  record->dispose = spec->dispose;
  record->dispatch = spec->dispatch;
  record->methods = spec->methods;
  record->objectSize = spec->objectSize;
  record->classValue = spec->classValue;
  if (Qz_AddClass(record) == 0) return 0;
  record->registered = 1;
  return 1;
}

QZ_EXPORT void Qz_UnregisterClassRecord(Qz_Class* record) {
  if (record == nullptr || !record->registered) return;
  Qz_RemoveClass(record);
  record->registered = 0;
}

QZ_EXPORT Qz_Object* Qz_AllocObjectOver(Qz_Class* objectClass, const char* superName,
                                        const TagItem* tags) {
  static const TagItem kNoTags[] = {{TAG_DONE, 0}};
  Qz_Object* object = Qz_AllocObjectMem(objectClass);
  if (object == nullptr) return nullptr;
  object->super = Qz_CreateObjectA(superName, tags != nullptr ? tags : kNoTags);
  if (object->super == nullptr) {
    Qz_FreeObjectMem(object);
    return nullptr;
  }
  object->super->owner = object;
  return object;
}

QZ_EXTERN_C_END
