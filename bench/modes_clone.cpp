// The clone, roll, displacement, texture, thick-paint and bump-map modes
// through the compositor on the shared scene (a full pass and a dab's pass,
// 1 and 8 workers), with no secondary picture: clone and roll shift the data
// below, the relief modes light it or the layer's transparency. Beside them,
// libvips on the same pixels in memory with as many threads: the scene
// wrapped round by (20, 20) as roll does, shifted with its edges repeated as
// clone does, and a 3x3 relief convolution added to it as the bump map does.
#include <benchmark/benchmark.h>

#include "bench_modes.h"
#include "bench_peers.h"

namespace {

constexpr uint8_t kColour[3] = {200, 90, 60};

const bool kCloneModes = [] {
  for (const char* mode : {"Clone", "Roll", "DisplaceMap", "PaintTexture", "ThickPaint", "BumpMap"})
    qzbench::RegisterModePasses(mode, kColour);
  return true;
}();

void Threads(benchmark::internal::Benchmark* b) {
  for (int n : qzbench::kWorkerCounts) b->Arg(n);
  b->ArgName("threads")->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(0.5);
}

void BM_VipsWrap(benchmark::State& state) {
  qzbench::TimeVips(state, int(state.range(0)), [](const vips::VImage& scene) {
    return scene.wrap(vips::VImage::option()->set("x", 20)->set("y", 20));
  });
}

void BM_VipsShiftWithEdgesRepeated(benchmark::State& state) {
  qzbench::TimeVips(state, int(state.range(0)), [](const vips::VImage& scene) {
    return scene.embed(20, 20, scene.width(), scene.height(),
                       vips::VImage::option()->set("extend", VIPS_EXTEND_COPY));
  });
}

void BM_VipsRelief3x3(benchmark::State& state) {
  static const vips::VImage mask = vips::VImage::new_matrixv(3, 3, -1.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 1.0);
  qzbench::TimeVips(state, int(state.range(0)), [](const vips::VImage& scene) {
    return (scene + scene.conv(mask, vips::VImage::option()->set("precision", VIPS_PRECISION_INTEGER)))
        .cast(VIPS_FORMAT_UCHAR);
  });
}

BENCHMARK(BM_VipsWrap)->Apply(Threads);
BENCHMARK(BM_VipsShiftWithEdgesRepeated)->Apply(Threads);
BENCHMARK(BM_VipsRelief3x3)->Apply(Threads);

}  // namespace
