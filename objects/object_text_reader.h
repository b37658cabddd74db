// The object-text reader, shared by the text entry points of object_text.cpp.
#pragma once

#include <cstddef>
#include <string>

#include "objects/qz_object.h"

namespace qz::objects {

// Builds the tree that the length bytes of text describe (a zero byte must
// follow them), compacting the text in place: string values point into it.
// The root, or NULL with report saying why; after success report lists what
// was skipped, "" when nothing was.
Qz_Object* readObjectText(char* text, std::size_t length, std::string& report);

}  // namespace qz::objects
