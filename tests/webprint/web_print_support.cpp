#include "web_print_support.h"

#include <cstdio>
#include <memory>

#include "image/image_shell.h"

namespace qztest {

Qz_Image* LoadPlain(const std::string& path) {
  constexpr uint32_t kQuiet = 4;
  return Qz__LoadImageA(path.c_str(), nullptr, nullptr, kQzLoadPlain | kQuiet, nullptr);
}

qz::web::WebFormats WebFormatObjects() {
  return {Qz_CreateObject("JPEGQZIO"), Qz_CreateObject("PNGQZIO"), Qz_CreateObject("GIFQZIO")};
}

void DisposeWebFormatObjects(qz::web::WebFormats& formats) {
  for (Qz_Object** object : {&formats.jpeg, &formats.png, &formats.gif}) {
    Qz_DisposeObject(*object);
    *object = nullptr;
  }
}

std::string MagickIdentify(const std::string& path) {
  const std::string command = "identify -format '%m %wx%h' '" + path + "[0]' 2>/dev/null";
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  if (!pipe) return {};
  char line[256] = {};
  if (std::fgets(line, sizeof line, pipe.get()) == nullptr) return {};
  return line;
}

}  // namespace qztest
