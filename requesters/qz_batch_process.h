// BatchProcess: the "Batch Convert" window. Its method ids and the seams
// through which it asks the user for files and a folder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "objects/qz_object.h"

inline constexpr uint32_t kBatchClassId = 0x570000;
inline constexpr uint32_t kBatchRun = 0x570046;           // the number of files converted; 0 when cancelled
inline constexpr uint32_t kBatchSetTitle = 0x570064;
inline constexpr uint32_t kBatchGetTitle = 0x57006E;
inline constexpr uint32_t kBatchAddFiles = 0x5700D2;
inline constexpr uint32_t kBatchRemoveSelected = 0x5700DC;
inline constexpr uint32_t kBatchClear = 0x5700E6;
inline constexpr uint32_t kBatchChooseFolder = 0x5700F0;

namespace qz::batch {

// Asks the user for files to add (full paths; none when cancelled).
using FileChooser = std::vector<std::string> (*)(Qz_Object* window);
// Asks for the output folder starting at start; empty when cancelled.
using FolderChooser = std::string (*)(Qz_Object* window, const std::string& start);
// Replaces the requesters (tests script them); null restores them.
QZ_EXPORT void setChoosers(FileChooser files, FolderChooser folder);

}  // namespace qz::batch

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitBatchProcessClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupBatchProcessClass(void);
QZ_EXTERN_C_END
