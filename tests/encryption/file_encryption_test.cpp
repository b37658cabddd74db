#include "image/file_encryption.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace {

std::vector<uint8_t> randomBytes(std::size_t n, uint32_t seed) {
  std::mt19937 generator(seed);
  std::vector<uint8_t> bytes(n);
  for (uint8_t& b : bytes) b = static_cast<uint8_t>(generator());
  return bytes;
}

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Lengths around the block size and the 512-byte plain tail; 1000 and 527
// leave a partial block before the tail, which must survive the round trip.
const std::size_t kLengths[] = {0, 1, 15, 16, 511, 512, 513, 527, 528, 1000, 1024, 100000};

}  // namespace

TEST(FileEncryption, EveryLengthRoundTripsAndOnlyWholeBlocksBeforeTheTailChange) {
  qztest::TempDir dir;
  for (std::size_t length : kLengths) {
    SCOPED_TRACE("length " + std::to_string(length));
    const std::string path = dir.file("data.bin");
    const std::vector<uint8_t> plain = randomBytes(length, static_cast<uint32_t>(length) + 1);
    writeFile(path, plain);

    ASSERT_EQ(Qz_EncryptFile(path.c_str()), 1);
    const std::vector<uint8_t> cipher = readFile(path);
    ASSERT_EQ(cipher.size(), plain.size());
    const std::size_t cipherBytes = length > 512 ? (length - 512) / 16 * 16 : 0;
    for (std::size_t block = 0; block < cipherBytes; block += 16) {
      EXPECT_FALSE(std::equal(plain.begin() + block, plain.begin() + block + 16, cipher.begin() + block))
          << "block at " << block << " left plain";
    }
    EXPECT_TRUE(std::equal(plain.begin() + cipherBytes, plain.end(), cipher.begin() + cipherBytes))
        << "bytes after the enciphered blocks changed";

    ASSERT_EQ(Qz_DecryptFile(path.c_str()), 1);
    EXPECT_EQ(readFile(path), plain);
  }
}

// Pins the key derivation and the cipher mode: files enciphered by an earlier
// build must stay readable.
TEST(FileEncryption, KnownAnswer) {
  qztest::TempDir dir;
  const std::string path = dir.file("known.bin");
  std::vector<uint8_t> plain(544);
  for (std::size_t i = 0; i < plain.size(); ++i) plain[i] = static_cast<uint8_t>(i);
  writeFile(path, plain);
  ASSERT_EQ(Qz_EncryptFile(path.c_str()), 1);
  const std::vector<uint8_t> cipher = readFile(path);
  char hex[2 * 32 + 1] = {};
  for (int i = 0; i < 32; ++i) std::snprintf(hex + 2 * i, 3, "%02x", cipher[i]);
  EXPECT_STREQ(hex, "bf9571559864f08111db61b26257ad81076b031fafe1ec59b5dd919ef4392440");
  ASSERT_EQ(Qz_ExportDecryptFile(path.c_str()), 1);
  EXPECT_EQ(readFile(path), plain);
}

TEST(FileEncryption, MissingFilesAndFoldersAreRefused) {
  qztest::TempDir dir;
  EXPECT_EQ(Qz_EncryptFile(dir.file("missing.bin").c_str()), 0);
  EXPECT_EQ(Qz_DecryptFile(dir.path().c_str()), 0);
  EXPECT_EQ(Qz_EncryptFile(nullptr), 0);
  EXPECT_EQ(Qz_EncryptFile(""), 0);
  EXPECT_FALSE(std::filesystem::exists(dir.file("missing.bin")));
}

TEST(FileEncryption, ReadOnlyFileIsRefusedAndLeftAlone) {
  if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
  qztest::TempDir dir;
  const std::string path = dir.file("readonly.bin");
  const std::vector<uint8_t> plain = randomBytes(2000, 7);
  writeFile(path, plain);
  chmod(path.c_str(), 0444);
  EXPECT_EQ(Qz_EncryptFile(path.c_str()), 0);
  EXPECT_EQ(readFile(path), plain);
}

TEST(FileEncryption, KeepsModeAndFollowsSymbolicLinks) {
  qztest::TempDir dir;
  const std::string path = dir.file("target.bin");
  const std::string link = dir.file("link.bin");
  const std::vector<uint8_t> plain = randomBytes(4096 + 7, 3);
  writeFile(path, plain);
  chmod(path.c_str(), 0640);
  std::filesystem::create_symlink(path, link);

  ASSERT_EQ(Qz_EncryptFile(link.c_str()), 1);
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_NE(readFile(path), plain);
  struct stat info {};
  ASSERT_EQ(stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
  ASSERT_EQ(Qz_DecryptFile(path.c_str()), 1);
  EXPECT_EQ(readFile(path), plain);
  // Deciphering keeps what it replaced; nothing else is left in the folder.
  EXPECT_NE(readFile(dir.file("target.bak.bin")), plain);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                          std::filesystem::directory_iterator()), 3);
}
