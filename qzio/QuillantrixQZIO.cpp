// QuillantrixQZIO: the native layered format, "qls". A multi-directory TIFF
// whose every directory is one picture of the document and carries the
// settings block of qzio/native_block.h in tag 50256: the document (its
// first directory, readable as a plain picture by any TIFF reader), the
// thumbnail, and each layer with its mask, its paint layer and its source
// pictures. Answers the format methods, the thumbnail path (7052, 7072) and
// 7023, the compression chosen on its options panel.
#include <sys/stat.h>
#include <tiffio.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "image/qz_image.h"
#include "objects/qz_object.h"
#include "qzio/codec_rows.h"
#include "qzio/format_options.h"
#include "qzio/load_problem.h"
#include "qzio/native_block.h"
#include "qzio/qzio.h"
#include "qzio/qzio_internal.h"
#include "qzio/root_qzio.h"
#include "qzio/tiff_tags.h"

namespace qzio::native {
namespace {

constexpr uint32_t kSetCompression = 7023;  // the options pop-up changed (entry index)
constexpr uint16_t kCompressionOfEntry[] = {COMPRESSION_NONE, COMPRESSION_PACKBITS, COMPRESSION_DEFLATE};
// Thumbnail limits when the program does not give its own.
constexpr uint32_t kThumbWidth = 64;
constexpr uint32_t kThumbHeight = 48;
constexpr uint64_t kMaxPackingRatio = 1100;  // Deflate's best is about 1032 to 1
constexpr uint64_t kFileSlackBytes = 1024;   // tags and tables beside the pixels

struct NativeState {
  uint32_t compressionEntry;  // 0 None, 1 Packbits RLE, 2 Deflate
};

// The last choice, for every later object of the class: a choice made in
// the format panel reaches the next save, which makes its own object.
std::atomic<uint32_t> gCompressionEntry{0};

void Qz__InitState(void* memory) {
  static_cast<NativeState*>(memory)->compressionEntry = gCompressionEntry.load(std::memory_order_relaxed);
}

struct TiffCloser {
  void operator()(TIFF* t) const { TIFFClose(t); }
};
using TiffPtr = std::unique_ptr<TIFF, TiffCloser>;

// One picture to write: its place in the document, its planes and block.
struct Picture {
  uint32_t kind = 0, index = 0;
  uint32_t width = 0, height = 0;
  uint32_t samples = 0;  // 1 (grey) or 3 (R, G, B)
  const uint8_t* planes[3] = {};
  uint32_t stride = 0;
  std::vector<uint8_t> block;
};

// ---------------------------------------------------------------------------
// Reading

bool Qz__HasBlock(TIFF* tif, QZIO_LayerSettings* settings, std::string* modeText) {
  uint32_t count = 0;
  void* data = nullptr;
  if (TIFFGetField(tif, kBlockTag, &count, &data) != 1 || !data) return false;
  return DecodeBlock(static_cast<const uint8_t*>(data), count, settings, modeText);
}

bool Qz__ProbeLooksLikeTiff(const QZIO_Header* h) {
  if (!h || !h->probe || h->probeSize < 4) return false;
  const uint8_t* p = h->probe;
  if (!((p[0] == 'I' && p[1] == 'I') || (p[0] == 'M' && p[1] == 'M'))) return false;
  const uint16_t word = uint16_t(p[2] | p[3] << 8);
  return word == 42 || word == 0x2A00;
}

struct DirectoryShape {
  uint32_t width = 0, height = 0;
  uint16_t samples = 1, bits = 8, planar = PLANARCONFIG_CONTIG;
};

bool Qz__ReadShape(TIFF* tif, DirectoryShape* s) {
  if (TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &s->width) != 1 || TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &s->height) != 1)
    return false;
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &s->samples);
  TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &s->bits);
  TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &s->planar);
  return s->width > 0 && s->height > 0 && s->width <= kQzioMaxSide && s->height <= kQzioMaxSide;
}

