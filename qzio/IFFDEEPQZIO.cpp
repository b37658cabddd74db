// IFFDEEPQZIO: chunky 24-bit IFF DEEP pictures, uncompressed, read and
// written.
#include "qzio/codec_deep.h"
#include "qzio/root_qzio.h"
#include "qzio/whole_file_format.h"

namespace {

using Methods = qz::codec::WholeFileMethods<qz::codec::deepIdentify, qz::codec::deepDecode, qz::codec::deepEncode>;

const qzio::FormatClass kIFFDEEPClass = {
    .className = "IFFDEEPQZIO", .classIdField = 7004, .capabilities = kQzioCapsFile,
    .flags = kQzioFlagFile, .extension = "iff",
    .identify = Methods::identify, .load = Methods::load, .save = Methods::save};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitIFFDEEPQZIOClass(Qz_GlobalData* global) { return qzio::RegisterFormatClass(&kIFFDEEPClass, global); }
QZ_EXPORT void Qz_CleanupIFFDEEPQZIOClass(void) { qzio::UnregisterFormatClass(&kIFFDEEPClass); }
QZ_EXTERN_C_END
