// The frame shared by every action class built on RootAction: a class record
// whose objects hold a RootAction instance (made with the class's toolbar
// image and flags) and pass it every id they do not answer.
#include "actions/action_internal.h"

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
  if (c.registered && Qz_FindClassFromName(spec.name) == &c) return 1;
  c.registered = 0;
  c.name = spec.name;
  c.node.ln_Name = const_cast<char*>(spec.name);
  c.notice = spec.name;
  c.classId = spec.classId;
  c.version = 2;
  c.superClass = Qz_FindClassFromName("RootAction");
  if (!c.superClass) return 0;
  c.newObject = newAction;
  c.dispose = disposeAction;
  c.dispatch = spec.dispatch;
  c.methods = spec.methods;
  c.objectSize = spec.objectSize;
  c.reserved1 = reinterpret_cast<QzWord>(&spec);
  if (!Qz_AddClass(&c)) return 0;
  c.registered = 1;
  return 1;
}

void removeActionClass(Qz_Class& c) {
  if (!c.registered) return;
  Qz_RemoveClass(&c);
  c.registered = 0;
}

}  // namespace qz::actions
