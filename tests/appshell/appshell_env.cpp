#include "appshell_env.h"

#include <atomic>
#include <fstream>

#include "actions/qz_actions.h"
#include "image/qz_compositor.h"
#include "modes/mode_classes.h"
#include "modes/mode_kit.h"
#include "objects/qz_class_record.h"
#include "qzio/qzio_format_classes.h"
#include "qzio/root_qzio.h"

namespace qztest {
namespace {

constexpr uint32_t kQuiet = 4;

struct LevelMode {
  Qz_Object header;
  std::atomic<int32_t> level;
};

const Qz_Method kLevelMethods[] = {
    {kSetLevel, "Qz_SetTestLevel", kQzMethodSetter, kGetLevel, "%ld", 0, nullptr, 0, 0},
    {kGetLevel, "Qz_GetTestLevel", kQzMethodStoredGetter, kSetLevel, nullptr, 0, "%ld", 0, 0},
    {0, nullptr, 0, 0, nullptr, 0, nullptr, 0, 0}};
Qz_Class gLevelModeClass;

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

Qz_Object* NewLevelMode(Qz_Class* c, const QzWord*) {
  Qz_Object* object = qz::modes::newModeObject(c, "RootMode");
  if (object) reinterpret_cast<LevelMode*>(object)->level.store(kDefaultLevel);
  return object;
}

class AppShellEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    ASSERT_NE(Qz_InitImageBase(), nullptr);
    ASSERT_EQ(Qz_InitImageClass(Qz_GetGlobalData()), 1u);
    ASSERT_EQ(Qz_InitActionClasses(Qz_GetGlobalData()), 1u);
    ASSERT_EQ(Qz_InitModeClasses(Qz_GetGlobalData()), 1u);
    Qz_InitRootQZIOClass(nullptr);
    Qz_InitPPMQZIOClass(nullptr);
    Qz_InitQuillantrixQZIOClass(nullptr);
    const Qz_ClassSpec level = {"LevelTestMode", "", 0x7E200000, "RootMode", NewLevelMode,
                                qz::modes::disposeModeObject, LevelDispatch, kLevelMethods,
                                sizeof(LevelMode), 0};
    ASSERT_EQ(Qz_RegisterClassRecord(&gLevelModeClass, &level), 1u);
  }
  void TearDown() override {
    Qz_UnregisterClassRecord(&gLevelModeClass);
    Qz_CleanupQuillantrixQZIOClass();
    Qz_CleanupPPMQZIOClass();
    Qz_CleanupRootQZIOClass();
    Qz_CleanupModeClasses();
    Qz_CleanupActionClasses();
    Qz_CleanupImageClass(Qz_GetGlobalData());
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
  Qz_ImageBase* base = Qz_GetImageBase();
  for (;;) {
    ObtainSemaphore(&base->semaphore);
    Qz_Image* document = first_image(base);
    ReleaseSemaphore(&base->semaphore);
    if (!document) break;
    Qz_DisposeObject(&document->object);
  }
  for (Qz_Image* image : made_) Qz_DisposeObject(&image->object);
  made_.clear();
}

}  // namespace qztest
