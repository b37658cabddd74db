// PNG codec core. libpng's error routine longjmps to png_jmpbuf; each
// session lives in one function whose locals are plain data (pointers are
// volatile where they change after the jump target is set). Reading starts
// only after the signature matched, so whatever libpng refuses is a damaged
// PNG: its own text goes with the result.
#include "qzio/codec_png.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <csetjmp>
#include <string>

#include <png.h>

#include "qzio/load_problem.h"

namespace qz::codec {
namespace {

constexpr size_t kSignatureBytes = 8;
// Deflate packs at best about 1032 bytes into one; with room to spare.
constexpr uint64_t kMostBytesPerByte = 2048;

// libpng's last error text, through the error pointer.
struct PngMessage {
  char text[256];
};

void Qz__PngError(png_structp png, png_const_charp message) {
  if (auto* kept = static_cast<PngMessage*>(png_get_error_ptr(png)))
    snprintf(kept->text, sizeof kept->text, "%s", message ? message : "");
  png_longjmp(png, 1);
}
void Qz__PngWarning(png_structp, png_const_charp) {}

png_structp Qz__CreateReader(PngMessage* message) {
  message->text[0] = 0;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, message, Qz__PngError, Qz__PngWarning);
#ifdef QZ_FUZZING_BUILD
  // Mutants would die at the checksums: let them reach the decoder.
  if (png) png_set_crc_action(png, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
#endif
  return png;
}

bool isOutOfMemory(const PngMessage& message) {
  std::string lower = message.text;
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
  return lower.find("out of memory") != std::string::npos;
}

// What libpng's refusal means: out of memory, or a damaged file.
uint32_t Qz__Refusal(const PngMessage& message) {
  if (isOutOfMemory(message)) return kNoMemory;
  reportDamage(std::string("PNG: ") + (message.text[0] ? message.text : "the file is damaged"));
  return kReadError;
}

uint64_t Qz__FileBytes(FILE* file) {
  struct stat st {};
  return fstat(fileno(file), &st) == 0 && st.st_size > 0 ? static_cast<uint64_t>(st.st_size) : 0;
}

// The filtered rows the picture's data inflates to: a filter byte and the
// packed samples of each row (interlacing adds a little, never less).
uint64_t Qz__InflatedBytes(png_structp png, png_infop pngInfo) {
  const uint64_t bits = uint64_t{png_get_bit_depth(png, pngInfo)} * png_get_channels(png, pngInfo);
  const uint64_t width = png_get_image_width(png, pngInfo), height = png_get_image_height(png, pngInfo);
  return height * (1 + (width * bits + 7) / 8);
}

uint32_t Qz__ReadInfo(FILE* file, ImageInfo* info) {
  PngMessage message;
  png_structp png = Qz__CreateReader(&message);
  if (!png) return kNoMemory;
  png_infop pngInfo = png_create_info_struct(png);
  if (!pngInfo) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    return kNoMemory;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &pngInfo, nullptr);
    return Qz__Refusal(message);
  }
  png_init_io(png, file);
  png_read_info(png, pngInfo);
  const uint32_t width = png_get_image_width(png, pngInfo);
  const uint32_t height = png_get_image_height(png, pngInfo);
  const int colourType = png_get_color_type(png, pngInfo);
  const bool alpha = (colourType & PNG_COLOR_MASK_ALPHA) != 0 || png_get_valid(png, pngInfo, PNG_INFO_tRNS) != 0;
  const uint64_t fileBytes = Qz__FileBytes(file);
  const bool fits = fileBytes == 0 || fileCanHold(Qz__InflatedBytes(png, pngInfo), kMostBytesPerByte, fileBytes);
  png_destroy_read_struct(&png, &pngInfo, nullptr);
  if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide) return kNotThisFormat;
  if (!fits) return reportTooShort("PNG", width, height);
  info->width = width;
  info->height = height;
  info->depth = alpha ? 32 : 24;
  info->kind = PixelKind::TrueColour;
  return kOk;
}

