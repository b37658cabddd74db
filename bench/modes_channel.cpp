// The channel, noise, flip and vision modes through the compositor on the
// shared scene (a full pass and a dab's pass, 1 and 8 workers), beside the
// nearest peers on the same pixels: libvips's flips, threshold by relation
// and Gaussian noise added, and ImageMagick's uniform noise, flop and flip.
#include <benchmark/benchmark.h>

#include "bench_modes.h"
#include "bench_peers.h"
#include "bench_scene.h"

namespace {

constexpr uint8_t kColour[3] = {200, 90, 60};

const bool kPasses = [] {
  for (const char* mode : {"AddNoise", "Randomize", "ChannelRandomize", "ChannelFlip", "ChannelThreshold", "FlipX",
                           "FlipY", "DoubleVision", "TripleVision", "QuadVision", "PentaVision", "OctaVision",
                           "NonaVision"})
    qzbench::RegisterModePasses(mode, kColour);
  return true;
}();

void BM_VipsFlipHorizontal(benchmark::State& state) {
  qzbench::TimeVips(state, int(state.range(0)),
                    [](const vips::VImage& scene) { return scene.flip(VIPS_DIRECTION_HORIZONTAL); });
}

void BM_VipsFlipVertical(benchmark::State& state) {
  qzbench::TimeVips(state, int(state.range(0)),
                    [](const vips::VImage& scene) { return scene.flip(VIPS_DIRECTION_VERTICAL); });
}

void BM_VipsThreshold(benchmark::State& state) {
  qzbench::TimeVips(state, int(state.range(0)), [](const vips::VImage& scene) { return scene > 127; });
}

// Noise of the scene's size added to it (libvips makes its noise per tile, as the mode per row).
void BM_VipsGaussNoiseAdded(benchmark::State& state) {
  qzbench::TimeVips(state, int(state.range(0)), [](const vips::VImage& scene) {
    const vips::VImage noise = vips::VImage::gaussnoise(scene.width(), scene.height(),
                                                        vips::VImage::option()->set("sigma", 20.0)->set("mean", 0.0));
    return (scene + noise).cast(VIPS_FORMAT_UCHAR);
  });
}

void BM_ImageMagickUniformNoise(benchmark::State& state) {
  qzbench::TimeTool(state, qzbench::kImageMagick, {"+noise", "Uniform"});
}

void BM_ImageMagickFlop(benchmark::State& state) { qzbench::TimeTool(state, qzbench::kImageMagick, {"-flop"}); }
void BM_ImageMagickFlip(benchmark::State& state) { qzbench::TimeTool(state, qzbench::kImageMagick, {"-flip"}); }

void Threads(benchmark::internal::Benchmark* b) {
  for (int n : qzbench::kWorkerCounts) b->Arg(n);
  b->ArgName("threads")->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(0.5);
}

BENCHMARK(BM_VipsFlipHorizontal)->Apply(Threads);
BENCHMARK(BM_VipsFlipVertical)->Apply(Threads);
BENCHMARK(BM_VipsThreshold)->Apply(Threads);
BENCHMARK(BM_VipsGaussNoiseAdded)->Apply(Threads);
BENCHMARK(BM_ImageMagickUniformNoise)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(BM_ImageMagickFlop)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(BM_ImageMagickFlip)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

}  // namespace
