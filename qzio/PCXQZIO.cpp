// PCXQZIO: run-length encoded PCX pictures, 1 bit, 8 bits with a palette and
// 24-bit three-plane; cannot save.
#include "qzio/codec_pcx.h"
#include "qzio/root_qzio.h"
#include "qzio/whole_file_format.h"

namespace {

using namespace qz::codec;

uint32_t Qz__PCXIdentify(const qzio::FormatCall&, QZIO_Header* header) { return identifyFromProbe(header, pcxIdentify); }
uint32_t Qz__PCXLoad(const qzio::FormatCall&, QZIO_Header* header) { return loadWholeFile(header, pcxIdentify, pcxDecode); }
const qzio::FormatClass kPCXClass = {
    .className = "PCXQZIO", .classIdField = 7511, .capabilities = kQzioCapsDetect,
    .flags = kQzioFlagFile, .extension = "pcx",
    .identify = Qz__PCXIdentify, .load = Qz__PCXLoad, .save = nullptr};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitPCXQZIOClass(Qz_GlobalData* global) { return qzio::RegisterFormatClass(&kPCXClass, global); }
QZ_EXPORT void Qz_CleanupPCXQZIOClass(void) { qzio::UnregisterFormatClass(&kPCXClass); }
QZ_EXTERN_C_END
