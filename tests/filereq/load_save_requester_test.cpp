// Loading and saving without a name go through the file requester: the
// files chosen are loaded in list order, a save asks before replacing.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <future>
#include <sstream>

#include "gadgets/qz_file_requester.h"
#include "gadgets/qz_group.h"
#include "gadgets/qz_list_tree.h"
#include "gadgets/qz_text_entry.h"
#include "host/headless/headless_host.h"
#include "image/image_shell.h"
#include "objects/catalogue.h"
#include "objects/message_box.h"
#include "platform/exec.h"
#include "platform/windows.h"
#include "qzio/qzio.h"
#include "qzio/qzio_format_classes.h"
#include "qzio/root_qzio.h"
#include "support/object_tree.h"
#include "support/pattern_ppm.h"
#include "support/temp_dir.h"
#include "support/ui_harness.h"

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitQZIOOptionsClass(Qz_GlobalData*);
QZ_EXPORT void Qz_CleanupQZIOOptionsClass(void);
QZ_EXTERN_C_END

namespace {

constexpr uint32_t kQuiet = 4;
constexpr uint32_t kOptionsFormatName = 0x3e8002a;

class LoadSaveRequester : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(Qz_InitImageBase(), nullptr);
    ASSERT_EQ(Qz_InitImageClass(Qz_GetGlobalData()), 1u);
    Qz_InitRootQZIOClass(nullptr);
    Qz_InitPPMQZIOClass(nullptr);
    ASSERT_EQ(Qz_InitQZIOOptionsClass(Qz_GetGlobalData()), 1u);
    Qz_GetImageBase()->ioGlobalData = QZIO_Init(nullptr);  // the save-format list
    qztest::WritePattern(dir.file("one.ppm"), 5, 3);
    qztest::WritePattern(dir.file("two.ppm"), 4, 6);
    Qz_GetImageBase()->loadFolder = dir.path();
    Qz_GetImageBase()->saveFolder = dir.path();
    qz::msgbox::resetScript();
  }
  void TearDown() override {
    for (Qz_Image* image : made) Qz_DisposeObject(&image->object);
    QZIO_Cleanup();
    Qz_GetImageBase()->ioGlobalData = nullptr;
    Qz_CleanupQZIOOptionsClass();
    Qz_CleanupPPMQZIOClass();
    Qz_CleanupRootQZIOClass();
    Qz_CleanupImageClass();
    Qz_CleanupImageBase();
  }
  // The requester titled so, once it is up and has listed its two pictures.
  Qz_Object* requester(const char* title) {
    if (!title) title = "";
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
      Window* active = Qz_GetActiveWindow();
      if (active && active->Title && std::strcmp(active->Title, title) == 0) {
        auto* window = static_cast<Qz_Object*>(active->OwnerObject);
        ui.settle(window);
        // The rows are added on the window's thread; they are counted there.
        QzWord listed = 0;
        ui.onWindowThread(window, [&] {
          auto* list = reinterpret_cast<Qz_Object*>(Qz_DoMethod(window, kRootFindByName, "FileRequesterList"));
          listed = list ? Qz_DoMethod(list, kGroupCount) : 0;
        });
        if (listed >= 2) return window;
      }
      Delay(1);
    }
    ADD_FAILURE() << title << " did not come up";
    return nullptr;
  }

  void loadingLoadsEveryChosenFileInListOrder();
  void loadingCancelledLoadsNothing();
  void savingAsksBeforeReplacing();

  qztest::UiHarness ui;
  qztest::TempDir dir;
  std::vector<Qz_Image*> made;
};

// One test: the image base and the library are opened once per program.
TEST_F(LoadSaveRequester, LoadingAndSavingWithoutANameGoThroughTheRequester) {
  loadingLoadsEveryChosenFileInListOrder();
  loadingCancelledLoadsNothing();
  savingAsksBeforeReplacing();
}

