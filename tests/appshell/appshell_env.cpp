#include "appshell_env.h"

#include <atomic>
#include <fstream>

#include "actions/qz_actions.h"
#include "image/qz_compositor.h"
#include "app/class_registration.h"
#include "modes/mode_kit.h"
#include "objects/qz_class_kit.h"
#include "qzio/qzio_format_classes.h"
#include "qzio/root_qzio.h"
#include "support/documents.h"

namespace qztest {
namespace {

constexpr uint32_t kQuiet = 4;

struct LevelMode {
  Qz_Object header;
  std::atomic<int32_t> level{kDefaultLevel};
};

const Qz_Method kLevelMethods[] = {
    {kSetLevel, "Qz_SetTestLevel", kQzMethodSetter, kGetLevel, "%ld", 0, nullptr, 0, 0},
    {kGetLevel, "Qz_GetTestLevel", kQzMethodStoredGetter, kSetLevel, nullptr, 0, "%ld", 0, 0},
    {0, nullptr, 0, 0, nullptr, 0, nullptr, 0, 0}};

QzWord LevelDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  auto* mode = reinterpret_cast<LevelMode*>(object);
  switch (id) {
    case kSetLevel: mode->level.store(int32_t(args[0]) & 0xFF); return 0;
    case kGetLevel: return QzWord(uint32_t(mode->level.load()));
    case kQzModeRender: {
      const uint8_t level = uint8_t(mode->level.load());
      return qz::modes::renderRows(qz::modes::renderMessage(args), 0,
                                   [&](const uint8_t* const*, uint8_t* const dst[3], int32_t count) {
                                     for (int c = 0; c < 3; ++c)
                                       for (int32_t i = 0; i < count; ++i) dst[c][i] = level;
                                   });
    }
    default: return Qz_DoMethodA(object->super, id, args);
  }
}

const qz::kit::ClassDecl kLevelMode = {
    .name = "LevelTestMode", .superName = "RootMode", .classId = 0x7E200000,
    .instance = qz::kit::instanceOf<LevelMode>(), .handler = LevelDispatch,
    .methods = kLevelMethods, .notice = ""};

class AppShellEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    ASSERT_NE(Qz_InitImageBase(), nullptr);
    ASSERT_EQ(Qz_InitImageClass(Qz_GetGlobalData()), 1u);
    ASSERT_GT(qz::app::initClasses(qz::app::classGroup(qz::app::ClassGroup::Actions), Qz_GetGlobalData()), 0u);
    ASSERT_GT(qz::app::initClasses(qz::app::classGroup(qz::app::ClassGroup::Modes), Qz_GetGlobalData()), 0u);
    Qz_InitRootQZIOClass(nullptr);
    Qz_InitPPMQZIOClass(nullptr);
    Qz_InitQuillantrixQZIOClass(nullptr);
    ASSERT_EQ(qz::kit::addClass(kLevelMode), 1u);
  }
  void TearDown() override {
    qz::kit::removeClass(kLevelMode);
    Qz_CleanupQuillantrixQZIOClass();
    Qz_CleanupPPMQZIOClass();
    Qz_CleanupRootQZIOClass();
    qz::app::cleanupClasses(qz::app::classGroup(qz::app::ClassGroup::Modes));
    qz::app::cleanupClasses(qz::app::classGroup(qz::app::ClassGroup::Actions));
    Qz_CleanupImageClass();
    Qz_CleanupImageBase();
  }
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new AppShellEnvironment);

}  // namespace

std::vector<uint8_t> Planes(const Qz_Image* image) {
  std::vector<uint8_t> bytes;
  for (Qz_Plane plane : {image->r, image->g, image->b})
    for (int32_t y = 0; y < image->height; ++y)
      bytes.insert(bytes.end(), plane[y], plane[y] + image->width);
  return bytes;
}

void AppShellTest::TearDown() { DisposeAll(); }

Qz_Image* AppShellTest::LoadDocument(const std::string& path) {
  return Qz__LoadImageA(path.c_str(), nullptr, nullptr, kQzLoadNoView | kQuiet, nullptr);
}

Qz_Image* AppShellTest::LoadPatternDocument(int32_t width, int32_t height) {
  const std::string path = dir_.file("pattern.ppm");
  WritePattern(path, width, height);
  return LoadDocument(path);
}

void AppShellTest::DisposeAll() {
  disposeAllDocuments();
  for (Qz_Image* image : made_) Qz_DisposeObject(&image->object);
  made_.clear();
}

}  // namespace qztest
