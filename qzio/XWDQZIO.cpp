// XWDQZIO: X10 and X11 window dumps in either byte order, true-colour,
// colour-mapped or grey; saves X11 dumps of 32 bits a pixel.
#include "qzio/codec_xwd.h"
#include "qzio/root_qzio.h"
#include "qzio/whole_file_format.h"

namespace {

using namespace qz::codec;

uint32_t Qz__XWDIdentify(const qzio::FormatCall&, QZIO_Header* header) {
  return identifyFromProbe(header, xwdIdentify);
}

uint32_t Qz__XWDLoad(const qzio::FormatCall&, QZIO_Header* header) {
  return loadWholeFile(header, xwdIdentify, xwdDecode);
}

uint32_t Qz__XWDSave(const qzio::FormatCall&, QZIO_Header* header) { return saveWholeFile(header, xwdEncode); }

const qzio::FormatClass kXWDClass = {
    .className = "XWDQZIO", .classIdField = 7630, .capabilities = kQzioCapsFile,
    .flags = kQzioFlagFile, .extension = nullptr,
    .identify = Qz__XWDIdentify, .load = Qz__XWDLoad, .save = Qz__XWDSave};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitXWDQZIOClass(Qz_GlobalData* global) { return qzio::RegisterFormatClass(&kXWDClass, global); }
QZ_EXPORT void Qz_CleanupXWDQZIOClass(void) { qzio::UnregisterFormatClass(&kXWDClass); }
QZ_EXTERN_C_END
