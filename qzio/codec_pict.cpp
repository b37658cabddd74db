// Macintosh PICT codec core. After 512 bytes of application header: the
// picture size (16-bit), the frame (top, left, bottom, right) and the
// opcode stream, big-endian. Version 1 opcodes are bytes; version 2 opcodes
// are words at even positions. Coordinates drawn with are taken relative to
// the frame's top-left corner.
#include "qzio/codec_pict.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>

#include "platform/byte_order.h"
#include "qzio/load_problem.h"
#include "qzio/packbits.h"
#include "qzio/pict_opcodes.h"

namespace qz::codec {
namespace {

constexpr size_t kAppHeaderBytes = 512;
constexpr size_t kFrameAt = kAppHeaderBytes + 2;
constexpr size_t kVersionAt = kFrameAt + 8;
constexpr uint16_t kEndOfPicture = 0x00FF;
// A pen-drawn picture may cover more pixels than its file has bytes; beyond
// this many a byte the frame is taken for damage.
constexpr uint64_t kMostPixelsPerByte = 1024;
constexpr uint32_t kMostWriteWidth = 0x7FFF / 2;

struct Rect {
  int32_t top = 0, left = 0, bottom = 0, right = 0;
  int32_t width() const { return right - left; }
  int32_t height() const { return bottom - top; }
  Rect intersect(const Rect& o) const {
    return {std::max(top, o.top), std::max(left, o.left), std::min(bottom, o.bottom), std::min(right, o.right)};
  }
  bool empty() const { return right <= left || bottom <= top; }
};

struct Colour {
  uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Colour&) const = default;
};
constexpr Colour kBlack{0, 0, 0}, kWhite{255, 255, 255};

// Reads the size, frame and version; 0 when it is not a picture.
uint32_t Qz__ReadHeader(std::span<const uint8_t> head, Rect& frame, size_t& opcodesAt) {
  ByteReader r(head);
  r.seek(kFrameAt);
  frame.top = r.s16be(), frame.left = r.s16be(), frame.bottom = r.s16be(), frame.right = r.s16be();
  uint8_t byte = r.u8();
  if (byte == 0) byte = r.u8();
  if (byte != 0x11) return 0;
  const uint8_t version = r.u8();
  if (version == 2 && r.u8() < 0xFF) return 0;
  if (r.failed() || (version != 1 && version != 2) || frame.empty()) return 0;
  opcodesAt = r.position();
  return version;
}

// The transfer modes a copy or the pen changes a pixel by.
class Transfer {
 public:
  Colour fore = kBlack, back = kWhite, op = kBlack;

  void apply(uint32_t mode, Colour s, uint8_t* d) const {
    const bool black = s == kBlack;
    auto each = [&](auto f) {
      d[0] = static_cast<uint8_t>(f(s.r, d[0], op.r));
      d[1] = static_cast<uint8_t>(f(s.g, d[1], op.g));
      d[2] = static_cast<uint8_t>(f(s.b, d[2], op.b));
    };
    switch (mode) {
    case 1: if (black) put(d, fore); break;
    case 2: each([](int sc, int dc, int) { return dc ^ (~sc & 0xFF); }); break;
    case 3:
    case 4: if (black) put(d, back); break;
    case 5:
    case 7: break;
    case 6: each([](int sc, int dc, int) { return dc ^ sc; }); break;
    case 32: each([](int sc, int dc, int w) { return (((256 - w) * dc) >> 8) + ((sc * w) >> 8); }); break;
    case 33: each([](int sc, int dc, int w) { return std::min(sc + dc, w); }); break;
    case 34: each([](int sc, int dc, int) { return (dc + sc) & 0xFF; }); break;
    case 35: each([](int sc, int dc, int w) { return std::max(dc - sc, w); }); break;
    case 36: if (!(s == back)) put(d, s); break;
    case 37: each([](int sc, int dc, int) { return std::max(dc, sc); }); break;
    case 38: each([](int sc, int dc, int) { return (dc - sc) & 0xFF; }); break;
    case 39: each([](int sc, int dc, int) { return std::min(dc, sc); }); break;
    default: put(d, black ? fore : back); break;
    }
  }

