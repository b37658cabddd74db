// Building a requester window's gadget tree step by step: each step adds to
// a parent and clears ok when its gadget could not be made, so a set-up
// checks once and the window disposes whatever was made.
#pragma once

#include "objects/qz_object.h"
#include "platform/qz_export.h"

namespace qz::requesters {

// Adds member to parent (when both exist); returns member.
QZ_EXPORT Qz_Object* addMember(Qz_Object* parent, Qz_Object* member, bool& ok);
// A button showing label, with an object name (how tests and scripts find
// it), a user data word and a weight of 100: equal weights share a row out
// exactly, where the default ones push the last button out of the window.
QZ_EXPORT Qz_Object* labelledButton(const char* label, const char* name, QzWord userData, bool& ok);

}  // namespace qz::requesters
