// The file-format panel: its pages list exactly the registered formats that
// load and save, a chosen format shows its option gadgets in place of the
// placeholder and becomes the program's own, and what is set in those
// gadgets is what the next save writes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/class_registration.h"
#include "gadgets/qz_group.h"
#include "gadgets/qz_list_tree.h"
#include "gadgets/qz_popups.h"
#include "gadgets/qz_sliders.h"
#include "image/image_shell.h"
#include "objects/object_services.h"
#include "objects/qz_root.h"
#include "panel_fixture.h"
#include "qzio/qzio.h"
#include "qzio/qzio_format_classes.h"
#include "qzio/root_qzio.h"
#include "support/object_tree.h"
#include "support/temp_dir.h"

QZ_EXTERN_C_BEGIN
QzWord Qz_InitQZIOPluginClass(Qz_GlobalData*);
void Qz_CleanupQZIOPluginClass(void);
QZ_EXTERN_C_END

namespace {

using Names = std::vector<std::string>;
constexpr size_t kLoadPage = 0, kSavePage = 1;

// What the program registers: the detection list's order without GIF (not
// registered), and for saving JPEG first; Photo CD and PCX only read,
// PostScript only writes, the clipboard and the screen grab are no files.
const Names kProgramLoaders = {"Quillantrix", "TIFF", "JPEG", "PNG", "BMP", "PSD", "ILBM", "IFFDEEP", "RAS",
                               "PCD", "TARGA", "PPM", "XPM", "XBM", "SGI", "XWD", "PICT", "PCX"};
const Names kProgramSavers = {"JPEG", "Quillantrix", "TIFF", "PNG", "BMP", "PSD", "ILBM", "IFFDEEP", "RAS",
                              "TARGA", "PPM", "XPM", "XBM", "SGI", "XWD", "PICT", "EPS", "PS"};

std::string Output(const std::string& command) {
  std::string out;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char chunk[256];
    while (fgets(chunk, sizeof chunk, pipe)) out += chunk;
    pclose(pipe);
  }
  return out;
}

class FormatsPanelTest : public qztest::PanelImageTest {
 protected:
  void SetUp() override {
    ASSERT_NE(Qz_InitImageBase(), nullptr);
    qz::app::initClasses(qz::app::classGroup(qz::app::ClassGroup::Formats), Qz_GetGlobalData());
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
    qz::app::cleanupClasses(qz::app::classGroup(qz::app::ClassGroup::Formats));
    Qz_CleanupImageBase();
  }
  static Names Labels(Qz_Object* list) {
    Names names;
    for (Qz_Object* row : qztest::FindAllOf(list, "ListTreeItem"))
      names.emplace_back(reinterpret_cast<const char*>(Qz_DoMethod(row, kRootGetLabel)));
    return names;
  }
  Qz_Object* Row(size_t page, const char* name) {
    for (Qz_Object* row : qztest::FindAllOf(lists_[page], "ListTreeItem")) {
      const auto* label = reinterpret_cast<const char*>(Qz_DoMethod(row, kRootGetLabel));
      if (label && std::string(label) == name) return row;
    }
    return nullptr;
  }
  // The area below a page's list that shows the chosen format's gadgets.
  Qz_Object* OptionsArea(size_t page) {
    Qz_Object* column = Qz_GetParentObject(lists_[page]);
    return reinterpret_cast<Qz_Object*>(Qz_DoMethod(column, kGroupNext, lists_[page]));
  }
  // Chooses the format on a page as a click on its row does, on the window's
  // thread once the panel is in a window.
  void Choose(size_t page, const char* name) {
    Qz_Object* row = Row(page, name);
    ASSERT_NE(row, nullptr) << name;
    if (window_) {
      ui.post(window_, lists_[page], kListTreeSetCurrentItem, row);
      ASSERT_TRUE(ui.settle(window_));
    } else {
      Qz_DoMethod(lists_[page], kListTreeSetCurrentItem, row);
    }
  }
  std::vector<Qz_Object*> lists_;
};

