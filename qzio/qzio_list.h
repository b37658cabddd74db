// Reading the detection list of format names (see qzio_list.cpp).
#pragma once

#include <string>
#include <vector>

#include "platform/qz_export.h"

namespace qzio {

// The format names of a detection-list text, first to last.
QZ_EXPORT std::vector<std::string> ParseFormatList(const std::string& text);
// False when the file cannot be read (names untouched).
bool ReadFormatListFile(const std::string& path, std::vector<std::string>* names);
// Where "Data/..." files live: $QZ_DATA_DIR, else the program's folder.
std::string DataRoot();

}  // namespace qzio
