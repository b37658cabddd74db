// The mode passes over the scene: the layer, the worker count, the timing.
#include "bench_modes.h"

#include <benchmark/benchmark.h>

#include <map>
#include <string>

#include "bench_scene.h"
#include "image/qz_compositor.h"
#include "image/strip_pool.h"

namespace qzbench {
namespace {

constexpr int32_t kDabSide = 25;

// One layer per mode for the program's life; only the mode being measured shows.
Qz_Image* LayerFor(const std::string& modeName, const uint8_t colour[3]) {
  static std::map<std::string, Qz_Image*> layers;
  auto [at, added] = layers.try_emplace(modeName, nullptr);
  if (added) at->second = AddSceneLayer(modeName.c_str(), int(layers.size()), colour);
  for (auto& [name, layer] : layers)
    if (layer) layer->visible = name == modeName ? 1 : 0;
  return at->second;
}

// The scene with the mode's layer showing, composited once untimed (the
// first touch of the result planes) with the benchmark's worker count; null
// when it could not be made.
Qz_Image* PreparedScene(benchmark::State& state, const std::string& modeName, const uint8_t* colour) {
  Qz_Image* layer = LayerFor(modeName, colour);
  Qz_Image* doc = SceneDocument();
  if (!layer || !doc) {
    state.SkipWithError("could not build the scene");
    return nullptr;
  }
  Qz__SetCompositorWorkers(int32_t(state.range(0)));
  Qz_FullProcessImage(doc);
  return doc;
}

void FullPass(benchmark::State& state, const std::string& modeName, const uint8_t* colour) {
  Qz_Image* doc = PreparedScene(state, modeName, colour);
  if (!doc) return;
  for (auto _ : state) {
    Qz_FullProcessImage(doc);
    benchmark::DoNotOptimize(doc->r[kSceneHeight / 2][kSceneWidth / 2]);
  }
  Qz__SetCompositorWorkers(0);
  state.counters["Mpixel"] = benchmark::Counter(double(kSceneWidth) * kSceneHeight * double(state.iterations()) / 1e6,
                                                  benchmark::Counter::kIsRate);
}

// A dab's pass after the first: the square moves over the scene so that no
// two passes in a row read the same rows.
void DabPass(benchmark::State& state, const std::string& modeName, const uint8_t* colour) {
  Qz_Image* doc = PreparedScene(state, modeName, colour);
  if (!doc) return;
  int32_t x = 0, y = 0;
  for (auto _ : state) {
    Qz_ProcessImage(doc, x, y, x + kDabSide - 1, y + kDabSide - 1);
    x = (x + 997) % (kSceneWidth - kDabSide);
    y = (y + 613) % (kSceneHeight - kDabSide);
  }
  Qz__SetCompositorWorkers(0);
  state.counters["dabs"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

}  // namespace

Qz_Image* ModeLayer(const char* modeName, const uint8_t colour[3]) { return LayerFor(modeName, colour); }

bool RegisterModePasses(const char* modeName, const uint8_t colour[3]) {
  const std::string name = modeName;
  const uint8_t* kept = colour;
  auto* full = benchmark::RegisterBenchmark(("Mode/" + name + "/full").c_str(),
                                            [name, kept](benchmark::State& s) { FullPass(s, name, kept); });
  auto* dab = benchmark::RegisterBenchmark(("Mode/" + name + "/dab").c_str(),
                                           [name, kept](benchmark::State& s) { DabPass(s, name, kept); });
  for (int workers : kWorkerCounts) {
    full->Arg(workers);
    dab->Arg(workers);
  }
  full->ArgName("workers")->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(0.5);
  dab->ArgName("workers")->Unit(benchmark::kMicrosecond)->UseRealTime()->MinTime(0.5);
  return true;
}

}  // namespace qzbench
