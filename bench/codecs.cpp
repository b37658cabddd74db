// Loads and saves a 24-megapixel picture as JPEG, PNG and TIFF, once through
// the library's QZIO_ calls and once through plain libjpeg / libpng / libtiff
// calls with the same settings, and reports both times and their ratio
// (QZIO time / plain time; 1.0 means no overhead).
//
// Like is compared with like: every plain load decodes into freshly allocated
// memory (a loaded picture is always new memory, so its page faults belong to
// both sides), and every plain save is followed by an fsync of its file, timed
// on its own. The library's saves must reach the disk before they report
// success, so "ratio" compares against the plain save without its fsync and
// "ratio_synced" against the plain save with it; "plain_fsync_ms" is the
// fsync's own cost.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <jpeglib.h>
#include <png.h>
#include <tiffio.h>

#include "qzio/qzio.h"
#include "qzio/qzio_format_classes.h"
#include "qzio/root_qzio.h"


namespace {

constexpr uint32_t kWidth = 6000;
constexpr uint32_t kHeight = 4000;

struct Picture {
  std::vector<uint8_t> rgb;  // interleaved, top row first
};

// A gradient with a little texture, so PNG and Deflate have real work.
const Picture& SourcePicture() {
  static const Picture picture = [] {
    Picture p;
    p.rgb.resize(static_cast<size_t>(kWidth) * kHeight * 3);
    uint32_t noise = 1;
    for (uint32_t y = 0; y < kHeight; ++y) {
      for (uint32_t x = 0; x < kWidth; ++x) {
        noise = noise * 1664525u + 1013904223u;
        uint8_t* px = &p.rgb[(static_cast<size_t>(y) * kWidth + x) * 3];
        px[0] = static_cast<uint8_t>(x * 255 / kWidth + (noise >> 29));
        px[1] = static_cast<uint8_t>(y * 255 / kHeight + (noise >> 30));
        px[2] = static_cast<uint8_t>((x + y) * 255 / (kWidth + kHeight));
      }
    }
    return p;
  }();
  return picture;
}

// A temporary folder for the files, removed when the program ends.
struct WorkFolderHolder {
  std::string path;
  WorkFolderHolder() {
    path = (std::filesystem::temp_directory_path() / "qzbench-XXXXXX").string();
    if (!mkdtemp(path.data())) std::abort();
  }
  ~WorkFolderHolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
};

const std::string& WorkFolder() {
  static const WorkFolderHolder folder;
  return folder.path;
}

// Starts the library once with the three classes the benchmark uses.
void StartLibrary() {
  static const bool started = [] {
    Qz_InitRootQZIOClass(nullptr);
    Qz_InitJPEGQZIOClass(nullptr);
    Qz_InitPNGQZIOClass(nullptr);
    Qz_InitTIFFQZIOClass(nullptr);
    QZIO_Init(nullptr);
    return true;
  }();
  (void)started;
}

QZIO_ImageBuffer* SourceBuffer() {
  static QZIO_ImageBuffer* buffer = [] {
    QZIO_ImageBuffer* b = QZIO_AllocBuffer(kWidth, kHeight, 24, 0, kQzioFormatRGBPlanes);
    if (!b) std::abort();
    QZIO_SetBufferData(b, 0, 0, kWidth, kHeight, kWidth * 3, kQzioLayoutRGB, SourcePicture().rgb.data());
    return b;
  }();
  return buffer;
}

// --- plain library calls, with the settings the format classes use --------

// Time spent in fsync by the last plain save, in seconds.
double gPlainFsyncSeconds = 0;

// Flushes a finished plain save to the disk, as the library's saves do.
void SyncPlainFile(const std::string& path) {
  const auto start = std::chrono::steady_clock::now();
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0 || fsync(fd) != 0) std::abort();
  close(fd);
  gPlainFsyncSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Fresh, untouched memory for one decoded picture.
std::unique_ptr<uint8_t[]> FreshPixels(size_t bytes) { return std::unique_ptr<uint8_t[]>(new uint8_t[bytes]); }

void PlainJpegSave(const std::string& path) {
  FILE* file = std::fopen(path.c_str(), "wb");
  jpeg_compress_struct c;
  jpeg_error_mgr errors;
  c.err = jpeg_std_error(&errors);
  jpeg_create_compress(&c);
  jpeg_stdio_dest(&c, file);
  c.image_width = kWidth;
  c.image_height = kHeight;
  c.input_components = 3;
  c.in_color_space = JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, 90, TRUE);
  jpeg_simple_progression(&c);
  jpeg_start_compress(&c, TRUE);
  const uint8_t* rgb = SourcePicture().rgb.data();
  while (c.next_scanline < c.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(rgb + static_cast<size_t>(c.next_scanline) * kWidth * 3);
    jpeg_write_scanlines(&c, &row, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  std::fclose(file);
  SyncPlainFile(path);
}

void PlainJpegLoad(const std::string& path) {
  FILE* file = std::fopen(path.c_str(), "rb");
  jpeg_decompress_struct d;
  jpeg_error_mgr errors;
  d.err = jpeg_std_error(&errors);
  jpeg_create_decompress(&d);
  jpeg_stdio_src(&d, file);
  jpeg_read_header(&d, TRUE);
  jpeg_start_decompress(&d);
  auto out = FreshPixels(static_cast<size_t>(d.output_width) * d.output_height * d.output_components);
  while (d.output_scanline < d.output_height) {
    JSAMPROW row = out.get() + static_cast<size_t>(d.output_scanline) * d.output_width * d.output_components;
    jpeg_read_scanlines(&d, &row, 1);
  }
  jpeg_finish_decompress(&d);
  jpeg_destroy_decompress(&d);
  std::fclose(file);
}

void PlainPngSave(const std::string& path) {
  FILE* file = std::fopen(path.c_str(), "wb");
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_init_io(png, file);
  png_set_compression_level(png, 6);
  png_set_IHDR(png, info, kWidth, kHeight, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  const uint8_t* rgb = SourcePicture().rgb.data();
  for (uint32_t y = 0; y < kHeight; ++y) png_write_row(png, rgb + static_cast<size_t>(y) * kWidth * 3);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  std::fclose(file);
  SyncPlainFile(path);
}

void PlainPngLoad(const std::string& path) {
  FILE* file = std::fopen(path.c_str(), "rb");
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_init_io(png, file);
  png_read_info(png, info);
  png_set_strip_16(png);
  png_set_expand(png);
  png_read_update_info(png, info);
  const size_t rowBytes = png_get_rowbytes(png, info);
  const uint32_t height = png_get_image_height(png, info);
  auto out = FreshPixels(rowBytes * height);
  for (uint32_t y = 0; y < height; ++y) png_read_row(png, out.get() + rowBytes * y, nullptr);
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  std::fclose(file);
}

void PlainTiffSave(const std::string& path) {
  TIFF* tif = TIFFOpen(path.c_str(), "wm");
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, kWidth);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, kHeight);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tif, 0));
  const uint8_t* rgb = SourcePicture().rgb.data();
  for (uint32_t y = 0; y < kHeight; ++y)
    TIFFWriteScanline(tif, const_cast<uint8_t*>(rgb + static_cast<size_t>(y) * kWidth * 3), y, 0);
  TIFFClose(tif);
  SyncPlainFile(path);
}

