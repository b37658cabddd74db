// Test kit for the compositor and the modes: documents with layers built
// from small arrays and secondary pictures, compositing whole or in blocks,
// plane comparison, a strict render that fails the test when a mode's output
// depends on pixels outside the rows and columns it was given or asked for
// (of the document, the secondary picture and the layer itself), or when it
// writes past its block; the same-however-cut check over block sizes and
// worker counts; and a counter of re-render requests. Header-only, so every
// test program can include it.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <functional>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "image/qz_compositor.h"
#include "image/qz_image.h"
#include "app/class_registration.h"
#include "image/strip_pool.h"
#include "modes/mode_kit.h"

namespace qztest {

class CompositorEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    ASSERT_NE(Qz_InitImageBase(), nullptr);
    ASSERT_EQ(Qz_InitImageClass(Qz_GetGlobalData()), 1u);
    ASSERT_GT(qz::app::initClasses(qz::app::classGroup(qz::app::ClassGroup::Modes), Qz_GetGlobalData()), 0u);
    // Test pictures are small: cut them into strips as fine as a big
    // picture's, so strips run side by side (and race, if they can).
    Qz__SetCompositorStripPixels(1);
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

// A byte of hashed noise at (x, y), one pattern per salt; a busy picture
// that no mode maps onto itself by chance.
inline uint8_t Noise(int32_t x, int32_t y, int32_t salt) {
  uint32_t v = uint32_t(x) * 73856093u ^ uint32_t(y) * 19349663u ^ uint32_t(salt) * 83492791u;
  v ^= v >> 13;
  v *= 0x5bd1e995u;
  return uint8_t(v >> 24);
}
inline Rgb NoisePixel(int32_t x, int32_t y) { return {Noise(x, y, 1), Noise(x, y, 2), Noise(x, y, 3)}; }

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

