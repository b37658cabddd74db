// App: a Group instance, a message port of the creating task, and the wait
// for the break signal that ends the application's run.
#include <cstring>

#include "objects/qz_class_kit.h"
#include "gadgets/qz_app.h"
#include "platform/exec.h"
#include "platform/windows.h"

namespace {

constexpr const char* kDefaultName = "Unnamed Qz App";

struct AppObject {
  Qz_Object header;
  Task* creator = nullptr;
  MsgPort* port = nullptr;
  MsgPort* portCopy = nullptr;
  int32_t value5 = 5;
  const char* title = kDefaultName;
  const char* secondName = kDefaultName;
  const char* thirdText = "";
  int32_t value3 = 3;
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
    default: return qz::kit::inherited(self, id, args);
  }
}

// The creating task's port; without a free signal bit the App is not made.
bool appSetUp(Qz_Object* object) {
  AppObject* a = asApp(object);
  a->port = CreateMsgPort();
  if (a->port == nullptr) return false;
  a->portCopy = a->port;
  a->creator = FindTask(nullptr);
  return true;
}

void appTearDown(Qz_Object* object) { DeleteMsgPort(asApp(object)->port); }

const qz::kit::ClassDecl kAppClass = {
    .name = "App", .superName = "Group", .classId = kAppClassId,
    .instance = qz::kit::instanceOf<AppObject>(), .handler = appDispatch, .setUp = appSetUp,
    .tearDown = appTearDown, .notice = "The application object", .classValue = 1};

}  // namespace

QZ_EXTERN_C_BEGIN
// The window services come up with the application class; the task
// services are already running once the object layer is open.
QZ_EXPORT QzWord Qz_InitAppClass(Qz_GlobalData*) {
  init_graphics();
  return qz::kit::addClass(kAppClass);
}
QZ_EXPORT void Qz_CleanupAppClass(void) { qz::kit::removeClass(kAppClass); }
QZ_EXTERN_C_END
