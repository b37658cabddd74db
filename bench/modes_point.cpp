// The point, tonal, levels and colour-cast modes through the compositor on
// the shared scene (a full pass and a dab's pass, 1 and 8 workers), beside
// libvips doing the nearest equivalent on the same pixels in memory with as
// many threads: the invert (Negative), a threshold of the band mean
// (Threshold), a linear stretch (Histogram, AutoContrast, Adjust's tables)
// and sRGB to HSV and back (InvertBrightness, SwapSV, Adjust with a hue turn).
#include <benchmark/benchmark.h>

#include <vector>

#include "bench_modes.h"
#include "bench_peers.h"
#include "bench_scene.h"
#include "modes/qz_point_modes.h"

namespace {

constexpr uint8_t kColour[3] = {200, 90, 60};

// Settings a user would try, set on the modes' layers before their passes
// run: benchmarks run in the order they are registered, and this one first.
void BM_SetUpSettings(benchmark::State& state) {
  Qz_Image* adjust = qzbench::ModeLayer("Adjust", kColour);
  Qz_Image* histogram = qzbench::ModeLayer("Histogram", kColour);
  if (!adjust || !histogram) {
    state.SkipWithError("could not build the scene");
    return;
  }
  for (auto _ : state) {
    Qz_DoMethod(adjust->mode, kQzAdjustSetHue, 40);
    Qz_DoMethod(adjust->mode, kQzAdjustSetGamma, 70);
    Qz_DoMethod(adjust->mode, kQzAdjustSetContrast, 160);
    Qz_DoMethod(histogram->mode, kQzHistogramSetBlackPoint, 40);
    Qz_DoMethod(histogram->mode, kQzHistogramSetWhitePoint, 200);
  }
}
BENCHMARK(BM_SetUpSettings)->Iterations(1);

const char* const kModes[] = {"Negative", "Solarize", "Threshold", "Posterize", "InvertBrightness",
                              "SwapSV", "ColourToGrey", "AutoContrast", "AutoEnhance", "AutoEqualize",
                              "RemoveRedEye", "Adjust", "Histogram", "RemoveColourCast"};

const bool kModePasses = [] {
  for (const char* mode : kModes) qzbench::RegisterModePasses(mode, kColour);
  return true;
}();

void BM_VipsInvert(benchmark::State& state) {
  qzbench::TimeVips(state, int(state.range(0)), [](const vips::VImage& scene) { return scene.invert(); });
}

void BM_VipsThreshold(benchmark::State& state) {
  qzbench::TimeVips(state, int(state.range(0)), [](const vips::VImage& scene) {
    return (scene.bandmean() >= 127).bandjoin(std::vector<vips::VImage>{scene.bandmean() >= 127,
                                                                       scene.bandmean() >= 127});
  });
}

// Levels 40..200: (c - 40) * 255 / 160.
void BM_VipsLinearLevels(benchmark::State& state) {
  qzbench::TimeVips(state, int(state.range(0)), [](const vips::VImage& scene) {
    return scene.linear(255.0 / 160.0, -40.0 * 255.0 / 160.0).cast(VIPS_FORMAT_UCHAR);
  });
}

void BM_VipsHsvRoundTrip(benchmark::State& state) {
  qzbench::TimeVips(state, int(state.range(0)), [](const vips::VImage& scene) {
    return scene.copy(vips::VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB))
        .colourspace(VIPS_INTERPRETATION_HSV)
        .colourspace(VIPS_INTERPRETATION_sRGB);
  });
}

void Threads(benchmark::internal::Benchmark* b) {
  for (int n : qzbench::kWorkerCounts) b->Arg(n);
  b->ArgName("threads")->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(0.5);
}

BENCHMARK(BM_VipsInvert)->Apply(Threads);
BENCHMARK(BM_VipsThreshold)->Apply(Threads);
BENCHMARK(BM_VipsLinearLevels)->Apply(Threads);
BENCHMARK(BM_VipsHsvRoundTrip)->Apply(Threads);

}  // namespace
