// The rank filters and the stylise and line modes through the compositor on
// the shared scene (a full pass and a dab's pass, 1 and 8 workers), beside
// libvips's rank filter on the same pixels in memory with as many threads at
// the modes' default windows: the 3 by 3 median and the 5 by 5 maximum and
// minimum. The stylise modes have no close peer and show their own figures
// only.
#include <benchmark/benchmark.h>

#include <utility>

#include "bench_modes.h"
#include "bench_peers.h"
#include "bench_scene.h"

namespace {

constexpr uint8_t kColour[3] = {200, 90, 60};

const bool kPasses = [] {
  for (const char* mode : {"Median", "RemoveNoise", "Despeckle", "Max", "Min", "CrackedPaint", "Honeycomb",
                           "TVScanlines", "Deinterlace", "MakeSeamless", "GlowEdges", "Stellate", "Fire"})
    qzbench::RegisterModePasses(mode, kColour);
  return true;
}();

// libvips: the sample of rank `index` in a width by width window.
void BM_VipsRank(benchmark::State& state) {
  const int width = int(state.range(0)), index = int(state.range(1));
  qzbench::TimeVips(state, int(state.range(2)), [width, index](const vips::VImage& scene) {
    return scene.rank(width, width, index);
  });
  state.counters["Mpixel"] = benchmark::Counter(
      double(qzbench::kSceneWidth) * qzbench::kSceneHeight * double(state.iterations()) / 1e6,
      benchmark::Counter::kIsRate);
}

// Median 3 x 3, maximum and minimum 5 x 5: the modes' defaults.
void VipsRanks(benchmark::internal::Benchmark* b) {
  for (const auto& [width, index] : {std::pair{3, 4}, std::pair{5, 24}, std::pair{5, 0}})
    for (int n : qzbench::kWorkerCounts) b->Args({width, index, n});
  b->ArgNames({"width", "index", "threads"})->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(0.5);
}

BENCHMARK(BM_VipsRank)->Apply(VipsRanks);

}  // namespace