// No compression the format writes packs more than about a thousand bytes
// into one, so pictures (all of a file's directories together) far larger
// than the file can hold mean it is damaged: refused before their buffers
// are made. An unknown file size holds anything.
bool Qz__FileCanHold(uint64_t pictureBytes, uint64_t fileSize) {
  return fileSize == 0 || qz::codec::fileCanHold(pictureBytes, kMaxPackingRatio, fileSize + kFileSlackBytes);
}

uint64_t Qz__PictureBytes(const DirectoryShape& s) { return uint64_t{s.width} * s.height * s.samples; }

uint64_t Qz__FileSizeOf(TIFF* tif) {
  struct stat st {};
  return fstat(TIFFFileno(tif), &st) == 0 && st.st_size > 0 ? static_cast<uint64_t>(st.st_size) : 0;
}

// Reads sample plane `sample` of the directory into rows rows of dest.
// A grey directory gives its one plane for every sample asked.
void Qz__ReadPlane(TIFF* tif, const DirectoryShape& s, uint32_t sample, uint8_t* dest, uint32_t stride, uint32_t width,
               uint32_t rows) {
  if (s.bits != 8 || s.samples == 0) return;
  const uint32_t plane = sample < s.samples ? sample : 0;
  const tmsize_t lineBytes = TIFFScanlineSize(tif);
  if (lineBytes <= 0) return;
  std::vector<uint8_t> line(static_cast<size_t>(lineBytes));
  const uint32_t w = std::min(width, s.width);
  rows = std::min(rows, s.height);
  for (uint32_t y = 0; y < rows; ++y) {
    uint8_t* out = dest + uint64_t(y) * stride;
    if (s.planar == PLANARCONFIG_SEPARATE) {
      if (TIFFReadScanline(tif, line.data(), y, static_cast<uint16_t>(plane)) < 0) return;
      std::memcpy(out, line.data(), std::min<size_t>(w, line.size()));
    } else {
      if (TIFFReadScanline(tif, line.data(), y, 0) < 0) return;
      const size_t have = line.size() / s.samples;
      for (uint32_t x = 0; x < w && x < have; ++x) out[x] = line[size_t(x) * s.samples + plane];
    }
  }
}

void Qz__ReadPlanesInto(TIFF* tif, const DirectoryShape& s, QZIO_ImageBuffer* b) {
  if (!b) return;
  if (b->format == kQzioFormatGrey) {
    Qz__ReadPlane(tif, s, 0, b->grey, b->bytesPerRow, b->width, b->height);
  } else if (b->format == kQzioFormatRGBPlanes) {
    Qz__ReadPlane(tif, s, 0, b->red, b->bytesPerRow, b->width, b->height);
    Qz__ReadPlane(tif, s, 1, b->green, b->bytesPerRow, b->width, b->height);
    Qz__ReadPlane(tif, s, 2, b->blue, b->bytesPerRow, b->width, b->height);
  }
}

// The document picture of the first directory through libtiff's RGBA reader
// (any photometric libtiff knows), with a grey fallback for grey files
// whose photometric it refuses.
uint32_t Qz__ReadFirstDirectory(TIFF* tif, QZIO_Header* h) {
  QZIO_ImageBuffer* b = h->buffer;
  DirectoryShape s;
  if (!Qz__ReadShape(tif, &s) || s.width != b->width || s.height != b->height) return kQzioNotRecognised;
  uint64_t pixels = 0;
  if (!MulSize(s.width, s.height, &pixels)) return kQzioNoMemory;
  if (!Qz__FileCanHold(Qz__PictureBytes(s), h->fileSize)) return kQzioReadError;
  std::unique_ptr<uint32_t, decltype(&std::free)> raster(
      static_cast<uint32_t*>(std::malloc(pixels * sizeof(uint32_t))), &std::free);
  if (!raster) return kQzioNoMemory;
  if (TIFFReadRGBAImageOriented(tif, s.width, s.height, raster.get(), ORIENTATION_TOPLEFT, 0) != 1) {
    if (s.samples != 1 || s.bits != 8 || b->format != kQzioFormatRGBPlanes) return kQzioNotRecognised;
    Qz__ReadPlanesInto(tif, s, b);
    return kQzioSuccess;
  }
  std::vector<uint8_t> row(size_t(s.width) * 3);
  const uint32_t step = std::max<uint32_t>(h->progressStep, 1);
  for (uint32_t y = 0; y < s.height; ++y) {
    const uint32_t* in = raster.get() + uint64_t(y) * s.width;
    for (uint32_t x = 0; x < s.width; ++x) {
      row[x * 3] = static_cast<uint8_t>(TIFFGetR(in[x]));
      row[x * 3 + 1] = static_cast<uint8_t>(TIFFGetG(in[x]));
      row[x * 3 + 2] = static_cast<uint8_t>(TIFFGetB(in[x]));
    }
    if (!QZIO_SetBufferData(b, 0, y, s.width, 1, s.width * 3, kQzioLayoutRGB, row.data())) return kQzioBadArguments;
    if ((y + 1) % step == 0 && !ReportProgress(h, y + 1, s.height)) return kQzioCancelled;
  }
  return kQzioSuccess;
}

