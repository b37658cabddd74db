// Test kit for the compositor and the modes: documents with layers built
// from small arrays, compositing whole or in blocks, plane comparison, and a
// strict render that fails the test when a mode's output depends on pixels
// outside the rows and columns it was given or asked for, or when it writes
// past its block. Header-only, so every test program can include it.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "image/qz_compositor.h"
#include "image/qz_image.h"
#include "app/class_registration.h"
#include "modes/mode_kit.h"

namespace qztest {

class CompositorEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    ASSERT_NE(Qz_InitImageBase(), nullptr);
    ASSERT_EQ(Qz_InitImageClass(Qz_GetGlobalData()), 1u);
    ASSERT_GT(qz::app::initClasses(qz::app::classGroup(qz::app::ClassGroup::Modes), Qz_GetGlobalData()), 0u);
  }
  void TearDown() override {
    qz::app::cleanupClasses(qz::app::classGroup(qz::app::ClassGroup::Modes));
    Qz_CleanupImageClass();
    Qz_CleanupImageBase();
  }
};

inline ::testing::Environment* const kCompositorEnvironment =
    ::testing::AddGlobalTestEnvironment(new CompositorEnvironment);

using Rgb = std::array<uint8_t, 3>;
using PixelFn = std::function<Rgb(int32_t x, int32_t y)>;
using AlphaFn = std::function<uint8_t(int32_t x, int32_t y)>;

// The mode names of the paint and colour-blend modes.
inline const std::vector<std::string>& ColourModeNames() {
  static const std::vector<std::string> names = {
      "Paint", "AddColour", "SubtractColour", "Darken", "Lighten", "DifferenceRGB",
      "Multiply", "Screen", "Burn", "Dodge", "Overlay", "SoftLight", "HardLight", "Tint",
      "Colourise", "Sepia", "BiColour"};
  return names;
}

// Makes a "%sMode" object for a layer and hands it the layer.
inline Qz_Object* MakeMode(const std::string& name, Qz_Image* layer) {
  Qz_Object* mode = Qz_CreateObject((name + "Mode").c_str());
  if (mode && layer) Qz_DoMethod(mode, kQzModeSetImage, layer);
  return mode;
}

// A 24-bit document without a thread; disposes itself and its layers.
class Document {
 public:
  Document(int32_t width, int32_t height, const PixelFn& background) {
    image = reinterpret_cast<Qz_Image*>(Qz_CreateObject("Image", kQzImageSetType, kQzDocument));
    EXPECT_NE(image, nullptr);
    if (!image || !Qz_AllocImage(image, width, height, 24, kQzAllocNoThread, nullptr)) {
      ADD_FAILURE() << "document allocation failed";
      return;
    }
    for (int32_t y = 0; y < height; ++y)
      for (int32_t x = 0; x < width; ++x) {
        const Rgb p = background(x, y);
        image->undoR[y][x] = image->r[y][x] = p[0];
        image->undoG[y][x] = image->g[y][x] = p[1];
        image->undoB[y][x] = image->b[y][x] = p[2];
      }
  }
  ~Document() {
    if (image) Qz_DisposeObject(&image->object);
  }
  Document(const Document&) = delete;
  Document& operator=(const Document&) = delete;

  int32_t width() const { return image->width; }
  int32_t height() const { return image->height; }

  // A paint layer of depth 8 (alpha is its transparency) or 24 (alpha gives
  // all three channels) at (x, y) through the named mode.
  Qz_Image* AddPaintLayer(const std::string& modeName, Rgb colour, int32_t x, int32_t y,
                          int32_t width, int32_t height, const AlphaFn& alpha,
                          int32_t depth = 8) {
    auto* layer = reinterpret_cast<Qz_Image*>(
        Qz_CreateObject("Image", kQzImageSetType, kQzPaintLayer));
    EXPECT_NE(layer, nullptr);
    if (!layer) return nullptr;
    if (!Qz_AllocImage(layer, width, height, depth, 0, nullptr)) {
      ADD_FAILURE() << "layer allocation failed";
      Qz_DisposeObject(&layer->object);
      return nullptr;
    }
    for (int32_t ly = 0; ly < height; ++ly)
      for (int32_t lx = 0; lx < width; ++lx) {
        const uint8_t a = alpha(lx, ly);
        if (depth == 8) {
          layer->grey[ly][lx] = a;
        } else {
          layer->r[ly][lx] = layer->g[ly][lx] = layer->b[ly][lx] = a;
        }
      }
    EXPECT_NE(Qz_DoMethod(&image->object, kQzImageAddLayer, layer), 0u);
    layer->placement.layerX = int16_t(x);
    layer->placement.layerY = int16_t(y);
    Qz_ModifiedLayer(layer, 0, 0, width - 1, height - 1);
    std::memcpy(layer->committedColour, colour.data(), 3);
    std::memcpy(layer->chosenColour, colour.data(), 3);
    std::snprintf(layer->modeName, sizeof layer->modeName, "%s", modeName.c_str());
    layer->mode = MakeMode(modeName, layer);
    EXPECT_NE(layer->mode, nullptr) << modeName;
    return layer;
  }

  void Composite() { Qz_FullProcessImage(image); }

  // Composites the whole image in blocks of the given size, after clearing
  // the result so nothing of an earlier pass survives.
  void CompositeInBlocks(int32_t blockWidth, int32_t blockHeight) {
    ClearResult();
    for (int32_t y = 0; y < height(); y += blockHeight)
      for (int32_t x = 0; x < width(); x += blockWidth)
        Qz_ProcessImage(image, x, y, x + blockWidth - 1, y + blockHeight - 1);
  }

