// RASQZIO: Sun rasters of 1, 8, 24 and 32 bits, raw or run-length encoded,
// with or without a colour map; saves 24-bit standard rasters.
#include "qzio/codec_ras.h"
#include "qzio/root_qzio.h"
#include "qzio/whole_file_format.h"

namespace {

using namespace qz::codec;

uint32_t Qz__RASIdentify(const qzio::FormatCall&, QZIO_Header* header) {
  return identifyFromProbe(header, rasIdentify);
}

uint32_t Qz__RASLoad(const qzio::FormatCall&, QZIO_Header* header) {
  return loadWholeFile(header, rasIdentify, rasDecode);
}

uint32_t Qz__RASSave(const qzio::FormatCall&, QZIO_Header* header) { return saveWholeFile(header, rasEncode); }

const qzio::FormatClass kRASClass = {
    .className = "RASQZIO", .classIdField = 7600, .capabilities = kQzioCapsFile,
    .flags = kQzioFlagFile, .extension = "ras",
    .identify = Qz__RASIdentify, .load = Qz__RASLoad, .save = Qz__RASSave};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitRASQZIOClass(Qz_GlobalData* global) { return qzio::RegisterFormatClass(&kRASClass, global); }
QZ_EXPORT void Qz_CleanupRASQZIOClass(void) { qzio::UnregisterFormatClass(&kRASClass); }
QZ_EXTERN_C_END