// Gives the layer its settings; the mode object is made from the stored text
// when the object system can read it.
void Qz__TakeSettings(QZIO_ImageBuffer* layer, const QZIO_LayerSettings& settings, const std::string& modeText) {
  std::free(layer->settings.modeText);
  layer->settings = settings;
  layer->settings.mode = nullptr;
  layer->settings.modeText = nullptr;
  layer->settings.modeTextLength = 0;
  if (!modeText.empty()) {
    layer->settings.modeText = static_cast<char*>(std::malloc(modeText.size() + 1));
    if (layer->settings.modeText) {
      std::memcpy(layer->settings.modeText, modeText.c_str(), modeText.size() + 1);
      layer->settings.modeTextLength = static_cast<uint32_t>(modeText.size());
    }
    layer->settings.mode = CreateObjectFromText(modeText);
  }
}

// The directories after the first become layer buffers by their kind.
void Qz__ReadLayers(TIFF* tif, QZIO_ImageBuffer* doc) {
  QZIO_ImageBuffer* current = nullptr;
  const uint64_t fileSize = Qz__FileSizeOf(tif);
  uint64_t claimed = uint64_t{doc->width} * doc->height * 3;
  while (TIFFReadDirectory(tif) == 1) {
    QZIO_LayerSettings settings;
    std::string modeText;
    DirectoryShape s;
    if (!Qz__HasBlock(tif, &settings, &modeText) || !Qz__ReadShape(tif, &s)) continue;
    claimed += Qz__PictureBytes(s);
    if (!Qz__FileCanHold(claimed, fileSize)) break;
    switch (settings.kind) {
      case kKindPaintLayer: {
        current = QZIO_AddLayer(doc, s.width, s.height, 8, kQzioFormatGrey, kQzioPlainLayer, 0);
        if (!current) break;
        Qz__TakeSettings(current, settings, modeText);
        Qz__ReadPlanesInto(tif, s, current);
        break;
      }
      case kKindImageLayer: {
        current = QZIO_AddLayer(doc, s.width, s.height, doc->depth, doc->format, kQzioMaskedLayer, 0);
        if (!current) break;
        Qz__TakeSettings(current, settings, modeText);
        Qz__ReadPlanesInto(tif, s, current);
        break;
      }
      case kKindLayerMask:
        if (current && current->mask && current->mask->width == s.width && current->mask->height == s.height)
          Qz__ReadPlanesInto(tif, s, current->mask);
        break;
      case kKindLayerPaint: {
        // Only an image layer holds a paint layer; this also keeps a damaged
        // file from nesting layers without end.
        if (!current || !current->mask) break;
        current = QZIO_AddLayer(current, s.width, s.height, 8, kQzioFormatGrey, kQzioPlainLayer, 0);
        if (!current) break;
        Qz__TakeSettings(current, settings, modeText);
        Qz__ReadPlanesInto(tif, s, current);
        break;
      }
      case kKindFirstSource:
      case kKindSecondSource: {
        if (!current) break;
        QZIO_ImageBuffer* source = AllocBufferQuiet(s.width, s.height, doc->depth, 0, doc->format);
        if (!source) break;
        Qz__ReadPlanesInto(tif, s, source);
        QZIO_ImageBuffer*& slot = settings.kind == kKindFirstSource ? current->firstAttached : current->secondAttached;
        QZIO_FreeBuffer(slot);
        slot = source;
        break;
      }
      default:
        break;  // the document and the thumbnail were read already
    }
  }
}

