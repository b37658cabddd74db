// "Quillantrix -decrypt FILE": deciphers the file in place and says on
// stderr what was written and where its previous content is kept.
#pragma once

#include <string>

#include "platform/qz_export.h"

namespace qz::app {

// The process exit code: kExitOk or kExitFailure.
QZ_EXPORT int runDecrypt(const std::string& path);

}  // namespace qz::app