TEST_F(FormatsPanelTest, ThePagesListExactlyTheRegisteredLoadersAndSavers) {
  EXPECT_EQ(Labels(lists_[kLoadPage]), kProgramLoaders);
  EXPECT_EQ(Labels(lists_[kSavePage]), kProgramSavers);

  // The lists follow what is registered when the panel is made.
  ASSERT_EQ(Qz_InitGIFQZIOClass(nullptr), 1u);
  Qz_CleanupTIFFQZIOClass();
  Qz_Object* again = Qz_CreateObject("QZIOPlugin");
  ASSERT_NE(again, nullptr);
  const std::vector<Qz_Object*> lists = qztest::FindAllOf(again, "ListTree");
  ASSERT_EQ(lists.size(), 2u);
  auto changed = [](Names names) {
    std::erase(names, "TIFF");
    names.insert(std::find(names.begin(), names.end(), "PNG") + 1, "GIF");
    return names;
  };
  EXPECT_EQ(Labels(lists[kLoadPage]), changed(kProgramLoaders));
  EXPECT_EQ(Labels(lists[kSavePage]), changed(kProgramSavers));
  Qz_DisposeObject(again);
  Qz_CleanupGIFQZIOClass();
  ASSERT_EQ(Qz_InitTIFFQZIOClass(nullptr), 1u);
}

// Each format the save page offers writes the picture, and each one the
// load page offers reads it back, found by detection.
TEST_F(FormatsPanelTest, EveryOfferedFormatReallySavesOrLoads) {
  qztest::TempDir dir;
  const Names loaders = Labels(lists_[kLoadPage]);
  for (const std::string& name : Labels(lists_[kSavePage])) {
    SCOPED_TRACE(name);
    const std::string path = dir.file("picture." + name);
    ASSERT_EQ(Qz__SaveImageA(doc_, path.c_str(), name.c_str(), nullptr, 4 | kQzSaveKeepName, nullptr), 1);
    if (std::find(loaders.begin(), loaders.end(), name) == loaders.end()) continue;
    uint32_t result = 0;
    QZIO_ImageBuffer* back = QZIO_AutoLoadBuffer(path.c_str(), 4, kQzioTagResult, &result, TAG_DONE);
    ASSERT_NE(back, nullptr) << "result " << result;
    EXPECT_STREQ(back->header->acceptedFormat, name.c_str());
    EXPECT_EQ(back->width, 8u);
    QZIO_FreeBuffer(back);
  }
}

TEST_F(FormatsPanelTest, AChosenFormatReplacesTheProgramsFormatObject) {
  Qz_ImageBase* base = Qz_GetImageBase();
  Qz_Object* previous = nullptr;
  for (const char* name : {"JPEG", "PPM", "JPEG"}) {
    SCOPED_TRACE(name);
    Choose(kSavePage, name);
    ASSERT_NE(base->ioObjects[1], nullptr);
    EXPECT_NE(base->ioObjects[1], previous);
    previous = base->ioObjects[1];
  }
  EXPECT_EQ(base->ioObjects[0], nullptr) << "the load format is its own choice";
}

