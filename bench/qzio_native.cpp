// Saves and loads a 16-megapixel picture as PPM and in the native layered
// format (with one paint layer), and converts a grey buffer to three planes,
// reporting megapixels per second for each.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "qzio/qzio.h"
#include "qzio/qzio_format_classes.h"
#include "qzio/root_qzio.h"


namespace {

constexpr uint32_t kSide = 4096;

struct Setup {
  std::string folder;
  QZIO_ImageBuffer* picture = nullptr;
  Setup() {
    char name[] = "/tmp/qzio-bench-XXXXXX";
    folder = mkdtemp(name) ? name : "/tmp";
    // A detection list of the two formats measured, in the temporary folder.
    std::filesystem::create_directories(folder + "/Data");
    if (FILE* f = std::fopen((folder + "/Data/QZIOList.QzStr").c_str(), "w")) {
      std::fputs("LinkedList\n{\n\tRoot\n\t{\n\t\tQz_SetObjectName,\t\t\tQuillantrix,\n\t}\n"
                 "\tRoot\n\t{\n\t\tQz_SetObjectName,\t\t\tPPM,\n\t}\n}\n", f);
      std::fclose(f);
    }
    setenv("QZ_DATA_DIR", folder.c_str(), 1);
    Qz_InitRootQZIOClass(nullptr);
    Qz_InitPPMQZIOClass(nullptr);
    Qz_InitQuillantrixQZIOClass(nullptr);
    QZIO_Init(nullptr);
    picture = QZIO_AllocBuffer(kSide, kSide, 24, 0, kQzioFormatRGBPlanes);
    for (uint32_t y = 0; y < kSide; ++y) {
      for (uint32_t x = 0; x < kSide; ++x) {
        const size_t o = size_t(y) * picture->bytesPerRow + x;
        picture->red[o] = uint8_t(x), picture->green[o] = uint8_t(y), picture->blue[o] = uint8_t(x ^ y);
      }
    }
    QZIO_ImageBuffer* layer = QZIO_AddLayer(picture, kSide, kSide, 8, kQzioFormatGrey, kQzioPlainLayer, 0);
    for (uint32_t y = 0; y < kSide; ++y) std::fill_n(layer->grey + size_t(y) * layer->bytesPerRow, kSide, uint8_t(y));
  }
  ~Setup() {
    QZIO_FreeBuffer(picture);
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
  }
};

Setup& Shared() {
  static Setup setup;
  return setup;
}

void Save(benchmark::State& state, const char* format) {
  Setup& s = Shared();
  const std::string path = s.folder + "/out." + format;
  for (auto _ : state) {
    QZIO_Header h{};
    h.buffer = s.picture;
    uint32_t flags = kQzioQuiet;
    if (QZIO_SaveBufferA(&h, path.c_str(), format, nullptr, &flags) != kQzioSuccess) state.SkipWithError("save failed");
  }
  state.counters["MP/s"] = benchmark::Counter(double(kSide) * kSide / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

void Load(benchmark::State& state, const char* format) {
  Setup& s = Shared();
  const std::string path = s.folder + "/in." + format;
  QZIO_Header h{};
  h.buffer = s.picture;
  uint32_t flags = kQzioQuiet;
  QZIO_SaveBufferA(&h, path.c_str(), format, nullptr, &flags);
  for (auto _ : state) {
    QZIO_ImageBuffer* b = QZIO_AutoLoadBuffer(path.c_str(), kQzioQuiet);
    if (!b) state.SkipWithError("load failed");
    QZIO_FreeBuffer(b);
  }
  state.counters["MP/s"] = benchmark::Counter(double(kSide) * kSide / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_SavePPM(benchmark::State& state) { Save(state, "PPM"); }
void BM_LoadPPM(benchmark::State& state) { Load(state, "PPM"); }
void BM_SaveNative(benchmark::State& state) { Save(state, "Quillantrix"); }
void BM_LoadNative(benchmark::State& state) { Load(state, "Quillantrix"); }

void BM_ConvertGrey(benchmark::State& state) {
  QZIO_ImageBuffer* grey = QZIO_AllocBuffer(kSide, kSide, 8, 0, kQzioFormatGrey);
  for (auto _ : state) QZIO_FreeBuffer(QZIO_ConvertBufferFormat(grey, kQzioFormatRGBPlanes));
  state.counters["MP/s"] = benchmark::Counter(double(kSide) * kSide / 1e6, benchmark::Counter::kIsIterationInvariantRate);
  QZIO_FreeBuffer(grey);
}

BENCHMARK(BM_SavePPM)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadPPM)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveNative)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadNative)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConvertGrey)->Unit(benchmark::kMillisecond);

}  // namespace
