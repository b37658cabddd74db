// EPSQZIO: saves a true-colour picture as encapsulated PostScript for placing
// in other documents; reads nothing.
#include "qzio/codec_rows.h"
#include "qzio/postscript_save.h"
#include "qzio/root_qzio.h"

namespace {

using namespace qz::codec;

uint32_t Qz__EPSIdentify(const qzio::FormatCall&, QZIO_Header*) { return kNotThisFormat; }
uint32_t Qz__EPSSave(const qzio::FormatCall&, QZIO_Header* header) { return savePostScript(header, true); }

const qzio::FormatClass kEPSClass = {
    .className = "EPSQZIO", .classIdField = 7004, .capabilities = 10,
    .flags = kQzioFlagFile, .extension = "eps",
    .identify = Qz__EPSIdentify, .load = nullptr, .save = Qz__EPSSave};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitEPSQZIOClass(Qz_GlobalData* global) { return qzio::RegisterFormatClass(&kEPSClass, global); }
QZ_EXPORT void Qz_CleanupEPSQZIOClass(void) { qzio::UnregisterFormatClass(&kEPSClass); }
QZ_EXTERN_C_END
