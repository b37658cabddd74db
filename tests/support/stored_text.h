// An object stored as object text, for tests that compare or search it.
#pragma once

#include <string>

#include "objects/qz_object.h"

namespace qztest {

// The text the object writer makes of the object and its children; empty when it writes nothing.
std::string storedText(Qz_Object* object);

}  // namespace qztest
