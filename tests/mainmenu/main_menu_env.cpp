#include "main_menu_env.h"

#include "app/class_registration.h"
#include "image/image_shell.h"
#include "objects/catalogue.h"
#include "platform/paths.h"
#include "qzio/qzio_format_classes.h"
#include "qzio/root_qzio.h"
#include "support/pattern_ppm.h"
#include "support/documents.h"

namespace qztest {
namespace {

constexpr uint32_t kQuiet = 4;

class MainMenuEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    ASSERT_NE(Qz_InitImageBase(), nullptr);
    ASSERT_EQ(Qz_InitImageClass(Qz_GetGlobalData()), 1u);
    ASSERT_GT(qz::app::initClasses(qz::app::classGroup(qz::app::ClassGroup::Actions), Qz_GetGlobalData()), 0u);
    ASSERT_GT(qz::app::initClasses(qz::app::classGroup(qz::app::ClassGroup::Modes), Qz_GetGlobalData()), 0u);
    Qz_InitRootQZIOClass(nullptr);
    Qz_InitPPMQZIOClass(nullptr);
    Qz_InitClipboardQZIOClass(nullptr);
    char root[4096] = {};
    ASSERT_GT(Qz_GetDataRoot(root, sizeof root), 0u);
    ASSERT_EQ(Qz__LoadCatalog((std::string(root) + "/Data/Lingua/Quillantrix.etf").c_str(), ""), 1);
  }
  void TearDown() override {
    Qz__FreeCatalog();
    Qz_CleanupClipboardQZIOClass();
    Qz_CleanupPPMQZIOClass();
    Qz_CleanupRootQZIOClass();
    qz::app::cleanupClasses(qz::app::classGroup(qz::app::ClassGroup::Modes));
    qz::app::cleanupClasses(qz::app::classGroup(qz::app::ClassGroup::Actions));
    Qz_CleanupImageClass();
    Qz_CleanupImageBase();
  }
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new MainMenuEnvironment);

}  // namespace

void MainMenuTest::TearDown() { DisposeAll(); }

Qz_Image* MainMenuTest::Document(int32_t width, int32_t height, bool active) {
  const std::string path = dir_.file("pattern" + std::to_string(made_++) + ".ppm");
  WritePattern(path, width, height);
  Qz_Image* image = Qz__LoadImageA(path.c_str(), nullptr, nullptr, kQzLoadNoView | kQuiet, nullptr);
  if (image && active) MakeActive(image);
  return image;
}

void MainMenuTest::MakeActive(Qz_Image* image) {
  Qz_DoMethod(&Qz_GetImageBase()->applicationImage->object, kQzAppMakeActiveImage, image);
}

void MainMenuTest::DisposeAll() {
  disposeAllDocuments();
}

}  // namespace qztest
