// App: a Group instance, a message port of the creating task, and the wait
// for the break signal that ends the application's run.
#include <cstring>

#include "objects/qz_class_record.h"
#include "gadgets/qz_app.h"
#include "platform/exec.h"
#include "platform/windows.h"

namespace {

const Qz_Method kAppMethods[] = {
    {0, nullptr, 0, 0, nullptr, 0, nullptr, 0, 0},
};

Qz_Class gAppClass;

constexpr const char* kDefaultName = "Unnamed Qz App";

struct AppObject {
  Qz_Object header;
  Task* creator;
  MsgPort* port;
  MsgPort* portCopy;
  int32_t value5;
  const char* title;
  const char* secondName;
  const char* thirdText;
  int32_t value3;
};

AppObject* asApp(Qz_Object* o) { return reinterpret_cast<AppObject*>(o); }

QzWord appOpen(Qz_Object* self, const QzWord* args) {
  AppObject* a = asApp(self);
  Qz_DoMethodA(self->super, kRootOpen, args);
  // Only the break signal ends the run: other signals that reach this task
  // meanwhile (ports, semaphores) stay pending for their owners.
  if (FindTask(nullptr) == a->creator) {
    while ((Wait(SIGBREAKF_CTRL_C) & SIGBREAKF_CTRL_C) == 0) {
    }
  }
  Qz_DoMethod(self->super, kRootClose);
  return 0;
}

QzWord appDispatch(Qz_Object* self, uint32_t id, const QzWord* args) {
  AppObject* a = asApp(self);
  switch (id) {
    case kAppSetTitle: a->title = reinterpret_cast<const char*>(args[0]); return 0;
    case kAppSetSecondName: a->secondName = reinterpret_cast<const char*>(args[0]); return 0;
    case kAppSetThirdText: a->thirdText = reinterpret_cast<const char*>(args[0]); return 0;
    case kAppSetValue: a->value3 = static_cast<int32_t>(args[0] & 0xFFFF) * 3; return 0;
    case kRootOpen: return appOpen(self, args);
    case kRootClose: Signal(a->creator, SIGBREAKF_CTRL_C); return 0;
    default: return Qz_DoMethodA(self->super, id, args);
  }
}

Qz_Object* appNew(Qz_Class* objectClass, const QzWord* args) {
  (void)args;
  Qz_Object* object = Qz_AllocObjectMem(objectClass);
  if (object == nullptr) return nullptr;
  object->super = Qz_CreateObject("Group");
  if (object->super == nullptr) {
    Qz_FreeObjectMem(object);
    return nullptr;
  }
  AppObject* a = asApp(object);
  a->port = CreateMsgPort();
  if (a->port == nullptr) {
    Qz_DisposeObject(object->super);
    Qz_FreeObjectMem(object);
    return nullptr;
  }
  a->portCopy = a->port;
  a->creator = FindTask(nullptr);
  a->value5 = 5;
  a->title = kDefaultName;
  a->secondName = kDefaultName;
  a->thirdText = "";
  a->value3 = 3;
  return object;
}

void appDispose(Qz_Object* object) {
  AppObject* a = asApp(object);
  Qz_DisposeObject(object->super);
  DeleteMsgPort(a->port);
  Qz_FreeObjectMem(object);
}

}  // namespace

QzWord Qz_InitAppClass(Qz_GlobalData* globalData) {
  (void)globalData;
  // The window services come up with the application class; the task
  // services are already running once the object layer is open.
  init_graphics();
  static const Qz_ClassSpec spec = {
      "App", "The application object", kAppClassId, "Group",
      appNew, appDispose, appDispatch, kAppMethods,
      sizeof(AppObject), 1};
  return Qz_RegisterClassRecord(&gAppClass, &spec);
}

void Qz_CleanupAppClass(Qz_GlobalData* globalData) {
  (void)globalData;
  Qz_UnregisterClassRecord(&gAppClass);
}
