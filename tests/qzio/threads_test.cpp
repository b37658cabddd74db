// Loads and saves from several threads at once, each on its own files.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "qzio/qzio.h"
#include "qzio_test_env.h"

namespace {

TEST(QzioThreads, ConcurrentLoadsAndSavesKeepTheirPixels) {
  qztest::QzioLibrary library({"Quillantrix", "PPM"});
  std::atomic<int> failures{0};
  auto work = [&](int id) {
    for (int round = 0; round < 6; ++round) {
      QZIO_ImageBuffer* b = qztest::MakePattern(17 + id, 9 + round);
      const std::vector<uint8_t> rgb = qztest::RgbBytes(b);
      for (const char* format : {"PPM", "Quillantrix"}) {
        const std::string path = library.dir().file("t" + std::to_string(id) + format);
        QZIO_Header h{};
        h.buffer = b;
        uint32_t flags = kQzioQuiet, result = 0;
        if (QZIO_SaveBufferA(&h, path.c_str(), format, nullptr, &flags) != kQzioSuccess) ++failures;
        QZIO_ImageBuffer* back = QZIO_AutoLoadBuffer(path.c_str(), kQzioQuiet, kQzioTagResult, &result, TAG_DONE);
        if (!back || qztest::RgbBytes(back) != rgb) ++failures;
        QZIO_FreeBuffer(back);
      }
      QZIO_FreeBuffer(b);
    }
  };
  std::vector<std::thread> threads;
  for (int i = 0; i < 4; ++i) threads.emplace_back(work, i);
  for (auto& t : threads) t.join();
  EXPECT_EQ(failures.load(), 0);
}

}  // namespace
