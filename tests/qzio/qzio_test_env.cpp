#include "qzio_test_env.h"

#include <cstdlib>
#include <sstream>

#include "objects/qz_object.h"
#include "qzio/qzio_format_classes.h"

namespace qztest {
namespace {

int32_t RecordBox(const char*, const char* text) {
  Ui().boxes.push_back(text ? text : "");
  return 1;
}
int32_t RecordRequester(const char*, Qz_Object*, Qz_Object*) {
  ++Ui().requesters;
  return Ui().requesterAnswer;
}
int gDisplayToken;
void* RecordBegin(const char*, const char*) {
  ++Ui().progressBegun;
  return &gDisplayToken;
}
int32_t RecordSet(void*, uint32_t done, uint32_t total) {
  UiRecord& u = Ui();
  ++u.progressCalls;
  u.progress.emplace_back(done, total);
  return (u.stopAtCall && u.progressCalls >= u.stopAtCall) ? 0 : 1;
}
void RecordEnd(void*) {}

}  // namespace

UiRecord& Ui() {
  static UiRecord record;
  return record;
}

void InstallRecordingHooks() {
  Ui() = UiRecord{};
  qzio::UiHooks hooks;
  hooks.messageBox = RecordBox;
  hooks.showRequester = RecordRequester;
  hooks.beginProgress = RecordBegin;
  hooks.setProgress = RecordSet;
  hooks.endProgress = RecordEnd;
  qzio::SetUiHooks(&hooks);
}

QzioLibrary::QzioLibrary(const std::vector<std::string>& formats) {
  if (const char* old = std::getenv("QZ_DATA_DIR")) oldDataDir_ = old;
  Run("mkdir -p '" + dir_.path() + "/Data'");
  std::ostringstream text;
  text << "LinkedList\n{\n";
  for (const auto& f : formats) text << "\tRoot\n\t{\n\t\tQz_SetObjectName,\t\t\t" << f << ",\n\t}\n";
  text << "}\n";
  WriteFile(dir_.file("Data/QZIOList.QzStr"), text.str());
  setenv("QZ_DATA_DIR", dir_.path().c_str(), 1);
  InstallRecordingHooks();
  Qz_Init();
  Qz_InitRootQZIOClass(nullptr);
  Qz_InitPPMQZIOClass(nullptr);
  Qz_InitQuillantrixQZIOClass(nullptr);
  QZIO_Init(nullptr);
}

QzioLibrary::~QzioLibrary() {
  QZIO_Cleanup();
  Qz_CleanupQuillantrixQZIOClass();
  Qz_CleanupPPMQZIOClass();
  Qz_CleanupRootQZIOClass();
  Qz_CleanUp();
  qzio::SetUiHooks(nullptr);
  if (oldDataDir_.empty()) {
    unsetenv("QZ_DATA_DIR");
  } else {
    setenv("QZ_DATA_DIR", oldDataDir_.c_str(), 1);
  }
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool ToolAvailable(const char* tool) {
  return Run(std::string("command -v ") + tool + " >/dev/null 2>&1") == 0;
}

int Run(const std::string& command) {
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

QZIO_ImageBuffer* MakePattern(uint32_t width, uint32_t height) {
  QZIO_ImageBuffer* b = QZIO_AllocBuffer(width, height, 24, 0, kQzioFormatRGBPlanes);
  if (!b) return nullptr;
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) {
      const size_t o = size_t(y) * b->bytesPerRow + x;
      b->red[o] = uint8_t(x * 7 + y);
      b->green[o] = uint8_t(y * 5 + 3);
      b->blue[o] = uint8_t((x ^ y) * 11);
    }
  }
  return b;
}

std::vector<uint8_t> RgbBytes(QZIO_ImageBuffer* b) {
  std::vector<uint8_t> out(size_t(b->width) * b->height * 3);
  QZIO_GetBufferData(b, 0, 0, b->width, b->height, b->width * 3, kQzioLayoutRGB, out.data());
  return out;
}

}  // namespace qztest
