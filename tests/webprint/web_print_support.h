// What the printing and save-for-the-web tests share: plain images from
// pattern files, the format objects, and ImageMagick as an outside reader.
#pragma once

#include <string>

#include "app/web_save_trial.h"
#include "image/qz_image.h"

namespace qztest {

// A plain image (no thread, no view) of the picture file, or NULL.
Qz_Image* LoadPlain(const std::string& path);
qz::web::WebFormats WebFormatObjects();
void DisposeWebFormatObjects(qz::web::WebFormats& formats);
// ImageMagick's "<format> <width>x<height>" of the file, or empty when it cannot read it.
std::string MagickIdentify(const std::string& path);

}  // namespace qztest