 private:
  static void put(uint8_t* d, Colour c) { d[0] = c.r, d[1] = c.g, d[2] = c.b; }
};

class PictReader {
 public:
  PictReader(std::span<const uint8_t> file, const Rect& frame, std::vector<uint8_t>& rgb)
      : r_(file), frame_(frame), width_(frame.width()), height_(frame.height()), rgb_(rgb) {
    clip_ = {0, 0, height_, width_};  // each picture starts clipped to its frame
    penPattern_.fill(0xFF);
  }

  // Runs the opcodes from `at`; 1, 8 or 2. `ended` says whether the end mark came.
  uint32_t run(size_t at, uint32_t version, bool& ended) {
    r_.seek(at);
    ended = false;
    while (status_ == kOk) {
      if (version == 2 && (r_.position() & 1)) r_.skip(1);
      const uint16_t opcode = version == 2 ? r_.u16be() : r_.u8();
      if (r_.failed()) break;
      if (opcode == kEndOfPicture) {
        ended = true;
        break;
      }
      handle(opcode);
      if (r_.failed()) break;
    }
    return status_;
  }

 private:
  void stop(const std::string& why) {
    if (status_ != kOk) return;
    reportDamage("PICT: " + why);
    status_ = kNotThisFormat;
  }
  Rect rect() {
    Rect out;
    out.top = r_.s16be(), out.left = r_.s16be(), out.bottom = r_.s16be(), out.right = r_.s16be();
    return out;
  }
  // Picture coordinates from file coordinates.
  int32_t px(int32_t h) const { return h - frame_.left; }
  int32_t py(int32_t v) const { return v - frame_.top; }
  // Skips a word-sized item whose size counts its own word.
  void skipSized() {
    const uint16_t size = r_.u16be();
    if (r_.failed()) return;
    if (size < 2) return stop("an item's size (" + std::to_string(size) + ") is smaller than itself");
    r_.skip(size - 2u);
  }
  Colour colour16() {
    Colour c;
    c.r = static_cast<uint8_t>(r_.u16be() >> 8), c.g = static_cast<uint8_t>(r_.u16be() >> 8);
    c.b = static_cast<uint8_t>(r_.u16be() >> 8);
    return c;
  }
  void pattern(std::array<uint8_t, 8>& into) {
    const std::span<const uint8_t> bytes = r_.bytes(8);
    if (!r_.failed()) std::copy(bytes.begin(), bytes.end(), into.begin());
  }

  // One pixel filled with the pen pattern through the pen mode, in picture coordinates.
  void fill(int32_t x, int32_t y) {
    if (x < clip_.left || x >= clip_.right || y < clip_.top || y >= clip_.bottom) return;
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    const bool set = penPattern_[y & 7] >> (7 - (x & 7)) & 1;
    transfer_.apply(penMode_, set ? kBlack : kWhite, &rgb_[(size_t(y) * width_ + x) * 3]);
  }
  void fillRect(const Rect& area) {
    const Rect a = area.intersect(clip_).intersect({0, 0, height_, width_});
    for (int32_t y = a.top; y < a.bottom; ++y)
      for (int32_t x = a.left; x < a.right; ++x) fill(x, y);
  }
  void stamp(int32_t x, int32_t y) { fillRect({y, x, y + penHeight_, x + penWidth_}); }
  void line(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    penX_ = x1, penY_ = y1;
    if (penWidth_ <= 0 && penHeight_ <= 0) return;
    const int32_t dx = std::abs(x1 - x0), dy = std::abs(y1 - y0);
    const int32_t sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    int32_t error = dx - dy;
    for (;;) {
      stamp(x0, y0);
      if (x0 == x1 && y0 == y1) break;
      const int32_t twice = 2 * error;
      if (twice > -dy) error -= dy, x0 += sx;
      if (twice < dx) error += dx, y0 += sy;
    }
  }
  void frameRect(const Rect& f) {
    if (penWidth_ <= 0 && penHeight_ <= 0) return;
    fillRect({f.top, f.left, std::min(f.bottom, f.top + penHeight_), f.right});
    fillRect({std::max(f.top, f.bottom - penHeight_), f.left, f.bottom, f.right});
    fillRect({f.top, f.left, f.bottom, std::min(f.right, f.left + penWidth_)});
    fillRect({f.top, std::max(f.left, f.right - penWidth_), f.bottom, f.right});
  }
  Rect toPicture(const Rect& f) const { return {py(f.top), px(f.left), py(f.bottom), px(f.right)}; }

