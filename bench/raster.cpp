// Rasteriser throughput: image bands written to a window (unscaled and
// zoomed), rectangle fills, lines and fixed-face text, in megapixels or
// items per second on a 1024 x 768 backing store.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "host/raster/pixel_buffer.h"
#include "platform/graphics.h"

namespace {

constexpr int kW = 1024, kH = 768;

struct Surface {
  qz::raster::PixelBuffer buffer{kW, kH};
  RastPort rp{};
  Surface() { Qz_AttachRastPort(&rp, &buffer); }
};

std::vector<uint8_t> bgrImage(int w, int h) {
  std::vector<uint8_t> v(static_cast<std::size_t>(w) * h * 3);
  for (std::size_t i = 0; i < v.size(); ++i) v[i] = static_cast<uint8_t>(i * 7);
  return v;
}

void BM_WritePixelArray(benchmark::State& state) {
  Surface s;
  const std::vector<uint8_t> image = bgrImage(kW, kH);
  for (auto _ : state) WritePixelArray(image.data(), 0, 0, kW * 3, &s.rp, 0, 0, kW, kH, kPixelFormatBGR24);
  state.counters["MP/s"] = benchmark::Counter(double(kW) * kH * state.iterations() / 1e6, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_WritePixelArray);

void BM_ScalePixelArrayZoom(benchmark::State& state) {
  Surface s;
  const std::vector<uint8_t> image = bgrImage(kW / 3, kH / 3);
  for (auto _ : state) ScalePixelArray(image.data(), kW / 3, kH / 3, kW, &s.rp, 0, 0, kW, kH, kPixelFormatBGR24);
  state.counters["MP/s"] = benchmark::Counter(double(kW) * kH * state.iterations() / 1e6, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ScalePixelArrayZoom);

void BM_RectFill(benchmark::State& state) {
  Surface s;
  SetAPen(&s.rp, 2);
  for (auto _ : state) RectFill(&s.rp, 0, 0, kW - 1, kH - 1);
  state.counters["MP/s"] = benchmark::Counter(double(kW) * kH * state.iterations() / 1e6, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RectFill);

void BM_DiagonalLines(benchmark::State& state) {
  Surface s;
  SetAPen(&s.rp, 1);
  int i = 0;
  for (auto _ : state) {
    DrawLine(&s.rp, 0, i % kH, kW - 1, kH - 1 - i % kH, 1);
    ++i;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DiagonalLines);

void BM_FixedText(benchmark::State& state) {
  Surface s;
  const std::string line = "The quick brown fox jumps over the lazy dog 0123456789";
  SetABPenDrMd(&s.rp, 1, 0, JAM2);
  for (auto _ : state) {
    Move(&s.rp, 0, 100);
    Text(&s.rp, line.c_str(), static_cast<int32_t>(line.size()));
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(line.size()));
}
BENCHMARK(BM_FixedText);

}  // namespace
