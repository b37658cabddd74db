// SGIQZIO: SGI images, grey or RGB (a fourth channel ignored), verbatim or
// run-length encoded, 1 or 2 bytes a sample; saves verbatim RGB files.
#include "qzio/codec_sgi.h"
#include "qzio/root_qzio.h"
#include "qzio/whole_file_format.h"

namespace {

using namespace qz::codec;

uint32_t Qz__SgiHeader(std::span<const uint8_t> head, uint64_t, ImageInfo& info) { return sgiIdentify(head, info); }

uint32_t Qz__SGIIdentify(const qzio::FormatCall&, QZIO_Header* header) {
  return identifyFromProbe(header, Qz__SgiHeader);
}

uint32_t Qz__SGILoad(const qzio::FormatCall&, QZIO_Header* header) {
  return loadWholeFile(header, Qz__SgiHeader, sgiDecode);
}

uint32_t Qz__SGISave(const qzio::FormatCall&, QZIO_Header* header) { return saveWholeFile(header, sgiEncode); }

const qzio::FormatClass kSGIClass = {
    .className = "SGIQZIO", .classIdField = 7601, .capabilities = kQzioCapsFile,
    .flags = kQzioFlagFile, .extension = "rgb",
    .identify = Qz__SGIIdentify, .load = Qz__SGILoad, .save = Qz__SGISave};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitSGIQZIOClass(Qz_GlobalData* global) { return qzio::RegisterFormatClass(&kSGIClass, global); }
QZ_EXPORT void Qz_CleanupSGIQZIOClass(void) { qzio::UnregisterFormatClass(&kSGIClass); }
QZ_EXTERN_C_END
