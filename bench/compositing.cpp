// Megapixels per second of a whole compositing pass over a 4096 x 4096
// document with three layers (Paint, Multiply, Overlay), each painted with
// a mix of untouched, fully covered and partly covered areas.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>

#include "image/qz_compositor.h"
#include "image/qz_image.h"
#include "app/class_registration.h"
#include "modes/mode_kit.h"

namespace {

constexpr int32_t kSide = 4096;

Qz_Image* MakeImage(int32_t type, int32_t depth, uint32_t flags) {
  auto* image = reinterpret_cast<Qz_Image*>(Qz_CreateObject("Image", kQzImageSetType, type));
  if (!image || !Qz_AllocImage(image, kSide, kSide, depth, flags, nullptr)) return nullptr;
  return image;
}

// A document and its layers, made once for every run.
Qz_Image* SharedDocument() {
  static Qz_Image* document = [] {
    Qz_InitImageBase();
    Qz_InitImageClass(Qz_GetGlobalData());
    qz::app::initClasses(qz::app::classGroup(qz::app::ClassGroup::Modes), Qz_GetGlobalData());
    Qz_Image* doc = MakeImage(kQzDocument, 24, kQzAllocNoThread);
    if (!doc) return doc;
    std::mt19937 random(11);
    for (Qz_Plane plane : {doc->undoR, doc->undoG, doc->undoB})
      for (int32_t y = 0; y < kSide; ++y)
        for (int32_t x = 0; x < kSide; ++x) plane[y][x] = uint8_t(random());
    const char* modes[] = {"Paint", "Multiply", "Overlay"};
    int index = 0;
    for (const char* name : modes) {
      Qz_Image* layer = MakeImage(kQzPaintLayer, 8, 0);
      if (!layer) return static_cast<Qz_Image*>(nullptr);
      // A quarter untouched, a quarter covered, half a gradient.
      for (int32_t y = 0; y < kSide; ++y)
        for (int32_t x = 0; x < kSide; ++x)
          layer->grey[y][x] = x < kSide / 4 ? 0 : x < kSide / 2 ? 255 : uint8_t((x + y + index) & 0xFF);
      Qz_DoMethod(&doc->object, kQzImageAddLayer, layer);
      Qz_ModifiedLayer(layer, 0, 0, kSide - 1, kSide - 1);
      const uint8_t colour[3] = {uint8_t(200 - index * 50), uint8_t(90 + index * 40), 60};
      std::memcpy(layer->committedColour, colour, 3);
      std::snprintf(layer->modeName, sizeof layer->modeName, "%s", name);
      layer->mode = Qz_CreateObject((std::string(name) + "Mode").c_str());
      Qz_DoMethod(layer->mode, kQzModeSetImage, layer);
      ++index;
    }
    return doc;
  }();
  return document;
}

void BM_CompositeThreeLayers(benchmark::State& state) {
  Qz_Image* doc = SharedDocument();
  if (!doc) {
    state.SkipWithError("could not build the document");
    return;
  }
  for (auto _ : state) {
    Qz_FullProcessImage(doc);
    benchmark::DoNotOptimize(doc->r[kSide / 2][kSide / 2]);
  }
  state.counters["Mpixel/s"] = benchmark::Counter(double(kSide) * kSide * double(state.iterations()) / 1e6,
                                                  benchmark::Counter::kIsRate);
}
BENCHMARK(BM_CompositeThreeLayers)->Unit(benchmark::kMillisecond);

}  // namespace
