// Loading and saving when the caller names no file: the file requester asks
// the user, and the image base remembers the folders and names chosen.
#pragma once

#include <cstdint>
#include <string>

#include "image/qz_image.h"

namespace qz {

// Asks for files to open (several at once) and loads each in list order;
// the image of the last one, or NULL when cancelled or none loaded.
Qz_Image* loadChosenFiles(const char* secondName, Qz_Object* format, uint32_t flags, const TagItem* tags);

// Where a save goes once the user has chosen.
struct SaveTarget {
  std::string path;
  std::string formatName;
  Qz_Object* format = nullptr;   // the options' format object, owned by options
  Qz_Object* options = nullptr;  // the format options shown in the requester
  SaveTarget() = default;
  SaveTarget(const SaveTarget&) = delete;
  SaveTarget& operator=(const SaveTarget&) = delete;
  ~SaveTarget();
};

// Asks for the name to save the image under, starting from the file part
// of startName in the save folder, and asks before replacing a file.
// False when nothing is to be written.
bool chooseSaveTarget(const std::string& startName, const char* formatName, SaveTarget& target);

}  // namespace qz
