// Image buffers: allocation in the seven memory layouts, release of a buffer
// with everything it owns, conversion to three planes, and the rectangle
// copies in and out of a buffer in the pixel layouts formats read and write.
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

#include "image/qz_image.h"
#include "qzio/qzio.h"
#include "qzio/pages_ahead.h"
#include "qzio/qzio_internal.h"
#include "qzio/pixel_rows.h"

namespace qzio {
namespace {

constexpr uint64_t kExtraBytes = 1024;  // slack after the rows of a one-block format
constexpr uint64_t kMaxBlockBytes = uint64_t(1) << 40;

uint32_t RoundUp64(uint64_t n) {
  const uint64_t r = (n + 63) & ~uint64_t(63);
  return r > UINT32_MAX ? 0 : static_cast<uint32_t>(r);
}

bool IsPlanarFormat(uint32_t format) {
  return format == kQzioFormatRGBPlanes || format == kQzioFormatFourPlanes;
}

// Bits to bytes: depth bitplanes (plane n holds bit n) become one index byte
// a pixel. Planes beyond what the buffer holds read as 0.
void PlanarToChunky(const QZIO_ImageBuffer* src, uint32_t firstPlane, uint32_t planes, uint8_t* dest,
                    uint32_t destBytesPerRow) {
  for (uint32_t y = 0; y < src->height; ++y) {
    uint8_t* out = dest + uint64_t(y) * destBytesPerRow;
    std::memset(out, 0, src->width);
    for (uint32_t p = 0; p < planes; ++p) {
      const uint32_t plane = firstPlane + p;
      if (plane >= src->depth || plane >= 32 || !src->bitplanes[plane]) continue;
      const uint8_t* row = src->bitplanes[plane] + uint64_t(y) * src->bytesPerRow;
      for (uint32_t x = 0; x < src->width; ++x) {
        if (row[x >> 3] & (0x80u >> (x & 7))) out[x] |= uint8_t(1u << p);
      }
    }
  }
}

QZIO_ImageBuffer* ConvertToPlanes(QZIO_ImageBuffer* src) {
  const uint32_t w = src->width, h = src->height;
  switch (src->format) {
    case kQzioFormatGrey: {
      if (!src->grey) return nullptr;
      QZIO_ImageBuffer* out = AllocBufferQuiet(w, h, 8, 0, kQzioFormatRGBPlanes);
      if (!out) return nullptr;
      for (uint32_t y = 0; y < h; ++y) {
        const uint8_t* g = src->grey + uint64_t(y) * src->bytesPerRow;
        const uint64_t o = uint64_t(y) * out->bytesPerRow;
        std::memcpy(out->red + o, g, w);
        std::memcpy(out->green + o, g, w);
        std::memcpy(out->blue + o, g, w);
      }
      return out;
    }
    case kQzioFormatIndexed: {
      if (!src->index) return nullptr;
      QZIO_ImageBuffer* out = AllocBufferQuiet(w, h, 24, 0, kQzioFormatRGBPlanes);
      if (!out) return nullptr;
      for (uint32_t y = 0; y < h; ++y) {
        const uint8_t* in = src->index + uint64_t(y) * src->bytesPerRow;
        const uint64_t o = uint64_t(y) * out->bytesPerRow;
        for (uint32_t x = 0; x < w; ++x) {
          const uint32_t c = src->colourmap[in[x]];
          out->red[o + x] = uint8_t(c);
          out->green[o + x] = uint8_t(c >> 8);
          out->blue[o + x] = uint8_t(c >> 16);
        }
      }
      return out;
    }
    case kQzioFormatFourPlanes: {
      if (!src->fourPlanes[0]) return nullptr;
      QZIO_ImageBuffer* out = AllocBufferQuiet(w, h, 24, 0, kQzioFormatRGBPlanes);
      if (!out) return nullptr;
      for (uint32_t y = 0; y < h; ++y) {
        const uint8_t* p = src->fourPlanes[0] + uint64_t(y) * src->bytesPerRow;
        const uint64_t o = uint64_t(y) * out->bytesPerRow;
        std::memcpy(out->red + o, p, w);
        std::memcpy(out->green + o, p, w);
        std::memcpy(out->blue + o, p, w);
      }
      return out;
    }
    default:
      return nullptr;
  }
}

bool InsideBuffer(const QZIO_ImageBuffer* b, uint32_t x, uint32_t y, uint32_t w, uint32_t h) {
  return uint64_t(x) + w <= b->width && uint64_t(y) + h <= b->height;
}

}  // namespace

uint32_t DefaultBytesPerRow(uint32_t format, uint32_t width) {
  switch (format) {
    case kQzioFormatRGBPlanes:
    case kQzioFormatGrey:
    case kQzioFormatIndexed:
    case kQzioFormatFourPlanes:
      return RoundUp64(width);
    case kQzioFormatInterleaved:
      return RoundUp64(uint64_t(width) * 3);
    case kQzioFormatBitplanes:
      return static_cast<uint32_t>(((uint64_t(width) + 15) / 8) & ~uint64_t(1));
    default:
      return 0;
  }
}

uint8_t** AllocPlane(uint32_t width, uint32_t rows) {
  if (width == 0 || width > INT32_MAX || rows > INT32_MAX) return nullptr;
  return Qz_AllocImageData(static_cast<int32_t>(width), static_cast<int32_t>(rows), 8);
}

void FreePlane(uint8_t** plane) { Qz_FreeImageData(plane); }

QZIO_ImageBuffer* NewBuffer() {
  auto* b = static_cast<QZIO_ImageBuffer*>(std::calloc(1, sizeof(QZIO_ImageBuffer)));
  if (b) NewList(&b->layers);
  return b;
}

bool AllocBufferMemQuiet(QZIO_ImageBuffer* b) {
  if (!b || b->width == 0 || b->height == 0) return false;
  const uint32_t format = b->format;
  uint32_t bpr = b->bytesPerRow;
  if (IsPlanarFormat(format)) {
    // The planes come at the allocator's stride; a wider row asked for is honoured.
    const uint32_t planeWidth = bpr > b->width ? bpr : b->width;
    if (planeWidth > INT32_MAX) return false;
    bpr = static_cast<uint32_t>(Qz_PlaneRowBytes(static_cast<int32_t>(planeWidth), 8));
  } else if (bpr == 0) {
    bpr = DefaultBytesPerRow(format, b->width);
  }
  if (bpr == 0) return false;

  if (IsPlanarFormat(format)) {
    const int planes = format == kQzioFormatRGBPlanes ? 3 : 4;
    const int firstSlot = format == kQzioFormatRGBPlanes ? 0 : 3;
    for (int i = 0; i < planes; ++i) {
      uint8_t** t = AllocPlane(bpr, b->height);
      if (!t) {
        for (int j = 0; j < i; ++j) {
          FreePlane(b->planeTables[firstSlot + j]);
          b->planeTables[firstSlot + j] = nullptr;
        }
        return false;
      }
      b->planeTables[firstSlot + i] = t;
    }
    b->bytesPerRow = bpr;
    if (format == kQzioFormatRGBPlanes) {
      b->red = b->planeTables[0][0];
      b->green = b->planeTables[1][0];
      b->blue = b->planeTables[2][0];
    } else {
      for (int i = 0; i < 4; ++i) b->fourPlanes[i] = b->planeTables[3 + i][0];
    }
    return true;
  }

  uint64_t bytes = 0;
  switch (format) {
    case kQzioFormatInterleaved:
    case kQzioFormatPacked:
    case kQzioFormatGrey:
      if (!MulSize(bpr, b->height, &bytes)) return false;
      break;
    case kQzioFormatIndexed:
      if (!MulSize(uint64_t(bpr) + 64, b->height, &bytes)) return false;
      break;
    case kQzioFormatBitplanes:
      if (b->depth == 0 || b->depth > 32) return false;
      if (!MulSize(uint64_t(bpr) * b->depth, b->height, &bytes)) return false;
      break;
    default:
      return false;
  }
  if (bytes > kMaxBlockBytes) return false;
  auto* mem = static_cast<uint8_t*>(std::calloc(1, bytes + kExtraBytes));
  if (!mem) return false;
  b->pixelMemory = mem;
  b->bytesPerRow = bpr;
  switch (format) {
    case kQzioFormatInterleaved: b->interleaved = mem; break;
    case kQzioFormatPacked: b->packed = mem; break;
    case kQzioFormatGrey: b->grey = mem; break;
    case kQzioFormatIndexed: b->index = mem; break;
    case kQzioFormatBitplanes:
      for (uint32_t n = 0; n < b->depth; ++n) b->bitplanes[n] = mem + uint64_t(n) * b->height * bpr;
      break;
  }
  return true;
}

QZIO_ImageBuffer* AllocBufferQuiet(uint32_t width, uint32_t height, uint32_t depth, uint32_t bytesPerRow,
                                   uint32_t format) {
  QZIO_ImageBuffer* b = NewBuffer();
  if (!b) return nullptr;
  b->width = width;
  b->height = height;
  b->depth = depth;
  b->bytesPerRow = bytesPerRow;
  b->format = format;
  if (!AllocBufferMemQuiet(b)) {
    QZIO_FreeBuffer(b);
    return nullptr;
  }
  return b;
}

struct PagesAhead::State {
  std::vector<uintptr_t> firsts;
  uint64_t planeBytes = 0, bandBytes = 0;
  std::atomic<bool> stop{false};
  std::thread thread;