uint32_t Qz__Identify(const FormatCall&, QZIO_Header* h) {
  if (!Qz__ProbeLooksLikeTiff(h) || !h->fileName || !h->buffer) return kQzioNotRecognised;
  TiffPtr tif(TiffOpen(h->fileName, "rm"));
  if (!tif) return kQzioNotRecognised;
  QZIO_LayerSettings settings;
  std::string text;
  DirectoryShape s;
  if (!Qz__HasBlock(tif.get(), &settings, &text) || !Qz__ReadShape(tif.get(), &s)) return kQzioNotRecognised;
  if (!Qz__FileCanHold(Qz__PictureBytes(s), h->fileSize ? h->fileSize : Qz__FileSizeOf(tif.get())))
    return qz::codec::reportTooShort("Quillantrix", s.width, s.height);
  h->buffer->width = s.width;
  h->buffer->height = s.height;
  h->buffer->depth = 24;
  h->buffer->format = h->wantedTrueColour ? h->wantedTrueColour : kQzioFormatRGBPlanes;
  return kQzioSuccess;
}

uint32_t Qz__Load(const FormatCall&, QZIO_Header* h) {
  if (!h || !h->fileName || !h->buffer) return kQzioBadArguments;
  TiffPtr tif(TiffOpen(h->fileName, "rm"));
  if (!tif) return kQzioCannotOpen;
  QZIO_LayerSettings settings;
  std::string text;
  if (!Qz__HasBlock(tif.get(), &settings, &text)) return kQzioNotRecognised;
  const uint32_t result = Qz__ReadFirstDirectory(tif.get(), h);
  if (result == kQzioSuccess) Qz__ReadLayers(tif.get(), h->buffer);
  return result;
}

// Finds the thumbnail directory; false when the file has none.
bool Qz__SeekThumbnail(TIFF* tif, DirectoryShape* s) {
  while (TIFFReadDirectory(tif) == 1) {
    QZIO_LayerSettings settings;
    std::string text;
    if (Qz__HasBlock(tif, &settings, &text) && settings.kind == kKindThumbnail && Qz__ReadShape(tif, s)) return true;
  }
  return false;
}

uint32_t Qz__IdentifyThumbnail(const FormatCall& call, QZIO_Header* h) {
  if (Qz__Identify(call, h) != kQzioSuccess) return kQzioNotRecognised;
  TiffPtr tif(TiffOpen(h->fileName, "rm"));
  DirectoryShape s;
  if (!tif || !Qz__SeekThumbnail(tif.get(), &s)) return kQzioNotRecognised;
  h->buffer->width = s.width;
  h->buffer->height = s.height;
  h->buffer->depth = 24;
  h->buffer->format = h->wantedTrueColour ? h->wantedTrueColour : kQzioFormatRGBPlanes;
  return kQzioSuccess;
}

uint32_t Qz__LoadThumbnail(const FormatCall&, QZIO_Header* h) {
  if (!h || !h->fileName || !h->buffer || !Qz__ProbeLooksLikeTiff(h)) return kQzioNotRecognised;
  TiffPtr tif(TiffOpen(h->fileName, "rm"));
  DirectoryShape s;
  if (!tif || !Qz__SeekThumbnail(tif.get(), &s)) return kQzioNotRecognised;
  if (s.width != h->buffer->width || s.height != h->buffer->height) return kQzioReadError;
  Qz__ReadPlanesInto(tif.get(), s, h->buffer);
  return kQzioSuccess;
}

// ---------------------------------------------------------------------------
// Writing

