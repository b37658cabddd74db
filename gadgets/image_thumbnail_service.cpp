// The thumbnail pass's pictures as plain images of the image model: loaded
// without a document or a thread and without any requester, scaled in
// place, saved through the JPEG format class.
#include "gadgets/thumbnail_pass.h"
#include "image/image_shell.h"
#include "image/qz_scaling.h"
#include "qzio/qzio.h"

namespace qz::thumbs {

namespace {

constexpr uint32_t kLoadFlags = kQzLoadPlain | kQzioQuiet;
constexpr uint32_t kScaleFlags = kQzScaleSmooth | kQzScaleLayers | kQzScaleNoProgress;
constexpr uint32_t kSaveFlags = kQzSaveNoBackup | kQzSaveKeepName | kQzioQuiet;

Qz_Image* asImage(Picture p) { return static_cast<Qz_Image*>(p); }

class ImageThumbnailService final : public ThumbnailImageService {
 public:
  Loaded loadThumbnail(const std::string& path) override { return load(path, kLoadFlags); }
  // Formats that can hand over a reduced picture do so, and say the full size.
  Loaded loadSource(const std::string& path) override { return load(path, kLoadFlags | kQzioDirectLoad); }
  bool scale(Picture picture, int32_t width, int32_t height) override {
    return Qz__ScaleImage(asImage(picture), width, height, kScaleFlags) != 0;
  }
  bool saveJpeg(Picture picture, const std::string& path) override {
    // Without the JPEG class a save would ask the user for a format.
    if (!qz::formatCanSave("JPEG")) return false;
    return Qz__SaveImageA(asImage(picture), path.c_str(), "JPEG", nullptr, kSaveFlags, nullptr) == 1;
  }
  void release(Picture picture) override {
    if (picture) Qz_DisposeObject(&asImage(picture)->object);
  }
  std::vector<uint32_t> pixels(Picture picture, int32_t& width, int32_t& height) override {
    const Qz_Image* image = asImage(picture);
    width = height = 0;
    if (!image || image->width <= 0 || image->height <= 0 || !image->r || !image->g || !image->b) return {};
    width = image->width;
    height = image->height;
    std::vector<uint32_t> out(size_t(width) * size_t(height));
    for (int32_t y = 0; y < height; ++y) {
      for (int32_t x = 0; x < width; ++x)
        out[size_t(y) * size_t(width) + size_t(x)] =
            (uint32_t(image->r[y][x]) << 16) | (uint32_t(image->g[y][x]) << 8) | image->b[y][x];
    }
    return out;
  }

 private:
  static Loaded load(const std::string& path, uint32_t flags) {
    Loaded out;
    uint32_t fullWidth = 0, fullHeight = 0;
    const TagItem tags[] = {{kQzioTagResult, reinterpret_cast<QzWord>(&out.result)},
                            {kQzioTagWidth, reinterpret_cast<QzWord>(&fullWidth)},
                            {kQzioTagHeight, reinterpret_cast<QzWord>(&fullHeight)},
                            {TAG_DONE, 0}};
    Qz_Image* image = Qz__LoadImageA(path.c_str(), nullptr, nullptr, flags, tags);
    if (!image) return out;
    out.picture = image;
    out.width = image->width;
    out.height = image->height;
    out.fullWidth = fullWidth;
    out.fullHeight = fullHeight;
    return out;
  }
};

}  // namespace

ThumbnailImageService& imageThumbnailService() {
  static ImageThumbnailService service;
  return service;
}

}  // namespace qz::thumbs
