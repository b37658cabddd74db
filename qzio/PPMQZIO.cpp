// PPMQZIO: portable pixmaps and greymaps, binary ("P6", "P5") and text
// ("P3", "P2"). Reads any maximum value (samples of two bytes when it is
// above 255, scaled to 8 bits); writes binary P6, or P5 for grey buffers.
// Pixels move in bands of rows, a band per transfer and progress report.
#include <sys/stat.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "qzio/codec_rows.h"
#include "qzio/load_problem.h"
#include "qzio/qzio.h"
#include "qzio/qzio_internal.h"
#include "qzio/root_qzio.h"

namespace {

using namespace qzio;

// The class's own option: text ("plain") output instead of binary.
constexpr uint32_t kSetPlainOutput = 7013;
constexpr uint32_t kGetPlainOutput = 7043;

constexpr uint32_t kMaxHeaderBytes = 4096;  // magic, sizes and comments together

struct PnmHeader {
  char kind = 0;          // '6', '5', '3' or '2'
  uint32_t width = 0, height = 0, maxValue = 0;
  bool text() const { return kind == '3' || kind == '2'; }
  uint32_t channels() const { return (kind == '6' || kind == '3') ? 3 : 1; }
  uint32_t sampleBytes() const { return maxValue > 255 ? 2 : 1; }
};

// Bytes of a header, from the probe or from the stream.
class HeaderSource {
 public:
  virtual ~HeaderSource() = default;
  // A byte, or -1 at the end.
  int next() {
    if (pending_ >= 0) {
      const int c = pending_;
      pending_ = -1;
      return c;
    }
    return fetch();
  }
  void unget(int c) { pending_ = c; }

 protected:
  virtual int fetch() = 0;

 private:
  int pending_ = -1;
};

class SpanSource : public HeaderSource {
 public:
  SpanSource(const uint8_t* p, size_t n) : p_(p), n_(n) {}
  int fetch() override { return pos_ < n_ ? p_[pos_++] : -1; }

 private:
  const uint8_t* p_;
  size_t n_;
  size_t pos_ = 0;
};

class StreamSource : public HeaderSource {
 public:
  explicit StreamSource(FILE* f, uint32_t limit = kMaxHeaderBytes) : f_(f), limit_(limit) {}
  int fetch() override { return count_++ < limit_ ? std::fgetc(f_) : -1; }

