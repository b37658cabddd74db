// The Multiply mode through the compositor on the shared scene (a full pass
// and a dab's pass, 1 and 8 workers), beside libvips doing the same on the
// same pixels in memory with as many threads: the multiply by the paint
// colour alone, and the multiply blended through the layer's transparency
// (what the pass makes of it); and beside GraphicsMagick and ImageMagick
// multiplying the scene's file, their process times less their read and write.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "bench_modes.h"
#include "bench_peers.h"
#include "bench_scene.h"

namespace {

constexpr uint8_t kColour[3] = {200, 90, 60};

const bool kModePasses = qzbench::RegisterModePasses("Multiply", kColour);

std::vector<double> Fractions() { return {kColour[0] / 255.0, kColour[1] / 255.0, kColour[2] / 255.0}; }

void BM_VipsMultiply(benchmark::State& state) {
  qzbench::TimeVips(state, int(state.range(0)), [](const vips::VImage& scene) {
    return (scene * Fractions()).cast(VIPS_FORMAT_UCHAR);
  });
}

// below + (below x colour - below) x alpha / 255, as the pass blends the mode's output.
void BM_VipsMultiplyThroughTransparency(benchmark::State& state) {
  static const vips::VImage alpha = qzbench::VipsAlpha(qzbench::SceneAlpha(qzbench::ModeLayer("Multiply", kColour)));
  qzbench::TimeVips(state, int(state.range(0)), [](const vips::VImage& scene) {
    const vips::VImage below = scene.cast(VIPS_FORMAT_SHORT);
    const vips::VImage mixed = below + (scene * Fractions() - below) * alpha / 255.0;
    return mixed.cast(VIPS_FORMAT_UCHAR);
  });
}

void BM_GraphicsMagickMultiply(benchmark::State& state) {
  const std::vector<double> f = Fractions();
  qzbench::TimeTool(state, qzbench::kGraphicsMagick,
                    {"-operator", "Red", "Multiply", std::to_string(f[0]), "-operator", "Green", "Multiply",
                     std::to_string(f[1]), "-operator", "Blue", "Multiply", std::to_string(f[2])});
}

void BM_ImageMagickMultiply(benchmark::State& state) {
  const std::vector<double> f = Fractions();
  qzbench::TimeTool(state, qzbench::kImageMagick,
                    {"-channel", "R", "-evaluate", "multiply", std::to_string(f[0]), "-channel", "G", "-evaluate",
                     "multiply", std::to_string(f[1]), "-channel", "B", "-evaluate", "multiply",
                     std::to_string(f[2]), "+channel"});
}

void Threads(benchmark::internal::Benchmark* b) {
  for (int n : qzbench::kWorkerCounts) b->Arg(n);
  b->ArgName("threads")->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(0.5);
}

BENCHMARK(BM_VipsMultiply)->Apply(Threads);
BENCHMARK(BM_VipsMultiplyThroughTransparency)->Apply(Threads);
BENCHMARK(BM_GraphicsMagickMultiply)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(BM_ImageMagickMultiply)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

}  // namespace
