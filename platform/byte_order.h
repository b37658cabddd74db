// Bounds-checked reading and writing of file fields in an explicit byte
// order. Header-only, so the image-file library uses the very same code.
//
// A reader never reads outside its span: a read past the end gives zeros
// and sets the sticky failed() flag, so a parser may read a whole header and
// test failed() once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace qz {

class ByteReader {
 public:
  ByteReader() = default;
  explicit ByteReader(std::span<const uint8_t> data) : data_(data) {}
  ByteReader(const uint8_t* data, size_t size) : data_(data, size) {}

  uint8_t u8() {
    if (!need(1)) return 0;
    return data_[pos_++];
  }
  uint16_t u16le() {
    if (!need(2)) return 0;
    uint16_t v = static_cast<uint16_t>(data_[pos_] | (data_[pos_ + 1] << 8));
    pos_ += 2;
    return v;
  }
  uint16_t u16be() {
    if (!need(2)) return 0;
    uint16_t v = static_cast<uint16_t>((data_[pos_] << 8) | data_[pos_ + 1]);
    pos_ += 2;
    return v;
  }
  uint32_t u32le() {
    if (!need(4)) return 0;
    uint32_t v = uint32_t(data_[pos_]) | (uint32_t(data_[pos_ + 1]) << 8) |
                 (uint32_t(data_[pos_ + 2]) << 16) | (uint32_t(data_[pos_ + 3]) << 24);
    pos_ += 4;
    return v;
  }
  uint32_t u32be() {
    if (!need(4)) return 0;
    uint32_t v = (uint32_t(data_[pos_]) << 24) | (uint32_t(data_[pos_ + 1]) << 16) |
                 (uint32_t(data_[pos_ + 2]) << 8) | uint32_t(data_[pos_ + 3]);
    pos_ += 4;
    return v;
  }
  int16_t s16le() { return static_cast<int16_t>(u16le()); }
  int16_t s16be() { return static_cast<int16_t>(u16be()); }
  int32_t s32le() { return static_cast<int32_t>(u32le()); }
  int32_t s32be() { return static_cast<int32_t>(u32be()); }

  // Moves on n bytes; past the end it stops there and fails.
  void skip(size_t n) {
    if (!need(n)) return;
    pos_ += n;
  }
  // The next n bytes as a sub-span; an empty span (and failed()) when fewer
  // remain.
  std::span<const uint8_t> bytes(size_t n) {
    if (!need(n)) return {};
    auto out = data_.subspan(pos_, n);
    pos_ += n;
    return out;
  }
  // Moves to an absolute offset within the data.
  void seek(size_t offset) {
    if (offset > data_.size()) {
      failed_ = true;
      pos_ = data_.size();
      return;
    }
    pos_ = offset;
  }

  size_t position() const { return pos_; }
  size_t size() const { return data_.size(); }
  size_t remaining() const { return data_.size() - pos_; }
  bool failed() const { return failed_; }

 private:
  bool need(size_t n) {
    if (n > data_.size() - pos_) {
      failed_ = true;
      pos_ = data_.size();
      return false;
    }
    return true;
  }

  std::span<const uint8_t> data_;
  size_t pos_ = 0;
  bool failed_ = false;
};

// Appends to a vector of its own, or to one it is given.
class ByteWriter {
 public:
  ByteWriter() : out_(own_) {}
  explicit ByteWriter(std::vector<uint8_t>& out) : out_(out) {}
  ByteWriter(const ByteWriter&) = delete;
  ByteWriter& operator=(const ByteWriter&) = delete;

  void putU8(uint8_t v) { out_.push_back(v); }
  void putU16le(uint16_t v) {
    out_.push_back(uint8_t(v));
    out_.push_back(uint8_t(v >> 8));
  }
  void putU16be(uint16_t v) {
    out_.push_back(uint8_t(v >> 8));
    out_.push_back(uint8_t(v));
  }
  void putU32le(uint32_t v) {
    for (int s = 0; s < 32; s += 8) out_.push_back(uint8_t(v >> s));
  }
  void putU32be(uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) out_.push_back(uint8_t(v >> s));
  }
  void bytes(std::span<const uint8_t> data) { out_.insert(out_.end(), data.begin(), data.end()); }
  void bytes(const void* data, size_t n) {
    auto* p = static_cast<const uint8_t*>(data);
    out_.insert(out_.end(), p, p + n);
  }
  // Writes a value over bytes already written (sizes known only later).
  void patchU32le(size_t offset, uint32_t v) {
    if (offset > out_.size() || out_.size() - offset < 4) return;
    for (int i = 0; i < 4; ++i) out_[offset + i] = uint8_t(v >> (8 * i));
  }
  void patchU32be(size_t offset, uint32_t v) {
    if (offset > out_.size() || out_.size() - offset < 4) return;
    for (int i = 0; i < 4; ++i) out_[offset + i] = uint8_t(v >> (24 - 8 * i));
  }

  size_t size() const { return out_.size(); }
  std::vector<uint8_t>& data() { return out_; }
  const std::vector<uint8_t>& data() const { return out_; }

 private:
  std::vector<uint8_t> own_;
  std::vector<uint8_t>& out_;
};

}  // namespace qz
