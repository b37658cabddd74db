// TIFF codec core. Each handle gets its own silent error and warning handlers
// (libtiff's global handlers are shared with every other TIFF user in the
// process, so they are left alone).
#include "qzio/codec_tiff.h"

#include <sys/stat.h>
#include <unistd.h>

#include <bit>
#include <memory>
#include <string>

#include <tiffio.h>

#include "qzio/load_problem.h"
#include "qzio/tiff_tags.h"

namespace qz::codec {
namespace {

// Messages of one handle, kept for debugging and never shown.
struct TiffMessages {
  std::string lastError;
};

int Qz__TiffKeepError(TIFF*, void* user, const char* module, const char* format, va_list args) {
  auto* messages = static_cast<TiffMessages*>(user);
  char text[512];
  std::vsnprintf(text, sizeof text, format, args);
  messages->lastError = std::string(module ? module : "") + ": " + text;
  return 1;  // handled: libtiff must not print it
}

int Qz__TiffDropWarning(TIFF*, void*, const char*, const char*, va_list) { return 1; }

struct OptionsFree {
  void operator()(TIFFOpenOptions* options) const { TIFFOpenOptionsFree(options); }
};
struct TiffClose {
  void operator()(TIFF* tif) const { TIFFClose(tif); }
};
using TiffHandle = std::unique_ptr<TIFF, TiffClose>;

// No strip or tile buffer of libtiff's, nor ours, is larger than this: a
// damaged directory can claim one strip of many gigabytes, which libtiff
// would allocate and clear before finding the data missing.
constexpr tmsize_t kMaxStripBytes = tmsize_t{1} << 30;

std::unique_ptr<TIFFOpenOptions, OptionsFree> Qz__SilentOptions(TiffMessages& messages) {
  std::unique_ptr<TIFFOpenOptions, OptionsFree> options(TIFFOpenOptionsAlloc());
  if (options) {
    TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), kMaxStripBytes);
    TIFFOpenOptionsSetErrorHandlerExtR(options.get(), Qz__TiffKeepError, &messages);
    TIFFOpenOptionsSetWarningHandlerExtR(options.get(), Qz__TiffDropWarning, nullptr);
  }
  return options;
}

TiffHandle Qz__OpenForReading(const char* path, TiffMessages& messages) {
  auto options = Qz__SilentOptions(messages);
  if (!options) return nullptr;
  // "m": no memory mapping, so a file truncated under us cannot fault.
  return TiffHandle(TIFFOpenExt(path, "rm", options.get()));
}

// The general way of reading holds at most this much raster at once.
constexpr uint64_t kMaxBandBytes = uint64_t{256} << 20;

// The most a byte of data can decode to, for the compressions where that is
// bounded (Deflate: 1032; LZW between table clears: about 1440; PackBits:
// 64), with room to spare; 0 for the others.
uint64_t Qz__MostBytesPerByte(uint16_t compression) {
  switch (compression) {
    case COMPRESSION_ADOBE_DEFLATE:
    case COMPRESSION_DEFLATE:
    case COMPRESSION_LZW:
      return 2048;
    case COMPRESSION_PACKBITS:
      return 128;
    default:
      return 0;
  }
}

// False when libtiff has no decoder for the file's compression, or when the
// file is too small to hold the picture it claims even at the compression's
// best ratio: a few damaged bytes would otherwise have a buffer of the
// claimed picture made before anything is found in them.
bool Qz__FileCanHoldPicture(TIFF* tif, uint32_t height) {
  uint16_t compression = COMPRESSION_NONE;
  TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
  if (!TIFFIsCODECConfigured(compression)) return false;
  const uint64_t ratio = Qz__MostBytesPerByte(compression);
  struct stat file {};
  if (ratio == 0 || fstat(TIFFFileno(tif), &file) != 0 || file.st_size <= 0) return true;
  uint64_t decoded = 0;
  if (TIFFIsTiled(tif)) {
    decoded = TIFFTileSize64(tif) * TIFFNumberOfTiles(tif);
  } else {
    uint16_t planar = PLANARCONFIG_CONTIG, samples = 1;
    TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
    decoded = TIFFScanlineSize64(tif) * height * (planar == PLANARCONFIG_SEPARATE ? samples : 1);
  }
  return decoded / ratio <= static_cast<uint64_t>(file.st_size);
}

