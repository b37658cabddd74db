// Loads and saves a 6000 x 4000 photo-like picture as baseline and
// progressive JPEG, PNG, TIFF and GIF through the library and through the plain
// libraries with the same settings, each side run at least five times in
// turn; every figure is printed as its minimum and median in milliseconds.
//
// Loads are reported twice on the plain side: decoding into memory already
// touched (the cost of the codec alone) and into fresh memory (the codec and
// the page faults of a new picture). The library always decodes into new
// planes, as a load does. JPEG loads also time the program's own open
// (Qz__LoadImageA: buffer, planes, paint layer, first composite) and its
// peak memory beside the document's planes. TIFF's plain side uses libtiff's
// strip calls with strips of 64 KiB, and saves are also timed against
// tiffcp copying the plain file. Every save ends with its file on the disk.
//
// The cold open (BM_ColdOpen) is the first open in a fresh process, as a
// user opens a photo: each figure is a child process of its own, beside
// GraphicsMagick, ImageMagick and libvips each in a fresh process on the
// same file (see the section below).
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <jpeglib.h>
#include <png.h>
#include <tiffio.h>

#include "app/class_registration.h"
#include "image/image_shell.h"
#include "image/qz_image.h"
#include "qzio/qzio.h"
#include "qzio/qzio_format_classes.h"
#include "qzio/root_qzio.h"


extern char** environ;

namespace {

constexpr uint32_t kWidth = 6000;
constexpr uint32_t kHeight = 4000;
constexpr size_t kPictureBytes = size_t(kWidth) * kHeight * 3;
constexpr int kRuns = 5;
constexpr uint32_t kQuiet = 4;
constexpr uint32_t kSetProgressive = 7033;

// Smooth shapes, edges and a little grain, so the codecs see what a camera
// gives them rather than a gradient or noise.
const std::vector<uint8_t>& SourcePicture() {
  static const std::vector<uint8_t> rgb = [] {
    std::vector<uint8_t> p(kPictureBytes);
    std::mt19937 grain(5);
    for (uint32_t y = 0; y < kHeight; ++y)
      for (uint32_t x = 0; x < kWidth; ++x)
        for (int c = 0; c < 3; ++c) {
          double v = 120 + 70 * std::sin(x * 0.0023 + c) * std::cos(y * 0.0019 - 0.5 * c) +
                     30 * std::sin((x * 0.7 + y) * 0.011 * (c + 1));
          if ((x / 700 + y / 500) % 3 == 0) v *= 0.6;  // hard edges
          v += int(grain() % 7) - 3;
          p[(size_t(y) * kWidth + x) * 3 + size_t(c)] = uint8_t(std::clamp(v, 0.0, 255.0));
        }
    return p;
  }();
  return rgb;
}

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

std::string PathFor(const char* name) {
  static const WorkFolderHolder folder;
  return folder.path + "/" + name;
}

void StartLibrary() {
  static const bool started = [] {
    Qz_InitImageBase();
    Qz_InitImageClass(Qz_GetGlobalData());
    qz::app::initClasses(qz::app::classGroup(qz::app::ClassGroup::Actions), Qz_GetGlobalData());
    qz::app::initClasses(qz::app::classGroup(qz::app::ClassGroup::Modes), Qz_GetGlobalData());
    Qz_InitRootQZIOClass(nullptr);
    Qz_InitJPEGQZIOClass(nullptr);
    Qz_InitPNGQZIOClass(nullptr);
    Qz_InitTIFFQZIOClass(nullptr);
    Qz_InitGIFQZIOClass(nullptr);
    QZIO_Init(nullptr);
    return true;
  }();
  (void)started;
}

QZIO_ImageBuffer* SourceBuffer() {
  static QZIO_ImageBuffer* buffer = [] {
    QZIO_ImageBuffer* b = QZIO_AllocBuffer(kWidth, kHeight, 24, 0, kQzioFormatRGBPlanes);
    if (!b) std::abort();
    QZIO_SetBufferData(b, 0, 0, kWidth, kHeight, kWidth * 3, kQzioLayoutRGB, SourcePicture().data());
    return b;
  }();
  return buffer;
}

void SetProgressive(bool on) {
  Qz_Object* format = Qz_CreateObject("JPEGQZIO");
  if (!format) std::abort();
  Qz_DoMethod(format, kSetProgressive, on ? 1 : 0);
  Qz_DisposeObject(format);
}

void Sync(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0 || fsync(fd) != 0) std::abort();
  close(fd);
}

