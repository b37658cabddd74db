// XPMQZIO: X pixmaps, XPM3 and XPM1, in true colour; saves XPM3 with the
// picture's own colours, or a dithered 3-3-2 palette past 256 of them, the
// array named after the file.
#include "qzio/codec_xpm.h"
#include "qzio/root_qzio.h"
#include "qzio/named_file_format.h"

namespace {

using namespace qz::codec;

using Methods = NamedFileMethods<xpmIdentify, xpmDecode, xpmEncode>;

const qzio::FormatClass kXpmClass = {
    .className = "XPMQZIO", .classIdField = 7005, .capabilities = kQzioCapsFile,
    .flags = kQzioFlagFile, .extension = "xpm",
    .identify = Methods::identify, .load = Methods::load, .save = Methods::save};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitXPMQZIOClass(Qz_GlobalData* global) { return qzio::RegisterFormatClass(&kXpmClass, global); }
QZ_EXPORT void Qz_CleanupXPMQZIOClass(void) { qzio::UnregisterFormatClass(&kXpmClass); }
QZ_EXTERN_C_END
