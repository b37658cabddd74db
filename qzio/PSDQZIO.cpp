// PSDQZIO: the flattened picture of Photoshop documents (bitmap, grey,
// indexed and RGB); CMYK documents are recognised but not loaded. Saves
// raw RGB documents.
#include "qzio/codec_psd.h"
#include "qzio/root_qzio.h"
#include "qzio/whole_file_format.h"

namespace {

using namespace qz::codec;

using Methods = WholeFileMethods<psdIdentify, psdDecode, psdEncode>;

uint32_t Qz__PSDIdentify(const qzio::FormatCall&, QZIO_Header* header) {
  const uint32_t result = identifyFromProbe(header, psdIdentify);
  if (result == kOk && psdIsCmyk(std::span<const uint8_t>(header->probe, header->probeSize)))
    header->buffer->format = kQzioFormatFourPlanes;
  return result;
}

const qzio::FormatClass kPSDClass = {
    .className = "PSDQZIO", .classIdField = 7004, .capabilities = kQzioCapsDetect,
    .flags = kQzioFlagFile, .extension = "psd",
    .identify = Qz__PSDIdentify, .load = Methods::load, .save = Methods::save};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitPSDQZIOClass(Qz_GlobalData* global) { return qzio::RegisterFormatClass(&kPSDClass, global); }
QZ_EXPORT void Qz_CleanupPSDQZIOClass(void) { qzio::UnregisterFormatClass(&kPSDClass); }
QZ_EXTERN_C_END