// The picture's size, when it has both sides within bounds and the file can
// hold it.
bool Qz__ReadablePictureSize(TIFF* tif, uint32_t& width, uint32_t& height) {
  if (!TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width) || !TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height)) return false;
  if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide) return false;
  return Qz__FileCanHoldPicture(tif, height);
}

// Plain 8-bit RGB in contiguous strips, top row first, is read strip by strip
// straight into the rows: the RGBA raster would give the same pixels after a
// second whole-picture buffer and copy.
bool Qz__IsPlainRgbStrips(TIFF* tif) {
  uint16_t photometric = 0, samples = 0, bits = 0, planar = 0, orientation = 0, format = 0, extra = 0;
  uint16_t* extraTypes = nullptr;
  if (TIFFIsTiled(tif)) return false;
  if (!TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric) || photometric != PHOTOMETRIC_RGB) return false;
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
  TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bits);
  TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
  TIFFGetFieldDefaulted(tif, TIFFTAG_ORIENTATION, &orientation);
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLEFORMAT, &format);
  TIFFGetFieldDefaulted(tif, TIFFTAG_EXTRASAMPLES, &extra, &extraTypes);
  uint16_t compression = COMPRESSION_NONE;
  TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
  return samples == 3 && bits == 8 && planar == PLANARCONFIG_CONTIG && orientation == ORIENTATION_TOPLEFT &&
         format == SAMPLEFORMAT_UINT && extra == 0 && compression != COMPRESSION_OJPEG &&
         compression != COMPRESSION_JPEG;
}

enum class StripRead { Done, Failed, Stopped };

// Reads every strip into the rows. Failed means a strip would not decode in
// full: the caller starts again the general way, which keeps what it can.
StripRead Qz__ReadRgbStrips(TIFF* tif, uint32_t width, uint32_t height, PixelRows& rows, uint32_t& result) {
  uint32_t rowsPerStrip = 0;
  TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
  if (rowsPerStrip == 0 || rowsPerStrip > height) rowsPerStrip = height;
  const size_t rowBytes = static_cast<size_t>(width) * 3;
  const tmsize_t stripBytes = TIFFStripSize(tif);
  if (stripBytes <= 0 || static_cast<uint64_t>(stripBytes) < static_cast<uint64_t>(rowBytes) * rowsPerStrip ||
      stripBytes > kMaxStripBytes)
    return StripRead::Failed;
  std::unique_ptr<uint8_t, decltype(&_TIFFfree)> strip(static_cast<uint8_t*>(_TIFFmalloc(stripBytes)), &_TIFFfree);
  if (!strip) return StripRead::Failed;
  for (uint32_t first = 0; first < height; first += rowsPerStrip) {
    const uint32_t count = height - first < rowsPerStrip ? height - first : rowsPerStrip;
    const tmsize_t wanted = static_cast<tmsize_t>(rowBytes * count);
    const tmsize_t got = TIFFReadEncodedStrip(tif, TIFFComputeStrip(tif, first, 0), strip.get(), wanted);
    if (got != wanted) return StripRead::Failed;
    for (uint32_t i = 0; i < count; ++i) {
      if (!rows.store(first + i, kLayoutRGB, strip.get() + rowBytes * i)) {
        result = kNoMemory;
        return StripRead::Stopped;
      }
      if (!rows.progress(first + i + 1, height)) {
        result = kCancelled;
        return StripRead::Stopped;
      }
    }
  }
  result = kOk;
  return StripRead::Done;
}

// Rows of the general way's band: whole strips or tiles, so each is decoded
// once, but not more than the band size allows.
uint32_t Qz__BandRows(TIFF* tif, uint32_t width, uint32_t height) {
  uint32_t band = 0;
  if (TIFFIsTiled(tif))
    TIFFGetField(tif, TIFFTAG_TILELENGTH, &band);
  else
    TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &band);
  if (band == 0 || band > height) band = height;
  const uint64_t fit = kMaxBandBytes / (uint64_t{width} * sizeof(uint32_t));
  if (band > fit) band = fit > 0 ? static_cast<uint32_t>(fit) : 1;
  return band;
}

