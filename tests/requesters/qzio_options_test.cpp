// The format options group: the save formats it offers, one format object
// per choice, the file name's extension and the native format's compression.
#include "requesters/qz_qzio_options.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "gadgets/qz_group.h"
#include "gadgets/qz_choice.h"
#include "gadgets/qz_popups.h"
#include "gadgets/qz_sliders.h"
#include "gadgets/qz_text_entry.h"
#include "image/image_shell.h"
#include "support/object_tree.h"
#include "support/temp_dir.h"
#include "format_env.h"

namespace {

class QzioOptionsTest : public qztest::FormatFixture {
 protected:
  void SetUp() override {
    FormatFixture::SetUp();
    options_ = Qz_CreateObject("QZIOOptions");
    ASSERT_NE(options_, nullptr);
  }
  void TearDown() override {
    Qz_DisposeObject(options_);
    Qz_DisposeObject(field_);
    FormatFixture::TearDown();
  }
  std::string Chosen() {
    const char* name = reinterpret_cast<const char*>(Qz_DoMethod(options_, kQzioOptionsFormatName));
    return name ? name : "";
  }
  Qz_Object* Format() { return reinterpret_cast<Qz_Object*>(Qz_DoMethod(options_, kQzioOptionsFormatObject)); }

  Qz_Object* options_ = nullptr;
  Qz_Object* field_ = nullptr;
};

TEST_F(QzioOptionsTest, OffersTheSaveFormatsAndKeepsOneObjectPerChoice) {
  Qz_DoMethod(options_, kQzioOptionsReset, "no such format");
  EXPECT_EQ(Chosen(), "JPEG") << "the first entry when the name is not offered";

  Qz_DoMethod(options_, kQzioOptionsReset, "PNG");
  EXPECT_EQ(Chosen(), "PNG");
  Qz_Object* png = Format();
  ASSERT_NE(png, nullptr);
  EXPECT_STREQ(png->objectClass->name, "PNGQZIO");
  EXPECT_NE(Qz_DoMethod(png, kQzioGetSaveOptions), 0u);
  Qz_DoMethod(options_, kQzioOptionsReset, "PNG");
  EXPECT_EQ(Format(), png) << "the same choice makes no new object";

  Qz_DoMethod(options_, kQzioOptionsReset, "BMP");
  EXPECT_EQ(Chosen(), "BMP");
  EXPECT_EQ(Format(), nullptr) << "a format without options leaves the group empty";
}

TEST_F(QzioOptionsTest, TheFileNameFollowsTheFormat) {
  field_ = Qz_CreateObject("StringEdit", kStringEditSetText, "holiday.photo.png");
  Qz_DoMethod(options_, kQzioOptionsSetNameField, field_);
  struct Case {
    const char* format;
    const char* name;
  };
  const Case cases[] = {{"JPEG", "holiday.photo.jpg"}, {"TIFF", "holiday.photo.tif"}, {"BMP", "holiday.photo.bmp"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.format);
    Qz_DoMethod(options_, kQzioOptionsReset, c.format);
    EXPECT_STREQ(reinterpret_cast<const char*>(Qz_DoMethod(field_, kStringEditGetText)), c.name);
  }
}

// The native format's compression pop-up reaches the file: libtiff's own
// tool reads the compression of what was saved.
TEST_F(QzioOptionsTest, NativeCompressionChosenInTheGadgetsIsWritten) {
  qztest::TempDir dir;
  auto* image = reinterpret_cast<Qz_Image*>(Qz_CreateObject("Image"));
  ASSERT_NE(image, nullptr);
  ASSERT_NE(Qz_AllocImage(image, 17, 9, 24, 0, nullptr), nullptr);
  struct Case {
    uint32_t entry;
    const char* scheme;
  };
  const Case cases[] = {{0, "None"}, {1, "PackBits"}, {2, "Deflate"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.scheme);
    Qz_DoMethod(options_, kQzioOptionsReset, "Quillantrix");
    Qz_Object* format = Format();
    ASSERT_NE(format, nullptr);
    auto* gadgets = reinterpret_cast<Qz_Object*>(Qz_DoMethod(format, kQzioGetSaveOptions));
    auto* label = reinterpret_cast<Qz_Object*>(Qz_DoMethod(gadgets, kGroupFirst));
    auto* row = reinterpret_cast<Qz_Object*>(Qz_DoMethod(gadgets, kGroupNext, label));
    auto* popUp = reinterpret_cast<Qz_Object*>(Qz_DoMethod(row, kGroupFirst));
    Qz_DoMethod(popUp, kPopUpListSetIndex, c.entry);
    const std::string path = dir.file(std::string("picture") + std::to_string(c.entry) + ".qls");
    ASSERT_EQ(Qz__SaveImageA(image, path.c_str(), "Quillantrix", format, 4 | kQzSaveKeepName, nullptr), 1);
    const std::string command = "tiffinfo " + path + " 2>/dev/null | grep -c 'Compression Scheme: .*" + c.scheme + "'";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    int count = 0;
    EXPECT_EQ(fscanf(pipe, "%d", &count), 1);
    pclose(pipe);
    EXPECT_GE(count, 1);
  }
  Qz_DisposeObject(&image->object);
}

// The gadgets of the indexed and screen-grab formats set the options the
// next save or grab reads, as the object's own getters answer them.
TEST_F(QzioOptionsTest, GifAndScreenGrabGadgetsSetTheirOptions) {
  ASSERT_EQ(Qz_InitGIFQZIOClass(nullptr), 1u);
  ASSERT_EQ(Qz_InitScreenGrabQZIOClass(nullptr), 1u);
  struct Change {
    const char* gadgetClass;
    size_t index;      // among the gadgets of that class, in tree order
    uint32_t method;   // what the user's change sends to the gadget
    QzWord value;
    uint32_t getter;   // the format's own getter
    QzWord before;     // put back afterwards: the options are process-wide
  };
  struct Case {
    const char* className;
    uint32_t optionsId;
    std::vector<Change> changes;
  };
  const Case cases[] = {
      {"GIFQZIO", kQzioGetSaveOptions,
       {{"CompactSlider", 0, kValueSet, 16, 7023, 256},
        {"CompactSlider", 1, kValueSet, 0, 7043, 70},
        {"CheckBox", 0, kCheckBoxSetState, 1, 7063, 0}}},
      {"ScreenGrabQZIO", kQzioGetLoadOptions,
       {{"CompactSlider", 0, kValueSet, 0, 7050, 2}, {"PopUpList", 0, kPopUpListSetIndex, 2, 7030, 0}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.className);
    Qz_Object* format = Qz_CreateObject(c.className);
    ASSERT_NE(format, nullptr);
    auto* gadgets = reinterpret_cast<Qz_Object*>(Qz_DoMethod(format, c.optionsId));
    ASSERT_NE(gadgets, nullptr);
    for (const Change& change : c.changes) {
      SCOPED_TRACE(change.getter);
      const std::vector<Qz_Object*> found = qztest::FindAllOf(gadgets, change.gadgetClass);
      ASSERT_GT(found.size(), change.index);
      EXPECT_EQ(Qz_DoMethod(format, change.getter), change.before) << "the gadget starts on the option";
      Qz_DoMethod(found[change.index], change.method, change.value);
      EXPECT_EQ(Qz_DoMethod(format, change.getter), change.value);
      Qz_DoMethod(found[change.index], change.method, change.before);
    }
    Qz_DisposeObject(format);
  }
  Qz_CleanupScreenGrabQZIOClass();
  Qz_CleanupGIFQZIOClass();
}

}  // namespace