void PlainTiffLoad(const std::string& path) {
  TIFF* tif = TIFFOpen(path.c_str(), "rm");
  uint32_t width = 0, height = 0;
  TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
  TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height);
  auto raster = FreshPixels(static_cast<size_t>(width) * height * sizeof(uint32_t));
  TIFFReadRGBAImageOriented(tif, width, height, reinterpret_cast<uint32_t*>(raster.get()), ORIENTATION_TOPLEFT, 0);
  TIFFClose(tif);
}

// --- the same through the library -------------------------------------------

void QzioSave(const std::string& path, const char* format) {
  QZIO_Header header{};
  header.buffer = SourceBuffer();
  header.fileName = path.c_str();
  uint32_t flags = kQzioQuiet;
  if (QZIO_SaveBufferA(&header, path.c_str(), format, nullptr, &flags) != kQzioSuccess) std::abort();
}

void QzioLoad(const std::string& path) {
  QZIO_ImageBuffer* buffer = QZIO_AutoLoadBufferA(path.c_str(), kQzioQuiet, nullptr);
  if (!buffer) std::abort();
  QZIO_FreeBuffer(buffer);
}

template <typename Plain>
double TimePlain(Plain plain) {
  const auto start = std::chrono::steady_clock::now();
  plain();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// One benchmark per format and direction: each iteration runs the plain
// calls and then the QZIO calls; the reported time is the QZIO time.
template <typename Plain, typename Qzio>
void Compare(benchmark::State& state, Plain plain, Qzio qzio) {
  StartLibrary();
  SourcePicture();
  SourceBuffer();
  double plainTotal = 0, fsyncTotal = 0, qzioTotal = 0;
  for (auto _ : state) {
    gPlainFsyncSeconds = 0;
    const double p = TimePlain(plain);
    fsyncTotal += gPlainFsyncSeconds;
    plainTotal += p - gPlainFsyncSeconds;
    const double q = TimePlain(qzio);
    qzioTotal += q;
    state.SetIterationTime(q);
  }
  state.counters["plain_ms"] = benchmark::Counter(plainTotal * 1000, benchmark::Counter::kAvgIterations);
  state.counters["qzio_ms"] = benchmark::Counter(qzioTotal * 1000, benchmark::Counter::kAvgIterations);
  state.counters["ratio"] = plainTotal > 0 ? qzioTotal / plainTotal : 0;
  if (fsyncTotal > 0) {
    state.counters["plain_fsync_ms"] = benchmark::Counter(fsyncTotal * 1000, benchmark::Counter::kAvgIterations);
    state.counters["ratio_synced"] = qzioTotal / (plainTotal + fsyncTotal);
  }
}

std::string PathFor(const char* name) { return WorkFolder() + "/" + name; }

void BM_JpegSave(benchmark::State& state) {
  Compare(state, [] { PlainJpegSave(PathFor("plain.jpg")); }, [] { QzioSave(PathFor("qzio.jpg"), "JPEG"); });
}
void BM_JpegLoad(benchmark::State& state) {
  PlainJpegSave(PathFor("plain.jpg"));
  Compare(state, [] { PlainJpegLoad(PathFor("plain.jpg")); }, [] { QzioLoad(PathFor("plain.jpg")); });
}
void BM_PngSave(benchmark::State& state) {
  Compare(state, [] { PlainPngSave(PathFor("plain.png")); }, [] { QzioSave(PathFor("qzio.png"), "PNG"); });
}
void BM_PngLoad(benchmark::State& state) {
  PlainPngSave(PathFor("plain.png"));
  Compare(state, [] { PlainPngLoad(PathFor("plain.png")); }, [] { QzioLoad(PathFor("plain.png")); });
}
void BM_TiffSave(benchmark::State& state) {
  Compare(state, [] { PlainTiffSave(PathFor("plain.tif")); }, [] { QzioSave(PathFor("qzio.tif"), "TIFF"); });
}
void BM_TiffLoad(benchmark::State& state) {
  PlainTiffSave(PathFor("plain.tif"));
  Compare(state, [] { PlainTiffLoad(PathFor("plain.tif")); }, [] { QzioLoad(PathFor("plain.tif")); });
}

BENCHMARK(BM_JpegSave)->UseManualTime()->Iterations(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegLoad)->UseManualTime()->Iterations(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PngSave)->UseManualTime()->Iterations(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PngLoad)->UseManualTime()->Iterations(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TiffSave)->UseManualTime()->Iterations(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TiffLoad)->UseManualTime()->Iterations(2)->Unit(benchmark::kMillisecond);

}  // namespace
