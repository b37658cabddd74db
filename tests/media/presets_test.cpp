// Media presets: the ten attributes stored as object text in table order,
// read back and stored again to the same bytes, and the shipped presets
// loading as the media they name.
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "image/qz_image.h"
#include "media_fixture.h"
#include "objects/object_text.h"
#include "support/stored_text.h"

namespace qztest {
namespace {

using PresetTest = MediaTest;

std::string Stored(Qz_Object* object) { return qztest::storedText(object); }

Qz_Object* Restored(const std::string& text) {
  // The restored objects keep pointing into the text, so it lives on.
  static std::vector<std::unique_ptr<std::string>> texts;
  texts.push_back(std::make_unique<std::string>(text));
  return Qz_CreateObjectsFromString(texts.back()->data());
}

TEST_F(PresetTest, AttributesAreStoredInTableOrderAndReadBackToTheSameBytes) {
  Qz_Object* media = Qz_CreateObject("AirBrushMedia");
  Qz_DoMethod(media, kMediaSize, 33u);
  Qz_DoMethod(media, kMediaPressure, 200u);
  Qz_DoMethod(media, kMediaSetFreehand, 1u);
  Qz_DoMethod(media, kMediaSetSmear, 0u);
  Qz_DoMethod(media, kMediaSetJitter, 12u);
  Qz_DoMethod(media, kMediaSetFlags, 5u);
  const std::string text = Stored(media);
  const char* order[] = {"Qz_SetMediaSize", "Qz_SetMediaPressure", "Qz_SetMediaFreehandMode",
                         "Qz_SetMediaSmearMode", "Qz_SetMediaImageMode", "Qz_SetMediaJitter",
                         "Qz_SetMediaFlags"};
  size_t at = 0;
  for (const char* name : order) {
    const size_t found = text.find(name, at);
    ASSERT_NE(found, std::string::npos) << name << " in\n" << text;
    at = found;
  }
  EXPECT_EQ(text.find("Qz_SetMediaModeName"), std::string::npos);  // empty names are left out
  EXPECT_EQ(text.rfind("AirBrushMedia", 0), 0u) << text;
  Qz_Object* back = Restored(text);
  ASSERT_NE(back, nullptr) << Qz_GetObjectTextError();
  EXPECT_EQ(Stored(back), text);
  EXPECT_EQ(Qz_DoMethod(back, kMediaGetBrushWidth), 33u);
  Qz_DisposeObject(back);
  Qz_DisposeObject(media);
}

TEST_F(PresetTest, ShippedPresetsLoadAndStoreBackUnchanged) {
  const char* root = std::getenv("QZ_DATA_DIR");
  ASSERT_NE(root, nullptr);
  struct Case {
    const char* name;
    const char* className;
  };
  const Case cases[] = {{"AirBrush", "AirBrushMedia"}, {"Pencil", "AirBrushMedia"}, {"Soft", "AirBrushMedia"},
                        {"Smear", "AirBrushMedia"},    {"Picture", "ImageMedia"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::ifstream in(std::string(root) + "/Data/Media/Presets/" + c.name + ".QzStr", std::ios::binary);
    ASSERT_TRUE(in.good());
    std::stringstream text;
    text << in.rdbuf();
    // The files start with a comment; the stored form is what follows it.
    const std::string file = text.str();
    const std::string body = file.substr(file.find(c.className));
    Qz_Object* media = Restored(file);
    ASSERT_NE(media, nullptr) << Qz_GetObjectTextError();
    EXPECT_STREQ(media->objectClass->name, c.className);
    EXPECT_EQ(Stored(media), body);
    Qz_DisposeObject(media);
  }
}

}  // namespace
}  // namespace qztest
