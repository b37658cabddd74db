// Change marking: span growth (column 0 included), suspension, the notices
// with their exact values, and the needs-fixing bookkeeping.
#include <gtest/gtest.h>

#include "image_fixture.h"

namespace {

using qztest::ImageTest;
using qztest::NoticeRecorder;

TEST_F(ImageTest, SpansGrowAsMarked) {
  struct Mark {
    int32_t x0, y0, x1, y1;
  };
  struct Case {
    const char* name;
    std::vector<Mark> marks;
    int32_t row, least, greatest;
  };
  const Case cases[] = {
      {"untouched row", {}, 2, 9, kQzSpanUnchanged},
      {"column 0 only", {{0, 2, 0, 2}}, 2, 0, 0},
      {"left of the layer clamps to 0", {{-5, 1, 3, 3}}, 2, 0, 3},
      {"right of the layer clamps to the last column", {{7, 2, 40, 2}}, 2, 7, 9},
      {"two marks merge", {{2, 2, 3, 2}, {6, 0, 8, 4}}, 2, 2, 8},
      {"rows above and below clamp", {{4, -9, 4, 99}}, 5, 4, 4},
      {"wholly outside changes nothing", {{10, 0, 12, 5}, {-4, 0, -1, 5}, {0, -3, 9, -1}}, 0, 9,
       kQzSpanUnchanged},
      {"inverted rectangle changes nothing", {{5, 2, 4, 2}}, 2, 9, kQzSpanUnchanged},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Qz_Image* layer = Make(kQzPaintLayer, 10, 6, 8);
    for (const Mark& m : c.marks) Qz_ModifiedLayer(layer, m.x0, m.y0, m.x1, m.y1);
    EXPECT_EQ(layer->spanLeast[c.row], c.least);
    EXPECT_EQ(layer->spanGreatest[c.row], c.greatest);
    Dispose(layer);
  }
}

TEST_F(ImageTest, NoticesCarryKindImageAndRectangle) {
  Qz_Image* layer = Make(kQzPaintLayer, 10, 6, 8);
  NoticeRecorder recorder(layer);
  Qz_ModifiedImageData(layer, -3, 2, 4, 20);
  Qz_ModifiedAllImageData(layer);
  Qz_ModifiedImageFormat(layer);
  ASSERT_EQ(recorder.notices.size(), 3u);
  struct Expected {
    uint32_t kind;
    int32_t x0, y0, x1, y1;
  };
  const Expected expected[] = {{kQzChangeRect, 0, 2, 4, 5},
                               {kQzChangeAll, 0, 0, 9, 5},
                               {kQzChangeFormat, 0, 0, 9, 5}};
  for (size_t i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    const qztest::Notice& n = recorder.notices[i];
    EXPECT_EQ(n.kind, expected[i].kind);
    EXPECT_EQ(n.image, layer);
    EXPECT_EQ(n.x0, expected[i].x0);
    EXPECT_EQ(n.y0, expected[i].y0);
    EXPECT_EQ(n.x1, expected[i].x1);
    EXPECT_EQ(n.y1, expected[i].y1);
  }
  EXPECT_EQ(layer->spanGreatest[0], 9) << "marking everything widens every row";
}

TEST_F(ImageTest, SuspendedImagesSendNothingAndKeepTheirSpans) {
  Qz_Image* layer = Make(kQzPaintLayer, 10, 6, 8);
  NoticeRecorder recorder(layer);
  layer->notifySuspend = 1;
  Qz_ModifiedImageData(layer, 0, 0, 3, 3);
  Qz_ModifiedAllImageData(layer);
  Qz_ModifiedImageFormat(layer);
  EXPECT_TRUE(recorder.notices.empty());
  EXPECT_EQ(layer->spanGreatest[1], kQzSpanUnchanged);
  layer->notifySuspend = 0;
  Qz_ModifiedImageData(layer, 0, 1, 0, 1);
  ASSERT_EQ(recorder.notices.size(), 1u);
  EXPECT_EQ(layer->spanGreatest[1], 0) << "a change in column 0 is a change";

  // A document's notice leaves its spans alone (they describe layers).
  Qz_Image* document = Make(kQzDocument, 10, 6, 24);
  Qz_ModifiedImageData(document, 1, 1, 2, 2);
  EXPECT_EQ(document->spanGreatest[1], kQzSpanUnchanged);
}

TEST_F(ImageTest, NeedsFixing) {
  Qz_Image* document = Make(kQzDocument, 4, 4, 24);
  Qz_Image* bottom = Make(kQzPaintLayer, 4, 4, 8);
  Qz_Image* top = Make(kQzPaintLayer, 4, 4, 8);
  Qz_DoMethod(&document->object, kQzImageAddLayer, bottom);
  Qz_DoMethod(&document->object, kQzImageAddLayer, top);
  Qz_ImageBase* base = Qz_GetImageBase();
  struct Case {
    const char* name;
    Qz_Image* layer;
    int32_t autoRedo, expected;
  };
  const Case cases[] = {{"bottom layer waits", bottom, 0, 0},
                        {"a layer with one below re-renders", top, 0, 1},
                        {"auto-redo re-renders every layer", bottom, 1, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    base->autoRedo = c.autoRedo;
    const int32_t before = c.layer->needsFixing.load();
    EXPECT_EQ(Qz_LayerNeedsFixing(c.layer), c.expected);
    // The re-render commits the document's current paint layer; any other
    // layer keeps the raised count.
    const bool committed = c.expected == 1 && c.layer == document->paintLayer;
    EXPECT_EQ(c.layer->needsFixing.load(), committed ? 0 : before + 1);
  }
  base->autoRedo = 0;
  EXPECT_EQ(Qz_LayerNeedsFixing(nullptr), 0);
}

struct RedrawCall {
  Qz_Object* view;
  int32_t x0, y0, x1, y1;
};
std::vector<RedrawCall> gRedraws;
void RecordRedraw(Qz_Object* view, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  gRedraws.push_back({view, x0, y0, x1, y1});
}

TEST_F(ImageTest, RedrawsReachTheDocumentsViewAtTheLayersPlace) {
  Qz_Image* document = Make(kQzDocument, 20, 10, 24);
  Qz_Image* imageLayer = Make(kQzImageLayer, 8, 8, 24);
  Qz_Image* inside = Make(kQzPaintLayer, 8, 8, 8);
  Qz_DoMethod(&document->object, kQzImageAddLayer, imageLayer);
  Qz_DoMethod(&imageLayer->object, kQzImageAddLayer, inside);
  imageLayer->placement.layerX = 5;
  imageLayer->placement.layerY = 1;
  inside->placement.layerX = 2;
  Qz_Object* view = &document->object;  // any object stands for the view here
  document->view = view;
  auto* hooks = Qz_GetImageHooks();
  const auto saved = hooks->redrawImageView;
  hooks->redrawImageView = RecordRedraw;
  gRedraws.clear();

  Qz_RedrawLayer(inside, 0, 0, 1, 1);
  Qz_FullRedrawLayer(imageLayer);
  Qz_RedrawImage(document, -4, -4, 50, 3);
  Qz_RedrawImage(document, 30, 0, 40, 3);  // outside: nothing
  document->view = nullptr;
  Qz_FullRedrawImage(document);  // no view: nothing
  hooks->redrawImageView = saved;

  ASSERT_EQ(gRedraws.size(), 3u);
  const RedrawCall expected[] = {{view, 7, 1, 8, 2}, {view, 5, 1, 12, 8}, {view, 0, 0, 19, 3}};
  for (size_t i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(gRedraws[i].view, expected[i].view);
    EXPECT_EQ(gRedraws[i].x0, expected[i].x0);
    EXPECT_EQ(gRedraws[i].y0, expected[i].y0);
    EXPECT_EQ(gRedraws[i].x1, expected[i].x1);
    EXPECT_EQ(gRedraws[i].y1, expected[i].y1);
  }
}

}  // namespace
