// Saving through the PostScript writer. The options panel that would set
// the page is not built yet: the defaults (Letter, 10 mm borders, fitted)
// are the settings in force.
#include "qzio/postscript_save.h"

#include "qzio/codec_postscript.h"
#include "qzio/whole_file_format.h"

namespace qz::codec {

uint32_t savePostScript(QZIO_Header* header, bool encapsulated) {
  PostScriptSettings settings;
  settings.encapsulated = encapsulated;
  if (header->fileName) settings.title = header->fileName;
  return saveWholeFile(header, [&](uint32_t width, uint32_t height, uint32_t depth, PixelRows& rows,
                                   std::vector<uint8_t>& out) {
    return postScriptEncode(width, height, depth, rows, settings, out);
  });
}

}  // namespace qz::codec
