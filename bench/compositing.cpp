// A whole compositing pass over a 6000 x 4000 photo-like document with three
// layers (Paint, Multiply, Overlay) covering it, by worker count; beside it,
// in the same run and over the same planes, the time only to move the bytes
// the pass must move (read the background and the three transparencies,
// write the result: 9 bytes a pixel) with as many threads.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "image/qz_compositor.h"
#include "image/qz_image.h"
#include "image/strip_pool.h"
#include "app/class_registration.h"
#include "modes/mode_kit.h"

namespace {

constexpr int32_t kWidth = 6000, kHeight = 4000;

Qz_Image* MakeImage(int32_t type, int32_t depth, uint32_t flags) {
  auto* image = reinterpret_cast<Qz_Image*>(Qz_CreateObject("Image", kQzImageSetType, type));
  if (!image || !Qz_AllocImage(image, kWidth, kHeight, depth, flags, nullptr)) return nullptr;
  return image;
}

// Smooth shapes with a little grain, like a photograph rather than noise.
uint8_t Photo(int32_t x, int32_t y, int32_t channel, std::mt19937& grain) {
  const double v = 128 + 60 * std::sin(x * 0.0021 + channel) * std::cos(y * 0.0017 - channel) +
                   40 * std::sin((x + y) * 0.0009 * (channel + 1));
  return uint8_t(std::clamp(v + int(grain() % 9) - 4, 0.0, 255.0));
}

struct Scene {
  Qz_Image* doc = nullptr;
  Qz_Image* layers[3] = {};
};

// The document and its layers, made once for every run.
const Scene& SharedScene() {
  static const Scene scene = [] {
    Scene s;
    Qz_InitImageBase();
    Qz_InitImageClass(Qz_GetGlobalData());
    qz::app::initClasses(qz::app::classGroup(qz::app::ClassGroup::Modes), Qz_GetGlobalData());
    s.doc = MakeImage(kQzDocument, 24, kQzAllocNoThread);
    if (!s.doc) return s;
    std::mt19937 grain(11);
    Qz_Plane planes[3] = {s.doc->undoR, s.doc->undoG, s.doc->undoB};
    for (int c = 0; c < 3; ++c)
      for (int32_t y = 0; y < kHeight; ++y)
        for (int32_t x = 0; x < kWidth; ++x) planes[c][y][x] = Photo(x, y, c, grain);
    const char* modes[] = {"Paint", "Multiply", "Overlay"};
    for (int index = 0; index < 3; ++index) {
      Qz_Image* layer = MakeImage(kQzPaintLayer, 8, 0);
      if (!layer) {
        s.doc = nullptr;
        return s;
      }
      // Painted all over with a soft, never quite clear transparency.
      for (int32_t y = 0; y < kHeight; ++y)
        for (int32_t x = 0; x < kWidth; ++x) layer->grey[y][x] = uint8_t(1 + Photo(x, y, index + 3, grain) * 254 / 255);
      Qz_DoMethod(&s.doc->object, kQzImageAddLayer, layer);
      Qz_ModifiedLayer(layer, 0, 0, kWidth - 1, kHeight - 1);
      const uint8_t colour[3] = {uint8_t(200 - index * 50), uint8_t(90 + index * 40), 60};
      std::memcpy(layer->committedColour, colour, 3);
      std::snprintf(layer->modeName, sizeof layer->modeName, "%s", modes[index]);
      layer->mode = Qz_CreateObject((std::string(modes[index]) + "Mode").c_str());
      Qz_DoMethod(layer->mode, kQzModeSetImage, layer);
      s.layers[index] = layer;
    }
    return s;
  }();
  return scene;
}

double Min(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

void BM_CompositeThreeLayers(benchmark::State& state) {
  const Scene& scene = SharedScene();
  if (!scene.doc) {
    state.SkipWithError("could not build the document");
    return;
  }
  Qz__SetCompositorWorkers(int32_t(state.range(0)));
  Qz_FullProcessImage(scene.doc);  // the first touch of the result planes is not timed
  for (auto _ : state) {
    Qz_FullProcessImage(scene.doc);
    benchmark::DoNotOptimize(scene.doc->r[kHeight / 2][kWidth / 2]);
  }
  Qz__SetCompositorWorkers(0);
  state.counters["Mpixel/s"] = benchmark::Counter(double(kWidth) * kHeight * double(state.iterations()) / 1e6,
                                                  benchmark::Counter::kIsRate);
}

// The pass's own traffic and nothing else: background and transparencies
// read, the result written, rows shared out between the threads.
void MoveRows(const Scene& s, int32_t top, int32_t bottom) {
  const Qz_Plane in[3] = {s.doc->undoR, s.doc->undoG, s.doc->undoB};
  const Qz_Plane out[3] = {s.doc->r, s.doc->g, s.doc->b};
  for (int32_t y = top; y < bottom; ++y) {
    const uint8_t* a[3] = {s.layers[0]->grey[y], s.layers[1]->grey[y], s.layers[2]->grey[y]};
    for (int c = 0; c < 3; ++c) {
      const uint8_t* src = in[c][y];
      uint8_t* dst = out[c][y];
      const uint8_t* t = a[c];
      for (int32_t x = 0; x < kWidth; ++x) dst[x] = uint8_t(src[x] + t[x]);
    }
  }
}

void BM_MemoryBandwidthTime(benchmark::State& state) {
  const Scene& scene = SharedScene();
  if (!scene.doc) {
    state.SkipWithError("could not build the document");
    return;
  }
  const auto threads = int32_t(state.range(0));
  for (auto _ : state) {
    std::vector<std::thread> pool;
    const int32_t rows = (kHeight + threads - 1) / threads;
    for (int32_t t = 0; t < threads; ++t)
      pool.emplace_back(MoveRows, std::cref(scene), t * rows, std::min(kHeight, (t + 1) * rows));
    for (std::thread& t : pool) t.join();
    benchmark::DoNotOptimize(scene.doc->r[kHeight / 2][kWidth / 2]);
  }
  state.counters["GB/s"] = benchmark::Counter(9.0 * kWidth * kHeight * double(state.iterations()) / 1e9,
                                              benchmark::Counter::kIsRate);
}

void Workers(benchmark::internal::Benchmark* b) {
  const int32_t cores = int32_t(std::max(1u, std::thread::hardware_concurrency()));
  for (int32_t n : {1, 2, 4, 8})
    if (n <= cores || n == 1) b->Arg(n);
  b->ArgName("workers")->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(0.5)->Repetitions(5)
      ->ComputeStatistics("min", Min)->ReportAggregatesOnly(true);
}

BENCHMARK(BM_CompositeThreeLayers)->Apply(Workers);
BENCHMARK(BM_MemoryBandwidthTime)->Apply(Workers);

}  // namespace
