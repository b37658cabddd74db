// The blurs through the compositor on the shared scene (a full pass and a
// dab's pass, 1 and 8 workers), the box blur also at radii 1 and 50, beside
// libvips blurring the same pixels in memory with as many threads (its
// Gaussian blur, and a box of the same radii as a separable integer
// convolution) and ImageMagick's motion blur of the scene's file.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "bench_modes.h"
#include "bench_peers.h"
#include "bench_scene.h"
#include "image/qz_compositor.h"
#include "image/strip_pool.h"
#include "modes/qz_root_mode.h"

namespace {

constexpr uint8_t kColour[3] = {200, 90, 60};

const bool kPasses = [] {
  for (const char* mode : {"Blur", "GaussianBlur", "BloomBlur", "MotionBlur", "PanBlur", "CrossBlur", "PlusBlur",
                           "StarBlur"})
    qzbench::RegisterModePasses(mode, kColour);
  return true;
}();

// The box blur over the whole scene at the radius given (both ways): its
// cost per pixel should not grow with the radius.
void BM_BoxBlurRadius(benchmark::State& state) {
  const int32_t radius = int32_t(state.range(0));
  Qz_Image* layer = qzbench::ModeLayer("Blur", kColour);
  Qz_Image* doc = qzbench::SceneDocument();
  if (!layer || !doc) return state.SkipWithError("could not build the scene");
  Qz_DoMethod(layer->mode, kQzModeSetXRadius, uint32_t(radius));
  Qz_DoMethod(layer->mode, kQzModeSetYRadius, uint32_t(radius));
  Qz__SetCompositorWorkers(int32_t(state.range(1)));
  Qz_FullProcessImage(doc);
  for (auto _ : state) {
    Qz_FullProcessImage(doc);
    benchmark::DoNotOptimize(doc->r[qzbench::kSceneHeight / 2][qzbench::kSceneWidth / 2]);
  }
  Qz__SetCompositorWorkers(0);
  Qz_DoMethod(layer->mode, kQzModeSetXRadius, 3u);
  Qz_DoMethod(layer->mode, kQzModeSetYRadius, 3u);
  state.counters["Mpixel"] = benchmark::Counter(
      double(qzbench::kSceneWidth) * qzbench::kSceneHeight * double(state.iterations()) / 1e6, benchmark::Counter::kIsRate);
}

// libvips: a box of (2 r + 1) ones each way, integer arithmetic.
void BM_VipsBox(benchmark::State& state) {
  const int32_t radius = int32_t(state.range(0));
  std::vector<double> ones(size_t(2 * radius + 1), 1.0);
  vips::VImage mask = vips::VImage::new_matrix(2 * radius + 1, 1, ones.data(), int(ones.size()));
  mask.set("scale", double(2 * radius + 1));
  qzbench::TimeVips(state, int(state.range(1)), [mask](const vips::VImage& scene) {
    return scene.convsep(mask, vips::VImage::option()->set("precision", VIPS_PRECISION_INTEGER))
        .cast(VIPS_FORMAT_UCHAR);
  });
}

// libvips's Gaussian blur with about the spread of the mode's radius 3.
void BM_VipsGaussBlur(benchmark::State& state) {
  qzbench::TimeVips(state, int(state.range(0)), [](const vips::VImage& scene) {
    return scene.gaussblur(1.5, vips::VImage::option()->set("precision", VIPS_PRECISION_INTEGER))
        .cast(VIPS_FORMAT_UCHAR);
  });
}

// ImageMagick's motion blur along the mode's default trail (length 4, angle 45).
void BM_ImageMagickMotionBlur(benchmark::State& state) {
  qzbench::TimeTool(state, qzbench::kImageMagick, {"-motion-blur", "0x4+45"});
}

void RadiusAndThreads(benchmark::internal::Benchmark* b) {
  for (int radius : {1, 50})
    for (int n : qzbench::kWorkerCounts) b->Args({radius, n});
  b->ArgNames({"radius", "threads"})->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(0.5);
}

void Threads(benchmark::internal::Benchmark* b) {
  for (int n : qzbench::kWorkerCounts) b->Arg(n);
  b->ArgName("threads")->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(0.5);
}

BENCHMARK(BM_BoxBlurRadius)->Apply(RadiusAndThreads);
BENCHMARK(BM_VipsBox)->Apply(RadiusAndThreads);
BENCHMARK(BM_VipsGaussBlur)->Apply(Threads);
BENCHMARK(BM_ImageMagickMotionBlur)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

}  // namespace
