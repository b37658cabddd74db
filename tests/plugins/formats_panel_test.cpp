// The file-format panel: the library's load and save formats listed, and a
// chosen format made the program's own with its object replacing the last.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gadgets/qz_list_tree.h"
#include "objects/qz_root.h"
#include "panel_fixture.h"
#include "qzio/qzio.h"
#include "qzio/qzio_format_classes.h"
#include "qzio/root_qzio.h"
#include "support/object_tree.h"

QZ_EXTERN_C_BEGIN
QzWord Qz_InitQZIOPluginClass(Qz_GlobalData*);
void Qz_CleanupQZIOPluginClass(void);
QZ_EXTERN_C_END

namespace {

class FormatsPanelTest : public qztest::PanelImageTest {
 protected:
  void SetUp() override {
    ASSERT_NE(Qz_InitImageBase(), nullptr);
    Qz_InitRootQZIOClass(nullptr);
    for (auto init : {Qz_InitJPEGQZIOClass, Qz_InitPNGQZIOClass, Qz_InitPPMQZIOClass}) init(nullptr);
    Qz_GetImageBase()->ioGlobalData = QZIO_Init(nullptr);
    ASSERT_NE(Qz_GetImageBase()->ioGlobalData, nullptr);
    StartUp({Qz_InitQZIOPluginClass, Qz_CleanupQZIOPluginClass, "QZIOPlugin"}, {}, 8, 8);
    lists_ = qztest::FindAllOf(panel_, "ListTree");
    ASSERT_EQ(lists_.size(), 2u);
  }
  void TearDown() override {
    PanelImageTest::TearDown();
    Qz_ImageBase* base = Qz_GetImageBase();
    for (Qz_Object*& slot : base->ioObjects) {
      Qz_DisposeObject(slot);
      slot = nullptr;
    }
    QZIO_Cleanup();
    base->ioGlobalData = nullptr;
    for (auto cleanup : {Qz_CleanupJPEGQZIOClass, Qz_CleanupPNGQZIOClass, Qz_CleanupPPMQZIOClass}) cleanup();
    Qz_CleanupRootQZIOClass();
    Qz_CleanupImageBase();
  }
  Qz_Object* Row(size_t list, const char* name) {
    for (Qz_Object* row : qztest::FindAllOf(lists_[list], "ListTreeItem")) {
      const auto* label = reinterpret_cast<const char*>(Qz_DoMethod(row, kRootGetLabel));
      if (label && std::string(label) == name) return row;
    }
    return nullptr;
  }
  std::vector<Qz_Object*> lists_;
};

TEST_F(FormatsPanelTest, AChosenFormatReplacesTheProgramsFormatObject) {
  for (const char* name : {"JPEG", "PNG", "PPM"}) EXPECT_NE(Row(1, name), nullptr) << name;
  Qz_ImageBase* base = Qz_GetImageBase();
  Qz_Object* previous = nullptr;
  for (const char* name : {"JPEG", "PPM", "JPEG"}) {
    SCOPED_TRACE(name);
    Qz_Object* row = Row(1, name);
    ASSERT_NE(row, nullptr);
    Qz_DoMethod(lists_[1], kListTreeSetCurrentItem, row);
    ASSERT_NE(base->ioObjects[1], nullptr);
    EXPECT_NE(base->ioObjects[1], previous);
    previous = base->ioObjects[1];
  }
  EXPECT_EQ(base->ioObjects[0], nullptr) << "the load format is its own choice";
}

}  // namespace
