// XPMQZIO: X pixmaps, XPM3 and XPM1, in true colour; saves XPM3 with the
// picture's own colours, or a dithered 3-3-2 palette past 256 of them, the
// array named after the file.
#include "qzio/codec_xpm.h"
#include "qzio/root_qzio.h"
#include "qzio/whole_file_format.h"

namespace {

using namespace qz::codec;

uint32_t Qz__XpmIdentify(const qzio::FormatCall&, QZIO_Header* header) { return identifyFromProbe(header, xpmIdentify); }

uint32_t Qz__XpmLoad(const qzio::FormatCall&, QZIO_Header* header) { return loadWholeFile(header, xpmIdentify, xpmDecode); }

uint32_t Qz__XpmSave(const qzio::FormatCall&, QZIO_Header* header) {
  const std::string_view name = header->fileName ? header->fileName : "picture";
  return saveWholeFile(header, [name](uint32_t width, uint32_t height, uint32_t depth, PixelRows& rows,
                                      std::vector<uint8_t>& out) {
    return xpmEncode(width, height, depth, name, rows, out);
  });
}

const qzio::FormatClass kXpmClass = {
    .className = "XPMQZIO", .classIdField = 7005, .capabilities = kQzioCapsFile,
    .flags = kQzioFlagFile, .extension = "xpm",
    .identify = Qz__XpmIdentify, .load = Qz__XpmLoad, .save = Qz__XpmSave};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitXPMQZIOClass(Qz_GlobalData* global) { return qzio::RegisterFormatClass(&kXpmClass, global); }
QZ_EXPORT void Qz_CleanupXPMQZIOClass(void) { qzio::UnregisterFormatClass(&kXpmClass); }
QZ_EXTERN_C_END