// Where a plain decode writes: one buffer touched once and kept, or new
// memory each time (a block this large is always a fresh mapping).
class Target {
 public:
  explicit Target(bool touched) : touched_(touched) {
    if (touched_) {
      kept_.reset(new uint8_t[kPictureBytes + kWidth * 4]);
      std::memset(kept_.get(), 1, kPictureBytes + kWidth * 4);
    }
  }
  uint8_t* get() {
    if (touched_) return kept_.get();
    fresh_.reset(new uint8_t[kPictureBytes + kWidth * 4]);
    return fresh_.get();
  }
  void release() { fresh_.reset(); }

 private:
  bool touched_;
  std::unique_ptr<uint8_t[]> kept_, fresh_;
};

// --- plain library calls ---------------------------------------------------

void PlainJpegSave(const std::string& path, bool progressive) {
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
  if (progressive) jpeg_simple_progression(&c);
  jpeg_start_compress(&c, TRUE);
  const uint8_t* rgb = SourcePicture().data();
  while (c.next_scanline < c.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(rgb + size_t(c.next_scanline) * kWidth * 3);
    jpeg_write_scanlines(&c, &row, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  std::fclose(file);
  Sync(path);
}

void PlainJpegLoad(const std::string& path, Target& target) {
  FILE* file = std::fopen(path.c_str(), "rb");
  jpeg_decompress_struct d;
  jpeg_error_mgr errors;
  d.err = jpeg_std_error(&errors);
  jpeg_create_decompress(&d);
  jpeg_stdio_src(&d, file);
  jpeg_read_header(&d, TRUE);
  jpeg_start_decompress(&d);
  uint8_t* out = target.get();
  while (d.output_scanline < d.output_height) {
    JSAMPROW row = out + size_t(d.output_scanline) * d.output_width * 3;
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
  png_set_IHDR(png, info, kWidth, kHeight, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  const uint8_t* rgb = SourcePicture().data();
  for (uint32_t y = 0; y < kHeight; ++y) png_write_row(png, rgb + size_t(y) * kWidth * 3);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  std::fclose(file);
  Sync(path);
}

void PlainPngLoad(const std::string& path, Target& target) {
  FILE* file = std::fopen(path.c_str(), "rb");
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_init_io(png, file);
  png_read_info(png, info);
  png_set_strip_16(png);
  png_set_expand(png);
  png_read_update_info(png, info);
  const size_t rowBytes = png_get_rowbytes(png, info);
  uint8_t* out = target.get();
  for (uint32_t y = 0; y < png_get_image_height(png, info); ++y) png_read_row(png, out + rowBytes * y, nullptr);
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  std::fclose(file);
}

void PlainTiffSave(const std::string& path, uint16_t compression = COMPRESSION_NONE) {
  TIFF* tif = TIFFOpen(path.c_str(), "wm");
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, kWidth);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, kHeight);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, compression);
  const uint32_t rows = std::max<uint32_t>(1, 65536 / (kWidth * 3));
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, rows);
  const uint8_t* rgb = SourcePicture().data();
  for (uint32_t y = 0; y < kHeight; y += rows) {
    const uint32_t n = std::min(rows, kHeight - y);
    TIFFWriteEncodedStrip(tif, TIFFComputeStrip(tif, y, 0), const_cast<uint8_t*>(rgb + size_t(y) * kWidth * 3),
                          tmsize_t(n) * kWidth * 3);
  }
  TIFFClose(tif);
  Sync(path);
}

void PlainTiffLoad(const std::string& path, Target& target) {
  TIFF* tif = TIFFOpen(path.c_str(), "rm");
  uint8_t* out = target.get();
  const tstrip_t strips = TIFFNumberOfStrips(tif);
  tmsize_t at = 0;
  for (tstrip_t s = 0; s < strips; ++s) {
    const tmsize_t got = TIFFReadEncodedStrip(tif, s, out + at, -1);
    if (got < 0) std::abort();
    at += got;
  }
  TIFFClose(tif);
}