  // Band by band, as the writer goes down; a kernel without the call, or a
  // range it refuses, ends the work early and changes nothing.
  void run() {
    const uintptr_t page = uintptr_t(sysconf(_SC_PAGESIZE));
    for (uint64_t at = 0; at < planeBytes && !stop.load(std::memory_order_relaxed); at += bandBytes) {
      const uint64_t band = std::min(bandBytes, planeBytes - at);
      for (const uintptr_t first : firsts) {
        const uintptr_t from = (first + at) & ~(page - 1);
        if (madvise(reinterpret_cast<void*>(from), first + at + band - from, MADV_POPULATE_WRITE) != 0) return;
      }
    }
  }
};

PagesAhead::PagesAhead(uint8_t* const* firstRows, int count, size_t rowBytes, uint32_t rows) {
  start(firstRows, count, rowBytes, rows);
}

void PagesAhead::start(uint8_t* const* firstRows, int count, size_t rowBytes, uint32_t rows) {
  // Smaller planes fault in less time than a thread takes to start.
  constexpr uint64_t kWorthBytes = uint64_t(8) << 20;
  constexpr uint32_t kBandRows = 64;
  const uint64_t planeBytes = uint64_t(rowBytes) * rows;
  if (!firstRows || count <= 0 || planeBytes * uint64_t(count) < kWorthBytes) return;
  auto* state = new (std::nothrow) State;
  if (!state) return;
  for (int i = 0; i < count; ++i)
    if (firstRows[i]) state->firsts.push_back(reinterpret_cast<uintptr_t>(firstRows[i]));
  state->planeBytes = planeBytes;
  state->bandBytes = uint64_t(rowBytes) * kBandRows;
  try {
    state->thread = std::thread([state] { state->run(); });
  } catch (const std::system_error&) {
    delete state;  // no thread: the writer touches its pages itself
    return;
  }
  state_ = state;
}

namespace {
// The first rows of a buffer's separate planes, and how many there are.
int FirstRowsOfPlanes(const QZIO_ImageBuffer* b, uint8_t* firsts[4]) {
  if (!b || !IsPlanarFormat(b->format)) return 0;
  const int planes = b->format == kQzioFormatRGBPlanes ? 3 : 4;
  const int firstSlot = b->format == kQzioFormatRGBPlanes ? 0 : 3;
  for (int i = 0; i < planes; ++i) {
    if (!b->planeTables[firstSlot + i]) return 0;
    firsts[i] = b->planeTables[firstSlot + i][0];
  }
  return planes;
}
}  // namespace

PagesAhead::PagesAhead(const QZIO_ImageBuffer* b) {
  uint8_t* firsts[4] = {};
  const int count = FirstRowsOfPlanes(b, firsts);
  if (count > 0) start(firsts, count, b->bytesPerRow, b->height);
}

PagesAhead::~PagesAhead() {
  if (!state_) return;
  state_->stop.store(true, std::memory_order_relaxed);
  state_->thread.join();
  delete state_;
}

}  // namespace qzio

