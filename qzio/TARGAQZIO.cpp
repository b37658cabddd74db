// TARGAQZIO: Targa files ending in the "TRUEVISION-XFILE" footer, 24 or 32
// bits, plain or run-length encoded; saves 24-bit files, run-length encoded
// when the process-wide option (its one check box) says so.
#include <atomic>

#include "qzio/codec_targa.h"
#include "qzio/format_options.h"
#include "qzio/qzio_internal.h"
#include "qzio/root_qzio.h"
#include "qzio/whole_file_format.h"

namespace {

using namespace qz::codec;

std::atomic<int32_t> gRunLength{0};

uint32_t Qz__TARGAIdentify(const qzio::FormatCall&, QZIO_Header* header) {
  if (!header->probe) return kNotThisFormat;
  const std::vector<uint8_t> footer = readStreamTail(header, kTargaFooterBytes);
  ImageInfo info;
  const uint32_t result = targaIdentify(std::span<const uint8_t>(header->probe, header->probeSize), footer, header->fileSize, info);
  if (result == kOk) fillIdentifiedBuffer(header, info);
  return result;
}

uint32_t Qz__TargaFile(std::span<const uint8_t> file, uint64_t fileSize, ImageInfo& info) {
  const std::span<const uint8_t> footer = file.size() >= kTargaFooterBytes ? file.last(kTargaFooterBytes) : file;
  return targaIdentify(file, footer, fileSize, info);
}

uint32_t Qz__TARGALoad(const qzio::FormatCall&, QZIO_Header* header) {
  return loadWholeFile(header, Qz__TargaFile, targaDecode);
}

uint32_t Qz__TARGASave(const qzio::FormatCall&, QZIO_Header* header) {
  const bool runLength = gRunLength.load(std::memory_order_relaxed) != 0;
  return saveWholeFile(header, [runLength](uint32_t width, uint32_t height, uint32_t depth, PixelRows& rows,
                                           std::vector<uint8_t>& out) {
    return targaEncode(width, height, depth, runLength, rows, out);
  });
}

// One check box for run-length encoding.
Qz_Object* Qz__TARGAOptions(const qzio::FormatCall&) {
  return qzio::OptionsColumn().checkBox(qzio::CatalogText(252, "Compression"), gRunLength).take();
}

const qzio::FormatClass kTARGAClass = {
    .className = "TARGAQZIO", .classIdField = 7004, .capabilities = kQzioCapsFile,
    .flags = kQzioFlagFile, .extension = "tga",
    .identify = Qz__TARGAIdentify, .load = Qz__TARGALoad, .save = Qz__TARGASave,
    .buildSaveOptions = Qz__TARGAOptions};

}  // namespace

namespace qz::codec {
std::atomic<int32_t>& targaRunLengthOption() { return gRunLength; }
}  // namespace qz::codec

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitTARGAQZIOClass(Qz_GlobalData* global) { return qzio::RegisterFormatClass(&kTARGAClass, global); }
QZ_EXPORT void Qz_CleanupTARGAQZIOClass(void) { qzio::UnregisterFormatClass(&kTARGAClass); }
QZ_EXTERN_C_END