  // Attaches `picture` as the layer's secondary image (image method
  // 0x100226) and places it at (dx, dy) inside the layer (0x10023a).
  void AttachSecondary(Qz_Image* layer, Qz_Image* picture, int32_t dx, int32_t dy) {
    constexpr uint32_t kPlaceSecond = 0x10023a;
    ASSERT_EQ(Qz_DoMethod(&layer->object, kQzImageSetSecondSource, picture), 1u);
    ASSERT_EQ(Qz_DoMethod(&layer->object, kPlaceSecond, uint32_t(dx), uint32_t(dy),
                          uint32_t(picture ? picture->width : 0),
                          uint32_t(picture ? picture->height : 0)),
              1u);
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
// the true pixels, then twice with two different noises in place of every
// pixel the mode may not read: of the document outside the block and the
// rectangles fetched from it; of the layer's secondary picture outside the
// rectangles fetched from it (a fetch whose lock image is the picture); and
// of the layer's own planes outside the part of the block that lies on the
// layer and the rectangles fetched from them. A difference, or a write past
// the block's last column, fails the test. Returns the output of the first
// run, row after row.
inline std::vector<Rgb> StrictRender(Document& doc, Qz_Image* layer, int32_t x0, int32_t x1,
                                     int32_t y0, int32_t y1) {
  Qz_Image* image = doc.image;
  const int32_t count = x1 - x0 + 1, rows = y1 - y0 + 1;
  constexpr int32_t kGuard = 16;
  constexpr uint8_t kGuardByte = 0xA5;
  // Filled from every thread: a fetch below an upper layer runs a pass of
  // its own, whose strips may fetch again on the workers.
  struct Fetched {
    std::mutex mutex;
    std::vector<Qz_ImageLock> locks;
  } record;
  std::vector<Qz_ImageLock>& fetched = record.locks;
  Qz__SetImageDataObserver(
      [](const Qz_ImageLock* lock, void* data) {
        auto* r = static_cast<Fetched*>(data);
        std::lock_guard<std::mutex> guard(r->mutex);
        r->locks.push_back(*lock);
      },
      &record);

  // Whether a fetch from `owner` covers (x, y) of it; rows outside the
  // image were handed out as the nearest edge row.
  auto fetchedFrom = [&](const Qz_Image* owner, int32_t x, int32_t y) {
    for (const Qz_ImageLock& l : fetched) {
      if (l.image != owner) continue;
      const int32_t top = std::clamp(l.y0, 0, owner->height - 1);
      const int32_t bottom = std::clamp(l.y1, 0, owner->height - 1);
      if (x >= std::max(0, l.x0) && x <= std::min(owner->width - 1, l.x1) && y >= top &&
          y <= bottom)
        return true;
    }
    return false;
  };
  // The planes noised, each with what the mode may read of it.
  struct Group {
    const Qz_Image* owner;
    std::vector<Qz_Plane> planes;
    std::function<bool(int32_t x, int32_t y)> readable;
    std::vector<std::vector<uint8_t>> saved;  // plane after plane, row after row
  };
  std::vector<Group> groups;
  groups.push_back({image,
                    {image->undoR, image->undoG, image->undoB, image->r, image->g, image->b},
                    [&](int32_t x, int32_t y) {
                      return (x >= x0 && x <= x1 && y >= y0 && y <= y1) ||
                             fetchedFrom(image, x, y);
                    },
                    {}});
  Qz_Image* picture = layer->secondSource;
  if (picture && picture != image) {
    std::vector<Qz_Plane> own = picture->depth == 8 ? std::vector<Qz_Plane>{picture->grey}
                                                    : std::vector<Qz_Plane>{picture->r, picture->g,
                                                                            picture->b};
    groups.push_back({picture, own,
                      [&](int32_t x, int32_t y) { return fetchedFrom(picture, x, y); }, {}});
  }
  {
    std::vector<Qz_Plane> own = layer->depth == 8 ? std::vector<Qz_Plane>{layer->grey}
                                                  : std::vector<Qz_Plane>{layer->r, layer->g,
                                                                          layer->b};
    const int32_t lx = layer->placement.layerX, ly = layer->placement.layerY;
    groups.push_back({layer, own,
                      [&, lx, ly](int32_t x, int32_t y) {
                        return (x + lx >= x0 && x + lx <= x1 && y + ly >= y0 && y + ly <= y1) ||
                               fetchedFrom(layer, x, y);
                      },
                      {}});
  }
  for (Group& g : groups) {
    std::erase(g.planes, nullptr);
    for (Qz_Plane p : g.planes)
      for (int32_t y = 0; y < g.owner->height; ++y)
        g.saved.emplace_back(p[y], p[y] + g.owner->width);
  }
  auto fill = [&](int noise) {
    int salt = 0;
    for (Group& g : groups) {
      const int32_t w = g.owner->width, h = g.owner->height;
      for (size_t p = 0; p < g.planes.size(); ++p, ++salt)
        for (int32_t y = 0; y < h; ++y)
          for (int32_t x = 0; x < w; ++x) {
            const uint8_t truth = g.saved[p * size_t(h) + size_t(y)][size_t(x)];
            g.planes[p][y][x] =
                noise == 0 || g.readable(x, y)
                    ? truth
                    : uint8_t((x * 37 + y * 101 + salt * 13) * (noise == 1 ? 7 : 11) + noise * 91);
          }
    }
  };

  auto run = [&](int noise) {
    const int32_t w = image->width, h = image->height;
    fill(noise);
    // The data below: the background as it now stands.
    std::vector<std::vector<uint8_t>> source(3, std::vector<uint8_t>(size_t(w) * h));
    std::vector<uint8_t*> tables[3];
    const Qz_Plane background[3] = {image->undoR, image->undoG, image->undoB};
    for (int c = 0; c < 3; ++c)
      for (int32_t y = 0; y < h; ++y) {
        tables[c].push_back(source[c].data() + size_t(y) * w);
        std::memcpy(tables[c][y], background[c][y], size_t(w));
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
  std::string noises;
  for (int noise = 1; noise <= 2; ++noise) {
    fetched.resize(requests);
    if (run(noise) != truth) noises += noises.empty() ? std::to_string(noise) : " and 2";
  }
  EXPECT_TRUE(noises.empty()) << "the output depends on pixels the mode did not ask for (noise "
                              << noises << ")";
  Qz__SetImageDataObserver(nullptr, nullptr);
  fill(0);
  return truth;
}

// A transparency pattern of bands 30 columns wide with clear gaps of 70
// (more than the compositor's 64) between them, so each row of a wide layer
// is rendered as several runs, the same columns from row to row.
inline uint8_t GappedAlpha(int32_t x, int32_t y) {
  return x % 100 < 30 ? uint8_t(40 + (x * 13 + y * 29) % 216) : 0;
}

// True when some row of the 8-bit layer holds painted pixels on both sides
// of a clear gap of 64 columns or more.
inline bool RowsSplitIntoRuns(const Qz_Image* layer) {
  if (!layer || layer->depth != 8 || !layer->grey) return false;
  for (int32_t y = 0; y < layer->height; ++y) {
    int32_t zeros = 0;
    bool painted = false;
    for (int32_t x = 0; x < layer->width; ++x) {
      if (layer->grey[y][x] == 0) {
        ++zeros;
        continue;
      }
      if (painted && zeros >= 64) return true;
      painted = true;
      zeros = 0;
    }
  }
  return false;
}

struct BlockSize {
  int32_t width, height;
};
inline constexpr BlockSize kCutBlocks[] = {{1, 4}, {3, 2}, {16, 7}, {37, 1}, {5, 40}, {1000, 1000}};

// Composites the document whole with one worker (the reference), then whole
// and in blocks of each size with 1, 2 and 8 workers cut into one-row
// strips, and with 8 as a user's passes are cut (small ones on the calling
// thread): every one must give the reference's bytes. Some layer's rows
// must split into several runs (paint it with GappedAlpha on a layer wider
// than 100 pixels). Returns the reference planes.
inline std::vector<uint8_t> ExpectSameHoweverCut(Document& doc,
                                                 std::span<const BlockSize> blocks = kCutBlocks) {
  bool split = false;
  for (Qz_Image* layer = first_layer(doc.image); layer; layer = next_layer(layer))
    split = split || RowsSplitIntoRuns(layer);
  EXPECT_TRUE(split) << "no layer's rows split into runs: give one long clear gaps";
  const int32_t before = Qz__SetCompositorWorkers(1);
  doc.ClearResult();
  doc.Composite();
  const std::vector<uint8_t> reference = doc.Planes();
  std::string differing;  // every cut that differs, in one failure
  const int32_t stripPixels = Qz__SetCompositorStripPixels(1);
  auto note = [&](int32_t workers, const std::string& cut, const char* strips) {
    if (doc.Planes() != reference)
      differing += "\n  " + std::to_string(workers) + " workers, " + cut + ", " + strips;
  };
  auto everyCut = [&](int32_t workers, const char* strips) {
    Qz__SetCompositorWorkers(workers);
    doc.ClearResult();
    doc.Composite();
    note(workers, "whole", strips);
    for (const BlockSize& b : blocks) {
      doc.CompositeInBlocks(b.width, b.height);
      note(workers, std::to_string(b.width) + " x " + std::to_string(b.height) + " blocks", strips);
    }
  };
  for (int32_t workers : {1, 2, 8}) everyCut(workers, "row strips");
  // As a user's passes are cut: small ones stay on this thread.
  Qz__SetCompositorStripPixels(0);
  everyCut(8, "default strips");
  Qz__SetCompositorStripPixels(stripPixels);
  Qz__SetCompositorWorkers(before);
  EXPECT_TRUE(differing.empty()) << "differs from the whole image with 1 worker:" << differing;
  return reference;
}

// Counts the re-render requests that changed modes post (through the
// poster seam, so nothing is queued) while it lives. One at a time.
class RerenderCounter {
 public:
  RerenderCounter() {
    Reset();
    Qz__SetModeRerenderPoster(Record);
  }
  ~RerenderCounter() { Qz__SetModeRerenderPoster(nullptr); }
  RerenderCounter(const RerenderCounter&) = delete;
  RerenderCounter& operator=(const RerenderCounter&) = delete;

  // Requests so far, for any document or for one.
  size_t Count() const {
    std::lock_guard<std::mutex> guard(Mutex());
    return Posts().size();
  }
  size_t Count(const Qz_Image* document) const {
    std::lock_guard<std::mutex> guard(Mutex());
    return size_t(std::count(Posts().begin(), Posts().end(), document));
  }
  void Reset() {
    std::lock_guard<std::mutex> guard(Mutex());
    Posts().clear();
  }

 private:
  static std::mutex& Mutex() {
    static std::mutex mutex;
    return mutex;
  }
  static std::vector<const Qz_Image*>& Posts() {
    static std::vector<const Qz_Image*> posts;
    return posts;
  }
  static void Record(Qz_Image* document) {
    std::lock_guard<std::mutex> guard(Mutex());
    Posts().push_back(document);
  }
};

// A mode with the settings (setter id, value) sent to it before it renders:
// a row of the cases a family's invariance tests run over.
struct ModeSetting {
  uint32_t id;
  int32_t value;
};
struct ModeCase {
  const char* mode;
  std::vector<ModeSetting> settings;
};

inline void ApplySettings(Qz_Object* mode, const std::vector<ModeSetting>& settings) {
  for (const ModeSetting& s : settings) Qz_DoMethod(mode, s.id, QzWord(int64_t(s.value)));
}

// "Median 2066=5 ..." for a failure's trace.
inline std::string CaseName(const ModeCase& c) {
  std::string name = c.mode;
  for (const ModeSetting& s : c.settings) name += " " + std::to_string(s.id) + "=" + std::to_string(s.value);
  return name;
}

// A case on a layer with clear gaps placed off the document's left and top
// edges, so its reach meets both: the same bytes however a pass is cut and on
// any number of workers, and not the picture below.
inline void ExpectCaseSameHoweverCut(const ModeCase& c) {
  Document doc(230, 24, NoisePixel);
  Qz_Image* layer = doc.AddPaintLayer(c.mode, {200, 60, 30}, -3, -2, 236, 27, GappedAlpha);
  ASSERT_NE(layer, nullptr);
  ApplySettings(layer->mode, c.settings);
  const std::vector<uint8_t> planes = ExpectSameHoweverCut(doc);
  EXPECT_NE(planes, Document(230, 24, NoisePixel).Planes());
}

// A case on an upper layer, which reads a composite of the Multiply layer
// below it: blocks at the top, inside and at the bottom right read only what
// they fetched.
inline void ExpectCaseReadsOnlyWhatItFetched(const ModeCase& c) {
  Document doc(40, 21, NoisePixel);
  ASSERT_NE(doc.AddPaintLayer("Multiply", {90, 200, 30}, 2, 1, 30, 18,
                              [](int32_t x, int32_t y) { return Noise(x, y, 5); }),
            nullptr);
  Qz_Image* layer =
      doc.AddPaintLayer(c.mode, {10, 220, 90}, 1, 2, 38, 18, [](int32_t, int32_t) { return uint8_t(255); });
  ASSERT_NE(layer, nullptr);
  ApplySettings(layer->mode, c.settings);
  StrictRender(doc, layer, 0, 39, 0, 1);
  StrictRender(doc, layer, 5, 17, 9, 11);
  StrictRender(doc, layer, 30, 39, 19, 20);
}

}  // namespace qztest