using namespace qzio;

QZ_EXTERN_C_BEGIN

QZIO_ImageBuffer* QZIO_AllocBuffer(uint32_t width, uint32_t height, uint32_t depth, uint32_t bytesPerRow,
                                   uint32_t format) {
  QZIO_ImageBuffer* b = AllocBufferQuiet(width, height, depth, bytesPerRow, format);
  if (!b) QZIO_ErrorNumberRequest(kQzioNoMemory);
  return b;
}

int32_t QZIO_AllocBufferMem(QZIO_ImageBuffer* buffer) {
  if (!buffer) return 0;
  if (AllocBufferMemQuiet(buffer)) return 1;
  // An unknown layout fails without a word; anything else was memory.
  const bool known = buffer->format == kQzioFormatPacked ? buffer->bytesPerRow != 0
                                                         : DefaultBytesPerRow(buffer->format, 1) != 0;
  if (known) QZIO_ErrorNumberRequest(kQzioNoMemory);
  return 0;
}

void QZIO_FreeBufferMem(QZIO_ImageBuffer* b) {
  if (!b) return;
  std::free(b->pixelMemory);
  b->pixelMemory = nullptr;
  for (auto& t : b->planeTables) {
    FreePlane(t);
    t = nullptr;
  }
  std::memset(b->bitplanes, 0, sizeof b->bitplanes);
  b->interleaved = b->packed = b->red = b->green = b->blue = b->grey = b->index = nullptr;
  std::memset(b->fourPlanes, 0, sizeof b->fourPlanes);
}

