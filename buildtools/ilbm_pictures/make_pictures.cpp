// Build-time generator of the interface pictures: draws every picture of the
// table and writes it as an ILBM file below the given Data/Images folder,
// and the default palette beside it (Data/Palettes/Default.iff).
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "default_palette.h"
#include "ilbm_writer.h"
#include "picture_table.h"

namespace {

bool writeFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
  std::error_code error;
  std::filesystem::create_directories(path.parent_path(), error);
  // Written aside and renamed, so a program reading the folder never sees half a picture.
  const std::filesystem::path temporary = path.string() + ".part";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out) return false;
  }
  std::filesystem::rename(temporary, path, error);
  return !error;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: qz_make_pictures IMAGES_FOLDER\n";
    return 2;
  }
  const std::filesystem::path folder = argv[1];
  for (const qz::pictures::PictureSpec& spec : qz::pictures::pictureTable()) {
    const qz::pictures::PictureCanvas canvas = qz::pictures::drawPicture(spec);
    const std::vector<uint8_t> file =
        qz::pictures::encodeIlbm(canvas.width(), canvas.height(), canvas.pixels(), spec.palette);
    if (file.empty()) {
      std::cerr << spec.name << ": cannot be written as an ILBM picture\n";
      return 1;
    }
    if (!writeFile(folder / spec.name, file)) {
      std::cerr << (folder / spec.name).string() << ": cannot write\n";
      return 1;
    }
  }
  // The palette file is a 16 x 16 picture of its own colours, so any ILBM viewer shows it.
  std::vector<uint8_t> swatches(256);
  for (size_t i = 0; i < swatches.size(); ++i) swatches[i] = uint8_t(i);
  const std::vector<uint8_t> palette = qz::pictures::defaultPalette();
  const std::filesystem::path palettePath = folder.parent_path() / "Palettes" / "Default.iff";
  if (!writeFile(palettePath, qz::pictures::encodeIlbm(16, 16, swatches, palette))) {
    std::cerr << palettePath.string() << ": cannot write\n";
    return 1;
  }
  return 0;
}
