#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <thread>
#include <vector>

#include "platform/byte_order.h"
#include "platform/cpu_features.h"
#include "platform/qz_random.h"

namespace {

TEST(ByteOrder, ReadsBothOrdersAndZerosPastTheEnd) {
  const uint8_t data[] = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09};
  qz::ByteReader r(data, sizeof data);
  EXPECT_EQ(r.u8(), 0x01);
  EXPECT_EQ(r.u16le(), 0x0302);
  EXPECT_EQ(r.u16be(), 0x0405);
  EXPECT_FALSE(r.failed());
  EXPECT_EQ(r.remaining(), 4u);
  auto sub = r.bytes(2);
  ASSERT_EQ(sub.size(), 2u);
  EXPECT_EQ(sub[0], 0x06);
  EXPECT_EQ(r.u32le(), 0u);  // only two bytes left: zeros, and the failure sticks
  EXPECT_TRUE(r.failed());
  EXPECT_EQ(r.remaining(), 0u);
  EXPECT_EQ(r.u8(), 0);
  EXPECT_TRUE(r.bytes(1).empty());

  qz::ByteReader s(data, sizeof data);
  EXPECT_EQ(s.u32be(), 0x01020304u);
  EXPECT_EQ(s.u32le(), 0x08070605u);
  s.skip(5);  // only one left
  EXPECT_TRUE(s.failed());
  qz::ByteReader t(data, sizeof data);
  t.seek(8);
  EXPECT_EQ(t.u8(), 0x09);
  EXPECT_FALSE(t.failed());
  t.seek(10);
  EXPECT_TRUE(t.failed());
  const uint8_t negative[] = {0xFF, 0xFE};
  qz::ByteReader signedReader(negative, 2);
  EXPECT_EQ(signedReader.s16be(), -2);
}

TEST(ByteOrder, WriterRoundTripsAndPatches) {
  qz::ByteWriter w;
  w.putU8(0xAB);
  w.putU16le(0x1234);
  w.putU16be(0x1234);
  w.putU32le(0xDEADBEEF);
  w.putU32be(0);
  w.bytes("xy", 2);
  w.patchU32be(7, 0xCAFEF00D);
  w.patchU32le(100, 1);  // outside: ignored
  const std::vector<uint8_t> expect = {0xAB, 0x34, 0x12, 0x12, 0x34, 0xEF, 0xBE, 0xCA,
                                       0xFE, 0xF0, 0x0D, 0x00, 0x00, 'x',  'y'};
  EXPECT_EQ(w.data(), expect);
  qz::ByteReader r(w.data());
  EXPECT_EQ(r.u8(), 0xAB);
  EXPECT_EQ(r.u16le(), 0x1234);
  EXPECT_EQ(r.u16be(), 0x1234);
  r.skip(2);
  EXPECT_EQ(r.u32be(), 0xCAFEF00Du);
  std::vector<uint8_t> external;
  qz::ByteWriter into(external);
  into.putU32le(7);
  EXPECT_EQ(external, (std::vector<uint8_t>{7, 0, 0, 0}));
}

TEST(CpuFeatures, MatchTheCompilerView) {
  EXPECT_EQ(Qz__HasCPUID(), 1);
  Qz_CPUInfo info;
  std::memset(&info, 0xCC, sizeof info);
  const uint32_t bits = Qz__GetCPUFeatures(&info);
  EXPECT_EQ(Qz__GetCPUFeatures(nullptr), bits);
  EXPECT_EQ((bits & QZ_CPU_MMX) != 0, __builtin_cpu_supports("mmx") != 0);
  EXPECT_EQ((bits & QZ_CPU_SSE) != 0, __builtin_cpu_supports("sse") != 0);
  EXPECT_EQ((bits & QZ_CPU_SSE2) != 0, __builtin_cpu_supports("sse2") != 0);
  EXPECT_EQ(bits & (QZ_CPU_SSE2 | QZ_CPU_SSE | QZ_CPU_MMX), 7u);  // every x86-64
  EXPECT_EQ(info.ci_Reported, bits);
  EXPECT_EQ(info.ci_Confirmed, bits);
  EXPECT_EQ(info.ci_Fifteen, 15u);
  EXPECT_EQ(std::strlen(info.ci_Vendor), 12u);
  EXPECT_GT(std::strlen(info.ci_Name), 0u);
  for (uint32_t f : {QZ_CPU_MMX, QZ_CPU_SSE, QZ_CPU_SSE2, QZ_CPU_3DNOW})
    EXPECT_EQ(Qz__CPUFeatureRuns(f), (bits & f) ? 1 : 0) << f;
  EXPECT_EQ(Qz__CPUFeatureRuns(16), 0);
}

TEST(CpuFeatures, ModelNames) {
  struct Case {
    const char* vendor;
    uint32_t family, model;
    const char* name;
  };
  const Case cases[] = {
      {"GenuineIntel", 5, 4, "INTEL Pentium-MMX"}, {"GenuineIntel", 6, 8, "INTEL Pentium-III"},
      {"GenuineIntel", 6, 1, "INTEL Pentium-Pro"}, {"AuthenticAMD", 5, 8, "AMD K6-2"},
      {"AuthenticAMD", 6, 4, "AMD ATHLON"},        {"GenuineIntel", 15, 2, "Unknown"},
      {"CyrixInstead", 5, 2, "Unknown"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Qz_CPUInfo info{};
    std::strcpy(info.ci_Vendor, c.vendor);
    char name[8];  // shorter than some names: cut, never overrun
    Qz__CPUModelName(c.family, c.model, &info, name, sizeof name);
    EXPECT_EQ(std::string(name), std::string(c.name).substr(0, 7));
  }
}

TEST(Random, SequenceIsPerThreadAndStartsFromOne) {
  auto draw = [](int n) {
    std::vector<int32_t> v;
    for (int i = 0; i < n; ++i) v.push_back(Qz_Rand());
    return v;
  };
  // State 1: 1 * 214013 + 2531011 = 2745024, >> 16 = 41.
  std::vector<int32_t> fresh;
  std::thread([&] { fresh = draw(3); }).join();
  EXPECT_EQ(fresh, (std::vector<int32_t>{41, 18467, 6334}));
  Qz_SRand(1);
  EXPECT_EQ(draw(3), fresh);
  Qz_SRand(12345);
  std::vector<int32_t> a = draw(1000);
  Qz_SRand(12345);
  std::vector<int32_t> other;
  std::thread([&] { other = draw(3); }).join();  // another thread does not disturb this one
  EXPECT_EQ(draw(1000), a);
  EXPECT_EQ(other, fresh);
  for (int32_t x : a) ASSERT_LE(static_cast<uint32_t>(x), 0x7FFFu);
}

}  // namespace
