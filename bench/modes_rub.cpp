// The Rub modes through the compositor on the shared scene, each layer with
// a 24-megapixel secondary picture of its own size (a full pass and a dab's
// pass, 1 and 8 workers), beside libvips doing the nearest equivalent on the
// same pixels in memory with as many threads: add, subtract, multiply, min
// and max by relational selection, absolute difference, boolean or and xor,
// the picture itself, replicate for tiling, and a 3x3 emboss convolution
// added to the picture.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "bench_modes.h"
#include "bench_peers.h"
#include "bench_scene.h"
#include "modes/qz_rub_modes.h"

namespace {

constexpr uint8_t kColour[3] = {200, 90, 60};

// The secondary picture: the scene turned upside down, so the two differ everywhere.
Qz_Image* Picture() {
  static Qz_Image* const picture = [] {
    Qz_Image* scene = qzbench::SceneDocument();
    if (!scene) return static_cast<Qz_Image*>(nullptr);
    auto* image = reinterpret_cast<Qz_Image*>(Qz_CreateObject("Image", kQzImageSetType, kQzDocument));
    if (!image || !Qz_AllocImage(image, qzbench::kSceneWidth, qzbench::kSceneHeight, 24, kQzAllocNoThread, nullptr)) {
      if (image) Qz_DisposeObject(&image->object);
      return static_cast<Qz_Image*>(nullptr);
    }
    const Qz_Plane from[3] = {scene->undoR, scene->undoG, scene->undoB};
    const Qz_Plane to[3] = {image->r, image->g, image->b};
    for (int c = 0; c < 3; ++c)
      for (int32_t y = 0; y < qzbench::kSceneHeight; ++y)
        for (int32_t x = 0; x < qzbench::kSceneWidth; ++x) to[c][y][x] = from[c][qzbench::kSceneHeight - 1 - y][x];
    return image;
  }();
  return picture;
}

// The picture interleaved for libvips, made once.
const vips::VImage& VipsPicture() {
  static const std::vector<uint8_t> bytes = [] {
    std::vector<uint8_t> rgb;
    const Qz_Image* p = Picture();
    if (!p) return rgb;
    rgb.reserve(size_t(qzbench::kSceneWidth) * qzbench::kSceneHeight * 3);
    for (int32_t y = 0; y < qzbench::kSceneHeight; ++y)
      for (int32_t x = 0; x < qzbench::kSceneWidth; ++x)
        rgb.insert(rgb.end(), {p->r[y][x], p->g[y][x], p->b[y][x]});
    return rgb;
  }();
  static const vips::VImage image = vips::VImage::new_from_memory(
      const_cast<uint8_t*>(bytes.data()), bytes.size(), qzbench::kSceneWidth, qzbench::kSceneHeight, 3,
      VIPS_FORMAT_UCHAR);
  return image;
}

// The mode's layer gets the picture before its passes run (registered just
// ahead of them, so it runs first).
void AttachPicture(benchmark::State& state, const std::string& mode) {
  Qz_Image* layer = qzbench::ModeLayer(mode.c_str(), kColour);
  Qz_Image* picture = Picture();
  if (!layer || !picture) {
    state.SkipWithError("could not build the scene or its picture");
    return;
  }
  Qz_DoMethod(&layer->object, kQzImageSetSecondSource, picture);
  // The tiled modes' default tiles: an eighth of the picture.
  if (mode == "RubTiled") Qz_DoMethod(layer->mode, kQzRubTiledReset);
  for (auto _ : state) benchmark::DoNotOptimize(layer->secondSource);
}

bool RegisterRubMode(const char* mode) {
  const std::string name = mode;
  benchmark::RegisterBenchmark(("Mode/" + name + "/attach picture").c_str(),
                               [name](benchmark::State& s) { AttachPicture(s, name); })
      ->Iterations(1);
  return qzbench::RegisterModePasses(mode, kColour);
}

const bool kRubModes = [] {
  for (const char* mode : {"RubAdd", "RubSubtract", "RubMultiply", "RubBrightness", "RubDarken", "RubLighten",
                           "RubDifference", "RubOr", "RubXOr", "RubThru", "RubPaint", "BurnThru", "RubEmboss",
                           "RubTiled", "Tile"})
    RegisterRubMode(mode);
  return true;
}();

// ---- libvips on the same two pictures ------------------------------------------------

using VipsOp = vips::VImage (*)(const vips::VImage& below, const vips::VImage& picture);

void Vips(benchmark::State& state, VipsOp op) {
  const vips::VImage& picture = VipsPicture();
  qzbench::TimeVips(state, int(state.range(0)), [&](const vips::VImage& scene) { return op(scene, picture); });
}

vips::VImage Uchar(const vips::VImage& v) { return v.cast(VIPS_FORMAT_UCHAR); }  // limited to 0..255

vips::VImage VipsAdd(const vips::VImage& s, const vips::VImage& b) { return Uchar(s + b); }
vips::VImage VipsSubtract(const vips::VImage& s, const vips::VImage& b) { return Uchar(s - b); }
vips::VImage VipsMultiply(const vips::VImage& s, const vips::VImage& b) { return Uchar(s * b / 255); }
vips::VImage VipsDarken(const vips::VImage& s, const vips::VImage& b) { return (s <= b).ifthenelse(s, b); }
vips::VImage VipsLighten(const vips::VImage& s, const vips::VImage& b) { return (s >= b).ifthenelse(s, b); }
vips::VImage VipsDifference(const vips::VImage& s, const vips::VImage& b) { return Uchar((s - b).abs()); }
vips::VImage VipsOr(const vips::VImage& s, const vips::VImage& b) { return s | b; }
vips::VImage VipsXOr(const vips::VImage& s, const vips::VImage& b) { return s ^ b; }
vips::VImage VipsThru(const vips::VImage&, const vips::VImage& b) { return b.copy_memory(); }
// Tiles of an eighth: every eighth pixel of the picture, eight by eight times.
vips::VImage VipsTiled(const vips::VImage&, const vips::VImage& b) { return b.subsample(8, 8).replicate(8, 8); }
// The default relief: the pixel to the lower right minus the one to the upper left.
vips::VImage VipsEmboss(const vips::VImage& s, const vips::VImage& b) {
  static const vips::VImage mask = vips::VImage::new_matrixv(3, 3, -1.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 1.0);
  return Uchar(b + s.conv(mask, vips::VImage::option()->set("precision", VIPS_PRECISION_INTEGER)));
}

void Threads(benchmark::internal::Benchmark* b) {
  for (int n : qzbench::kWorkerCounts) b->Arg(n);
  b->ArgName("threads")->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(0.5);
}

void BM_VipsAdd(benchmark::State& s) { Vips(s, VipsAdd); }
void BM_VipsSubtract(benchmark::State& s) { Vips(s, VipsSubtract); }
void BM_VipsMultiply(benchmark::State& s) { Vips(s, VipsMultiply); }
void BM_VipsDarkenBySelection(benchmark::State& s) { Vips(s, VipsDarken); }
void BM_VipsLightenBySelection(benchmark::State& s) { Vips(s, VipsLighten); }
void BM_VipsDifference(benchmark::State& s) { Vips(s, VipsDifference); }
void BM_VipsOr(benchmark::State& s) { Vips(s, VipsOr); }
void BM_VipsXOr(benchmark::State& s) { Vips(s, VipsXOr); }
void BM_VipsPicture(benchmark::State& s) { Vips(s, VipsThru); }
void BM_VipsReplicate(benchmark::State& s) { Vips(s, VipsTiled); }
void BM_VipsEmboss3x3(benchmark::State& s) { Vips(s, VipsEmboss); }

BENCHMARK(BM_VipsAdd)->Apply(Threads);
BENCHMARK(BM_VipsSubtract)->Apply(Threads);
BENCHMARK(BM_VipsMultiply)->Apply(Threads);
BENCHMARK(BM_VipsDarkenBySelection)->Apply(Threads);
BENCHMARK(BM_VipsLightenBySelection)->Apply(Threads);
BENCHMARK(BM_VipsDifference)->Apply(Threads);
BENCHMARK(BM_VipsOr)->Apply(Threads);
BENCHMARK(BM_VipsXOr)->Apply(Threads);
BENCHMARK(BM_VipsPicture)->Apply(Threads);
BENCHMARK(BM_VipsReplicate)->Apply(Threads);
BENCHMARK(BM_VipsEmboss3x3)->Apply(Threads);

}  // namespace
