// Megapixels per second of the line kernels over a 4096 x 4096 plane, for
// the scalar references and the SSE2 forms.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "image/merge_kernels.h"

namespace {

constexpr size_t kSide = 4096;

struct Planes {
  std::vector<uint8_t> dst, src, alpha;
  Planes() : dst(kSide * kSide), src(kSide * kSide), alpha(kSide * kSide) {
    std::mt19937 random(7);
    for (size_t i = 0; i < dst.size(); ++i) {
      dst[i] = uint8_t(random());
      src[i] = uint8_t(random());
      alpha[i] = uint8_t(random());
    }
  }
};

Planes& SharedPlanes() {
  static Planes planes;
  return planes;
}

const qz::MergeKernels* Table(int which) {
  return which == 0 ? &qz::scalarMergeKernels() : qz::sse2MergeKernels();
}

enum Kernel { kAdd, kSub, kMultiply, kMerge, kViaAlpha, kMedia };

void RunKernel(benchmark::State& state, Kernel kernel) {
  const qz::MergeKernels* k = Table(int(state.range(0)));
  if (!k) {
    state.SkipWithError("no SSE2 on this processor");
    return;
  }
  state.SetLabel(k->name);
  Planes& p = SharedPlanes();
  for (auto _ : state) {
    for (size_t y = 0; y < kSide; ++y) {
      uint8_t* d = p.dst.data() + y * kSide;
      const uint8_t* s = p.src.data() + y * kSide;
      const uint8_t* a = p.alpha.data() + y * kSide;
      switch (kernel) {
        case kAdd: k->addBytes(d, s, kSide); break;
        case kSub: k->subBytes(d, s, kSide); break;
        case kMultiply: k->multiplyBytes(d, s, kSide); break;
        case kMerge: k->mergeBytes(d, s, kSide, 128); break;
        case kViaAlpha: k->mergeViaAlpha(d, s, a, 200, kSide); break;
        case kMedia: k->addMediaLine(d, s, 64, kSide); break;
      }
    }
    benchmark::ClobberMemory();
  }
  // Printed with SI prefixes: "pixels=2.1G/s" is 2100 megapixels per second.
  state.counters["pixels"] = benchmark::Counter(double(kSide * kSide),
                                                benchmark::Counter::kIsIterationInvariantRate);
}

void BM_SaturateAdd(benchmark::State& s) { RunKernel(s, kAdd); }
void BM_SaturateSub(benchmark::State& s) { RunKernel(s, kSub); }
void BM_Multiply(benchmark::State& s) { RunKernel(s, kMultiply); }
void BM_Merge(benchmark::State& s) { RunKernel(s, kMerge); }
void BM_MergeViaAlpha(benchmark::State& s) { RunKernel(s, kViaAlpha); }
void BM_AddMediaLine(benchmark::State& s) { RunKernel(s, kMedia); }

// Argument 0: scalar, 1: SSE2.
BENCHMARK(BM_SaturateAdd)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaturateSub)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Multiply)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Merge)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MergeViaAlpha)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AddMediaLine)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
