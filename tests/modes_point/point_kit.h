// What the point and tonal mode tests share: a mode with settings on an
// opaque layer over a document, rendered through the compositor and through
// the strict direct render, and a grey document rendered directly.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "compositor/compositor_kit.h"

namespace pointtest {

using qztest::Document;
using qztest::Rgb;

// (setter id, value) pairs sent to the mode before it renders.
using Settings = std::vector<std::pair<uint32_t, int32_t>>;

inline void Apply(Qz_Object* mode, const Settings& settings) {
  for (const auto& [setter, value] : settings) Qz_DoMethod(mode, setter, uint32_t(value));
}

inline uint8_t Opaque(int32_t, int32_t) { return 255; }

// The mode's output for each pixel of `below` (one row), through the
// compositor and through the strict render, which must agree.
inline std::vector<Rgb> RenderRow(const std::string& mode, const Settings& settings,
                                  const std::vector<Rgb>& below) {
  const auto width = int32_t(below.size());
  Document doc(width, 2, [&](int32_t x, int32_t) { return below[size_t(x)]; });
  Qz_Image* layer = doc.AddPaintLayer(mode, {0, 0, 0}, 0, 0, width, 2, Opaque);
  if (!layer) return {};
  Apply(layer->mode, settings);
  doc.Composite();
  const std::vector<Rgb> strict = qztest::StrictRender(doc, layer, 0, width - 1, 1, 1);
  for (int32_t x = 0; x < width; ++x) EXPECT_EQ(doc.Pixel(x, 1), strict[size_t(x)]) << "column " << x;
  return strict;
}

// A grey document's row rendered directly: the answer and the grey row
// written (7 where nothing was written).
struct GreyResult {
  QzWord answer;
  std::vector<uint8_t> out;
};
inline GreyResult RenderGrey(Qz_Object* mode, const std::vector<uint8_t>& row) {
  const auto width = int32_t(row.size());
  auto* grey = reinterpret_cast<Qz_Image*>(Qz_CreateObject("Image", kQzImageSetType, kQzDocument));
  EXPECT_NE(grey, nullptr);
  if (!grey || !Qz_AllocImage(grey, width, 1, 8, kQzAllocNoThread, nullptr)) return {0, {}};
  for (int32_t x = 0; x < width; ++x) grey->grey[0][x] = row[size_t(x)];
  std::vector<uint8_t> out(row.size(), 7);
  uint8_t* outRow = out.data();
  Qz_ImageLock block{};
  block.image = grey;
  block.x0 = 0, block.x1 = width - 1, block.y0 = block.y1 = 0;
  block.grey = grey->grey;
  Qz_ImageLock spare{};
  spare.image = grey;
  Qz_ModeRenderMessage message{&block, &spare, nullptr, nullptr, nullptr, &outRow};
  const QzWord answer = Qz_RenderMode(mode, &message);
  Qz_FreeImageLock(&spare);
  Qz_DisposeObject(&grey->object);
  return {answer, out};
}

// A busy document 230 x 24 with one layer of the mode painted in bands with
// long clear gaps, so rows are cut into several runs.
struct BandedScene {
  explicit BandedScene(const std::string& mode, const Settings& settings = {})
      : doc(230, 24, qztest::NoisePixel) {
    layer = doc.AddPaintLayer(mode, {200, 120, 40}, 0, 0, 230, 24, qztest::GappedAlpha);
    if (layer) Apply(layer->mode, settings);
  }
  Document doc;
  Qz_Image* layer = nullptr;
};

}  // namespace pointtest

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "support/external_tools.h"
#include "support/temp_dir.h"

namespace pointtest {

// What ImageMagick's convert makes of the document's background with the
// given operators (PPM in and out); empty when it cannot tell.
inline std::vector<Rgb> MagickOf(const Document& doc, const std::string& operators) {
  if (!qztest::haveTool("convert")) return {};
  qztest::TempDir dir;
  const std::string in = dir.file("in.ppm"), out = dir.file("out.ppm");
  {
    std::ofstream file(in, std::ios::binary);
    file << "P6\n" << doc.width() << " " << doc.height() << "\n255\n";
    for (int32_t y = 0; y < doc.height(); ++y)
      for (int32_t x = 0; x < doc.width(); ++x)
        file << char(doc.image->undoR[y][x]) << char(doc.image->undoG[y][x]) << char(doc.image->undoB[y][x]);
  }
  const std::string command = "convert '" + in + "' " + operators + " -depth 8 'ppm:" + out + "'";
  if (std::system(command.c_str()) != 0) return {};
  std::istringstream bytes(qztest::fileContents(out));
  std::string magic;
  int32_t width = 0, height = 0, maximum = 0;
  bytes >> magic >> width >> height >> maximum;
  bytes.get();
  if (magic != "P6" || width != doc.width() || height != doc.height() || maximum != 255) return {};
  std::vector<Rgb> pixels(size_t(width) * height);
  for (Rgb& p : pixels) bytes.read(reinterpret_cast<char*>(p.data()), 3);
  return bytes ? pixels : std::vector<Rgb>{};
}

// The document's composite, row after row.
inline std::vector<Rgb> Pixels(const Document& doc) {
  std::vector<Rgb> pixels;
  for (int32_t y = 0; y < doc.height(); ++y)
    for (int32_t x = 0; x < doc.width(); ++x) pixels.push_back(doc.Pixel(x, y));
  return pixels;
}

}  // namespace pointtest
