// RASQZIO: Sun rasters of 1, 8, 24 and 32 bits, raw or run-length encoded,
// with or without a colour map; saves 24-bit standard rasters.
#include "qzio/codec_ras.h"
#include "qzio/root_qzio.h"
#include "qzio/whole_file_format.h"

namespace {

using Methods = qz::codec::WholeFileMethods<qz::codec::rasIdentify, qz::codec::rasDecode, qz::codec::rasEncode>;

const qzio::FormatClass kRASClass = {
    .className = "RASQZIO", .classIdField = 7600, .capabilities = kQzioCapsFile,
    .flags = kQzioFlagFile, .extension = "ras",
    .identify = Methods::identify, .load = Methods::load, .save = Methods::save};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitRASQZIOClass(Qz_GlobalData* global) { return qzio::RegisterFormatClass(&kRASClass, global); }
QZ_EXPORT void Qz_CleanupRASQZIOClass(void) { qzio::UnregisterFormatClass(&kRASClass); }
QZ_EXTERN_C_END
