// Finding gadgets in a window's tree by class name (through the groups'
// member lists, which are read under the tree lock).
#pragma once

#include <vector>

#include "objects/qz_object.h"

namespace qztest {

// Every object below root (root included) made from the class, in tree order.
std::vector<Qz_Object*> FindAllOf(Qz_Object* root, const char* className);

}  // namespace qztest
