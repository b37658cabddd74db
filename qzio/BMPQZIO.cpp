// BMPQZIO: Windows and OS/2 bitmaps at 1, 4, 8 (also RLE8), 24 and 32 bits,
// bottom-up or top-down; saves uncompressed 24-bit bitmaps. Identify keeps
// the header layout in the object for the following load.
#include <new>

#include "qzio/codec_bmp.h"
#include "qzio/codec_buffer_rows.h"
#include "qzio/qzio.h"
#include "qzio/root_qzio.h"

namespace {

using namespace qz::codec;

struct BmpState {
  bool identified;
  BmpLayout layout;
  ImageInfo info;
};

void Qz__BmpInitState(void* memory) { new (memory) BmpState{}; }

uint32_t Qz__BmpIdentify(const qzio::FormatCall& call, QZIO_Header* header) {
  if (!header->probe) return kNotThisFormat;
  BmpLayout layout;
  ImageInfo info;
  const uint32_t result = bmpIdentify({header->probe, header->probeSize}, header->fileSize, layout, info);
  if (result != kOk) return result;
  if (auto* state = static_cast<BmpState*>(call.state)) *state = BmpState{true, layout, info};
  fillIdentifiedBuffer(header, info);
  return kOk;
}

uint32_t Qz__BmpLoad(const qzio::FormatCall& call, QZIO_Header* header) {
  if (!header->stream || !header->buffer) return kBadArguments;
  BmpState local{};
  const auto* state = static_cast<const BmpState*>(call.state);
  if (!state || !state->identified) {
    // Loaded without identify on this object: read the headers again.
    if (!header->probe || bmpIdentify({header->probe, header->probeSize}, header->fileSize, local.layout, local.info) != kOk)
      return kNotThisFormat;
    state = &local;
  }
  ImageInfo info = state->info;
  if (info.width != header->buffer->width || info.height != header->buffer->height) return kBadArguments;
  BufferRows rows(header);
  return bmpDecode(header->stream, state->layout, info, rows);
}

uint32_t Qz__BmpSave(const qzio::FormatCall&, QZIO_Header* header) {
  QZIO_ImageBuffer* buffer = header->buffer;
  if (!buffer) return kBadArguments;
  if (!header->stream) return kCannotOpen;
  BufferRows rows(header);
  return bmpEncode(header->stream, buffer->width, buffer->height, buffer->depth, rows);
}

const qzio::FormatClass kBmpClass = {
    .className = "BMPQZIO", .classIdField = 7004, .capabilities = kQzioCapsFile,
    .flags = kQzioFlagFile, .extension = "bmp",
    .identify = Qz__BmpIdentify, .load = Qz__BmpLoad, .save = Qz__BmpSave,
    .stateSize = sizeof(BmpState), .initState = Qz__BmpInitState};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitBMPQZIOClass(Qz_GlobalData* global) { return qzio::RegisterFormatClass(&kBmpClass, global); }
QZ_EXPORT void Qz_CleanupBMPQZIOClass(void) { qzio::UnregisterFormatClass(&kBmpClass); }
QZ_EXTERN_C_END
