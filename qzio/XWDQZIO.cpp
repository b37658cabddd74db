// XWDQZIO: X10 and X11 window dumps in either byte order, true-colour,
// colour-mapped or grey; saves X11 dumps of 32 bits a pixel.
#include "qzio/codec_xwd.h"
#include "qzio/root_qzio.h"
#include "qzio/whole_file_format.h"

namespace {

using Methods = qz::codec::WholeFileMethods<qz::codec::xwdIdentify, qz::codec::xwdDecode, qz::codec::xwdEncode>;

const qzio::FormatClass kXWDClass = {
    .className = "XWDQZIO", .classIdField = 7630, .capabilities = kQzioCapsFile,
    .flags = kQzioFlagFile, .extension = nullptr,
    .identify = Methods::identify, .load = Methods::load, .save = Methods::save};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitXWDQZIOClass(Qz_GlobalData* global) { return qzio::RegisterFormatClass(&kXWDClass, global); }
QZ_EXPORT void Qz_CleanupXWDQZIOClass(void) { qzio::UnregisterFormatClass(&kXWDClass); }
QZ_EXTERN_C_END
