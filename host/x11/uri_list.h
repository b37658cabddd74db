// The text/uri-list a drag carries, turned into local file paths.
#pragma once

#include <string>
#include <vector>

#include "platform/qz_export.h"

namespace qz::x11 {

// One path per file: URI (file:///path or file://localhost/path), percent
// escapes decoded; comments, other schemes and other hosts are left out.
QZ_EXPORT std::vector<std::string> pathsFromUriList(const std::string& list);

}  // namespace qz::x11