void Tiffcp(const std::string& from, const std::string& to) {
  if (std::system(("tiffcp '" + from + "' '" + to + "'").c_str()) != 0) std::abort();
  Sync(to);
}

// --- the library, and the program's open -----------------------------------

void QzioSave(const std::string& path, const char* format) {
  QZIO_Header header{};
  header.buffer = SourceBuffer();
  header.fileName = path.c_str();
  uint32_t flags = kQzioQuiet;
  if (QZIO_SaveBufferA(&header, path.c_str(), format, nullptr, &flags) != kQzioSuccess) std::abort();
}

// The last load's buffer, freed outside the timing as the plain side's memory is.
QZIO_ImageBuffer* gLoaded = nullptr;

void QzioLoad(const std::string& path) {
  gLoaded = QZIO_AutoLoadBufferA(path.c_str(), kQzioQuiet, nullptr);
  if (!gLoaded) std::abort();
}

void FreeLoaded() {
  QZIO_FreeBuffer(gLoaded);
  gLoaded = nullptr;
}

long PeakKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
  return 0;
}

long ResidentKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  return 0;
}

// The peak memory of the last open above what was resident before it, and
// the document's own planes (background, composite, paint layer) in MiB.
double gOpenPeakMiB = 0, gDocumentPlanesMiB = 0;
Qz_Image* gOpened = nullptr;

void ProgramOpen(const std::string& path) {
  std::ofstream("/proc/self/clear_refs") << "5";  // the peak starts again from here
  const long before = ResidentKiB();
  gOpened = Qz__LoadImageA(path.c_str(), nullptr, nullptr, kQzLoadNoView | kQuiet, nullptr);
  if (!gOpened) std::abort();
  gOpenPeakMiB = double(PeakKiB() - before) / 1024;
  const double plane = double(Qz_PlaneRowBytes(gOpened->width, 8)) * gOpened->height / (1 << 20);
  gDocumentPlanesMiB = plane * 7;  // r, g, b, their background, the paint layer's transparency
}

void CloseOpened() {
  Qz_DisposeObject(&gOpened->object);
  gOpened = nullptr;
}

// --- timing -----------------------------------------------------------------

struct Side {
  const char* name;
  std::function<void()> run;
  std::function<void()> after = [] {};  // untimed clean-up
};

// Runs the sides in turn kRuns times; reports each side's minimum and
// median, and the medians' ratios of the first side to the others.
void Measure(benchmark::State& state, const std::vector<Side>& sides) {
  StartLibrary();
  SourcePicture();
  SourceBuffer();
  std::vector<std::vector<double>> times(sides.size());
  for (auto _ : state) {
    for (int run = 0; run < kRuns; ++run)
      for (size_t s = 0; s < sides.size(); ++s) {
        const auto start = std::chrono::steady_clock::now();
        sides[s].run();
        times[s].push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        sides[s].after();
      }
    state.SetIterationTime(0.001);
  }
  std::vector<double> medians;
  for (size_t s = 0; s < sides.size(); ++s) {
    std::vector<double>& t = times[s];
    std::sort(t.begin(), t.end());
    medians.push_back(t[t.size() / 2]);
    state.counters[std::string(sides[s].name) + "_min"] = t.front();
    state.counters[std::string(sides[s].name) + "_med"] = medians.back();
  }
  for (size_t s = 1; s < sides.size(); ++s)
    state.counters[std::string(sides[0].name) + "/" + sides[s].name] = medians[0] / medians[s];
}

void BM_JpegLoad(benchmark::State& state) {
  const bool progressive = state.range(0) != 0;
  StartLibrary();
  const std::string path = PathFor(progressive ? "progressive.jpg" : "baseline.jpg");
  PlainJpegSave(path, progressive);
  Target touched(true), fresh(false);
  Measure(state, {{"qzio", [&] { QzioLoad(path); }, FreeLoaded},
                  {"touched", [&] { PlainJpegLoad(path, touched); }},
                  {"fresh", [&] { PlainJpegLoad(path, fresh); }, [&] { fresh.release(); }},
                  {"open", [&] { ProgramOpen(path); }, CloseOpened}});
  // The open against the plain decode into touched memory.
  state.counters["open/touched"] = state.counters["open_med"] / state.counters["touched_med"];
  state.counters["open_peak_MiB"] = gOpenPeakMiB;
  state.counters["planes_MiB"] = gDocumentPlanesMiB;
}

