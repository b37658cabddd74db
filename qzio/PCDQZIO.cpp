// PCDQZIO: Kodak Photo CD image packs at one of five resolutions, turned
// or not; cannot save. The preview identify switches to the smallest
// resolution. The options panel that chooses resolution and turn is not
// built yet: each object reads at 768 x 512, unturned, until it is.
#include "qzio/codec_pcd.h"
#include "qzio/root_qzio.h"
#include "qzio/whole_file_format.h"

namespace {

using namespace qz::codec;

PcdChoice& Qz__Choice(const qzio::FormatCall& call) { return *static_cast<PcdChoice*>(call.state); }

void Qz__InitChoice(void* state) { *static_cast<PcdChoice*>(state) = PcdChoice{}; }

uint32_t Qz__PCDIdentify(const qzio::FormatCall& call, QZIO_Header* header) {
  const PcdChoice choice = Qz__Choice(call);
  return identifyFromHead(header, kPcdHeadBytes, [&](std::span<const uint8_t> head, uint64_t size, ImageInfo& info) {
    return pcdIdentify(head, size, choice, info);
  });
}

uint32_t Qz__PCDIdentifyPreview(const qzio::FormatCall& call, QZIO_Header* header) {
  Qz__Choice(call).resolution = 0;
  return Qz__PCDIdentify(call, header);
}

uint32_t Qz__PCDLoad(const qzio::FormatCall& call, QZIO_Header* header) {
  const PcdChoice choice = Qz__Choice(call);
  return loadWholeFile(
      header,
      [&](std::span<const uint8_t> head, uint64_t size, ImageInfo& info) { return pcdIdentify(head, size, choice, info); },
      [&](std::span<const uint8_t> file, PixelRows& rows) { return pcdDecode(file, choice, rows); });
}

const qzio::FormatClass kPCDClass = {
    .className = "PCDQZIO", .classIdField = 7633, .capabilities = kQzioCapsDetect,
    .flags = kQzioFlagFile | kQzioFlagDirect, .extension = "pcd",
    .identify = Qz__PCDIdentify, .load = Qz__PCDLoad, .save = nullptr,
    .identifyDirect = Qz__PCDIdentifyPreview, .stateSize = sizeof(PcdChoice), .initState = Qz__InitChoice};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitPCDQZIOClass(Qz_GlobalData* global) { return qzio::RegisterFormatClass(&kPCDClass, global); }
QZ_EXPORT void Qz_CleanupPCDQZIOClass(void) { qzio::UnregisterFormatClass(&kPCDClass); }
QZ_EXTERN_C_END