// Files stored bottom row first come back from libtiff flipped within each
// band; the band itself then belongs at the mirrored place.
bool Qz__StoredBottomUp(uint16_t orientation) {
  return orientation == ORIENTATION_BOTRIGHT || orientation == ORIENTATION_BOTLEFT ||
         orientation == ORIENTATION_RIGHTBOT || orientation == ORIENTATION_LEFTBOT;
}

struct RgbaImageEnd {
  void operator()(TIFFRGBAImage* image) const { TIFFRGBAImageEnd(image); }
};

// Every other kind of TIFF goes through libtiff's RGBA conversion one band of
// rows at a time, so only a band's raster is held however large the picture
// claims to be. A band that will not decode stays blank and the next one is
// tried: a damaged strip costs its own rows, not the picture. A file of which
// no band decodes is refused.
uint32_t Qz__ReadRgbaBands(TIFF* tif, uint32_t width, uint32_t height, PixelRows& rows) {
  char reason[1024];
  TIFFRGBAImage image{};
  if (!TIFFRGBAImageOK(tif, reason) || !TIFFRGBAImageBegin(&image, tif, 1, reason)) return kNotThisFormat;
  const std::unique_ptr<TIFFRGBAImage, RgbaImageEnd> end(&image);
  image.req_orientation = ORIENTATION_TOPLEFT;
  const bool bottomUp = Qz__StoredBottomUp(image.orientation);
  const uint32_t band = Qz__BandRows(tif, width, height);
  const size_t bandPixels = static_cast<size_t>(width) * band;
  std::unique_ptr<uint32_t, decltype(&_TIFFfree)> raster(
      static_cast<uint32_t*>(_TIFFmalloc(static_cast<tmsize_t>(bandPixels * sizeof(uint32_t)))), &_TIFFfree);
  std::unique_ptr<uint8_t[]> row(new (std::nothrow) uint8_t[static_cast<size_t>(width) * 3]);
  if (!raster || !row) return kNoMemory;
  bool anyBand = false, bandMissing = false;
  for (uint32_t first = 0; first < height; first += band) {
    const uint32_t count = height - first < band ? height - first : band;
    image.row_offset = static_cast<int>(first);
    image.col_offset = 0;
    if (TIFFRGBAImageGet(&image, raster.get(), width, count)) {
      anyBand = true;
      const uint32_t top = bottomUp ? height - first - count : first;
      for (uint32_t i = 0; i < count; ++i) {
        const uint32_t* source = raster.get() + static_cast<size_t>(i) * width;
        if constexpr (std::endian::native == std::endian::little) {
          // The packed ABGR words lie in memory as R, G, B, A: layout 4 as it is.
          if (!rows.store(top + i, kLayoutRGBX, reinterpret_cast<const uint8_t*>(source))) return kNoMemory;
        } else {
          uint8_t* target = row.get();
          for (uint32_t x = 0; x < width; ++x, target += 3) {
            target[0] = static_cast<uint8_t>(TIFFGetR(source[x]));
            target[1] = static_cast<uint8_t>(TIFFGetG(source[x]));
            target[2] = static_cast<uint8_t>(TIFFGetB(source[x]));
          }
          if (!rows.store(top + i, kLayoutRGB, row.get())) return kNoMemory;
        }
      }
    } else {
      bandMissing = true;
    }
    if (!rows.progress(first + count, height)) return kCancelled;
  }
  if (!anyBand) {
    reportDamage("TIFF: no part of the picture could be read");
    return kReadError;
  }
  if (bandMissing) reportPartial("TIFF: parts of the picture could not be read and are left blank");
  return kOk;
}

}  // namespace

bool tiffProbeMatches(std::span<const uint8_t> probe) {
  if (probe.size() < 8) return false;
  if (probe[0] == 'I' && probe[1] == 'I') return probe[2] == 42 && probe[3] == 0;
  if (probe[0] == 'M' && probe[1] == 'M') return probe[2] == 0 && probe[3] == 42;
  return false;
}