void BM_JpegSave(benchmark::State& state) {
  const bool progressive = state.range(0) != 0;
  StartLibrary();
  SetProgressive(progressive);
  Measure(state, {{"qzio", [] { QzioSave(PathFor("qzio.jpg"), "JPEG"); }},
                  {"plain", [&] { PlainJpegSave(PathFor("plain.jpg"), progressive); }}});
}

void BM_PngLoad(benchmark::State& state) {
  const std::string path = PathFor("plain.png");
  PlainPngSave(path);
  Target touched(true), fresh(false);
  Measure(state, {{"qzio", [&] { QzioLoad(path); }, FreeLoaded},
                  {"touched", [&] { PlainPngLoad(path, touched); }},
                  {"fresh", [&] { PlainPngLoad(path, fresh); }, [&] { fresh.release(); }}});
}

void BM_PngSave(benchmark::State& state) {
  Measure(state, {{"qzio", [] { QzioSave(PathFor("qzio.png"), "PNG"); }},
                  {"plain", [] { PlainPngSave(PathFor("plain.png")); }}});
}

void BM_TiffLoad(benchmark::State& state) {
  const std::string path = PathFor("plain.tif");
  PlainTiffSave(path);
  Target touched(true), fresh(false);
  Measure(state, {{"qzio", [&] { QzioLoad(path); }, FreeLoaded},
                  {"touched", [&] { PlainTiffLoad(path, touched); }},
                  {"fresh", [&] { PlainTiffLoad(path, fresh); }, [&] { fresh.release(); }}});
}

void BM_TiffSave(benchmark::State& state) {
  PlainTiffSave(PathFor("plain.tif"));
  Measure(state, {{"qzio", [] { QzioSave(PathFor("qzio.tif"), "TIFF"); }},
                  {"plain", [] { PlainTiffSave(PathFor("plain2.tif")); }},
                  {"tiffcp", [] { Tiffcp(PathFor("plain.tif"), PathFor("copy.tif")); }}});
}

// GIF's peers are tools: ImageMagick reducing the same picture (written as
// PPM beforehand) to 256 colours, and giftopnm reading our file.
void Shell(const std::string& command) {
  if (std::system(command.c_str()) != 0) std::abort();
}

void MegapixelsPerSecond(benchmark::State& state, const char* side) {
  const double seconds = state.counters[std::string(side) + "_med"] / 1000;
  state.counters[std::string(side) + "_MP/s"] = double(kWidth) * kHeight / 1e6 / seconds;
}

void BM_GifLoad(benchmark::State& state) {
  StartLibrary();
  const std::string path = PathFor("qzio.gif");
  QzioSave(path, "GIF");
  Measure(state, {{"qzio", [&] { QzioLoad(path); }, FreeLoaded},
                  {"giftopnm", [&] { Shell("giftopnm '" + path + "' > /dev/null"); }}});
  MegapixelsPerSecond(state, "qzio");
  MegapixelsPerSecond(state, "giftopnm");
}

void BM_GifSave(benchmark::State& state) {
  StartLibrary();
  const std::string source = PathFor("source.ppm");
  {
    std::ofstream out(source, std::ios::binary);
    out << "P6\n" << kWidth << " " << kHeight << "\n255\n";
    out.write(reinterpret_cast<const char*>(SourcePicture().data()), std::streamsize(kPictureBytes));
  }
  Measure(state, {{"qzio", [] { QzioSave(PathFor("qzio.gif"), "GIF"); }},
                  {"convert", [&] {
                     Shell("convert '" + source + "' -colors 256 '" + PathFor("magick.gif") + "'");
                     Sync(PathFor("magick.gif"));
                   }}});
  MegapixelsPerSecond(state, "qzio");
  MegapixelsPerSecond(state, "convert");
}