  // A scan-line fill of the polygon's inside (even-odd), any number of points.
  void paintPoly() {
    const uint16_t size = r_.u16be();
    if (r_.failed()) return;
    if (size < 10) return stop("a polygon's size (" + std::to_string(size) + ") is smaller than its header");
    rect();  // bounding box
    std::vector<std::pair<int32_t, int32_t>> points;
    for (uint32_t i = 0; i < (size - 10u) / 4; ++i) {
      const int32_t v = r_.s16be(), h = r_.s16be();
      points.emplace_back(px(h), py(v));
    }
    r_.skip((size - 10u) % 4);
    if (r_.failed() || points.size() < 3) return;
    int32_t top = points[0].second, bottom = top;
    for (const auto& p : points) top = std::min(top, p.second), bottom = std::max(bottom, p.second);
    top = std::max(top, 0), bottom = std::min(bottom, height_);
    std::vector<int32_t> crossings;
    for (int32_t y = top; y < bottom; ++y) {
      crossings.clear();
      for (size_t i = 0; i < points.size(); ++i) {
        const auto [x0, y0] = points[i];
        const auto [x1, y1] = points[(i + 1) % points.size()];
        if ((y0 <= y) == (y1 <= y)) continue;  // the edge does not cross this row
        crossings.push_back(x0 + static_cast<int32_t>(int64_t{y - y0} * (x1 - x0) / (y1 - y0)));
      }
      std::sort(crossings.begin(), crossings.end());
      for (size_t i = 0; i + 1 < crossings.size(); i += 2) fillRect({y, crossings[i], y + 1, crossings[i + 1]});
    }
  }

  struct PixMap {
    uint32_t rowBytes = 0;
    Rect bounds;
    uint16_t packType = 0, pixelType = 0, pixelSize = 1, componentCount = 1, componentSize = 1;
    std::vector<Colour> colours;
  };

  void pixMapFields(PixMap& map) {
    map.bounds = rect();
    r_.skip(2);  // version
    map.packType = r_.u16be();
    r_.skip(12);  // pack size, resolutions
    map.pixelType = r_.u16be(), map.pixelSize = r_.u16be();
    map.componentCount = r_.u16be(), map.componentSize = r_.u16be();
    r_.skip(12);  // plane bytes, colour table handle, reserved
  }
  void colourTable(PixMap& map) {
    r_.skip(4);  // seed
    const uint16_t flags = r_.u16be(), size = r_.u16be();
    if (r_.failed()) return;
    map.colours.assign(size_t{size} + 1, kBlack);
    for (uint32_t i = 0; i <= size && !r_.failed(); ++i) {
      const uint16_t value = r_.u16be();
      const Colour c = colour16();
      const uint32_t index = (flags & 0x8000) ? i : value;
      if (index <= size) map.colours[index] = c;
    }
  }