bool Qz__WriteDirectory(TIFF* tif, const Picture& p, uint16_t compression) {
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, p.width);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, p.height);
  TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_SEPARATE);
  // Grey pictures say so: RGB with one sample is not a picture readers accept.
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, p.samples == 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, compression);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, p.samples);
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, TiffStripRows(tif));
  TIFFSetField(tif, kBlockTag, static_cast<uint32_t>(p.block.size()), p.block.data());
  bool ok = true;
  // All rows of one plane, then the next: the order separate planes are stored in.
  for (uint32_t sample = 0; sample < p.samples && ok; ++sample) {
    for (uint32_t y = 0; y < p.height; ++y) {
      auto* row = const_cast<uint8_t*>(p.planes[sample] + uint64_t(y) * p.stride);
      if (TIFFWriteScanline(tif, row, y, static_cast<uint16_t>(sample)) < 0) {
        ok = false;
        break;
      }
    }
  }
  return TIFFWriteDirectory(tif) == 1 && ok;
}

// The planes of a buffer as a picture: grey buffers give one, three-plane
// buffers three (or only their first when one is wanted).
bool Qz__PictureOf(const QZIO_ImageBuffer* b, uint32_t kind, uint32_t index, bool greyOnly, Picture* p) {
  if (!b || b->width == 0 || b->height == 0) return false;
  p->kind = kind, p->index = index;
  p->width = b->width, p->height = b->height, p->stride = b->bytesPerRow;
  if (b->format == kQzioFormatGrey && b->grey) {
    p->samples = 1;
    p->planes[0] = b->grey;
  } else if (b->format == kQzioFormatRGBPlanes && b->red) {
    p->samples = greyOnly ? 1 : 3;
    p->planes[0] = b->red, p->planes[1] = b->green, p->planes[2] = b->blue;
  } else {
    return false;
  }
  return true;
}

void Qz__FullBlock(Picture* p, const QZIO_ImageBuffer* owner) {
  const QZIO_LayerSettings& s = owner->settings;
  std::string text = s.modeText ? std::string(s.modeText) : std::string();
  if (text.empty() && s.mode) text = StoreObjectAsText(s.mode);
  p->block = EncodeFullBlock(p->kind, p->index, s, text);
}

// An area-averaged copy of the document, fitted within the limits.
struct Thumbnail {
  uint32_t width = 0, height = 0;
  std::vector<uint8_t> planes[3];
};

Thumbnail MakeThumbnail(const uint8_t* const src[3], uint32_t stride, uint32_t width, uint32_t height,
                        uint32_t limitW, uint32_t limitH) {
  Thumbnail t;
  ThumbnailSize(width, height, limitW, limitH, &t.width, &t.height);
  for (int c = 0; c < 3; ++c) {
    t.planes[c].resize(size_t(t.width) * t.height);
    for (uint32_t y = 0; y < t.height; ++y) {
      const uint32_t y0 = uint32_t(uint64_t(y) * height / t.height);
      const uint32_t y1 = std::max(y0 + 1, uint32_t(uint64_t(y + 1) * height / t.height));
      for (uint32_t x = 0; x < t.width; ++x) {
        const uint32_t x0 = uint32_t(uint64_t(x) * width / t.width);
        const uint32_t x1 = std::max(x0 + 1, uint32_t(uint64_t(x + 1) * width / t.width));
        uint64_t sum = 0;
        for (uint32_t yy = y0; yy < y1; ++yy)
          for (uint32_t xx = x0; xx < x1; ++xx) sum += src[c][uint64_t(yy) * stride + xx];
        const uint64_t n = uint64_t(y1 - y0) * (x1 - x0);
        t.planes[c][size_t(y) * t.width + x] = uint8_t((sum + n / 2) / n);  // rounded to nearest
      }
    }
  }
  return t;
}

Thumbnail MakeThumbnail(const QZIO_ImageBuffer* doc, uint32_t limitW, uint32_t limitH) {
  const uint8_t* src[3];
  if (doc->format == kQzioFormatGrey) {
    src[0] = src[1] = src[2] = doc->grey;
  } else {
    src[0] = doc->red, src[1] = doc->green, src[2] = doc->blue;
  }
  return MakeThumbnail(src, doc->bytesPerRow, doc->width, doc->height, limitW, limitH);
}

Picture ThumbnailPicture(const Thumbnail& thumb) {
  Picture t;
  t.kind = kKindThumbnail, t.width = thumb.width, t.height = thumb.height, t.samples = 3, t.stride = thumb.width;
  for (int c = 0; c < 3; ++c) t.planes[c] = thumb.planes[c].data();
  t.block = EncodeShortBlock(kKindThumbnail, 0);
  return t;
}

