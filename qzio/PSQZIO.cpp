// PSQZIO: saves a true-colour picture as a one-page PostScript program; reads nothing.
#include "qzio/codec_rows.h"
#include "qzio/postscript_save.h"
#include "qzio/root_qzio.h"

namespace {

using namespace qz::codec;

uint32_t Qz__PSIdentify(const qzio::FormatCall&, QZIO_Header*) { return kNotThisFormat; }
uint32_t Qz__PSSave(const qzio::FormatCall&, QZIO_Header* header) { return savePostScript(header, false); }

const qzio::FormatClass kPSClass = {
    .className = "PSQZIO", .classIdField = 7003, .capabilities = 10,
    .flags = kQzioFlagFile, .extension = "ps",
    .identify = Qz__PSIdentify, .load = nullptr, .save = Qz__PSSave};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitPSQZIOClass(Qz_GlobalData* global) { return qzio::RegisterFormatClass(&kPSClass, global); }
QZ_EXPORT void Qz_CleanupPSQZIOClass(void) { qzio::UnregisterFormatClass(&kPSClass); }
QZ_EXTERN_C_END