// In an open window: the area shows the chosen format's gadgets, laid out
// and drawn, or the placeholder again for a format without any.
TEST_F(FormatsPanelTest, AChosenFormatsOptionsTakeThePlaceholdersPlace) {
  OpenPanelWindow();
  Qz_Object* pages = Find(panel_, "Pages");
  ASSERT_NE(pages, nullptr);
  Qz_Object* placeholder[2] = {};
  for (size_t page : {kLoadPage, kSavePage})
    placeholder[page] = reinterpret_cast<Qz_Object*>(Qz_DoMethod(OptionsArea(page), kGroupFirst));
  struct Case {
    size_t page;
    const char* format;
    bool hasOptions;
  };
  const Case cases[] = {{kSavePage, "JPEG", true},  {kSavePage, "BMP", false},       {kSavePage, "TIFF", true},
                        {kSavePage, "PNG", true},   {kSavePage, "Quillantrix", true}, {kSavePage, "PPM", false},
                        {kLoadPage, "JPEG", false}, {kLoadPage, "TIFF", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.page == kSavePage ? "save " : "load ") + c.format);
    ui.post(window_, pages, kGroupShowPage, static_cast<uint32_t>(c.page));
    ASSERT_TRUE(ui.settle(window_));
    Choose(c.page, c.format);
    Qz_Object* chosen = Qz_GetImageBase()->ioObjects[c.page];
    ASSERT_NE(chosen, nullptr);
    const uint32_t asked = c.page == kSavePage ? kQzioGetSaveOptions : kQzioGetLoadOptions;
    auto* gadgets = reinterpret_cast<Qz_Object*>(Qz_DoMethod(chosen, asked));
    EXPECT_EQ(gadgets != nullptr, c.hasOptions);
    Qz_Object* area = OptionsArea(c.page);
    ASSERT_EQ(Qz_DoMethod(area, kGroupCount), 1u) << "one thing in the area";
    Qz_Object* shown = reinterpret_cast<Qz_Object*>(Qz_DoMethod(area, kGroupFirst));
    EXPECT_EQ(shown, c.hasOptions ? gadgets : placeholder[c.page]);
    EXPECT_EQ(Qz_DoMethod(shown, kRootHideCount), 0u);
    const Qz_LayoutBox box = qztest::UiHarness::box(shown);
    const Qz_LayoutBox room = qztest::UiHarness::box(area);
    EXPECT_GT(box.width, 0);
    EXPECT_GT(box.height, 0);
    EXPECT_GE(box.top, room.top) << "placed inside the area";
    EXPECT_LE(box.top + box.height, room.top + room.height);
  }
}

// What is set in the panel's gadgets is what the next save writes, though
// that save makes its own format object: read back by ImageMagick and by
// libtiff's own tool.
TEST_F(FormatsPanelTest, TheOptionsSetInThePanelReachTheNextSave) {
  qztest::TempDir dir;
  struct Case {
    const char* format;
    const char* gadgetClass;
    uint32_t setter;
    uint32_t value;
    uint32_t reset;
    const char* command;  // %s: the file; prints what the file was written with
    const char* expected;
  };
  const Case cases[] = {
      {"JPEG", "CompactSlider", kValueSet, 20, 90, "identify -format %%Q '%s'", "20"},
      {"JPEG", "CompactSlider", kValueSet, 85, 90, "identify -format %%Q '%s'", "85"},
      {"TIFF", "PopUpList", kPopUpListSetIndex, 3, 0, "tiffinfo '%s' 2>/dev/null | grep -o 'Compression Scheme: .*'",
       "Compression Scheme: Deflate\n"},
      {"TIFF", "PopUpList", kPopUpListSetIndex, 2, 0, "tiffinfo '%s' 2>/dev/null | grep -o 'Compression Scheme: .*'",
       "Compression Scheme: PackBits\n"},
      {"Quillantrix", "PopUpList", kPopUpListSetIndex, 1, 0,
       "tiffinfo '%s' 2>/dev/null | grep -m1 -o 'Compression Scheme: .*'", "Compression Scheme: PackBits\n"},
      {"Quillantrix", "PopUpList", kPopUpListSetIndex, 2, 0,
       "tiffinfo '%s' 2>/dev/null | grep -m1 -o 'Compression Scheme: .*'", "Compression Scheme: Deflate\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.format) + " " + std::to_string(c.value));
    Choose(kSavePage, c.format);
    auto* gadgets = reinterpret_cast<Qz_Object*>(Qz_DoMethod(Qz_GetImageBase()->ioObjects[1], kQzioGetSaveOptions));
    ASSERT_NE(gadgets, nullptr);
    const std::vector<Qz_Object*> found = qztest::FindAllOf(gadgets, c.gadgetClass);
    ASSERT_FALSE(found.empty());
    Qz_DoMethod(found.front(), c.setter, c.value);
    const std::string path = dir.file("next" + std::to_string(c.value) + "." + c.format);
    ASSERT_EQ(Qz__SaveImageA(doc_, path.c_str(), c.format, nullptr, 4 | kQzSaveKeepName, nullptr), 1);
    char command[512];
    std::snprintf(command, sizeof command, c.command, path.c_str());
    EXPECT_EQ(Output(command), c.expected);
    Qz_DoMethod(found.front(), c.setter, c.reset);  // later saves of this program as they were
  }
}

}  // namespace