// ---- pictures of the program's document ----------------------------------------

// The planes of an image as a picture: the background planes for the
// document itself and for an image layer's own pixels, the current planes
// otherwise (and where an image has no background planes).
bool Qz__PictureOfImage(const Qz_Image* img, uint32_t kind, uint32_t index, bool background, Picture* p) {
  if (!img || img->width <= 0 || img->height <= 0) return false;
  p->kind = kind, p->index = index;
  p->width = static_cast<uint32_t>(img->width), p->height = static_cast<uint32_t>(img->height);
  p->stride = static_cast<uint32_t>(Qz_PlaneRowBytes(img->width, 8));
  if (img->depth == 8) {
    Qz_Plane plane = background && img->undoGrey ? img->undoGrey : img->grey;
    if (!plane) return false;
    p->samples = 1;
    p->planes[0] = plane[0];
  } else if (img->depth == 24) {
    const bool undo = background && img->undoR && img->undoG && img->undoB;
    Qz_Plane r = undo ? img->undoR : img->r, g = undo ? img->undoG : img->g, b = undo ? img->undoB : img->b;
    if (!r || !g || !b) return false;
    p->samples = 3;
    p->planes[0] = r[0], p->planes[1] = g[0], p->planes[2] = b[0];
  } else {
    return false;
  }
  return true;
}

void Qz__FullBlockOfImage(Picture* p, const Qz_Image* img) {
  QZIO_LayerSettings s{};
  s.red = img->committedColour[0], s.green = img->committedColour[1], s.blue = img->committedColour[2];
  const int16_t place[18] = {
      img->placement.layerX,        img->placement.layerY,         img->placement.layerWidth,
      img->placement.layerHeight,   img->placement.creationWidth,  img->placement.creationHeight,
      img->placement.secondX,       img->placement.secondY,        img->placement.secondWidth,
      img->placement.secondHeight,  img->placement.secondSourceWidth, img->placement.secondSourceHeight,
      img->placement.firstX,        img->placement.firstY,         img->placement.firstWidth,
      img->placement.firstHeight,   img->placement.firstSourceWidth, img->placement.firstSourceHeight};
  for (int i = 0; i < 18; ++i) s.placement[i] = static_cast<uint16_t>(place[i]);
  s.opacity = img->opacity;
  std::memcpy(s.blend, img->blend, sizeof s.blend);
  s.edgeMaskShape = static_cast<uint32_t>(img->edgeShape);
  s.edgeMaskSize = static_cast<uint32_t>(img->edgeSize);
  s.edgeMaskSoftness = static_cast<uint32_t>(img->edgeSoftness);
  s.edgeMaskInvert = static_cast<uint32_t>(img->edgeInvert);
  p->block = EncodeFullBlock(p->kind, p->index, s, img->mode ? StoreObjectAsText(img->mode) : std::string());
}

// One directory's picture: documents (and source images that are documents)
// get a short block, layers a full one.
void Qz__AddImagePicture(const Qz_Image* img, uint32_t kind, uint32_t index, std::vector<Picture>* out) {
  Picture p;
  const bool document = img->type == kQzDocument && kind != kKindLayerPaint;
  if (!Qz__PictureOfImage(img, kind, index, kind == kKindDocument || kind == kKindImageLayer, &p)) return;
  if (document) {
    p.block = EncodeShortBlock(kind, index);
  } else {
    Qz__FullBlockOfImage(&p, img);
  }
  out->push_back(std::move(p));
}

