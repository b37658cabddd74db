// A stand-in for the thumbnails' image service, counting what it is asked.
#pragma once

#include <atomic>
#include <fstream>
#include <string>
#include <vector>

#include "gadgets/thumbnail_pass.h"

namespace qztest {

// A "picture" file holds "PIC w h"; anything else is not a picture. The
// service's thumbnails are files holding "THUMB w h".
struct FakePicture {
  int32_t width, height;
};

class FakeImages : public qz::thumbs::ThumbnailImageService {
 public:
  std::atomic<int> sourceLoads{0}, thumbnailLoads{0}, saves{0}, live{0};

  Loaded loadThumbnail(const std::string& path) override {
    ++thumbnailLoads;
    return read(path, "THUMB");
  }
  Loaded loadSource(const std::string& path) override {
    ++sourceLoads;
    return read(path, "PIC");
  }
  bool scale(qz::thumbs::Picture p, int32_t w, int32_t h) override {
    *static_cast<FakePicture*>(p) = {w, h};
    return true;
  }
  bool saveJpeg(qz::thumbs::Picture p, const std::string& path) override {
    ++saves;
    const auto* f = static_cast<FakePicture*>(p);
    std::ofstream(path) << "THUMB " << f->width << " " << f->height;
    return true;
  }
  // A thumbnail shows in one colour.
  static constexpr uint32_t kColour = 0x3366CC;
  std::vector<uint32_t> pixels(qz::thumbs::Picture p, int32_t& w, int32_t& h) override {
    const auto* f = static_cast<FakePicture*>(p);
    w = f->width;
    h = f->height;
    return std::vector<uint32_t>(size_t(w) * size_t(h), kColour);
  }
  void release(qz::thumbs::Picture p) override {
    --live;
    delete static_cast<FakePicture*>(p);
  }

 private:
  Loaded read(const std::string& path, const std::string& magic) {
    std::ifstream in(path);
    const bool opened = in.is_open();
    std::string word;
    int32_t w = 0, h = 0;
    Loaded out;
    if (!(in >> word >> w >> h) || word != magic) {
      out.result = opened ? 8 : 10;
      return out;
    }
    ++live;
    out.picture = new FakePicture{w, h};
    out.width = w;
    out.height = h;
    return out;
  }
};

}  // namespace qztest
