// A layer's second source ends a strip pass: the layer hands the notice,
// with the source, to a mode that combines its layer with a source, and a
// mode of flags 5 widens it to one full-width notice on its layer. The
// watch goes with the source: detached, replaced, or either image disposed.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "compositor_kit.h"
#include "image/image_shell.h"
#include "objects/qz_notify.h"

namespace {

using qztest::Document;
using qztest::Rgb;

// The sources the probe modes heard a pass end on, in order.
std::vector<Qz_Image*> gPassesHeard;

QzWord PassProbeDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  if (id == kQzModeSourcePassDone) gPassesHeard.push_back(reinterpret_cast<Qz_Image*>(args[0]));
  return qz::kit::inherited(object, id, args);
}

const qz::kit::ClassDecl kPassProbeMode = {
    .name = "PassProbeMode", .superName = "RootMode", .classId = 0x8FE, .handler = PassProbeDispatch};

struct Rect {
  int32_t x0, y0, x1, y1;
  bool operator==(const Rect&) const = default;
};

void RecordRect(QzWord rects, Qz_Object*, uint32_t, const QzWord* words) {
  // words: kind, image, x0, y0, x1, y1
  reinterpret_cast<std::vector<Rect>*>(rects)->push_back(
      {int32_t(words[2]), int32_t(words[3]), int32_t(words[4]), int32_t(words[5])});
}

// The change notices of a layer while it is watched.
class LayerNotices {
 public:
  explicit LayerNotices(Qz_Image* layer) : layer_(layer) {
    record_ = Qz_AddCallBackNotify(&layer->object, kQzImageChanged, kNotifyAnyValue, RecordRect,
                                   reinterpret_cast<QzWord>(&rects));
  }
  ~LayerNotices() { Qz_RemoveNotify(&layer_->object, record_); }
  std::vector<Rect> rects;

 private:
  Qz_Image* layer_;
  QzWord record_;
};

uint8_t Opaque(int32_t, int32_t) { return 255; }
Rgb Grey(int32_t, int32_t) { return {90, 90, 90}; }

class SourcePassNotice : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_EQ(qz::kit::addClass(kPassProbeMode), 1u); }
  static void TearDownTestSuite() { qz::kit::removeClass(kPassProbeMode); }
  void SetUp() override { gPassesHeard.clear(); }

  // A picture of its own with a paint layer, so that it can run a strip pass.
  static std::unique_ptr<Document> Picture(int32_t width, int32_t height) {
    auto picture = std::make_unique<Document>(width, height, Grey);
    EXPECT_NE(picture->AddPaintLayer("Paint", {1, 2, 3}, 0, 0, width, height, Opaque), nullptr);
    return picture;
  }
  // A whole strip pass of the picture, which ends with its pass notice.
  static void StripPass(Document& picture) {
    Qz_DoMethod(&picture.image->object, kQzImageRerender);
  }
  static bool Attach(Qz_Image* layer, Qz_Image* source) {
    return Qz_DoMethod(&layer->object, kQzImageSetSecondSource, source) == 1;
  }
};

TEST_F(SourcePassNotice, ReachesAModeThatTakesASourceAndFlagFiveWidensItOnce) {
  struct Case {
    uint32_t flags;
    bool heard;      // the mode is told
    bool fullWidth;  // and sends its full-width notice, the only one
  };
  const Case cases[] = {{0, false, false}, {1, true, false}, {5, true, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.flags);
    gPassesHeard.clear();
    Document doc(12, 9, Grey);
    Qz_Image* layer = doc.AddPaintLayer("PassProbe", {0, 0, 0}, 0, 0, 12, 9, Opaque);
    ASSERT_NE(layer, nullptr);
    Qz_DoMethod(layer->mode, kQzModeSetFlags, c.flags);
    auto picture = Picture(5, 4);
    ASSERT_TRUE(Attach(layer, picture->image));
    layer->placement.secondY = 2;
    LayerNotices notices(layer);
    StripPass(*picture);
    EXPECT_EQ(gPassesHeard, c.heard ? std::vector<Qz_Image*>{picture->image} : std::vector<Qz_Image*>{});
    const Rect wide{0, 2, 11, 5};  // the layer's width, the picture's rows where it lies
    if (c.fullWidth)
      EXPECT_EQ(notices.rects, std::vector<Rect>{wide}) << "the strips' own notices wait for the pass's end";
    else
      EXPECT_EQ(std::count(notices.rects.begin(), notices.rects.end(), wide), 0);
  }
}

TEST_F(SourcePassNotice, WatchGoesWithTheSource) {
  Document doc(6, 6, Grey);
  Qz_Image* layer = doc.AddPaintLayer("PassProbe", {0, 0, 0}, 0, 0, 6, 6, Opaque);
  ASSERT_NE(layer, nullptr);
  Qz_DoMethod(layer->mode, kQzModeSetFlags, 5u);
  auto first = Picture(3, 3);
  auto second = Picture(4, 2);

  ASSERT_TRUE(Attach(layer, first->image));
  EXPECT_NE(layer->secondSourcePassWatch, 0u);
  ASSERT_TRUE(Attach(layer, second->image));  // replaced: the first one's passes no longer count
  StripPass(*first);
  StripPass(*second);
  EXPECT_EQ(gPassesHeard, std::vector<Qz_Image*>{second->image});

  ASSERT_TRUE(Attach(layer, nullptr));  // detached
  EXPECT_EQ(layer->secondSourcePassWatch, 0u);
  StripPass(*second);
  EXPECT_EQ(gPassesHeard.size(), 1u);

  // The picture disposed while attached: let go with its watches.
  ASSERT_TRUE(Attach(layer, first->image));
  first.reset();
  EXPECT_EQ(layer->secondSource, nullptr);
  EXPECT_EQ(layer->secondSourcePassWatch, 0u);

  // The layer disposed while attached: the picture's passes reach nothing.
  ASSERT_TRUE(Attach(layer, second->image));
  ASSERT_EQ(Qz_DoMethod(&doc.image->object, kQzImageRemoveLayer, layer), 1u);
  Qz_DisposeObject(&layer->object);
  StripPass(*second);
  EXPECT_EQ(gPassesHeard.size(), 1u);
}

}  // namespace
