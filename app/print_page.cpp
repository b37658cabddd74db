#include "app/print_page.h"

#include <cstdio>
#include <cstring>
#include <string_view>

#include "image/qz_compositor.h"
#include "image/qz_image.h"
#include "qzio/codec_postscript.h"

namespace qz::print {
namespace {

constexpr float kInchesPerMillimetre = 0.03937f;
constexpr double kPointsPerInch = 72;
// The page's saved state: our placement goes right after it, so it is undone with the page.
constexpr std::string_view kPageStart = "/origstate save def\n";

// The image's rows as RGB for the writer; a grey image gives R = G = B.
class ImageRows : public qz::codec::PixelRows {
 public:
  explicit ImageRows(Qz_Image* image)
      : image_(image), r_(size_t(image->width)), g_(r_.size()), b_(r_.size()) {}
  bool store(uint32_t, uint32_t, const uint8_t*) override { return false; }
  bool fetch(uint32_t y, uint32_t layout, uint8_t* row) override {
    if (layout != qz::codec::kLayoutRGB) return false;
    if (!Qz_CopyImageDataRGB(image_, 0, int32_t(y), image_->width, 0, r_.data(), g_.data(), b_.data())) return false;
    for (size_t x = 0; x < r_.size(); ++x) {
      row[x * 3] = r_[x];
      row[x * 3 + 1] = g_[x];
      row[x * 3 + 2] = b_[x];
    }
    return true;
  }
  bool progress(uint32_t, uint32_t) override { return true; }

 private:
  Qz_Image* image_;
  std::vector<uint8_t> r_, g_, b_;
};

double inchesFrom(int32_t devicePixels, int32_t minimumThousandths, int32_t pixelsPerInch) {
  return double(devicePixels) / pixelsPerInch + minimumThousandths / 1000.0;
}

}  // namespace

DeviceRect deviceRect(const PageMillimetres& page, const Device& device) {
  const float ppi = float(device.pixelsPerInch);
  return {int32_t((page.left * kInchesPerMillimetre - float(device.minimumLeft) / 1000.0f) * ppi),
          int32_t((page.top * kInchesPerMillimetre - float(device.minimumTop) / 1000.0f) * ppi),
          int32_t(page.width * kInchesPerMillimetre * ppi), int32_t(page.height * kInchesPerMillimetre * ppi)};
}

bool pagePostScript(Qz_Image* image, const DeviceRect& rect, const Device& device, const std::string& title,
                    std::vector<uint8_t>& out) {
  if (image == nullptr || (image->depth != 24 && image->depth != 8) || image->width <= 0 || image->height <= 0 ||
      rect.width <= 0 || rect.height <= 0 || device.pixelsPerInch <= 0)
    return false;
  // The writer sizes the picture from its resolution: this one makes it the rectangle's width.
  qz::codec::PostScriptSettings settings;
  settings.fitToPage = false;
  settings.left = settings.bottom = 0;
  settings.resolution = double(image->width) * device.pixelsPerInch / rect.width;
  settings.title = title;
  ImageRows rows(image);
  std::vector<uint8_t> body;
  if (qz::codec::postScriptEncode(uint32_t(image->width), uint32_t(image->height), 24, rows, settings, body) !=
      qz::codec::kOk)
    return false;
  const std::string_view text(reinterpret_cast<const char*>(body.data()), body.size());
  const size_t at = text.find(kPageStart);
  if (at == std::string_view::npos) return false;
  // PostScript counts up from the paper's bottom; the device rectangle down from its top.
  const double left = inchesFrom(rect.x, device.minimumLeft, device.pixelsPerInch) * kPointsPerInch;
  const double fromTop = inchesFrom(rect.y, device.minimumTop, device.pixelsPerInch) * kPointsPerInch +
                         double(image->height) / settings.resolution * kPointsPerInch;
  char placement[160];
  std::snprintf(placement, sizeof placement, "%.5f currentpagedevice /PageSize get 1 get %.5f sub translate\n", left,
                fromTop);
  const size_t split = at + kPageStart.size();
  out.assign(body.begin(), body.begin() + std::ptrdiff_t(split));
  out.insert(out.end(), placement, placement + std::strlen(placement));
  out.insert(out.end(), body.begin() + std::ptrdiff_t(split), body.end());
  return true;
}

}  // namespace qz::print
