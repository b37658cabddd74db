// SGIQZIO: SGI images, grey or RGB (a fourth channel ignored), verbatim or
// run-length encoded, 1 or 2 bytes a sample; saves verbatim RGB files.
#include "qzio/codec_sgi.h"
#include "qzio/root_qzio.h"
#include "qzio/whole_file_format.h"

namespace {

using Methods = qz::codec::WholeFileMethods<qz::codec::sgiIdentify, qz::codec::sgiDecode, qz::codec::sgiEncode>;

const qzio::FormatClass kSGIClass = {
    .className = "SGIQZIO", .classIdField = 7601, .capabilities = kQzioCapsFile,
    .flags = kQzioFlagFile, .extension = "rgb",
    .identify = Methods::identify, .load = Methods::load, .save = Methods::save};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitSGIQZIOClass(Qz_GlobalData* global) { return qzio::RegisterFormatClass(&kSGIClass, global); }
QZ_EXPORT void Qz_CleanupSGIQZIOClass(void) { qzio::UnregisterFormatClass(&kSGIClass); }
QZ_EXTERN_C_END