uint32_t Qz__Decode(FILE* file, PixelRows* rows) {
  PngMessage message;
  png_structp png = Qz__CreateReader(&message);
  if (!png) return kNoMemory;
  png_infop pngInfo = png_create_info_struct(png);
  if (!pngInfo) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    return kNoMemory;
  }
  png_bytep volatile row = nullptr;
  volatile uint32_t storedRows = 0;
  if (setjmp(png_jmpbuf(png))) {
    png_free(png, row);
    png_destroy_read_struct(&png, &pngInfo, nullptr);
    // Damage after the first rows keeps what was read; the rest stays as it was.
    if (storedRows > 0 && !isOutOfMemory(message)) {
      reportPartial(std::string("PNG: ") + (message.text[0] ? message.text : "the file is damaged"));
      return kOk;
    }
    return Qz__Refusal(message);
  }
  png_init_io(png, file);
  png_read_info(png, pngInfo);
  const uint32_t width = png_get_image_width(png, pngInfo);
  const uint32_t height = png_get_image_height(png, pngInfo);
  if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide) png_error(png, "size");
  const int colourType = png_get_color_type(png, pngInfo);
  png_set_strip_16(png);
  png_set_packing(png);
  if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
  if (colourType == PNG_COLOR_TYPE_PALETTE || png_get_bit_depth(png, pngInfo) < 8 ||
      png_get_valid(png, pngInfo, PNG_INFO_tRNS))
    png_set_expand(png);
  const int passes = png_set_interlace_handling(png);
  png_read_update_info(png, pngInfo);
  const uint32_t channels = png_get_channels(png, pngInfo);
  const uint32_t layout = channels > 3 ? kLayoutRGBX : kLayoutRGB;
  if (channels != 3 && channels != 4) png_error(png, "channels");
  row = static_cast<png_bytep>(png_malloc_warn(png, png_get_rowbytes(png, pngInfo)));
  if (!row) {
    png_destroy_read_struct(&png, &pngInfo, nullptr);
    return kNoMemory;
  }
  uint32_t result = kOk;
  for (int pass = 0; pass < passes && result == kOk; ++pass) {
    for (uint32_t y = 0; y < height; ++y) {
      const uint64_t value = (static_cast<uint64_t>(pass) * height + y) / static_cast<uint64_t>(passes);
      if (!rows->progress(static_cast<uint32_t>(value), height)) {
        result = kCancelled;
        break;
      }
      // Later passes fill in pixels between those already stored.
      if (passes > 1 && !rows->fetch(y, layout, row)) {
        result = kNoMemory;
        break;
      }
      png_read_row(png, row, nullptr);
      if (!rows->store(y, layout, row)) {
        result = kNoMemory;
        break;
      }
      storedRows = storedRows + 1;
    }
  }
  if (result == kOk) png_read_end(png, nullptr);
  png_free(png, row);
  row = nullptr;
  png_destroy_read_struct(&png, &pngInfo, nullptr);
  return result;
}

uint32_t Qz__Encode(FILE* file, uint32_t width, uint32_t height, const PngSaveOptions* options,
                    PixelRows* rows) {
  PngMessage message;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &message, Qz__PngError, Qz__PngWarning);
  if (!png) return kBadArguments;
  png_infop pngInfo = png_create_info_struct(png);
  if (!pngInfo) {
    png_destroy_write_struct(&png, nullptr);
    return kBadArguments;
  }
  png_bytep volatile row = nullptr;
  volatile uint32_t result = kBadArguments;
  if (setjmp(png_jmpbuf(png))) {
    png_free(png, row);
    png_destroy_write_struct(&png, &pngInfo);
    return std::ferror(file) ? kWriteFailed : kBadArguments;
  }
  png_init_io(png, file);
  png_set_compression_level(png, options->compressionLevel);
  png_set_IHDR(png, pngInfo, width, height, 8, options->alpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB,
               options->interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, pngInfo);
  const int passes = options->interlaced ? png_set_interlace_handling(png) : 1;
  const uint32_t layout = options->alpha ? kLayoutRGBMask : kLayoutRGB;
  row = static_cast<png_bytep>(png_malloc_warn(png, static_cast<png_alloc_size_t>(width) * 4));
  if (!row) {
    png_destroy_write_struct(&png, &pngInfo);
    return kNoMemory;
  }
  result = kOk;
  for (int pass = 0; pass < passes && result == kOk; ++pass) {
    for (uint32_t y = 0; y < height; ++y) {
      const uint64_t value = (static_cast<uint64_t>(pass) * height + y) / static_cast<uint64_t>(passes);
      if (!rows->progress(static_cast<uint32_t>(value), height)) {
        result = kCancelled;
        break;
      }
      if (!rows->fetch(y, layout, row)) {
        result = kBadArguments;
        break;
      }
      png_write_row(png, row);
    }
  }
  if (result == kOk) {
    png_write_end(png, nullptr);
    if (std::fflush(file) != 0 || std::ferror(file)) result = kWriteFailed;
  }
  png_free(png, row);
  row = nullptr;
  png_destroy_write_struct(&png, &pngInfo);
  return result;
}

}  // namespace

bool pngProbeMatches(std::span<const uint8_t> probe) {
  if (probe.size() < kSignatureBytes) return false;
  return png_sig_cmp(probe.data(), 0, kSignatureBytes) == 0;
}

uint32_t pngReadInfo(FILE* file, ImageInfo& info) {
  if (!file) return kBadArguments;
  return Qz__ReadInfo(file, &info);
}

uint32_t pngDecode(FILE* file, PixelRows& rows) {
  if (!file) return kBadArguments;
  return Qz__Decode(file, &rows);
}

uint32_t pngEncode(FILE* file, uint32_t width, uint32_t height, const PngSaveOptions& options,
                   PixelRows& rows) {
  if (!file || width == 0 || height == 0 || width > kMaxSide || height > kMaxSide) return kBadArguments;
  return Qz__Encode(file, width, height, &options, &rows);
}

}  // namespace qz::codec