  // Reads every row of the map's bounds; each unpacked row goes to `row`.
  template <typename Row>
  void pixelRows(const PixMap& map, Row row) {
    const int32_t width = map.bounds.width(), height = map.bounds.height();
    if (width <= 0 || height <= 0) return;
    size_t unpackedBytes = (size_t(width) * map.pixelSize + 7) / 8;
    if (map.pixelSize == 32) {
      // Pack type 1 keeps 4 bytes a pixel, 2 drops the pad byte, the packed
      // kinds hold one run a component.
      unpackedBytes = size_t(width) * (map.packType == 1 ? 4 : map.packType == 2 ? 3 : map.componentCount);
    }
    const uint32_t fileRowBytes = map.rowBytes ? map.rowBytes : uint32_t(unpackedBytes);
    // Pictures of an earlier writer give 16-bit pixels 4 row bytes a pixel
    // and always pack with word counts; no other writer does either.
    const bool ours = map.pixelSize == 16 && fileRowBytes == 4u * uint32_t(width);
    const bool packed = fileRowBytes >= 8 || ours;
    const bool wideCount = fileRowBytes > 250 || ours;
    std::vector<uint8_t> unpacked(std::max<size_t>(unpackedBytes, fileRowBytes) + 4, 0);
    for (int32_t y = 0; y < height && !r_.failed(); ++y) {
      std::fill(unpacked.begin(), unpacked.end(), 0);
      if (!packed) {
        const std::span<const uint8_t> bytes = r_.bytes(fileRowBytes);
        if (r_.failed()) return;
        std::memcpy(unpacked.data(), bytes.data(), std::min<size_t>(bytes.size(), unpacked.size()));
      } else {
        const uint32_t count = wideCount ? r_.u16be() : r_.u8();
        const std::span<const uint8_t> packed = r_.bytes(count);
        if (r_.failed()) return;
        size_t position = 0;
        packbits::unpackRow(packed, position, {unpacked.data(), unpackedBytes}, map.pixelSize == 16 ? 2 : 1);
      }
      row(y, unpacked.data());
    }
  }

  // Bitmaps and pixmaps, packed or not, copied into the picture.
  void copyBits(bool region, bool direct) {
    PixMap map;
    if (direct) r_.skip(4);  // base address
    const uint16_t rowBytes = r_.u16be();
    const bool isPixMap = direct || (rowBytes & 0x8000);
    if (isPixMap) {
      pixMapFields(map);
      if (direct) {
        if (map.pixelSize != 16 && map.pixelSize != 32) return stop("a direct pixmap of " + std::to_string(map.pixelSize) + " bits cannot be read");
      } else {
        if (map.pixelType != 0 || map.componentCount != 1 || map.pixelSize != map.componentSize)
          return stop("a pixmap of a kind that cannot be read");
        colourTable(map);
      }
    } else {
      map.bounds = rect();
      map.colours = {kWhite, kBlack};
    }
    map.rowBytes = rowBytes & 0x7FFF;
    const Rect source = rect(), target = toPicture(rect());
    const uint16_t mode = r_.u16be() & ~64u;  // dithering is not done
    if (region) skipSized();
    if (r_.failed() || status_ != kOk) return;
    if (map.pixelSize != 1 && map.pixelSize != 2 && map.pixelSize != 4 && map.pixelSize != 8 &&
        map.pixelSize != 16 && map.pixelSize != 32)
      return stop("pixels of " + std::to_string(map.pixelSize) + " bits cannot be read");
    // No scaling: a copy to a rectangle of another size draws nothing.
    const bool sameSize = source.width() == target.width() && source.height() == target.height();
    const Rect visible = target.intersect(clip_).intersect({0, 0, height_, width_});
    const int32_t width = map.bounds.width();
    pixelRows(map, [&](int32_t row, const uint8_t* bytes) {
      const int32_t sy = map.bounds.top + row;  // in the map's coordinates
      const int32_t y = target.top + (sy - source.top);
      if (!sameSize || sy < source.top || sy >= source.bottom || y < visible.top || y >= visible.bottom) return;
      for (int32_t x = visible.left; x < visible.right; ++x) {
        const int32_t sx = source.left + (x - target.left);
        if (sx < map.bounds.left || sx >= map.bounds.right) continue;
        const Colour s = pixel(map, bytes, sx - map.bounds.left, width);
        uint8_t* d = &rgb_[(size_t(y) * width_ + x) * 3];
        if (mode == 0) {
          d[0] = s.r, d[1] = s.g, d[2] = s.b;
        } else {
          transfer_.apply(mode, s, d);
        }
      }
    });
  }
  static Colour pixel(const PixMap& map, const uint8_t* row, int32_t x, int32_t width) {
    switch (map.pixelSize) {
    case 16: {
      const uint32_t v = uint32_t{row[x * 2]} << 8 | row[x * 2 + 1];
      return {uint8_t((v >> 10 & 31) << 3), uint8_t((v >> 5 & 31) << 3), uint8_t((v & 31) << 3)};
    }
    case 32:
      if (map.packType == 1 || map.packType == 2) {
        const int32_t step = map.packType == 2 ? 3 : 4, skip = map.packType == 2 ? 0 : 1;
        return {row[x * step + skip], row[x * step + skip + 1], row[x * step + skip + 2]};
      } else {
        const int32_t first = map.componentCount == 4 ? width : 0;  // an alpha run comes first
        return {row[first + x], row[first + width + x], row[first + 2 * width + x]};
      }
    default: {
      const uint32_t perByte = 8 / map.pixelSize;
      const uint32_t shift = 8 - map.pixelSize * (1 + x % perByte);
      const uint32_t index = row[x / perByte] >> shift & ((1u << map.pixelSize) - 1);
      return index < map.colours.size() ? map.colours[index] : kBlack;
    }
    }
  }

