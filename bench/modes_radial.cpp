// The radial blurs through the compositor on the shared scene, their layer
// over a multiply layer so the image below is a composite (a full pass and a
// dab's pass, 1 and 8 workers), beside ImageMagick blurring the scene's file
// round its middle: its rotational blur (the roll blur's like) and its
// radial blur, which in this ImageMagick is the same rotational blur under
// its older name. Neither ImageMagick nor libvips has a zoom blur.
#include <benchmark/benchmark.h>

#include "bench_modes.h"
#include "bench_peers.h"
#include "bench_scene.h"

namespace {

constexpr uint8_t kColour[3] = {200, 90, 60};

const bool kPasses = [] {
  // Below every mode's layer, always shown; runs ahead of the passes.
  benchmark::RegisterBenchmark("Scene/multiply layer below", [](benchmark::State& state) {
    if (!qzbench::AddSceneLayer("Multiply", 0, kColour)) state.SkipWithError("could not build the scene");
    for (auto _ : state) benchmark::ClobberMemory();
  })->Iterations(1);
  for (const char* mode : {"RadialBlur", "RollBlur"}) qzbench::RegisterModePasses(mode, kColour);
  return true;
}();

void BM_ImageMagickRotationalBlur(benchmark::State& state) {
  qzbench::TimeTool(state, qzbench::kImageMagick, {"-rotational-blur", "10"});
}
void BM_ImageMagickRadialBlur(benchmark::State& state) {
  qzbench::TimeTool(state, qzbench::kImageMagick, {"-radial-blur", "10"});
}

BENCHMARK(BM_ImageMagickRotationalBlur)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(BM_ImageMagickRadialBlur)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

}  // namespace
