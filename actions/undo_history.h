// What the undo panel shows of a document's history: the steps that can be
// taken back, by name, and the memory the lists hold.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "image/qz_image.h"

namespace qz::actions {

struct HistoryEntry {
  Qz_Object* action;
  std::string name;
};

struct History {
  std::vector<HistoryEntry> entries;  // newest first
  uint64_t baseBytes = 0;             // summed over the whole list
  uint64_t totalBytes = 0;
};

// The undo (or redo) list of the image's document, newest first, down to
// the first action that cannot be undone, ending after the entry that takes
// the count past `lines`. Empty for a null image.
QZ_EXPORT History imageHistory(Qz_Image* image, bool redo, uint32_t lines);

// Asks every action of the image's undo list to give up the undo data it can
// do without (under the image's exclusive lock); false when refused.
QZ_EXPORT bool freeUndoMemory(Qz_Image* image);

}  // namespace qz::actions
