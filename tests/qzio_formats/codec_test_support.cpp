#include "codec_test_support.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <cctype>
#include <fstream>

namespace qztest {

using namespace qz::codec;

RgbImage makeGradient(uint32_t width, uint32_t height) {
  RgbImage image(width, height);
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) {
      uint8_t* p = image.at(x, y);
      p[0] = static_cast<uint8_t>(width > 1 ? x * 255 / (width - 1) : 128);
      p[1] = static_cast<uint8_t>(height > 1 ? y * 255 / (height - 1) : 64);
      p[2] = static_cast<uint8_t>((x + y) * 255 / (width + height));
    }
  }
  return image;
}

int maxDifference(const RgbImage& a, const RgbImage& b) {
  if (a.width != b.width || a.height != b.height || a.rgb.size() != b.rgb.size()) return 256;
  int worst = 0;
  for (size_t i = 0; i < a.rgb.size(); ++i) worst = std::max(worst, std::abs(int(a.rgb[i]) - int(b.rgb[i])));
  return worst;
}

void PictureRows::resize(uint32_t width, uint32_t height, uint32_t bytesPerRow) {
  image = RgbImage(width, height);
  bitplaneBytesPerRow = bytesPerRow;
  planeRows.clear();
}

bool PictureRows::store(uint32_t y, uint32_t layout, const uint8_t* row) {
  if (y >= image.height) return false;
  lastLayout = layout;
  ++rowsStored;
  if (isPlaneLayout(layout)) {
    const uint32_t plane = layout - kLayoutBits;
    const size_t rowBytes = bitplaneBytesPerRow ? bitplaneBytesPerRow : (image.width + 7) / 8;
    const size_t at = (size_t(plane) * image.height + y) * rowBytes;
    if (planeRows.size() < at + rowBytes) planeRows.resize(at + rowBytes);
    std::memcpy(planeRows.data() + at, row, rowBytes);
    if (layout != kLayoutBits) return true;  // plane 0 also shows through the colourmap
  }
  for (uint32_t x = 0; x < image.width; ++x) {
    uint8_t* p = image.at(x, y);
    uint32_t entry = 0;
    switch (layout) {
    case kLayoutRGB: std::memcpy(p, row + x * 3, 3); break;
    case kLayoutRGBX: std::memcpy(p, row + x * 4, 3); break;
    case kLayoutBGR: p[0] = row[x * 3 + 2]; p[1] = row[x * 3 + 1]; p[2] = row[x * 3]; break;
    case kLayoutGrey: p[0] = p[1] = p[2] = row[x]; break;
    case kLayoutIndex:
    case kLayoutBits:
      entry = colourmap[layout == kLayoutIndex ? row[x] : (row[x / 8] >> (7 - x % 8)) & 1];
      p[0] = entry & 0xFF;
      p[1] = (entry >> 8) & 0xFF;
      p[2] = (entry >> 16) & 0xFF;
      break;
    default: return false;
    }
  }
  return true;
}

bool PictureRows::fetch(uint32_t y, uint32_t layout, uint8_t* row) {
  if (y >= image.height) return false;
  for (uint32_t x = 0; x < image.width; ++x) {
    const uint8_t* p = image.at(x, y);
    switch (layout) {
    case kLayoutRGB: std::memcpy(row + x * 3, p, 3); break;
    case kLayoutRGBX: std::memcpy(row + x * 4, p, 3); break;  // fourth byte left as it was
    case kLayoutRGBMask: std::memcpy(row + x * 4, p, 3); row[x * 4 + 3] = 255; break;
    case kLayoutBGR: row[x * 3] = p[2]; row[x * 3 + 1] = p[1]; row[x * 3 + 2] = p[0]; break;
    default: return false;
    }
  }
  return true;
}

RgbImage PictureRows::planesImage(uint32_t depth) const {
  RgbImage out(image.width, image.height);
  const size_t rowBytes = bitplaneBytesPerRow;
  for (uint32_t y = 0; y < image.height; ++y) {
    for (uint32_t x = 0; x < image.width; ++x) {
      uint32_t value = 0;
      for (uint32_t p = 0; p < depth; ++p) {
        const size_t at = (size_t(p) * image.height + y) * rowBytes + x / 8;
        if (at < planeRows.size() && (planeRows[at] & (0x80 >> (x % 8)))) value |= 1u << p;
      }
      const uint32_t entry = depth <= 8 ? colourmap[value] : value;
      uint8_t* q = out.at(x, y);
      q[0] = entry & 0xFF, q[1] = (entry >> 8) & 0xFF, q[2] = (entry >> 16) & 0xFF;
    }
  }
  return out;
}