bool Qz__CollectImagePictures(Qz_Image* doc, const Thumbnail& thumb, std::vector<Picture>* out) {
  Picture main;
  if (!Qz__PictureOfImage(doc, kKindDocument, 0, true, &main)) return false;
  main.block = EncodeShortBlock(kKindDocument, 0);
  out->push_back(std::move(main));
  out->push_back(ThumbnailPicture(thumb));
  uint32_t index = 0;
  for (Qz_Image* layer = first_layer(doc); layer; layer = next_layer(layer), ++index) {
    if (layer->type == kQzPaintLayer) {
      Qz__AddImagePicture(layer, kKindPaintLayer, 0, out);
    } else if (layer->type == kQzImageLayer) {
      Qz__AddImagePicture(layer, kKindImageLayer, 0, out);
      if (layer->inner) Qz__AddImagePicture(layer->inner, kKindLayerMask, index, out);
      if (layer->paintLayer) Qz__AddImagePicture(layer->paintLayer, kKindLayerPaint, index, out);
    } else {
      continue;
    }
    if (layer->firstSource) Qz__AddImagePicture(layer->firstSource, kKindFirstSource, index, out);
    if (layer->secondSource) Qz__AddImagePicture(layer->secondSource, kKindSecondSource, index, out);
  }
  return true;
}

// The buffer, its layers and what they hold, in the order the reader
// rebuilds them.
bool Qz__CollectPictures(const QZIO_ImageBuffer* doc, const Thumbnail& thumb, std::vector<Picture>* out) {
  Picture main;
  if (!Qz__PictureOf(doc, kKindDocument, 0, false, &main)) return false;
  main.block = EncodeShortBlock(kKindDocument, 0);
  out->push_back(std::move(main));

  out->push_back(ThumbnailPicture(thumb));

  auto addSources = [&](const QZIO_ImageBuffer* holder, uint32_t index) {
    const QZIO_ImageBuffer* sources[2] = {holder->firstAttached, holder->secondAttached};
    for (int i = 0; i < 2; ++i) {
      Picture p;
      const uint32_t kind = i == 0 ? kKindFirstSource : kKindSecondSource;
      if (!Qz__PictureOf(sources[i], kind, index, false, &p)) continue;
      p.block = EncodeShortBlock(kind, index);
      out->push_back(std::move(p));
    }
  };

  uint32_t index = 0;
  for (Node* n = doc->layers.lh_Head; n && n->ln_Succ; n = n->ln_Succ, ++index) {
    const auto* layer = reinterpret_cast<const QZIO_ImageBuffer*>(n);
    Picture p;
    if (layer->mask) {
      // Kinds 2 and 3 carry index 0; the pictures that follow carry the layer's.
      if (!Qz__PictureOf(layer, kKindImageLayer, 0, false, &p)) continue;
      Qz__FullBlock(&p, layer);
      out->push_back(std::move(p));
      Picture mask;
      if (Qz__PictureOf(layer->mask, kKindLayerMask, index, true, &mask)) {
        Qz__FullBlock(&mask, layer->mask);
        out->push_back(std::move(mask));
      }
      const Node* subNode = layer->layers.lh_Head;
      if (subNode && subNode->ln_Succ) {
        const auto* sub = reinterpret_cast<const QZIO_ImageBuffer*>(subNode);
        Picture paint;
        if (Qz__PictureOf(sub, kKindLayerPaint, index, true, &paint)) {
          Qz__FullBlock(&paint, sub);
          out->push_back(std::move(paint));
          addSources(sub, index);  // the reader attaches them to the paint layer
        }
      } else {
        addSources(layer, index);
      }
    } else {
      if (!Qz__PictureOf(layer, kKindPaintLayer, 0, true, &p)) continue;
      Qz__FullBlock(&p, layer);
      out->push_back(std::move(p));
      addSources(layer, index);
    }
  }
  return true;
}