  void pixPattern() {
    const uint16_t type = r_.u16be();
    r_.skip(8);
    if (type == 2) return r_.skip(5);
    if (type != 1) return stop("a pixel pattern of type " + std::to_string(type) + " cannot be read");
    PixMap map;
    map.rowBytes = r_.u16be() & 0x7FFF;
    pixMapFields(map);
    colourTable(map);
    if (map.pixelSize == 0 || map.pixelSize > 8 || r_.failed()) return stop("a pixel pattern cannot be read");
    pixelRows(map, [](int32_t, const uint8_t*) {});
  }

  void handle(uint16_t opcode) {
    if (opcode > kPictLastTableOpcode) return skipHigh(opcode);
    switch (opcode) {
    case 0x01: {
      const uint16_t size = r_.u16be();
      if (size < 10) return stop("a clip region's size (" + std::to_string(size) + ") is too small");
      if (size == 10) {
        clip_ = toPicture(rect());
      } else {
        r_.skip(size - 2u);
      }
      return;
    }
    case 0x02: { std::array<uint8_t, 8> back; return pattern(back); }
    case 0x07: penHeight_ = r_.s16be(), penWidth_ = r_.s16be(); return;
    case 0x08: {
      const uint16_t mode = r_.u16be();
      penMode_ = mode >= 8 && mode <= 14 ? mode - 8 : mode;
      return;
    }
    case 0x09: return pattern(penPattern_);
    case 0x0A: { std::array<uint8_t, 8> fillPattern; return pattern(fillPattern); }
    case 0x12:
    case 0x13:
    case 0x14: return pixPattern();
    case 0x1A: transfer_.fore = colour16(); return;
    case 0x1B: transfer_.back = colour16(); return;
    case 0x1F: transfer_.op = colour16(); return;
    case 0x20: {
      const int32_t y0 = py(r_.s16be()), x0 = px(r_.s16be());
      const int32_t y1 = py(r_.s16be()), x1 = px(r_.s16be());
      if (!r_.failed()) line(x0, y0, x1, y1);
      return;
    }
    case 0x21: {
      const int32_t y1 = py(r_.s16be()), x1 = px(r_.s16be());
      if (!r_.failed()) line(penX_, penY_, x1, y1);
      return;
    }
    case 0x22: {
      const int32_t y0 = py(r_.s16be()), x0 = px(r_.s16be());
      const int8_t dh = static_cast<int8_t>(r_.u8()), dv = static_cast<int8_t>(r_.u8());
      if (!r_.failed()) line(x0, y0, x0 + dh, y0 + dv);
      return;
    }
    case 0x23: {
      const int8_t dh = static_cast<int8_t>(r_.u8()), dv = static_cast<int8_t>(r_.u8());
      if (!r_.failed()) line(penX_, penY_, penX_ + dh, penY_ + dv);
      return;
    }
    case 0x28: r_.skip(4); return r_.skip(r_.u8());
    case 0x29:
    case 0x2A: r_.skip(1); return r_.skip(r_.u8());
    case 0x2B: r_.skip(2); return r_.skip(r_.u8());
    case 0x30:
    case 0x31:
      lastRect_ = toPicture(rect());
      if (r_.failed()) return;
      [[fallthrough]];
    case 0x38:
    case 0x39:
      return (opcode & 1) ? fillRect(lastRect_) : frameRect(lastRect_);
    case 0x71: return paintPoly();
    case 0x90: return copyBits(false, false);
    case 0x91: return copyBits(true, false);
    case 0x98: return copyBits(false, false);
    case 0x99: return copyBits(true, false);
    case 0x9A: return copyBits(false, true);
    case 0xA1: r_.skip(2); return skipWord();
    default: break;
    }
    const int16_t length = kPictOpcodes[opcode].length;
    if (length == kPictWordLength) return skipWord();
    if (length == kPictByRule) return skipSized();  // the polygon and region forms
    r_.skip(size_t(length));
  }
  void skipWord() { r_.skip(r_.u16be()); }
  void skipHigh(uint16_t opcode) {
    if (opcode == 0x0C00) return r_.skip(24);
    if (opcode <= 0x00AF) return skipWord();
    if (opcode <= 0x00CF) return;
    if (opcode <= 0x00FE) return r_.skip(r_.u32be());
    if (opcode <= 0x7FFF) return r_.skip(2u * (opcode >> 8));
    if (opcode <= 0x80FF) return;
    r_.skip(r_.u32be());
  }