void QZIO_FreeBuffer(QZIO_ImageBuffer* b) {
  if (!b) return;
  Remove(&b->node);
  if (b->header) {
    std::free(b->header->probe);
    std::free(b->header);
  }
  QZIO_FreeBufferMem(b);
  QZIO_FreeBuffer(b->firstAttached);
  QZIO_FreeBuffer(b->secondAttached);
  QZIO_FreeBuffer(b->mask);
  // A buffer that never had a list made (NewBuffer always makes one) has a
  // zero head; only walk a list that was set up.
  if (b->layers.lh_Head) {
    while (b->layers.lh_Head->ln_Succ) {
      auto* layer = reinterpret_cast<QZIO_ImageBuffer*>(b->layers.lh_Head);
      QZIO_FreeBuffer(layer);  // unlinks itself first
    }
  }
  DisposeObject(b->settings.mode);
  std::free(b->settings.modeText);
  std::free(b);
}

QZIO_ImageBuffer* QZIO_ConvertBufferFormat(QZIO_ImageBuffer* src, uint32_t target) {
  if (!src) return nullptr;
  if (src->format == kQzioFormatBitplanes) {
    if (!src->pixelMemory) return nullptr;
    if (src->depth <= 8) {
      QZIO_ImageBuffer* chunky = AllocBufferQuiet(src->width, src->height, src->depth, 0, kQzioFormatIndexed);
      if (!chunky) return nullptr;
      PlanarToChunky(src, 0, src->depth, chunky->index, chunky->bytesPerRow);
      std::memcpy(chunky->colourmap, src->colourmap, sizeof chunky->colourmap);
      QZIO_ImageBuffer* out = QZIO_ConvertBufferFormat(chunky, target);
      if (out) std::memcpy(out->colourmap, src->colourmap, sizeof out->colourmap);
      QZIO_FreeBuffer(chunky);
      return out;
    }
    QZIO_ImageBuffer* planes = AllocBufferQuiet(src->width, src->height, src->depth, 0, kQzioFormatRGBPlanes);
    if (!planes) return nullptr;
    PlanarToChunky(src, 0, 8, planes->red, planes->bytesPerRow);
    PlanarToChunky(src, 8, 8, planes->green, planes->bytesPerRow);
    PlanarToChunky(src, 16, 8, planes->blue, planes->bytesPerRow);
    std::memcpy(planes->colourmap, src->colourmap, sizeof planes->colourmap);
    if (target == kQzioFormatRGBPlanes) return planes;
    QZIO_ImageBuffer* out = QZIO_ConvertBufferFormat(planes, target);
    if (out) std::memcpy(out->colourmap, src->colourmap, sizeof out->colourmap);
    QZIO_FreeBuffer(planes);
    return out;
  }
  if (target != kQzioFormatRGBPlanes) return nullptr;
  return ConvertToPlanes(src);
}

