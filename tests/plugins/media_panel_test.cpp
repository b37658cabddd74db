// The media panel: the size range and transparency it shows for an image
// and a layer, a slider move sent to the active image as one recorded
// request, and nothing sent back while the panel follows the image.
#include <gtest/gtest.h>

#include <vector>

#include "actions/qz_actions.h"
#include "gadgets/qz_group.h"
#include "gadgets/qz_sliders.h"
#include "image/qz_image.h"
#include "objects/object_services.h"
#include "objects/qz_linked_list.h"
#include "objects/qz_notify.h"
#include "objects/qz_root.h"
#include "plugins/media_sliders.h"
#include "panel_fixture.h"
#include "support/object_tree.h"

QZ_EXTERN_C_BEGIN
QzWord Qz_InitMediaPluginClass(Qz_GlobalData*);
void Qz_CleanupMediaPluginClass(void);
QZ_EXTERN_C_END

namespace {

TEST(MediaSlidersTest, SizeMaximumFollowsTheImage) {
  struct Case {
    int32_t width, height, current, maximum;
  };
  const Case cases[] = {{600, 300, 170, 250}, {1000, 400, 170, 350}, {100, 100, 420, 450},
                        {900, 900, 170, 300}, {3000, 10, 170, 1000}, {10, 10, 250, 250}};
  for (const Case& c : cases)
    EXPECT_EQ(qz::plugins::mediaSizeMaximum(c.width, c.height, c.current), c.maximum)
        << c.width << "x" << c.height << " at " << c.current;
}

TEST(MediaSlidersTest, TransparencyIsTheLevelInPercentFromOpaque) {
  struct Case {
    int32_t level, percent;
  };
  const Case cases[] = {{255, 0}, {256, 0}, {0, 100}, {128, 50}, {101, 61}, {-5, 100}};
  for (const Case& c : cases) EXPECT_EQ(qz::plugins::transparencyPercent(c.level), c.percent) << c.level;
}

class MediaPanelTest : public qztest::PanelImageTest {
 protected:
  void SetUp() override {
    media_ = nullptr;
    StartUp({Qz_InitMediaPluginClass, Qz_CleanupMediaPluginClass, "MediaPlugin"},
            {qz::app::ClassGroup::Media, qz::app::ClassGroup::Actions}, 1000, 400);
    doc_->media = Qz_CreateObject("AirBrushMedia");
    media_ = Qz_CreateObject("AirBrushMedia", kMediaSetSize, 42u, kMediaSetPressure, 99u);
    Qz_GetImageBase()->currentMedia = media_;
    sliders_ = qztest::FindAllOf(panel_, "CompactSlider");
    ASSERT_EQ(sliders_.size(), 3u);  // strength, size, transparency
  }
  void TearDown() override {
    Qz_GetImageBase()->currentMedia = nullptr;
    Qz_DisposeObject(media_);
    PanelImageTest::TearDown();
  }
  QzWord requests() { return Qz_DoMethod(Qz_GetUndoList(doc_), kLinkedListCount); }
  Qz_Object* app() { return &Qz_GetImageBase()->applicationImage->object; }
  int32_t value(size_t slider) { return int32_t(Qz_DoMethod(sliders_[slider], kValueGet)); }

  Qz_Object* media_ = nullptr;
  std::vector<Qz_Object*> sliders_;
};

TEST_F(MediaPanelTest, FollowingTheImageSendsNothingBack) {
  const QzWord before = requests();
  Qz_DoNotify(app(), kQzImageChooseMedia, "AirBrush");
  EXPECT_EQ(value(0), 99);
  EXPECT_EQ(value(1), 42);
  // A level whose percentage does not map back onto itself shows any echo.
  layer_->opacity = 101;
  Qz_DoNotify(app(), kQzImageMakeActive, layer_);
  EXPECT_EQ(value(2), 61);
  EXPECT_EQ(layer_->opacity, 101);
  EXPECT_EQ(Qz_DoMethod(sliders_[1], kValueGetMaximum), 350u);
  EXPECT_EQ(requests(), before);
}

TEST_F(MediaPanelTest, ASliderMoveSendsOneRecordedRequest) {
  const QzWord before = requests();
  Qz_DoMethod(sliders_[1], kValueSet, 77u);
  EXPECT_EQ(requests(), before + 1);
  EXPECT_EQ(Qz_DoMethod(doc_->media, kMediaGetSize), 77u);
  Qz_DoMethod(sliders_[0], kValueSet, 200u);
  EXPECT_EQ(Qz_DoMethod(doc_->media, kMediaGetPressure), 200u);
  Qz_DoMethod(sliders_[2], kValueSet, 50u);
  EXPECT_EQ(layer_->opacity, 128);
}

// A media panel added again (or anew) while a media is current shows that
// media's strength and size at once, not the defaults, and sends nothing.
TEST_F(MediaPanelTest, AddedAgainItShowsTheCurrentSettings) {
  struct Case {
    const char* name;
    uint32_t size, pressure;
  };
  const Case cases[] = {{"within the ranges", 42, 99}, {"a size beyond the usual range", 420, 255}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Qz_DoMethod(media_, kMediaSetSize, c.size);
    Qz_DoMethod(media_, kMediaSetPressure, c.pressure);
    const QzWord before = requests();
    Qz_Object* again = Qz_CreateObject("MediaPlugin");
    ASSERT_NE(again, nullptr);
    const std::vector<Qz_Object*> sliders = qztest::FindAllOf(again, "CompactSlider");
    ASSERT_EQ(sliders.size(), 3u);
    EXPECT_EQ(Qz_DoMethod(sliders[0], kValueGet), c.pressure);
    EXPECT_EQ(Qz_DoMethod(sliders[1], kValueGet), c.size);
    EXPECT_EQ(requests(), before);
    Qz_DisposeObject(again);
  }
}

}  // namespace