// The document to write: the program's image the buffer was made from, with
// all its layers, or else the buffer and its layer buffers.
uint32_t Qz__CollectForSave(const QZIO_ImageBuffer* buffer, std::vector<Picture>* pictures, Thumbnail* thumb) {
  uint32_t limitW = kThumbWidth, limitH = kThumbHeight;
  ThumbnailLimits(&limitW, &limitH);
  if (Qz_Image* doc = buffer->sourceImage) {
    const bool grey = doc->depth == 8;
    Qz_Plane planes[3] = {grey ? doc->grey : doc->r, grey ? doc->grey : doc->g, grey ? doc->grey : doc->b};
    if (!planes[0] || !planes[1] || !planes[2] || doc->width <= 0 || doc->height <= 0) return kQzioBadArguments;
    const uint8_t* src[3] = {planes[0][0], planes[1][0], planes[2][0]};
    *thumb = MakeThumbnail(src, static_cast<uint32_t>(Qz_PlaneRowBytes(doc->width, 8)),
                           static_cast<uint32_t>(doc->width), static_cast<uint32_t>(doc->height), limitW, limitH);
    return Qz__CollectImagePictures(doc, *thumb, pictures) ? kQzioSuccess : kQzioBadArguments;
  }
  if (!((buffer->format == kQzioFormatRGBPlanes && buffer->red) || (buffer->format == kQzioFormatGrey && buffer->grey)))
    return kQzioBadArguments;
  *thumb = MakeThumbnail(buffer, limitW, limitH);
  return Qz__CollectPictures(buffer, *thumb, pictures) ? kQzioSuccess : kQzioBadArguments;
}

uint32_t Qz__Save(const FormatCall& call, QZIO_Header* h) {
  if (!h || !h->buffer) return kQzioBadArguments;
  if (h->saveDescriptor < 0) return kQzioCannotOpen;
  const auto* state = static_cast<const NativeState*>(call.state);
  const uint32_t entry = state && state->compressionEntry < 3 ? state->compressionEntry : 0;
  std::vector<Picture> pictures;
  Thumbnail thumb;
  if (const uint32_t r = Qz__CollectForSave(h->buffer, &pictures, &thumb); r != kQzioSuccess) return r;

  const int fd = ::dup(h->saveDescriptor);
  if (fd < 0) return kQzioCannotOpen;
  TIFF* tif = TiffFdOpen(fd, h->fileName ? h->fileName : "image.qls", "wm");
  if (!tif) {
    ::close(fd);
    return kQzioCannotOpen;
  }
  bool ok = true;
  for (size_t i = 0; i < pictures.size(); ++i) {
    ok = Qz__WriteDirectory(tif, pictures[i], kCompressionOfEntry[entry]) && ok;
    if (!ReportProgress(h, static_cast<uint32_t>(i + 1), static_cast<uint32_t>(pictures.size()))) {
      TIFFClose(tif);
      return kQzioCancelled;
    }
  }
  TIFFClose(tif);
  return ok ? kQzioSuccess : kQzioWriteError;
}

bool Qz__Option(const FormatCall& call, uint32_t id, const QzWord* args, QzWord* answer) {
  if (id != kSetCompression) return false;
  auto* state = static_cast<NativeState*>(call.state);
  const uint32_t entry = static_cast<uint32_t>(args ? args[0] : 0);
  if (entry < 3) {
    if (state) state->compressionEntry = entry;
    gCompressionEntry.store(entry, std::memory_order_relaxed);
  }
  *answer = 0;
  return true;
}

Qz_Object* Qz__Options(const FormatCall& call) {
  const auto* state = static_cast<const NativeState*>(call.state);
  return qzio::OptionsColumn()
      .label(252, "Compression")
      .popUp({"None", "Packbits RLE", "Deflate"}, state ? state->compressionEntry : 0, call.self, kSetCompression)
      .take();
}

const FormatClass kClass = {
    .className = "QuillantrixQZIO",
    .classIdField = 7003,
    .capabilities = kQzioCapsFile,
    .flags = kQzioFlagFile | kQzioFlagOwnFile | kQzioFlagDirect,
    .extension = "qls",
    .identify = Qz__Identify,
    .load = Qz__Load,
    .save = Qz__Save,
    .identifyDirect = Qz__IdentifyThumbnail,
    .loadDirect = Qz__LoadThumbnail,
    .option = Qz__Option,
    .buildSaveOptions = Qz__Options,
    .stateSize = sizeof(NativeState),
    .initState = Qz__InitState,
};

}  // namespace
}  // namespace qzio::native

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitQuillantrixQZIOClass(Qz_GlobalData* global) {
  return qzio::RegisterFormatClass(&qzio::native::kClass, global);
}
QZ_EXPORT void Qz_CleanupQuillantrixQZIOClass(void) { qzio::UnregisterFormatClass(&qzio::native::kClass); }
QZ_EXTERN_C_END
