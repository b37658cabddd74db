// ShortcutKey: an editor row for one keyboard shortcut: the key, its
// qualifier, the method and its argument, and the object it is sent to.
#include <utility>

#include "gadgets/qz_group.h"
#include "gadgets/qz_popups.h"
#include "gadgets/qz_text_entry.h"
#include "objects/qz_class_kit.h"
#include "objects/qz_root.h"

namespace {

constexpr const char* kQualifiers[] = {"None", "Left Command", "Right Command", "Left Alt", "Right Alt", "Shift"};

struct Qz_ShortcutKeyObject {
  Qz_Object header;
  Qz_Object* key = nullptr;
  Qz_Object* qualifier = nullptr;
  Qz_Object* method = nullptr;
  Qz_Object* argument = nullptr;
  QzWord target = 0;
};

Qz_ShortcutKeyObject* Qz__Self(Qz_Object* o) { return qz::kit::self<Qz_ShortcutKeyObject>(o); }

QzWord Qz__ShortcutKeyDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  Qz_ShortcutKeyObject* s = Qz__Self(object);
  switch (id) {
    case kShortcutKeySetKey: return Qz_DoMethodA(s->key, kStringEditSetText, args);
    case kShortcutKeyGetKey: return Qz_DoMethod(s->key, kStringEditGetText);
    case kShortcutKeySetQualifier: return Qz_DoMethodA(s->qualifier, kPopUpListSetIndex, args);
    case kShortcutKeyGetQualifier: return Qz_DoMethod(s->qualifier, kPopUpListGetIndex);
    case kShortcutKeySetMethod: return Qz_DoMethodA(s->method, kStringEditSetText, args);
    case kShortcutKeyGetMethod: return Qz_DoMethod(s->method, kStringEditGetText);
    case kRootStoreChildren: return 1;  // the row is made here, not stored
    default: return qz::kit::inherited(object, id, args);
  }
}

const qz::kit::Attribute kShortcutKeyAttributes[] = {
    {.setter = kShortcutKeySetTarget, .getter = kShortcutKeyGetTarget, .field = qz::kit::field(&Qz_ShortcutKeyObject::target)},
};

Qz_Object* Qz__MakeRow(Qz_Object*) { return Qz_CreateObject("Group", kGroupSetMode, 2); }

bool Qz__SetUp(Qz_Object* object) {
  Qz_ShortcutKeyObject* s = Qz__Self(object);
  s->key = Qz_CreateObject("StringEdit", kStringEditSetMaxLength, 3);
  s->qualifier = Qz_CreateObject("PopUpList");
  s->method = Qz_CreateObject("StringEdit");
  s->argument = Qz_CreateObject("StringEdit");
  if (!s->key || !s->qualifier || !s->method || !s->argument) {
    for (Qz_Object* o : {s->key, s->qualifier, s->method, s->argument}) Qz_DisposeObject(o);
    return false;
  }
  for (const char* q : kQualifiers) Qz_DoMethod(s->qualifier, kGroupAddTail, Qz_CreateObject("Text", kRootSetLabel, q));
  Qz_Object* row = object->super;
  const std::pair<const char*, Qz_Object*> parts[] = {
      {" Shortcut Key: ", s->key}, {" Qualifier: ", s->qualifier}, {" Method: ", s->method}, {" Argument: ", s->argument}};
  for (const auto& [label, field] : parts) {
    Qz_DoMethod(row, kGroupAddTail, Qz_CreateObject("Text", kRootSetLabel, label));
    Qz_DoMethod(row, kGroupAddTail, field);
  }
  Qz_DoMethod(s->qualifier, kPopUpListSetIndex, 0);
  return true;
}

const qz::kit::ClassDecl kShortcutKey = {
    .name = "ShortcutKey", .superName = "Group", .classId = kShortcutKeyClassId,
    .instance = qz::kit::instanceOf<Qz_ShortcutKeyObject>(), .handler = Qz__ShortcutKeyDispatch,
    .attributes = kShortcutKeyAttributes, .makeSuper = Qz__MakeRow, .setUp = Qz__SetUp,
    .notice = "Editor row for one keyboard shortcut"};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitShortcutKeyClass(Qz_GlobalData*) { return qz::kit::addClass(kShortcutKey); }
QZ_EXPORT void Qz_CleanupShortcutKeyClass(void) { qz::kit::removeClass(kShortcutKey); }
QZ_EXTERN_C_END
