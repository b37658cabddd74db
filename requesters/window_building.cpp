#include "requesters/window_building.h"

#include "gadgets/qz_group.h"

namespace qz::requesters {

Qz_Object* addMember(Qz_Object* parent, Qz_Object* member, bool& ok) {
  if (!member) ok = false;
  else if (parent) Qz_DoMethod(parent, kGroupAddTail, member);
  return member;
}

Qz_Object* labelledButton(const char* label, const char* name, QzWord userData, bool& ok) {
  Qz_Object* button =
      Qz_CreateObject("Button", kRootSetObjectName, name, kRootSetUserData, userData, kRootSetWeight, 100);
  addMember(button, Qz_CreateObject("Text", kRootSetLabel, label), ok);
  if (!button) ok = false;
  return button;
}

}  // namespace qz::requesters
