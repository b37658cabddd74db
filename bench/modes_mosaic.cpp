// The mosaic modes through the compositor on the shared scene (a full pass
// and a dab's pass, 1 and 8 workers), the polar mosaic also with its cells
// gathered again on every pass, beside the nearest peers on the same pixels:
// libvips taking every sixth pixel and zooming it back (exactly Pixelize's
// cells) and ImageMagick scaling down and up again, and for the polar cells
// ImageMagick's unwrap to polar coordinates, scale down and up, and wrap back.
#include <benchmark/benchmark.h>

#include "bench_modes.h"
#include "bench_peers.h"
#include "bench_scene.h"
#include "image/qz_compositor.h"
#include "image/strip_pool.h"

namespace {

constexpr uint8_t kColour[3] = {200, 90, 60};
constexpr uint32_t kPolarSetSectors = 2136;

const bool kPasses = [] {
  for (const char* mode : {"Pixelize", "PolarMosaic", "BizarrePixelize"}) qzbench::RegisterModePasses(mode, kColour);
  return true;
}();

// A setter between passes: every pass makes its cell map and gathers the means again.
void BM_PolarMosaicGatheredEachPass(benchmark::State& state) {
  Qz_Image* layer = qzbench::ModeLayer("PolarMosaic", kColour);
  Qz_Image* doc = qzbench::SceneDocument();
  if (!layer || !doc) return state.SkipWithError("could not build the scene");
  Qz__SetCompositorWorkers(int32_t(state.range(0)));
  // More values than the mode keeps tables for.
  int32_t sectors = 0;
  for (auto _ : state) {
    sectors = (sectors + 1) % 8;
    Qz_DoMethod(layer->mode, kPolarSetSectors, uint32_t(176 + sectors));
    Qz_FullProcessImage(doc);
    benchmark::DoNotOptimize(doc->r[qzbench::kSceneHeight / 2][qzbench::kSceneWidth / 2]);
  }
  Qz_DoMethod(layer->mode, kPolarSetSectors, 180u);
  Qz__SetCompositorWorkers(0);
  state.counters["Mpixel"] = benchmark::Counter(
      double(qzbench::kSceneWidth) * qzbench::kSceneHeight * double(state.iterations()) / 1e6,
      benchmark::Counter::kIsRate);
}

// Pixelize's default 6 x 6 cells, each its top-left pixel.
void BM_VipsSubsampleZoom(benchmark::State& state) {
  qzbench::TimeVips(state, int(state.range(0)), [](const vips::VImage& scene) {
    // Whole cells first, the last ones cut at the edge as the mode's are.
    const int w = (scene.width() + 5) / 6 * 6, h = (scene.height() + 5) / 6 * 6;
    return scene.embed(0, 0, w, h, vips::VImage::option()->set("extend", VIPS_EXTEND_COPY))
        .subsample(6, 6)
        .zoom(6, 6)
        .extract_area(0, 0, scene.width(), scene.height());
  });
}

void BM_ImageMagickScaleDownUp(benchmark::State& state) {
  qzbench::TimeTool(state, qzbench::kImageMagick, {"-scale", "16.6667%", "-scale", "600%"});
}

void BM_ImageMagickPolarCells(benchmark::State& state) {
  qzbench::TimeTool(state, qzbench::kImageMagick,
                    {"-distort", "DePolar", "0", "-scale", "20%", "-scale", "500%", "-distort", "Polar", "0"});
}

void Threads(benchmark::internal::Benchmark* b) {
  for (int n : qzbench::kWorkerCounts) b->Arg(n);
  b->ArgName("threads")->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(0.5);
}

BENCHMARK(BM_PolarMosaicGatheredEachPass)->Apply(Threads)->ArgName("workers");
BENCHMARK(BM_VipsSubsampleZoom)->Apply(Threads);
BENCHMARK(BM_ImageMagickScaleDownUp)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(BM_ImageMagickPolarCells)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

}  // namespace
