// XBMQZIO: X bitmaps, loaded as black and white grey pictures; saves true
// colour by a mid-grey threshold, the array named after the file.
#include "qzio/codec_xbm.h"
#include "qzio/root_qzio.h"
#include "qzio/named_file_format.h"

namespace {

using namespace qz::codec;

using Methods = NamedFileMethods<xbmIdentify, xbmDecode, xbmEncode>;

const qzio::FormatClass kXbmClass = {
    .className = "XBMQZIO", .classIdField = 7610, .capabilities = kQzioCapsFile,
    .flags = kQzioFlagFile, .extension = "xbm",
    .identify = Methods::identify, .load = Methods::load, .save = Methods::save};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitXBMQZIOClass(Qz_GlobalData* global) { return qzio::RegisterFormatClass(&kXbmClass, global); }
QZ_EXPORT void Qz_CleanupXBMQZIOClass(void) { qzio::UnregisterFormatClass(&kXbmClass); }
QZ_EXTERN_C_END
