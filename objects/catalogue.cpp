// The language catalogue: one per program. Owns the string buffer, the
// pointer array into it, the block table, the cached block and the open file.
// The file is user-replaceable data, so every count and offset is checked
// against the file's size before it is trusted.
#include "objects/catalogue.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "objects/etf_format.h"
#include "platform/paths.h"

namespace {

struct CatalogueState {
  std::vector<char*> stringPointers;
  std::vector<char> stringBuffer;  // Z bytes plus a terminating zero of our own
  std::vector<uint32_t> blockOffsets;
  std::vector<uint8_t> cachedBlock;
  uint32_t cachedBlockIndex = 0xFFFFFFFF;  // keyed by index: an empty block shares its offset
  uint16_t lastBlockSum = 0;
  std::FILE* file = nullptr;
  uint64_t fileSize = 0;
  bool loaded = false;
};

std::mutex gCatalogueMutex;
CatalogueState gCatalogue;

bool Qz__ReadExact(std::FILE* file, void* into, std::size_t bytes) {
  return bytes == 0 || std::fread(into, 1, bytes, file) == bytes;
}

bool Qz__ReadU16le(std::FILE* file, uint32_t& value) {
  uint8_t b[2];
  if (!Qz__ReadExact(file, b, 2)) return false;
  value = b[0] | (uint32_t{b[1]} << 8);
  return true;
}

bool Qz__ReadU32le(std::FILE* file, uint32_t& value) {
  uint8_t b[4];
  if (!Qz__ReadExact(file, b, 4)) return false;
  value = b[0] | (uint32_t{b[1]} << 8) | (uint32_t{b[2]} << 16) | (uint32_t{b[3]} << 24);
  return true;
}

std::string Qz__UpperCase(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

void Qz__ResetCatalogue(CatalogueState& state) {
  if (state.file) std::fclose(state.file);
  state = CatalogueState{};
}

// Block i, unscrambled; the caller holds the catalogue mutex.
const uint8_t* Qz__LoadBlockLocked(CatalogueState& state, uint32_t i) {
  if (!state.file || state.blockOffsets.size() < 2 || i >= state.blockOffsets.size() - 1) {
    return nullptr;
  }
  const uint32_t offset = state.blockOffsets[i];
  const uint32_t end = state.blockOffsets[i + 1];
  if (i == state.cachedBlockIndex) return state.cachedBlock.data();
  // The table was checked at load time; a block of 0 bytes still has an address.
  if (std::fseek(state.file, static_cast<long>(offset), SEEK_SET) != 0) return nullptr;
  std::vector<uint8_t> block(std::max<uint32_t>(end - offset, 1));
  if (!Qz__ReadExact(state.file, block.data(), end - offset)) return nullptr;
  state.lastBlockSum = qz::etf::unscramble(block.data(), end - offset);
  state.cachedBlock = std::move(block);
  state.cachedBlockIndex = i;
  return state.cachedBlock.data();
}

// Steps of the load; the caller resets the state when this answers false.
bool Qz__LoadLocked(CatalogueState& state, const char* path, const char* key) {
  std::string fileName = path;
  std::replace(fileName.begin(), fileName.end(), '\\', '/');
  const std::size_t slash = fileName.find_last_of('/');
  const std::string namePart = slash == std::string::npos ? fileName : fileName.substr(slash + 1);
  std::string stampName = namePart;
  // Only the file-name part decides: "./Data/Lingua/Quillantrix" has a dot elsewhere.
  if (namePart.find('.') == std::string::npos) {
    fileName += ".etf";
    stampName += ".etf";
  }
  fileName = qz::normalizePath(fileName);

  state.file = std::fopen(fileName.c_str(), "rb");
  if (!state.file) return false;
  struct stat info {};
  if (fstat(fileno(state.file), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  state.fileSize = static_cast<uint64_t>(info.st_size);

  const std::string keyText = key ? key : "";
  std::string stamp(stampName.size() + keyText.size(), '\0');
  if (!Qz__ReadExact(state.file, stamp.data(), stamp.size())) return false;
  if (Qz__UpperCase(stamp.substr(stampName.size())) != Qz__UpperCase(keyText)) return false;

  uint32_t storedSum = 0, stringCount = 0, blockCount = 0, bufferSize = 0;
  if (!Qz__ReadU16le(state.file, storedSum) || !Qz__ReadU16le(state.file, stringCount) ||
      !Qz__ReadU16le(state.file, blockCount) || !Qz__ReadU32le(state.file, bufferSize)) {
    return false;
  }
  // Everything the counts promise must lie inside the file before we allocate for it.
  const uint64_t headerBytes = stamp.size() + qz::etf::kCountsBytes + 4ull * stringCount +
                               (blockCount > 0 ? 4ull * (blockCount + 1) : 0);
  if (headerBytes + (stringCount > 0 ? bufferSize : 0) > state.fileSize) return false;
  if (stringCount > 0 && bufferSize == 0) return false;

  std::vector<uint32_t> stringOffsets(stringCount);
  for (uint32_t& offset : stringOffsets) {
    if (!Qz__ReadU32le(state.file, offset) || offset >= bufferSize) return false;
  }
  if (blockCount > 0) {
    state.blockOffsets.resize(blockCount + 1);
    uint64_t previous = headerBytes;
    for (uint32_t& offset : state.blockOffsets) {
      if (!Qz__ReadU32le(state.file, offset) || offset < previous || offset > state.fileSize) {
        return false;
      }
      previous = offset;
    }
  }

  uint16_t sum = 0;
  if (stringCount > 0) {
    state.stringBuffer.assign(bufferSize + 1, '\0');
    if (!Qz__ReadExact(state.file, state.stringBuffer.data(), bufferSize)) return false;
    sum = qz::etf::unscramble(reinterpret_cast<uint8_t*>(state.stringBuffer.data()), bufferSize);
    state.stringPointers.resize(stringCount);
    for (uint32_t i = 0; i < stringCount; ++i) {
      state.stringPointers[i] = state.stringBuffer.data() + stringOffsets[i];
    }
  }
  for (uint32_t i = 0; i < blockCount; ++i) {
    if (!Qz__LoadBlockLocked(state, i)) return false;
    sum = static_cast<uint16_t>(sum + state.lastBlockSum);
  }
  if (sum != storedSum) return false;

  if (blockCount == 0) {
    std::fclose(state.file);
    state.file = nullptr;
  }
  state.loaded = true;
  return true;
}

}  // namespace

QZ_EXTERN_C_BEGIN

QZ_EXPORT int32_t Qz__LoadCatalog(const char* path, const char* key) {
  if (!path) return 0;
  std::lock_guard<std::mutex> lock(gCatalogueMutex);
  if (gCatalogue.loaded) return 0;
  try {
    if (Qz__LoadLocked(gCatalogue, path, key)) return 1;
  } catch (const std::bad_alloc&) {
  }
  Qz__ResetCatalogue(gCatalogue);
  return 0;
}

QZ_EXPORT void Qz__FreeCatalog(void) {
  std::lock_guard<std::mutex> lock(gCatalogueMutex);
  Qz__ResetCatalogue(gCatalogue);
}

QZ_EXPORT const char* Qz_CatalogString(uint32_t n) {
  std::lock_guard<std::mutex> lock(gCatalogueMutex);
  if (n >= gCatalogue.stringPointers.size()) return "";
  return gCatalogue.stringPointers[n];
}

QZ_EXPORT char** Qz__CatalogStrings(uint32_t* count) {
  std::lock_guard<std::mutex> lock(gCatalogueMutex);
  if (count) *count = static_cast<uint32_t>(gCatalogue.stringPointers.size());
  return gCatalogue.stringPointers.empty() ? nullptr : gCatalogue.stringPointers.data();
}

QZ_EXPORT const uint8_t* Qz__LoadCatalogBlock(uint32_t i) {
  std::lock_guard<std::mutex> lock(gCatalogueMutex);
  try {
    return Qz__LoadBlockLocked(gCatalogue, i);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

QZ_EXTERN_C_END