 private:
  FILE* f_;
  uint32_t limit_;
  uint32_t count_ = 0;
};

bool Qz__IsSpace(int c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

// Reads one decimal number after whitespace and comments ("#" to the end of
// the line). *after receives the byte that ended it; a "#" is left for the
// next read. False for anything else or a number above limit.
bool Qz__ReadNumber(HeaderSource& src, uint32_t limit, uint32_t* value, int* after) {
  int c = src.next();
  for (;;) {
    if (c == '#') {
      while (c != '\n' && c != '\r' && c != -1) c = src.next();
    } else if (Qz__IsSpace(c)) {
      c = src.next();
    } else {
      break;
    }
  }
  if (c < '0' || c > '9') return false;
  uint64_t v = 0;
  while (c >= '0' && c <= '9') {
    v = v * 10 + uint32_t(c - '0');
    if (v > limit) return false;
    c = src.next();
  }
  *value = static_cast<uint32_t>(v);
  *after = c;
  if (c == '#') src.unget(c);
  return true;
}

// Parses "P6"/"P5"/"P3"/"P2", width, height and maximum value. For binary
// files exactly one whitespace byte ends the header, as the format says.
bool Qz__ParseHeader(HeaderSource& src, PnmHeader* h) {
  if (src.next() != 'P') return false;
  const int kind = src.next();
  if (kind != '6' && kind != '5' && kind != '3' && kind != '2') return false;
  h->kind = static_cast<char>(kind);
  int after = 0;
  int sep = src.next();
  if (!Qz__IsSpace(sep) && sep != '#') return false;
  if (sep == '#') {
    while (sep != '\n' && sep != '\r' && sep != -1) sep = src.next();
  }
  if (!Qz__ReadNumber(src, kQzioMaxSide, &h->width, &after) || (!Qz__IsSpace(after) && after != '#')) return false;
  if (!Qz__ReadNumber(src, kQzioMaxSide, &h->height, &after) || (!Qz__IsSpace(after) && after != '#')) return false;
  if (!Qz__ReadNumber(src, 65535, &h->maxValue, &after)) return false;
  if (!Qz__IsSpace(after)) return false;
  return h->width > 0 && h->height > 0 && h->maxValue > 0;
}

// Band count for a picture of h rows.
uint32_t BandCount(uint32_t h) { return h < 20 ? 1 : h < 100 ? 2 : h < 200 ? 3 : 8; }

uint8_t Qz__Scale(uint32_t v, uint32_t maxValue) {
  if (maxValue == 255) return static_cast<uint8_t>(v);
  if (v >= maxValue) return 255;
  return static_cast<uint8_t>((uint64_t(v) * 255 + maxValue / 2) / maxValue);
}

// Reads the text samples of rows rows into out (8-bit, channels a pixel).
bool Qz__ReadTextSamples(FILE* f, const PnmHeader& h, uint32_t rows, uint8_t* out) {
  const uint64_t n = uint64_t(rows) * h.width * h.channels();
  StreamSource src(f, UINT32_MAX);
  for (uint64_t i = 0; i < n; ++i) {
    uint32_t v = 0;
    int after = 0;
    if (!Qz__ReadNumber(src, h.maxValue, &v, &after)) return false;
    if (after != -1 && after != '#' && !Qz__IsSpace(after)) return false;
    out[i] = Qz__Scale(v, h.maxValue);
  }
  // A byte kept back for the next number goes back to the stream.
  if (const int c = src.next(); c >= 0) std::ungetc(c, f);
  return true;
}

// Turns binary samples into 8-bit ones in place order.
void Qz__ScaleBinary(const PnmHeader& h, const uint8_t* in, uint64_t samples, uint8_t* out) {
  if (h.sampleBytes() == 1) {
    for (uint64_t i = 0; i < samples; ++i) out[i] = Qz__Scale(in[i], h.maxValue);
  } else {
    for (uint64_t i = 0; i < samples; ++i) out[i] = Qz__Scale(uint32_t(in[2 * i]) << 8 | in[2 * i + 1], h.maxValue);
  }
}

uint32_t Qz__Identify(const FormatCall&, QZIO_Header* header) {
  if (!header || !header->probe || !header->buffer) return kQzioNotRecognised;
  SpanSource src(header->probe, header->probeSize);
  PnmHeader h;
  if (!Qz__ParseHeader(src, &h)) return kQzioNotRecognised;
  // A binary sample takes its bytes, a text one at least one: a file too
  // short for the pixels it declares is damaged, found before any buffer.
  const uint64_t samples = uint64_t{h.width} * h.height * h.channels();
  if (header->fileSize && !qz::codec::fileCanHold(h.text() ? samples : samples * h.sampleBytes(), 1, header->fileSize))
    return qz::codec::reportTooShort("PPM", h.width, h.height);
  QZIO_ImageBuffer* b = header->buffer;
  b->width = h.width;
  b->height = h.height;
  b->depth = 24;
  b->format = header->wantedTrueColour ? header->wantedTrueColour : kQzioFormatRGBPlanes;
  return kQzioSuccess;
}

uint32_t Qz__Load(const FormatCall&, QZIO_Header* header) {
  if (!header || !header->stream || !header->buffer) return kQzioBadArguments;
  QZIO_ImageBuffer* b = header->buffer;
  if (std::fseek(header->stream, 0, SEEK_SET) != 0) return kQzioReadError;
  StreamSource src(header->stream);
  PnmHeader h;
  if (!Qz__ParseHeader(src, &h)) return kQzioNotRecognised;
  if (h.width != b->width || h.height != b->height) return kQzioReadError;

  const uint32_t bands = BandCount(h.height);
  const uint32_t bandRows = h.height / bands;
  const uint32_t lastRows = h.height % bands;
  const uint64_t rowSamples = uint64_t(h.width) * h.channels();
  const uint64_t rowBytes = rowSamples * h.sampleBytes();
  const uint32_t bufferRows = bandRows ? bandRows : lastRows;
  // A file too short for the pixels it declares is refused before any band
  // memory is touched (a binary sample takes its bytes, a text one at least one).
  const off_t headerEnd = ftello(header->stream);
  uint64_t fileSize = header->fileSize;
  struct stat st;
  if (fileSize == 0 && fstat(fileno(header->stream), &st) == 0) fileSize = static_cast<uint64_t>(st.st_size);
  const uint64_t available = fileSize > uint64_t(headerEnd) ? fileSize - uint64_t(headerEnd) : 0;
  const uint64_t needed = h.text() ? rowSamples * h.height : rowBytes * h.height;
  if (headerEnd < 0 || available < needed) return kQzioReadError;
  std::vector<uint8_t> raw, band;
  try {
    if (!h.text()) raw.resize(rowBytes * bufferRows);
    band.resize(rowSamples * bufferRows);
  } catch (const std::bad_alloc&) {
    return kQzioNoMemory;
  }
  const uint32_t layout = h.channels() == 3 ? kQzioLayoutRGB : kQzioLayoutGrey;
  const uint32_t totalBands = bands + (lastRows ? 1 : 0);
  uint32_t y = 0;
  for (uint32_t n = 0; n < totalBands; ++n) {
    const uint32_t rows = n < bands ? bandRows : lastRows;
    if (rows == 0) continue;
    if (h.text()) {
      if (!Qz__ReadTextSamples(header->stream, h, rows, band.data())) return kQzioReadError;
    } else {
      const size_t want = static_cast<size_t>(rowBytes * rows);
      if (std::fread(raw.data(), 1, want, header->stream) != want) return kQzioReadError;
      Qz__ScaleBinary(h, raw.data(), rowSamples * rows, band.data());
    }
    if (!QZIO_SetBufferData(b, 0, y, h.width, rows, static_cast<uint32_t>(rowSamples), layout, band.data()))
      return kQzioBadArguments;
    y += rows;
    if (!ReportProgress(header, n + 1, totalBands)) return kQzioCancelled;
  }
  return kQzioSuccess;
}

std::atomic<int32_t> gPlainOutput{0};

bool Qz__WriteText(FILE* f, const uint8_t* samples, uint64_t count) {
  // Lines stay under 70 characters, as readers of the text form expect.
  char line[80];
  size_t used = 0;
  for (uint64_t i = 0; i < count; ++i) {
    char num[8];
    const int len = std::snprintf(num, sizeof num, "%u", unsigned(samples[i]));
    if (used + size_t(len) + 1 > 70) {
      line[used++] = '\n';
      if (std::fwrite(line, 1, used, f) != used) return false;
      used = 0;
    }
    if (used) line[used++] = ' ';
    std::memcpy(line + used, num, size_t(len));
    used += size_t(len);
  }
  line[used++] = '\n';
  return std::fwrite(line, 1, used, f) == used;
}

uint32_t Qz__Save(const FormatCall&, QZIO_Header* header) {
  if (!header || !header->stream || !header->buffer) return kQzioBadArguments;
  QZIO_ImageBuffer* b = header->buffer;
  const bool grey = b->format == kQzioFormatGrey;
  if ((!grey && b->format != kQzioFormatRGBPlanes) || b->width == 0 || b->height == 0 ||
      (grey ? !b->grey : !b->red))
    return kQzioBadArguments;
  const bool plain = gPlainOutput.load(std::memory_order_relaxed) != 0;
  const char magic = grey ? (plain ? '2' : '5') : (plain ? '3' : '6');
  if (std::fprintf(header->stream, "P%c\n%u %u\n255\n", magic, unsigned(b->width), unsigned(b->height)) < 0)
    return kQzioWriteError;

  const uint32_t channels = grey ? 1 : 3;
  const uint32_t bands = BandCount(b->height);
  const uint32_t bandRows = b->height / bands;
  const uint32_t lastRows = b->height % bands;
  const uint64_t rowBytes = uint64_t(b->width) * channels;
  std::vector<uint8_t> band;
  try {
    band.resize(rowBytes * (bandRows ? bandRows : lastRows));
  } catch (const std::bad_alloc&) {
    return kQzioNoMemory;
  }
  const uint32_t totalBands = bands + (lastRows ? 1 : 0);
  uint32_t y = 0;
  for (uint32_t n = 0; n < totalBands; ++n) {
    const uint32_t rows = n < bands ? bandRows : lastRows;
    if (rows == 0) continue;
    if (grey) {
      for (uint32_t r = 0; r < rows; ++r)
        std::memcpy(band.data() + r * rowBytes, b->grey + uint64_t(y + r) * b->bytesPerRow, b->width);
    } else if (!QZIO_GetBufferData(b, 0, y, b->width, rows, static_cast<uint32_t>(rowBytes), kQzioLayoutRGB,
                                   band.data())) {
      return kQzioBadArguments;
    }
    const size_t bytes = static_cast<size_t>(rowBytes * rows);
    if (plain ? !Qz__WriteText(header->stream, band.data(), bytes)
              : std::fwrite(band.data(), 1, bytes, header->stream) != bytes)
      return kQzioWriteError;
    y += rows;
    if (!ReportProgress(header, n + 1, totalBands)) return kQzioCancelled;
  }
  return std::fflush(header->stream) == 0 ? kQzioSuccess : kQzioWriteError;
}

const FormatOptionRow kPpmOptions[] = {
    {kSetPlainOutput, kGetPlainOutput, 0, 1, true, &gPlainOutput},
};

const FormatClass kClass = {
    .className = "PPMQZIO",
    .classIdField = 7005,
    .capabilities = kQzioCapsFile,
    .flags = kQzioFlagFile,
    .extension = "ppm",
    .identify = Qz__Identify,
    .load = Qz__Load,
    .save = Qz__Save,
    .option = optionRows<kPpmOptions>,
};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitPPMQZIOClass(Qz_GlobalData* global) {
  return qzio::RegisterFormatClass(&kClass, global);
}
QZ_EXPORT void Qz_CleanupPPMQZIOClass(void) { qzio::UnregisterFormatClass(&kClass); }
QZ_EXTERN_C_END