  ByteReader r_;
  Rect frame_;
  int32_t width_, height_;
  std::vector<uint8_t>& rgb_;
  uint32_t status_ = kOk;
  Transfer transfer_;
  Rect clip_, lastRect_;
  std::array<uint8_t, 8> penPattern_{};
  int32_t penX_ = 0, penY_ = 0, penWidth_ = 1, penHeight_ = 1;
  uint32_t penMode_ = 0;
};

}  // namespace

uint32_t pictIdentify(std::span<const uint8_t> head, uint64_t fileSize, ImageInfo& info) {
  Rect frame;
  size_t opcodesAt = 0;
  if (!Qz__ReadHeader(head, frame, opcodesAt)) return kNotThisFormat;
  if (uint32_t(frame.width()) > kMaxSide || uint32_t(frame.height()) > kMaxSide) return kNotThisFormat;
  if (!fileCanHold(uint64_t(frame.width()) * uint64_t(frame.height()), kMostPixelsPerByte, fileSize))
    return reportTooShort("PICT", uint32_t(frame.width()), uint32_t(frame.height()));
  info = trueColourInfo(uint32_t(frame.width()), uint32_t(frame.height()));
  return kOk;
}

uint32_t pictDecode(std::span<const uint8_t> file, PixelRows& rows) {
  Rect frame;
  size_t opcodesAt = 0;
  const uint32_t version = Qz__ReadHeader(file, frame, opcodesAt);
  if (!version) return kNotThisFormat;
  const uint32_t width = uint32_t(frame.width()), height = uint32_t(frame.height());
  std::vector<uint8_t> rgb;
  try {
    rgb.assign(size_t{width} * height * 3, 255);
  } catch (const std::bad_alloc&) {
    return kNoMemory;
  }
  bool ended = false;
  PictReader reader(file, frame, rgb);
  const uint32_t status = reader.run(opcodesAt, version, ended);
  if (status == kOk && !ended) reportPartial("PICT: the picture ends before its end mark");
  for (uint32_t y = 0; y < height; ++y) {
    if (!rows.store(y, kLayoutRGB, rgb.data() + size_t{y} * width * 3)) return kNoMemory;
    if (!rows.progress(y + 1, height)) return kCancelled;
  }
  return status;
}

