// The work of a batch conversion: where each converted file goes, and the
// load-and-save loop with its progress and cancel.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "objects/qz_object.h"
#include "platform/qz_export.h"

namespace qz::batch {

// The output path of each source: the folder joined with the source's file
// name as rename gives it. A path that would be a source itself, or one an
// earlier source already takes, gets " (2)", " (3)"... before its extension,
// so no source is overwritten and no output overwrites another.
QZ_EXPORT std::vector<std::string> outputPaths(const std::vector<std::string>& sources, const std::string& folder,
                                               const std::function<std::string(const std::string&)>& rename);

// Told before each file (index from 0, count, the text to show); false stops.
using Progress = std::function<bool(uint32_t index, uint32_t count, const std::string& text)>;

// Loads each source and saves it in the format (format object optional) to
// its output path; a file that does not load is skipped. Returns the number
// of files written.
QZ_EXPORT uint32_t convertFiles(const std::vector<std::string>& sources, const std::string& folder,
                                const char* formatName, Qz_Object* format, const Progress& progress);

}  // namespace qz::batch
