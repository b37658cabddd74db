#include "requesters/batch_conversion.h"

#include <filesystem>
#include <set>

#include "image/image_shell.h"
#include "image/qz_image.h"

namespace qz::batch {
namespace {

namespace fs = std::filesystem;

constexpr uint32_t kQuiet = 4;  // the library shows no boxes; the loop goes on

// The same file, however the path is written.
std::string Qz__Identity(const fs::path& path) {
  std::error_code error;
  const fs::path canonical = fs::weakly_canonical(path, error);
  return (error ? path.lexically_normal() : canonical).string();
}

// name.ext -> name (n).ext; a leading dot is part of the name.
std::string Qz__Numbered(const std::string& fileName, int n) {
  const size_t dot = fileName.find_last_of('.');
  const bool hasExtension = dot != std::string::npos && dot > 0;
  const std::string stem = hasExtension ? fileName.substr(0, dot) : fileName;
  const std::string extension = hasExtension ? fileName.substr(dot) : "";
  return stem + " (" + std::to_string(n) + ")" + extension;
}

std::string Qz__WithFormatExtension(const std::string& fileName, const char* formatName) {
  std::string target(fileName.size() + 64, '\0');
  if (!Qz_AutoChangeFileExtension(fileName.c_str(), target.data(), formatName, uint32_t(target.size())))
    return fileName;
  target.resize(std::char_traits<char>::length(target.c_str()));
  return target;
}

}  // namespace

std::vector<std::string> outputPaths(const std::vector<std::string>& sources, const std::string& folder,
                                     const std::function<std::string(const std::string&)>& rename) {
  std::set<std::string> taken;
  for (const std::string& source : sources) taken.insert(Qz__Identity(source));
  std::vector<std::string> out;
  for (const std::string& source : sources) {
    const std::string fileName = rename(fs::path(source).filename().string());
    fs::path target = fs::path(folder) / fileName;
    for (int n = 2; taken.count(Qz__Identity(target)); ++n) target = fs::path(folder) / Qz__Numbered(fileName, n);
    taken.insert(Qz__Identity(target));
    out.push_back(target.string());
  }
  return out;
}

uint32_t convertFiles(const std::vector<std::string>& sources, const std::string& folder, const char* formatName,
                      Qz_Object* format, const Progress& progress) {
  const auto rename = [formatName](const std::string& name) { return Qz__WithFormatExtension(name, formatName); };
  const std::vector<std::string> targets = outputPaths(sources, folder, rename);
  const uint32_t count = uint32_t(sources.size());
  uint32_t written = 0;
  for (uint32_t i = 0; i < count; ++i) {
    const std::string text = "Converting " + fs::path(sources[i]).filename().string() + " (" + std::to_string(i + 1) +
                             " out of " + std::to_string(count) + ")";
    if (progress && !progress(i, count, text)) break;
    Qz_Image* image = Qz__LoadImageA(sources[i].c_str(), nullptr, nullptr, kQzLoadPlain | kQuiet, nullptr);
    if (!image) continue;
    if (Qz__SaveImageA(image, targets[i].c_str(), formatName, format, kQuiet | kQzSaveKeepName,
                       nullptr) == 1)
      ++written;
    Qz_DisposeObject(&image->object);
  }
  return written;
}

}  // namespace qz::batch
