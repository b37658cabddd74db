// A document's new paint layer: it starts in the default mode, its set-up
// steps are not the user's to undo, and a re-render shows what was painted
// on it.
#include <gtest/gtest.h>

#include <cstring>

#include "actions/qz_actions.h"
#include "appshell_env.h"

namespace qztest {
namespace {

constexpr uint32_t kMakeLayer = 0x100078;

class NewLayerTest : public AppShellTest {};

TEST_F(NewLayerTest, StartsInTheDefaultModeAndItsSetUpCannotBeUndone) {
  Qz_Image* document = LoadPatternDocument(8, 6);
  ASSERT_NE(document, nullptr);
  auto* layer = reinterpret_cast<Qz_Image*>(Qz_DoMethod(&document->object, kMakeLayer, kQzPaintLayer, 8, 6, 8));
  ASSERT_NE(layer, nullptr);
  EXPECT_STREQ(layer->modeName, "Paint");
  EXPECT_NE(layer->mode, nullptr);
  EXPECT_EQ(Qz_UndoImageAction(document), 0u);
  EXPECT_EQ(document->activeLayer, layer);
}

TEST_F(NewLayerTest, ARerenderShowsWhatWasPaintedOnTheLayer) {
  Qz_Image* document = LoadPatternDocument(6, 30);
  ASSERT_NE(document, nullptr);
  Qz_Image* layer = document->paintLayer;
  ASSERT_NE(layer, nullptr);
  Qz_DoMethod(&layer->object, kQzImageSetColour, 0x0000FF);  // red
  for (int32_t y = 10; y < 20; ++y) layer->grey[y][2] = 255;
  Qz_ModifiedLayer(layer, 2, 10, 2, 19);
  EXPECT_EQ(Qz_DoMethod(&document->object, kQzImageRerender), 1u);
  for (int32_t y = 0; y < 30; ++y) {
    SCOPED_TRACE(y);
    const bool painted = y >= 10 && y < 20;
    EXPECT_EQ(document->r[y][2], painted ? 255 : PatternRed(2, y));
    EXPECT_EQ(document->g[y][2], painted ? 0 : PatternGreen(2, y));
    EXPECT_EQ(document->r[y][3], PatternRed(3, y));
  }
}

}  // namespace
}  // namespace qztest
