// What the FreeType modules of host/fonts share: the one library object, the
// lock every face call takes, and fontconfig's choice of a face file.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

#include <mutex>
#include <string>

namespace qz::fonts {

std::mutex& freeTypeLock();
FT_Library freeTypeLibrary();  // nullptr when FreeType did not start

struct FaceStyle {
  bool bold = false, italic = false;
};
// The file and face index fontconfig offers for a family; false when none.
// With a style, asks for it and answers what the face found really is.
bool locateFace(const std::string& family, int pixelSize, std::string& file, int& index, std::string& found,
                FaceStyle* style);

}  // namespace qz::fonts
