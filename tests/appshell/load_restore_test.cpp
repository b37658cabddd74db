// A document saved in the native format and loaded again looks the same:
// each layer gets back the mode it was saved with and that mode's settings,
// and the layers' source images come back as images of their own.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "actions/qz_actions.h"
#include "appshell_env.h"
#include "image/qz_compositor.h"

extern "C" void Qz_DoLayerDoesntNeedsFixing(Qz_Image* layer);

namespace qztest {
namespace {

constexpr uint32_t kQuiet = 4;
constexpr uint32_t kMakeLayer = 0x100078;

// Gives the layer a mode of that name, in force at once.
void UseMode(Qz_Image* layer, const char* name) {
  ASSERT_EQ(Qz__ApplyLayerMode(layer, name), 1);
  Qz_DoLayerDoesntNeedsFixing(layer);
  ASSERT_NE(layer->mode, nullptr);
}

const char* ClassName(Qz_Object* object) { return object && object->objectClass ? object->objectClass->name : ""; }

// A 24-bit image (no thread, not a document) whose planes hold f(x, y) + salt.
Qz_Image* PatternImage(int32_t width, int32_t height, int salt) {
  auto* image = reinterpret_cast<Qz_Image*>(Qz_CreateObject("Image"));
  if (!image || !Qz_AllocImage(image, width, height, 24, kQzAllocNoThread, nullptr)) return nullptr;
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) {
      image->r[y][x] = uint8_t(PatternBlue(x, y) + salt);
      image->g[y][x] = uint8_t(PatternRed(x, y) * 3 + salt);
      image->b[y][x] = uint8_t(x * 31 + y * 5 + salt);
    }
  return image;
}

class LoadRestoreTest : public AppShellTest {
 protected:
  Qz_Image* SaveAndLoad(Qz_Image* document) {
    const std::string native = dir_.file("saved.qls");
    if (Qz__SaveImageA(document, native.c_str(), "Quillantrix", nullptr, kQuiet, nullptr) != 1)
      return nullptr;
    return LoadDocument(native);
  }
};

TEST_F(LoadRestoreTest, EachLayerGetsBackItsModeWithItsSettings) {
  Qz_Image* document = LoadPatternDocument(13, 9);
  ASSERT_NE(document, nullptr);
  Qz_Image* layer = document->activeLayer;
  ASSERT_NE(layer, nullptr);
  UseMode(layer, "LevelTest");
  Qz_DoMethod(layer->mode, kSetLevel, 77);  // not the default
  for (int32_t y = 0; y < 9; ++y)
    for (int32_t x = 0; x < 13; ++x) layer->grey[y][x] = uint8_t(x * 19 + y * 23);
  // An image layer, and its own paint layer, with the mode at other levels.
  auto* imageLayer = reinterpret_cast<Qz_Image*>(
      Qz_DoMethod(&document->object, kMakeLayer, kQzImageLayer, 13, 9, 8));
  ASSERT_NE(imageLayer, nullptr);
  ASSERT_NE(imageLayer->paintLayer, nullptr);
  UseMode(imageLayer, "LevelTest");
  Qz_DoMethod(imageLayer->mode, kSetLevel, 55);
  Qz_Image* own = imageLayer->paintLayer;
  UseMode(own, "LevelTest");
  Qz_DoMethod(own->mode, kSetLevel, 30);
  for (int32_t y = 0; y < 9; ++y)
    for (int32_t x = 0; x < 13; ++x) {
      imageLayer->undoR[y][x] = imageLayer->r[y][x] = uint8_t(x * 7);
      imageLayer->undoG[y][x] = imageLayer->g[y][x] = uint8_t(y * 9);
      imageLayer->undoB[y][x] = imageLayer->b[y][x] = 90;
      imageLayer->inner->grey[y][x] = uint8_t(120 + x);
      own->grey[y][x] = uint8_t(y * 25);
    }
  for (Qz_Image* changed : {layer, own, imageLayer}) Qz_ModifiedLayer(changed, 0, 0, 12, 8);
  Qz_FullProcessImage(imageLayer);
  Qz_FullProcessImage(document);
  const std::vector<uint8_t> shown = Planes(document);

  Qz_Image* again = SaveAndLoad(document);
  ASSERT_NE(again, nullptr);
  Qz_Image* first = first_layer(again);
  ASSERT_NE(first, nullptr);
  Qz_Image* second = next_layer(first);
  ASSERT_NE(second, nullptr);
  ASSERT_NE(second->paintLayer, nullptr);
  struct Expect {
    const char* name;
    Qz_Image* layer;
    QzWord level;
  };
  for (const Expect& e : {Expect{"paint layer", first, 77}, Expect{"image layer", second, 55},
                          Expect{"image layer's paint layer", second->paintLayer, 30}}) {
    SCOPED_TRACE(e.name);
    EXPECT_STREQ(e.layer->modeName, "LevelTest");
    EXPECT_STREQ(ClassName(e.layer->mode), "LevelTestMode");
    EXPECT_EQ(e.layer->chosenMode, nullptr);  // committed: the document shows it
    ASSERT_NE(e.layer->mode, nullptr);
    EXPECT_EQ(Qz_DoMethod(e.layer->mode, kGetLevel), e.level);
  }
  EXPECT_EQ(Planes(again), shown);
}

TEST_F(LoadRestoreTest, TheSavedPaintColourIsWhereAnUndoOfALaterColourGoesBack) {
  Qz_Image* document = LoadPatternDocument(5, 4);
  ASSERT_NE(document, nullptr);
  Qz_Image* layer = document->activeLayer;
  ASSERT_NE(layer, nullptr);
  Qz_DoMethod(&layer->object, kQzImageSetColour, 0x336699);
  Qz_DoLayerDoesntNeedsFixing(layer);
  Qz_GetImageBase()->colour[0] = 1;  // the current colour of the program differs
  Qz_GetImageBase()->colour[1] = Qz_GetImageBase()->colour[2] = 2;

  Qz_Image* again = SaveAndLoad(document);
  ASSERT_NE(again, nullptr);
  Qz_Image* loaded = again->activeLayer;
  ASSERT_NE(loaded, nullptr);
  const uint8_t saved[3] = {0x99, 0x66, 0x33};
  EXPECT_EQ(std::memcmp(loaded->committedColour, saved, 3), 0);
  Qz_DoMethod(&loaded->object, kQzImageSetColour, 0x00FF00);
  ASSERT_EQ(Qz_UndoImageAction(again), 1u);
  EXPECT_EQ(std::memcmp(loaded->chosenColour, saved, 3), 0);
}

// The loaded pixels are where a replay of the layer starts: undoing a step
// after loading keeps them.
TEST_F(LoadRestoreTest, AnUndoAfterLoadingKeepsTheLoadedPaint) {
  Qz_Image* document = LoadPatternDocument(8, 6);
  ASSERT_NE(document, nullptr);
  Qz_Image* layer = document->activeLayer;
  ASSERT_NE(layer, nullptr);
  for (int32_t y = 0; y < 6; ++y)
    for (int32_t x = 0; x < 8; ++x) layer->grey[y][x] = uint8_t(x * 29 + y * 3 + 1);
  Qz_Image* again = SaveAndLoad(document);
  ASSERT_NE(again, nullptr);
  Qz_Image* loaded = again->activeLayer;
  ASSERT_NE(loaded, nullptr);
  auto grey = [&] {
    std::vector<uint8_t> bytes;
    for (int32_t y = 0; y < 6; ++y) bytes.insert(bytes.end(), loaded->grey[y], loaded->grey[y] + 8);
    return bytes;
  };
  const std::vector<uint8_t> before = grey();
  Qz_Object* stroke = Qz_CreateObject("RootAction", kActionSetQualifier, 1u, kActionSetFlags, kActionFreehand);
  ASSERT_NE(stroke, nullptr);
  Qz_DoMethod(stroke, kActionStartPoints, kActionSetX, 1, kActionSetY, 1);
  ASSERT_EQ(Qz_AddLayerAction(loaded, stroke, 0), 1u);
  Qz_DoMethod(stroke, kActionApply);
  ASSERT_EQ(Qz_UndoImageAction(again), 1u);
  EXPECT_EQ(grey(), before);
}

TEST_F(LoadRestoreTest, SourceImagesComeBackAndTheLayersRenderTheSame) {
  Qz_Image* document = LoadPatternDocument(11, 8);
  ASSERT_NE(document, nullptr);
  Qz_Image* layer = document->activeLayer;
  ASSERT_NE(layer, nullptr);
  UseMode(layer, "LevelTest");
  for (int32_t y = 0; y < 8; ++y) std::memset(layer->grey[y], 255, 11);
  // The first source masks the layer, channel by channel; the second is
  // only kept. An image layer has a source of its own.
  Qz_Image* mask = Made(PatternImage(11, 8, 0));
  Qz_Image* texture = Made(PatternImage(7, 5, 40));
  Qz_Image* imageLayerSource = Made(PatternImage(11, 8, 90));
  ASSERT_TRUE(mask && texture && imageLayerSource);
  layer->firstSource = mask;
  layer->secondSource = texture;
  // Where attaching them puts their sizes.
  layer->placement.firstWidth = layer->placement.firstSourceWidth = 11;
  layer->placement.firstHeight = layer->placement.firstSourceHeight = 8;
  layer->placement.secondWidth = layer->placement.secondSourceWidth = 7;
  layer->placement.secondHeight = layer->placement.secondSourceHeight = 5;
  auto* imageLayer = reinterpret_cast<Qz_Image*>(
      Qz_DoMethod(&document->object, kMakeLayer, kQzImageLayer, 11, 8, 8));
  ASSERT_NE(imageLayer, nullptr);
  imageLayer->firstSource = imageLayerSource;
  // The image layer goes below, so the masked layer stays on top.
  Qz_DoMethod(&imageLayer->object, 0x100280);
  for (Qz_Image* changed : {layer, imageLayer}) Qz_ModifiedLayer(changed, 0, 0, 10, 7);
  Qz_FullProcessImage(document);
  const std::vector<uint8_t> shown = Planes(document);
  const Qz_Placement placement = layer->placement;

  Qz_Image* again = SaveAndLoad(document);
  // The originals are the test's: they leave the document before it goes.
  layer->firstSource = layer->secondSource = imageLayer->firstSource = nullptr;
  ASSERT_NE(again, nullptr);
  Qz_Image* loadedImageLayer = first_layer(again);
  Qz_Image* loadedLayer = next_layer(loadedImageLayer);
  ASSERT_TRUE(loadedImageLayer && loadedLayer);
  ASSERT_EQ(loadedImageLayer->type, kQzImageLayer);
  struct Expect {
    const char* name;
    Qz_Image* loaded;
    Qz_Image* original;
  };
  for (const Expect& e : {Expect{"first source", loadedLayer->firstSource, mask},
                          Expect{"second source", loadedLayer->secondSource, texture},
                          Expect{"image layer's source", loadedImageLayer->firstSource, imageLayerSource}}) {
    SCOPED_TRACE(e.name);
    ASSERT_NE(e.loaded, nullptr);
    EXPECT_EQ(e.loaded->width, e.original->width);
    EXPECT_EQ(e.loaded->height, e.original->height);
    EXPECT_EQ(Planes(e.loaded), Planes(e.original));
  }
  EXPECT_EQ(std::memcmp(&loadedLayer->placement, &placement, sizeof placement), 0);
  EXPECT_EQ(Planes(again), shown);
}

}  // namespace
}  // namespace qztest
