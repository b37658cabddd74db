// TIFFQZIO: any TIFF libtiff can turn into RGBA; saves 8-bit RGB with the
// chosen compression. Answers 7023 (the compression pop-up changed: entry
// index), which stores the entry in the object and for the process.
#include <atomic>
#include <new>

#include "gadgets/qz_group.h"

#include "qzio/codec_buffer_rows.h"
#include "qzio/codec_tiff.h"
#include "qzio/format_options.h"
#include "qzio/qzio.h"
#include "qzio/qzio_internal.h"
#include "qzio/root_qzio.h"

namespace {

using namespace qz::codec;

constexpr uint32_t kCompressionChanged = 7023;

// The compression pop-up's entries, in order, with their tag values and the
// page of the options group each shows (quality, predictor or empty).
struct CompressionEntry {
  const char* label;
  uint16_t tagValue;
  uint32_t page;
};
constexpr CompressionEntry kCompressionEntries[] = {
    {"None", kTiffCompressionNone, 2},
    {"JPEG", kTiffCompressionJpeg, 0},
    {"Packbits RLE", kTiffCompressionPackBits, 2},
    {"Deflate", kTiffCompressionDeflate, 1},
};
constexpr uint32_t kEntryCount = sizeof kCompressionEntries / sizeof kCompressionEntries[0];

// Shared by every object of the class for the life of the process.
std::atomic<int32_t> gCompressionEntry{0};
std::atomic<int32_t> gJpegQuality{75};
std::atomic<int32_t> gPredictorEntry{0};  // 0 "None", 1 "Horizontal"

struct TiffState {
  uint8_t compressionEntry;  // this object's choice
  uint8_t page;              // the options page the entry shows
  Qz_Object* pages;          // the paged part of the options group (owned by it)
};

void Qz__TiffInitState(void* memory) {
  auto* state = new (memory) TiffState{};
  const int32_t entry = gCompressionEntry.load(std::memory_order_relaxed);
  state->compressionEntry = static_cast<uint8_t>(entry);
  state->page = kCompressionEntries[entry].page;
}

uint32_t Qz__TiffIdentify(const qzio::FormatCall&, QZIO_Header* header) {
  if (!header->probe || !tiffProbeMatches({header->probe, header->probeSize})) return kNotThisFormat;
  if (!header->fileName) return kNotThisFormat;
  ImageInfo info;
  const uint32_t result = tiffReadInfo(header->fileName, info);
  if (result != kOk) return result;
  fillIdentifiedBuffer(header, info);
  return kOk;
}

uint32_t Qz__TiffLoad(const qzio::FormatCall&, QZIO_Header* header) {
  if (!header->fileName) return kCannotOpen;
  BufferRows rows(header);
  return tiffDecode(header->fileName, rows);
}

uint32_t Qz__TiffSave(const qzio::FormatCall& call, QZIO_Header* header) {
  QZIO_ImageBuffer* buffer = header->buffer;
  if (!buffer || buffer->width == 0 || buffer->height == 0) return kBadArguments;
  if (header->saveDescriptor < 0) return kCannotOpen;
  const auto* state = static_cast<const TiffState*>(call.state);
  const uint32_t entry = state ? state->compressionEntry : gCompressionEntry.load(std::memory_order_relaxed);
  TiffSaveOptions options;
  options.compression = kCompressionEntries[entry < kEntryCount ? entry : 0].tagValue;
  options.jpegQuality = gJpegQuality.load(std::memory_order_relaxed);
  options.horizontalPredictor = gPredictorEntry.load(std::memory_order_relaxed) == 1;
  BufferRows rows(header);
  return tiffEncode(header->saveDescriptor, header->fileName, buffer->width, buffer->height, options, rows);
}

bool Qz__TiffOption(const qzio::FormatCall& call, uint32_t id, const QzWord* args, QzWord* answer) {
  if (id != kCompressionChanged) return false;
  const uint32_t entry = static_cast<uint32_t>(args[0]);
  if (entry < kEntryCount) {
    gCompressionEntry.store(static_cast<int32_t>(entry), std::memory_order_relaxed);
    if (auto* state = static_cast<TiffState*>(call.state)) {
      state->compressionEntry = static_cast<uint8_t>(entry);
      state->page = static_cast<uint8_t>(kCompressionEntries[entry].page);
      Qz_DoMethod(state->pages, kGroupShowPage, state->page);
    }
  }
  *answer = 0;
  return true;
}

// The quality slider, the predictor pop-up or nothing, one page each, below
// the compression pop-up that turns them.
Qz_Object* Qz__TiffOptions(const qzio::FormatCall& call) {
  auto* state = static_cast<TiffState*>(call.state);
  Qz_Object* pages = Qz_CreateObject("Group", kGroupSetMode, 4);
  Qz_Object* quality = qzio::OptionsColumn().label(97, "Quality").slider(0, 100, "%ld", gJpegQuality).take();
  Qz_Object* predictor =
      qzio::OptionsColumn().text("Predictor").popUp({"None", "Horizontal"}, gPredictorEntry).take();
  Qz_Object* none = qzio::OptionsColumn().text("").take();
  for (Qz_Object* page : {quality, predictor, none}) {
    if (pages && page) Qz_DoMethod(pages, kGroupAddTail, page);
    else Qz_DisposeObject(page);
  }
  if (!pages || !quality || !predictor || !none) {
    Qz_DisposeObject(pages);
    return nullptr;
  }
  Qz_DoMethod(pages, kGroupShowPage, state->page);
  state->pages = pages;
  return qzio::OptionsColumn()
      .label(252, "Compression")
      .popUp({kCompressionEntries[0].label, kCompressionEntries[1].label, kCompressionEntries[2].label,
              kCompressionEntries[3].label},
             state->compressionEntry, call.self, kCompressionChanged)
      .add(pages)
      .take();
}

const qzio::FormatClass kTiffClass = {
    .className = "TIFFQZIO", .classIdField = 7003, .capabilities = kQzioCapsFile,
    .flags = kQzioFlagFile | kQzioFlagOwnFile, .extension = "tif",
    .identify = Qz__TiffIdentify, .load = Qz__TiffLoad, .save = Qz__TiffSave,
    .option = Qz__TiffOption, .buildSaveOptions = Qz__TiffOptions, .stateSize = sizeof(TiffState),
    .initState = Qz__TiffInitState};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitTIFFQZIOClass(Qz_GlobalData* global) { return qzio::RegisterFormatClass(&kTiffClass, global); }
QZ_EXPORT void Qz_CleanupTIFFQZIOClass(void) { qzio::UnregisterFormatClass(&kTiffClass); }
QZ_EXTERN_C_END
