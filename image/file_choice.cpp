// Choosing the files to load and the name to save under.
#include "image/file_choice.h"

#include "gadgets/qz_file_requester.h"
#include "image/image_shell.h"
#include "objects/catalogue.h"
#include "platform/filesystem.h"
#include "platform/lists.h"

namespace qz {

namespace {

constexpr uint32_t kOptionsNameField = 0x4e00be;   // the options' slot for the name field
constexpr uint32_t kOptionsFormatName = 0x3e8002a;
constexpr uint32_t kOptionsReset = 0x3e80020;  // format name: list the formats, choose it
constexpr uint32_t kOptionsFormat = 0x3e8003e;
constexpr uint32_t kOkCancel = 2;
constexpr uint32_t kOkOnly = 1;

Qz_ImageBase* liveBase() {
  Qz_ImageBase* base = Qz_GetImageBase();
  return base && base->useCount.load() > 0 ? base : nullptr;
}

}  // namespace

SaveTarget::~SaveTarget() { Qz_DisposeObject(options); }

Qz_Image* loadChosenFiles(const char* secondName, Qz_Object* format, uint32_t flags, const TagItem* tags) {
  Qz_ImageBase* base = liveBase();
  FileRequest request;
  request.title = Qz_CatalogString(25);
  request.multiple = true;
  if (base) {
    request.folder = base->loadFolder;
    request.name = base->lastLoaded;
  }
  const FileRequestResult chosen = requestFiles(request);
  if (!chosen.chosen) return nullptr;
  if (base) {
    base->loadFolder = chosen.folder;
    if (base->foldersFollow.load()) base->saveFolder = chosen.folder;
  }
  Qz_Image* last = nullptr;
  for (const std::string& name : chosen.names) {
    if (name.empty()) continue;
    if (base) base->lastLoaded = name;
    if (Qz_Image* image = Qz__LoadImageA(joinedPath(chosen.folder, name).c_str(), secondName, format, flags, tags))
      last = image;
  }
  return last;
}

bool chooseSaveTarget(const std::string& startName, const char* formatName, SaveTarget& target) {
  Qz_ImageBase* base = liveBase();
  target.formatName = formatName ? formatName : "";
  target.options = Qz_CreateObject("QZIOOptions");
  // The pop-up starts filled, on the format the image would be saved in.
  if (target.options) Qz_DoMethod(target.options, kOptionsReset, target.formatName.c_str());
  FileRequest request;
  request.title = Qz_CatalogString(26);
  request.save = true;
  request.name = FilePart(startName.c_str());
  if (base) request.folder = base->saveFolder;
  request.extra = target.options;
  if (target.options) request.nameField = reinterpret_cast<Qz_Object**>(Qz_DoMethod(target.options, kOptionsNameField));
  const FileRequestResult chosen = requestFiles(request);
  if (!chosen.chosen) return false;
  const std::string name = chosen.names.empty() ? std::string() : chosen.names.front();
  if (name.empty()) {
    Qz_MessageBoxA("Quillantrix", Qz_CatalogString(346), kOkOnly, nullptr);
    return false;
  }
  if (target.options) {
    if (const char* chosenFormat = reinterpret_cast<const char*>(Qz_DoMethod(target.options, kOptionsFormatName)))
      target.formatName = chosenFormat;
    target.format = reinterpret_cast<Qz_Object*>(Qz_DoMethod(target.options, kOptionsFormat));
  }
  if (base) {
    base->lastSaved = name;
    base->saveFolder = chosen.folder;
    if (base->foldersFollow.load()) base->loadFolder = chosen.folder;
  }
  target.path = joinedPath(chosen.folder, name);
  if (Qz_DoesFileExist(target.path.c_str()) &&
      Qz_MessageBoxA("Quillantrix", Qz_CatalogString(339), kOkCancel, nullptr) != 1)
    return false;
  return true;
}

}  // namespace qz