int32_t QZIO_SetBufferData(QZIO_ImageBuffer* b, uint32_t x, uint32_t y, uint32_t width, uint32_t height,
                           uint32_t srcBytesPerRow, uint32_t layout, const void* source) {
  if (!b) return 0;
  if (b->format == kQzioFormatGrey || b->format == kQzioFormatIndexed) {
    const uint32_t wanted = b->format == kQzioFormatGrey ? kQzioLayoutGrey : kQzioLayoutIndex;
    if (layout != wanted) return 0;
    if (width == 0 || height == 0) return 1;
    uint8_t* base = b->format == kQzioFormatGrey ? b->grey : b->index;
    if (!base || !source || !InsideBuffer(b, x, y, width, height)) return 0;
    const auto* in = static_cast<const uint8_t*>(source);
    for (uint32_t r = 0; r < height; ++r)
      std::memcpy(base + uint64_t(y + r) * b->bytesPerRow + x, in + uint64_t(r) * srcBytesPerRow, width);
    return 1;
  }
  if (b->format != kQzioFormatRGBPlanes) return 0;
  switch (layout) {
    case kQzioLayoutRGB: case kQzioLayoutRGBX: case kQzioLayoutRGB565: case kQzioLayoutGrey:
    case kQzioLayoutIndex: case kQzioLayoutBGR: case kQzioLayoutBGRX: case kQzioLayoutXBGR:
    case kQzioLayoutNibbles:
      break;
    default:
      return 0;
  }
  if (width == 0 || height == 0) return 1;
  if (!b->red || !source || !InsideBuffer(b, x, y, width, height)) return 0;
  const auto* in = static_cast<const uint8_t*>(source);
  const PixelRowKernels& rows = pixelRowKernels();
  for (uint32_t r = 0; r < height; ++r) {
    const uint8_t* s = in + uint64_t(r) * srcBytesPerRow;
    const uint64_t o = uint64_t(y + r) * b->bytesPerRow + x;
    uint8_t* R = b->red + o;
    uint8_t* G = b->green + o;
    uint8_t* B = b->blue + o;
    switch (layout) {
      case kQzioLayoutRGB:
        rows.splitPixels(s, 3, R, G, B, width);
        break;
      case kQzioLayoutRGBX:
        rows.splitPixels(s, 4, R, G, B, width);
        break;
      case kQzioLayoutRGB565:
        for (uint32_t i = 0; i < width; ++i, s += 2) {
          const uint32_t v = s[0] | (uint32_t(s[1]) << 8);
          R[i] = uint8_t(((v >> 11) & 31) * 255 / 31);
          G[i] = uint8_t(((v >> 5) & 63) * 255 / 63);
          B[i] = uint8_t((v & 31) * 255 / 31);
        }
        break;
      case kQzioLayoutGrey:
        std::memcpy(R, s, width);
        std::memcpy(G, s, width);
        std::memcpy(B, s, width);
        break;
      case kQzioLayoutIndex:
        for (uint32_t i = 0; i < width; ++i) {
          const uint32_t c = b->colourmap[s[i]];
          R[i] = uint8_t(c), G[i] = uint8_t(c >> 8), B[i] = uint8_t(c >> 16);
        }
        break;
      case kQzioLayoutBGR:
        rows.splitPixels(s, 3, B, G, R, width);
        break;
      case kQzioLayoutBGRX:
        rows.splitPixels(s, 4, B, G, R, width);
        break;
      case kQzioLayoutXBGR:
        for (uint32_t i = 0; i < width; ++i, s += 4) B[i] = s[1], G[i] = s[2], R[i] = s[3];
        break;
      case kQzioLayoutNibbles:
        for (uint32_t i = 0; i < width; ++i) {
          const uint8_t byte = s[i >> 1];
          const uint32_t c = b->colourmap[(i & 1) ? (byte & 15) : (byte >> 4)];
          R[i] = uint8_t(c), G[i] = uint8_t(c >> 8), B[i] = uint8_t(c >> 16);
        }
        break;
    }
  }
  return 1;
}

