// IFFDEEPQZIO: chunky 24-bit IFF DEEP pictures, uncompressed, read and
// written.
#include "qzio/codec_deep.h"
#include "qzio/root_qzio.h"
#include "qzio/whole_file_format.h"

namespace {

using namespace qz::codec;

uint32_t Qz__DeepHeader(std::span<const uint8_t> head, uint64_t, ImageInfo& info) { return deepIdentify(head, info); }

uint32_t Qz__IFFDEEPIdentify(const qzio::FormatCall&, QZIO_Header* header) {
  return identifyFromProbe(header, Qz__DeepHeader);
}

uint32_t Qz__IFFDEEPLoad(const qzio::FormatCall&, QZIO_Header* header) {
  return loadWholeFile(header, Qz__DeepHeader, deepDecode);
}

uint32_t Qz__IFFDEEPSave(const qzio::FormatCall&, QZIO_Header* header) { return saveWholeFile(header, deepEncode); }

const qzio::FormatClass kIFFDEEPClass = {
    .className = "IFFDEEPQZIO", .classIdField = 7004, .capabilities = kQzioCapsFile,
    .flags = kQzioFlagFile, .extension = "iff",
    .identify = Qz__IFFDEEPIdentify, .load = Qz__IFFDEEPLoad, .save = Qz__IFFDEEPSave};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitIFFDEEPQZIOClass(Qz_GlobalData* global) {
  return qzio::RegisterFormatClass(&kIFFDEEPClass, global);
}
QZ_EXPORT void Qz_CleanupIFFDEEPQZIOClass(void) { qzio::UnregisterFormatClass(&kIFFDEEPClass); }
QZ_EXTERN_C_END
