// Encoding and decoding of the native format's settings block.
#include "qzio/native_block.h"

#include <cstring>

#include "platform/byte_order.h"

namespace qzio::native {
namespace {

constexpr char kName[12] = "Quillantrix";  // with its zero byte
constexpr uint32_t kHeadWord1 = 5;
constexpr uint32_t kHeadWord2 = 1;
constexpr uint32_t kRecordHead = 8;
constexpr uint32_t kKindRecordBytes = 16;
constexpr uint32_t kColourRecordBytes = 12;
constexpr uint32_t kPlacementRecordBytes = 44;
constexpr uint32_t kBlendRecordBytes = 44;

void PutHead(qz::ByteWriter& w) {
  w.bytes(kName, sizeof kName);
  w.putU32le(kHeadWord1);
  w.putU32le(kHeadWord2);
}

void PutKindRecord(qz::ByteWriter& w, uint32_t kind, uint32_t layerIndex) {
  w.putU32le(kRecordKind);
  w.putU32le(kKindRecordBytes);
  w.putU32le(kind);
  w.putU32le(layerIndex);
}

}  // namespace

std::vector<uint8_t> EncodeShortBlock(uint32_t kind, uint32_t layerIndex) {
  qz::ByteWriter w;
  PutHead(w);
  PutKindRecord(w, kind, layerIndex);
  w.putU32le(0);  // ends the records
  return std::move(w.data());
}

std::vector<uint8_t> EncodeFullBlock(uint32_t kind, uint32_t layerIndex, const QZIO_LayerSettings& s,
                                     const std::string& modeText) {
  qz::ByteWriter w;
  PutHead(w);
  PutKindRecord(w, kind, layerIndex);
  w.putU32le(kRecordColour);
  w.putU32le(kColourRecordBytes);
  w.putU8(s.red);
  w.putU8(s.green);
  w.putU8(s.blue);
  w.putU8(0);
  w.putU32le(kRecordPlacement);
  w.putU32le(kPlacementRecordBytes);
  for (uint16_t v : s.placement) w.putU16le(v);
  w.putU32le(kRecordBlend);
  w.putU32le(kBlendRecordBytes);
  w.putU16le(s.opacity);
  for (uint16_t v : s.blend) w.putU16le(v);
  w.putU32le(s.edgeMaskShape);
  w.putU32le(s.edgeMaskSize);
  w.putU32le(s.edgeMaskSoftness);
  w.putU32le(s.edgeMaskInvert);
  // The mode's text is left out rather than letting the block outgrow what
  // readers can count.
  if (!modeText.empty() && w.size() + kRecordHead + modeText.size() <= kMaxBlockBytes) {
    w.putU32le(kRecordModeText);
    w.putU32le(static_cast<uint32_t>(kRecordHead + modeText.size()));
    w.bytes(modeText.data(), modeText.size());
  }
  return std::move(w.data());
}

bool DecodeBlock(const uint8_t* bytes, size_t size, QZIO_LayerSettings* s, std::string* modeText) {
  *s = QZIO_LayerSettings{};
  modeText->clear();
  if (!bytes || size < 20 || std::memcmp(bytes, kName, sizeof kName) != 0) return false;
  qz::ByteReader block(bytes, size);
  block.skip(20);
  // Records until one of type 0 or length 0, or too few bytes for a head.
  while (block.remaining() >= kRecordHead) {
    const uint32_t type = block.u32le();
    const uint32_t length = block.u32le();
    if (type == 0 || length == 0) break;
    if (length < kRecordHead || length - kRecordHead > block.remaining()) break;  // cut off
    qz::ByteReader r(block.bytes(length - kRecordHead));
    switch (type) {
      case kRecordKind:
        if (length < kKindRecordBytes) break;
        s->kindType = type, s->kindLength = length;
        s->kind = r.u32le();
        s->layerIndex = r.u32le();
        break;
      case kRecordColour:
        if (length < kColourRecordBytes) break;
        s->colourType = type, s->colourLength = length;
        s->red = r.u8(), s->green = r.u8(), s->blue = r.u8();
        break;
      case kRecordPlacement:
        // At most the first 44 bytes belong to the placement; a shorter
        // record leaves the rest 0.
        s->placementType = type, s->placementLength = length;
        for (uint16_t& v : s->placement) v = r.remaining() >= 2 ? r.u16le() : 0;
        break;
      case kRecordBlend:
        if (length < kBlendRecordBytes) break;
        s->blendType = type, s->blendLength = length;
        s->opacity = r.u16le();
        for (uint16_t& v : s->blend) v = r.u16le();
        s->edgeMaskShape = r.u32le();
        s->edgeMaskSize = r.u32le();
        s->edgeMaskSoftness = r.u32le();
        s->edgeMaskInvert = r.u32le();
        break;
      case kRecordModeText: {
        s->modeType = type, s->modeLength = length;
        const auto text = r.bytes(r.remaining());
        modeText->assign(reinterpret_cast<const char*>(text.data()), text.size());
        // The writer may pad with zero bytes; the text ends at the first.
        const size_t end = modeText->find('\0');
        if (end != std::string::npos) modeText->resize(end);
        break;
      }
      default:
        break;  // unknown records are passed over
    }
  }
  return true;
}

void ThumbnailSize(uint32_t w, uint32_t h, uint32_t limitW, uint32_t limitH, uint32_t* tw, uint32_t* th) {
  auto clamp = [](uint64_t v, uint32_t limit) -> uint32_t {
    if (v > limit) v = limit;
    return v < 1 ? 1 : static_cast<uint32_t>(v);
  };
  if (w == 0 || h == 0) {
    *tw = *th = 1;
    return;
  }
  if (w <= h) {
    *tw = clamp(uint64_t(w) * limitH / h, limitW);
    *th = clamp(uint64_t(h) * *tw / w, limitH);
  } else {
    *th = clamp(uint64_t(h) * limitW / w, limitH);
    *tw = clamp(uint64_t(w) * *th / h, limitW);
  }
}

}  // namespace qzio::native
