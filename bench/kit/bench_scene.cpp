// The shared scene: its background, its layers and its pixels for the peers.
#include "bench_scene.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include "app/class_registration.h"
#include "image/qz_compositor.h"
#include "modes/mode_kit.h"

namespace qzbench {
namespace {

// Smooth shapes with a little grain, like a photograph rather than noise.
uint8_t Photo(int32_t x, int32_t y, int32_t channel, std::mt19937& grain) {
  const double v = 128 + 60 * std::sin(x * 0.0021 + channel) * std::cos(y * 0.0017 - channel) +
                   40 * std::sin((x + y) * 0.0009 * (channel + 1));
  return uint8_t(std::clamp(v + int(grain() % 9) - 4, 0.0, 255.0));
}

Qz_Image* MakeImage(int32_t type, int32_t depth) {
  auto* image = reinterpret_cast<Qz_Image*>(Qz_CreateObject("Image", kQzImageSetType, type));
  if (image && Qz_AllocImage(image, kSceneWidth, kSceneHeight, depth, kQzAllocNoThread, nullptr)) return image;
  if (image) Qz_DisposeObject(&image->object);
  return nullptr;
}

}  // namespace

void StartImageClasses() {
  static const bool started = [] {
    Qz_InitImageBase();
    Qz_InitImageClass(Qz_GetGlobalData());
    qz::app::initClasses(qz::app::classGroup(qz::app::ClassGroup::Modes), Qz_GetGlobalData());
    return true;
  }();
  (void)started;
}

Qz_Image* SceneDocument() {
  static Qz_Image* const document = [] {
    StartImageClasses();
    Qz_Image* doc = MakeImage(kQzDocument, 24);
    if (!doc) return doc;
    std::mt19937 grain(11);
    const Qz_Plane planes[3] = {doc->undoR, doc->undoG, doc->undoB};
    for (int c = 0; c < 3; ++c)
      for (int32_t y = 0; y < kSceneHeight; ++y)
        for (int32_t x = 0; x < kSceneWidth; ++x) planes[c][y][x] = Photo(x, y, c, grain);
    Qz_CopyUndoToImageData(doc, 0, 0, kSceneWidth - 1, kSceneHeight - 1, 0, 0);
    return doc;
  }();
  return document;
}

Qz_Image* AddSceneLayer(const char* modeName, int pattern, const uint8_t colour[3]) {
  Qz_Image* doc = SceneDocument();
  if (!doc) return nullptr;
  Qz_Image* layer = MakeImage(kQzPaintLayer, 8);
  if (!layer) return nullptr;
  std::mt19937 grain(uint32_t(17 + pattern));
  for (int32_t y = 0; y < kSceneHeight; ++y)
    for (int32_t x = 0; x < kSceneWidth; ++x)
      layer->grey[y][x] = uint8_t(1 + Photo(x, y, pattern + 3, grain) * 254 / 255);
  // Linked after the active layer, which the last one added became.
  Qz_DoMethod(&doc->object, kQzImageMakeActive, last_layer(doc));
  Qz_DoMethod(&doc->object, kQzImageAddLayer, layer);
  Qz_ModifiedLayer(layer, 0, 0, kSceneWidth - 1, kSceneHeight - 1);
  std::memcpy(layer->committedColour, colour, 3);
  std::memcpy(layer->chosenColour, colour, 3);
  std::snprintf(layer->modeName, sizeof layer->modeName, "%s", modeName);
  layer->mode = Qz_CreateObject((std::string(modeName) + "Mode").c_str());
  if (!layer->mode) return nullptr;
  Qz_DoMethod(layer->mode, kQzModeSetImage, layer);
  return layer;
}

const std::vector<uint8_t>& SceneRgb() {
  static const std::vector<uint8_t> rgb = [] {
    std::vector<uint8_t> bytes;
    const Qz_Image* doc = SceneDocument();
    if (!doc) return bytes;
    bytes.resize(size_t(kSceneWidth) * kSceneHeight * 3);
    uint8_t* out = bytes.data();
    for (int32_t y = 0; y < kSceneHeight; ++y)
      for (int32_t x = 0; x < kSceneWidth; ++x) {
        *out++ = doc->undoR[y][x];
        *out++ = doc->undoG[y][x];
        *out++ = doc->undoB[y][x];
      }
    return bytes;
  }();
  return rgb;
}

std::vector<uint8_t> SceneAlpha(const Qz_Image* layer) {
  std::vector<uint8_t> bytes;
  if (!layer || !layer->grey) return bytes;
  bytes.reserve(size_t(layer->width) * layer->height);
  for (int32_t y = 0; y < layer->height; ++y) bytes.insert(bytes.end(), layer->grey[y], layer->grey[y] + layer->width);
  return bytes;
}

}  // namespace qzbench
