// The frame shared by every action class built on RootAction: a class record
// whose objects hold a RootAction instance (made with the class's toolbar
// image and flags) and pass it every id they do not answer.
#include "actions/action_internal.h"
#include "objects/qz_class_record.h"

namespace qz::actions {

namespace {

const ActionClassSpec* specOf(Qz_Class* objectClass) {
  return reinterpret_cast<const ActionClassSpec*>(objectClass->reserved1);
}

Qz_Object* newAction(Qz_Class* objectClass, const QzWord*) {
  const ActionClassSpec* spec = specOf(objectClass);
  Qz_Object* object = Qz_AllocObjectMem(objectClass);
  if (!object) return nullptr;
  object->super = Qz_CreateObject("RootAction", kActionToolbarImage, spec->toolbarImage,
                                  kActionSetFlags, spec->flags);
  if (!object->super) {
    Qz_FreeObjectMem(object);
    return nullptr;
  }
  object->super->owner = object;
  if (spec->setUp && !spec->setUp(object)) {
    Qz_DisposeObject(object->super);
    Qz_FreeObjectMem(object);
    return nullptr;
  }
  return object;
}

void disposeAction(Qz_Object* object) {
  const ActionClassSpec* spec = specOf(object->objectClass);
  if (spec->tearDown) spec->tearDown(object);
  Qz_DisposeObject(object->super);
  Qz_FreeObjectMem(object);
}

}  // namespace

QzWord registerActionClass(Qz_Class& c, const ActionClassSpec& spec) {
  const Qz_ClassSpec record = {spec.name,     spec.name,    spec.classId, "RootAction",
                               newAction,     disposeAction, spec.dispatch, spec.methods,
                               spec.objectSize, 0};
  if (!Qz_RegisterClassRecord(&c, &record)) return 0;
  // newAction and disposeAction find the action's own spec through the class.
  c.reserved1 = reinterpret_cast<QzWord>(&spec);
  return 1;
}

void removeActionClass(Qz_Class& c) { Qz_UnregisterClassRecord(&c); }

}  // namespace qz::actions
