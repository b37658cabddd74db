// The text tool's font list, and the family it starts with: "Arial" when
// installed, else its usual stand-ins, else the first family listed.
#pragma once

#include <string>
#include <vector>

#include "platform/qz_export.h"

namespace qz::tools {

// The font list: each family once, in byte order.
QZ_EXPORT std::vector<std::string> textFamilyList(std::vector<std::string> families);
QZ_EXPORT std::string chooseTextFamily(const std::vector<std::string>& families);

}  // namespace qz::tools