// The row conversions alone, over the whole picture in touched memory.
void BM_RowConversions(benchmark::State& state) {
  std::vector<uint8_t> interleaved(kPictureBytes, 1);
  Measure(state, {{"split", [] {
                     QZIO_SetBufferData(SourceBuffer(), 0, 0, kWidth, kHeight, kWidth * 3, kQzioLayoutRGB,
                                        SourcePicture().data());
                   }},
                  {"join", [&] {
                     QZIO_GetBufferData(SourceBuffer(), 0, 0, kWidth, kHeight, kWidth * 3, kQzioLayoutRGB,
                                        interleaved.data());
                   }}});
}


// --- the cold open: the first open in a fresh process -----------------------
//
// Each figure is a new process: this program run again with --cold-open,
// which starts the library (not timed), opens the file once and writes the
// open's time and page faults on its standard output. The peers are the
// whole process of GraphicsMagick and ImageMagick reading the file into
// nothing and of libvips averaging its pixels; ours is given both as the
// open alone and as the whole child process, start-up and exit included.
// Every child starts after a pause, as a user's open comes after a while:
// memory the last process gave back is then no longer at hand, and a first
// touch costs what it costs a user.

constexpr const char* kColdFlag = "--cold-open=";
constexpr auto kColdPause = std::chrono::seconds(1);

struct ColdFigure {
  double wallMs = -1;   // the whole process
  double openMs = -1;   // the open alone, as the child measured it
  double minorFaults = 0;
};

long MinorFaults() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_minflt;
}

// The child's side: one open of `path` by `side`, then its figures.
int ColdOpenChild(const std::string& side, const std::string& path) {
  if (side != "plain") StartLibrary();
  Target fresh(false);
  const long faultsBefore = MinorFaults();
  const auto start = std::chrono::steady_clock::now();
  if (side == "qzio") {
    QzioLoad(path);
  } else if (side == "open") {
    if (!Qz__LoadImageA(path.c_str(), nullptr, nullptr, kQzLoadNoView | kQuiet, nullptr)) return 1;
  } else if (side == "plain") {
    const std::string ext = path.substr(path.rfind('.') + 1);
    if (ext == "jpg") PlainJpegLoad(path, fresh);
    else if (ext == "png") PlainPngLoad(path, fresh);
    else PlainTiffLoad(path, fresh);
  } else {
    return 2;
  }
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  std::printf("%.3f %ld\n", ms, MinorFaults() - faultsBefore);
  std::fflush(stdout);
  return 0;
}

// Runs words as a process, its output read when asked, after the pause when
// asked; the figure's wall time is negative when it failed.
ColdFigure RunCold(const std::vector<std::string>& words, bool readsFigures, bool afterPause) {
  std::vector<char*> argv;
  for (const std::string& w : words) argv.push_back(const_cast<char*>(w.c_str()));
  argv.push_back(nullptr);
  int out[2];
  if (pipe(out) != 0) return {};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (readsFigures)
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  else
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  ColdFigure figure;
  if (afterPause) std::this_thread::sleep_for(kColdPause);
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  std::string text;
  char chunk[256];
  for (ssize_t n; spawned == 0 && (n = read(out[0], chunk, sizeof chunk)) > 0;) text.append(chunk, size_t(n));
  close(out[0]);
  if (spawned != 0) return figure;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return figure;
  figure.wallMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  if (readsFigures && std::sscanf(text.c_str(), "%lf %lf", &figure.openMs, &figure.minorFaults) != 2)
    figure.wallMs = -1;
  return figure;
}