uint32_t tiffReadInfo(const char* path, ImageInfo& info) {
  if (!path) return kBadArguments;
  TiffMessages messages;
  TiffHandle tif = Qz__OpenForReading(path, messages);
  if (!tif) return kNotThisFormat;
  uint32_t width = 0, height = 0;
  if (!Qz__ReadablePictureSize(tif.get(), width, height)) return kNotThisFormat;
  info.width = width;
  info.height = height;
  info.depth = 24;
  info.kind = PixelKind::TrueColour;
  return kOk;
}

uint32_t tiffDecode(const char* path, PixelRows& rows) {
  if (!path) return kBadArguments;
  TiffMessages messages;
  TiffHandle tif = Qz__OpenForReading(path, messages);
  if (!tif) return kCannotOpen;
  uint32_t width = 0, height = 0;
  if (!Qz__ReadablePictureSize(tif.get(), width, height)) return kNotThisFormat;
  if (Qz__IsPlainRgbStrips(tif.get())) {
    uint32_t result = kOk;
    if (Qz__ReadRgbStrips(tif.get(), width, height, rows, result) != StripRead::Failed) return result;
  }
  return Qz__ReadRgbaBands(tif.get(), width, height, rows);
}

uint32_t tiffEncode(int fd, const char* name, uint32_t width, uint32_t height, const TiffSaveOptions& options,
                    PixelRows& rows) {
  if (fd < 0 || width == 0 || height == 0 || width > kMaxSide || height > kMaxSide) return kBadArguments;
  const uint16_t compression = options.compression;
  if (compression != kTiffCompressionNone && compression != kTiffCompressionJpeg &&
      compression != kTiffCompressionPackBits && compression != kTiffCompressionDeflate)
    return kBadArguments;
  // libtiff closes the descriptor it was given; the caller keeps its own.
  const int own = dup(fd);
  if (own < 0) return kCannotOpen;
  TiffMessages messages;
  auto openOptions = Qz__SilentOptions(messages);
  TiffHandle tif(openOptions ? TIFFFdOpenExt(own, name ? name : "", "wm", openOptions.get()) : nullptr);
  if (!tif) {
    close(own);
    return kCannotOpen;
  }
  TIFF* t = tif.get();
  TIFFSetField(t, TIFFTAG_IMAGEWIDTH, width);
  TIFFSetField(t, TIFFTAG_IMAGELENGTH, height);
  TIFFSetField(t, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
  TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 3);
  TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
  if (!TIFFSetField(t, TIFFTAG_COMPRESSION, compression)) return kBadArguments;
  if (compression == kTiffCompressionJpeg) {
    const int quality = options.jpegQuality < 1 ? 1 : (options.jpegQuality > 100 ? 100 : options.jpegQuality);
    TIFFSetField(t, TIFFTAG_JPEGQUALITY, quality);
    TIFFSetField(t, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
  }
  if (compression == kTiffCompressionDeflate && options.horizontalPredictor)
    TIFFSetField(t, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
  TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, qzio::TiffStripRows(t));
  uint32_t rowsPerStrip = 0;
  TIFFGetField(t, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
  if (rowsPerStrip == 0 || rowsPerStrip > height) rowsPerStrip = height;
  // Rows are fetched straight into a whole strip handed to libtiff at once,
  // rather than each row being copied again into libtiff's own strip buffer.
  const size_t rowBytes = static_cast<size_t>(width) * 3;
  std::unique_ptr<uint8_t[]> strip(new (std::nothrow) uint8_t[rowBytes * rowsPerStrip]);
  if (!strip) return kNoMemory;
  for (uint32_t first = 0; first < height; first += rowsPerStrip) {
    const uint32_t count = height - first < rowsPerStrip ? height - first : rowsPerStrip;
    for (uint32_t i = 0; i < count; ++i) {
      if (!rows.fetch(first + i, kLayoutRGB, strip.get() + rowBytes * i)) return kBadArguments;
      if (!rows.progress(first + i + 1, height)) return kCancelled;
    }
    const tmsize_t bytes = static_cast<tmsize_t>(rowBytes * count);
    if (TIFFWriteEncodedStrip(t, TIFFComputeStrip(t, first, 0), strip.get(), bytes) != bytes) return kWriteFailed;
  }
  if (!TIFFFlush(t)) return kWriteFailed;
  return kOk;
}

}  // namespace qz::codec
