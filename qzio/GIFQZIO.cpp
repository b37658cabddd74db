// GIFQZIO: GIF pictures, the first whole-screen picture (or the last whole
// frame of an animation) in true colour; saves one-picture GIF89a files
// reduced to its colours option, dithered and optionally interlaced. Not in
// the program's registration: callers that want it register it themselves.
#include <atomic>

#include "qzio/codec_gif.h"
#include "qzio/format_options.h"
#include "qzio/qzio_internal.h"
#include "qzio/root_qzio.h"
#include "qzio/whole_file_format.h"

namespace {

using namespace qz::codec;

// Shared by every object of the class for the life of the process.
std::atomic<int32_t> gColours{256};
std::atomic<int32_t> gDithering{70};
std::atomic<int32_t> gInterlaced{0};

uint32_t Qz__GifEncode(uint32_t width, uint32_t height, uint32_t depth, PixelRows& rows, std::vector<uint8_t>& out) {
  GifSaveOptions options;
  options.colours = uint32_t(gColours.load(std::memory_order_relaxed));
  options.dithering = uint32_t(gDithering.load(std::memory_order_relaxed));
  options.interlaced = gInterlaced.load(std::memory_order_relaxed) != 0;
  return gifEncode(width, height, depth, options, rows, out);
}

using Methods = WholeFileMethods<gifIdentify, gifDecode, Qz__GifEncode>;

constexpr uint32_t kSetColours = 7013, kSetDithering = 7033, kSetInterlaced = 7053;

Qz_Object* Qz__GifOptions(const qzio::FormatCall& call) {
  return qzio::OptionsColumn()
      .text("Colours")
      .slider(2, 256, gColours.load(), "%ld", call.self, kSetColours)
      .text("Dithering")
      .slider(0, 100, gDithering.load(), "%ld%%", call.self, kSetDithering)
      .checkBox(qzio::CatalogText(253, "Interlaced"), gInterlaced.load() != 0, call.self, kSetInterlaced)
      .take();
}

const qzio::FormatOptionRow kGifOptions[] = {
    {kSetColours, 7023, 2, 256, false, &gColours},
    {kSetDithering, 7043, 0, 100, false, &gDithering},
    {kSetInterlaced, 7063, 0, 1, true, &gInterlaced},
};

const qzio::FormatClass kGifClass = {
    .className = "GIFQZIO", .classIdField = 7003, .capabilities = kQzioCapsFile,
    .flags = kQzioFlagFile, .extension = "gif",
    .identify = Methods::identify, .load = Methods::load, .save = Methods::save,
    .option = qzio::optionRows<kGifOptions>, .buildSaveOptions = Qz__GifOptions};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitGIFQZIOClass(Qz_GlobalData* global) { return qzio::RegisterFormatClass(&kGifClass, global); }
QZ_EXPORT void Qz_CleanupGIFQZIOClass(void) { qzio::UnregisterFormatClass(&kGifClass); }
QZ_EXTERN_C_END
