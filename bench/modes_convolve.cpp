// The convolution family through the compositor on the shared scene (a
// full pass and a dab's pass, 1 and 8 workers, each mode at its defaults),
// beside libvips on the same pixels in memory with as many threads: the
// integer convolution with the convolve mode's default matrix and with the
// sharpen's 3 by 3, libvips's own sharpen and Sobel edges; and beside
// ImageMagick's emboss of the scene's file (its process time less its read
// and write).
#include <benchmark/benchmark.h>

#include "bench_modes.h"
#include "bench_peers.h"
#include "bench_scene.h"

namespace {

constexpr uint8_t kColour[3] = {128, 128, 128};

const bool kPasses[] = {
    qzbench::RegisterModePasses("Convolve", kColour), qzbench::RegisterModePasses("Sharpen", kColour),
    qzbench::RegisterModePasses("EdgeDetect", kColour), qzbench::RegisterModePasses("Emboss", kColour),
    qzbench::RegisterModePasses("BasRelief", kColour), qzbench::RegisterModePasses("ContourMap", kColour)};

vips::VImage IntegerConv(const vips::VImage& scene, const vips::VImage& mask) {
  return scene.conv(mask, vips::VImage::option()->set("precision", VIPS_PRECISION_INTEGER)).cast(VIPS_FORMAT_UCHAR);
}

// The convolve mode's default matrix; its sum is 0, so a scale of 1.
void BM_VipsConvDefaultMatrix(benchmark::State& state) {
  static const vips::VImage mask = vips::VImage::new_matrixv(3, 3, 5.0, 5.0, -5.0, 10.0, 0.0, -20.0, 5.0, 5.0, -5.0);
  qzbench::TimeVips(state, int(state.range(0)), [](const vips::VImage& scene) { return IntegerConv(scene, mask); });
}

// What the sharpen mode computes at amount 100: 9c less the 8 neighbours.
void BM_VipsConvSharpenMatrix(benchmark::State& state) {
  static const vips::VImage mask =
      vips::VImage::new_matrixv(3, 3, -1.0, -1.0, -1.0, -1.0, 9.0, -1.0, -1.0, -1.0, -1.0);
  qzbench::TimeVips(state, int(state.range(0)), [](const vips::VImage& scene) { return IntegerConv(scene, mask); });
}

void BM_VipsSharpen(benchmark::State& state) {
  qzbench::TimeVips(state, int(state.range(0)),
                    [](const vips::VImage& scene) { return scene.sharpen().cast(VIPS_FORMAT_UCHAR); });
}

void BM_VipsSobel(benchmark::State& state) {
  qzbench::TimeVips(state, int(state.range(0)),
                    [](const vips::VImage& scene) { return scene.sobel().cast(VIPS_FORMAT_UCHAR); });
}

void BM_ImageMagickEmboss(benchmark::State& state) { qzbench::TimeTool(state, qzbench::kImageMagick, {"-emboss", "1"}); }

void Threads(benchmark::internal::Benchmark* b) {
  for (int n : qzbench::kWorkerCounts) b->Arg(n);
  b->ArgName("threads")->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(0.5);
}

BENCHMARK(BM_VipsConvDefaultMatrix)->Apply(Threads);
BENCHMARK(BM_VipsConvSharpenMatrix)->Apply(Threads);
BENCHMARK(BM_VipsSharpen)->Apply(Threads);
BENCHMARK(BM_VipsSobel)->Apply(Threads);
BENCHMARK(BM_ImageMagickEmboss)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

}  // namespace
