// The family a new text box starts with: "Arial" when installed, else its
// usual stand-ins, else the first family listed.
#pragma once

#include <string>
#include <vector>

#include "platform/qz_export.h"

namespace qz::tools {

QZ_EXPORT std::string chooseTextFamily(const std::vector<std::string>& families);

}  // namespace qz::tools
