// Line kernels: the scalar references against the formulas written out
// independently here, and every other kernel table against the scalar one.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "image/merge_kernels.h"
#include "image/qz_image.h"

namespace {

// The formulas, spelled out once more in plain 64-bit arithmetic.
uint8_t RefAdd(int d, int s) { return uint8_t(std::min(255, d + s)); }
uint8_t RefSub(int d, int s) { return uint8_t(std::max(0, d - s)); }
uint8_t RefMultiply(int d, int s) { return uint8_t(d * s / 255); }
int64_t FloorShift16(int64_t v) { return v >= 0 ? v / 65536 : -((-v + 65535) / 65536); }
uint8_t RefMerge(int d, int s, uint32_t strength) {
  const int64_t w = (int64_t(strength) * 257) % 65536;
  return uint8_t(d + FloorShift16((s - d) * w + 257));
}
uint8_t RefViaAlpha(int d, int s, int a, uint32_t trans) {
  const int64_t t = (int64_t(trans) * 257) % 65536;
  const int64_t w = (a * t) / 256;
  return uint8_t(d + FloorShift16(w * (s - d) + 257));
}
uint8_t RefMedia(int t, int m, uint32_t strength) {
  const int64_t add = ((int64_t(m) * strength) % 65536) / 256;
  return uint8_t(std::min<int64_t>(255, t + add));
}

const uint32_t kWeights[] = {0, 1, 2, 127, 128, 129, 200, 254, 255, 256, 257, 300, 1000, 65535};

// Every (dst, src) pair laid out as one row of 65536 bytes.
struct PairRows {
  std::vector<uint8_t> dst, src;
  PairRows() : dst(65536), src(65536) {
    for (int i = 0; i < 65536; ++i) {
      dst[i] = uint8_t(i & 0xFF);
      src[i] = uint8_t(i >> 8);
    }
  }
};

std::vector<const qz::MergeKernels*> AllTables() {
  std::vector<const qz::MergeKernels*> tables{&qz::scalarMergeKernels()};
  for (const qz::MergeKernels* k : {&qz::mergeKernels(), qz::sse2MergeKernels()})
    if (k && std::find(tables.begin(), tables.end(), k) == tables.end()) tables.push_back(k);
  return tables;
}

TEST(MergeKernels, EveryPairMatchesTheFormula) {
  for (const qz::MergeKernels* k : AllTables()) {
    SCOPED_TRACE(k->name);
    PairRows base;
    auto check = [&](const std::vector<uint8_t>& got, auto ref, const char* what) {
      for (int i = 0; i < 65536; ++i)
        ASSERT_EQ(got[i], ref(base.dst[i], base.src[i])) << what << " dst " << int(base.dst[i])
                                                          << " src " << int(base.src[i]);
    };
    auto row = base.dst;
    k->addBytes(row.data(), base.src.data(), row.size());
    check(row, RefAdd, "add");
    row = base.dst;
    k->subBytes(row.data(), base.src.data(), row.size());
    check(row, RefSub, "sub");
    row = base.dst;
    k->multiplyBytes(row.data(), base.src.data(), row.size());
    check(row, RefMultiply, "multiply");
    for (uint32_t w : kWeights) {
      SCOPED_TRACE(w);
      row = base.dst;
      k->mergeBytes(row.data(), base.src.data(), row.size(), w & 0xFFFF);
      check(row, [w](int d, int s) { return RefMerge(d, s, w & 0xFFFF); }, "merge");
      // Media line: dst is the transparency, src the media byte.
      row = base.dst;
      k->addMediaLine(row.data(), base.src.data(), w, row.size());
      check(row, [w](int t, int m) { return RefMedia(t, m, w); }, "media");
    }
  }
}

TEST(MergeKernels, MergeThroughAlphaMatchesTheFormula) {
  PairRows base;
  for (const qz::MergeKernels* k : AllTables()) {
    SCOPED_TRACE(k->name);
    for (int alpha : {0, 1, 77, 128, 254, 255}) {
      for (uint32_t trans : kWeights) {
        SCOPED_TRACE(testing::Message() << "alpha " << alpha << " trans " << trans);
        std::vector<uint8_t> a(65536, uint8_t(alpha)), row = base.dst;
        k->mergeViaAlpha(row.data(), base.src.data(), a.data(), trans & 0xFFFF, row.size());
        for (int i = 0; i < 65536; ++i)
          ASSERT_EQ(row[i], RefViaAlpha(base.dst[i], base.src[i], alpha, trans & 0xFFFF)) << i;
      }
    }
  }
}

// Every weight a caller can pass (and the wraps past 255 and 65535) with
// every byte value: the wider tables give the scalar bytes.
TEST(MergeKernels, EveryValueAndWeightMatchesScalar) {
  const qz::MergeKernels& scalar = qz::scalarMergeKernels();
  PairRows base;
  std::vector<uint8_t> expected(65536), got(65536);
  for (const qz::MergeKernels* k : AllTables()) {
    if (k == &scalar) continue;
    SCOPED_TRACE(k->name);
    for (uint32_t w = 0; w < 512; ++w) {
      expected = base.dst;
      got = base.dst;
      scalar.mergeBytes(expected.data(), base.src.data(), 65536, w);
      k->mergeBytes(got.data(), base.src.data(), 65536, w);
      ASSERT_EQ(got, expected) << "merge weight " << w;
      // Every (alpha, dst) pair; src follows alpha.
      expected = base.src;
      got = base.src;
      scalar.mergeViaAlpha(expected.data(), base.dst.data(), base.dst.data(), w, 65536);
      k->mergeViaAlpha(got.data(), base.dst.data(), base.dst.data(), w, 65536);
      ASSERT_EQ(got, expected) << "alpha merge trans " << w;
    }
    for (uint32_t w = 0; w < 65536; ++w) {
      // All 256 media values against a transparency that also varies.
      uint8_t t[256], m[256], t2[256];
      for (int i = 0; i < 256; ++i) t[i] = t2[i] = uint8_t(i * 7 + w), m[i] = uint8_t(i);
      scalar.addMediaLine(t, m, w, 256);
      k->addMediaLine(t2, m, w, 256);
      ASSERT_TRUE(std::equal(t, t + 256, t2)) << "media strength " << w;
    }
  }
}

// The figures the editor relies on, as exact bytes.
TEST(MergeKernels, NamedValues) {
  struct Case {
    const char* name;
    int kernel;  // 0 merge, 1 media, 2 add, 3 sub
    uint8_t dst, src;
    uint32_t weight;
    uint8_t expected;
  };
  const Case cases[] = {
      {"merge at 128 moves halfway up", 0, 0, 255, 128, 128},
      {"merge at 128 moves halfway down", 0, 255, 0, 128, 127},
      {"merge at 255 copies", 0, 17, 230, 255, 230},
      {"merge at 0 keeps", 0, 17, 230, 0, 17},
      {"merge weight wraps at 256", 0, 0, 255, 256, 1},
      {"brush adds a quarter", 1, 10, 128, 128, 74},
      {"brush at full strength saturates", 1, 0, 255, 256, 255},
      {"brush saturates at 255", 1, 250, 200, 256, 255},
      {"white add saturates", 2, 200, 255, 0, 255},
      {"white subtract floors", 3, 20, 255, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    uint8_t d = c.dst;
    switch (c.kernel) {
      case 0: Qz__MergeByteArray(&d, &c.src, 1, c.weight); break;
      case 1: Qz__AddMediaLineToTransparency(&d, &c.src, c.weight, 1); break;
      case 2: SaturateAddByteArray(&d, &c.src, 1); break;
      case 3: SaturateSubByteArray(&d, &c.src, 1); break;
    }
    EXPECT_EQ(d, c.expected);
  }
}

// Random rows of every tail length: each table gives the scalar bytes, and
// nothing beyond the count is touched.
TEST(MergeKernels, WiderTablesEqualScalarOnRandomRows) {
  std::mt19937 random(1234);
  const qz::MergeKernels& scalar = qz::scalarMergeKernels();
  for (const qz::MergeKernels* k : AllTables()) {
    SCOPED_TRACE(k->name);
    for (size_t length : {size_t(0), size_t(16), size_t(64), size_t(1024)}) {
      for (size_t tail = 0; tail < 16; ++tail) {
        const size_t n = length + tail;
        SCOPED_TRACE(n);
        std::vector<uint8_t> dst(n + 32), src(n + 32), alpha(n + 32);
        for (auto* v : {&dst, &src, &alpha})
          for (auto& byte : *v) byte = uint8_t(random());
        const uint32_t weight = random() & 0x1FF;
        auto run = [&](const qz::MergeKernels& t, int which) {
          std::vector<uint8_t> out = dst;
          switch (which) {
            case 0: t.addBytes(out.data(), src.data(), n); break;
            case 1: t.subBytes(out.data(), src.data(), n); break;
            case 2: t.multiplyBytes(out.data(), src.data(), n); break;
            case 3: t.mergeBytes(out.data(), src.data(), n, weight); break;
            case 4: t.mergeViaAlpha(out.data(), src.data(), alpha.data(), weight, n); break;
            case 5: t.addMediaLine(out.data(), src.data(), weight, n); break;
          }
          return out;
        };
        for (int which = 0; which < 6; ++which) {
          const auto expected = run(scalar, which), got = run(*k, which);
          ASSERT_EQ(got, expected) << "kernel " << which;
          ASSERT_TRUE(std::equal(got.begin() + long(n), got.end(), dst.begin() + long(n)))
              << "wrote past the count, kernel " << which;
        }
      }
    }
  }
}

}  // namespace