uint32_t pictEncode(uint32_t width, uint32_t height, uint32_t depth, PixelRows& rows, std::vector<uint8_t>& out) {
  if (depth != 24) return kNotHandled;
  // Row bytes, 2 a pixel, must fit 15 bits beside the pixmap flag.
  if (width == 0 || height == 0 || width > kMostWriteWidth || height > 32767) return kBadArguments;
  const size_t start = out.size();
  ByteWriter w(out);
  out.resize(start + kAppHeaderBytes, 0);
  const uint16_t wide = static_cast<uint16_t>(width), high = static_cast<uint16_t>(height);
  w.putU16be(0);  // picture size, filled in at the end
  for (uint16_t v : {uint16_t(0), uint16_t(0), high, wide}) w.putU16be(v);
  w.putU16be(0x0011), w.putU16be(0x02FF);
  w.putU16be(0x0C00);
  w.putU32be(0xFFFFFFFFu), w.putU32be(0), w.putU32be(0);
  w.putU16be(wide), w.putU16be(0), w.putU16be(high), w.putU16be(0), w.putU32be(0);
  w.putU16be(0x0001), w.putU16be(10);
  for (uint16_t v : {uint16_t(0), uint16_t(0), high, wide}) w.putU16be(v);
  w.putU16be(0x009A);
  w.putU32be(0x000000FF);
  const uint32_t rowBytes = width * 2;
  w.putU16be(static_cast<uint16_t>(rowBytes | 0x8000));
  for (uint16_t v : {uint16_t(0), uint16_t(0), high, wide}) w.putU16be(v);
  w.putU16be(0), w.putU16be(3), w.putU32be(0);              // version, pack type, pack size
  w.putU32be(0x00480000), w.putU32be(0x00480000);            // 72 dpi
  w.putU16be(16), w.putU16be(16), w.putU16be(3), w.putU16be(5);  // type, size, components, component size
  w.putU32be(0), w.putU32be(0), w.putU32be(0);
  for (int i = 0; i < 2; ++i)
    for (uint16_t v : {uint16_t(0), uint16_t(0), high, wide}) w.putU16be(v);
  w.putU16be(0x0040);
  std::vector<uint8_t> rgb(size_t{width} * 3);
  for (uint32_t y = 0; y < height; ++y) {
    if (!rows.fetch(y, kLayoutRGB, rgb.data())) return kBadArguments;
    // As QuickDraw reads them: rows under 8 bytes unpacked, else literal
    // runs of up to 128 pixels after a byte count (a word above 250 bytes).
    const bool packed = rowBytes >= 8;
    if (packed) {
      const uint32_t count = rowBytes + (width + 127) / 128;
      if (rowBytes > 250) {
        w.putU16be(static_cast<uint16_t>(count));
      } else {
        w.putU8(static_cast<uint8_t>(count));
      }
    }
    for (uint32_t x = 0; x < width; ++x) {
      if (packed && x % 128 == 0) w.putU8(static_cast<uint8_t>(std::min<uint32_t>(128, width - x) - 1));
      const uint8_t* p = &rgb[size_t{x} * 3];
      w.putU16be(static_cast<uint16_t>((p[0] >> 3) << 10 | (p[1] >> 3) << 5 | (p[2] >> 3)));
    }
    if (!rows.progress(y + 1, height)) return kCancelled;
  }
  if ((out.size() - start) & 1) w.putU8(0);
  w.putU16be(kEndOfPicture);
  const size_t size = out.size() - start - kAppHeaderBytes;
  out[start + kAppHeaderBytes] = static_cast<uint8_t>(size >> 8);
  out[start + kAppHeaderBytes + 1] = static_cast<uint8_t>(size);
  return kOk;
}

}  // namespace qz::codec