bool PictureRows::progress(uint32_t done, uint32_t) { return done < stopAfter; }

void PictureRows::setColourmap(const uint32_t* entries, uint32_t count) {
  std::memcpy(colourmap, entries, std::min<uint32_t>(count, 256) * sizeof(uint32_t));
}

bool readPnm(const std::string& path, RgbImage& image) {
  std::vector<uint8_t> bytes = readFile(path);
  size_t at = 0;
  auto token = [&]() {
    std::string t;
    while (at < bytes.size()) {
      const char c = static_cast<char>(bytes[at]);
      if (c == '#') { while (at < bytes.size() && bytes[at] != '\n') ++at; continue; }
      if (std::isspace(static_cast<unsigned char>(c))) { if (!t.empty()) break; ++at; continue; }
      t += c;
      ++at;
    }
    return t;
  };
  const std::string magic = token();
  if (magic != "P6" && magic != "P5") return false;
  const uint32_t width = std::stoul(token()), height = std::stoul(token()), maxval = std::stoul(token());
  ++at;  // the single whitespace after maxval
  if (maxval != 255) return false;
  const size_t channels = magic == "P6" ? 3 : 1;
  if (bytes.size() < at + size_t(width) * height * channels) return false;
  image = RgbImage(width, height);
  for (size_t i = 0; i < size_t(width) * height; ++i) {
    for (size_t c = 0; c < 3; ++c) image.rgb[i * 3 + c] = bytes[at + i * channels + (channels == 3 ? c : 0)];
  }
  return true;
}

void writePpm(const std::string& path, const RgbImage& image) {
  std::ofstream out(path, std::ios::binary);
  out << "P6\n" << image.width << " " << image.height << "\n255\n";
  out.write(reinterpret_cast<const char*>(image.rgb.data()), static_cast<std::streamsize>(image.rgb.size()));
}

std::string toolPath(const std::string& name) {
  // /usr/bin first: a wrapper of the same name may stand earlier on PATH.
  for (const char* dir : {"/usr/bin/", "/bin/", "/usr/local/bin/"}) {
    const std::string path = dir + name;
    if (access(path.c_str(), X_OK) == 0) return path;
  }
  return "";
}

bool run(const std::string& command) { return std::system(("( " + command + " ) >/dev/null 2>&1").c_str()) == 0; }

bool decodeWithImageMagick(const std::string& path, RgbImage& image, const std::string& dir) {
  const std::string convert = toolPath("convert");
  if (convert.empty()) return false;
  const std::string out = dir + "/imagemagick-decoded.ppm";
  if (!run(convert + " '" + path + "[0]' -alpha off -depth 8 ppm:'" + out + "'")) return false;
  return readPnm(out, image);
}

std::vector<uint8_t> probeOf(const std::vector<uint8_t>& file) {
  std::vector<uint8_t> probe(512, 0);
  std::copy_n(file.begin(), std::min<size_t>(file.size(), 512), probe.begin());
  return probe;
}

std::vector<uint8_t> readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::vector<uint8_t>> damagedCopies(const std::vector<uint8_t>& good, size_t prefixes, int flips) {
  std::vector<std::vector<uint8_t>> copies;
  const size_t step = std::max<size_t>(1, good.size() / std::max<size_t>(1, prefixes));
  for (size_t n = 0; n < good.size(); n += (n < 64 ? 1 : step)) copies.emplace_back(good.begin(), good.begin() + n);
  // Flips spread over the header and the data; fixed positions keep runs repeatable.
  uint32_t seed = 12345;
  for (int i = 0; i < flips && !good.empty(); ++i) {
    seed = seed * 1103515245u + 12345u;
    std::vector<uint8_t> flipped = good;
    const size_t at = i < flips / 2 ? (seed >> 8) % std::min<size_t>(good.size(), 200) : (seed >> 8) % good.size();
    flipped[at] ^= static_cast<uint8_t>(0x55 + i);
    copies.push_back(std::move(flipped));
  }
  return copies;
}

}  // namespace qztest