std::string SelfPath() {
  std::error_code error;
  return std::filesystem::read_symlink("/proc/self/exe", error).string();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

// kRuns rounds of every side in turn, on the picture and on an 8 x 8 file of
// the same kind (a process's start-up and exit, with next to no decoding);
// medians as counters, and ours against the fastest peer: the open alone
// against the peer's process less its start-up, and process against process.
void MeasureCold(benchmark::State& state, const std::string& path, const std::string& tinyPath) {
  const std::string self = SelfPath();
  struct ColdSide {
    const char* name;
    std::function<std::vector<std::string>(const std::string&)> words;
    bool ours;
    std::vector<double> wall, open, faults, startup;
  };
  auto ours = [&](const char* side) {
    return [side, self](const std::string& file) {
      return std::vector<std::string>{self, std::string(kColdFlag) + side, file};
    };
  };
  std::vector<ColdSide> sides = {
      {"open", ours("open"), true, {}, {}, {}, {}},
      {"qzio", ours("qzio"), true, {}, {}, {}, {}},
      {"plain", ours("plain"), true, {}, {}, {}, {}},
      {"gm", [](const std::string& f) { return std::vector<std::string>{"/usr/bin/gm", "convert", f, "null:"}; },
       false, {}, {}, {}, {}},
      {"im", [](const std::string& f) { return std::vector<std::string>{"/usr/bin/convert", f, "null:"}; },
       false, {}, {}, {}, {}},
      {"vips", [](const std::string& f) { return std::vector<std::string>{"/usr/bin/vips", "avg", f}; },
       false, {}, {}, {}, {}},
  };
  for (auto _ : state) {
    for (int run = 0; run < kRuns; ++run)
      for (ColdSide& side : sides) {
        const ColdFigure f = RunCold(side.words(path), side.ours, true);
        const ColdFigure tiny = RunCold(side.words(tinyPath), side.ours, false);
        if (f.wallMs < 0 || tiny.wallMs < 0) {
          state.SkipWithError((std::string(side.name) + " did not run").c_str());
          return;
        }
        side.wall.push_back(f.wallMs);
        side.open.push_back(f.openMs);
        side.faults.push_back(f.minorFaults);
        side.startup.push_back(tiny.wallMs);
      }
    state.SetIterationTime(0.001);
  }
  double fastestProcess = 1e300, fastestDecode = 1e300;
  for (const ColdSide& side : sides) {
    const std::string name = side.name;
    state.counters[name + "_process"] = Median(side.wall);
    state.counters[name + "_startup"] = Median(side.startup);
    if (side.ours) {
      state.counters[name + "_cold"] = Median(side.open);
      state.counters[name + "_faults"] = Median(side.faults);
    } else {
      fastestProcess = std::min(fastestProcess, Median(side.wall));
      fastestDecode = std::min(fastestDecode, Median(side.wall) - Median(side.startup));
    }
  }
  state.counters["open/peer_less_startup"] = state.counters["open_cold"] / fastestDecode;
  state.counters["open_process/peer_process"] = state.counters["open_process"] / fastestProcess;
}

// The same picture in the four files a photograph most often comes in.
void BM_ColdOpen(benchmark::State& state) {
  static const char* const kTinyOptions[] = {"", "", "-compress None", "-compress LZW"};
  static const char* const kNames[] = {"cold.jpg", "cold.png", "cold.tif", "cold-lzw.tif"};
  const int file = int(state.range(0));
  const std::string path = PathFor(kNames[file]), tinyPath = PathFor((std::string("tiny-") + kNames[file]).c_str());
  switch (file) {
    case 0: PlainJpegSave(path, false); break;
    case 1: PlainPngSave(path); break;
    case 2: PlainTiffSave(path); break;
    default: PlainTiffSave(path, COMPRESSION_LZW); break;
  }
  Shell(std::string("/usr/bin/gm convert -size 8x8 xc:gray ") + kTinyOptions[file] + " '" + tinyPath + "'");
  state.SetLabel(kNames[file]);
  MeasureCold(state, path, tinyPath);
}

BENCHMARK(BM_ColdOpen)->ArgName("file")->DenseRange(0, 3)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegLoad)->ArgName("progressive")->Arg(0)->Arg(1)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegSave)->ArgName("progressive")->Arg(0)->Arg(1)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PngLoad)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PngSave)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TiffLoad)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TiffSave)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GifLoad)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GifSave)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RowConversions)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

// The child of a cold-open figure, or the benchmarks.
int main(int argc, char** argv) {
  if (argc == 3 && std::strncmp(argv[1], kColdFlag, std::strlen(kColdFlag)) == 0)
    return ColdOpenChild(argv[1] + std::strlen(kColdFlag), argv[2]);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
