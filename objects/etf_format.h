// The scrambled language-file format shared by the catalogue loader, the
// build-time generator and the tests: one definition of the byte layout and
// of the scrambling, so the three can never drift apart.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace qz::etf {

// Every stored byte is the plain byte exclusive-or this value.
inline constexpr uint8_t kScrambleByte = 0x6B;

// Fixed-size part after the two stamps: sum (u16), string count (u16),
// block count (u16), string-buffer size (u32); all little-endian.
inline constexpr std::size_t kCountsBytes = 2 + 2 + 2 + 4;

// Unscrambles in place and returns the 16-bit sum of the plain bytes.
// A plain carriage return counts as 13 in the sum but is kept as a blank.
inline uint16_t unscramble(uint8_t* data, std::size_t length) {
  uint16_t sum = 0;
  for (std::size_t i = 0; i < length; ++i) {
    const uint8_t plain = static_cast<uint8_t>(data[i] ^ kScrambleByte);
    sum = static_cast<uint16_t>(sum + plain);
    data[i] = plain == 13 ? 32 : plain;
  }
  return sum;
}

// Scrambles in place and returns the same sum unscramble() will find.
inline uint16_t scramble(uint8_t* data, std::size_t length) {
  uint16_t sum = 0;
  for (std::size_t i = 0; i < length; ++i) {
    sum = static_cast<uint16_t>(sum + data[i]);
    data[i] = static_cast<uint8_t>(data[i] ^ kScrambleByte);
  }
  return sum;
}

// What a language file holds before it is laid out.
struct Contents {
  std::string namePart;              // the file-name stamp, e.g. "Quillantrix.etf"
  std::string key;                   // the key stamp ("" in the program)
  std::vector<std::string> strings;  // string n is strings[n]
  std::vector<std::vector<uint8_t>> blocks;
};

namespace detail {
inline void putU16le(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
inline void putU32le(std::vector<uint8_t>& out, uint32_t v) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(v >> shift));
}
inline void patchU32le(std::vector<uint8_t>& out, std::size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
}  // namespace detail

// Lays out a complete file. sumAdjust is added to the stored check sum, so
// tests can make a file whose sum is off. Returns an empty vector when the
// contents do not fit the format (more than 65535 strings or blocks).
inline std::vector<uint8_t> build(const Contents& contents, int sumAdjust = 0) {
  using detail::putU16le;
  using detail::putU32le;
  if (contents.strings.size() > 0xFFFF || contents.blocks.size() > 0xFFFF) return {};

  std::vector<uint8_t> stringBuffer;
  std::vector<uint32_t> stringOffsets;
  for (const std::string& s : contents.strings) {
    stringOffsets.push_back(static_cast<uint32_t>(stringBuffer.size()));
    stringBuffer.insert(stringBuffer.end(), s.begin(), s.end());
    stringBuffer.push_back(0);
  }
  uint16_t sum = scramble(stringBuffer.data(), stringBuffer.size());

  std::vector<uint8_t> out(contents.namePart.begin(), contents.namePart.end());
  out.insert(out.end(), contents.key.begin(), contents.key.end());
  const std::size_t sumAt = out.size();
  putU16le(out, 0);
  putU16le(out, static_cast<uint32_t>(contents.strings.size()));
  putU16le(out, static_cast<uint32_t>(contents.blocks.size()));
  putU32le(out, static_cast<uint32_t>(stringBuffer.size()));
  for (uint32_t offset : stringOffsets) putU32le(out, offset);
  const std::size_t blockTableAt = out.size();
  if (!contents.blocks.empty()) {
    for (std::size_t i = 0; i <= contents.blocks.size(); ++i) putU32le(out, 0);
  }
  out.insert(out.end(), stringBuffer.begin(), stringBuffer.end());
  for (std::size_t i = 0; i < contents.blocks.size(); ++i) {
    detail::patchU32le(out, blockTableAt + 4 * i, static_cast<uint32_t>(out.size()));
    std::vector<uint8_t> block = contents.blocks[i];
    sum = static_cast<uint16_t>(sum + scramble(block.data(), block.size()));
    out.insert(out.end(), block.begin(), block.end());
  }
  if (!contents.blocks.empty()) {
    detail::patchU32le(out, blockTableAt + 4 * contents.blocks.size(),
                       static_cast<uint32_t>(out.size()));
  }
  const uint16_t stored = static_cast<uint16_t>(sum + sumAdjust);
  out[sumAt] = static_cast<uint8_t>(stored);
  out[sumAt + 1] = static_cast<uint8_t>(stored >> 8);
  return out;
}

}  // namespace qz::etf
