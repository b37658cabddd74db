// A whole compositing pass over the shared scene with three layers (Paint,
// Multiply, Overlay) covering it, by worker count; beside it,
// in the same run and over the same planes, the time only to move the bytes
// the pass must move (read the background and the three transparencies,
// write the result: 9 bytes a pixel) with as many threads.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <thread>
#include <vector>

#include "bench_scene.h"
#include "image/qz_compositor.h"
#include "image/qz_image.h"
#include "image/strip_pool.h"

namespace {

using qzbench::kSceneHeight;
using qzbench::kSceneWidth;

struct Scene {
  Qz_Image* doc = nullptr;
  Qz_Image* layers[3] = {};
};

// The shared scene with three layers over it, made once for every run.
const Scene& SharedScene() {
  static const Scene scene = [] {
    Scene s;
    const char* modes[] = {"Paint", "Multiply", "Overlay"};
    for (int index = 0; index < 3; ++index) {
      const uint8_t colour[3] = {uint8_t(200 - index * 50), uint8_t(90 + index * 40), 60};
      s.layers[index] = qzbench::AddSceneLayer(modes[index], index, colour);
      if (!s.layers[index]) return Scene{};
    }
    s.doc = qzbench::SceneDocument();
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
    benchmark::DoNotOptimize(scene.doc->r[kSceneHeight / 2][kSceneWidth / 2]);
  }
  Qz__SetCompositorWorkers(0);
  state.counters["Mpixel"] = benchmark::Counter(double(kSceneWidth) * kSceneHeight * double(state.iterations()) / 1e6,
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
      for (int32_t x = 0; x < kSceneWidth; ++x) dst[x] = uint8_t(src[x] + t[x]);
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
    const int32_t rows = (kSceneHeight + threads - 1) / threads;
    for (int32_t t = 0; t < threads; ++t)
      pool.emplace_back(MoveRows, std::cref(scene), t * rows, std::min(kSceneHeight, (t + 1) * rows));
    for (std::thread& t : pool) t.join();
    benchmark::DoNotOptimize(scene.doc->r[kSceneHeight / 2][kSceneWidth / 2]);
  }
  state.counters["GB"] = benchmark::Counter(9.0 * kSceneWidth * kSceneHeight * double(state.iterations()) / 1e9,
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