// Reads format 1 and, since grey documents reach savers as format 9, grey
// buffers too (R = G = B = grey), so no saver writes rows it never filled.
int32_t QZIO_GetBufferData(QZIO_ImageBuffer* b, uint32_t x, uint32_t y, uint32_t width, uint32_t height,
                           uint32_t dstBytesPerRow, uint32_t layout, void* target) {
  if (!b) return 0;
  if (b->format != kQzioFormatRGBPlanes && b->format != kQzioFormatGrey) return 0;
  switch (layout) {
    case kQzioLayoutRGB: case kQzioLayoutRGBX: case kQzioLayoutIndex: case kQzioLayoutBGR:
    case kQzioLayoutRGBInverseMask: case kQzioLayoutRGBMask:
      break;
    default:
      return 0;
  }
  if (width == 0 || height == 0) return 1;
  const bool grey = b->format == kQzioFormatGrey;
  if ((grey ? !b->grey : !b->red) || !target || !InsideBuffer(b, x, y, width, height)) return 0;
  auto* out = static_cast<uint8_t*>(target);
  const PixelRowKernels& rows = pixelRowKernels();
  for (uint32_t r = 0; r < height; ++r) {
    uint8_t* d = out + uint64_t(r) * dstBytesPerRow;
    const uint64_t o = uint64_t(y + r) * b->bytesPerRow + x;
    const uint8_t* R = grey ? b->grey + o : b->red + o;
    const uint8_t* G = grey ? b->grey + o : b->green + o;
    const uint8_t* B = grey ? b->grey + o : b->blue + o;
    switch (layout) {
      case kQzioLayoutRGB:
        rows.joinPixels(R, G, B, d, 3, width);
        break;
      case kQzioLayoutRGBX:
        rows.joinPixels(R, G, B, d, 4, width);
        break;
      case kQzioLayoutIndex:
        std::memcpy(d, G, width);
        break;
      case kQzioLayoutBGR:
        rows.joinPixels(B, G, R, d, 3, width);
        break;
      case kQzioLayoutRGBInverseMask:
      case kQzioLayoutRGBMask:
        for (uint32_t i = 0; i < width; ++i, d += 4) {
          const int m = MaskByteAt(b, x + i, y + r);
          const uint8_t mask = m < 0 ? 255 : uint8_t(m);
          d[0] = R[i], d[1] = G[i], d[2] = B[i];
          d[3] = layout == kQzioLayoutRGBMask ? mask : uint8_t(255 - mask);
        }
        break;
    }
  }
  return 1;
}

int32_t QZIO_ComputeBestColourmapA(QZIO_ImageBuffer* b, uint32_t colours, QzWord, const TagItem*) {
  if (!b) return 0;
  if (colours > 256) colours = 256;
  for (uint32_t i = 0; i < colours; ++i) b->colourmap[i] = i | (i << 8) | (i << 16);
  return 1;
}

int32_t ChunkyTo8Planes(const void*, uint32_t, void*, uint32_t) { return 0; }

QZ_EXTERN_C_END
