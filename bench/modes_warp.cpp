// The warp modes through the compositor on the shared scene, their layer
// over a multiply layer so the image below is a composite (a full pass and a
// dab's pass, 1 and 8 workers), beside ImageMagick doing the like to the
// scene's file: its swirl (for swirl and twirl) and its implode and explode
// (for spherize). Super nova has no peer; its burst reads nothing below.
#include <benchmark/benchmark.h>

#include <functional>
#include <string>

#include "bench_modes.h"
#include "bench_peers.h"
#include "bench_scene.h"
#include "modes/qz_warp_modes.h"

namespace {

constexpr uint8_t kColour[3] = {200, 90, 60};

// Runs once, ahead of the passes registered after it.
void Once(const std::string& name, std::function<bool()> step) {
  benchmark::RegisterBenchmark(name.c_str(), [step](benchmark::State& state) {
    if (!step()) state.SkipWithError("could not build the scene");
    for (auto _ : state) benchmark::ClobberMemory();
  })->Iterations(1);
}

// A mode's passes with its settings made first.
void Passes(const char* mode, std::function<void(Qz_Object*)> settings) {
  Once(std::string("Mode/") + mode + "/settings", [mode, settings] {
    Qz_Image* layer = qzbench::ModeLayer(mode, kColour);
    if (layer && settings) settings(layer->mode);
    return layer != nullptr;
  });
  qzbench::RegisterModePasses(mode, kColour);
}

const bool kPasses = [] {
  // Below every mode's layer, always shown.
  Once("Scene/multiply layer below", [] { return qzbench::AddSceneLayer("Multiply", 0, kColour) != nullptr; });
  Passes("Spherize", [](Qz_Object* mode) {
    Qz_DoMethod(mode, kQzSpherizeSetHorizontal, 1u);
    Qz_DoMethod(mode, kQzSpherizeSetVertical, 1u);
  });
  Passes("Twirl", [](Qz_Object* mode) { Qz_DoMethod(mode, kQzTwirlSetRadius, 512u); });
  Passes("Swirl", nullptr);
  Passes("SuperNova", nullptr);
  return true;
}();

void BM_ImageMagickSwirl(benchmark::State& state) { qzbench::TimeTool(state, qzbench::kImageMagick, {"-swirl", "180"}); }
void BM_ImageMagickImplode(benchmark::State& state) {
  qzbench::TimeTool(state, qzbench::kImageMagick, {"-implode", "0.5"});
}
void BM_ImageMagickExplode(benchmark::State& state) {
  qzbench::TimeTool(state, qzbench::kImageMagick, {"-implode", "-0.5"});
}

BENCHMARK(BM_ImageMagickSwirl)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(BM_ImageMagickImplode)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(BM_ImageMagickExplode)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

}  // namespace
