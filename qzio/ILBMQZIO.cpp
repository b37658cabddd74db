// ILBMQZIO: interleaved-bitplane IFF pictures of 1 to 32 planes, plain or
// ByteRun1-packed, loaded as bitplane buffers; saves plain 24-plane pictures.
// Hold-and-modify and extra-half-bright pictures are refused (11).
#include "qzio/codec_iff.h"
#include "qzio/codec_ilbm.h"
#include "qzio/root_qzio.h"
#include "qzio/whole_file_format.h"

namespace {

using namespace qz::codec;

// Other chunks may come before the picture header; it is looked for this
// far into the file.
constexpr size_t kHeaderSearchBytes = 64 * 1024;

using Methods = WholeFileMethods<ilbmIdentify, ilbmDecode, ilbmEncode>;

uint32_t Qz__ILBMIdentify(const qzio::FormatCall& call, QZIO_Header* header) {
  const uint32_t result = Methods::identify(call, header);
  if (result != kNotThisFormat || header->fileSize <= header->probeSize || !header->probe ||
      !iffFormIs(std::span<const uint8_t>(header->probe, header->probeSize), "ILBM"))
    return result;
  return identifyFromHead(header, kHeaderSearchBytes, ilbmIdentify);
}

const qzio::FormatClass kILBMClass = {
    .className = "ILBMQZIO", .classIdField = 7002, .capabilities = kQzioCapsDetect,
    .flags = kQzioFlagFile, .extension = "iff",
    .identify = Qz__ILBMIdentify, .load = Methods::load, .save = Methods::save};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitILBMQZIOClass(Qz_GlobalData* global) { return qzio::RegisterFormatClass(&kILBMClass, global); }
QZ_EXPORT void Qz_CleanupILBMQZIOClass(void) { qzio::UnregisterFormatClass(&kILBMClass); }
QZ_EXTERN_C_END
