// Twofish-128 in electronic-codebook mode over a file, with a key the program
// derives at run time. The last 512 bytes stay plain, and so do the 0-15 bytes
// before them that do not fill a block: a block straddling that boundary
// could not be deciphered once its tail was put back in plain text.
#include "image/file_encryption.h"

#include <fcntl.h>
#include <nettle/twofish.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/atomic_file_writer.h"
#include "platform/paths.h"

namespace {

constexpr std::size_t kPlainTailBytes = kQzCipherPlainTail;
constexpr std::size_t kBlockBytes = TWOFISH_BLOCK_SIZE;

// The key: four draws of a fixed linear congruential generator (the platform's
// own recurrence, run privately so the caller's random sequence is left
// alone) from a fixed seed, each times a fixed multiplier. Changing either
// constant makes every file enciphered before unreadable.
constexpr uint32_t kKeySeed = 0x5157C0DE;
constexpr uint32_t kKeyMultiplier = 0x9E3779B9;

std::array<uint8_t, 16> Qz__DeriveKey() {
  std::array<uint8_t, 16> key{};
  uint32_t state = kKeySeed;
  for (int word = 0; word < 4; ++word) {
    state = state * 214013u + 2531011u;
    const uint32_t draw = (state >> 16) & 0x7FFF;
    const uint32_t value = draw * kKeyMultiplier;
    for (int b = 0; b < 4; ++b) key[4 * word + b] = static_cast<uint8_t>(value >> (8 * b));
  }
  return key;
}

bool Qz__ReadWholeFile(const char* path, std::vector<uint8_t>& bytes) {
  // Read-write, as the file is to be rewritten: a file we may not write is refused up front.
  const int fd = open(path, O_RDWR | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat info {};
  bool ok = fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
  if (ok) {
    bytes.resize(static_cast<std::size_t>(info.st_size));
    std::size_t done = 0;
    while (ok && done < bytes.size()) {
      const ssize_t n = read(fd, bytes.data() + done, bytes.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) ok = false;
      else done += static_cast<std::size_t>(n);
    }
  }
  close(fd);
  return ok;
}

// The new contents replace the file only once complete, keeping its mode;
// with backup the previous content stays beside it under the backup name.
bool Qz__ReplaceFile(const std::string& path, const std::vector<uint8_t>& bytes, bool backup) {
  qz::AtomicFileWriter writer(path, backup);
  std::FILE* out = writer.stream();
  if (!out) return false;
  if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size()) return false;
  return writer.commit();
}

int32_t Qz__CipherFile(const char* path, bool encipher) {
  if (!path || !*path) return 0;
  try {
    const std::string fileName = qz::normalizePath(path);
    std::vector<uint8_t> bytes;
    if (!Qz__ReadWholeFile(fileName.c_str(), bytes)) return 0;
    if (bytes.size() <= kPlainTailBytes) return 1;

    const std::size_t cipherBytes = (bytes.size() - kPlainTailBytes) / kBlockBytes * kBlockBytes;
    twofish_ctx context;
    const std::array<uint8_t, 16> key = Qz__DeriveKey();
    twofish128_set_key(&context, key.data());
    if (encipher) twofish_encrypt(&context, cipherBytes, bytes.data(), bytes.data());
    else twofish_decrypt(&context, cipherBytes, bytes.data(), bytes.data());
    // Replace the file a symbolic link points at, not the link.
    char* resolved = realpath(fileName.c_str(), nullptr);
    if (!resolved) return 0;
    const std::string target = resolved;
    std::free(resolved);
    // Deciphering a file that was never enciphered scrambles it: the old
    // content is kept so that nothing is lost.
    return Qz__ReplaceFile(target, bytes, !encipher) ? 1 : 0;
  } catch (const std::bad_alloc&) {
    return 0;
  }
}

}  // namespace

QZ_EXTERN_C_BEGIN

QZ_EXPORT int32_t Qz_EncryptFile(const char* path) { return Qz__CipherFile(path, true); }

QZ_EXPORT int32_t Qz_DecryptFile(const char* path) { return Qz__CipherFile(path, false); }

QZ_EXPORT int32_t Qz_ExportDecryptFile(const char* path) { return Qz__CipherFile(path, false); }

QZ_EXTERN_C_END