  void ClearResult() {
    for (int32_t y = 0; y < height(); ++y) {
      std::memset(image->r[y], 0, size_t(width()));
      std::memset(image->g[y], 0, size_t(width()));
      std::memset(image->b[y], 0, size_t(width()));
    }
  }

  Rgb Pixel(int32_t x, int32_t y) const {
    return {image->r[y][x], image->g[y][x], image->b[y][x]};
  }

  // R rows, then G rows, then B rows.
  std::vector<uint8_t> Planes() const {
    std::vector<uint8_t> bytes;
    for (Qz_Plane plane : {image->r, image->g, image->b})
      for (int32_t y = 0; y < height(); ++y) bytes.insert(bytes.end(), plane[y], plane[y] + width());
    return bytes;
  }

  Qz_Image* image = nullptr;
};

// Renders rows y0..y1, columns x0..x1 of the layer's mode directly, with
// the document's background as the data below. It runs three times: with
// the true pixels, then twice with every pixel outside the block and outside
// the rectangles the mode fetched replaced by two different noises. A
// difference, or a write past the block's last column, fails the test.
// Returns the output of the first run, row after row.
inline std::vector<Rgb> StrictRender(Document& doc, Qz_Image* layer, int32_t x0, int32_t x1,
                                     int32_t y0, int32_t y1) {
  Qz_Image* image = doc.image;
  const int32_t w = image->width, h = image->height;
  const int32_t count = x1 - x0 + 1, rows = y1 - y0 + 1;
  constexpr int32_t kGuard = 16;
  constexpr uint8_t kGuardByte = 0xA5;
  std::vector<Qz_ImageLock> fetched;
  Qz__SetImageDataObserver(
      [](const Qz_ImageLock* lock, void* data) {
        static_cast<std::vector<Qz_ImageLock>*>(data)->push_back(*lock);
      },
      &fetched);

  auto inside = [&](int32_t x, int32_t y) {
    if (x >= x0 && x <= x1 && y >= y0 && y <= y1) return true;
    for (const Qz_ImageLock& l : fetched) {
      // Rows outside the image were handed out as the nearest edge row.
      const int32_t top = std::clamp(l.y0, 0, h - 1), bottom = std::clamp(l.y1, 0, h - 1);
      if (x >= std::max(0, l.x0) && x <= std::min(w - 1, l.x1) && y >= top && y <= bottom)
        return true;
    }
    return false;
  };
  // Saved planes: the background and the composite, restored after each run.
  Qz_Plane planes[6] = {image->undoR, image->undoG, image->undoB, image->r, image->g, image->b};
  std::vector<std::vector<uint8_t>> saved;
  for (Qz_Plane p : planes)
    for (int32_t y = 0; y < h; ++y) saved.emplace_back(p[y], p[y] + w);

  auto run = [&](int noise) {
    std::vector<std::vector<uint8_t>> source(3, std::vector<uint8_t>(size_t(w) * h));
    std::vector<uint8_t*> tables[3];
    for (int c = 0; c < 3; ++c)
      for (int32_t y = 0; y < h; ++y) tables[c].push_back(source[c].data() + size_t(y) * w);
    for (int p = 0; p < 6; ++p)
      for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
          const uint8_t truth = saved[size_t(p) * h + y][x];
          const uint8_t v = noise == 0 || inside(x, y) ? truth
                                                       : uint8_t((x * 37 + y * 101 + p * 13) *
                                                                 (noise == 1 ? 7 : 11) + noise * 91);
          planes[p][y][x] = v;
          if (p < 3) tables[p][y][x] = v;
        }
    std::vector<std::vector<uint8_t>> out(4, std::vector<uint8_t>(size_t(count + kGuard) * rows,
                                                                   kGuardByte));
    std::vector<uint8_t*> outRows[4];
    for (int c = 0; c < 4; ++c)
      for (int32_t r = 0; r < rows; ++r) outRows[c].push_back(out[c].data() + size_t(r) * (count + kGuard));
    Qz_ImageLock block{};
    block.image = image;
    block.layer = layer;
    block.x0 = x0, block.x1 = x1, block.y0 = y0, block.y1 = y1;
    block.r = tables[0].data(), block.g = tables[1].data(), block.b = tables[2].data();
    Qz_ImageLock spare{};
    spare.image = image;
    spare.layer = layer;
    Qz_ModeRenderMessage message{&block, &spare, outRows[0].data(), outRows[1].data(),
                                 outRows[2].data(), outRows[3].data()};
    Qz_RenderMode(layer->mode, &message);
    Qz_FreeImageLock(&spare);
    std::vector<Rgb> pixels;
    for (int32_t r = 0; r < rows; ++r) {
      for (int32_t i = 0; i < count; ++i)
        pixels.push_back({outRows[0][r][i], outRows[1][r][i], outRows[2][r][i]});
      for (int c = 0; c < 3; ++c)
        for (int32_t i = count; i < count + kGuard; ++i)
          if (outRows[c][r][i] != kGuardByte) ADD_FAILURE() << "wrote past the block at column " << x0 + i;
    }
    return pixels;
  };
  const std::vector<Rgb> truth = run(0);
  const size_t requests = fetched.size();
  for (int noise = 1; noise <= 2; ++noise) {
    fetched.resize(requests);
    EXPECT_EQ(run(noise), truth) << "the output depends on pixels the mode did not ask for";
  }
  Qz__SetImageDataObserver(nullptr, nullptr);
  for (int p = 0; p < 6; ++p)
    for (int32_t y = 0; y < h; ++y) std::memcpy(planes[p][y], saved[size_t(p) * h + y].data(), size_t(w));
  return truth;
}

}  // namespace qztest