void LoadSaveRequester::loadingLoadsEveryChosenFileInListOrder() {
  SCOPED_TRACE("loading");
  auto answer = std::async(std::launch::async, [] {
    return Qz__LoadImageA(nullptr, nullptr, nullptr, kQzLoadPlain | kQuiet, nullptr);
  });
  if (Qz_Object* w = requester(Qz_CatalogString(25))) {
    auto* list = reinterpret_cast<Qz_Object*>(Qz_DoMethod(w, kRootFindByName, "FileRequesterList"));
    auto* first = reinterpret_cast<Qz_Object*>(Qz_DoMethod(list, kGroupFirst));
    auto* second = reinterpret_cast<Qz_Object*>(Qz_DoMethod(list, kGroupNext, first));
    ui.post(w, list, kListTreeAddSelected, second);
    ui.post(w, list, kListTreeAddSelected, first);
    ui.settle(w);
    qz::headless::typeKey(0x0D, 13);
  }
  Qz_Image* last = answer.get();
  ASSERT_NE(last, nullptr);
  made.push_back(last);
  EXPECT_STREQ(last->name, dir.file("two.ppm").c_str()) << "the last of the list is answered";
  EXPECT_EQ(last->width, 4);
  EXPECT_EQ(Qz_GetImageBase()->lastLoaded, "two.ppm");
}

void LoadSaveRequester::loadingCancelledLoadsNothing() {
  SCOPED_TRACE("cancelled");
  auto answer = std::async(std::launch::async, [] {
    return Qz__LoadImageA(nullptr, nullptr, nullptr, kQzLoadPlain | kQuiet, nullptr);
  });
  if (requester(Qz_CatalogString(25))) qz::headless::typeKey(0x1B, 27);
  EXPECT_EQ(answer.get(), nullptr);
}

void LoadSaveRequester::savingAsksBeforeReplacing() {
  SCOPED_TRACE("saving");
  Qz_Image* image = Qz__LoadImageA(dir.file("one.ppm").c_str(), nullptr, nullptr, kQzLoadPlain | kQuiet, nullptr);
  ASSERT_NE(image, nullptr);
  made.push_back(image);
  const std::string before = qztest::fileContents(dir.file("two.ppm"));
  struct Case {
    const char* name;
    qz::msgbox::Answer answer;
    bool replaced;
  } cases[] = {{"Cancel keeps the file", qz::msgbox::Answer::Cancel, false},
               {"OK replaces it", qz::msgbox::Answer::Ok, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    qz::msgbox::resetScript();
    qz::msgbox::scriptAnswer(c.answer);
    auto saved = std::async(std::launch::async, [&] {
      return Qz__SaveImageA(image, nullptr, "PPM", nullptr, kQuiet, nullptr);
    });
    if (Qz_Object* w = requester(Qz_CatalogString(26))) {
      const std::vector<Qz_Object*> options = qztest::FindAllOf(w, "QZIOOptions");
      EXPECT_EQ(options.size(), 1u);
      const auto* format = options.empty() ? nullptr
                                           : reinterpret_cast<const char*>(Qz_DoMethod(options[0], kOptionsFormatName));
      EXPECT_STREQ(format ? format : "(none)", "PPM") << "the format pop-up lists the formats, the image's chosen";
      ui.post(w, reinterpret_cast<Qz_Object*>(Qz_DoMethod(w, kRootFindByName, "FileRequesterName")),
              kStringEditSetText, "two.ppm");
      ui.settle(w);
      qz::headless::typeKey(0x0D, 13);
    }
    EXPECT_EQ(saved.get(), c.replaced ? 1 : 0);
    ASSERT_EQ(qz::msgbox::shownBoxes().size(), 1u);
    EXPECT_EQ(qztest::fileContents(dir.file("two.ppm")) != before, c.replaced);
  }
  EXPECT_EQ(Qz_GetImageBase()->lastSaved, "two.ppm");
}

}  // namespace
