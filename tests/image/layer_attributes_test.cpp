// Layer methods of the Image class: the percent and raw opacity and blend
// pairs, the edge mask, the layer list (link-in position, the parent's watch,
// make-active notices), source images (placement, relayed changes, a source
// disposed while attached, also from another thread), moving, hiding and
// showing a layer over the document's background.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>

#include "image/image_shell.h"
#include "image/image_text.h"
#include "image/qz_compositor.h"
#include "image_fixture.h"
#include "modes/mode_kit.h"
#include "objects/qz_class_record.h"
#include "objects/qz_notify.h"

namespace {

using qztest::ImageTest;
using qztest::NoticeRecorder;

constexpr uint32_t kPlaceLayer = 0x10024e;
constexpr uint32_t kPlaceFirst = 0x100244;
constexpr uint32_t kPlaceSecond = 0x10023a;
constexpr uint32_t kHide = 0x1002c6;
constexpr uint32_t kShow = 0x1002bc;
constexpr uint32_t kSecondSourceChanged = 0x1002b2;

void Count(QzWord counter, Qz_Object*, uint32_t, const QzWord*) {
  ++*reinterpret_cast<std::atomic<int>*>(counter);
}

// Counts the notices of one id on an object while it lives.
class NoticeCounter {
 public:
  NoticeCounter(Qz_Image* image, uint32_t id) : image_(image) {
    record_ = Qz_AddCallBackNotify(&image->object, id, kNotifyAnyValue, Count,
                                   reinterpret_cast<QzWord>(&count));
  }
  ~NoticeCounter() { Qz_RemoveNotify(&image_->object, record_); }
  std::atomic<int> count{0};

 private:
  Qz_Image* image_;
  QzWord record_;
};

class LayerTest : public ImageTest {
 protected:
  // A document whose background (undo planes) is a pattern, composited.
  Qz_Image* Document(int32_t width, int32_t height) {
    Qz_Image* doc = Make(kQzDocument, width, height, 24);
    for (Qz_Plane plane : {doc->undoR, doc->undoG, doc->undoB})
      qztest::FillPlane(plane, width, height,
                        [](int32_t x, int32_t y) { return uint8_t(x * 16 + y); });
    Qz_CopyUndoToImageData(doc, 0, 0, width - 1, height - 1, 0, 0);
    return doc;
  }
  // An opaque paint layer of one colour (0x00BBGGRR) linked into `parent`.
  Qz_Image* Paint(Qz_Image* parent, int32_t width, int32_t height, uint32_t colour) {
    Qz_Image* layer = Make(kQzPaintLayer, width, height, 8);
    qz::copyName(layer->modeName, sizeof layer->modeName, "Paint");
    for (int i = 0; i < 3; ++i)
      layer->committedColour[i] = layer->chosenColour[i] = uint8_t(colour >> (8 * i));
    qztest::FillPlane(layer->grey, width, height, [](int32_t, int32_t) { return uint8_t(255); });
    Qz_ModifiedLayer(layer, 0, 0, width - 1, height - 1);
    EXPECT_NE(Qz_DoMethod(&parent->object, kQzImageAddLayer, layer), 0u);
    return layer;
  }
  static uint32_t Pixel(Qz_Image* doc, int32_t x, int32_t y) {
    return doc->r[y][x] | doc->g[y][x] << 8 | uint32_t(doc->b[y][x]) << 16;
  }
  static uint32_t Background(Qz_Image* doc, int32_t x, int32_t y) {
    return doc->undoR[y][x] | doc->undoG[y][x] << 8 | uint32_t(doc->undoB[y][x]) << 16;
  }
};

TEST_F(LayerTest, PercentAndRawPairsAndEdgeMaskStoreAndReCompositeOncePerChange) {
  Qz_Image* doc = Document(6, 4);
  Qz_Image* layer = Paint(doc, 6, 4, 0x102030);
  NoticeCounter recomposites(doc, kQzProgressStart);
  // The re-renders still run, but their passes leave the layer alone: a pass
  // would rebuild the tone table and clear the flag under test.
  doc->compositingCount.store(0);
  struct Case {
    uint32_t setId, getId;  // getId 0: read the field instead
    int32_t value;
    int32_t stored;
    uint16_t* word;
    int32_t* field;
    bool toneFlag;
  };
  const Case cases[] = {
      {0x10006e, 0, 50, 128, &layer->opacity, nullptr, false},
      {0x10006f, 0, 64, 192, &layer->opacity, nullptr, false},
      {0x100320, 0, 25, 192, &layer->blend[0], nullptr, false},
      {0x10032a, 0, 1, 255, &layer->blend[0], nullptr, false},
      {0x100334, 0, 100, 0, &layer->blend[1], nullptr, false},
      {0x10033e, 0, 0, 256, &layer->blend[1], nullptr, false},
      {0x100348, 0, 10, 231, &layer->blend[2], nullptr, false},
      {0x100352, 0, 300, 0, &layer->blend[2], nullptr, false},
      {0x10035c, 0, 33, 172, &layer->blend[3], nullptr, false},
      {0x100366, 0, -8, 256, &layer->blend[3], nullptr, false},
      {0x100370, 0, 150, 0, &layer->blend[4], nullptr, false},
      {0x10037a, 0, 128, 128, &layer->blend[4], nullptr, false},
      {0x100384, 0, 1, 254, &layer->blend[5], nullptr, false},
      {0x10038e, 0, 200, 56, &layer->blend[5], nullptr, false},
      {0x100398, 0, 75, 64, &layer->blend[6], nullptr, true},
      {0x1003a2, 0, 16, 240, &layer->blend[6], nullptr, true},
      {0x1003ac, 0, 60, 103, &layer->blend[7], nullptr, true},
      {0x1003b6, 0, 100, 156, &layer->blend[7], nullptr, true},
      {0x1003c0, 0, 99, 3, &layer->blend[8], nullptr, true},
      {0x1003ca, 0, 255, 1, &layer->blend[8], nullptr, true},
      {0x1003e8, 0x1003f2, 2, 2, nullptr, &layer->edgeShape, false},
      {0x1003fc, 0x100406, 45, 45, nullptr, &layer->edgeSize, false},
      {0x100410, 0x10041a, 80, 80, nullptr, &layer->edgeSoftness, false},
      {0x100424, 0x10042e, 1, 1, nullptr, &layer->edgeInvert, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.setId << std::dec << " " << c.value);
    layer->toneTableFlag = 0;
    const int before = recomposites.count.load();
    EXPECT_EQ(Qz_DoMethod(&layer->object, c.setId, c.value), QzWord(uint32_t(c.stored)));
    EXPECT_EQ(c.word ? int32_t(*c.word) : *c.field, c.stored);
    if (c.getId) {
      EXPECT_EQ(Qz_DoMethod(&layer->object, c.getId), QzWord(uint32_t(c.stored)));
    }
    EXPECT_EQ(layer->toneTableFlag, c.toneFlag ? 1 : 0);
    EXPECT_EQ(recomposites.count.load(), before + 1) << "changed: composited once";
    Qz_DoMethod(&layer->object, c.setId, c.value);
    EXPECT_EQ(recomposites.count.load(), before + 1) << "the same value again: not composited";
  }
}

TEST_F(LayerTest, LinkedLayersGoAfterTheActiveOneAndTheParentWatchesOnlyLinkedLayers) {
  Qz_Image* doc = Document(4, 4);
  Qz_Image* a = Paint(doc, 4, 4, 0x0000FF);
  Qz_Image* b = Paint(doc, 4, 4, 0x00FF00);
  auto order = [&] {
    std::string s;
    for (Qz_Image* l = first_layer(doc); l; l = next_layer(l))
      s += l == a ? 'A' : l == b ? 'B' : l->type == kQzImageLayer ? 'I' : 'C';
    return s;
  };
  EXPECT_EQ(order(), "AB");
  EXPECT_EQ(doc->activeLayer, b);
  ASSERT_EQ(Qz_DoMethod(&doc->object, kQzImageMakeActive, a), QzWord(a));
  Paint(doc, 4, 4, 0xFF0000);
  EXPECT_EQ(order(), "ACB") << "after the active layer";
  Qz_Image* active = doc->activeLayer;
  ASSERT_EQ(Qz_DoMethod(&doc->object, kQzImageAddLayer, active), QzWord(active));
  EXPECT_EQ(order(), "ABC") << "the active layer again goes to the end";

  // An image layer whose own paint layer is what the document paints on: a
  // new layer goes after the image layer.
  Qz_Image* image = Make(kQzImageLayer, 4, 4, 24);
  Qz_Image* inside = Make(kQzPaintLayer, 4, 4, 8);
  Qz_DoMethod(&image->object, kQzImageAddLayer, inside);
  ASSERT_EQ(Qz_DoMethod(&doc->object, kQzImageMakeActive, a), QzWord(a));
  Qz_DoMethod(&doc->object, kQzImageAddLayer, image);
  EXPECT_EQ(order(), "AIBC");
  EXPECT_EQ(doc->paintLayer, inside);
  doc->activeLayer = inside;
  Qz_Image* d = Make(kQzPaintLayer, 4, 4, 8);
  Qz_DoMethod(&doc->object, kQzImageAddLayer, d);
  EXPECT_EQ(next_layer(image), d);
  EXPECT_EQ(d->visible, 1);
  EXPECT_EQ(d->parent, doc);

  // A layer of another image cannot become active here.
  Qz_Image* other = Document(4, 4);
  Qz_Image* foreign = Paint(other, 4, 4, 0);
  EXPECT_EQ(Qz_DoMethod(&doc->object, kQzImageMakeActive, foreign), 0u);
  EXPECT_EQ(doc->activeLayer, d);

  // Linked, each notice of the layer composites the document once; unlinked, none.
  NoticeRecorder documentNotices(doc);
  Qz_ModifiedImageData(b, 1, 1, 2, 2);
  ASSERT_EQ(documentNotices.notices.size(), 1u);
  EXPECT_EQ(documentNotices.notices[0].x0, 1);
  EXPECT_EQ(documentNotices.notices[0].y1, 2);
  EXPECT_EQ(Qz_DoMethod(&doc->object, kQzImageRemoveLayer, b), 1u);
  EXPECT_EQ(Qz_DoMethod(&doc->object, kQzImageRemoveLayer, b), 0u) << "not linked any more";
  Qz_ModifiedImageData(b, 1, 1, 2, 2);
  EXPECT_EQ(documentNotices.notices.size(), 1u);
  Qz_DoMethod(&doc->object, kQzImageAddLayer, b);
  Qz_DoMethod(&doc->object, kQzImageAddLayer, b);
  documentNotices.notices.clear();
  Qz_ModifiedImageData(b, 0, 0, 0, 0);
  EXPECT_EQ(documentNotices.notices.size(), 1u) << "linked twice, watched once";
}

TEST_F(LayerTest, MakingALayerActiveMakesItsDocumentTheActiveImageAndTellsBoth) {
  Qz_ImageBase* base = Qz_GetImageBase();
  Qz_Image* app = base->applicationImage;
  ASSERT_NE(app, nullptr);
  Qz_Image* doc = Document(4, 4);
  Qz_Image* a = Paint(doc, 4, 4, 1);
  Qz_Image* b = Paint(doc, 4, 4, 2);
  Qz_DoMethod(&doc->object, kQzImageMakeDocument, doc);
  NoticeCounter onDocument(doc, kQzImageMakeActive), onApp(app, kQzImageMakeActive);
  NoticeCounter secondOnDocument(doc, kQzImageActiveLayerNotice), secondOnApp(app, kQzImageActiveLayerNotice);
  EXPECT_EQ(Qz_DoMethod(&doc->object, kQzImageMakeActive, a), QzWord(a));
  EXPECT_EQ(base->activeImage, doc);
  EXPECT_EQ(doc->activeLayer, a);
  EXPECT_EQ(doc->paintLayer, a);
  EXPECT_GE(onDocument.count.load(), 1);
  EXPECT_GE(onApp.count.load(), 1);
  EXPECT_GE(secondOnDocument.count.load(), 1);
  EXPECT_GE(secondOnApp.count.load(), 1);
  // A layer of a layer: no document notices.
  const int before = onApp.count.load();
  Qz_Image* image = Make(kQzImageLayer, 4, 4, 24);
  Qz_Image* inside = Make(kQzPaintLayer, 4, 4, 8);
  Qz_DoMethod(&image->object, kQzImageAddLayer, inside);
  Qz_DoMethod(&image->object, kQzImageMakeActive, inside);
  EXPECT_EQ(onApp.count.load(), before);
  (void)b;
  Qz_DoMethod(&doc->object, 0x130014);  // out of the document list before disposal
}

// A mode stand-in that asks for the second source and records what it is told.
struct ProbeMode {
  Qz_Object header;
  int attached, changed;
  Qz_Image* source;
};
Qz_Class gProbeModeClass;

QzWord ProbeModeDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  auto* probe = reinterpret_cast<ProbeMode*>(object);
  switch (id) {
    case kQzModeGetFlags: return kQzModeCombinesSource;
    case kQzImageSetSecondSource:
      ++probe->attached;
      probe->source = reinterpret_cast<Qz_Image*>(args[0]);
      return 0;
    case kSecondSourceChanged: ++probe->changed; return 0;
    default: return Qz_DoMethodA(object->super, id, args);
  }
}
Qz_Object* ProbeModeNew(Qz_Class* c, const QzWord*) {
  Qz_Object* o = Qz_AllocObjectMem(c);
  if (o) o->super = Qz_CreateObject("Root");
  return o;
}
void ProbeModeDispose(Qz_Object* o) {
  Qz_DisposeObject(o->super);
  Qz_FreeObjectMem(o);
}
const Qz_Method kNoMethods[] = {{0, nullptr, 0, 0, nullptr, 0, nullptr, 0, 0}};

TEST_F(LayerTest, SourcesArePlacedWatchedAndLetGoWhenTheyAreDisposed) {
  if (!gProbeModeClass.registered) {
    static const Qz_ClassSpec spec = {"SourceProbeMode", "test", 0x7B0000, "Root", ProbeModeNew,
                                      ProbeModeDispose, ProbeModeDispatch, kNoMethods,
                                      sizeof(ProbeMode), 0};
    ASSERT_EQ(Qz_RegisterClassRecord(&gProbeModeClass, &spec), 1u);
  }
  Qz_Image* doc = Document(8, 8);
  Qz_Image* layer = Paint(doc, 8, 8, 0x808080);
  Qz_Image* first = Make(kQzDocument, 5, 3, 24);
  Qz_Image* second = Make(kQzDocument, 7, 2, 24);
  NoticeCounter attachedOnParent(doc, kQzImageSetFirstSource);
  NoticeCounter attachedOnApp(Qz_GetImageBase()->applicationImage, kQzImageSetFirstSource);

  EXPECT_EQ(Qz_DoMethod(&layer->object, kQzImageSetFirstSource, layer), 0u) << "not itself";
  ASSERT_EQ(Qz_DoMethod(&layer->object, kQzImageSetFirstSource, first), 1u);
  EXPECT_EQ(layer->firstSource, first);
  EXPECT_EQ(layer->placement.firstWidth, 5);
  EXPECT_EQ(layer->placement.firstHeight, 3);
  EXPECT_EQ(layer->placement.firstSourceWidth, 5);
  EXPECT_EQ(layer->placement.firstSourceHeight, 3);
  EXPECT_EQ(attachedOnParent.count.load(), 1);
  EXPECT_EQ(attachedOnApp.count.load(), 1);

  // The source's changes come to the layer moved to where the source lies.
  ASSERT_EQ(Qz_DoMethod(&layer->object, kPlaceFirst, 2, 3, 5, 3), 1u);
  EXPECT_EQ(layer->placement.firstX, 2);
  EXPECT_EQ(layer->placement.firstY, 3);
  {
    NoticeRecorder layerNotices(layer);
    Qz_ModifiedImageData(first, 1, 0, 2, 1);
    ASSERT_EQ(layerNotices.notices.size(), 1u);
    const qztest::Notice& n = layerNotices.notices[0];
    EXPECT_EQ(n.image, layer);
    EXPECT_EQ(n.x0, 3);
    EXPECT_EQ(n.y0, 3);
    EXPECT_EQ(n.x1, 4);
    EXPECT_EQ(n.y1, 4);
  }

  // The second source goes to a mode that asks for it, and so do its changes.
  auto* mode = reinterpret_cast<ProbeMode*>(Qz_CreateObject("SourceProbeMode"));
  ASSERT_NE(mode, nullptr);
  layer->mode = &mode->header;
  ASSERT_EQ(Qz_DoMethod(&layer->object, kQzImageSetSecondSource, second), 1u);
  EXPECT_EQ(mode->attached, 1);
  EXPECT_EQ(mode->source, second);
  EXPECT_EQ(layer->placement.secondSourceWidth, 7);
  Qz_ModifiedAllImageData(second);
  EXPECT_EQ(mode->changed, 1);
  ASSERT_EQ(Qz_DoMethod(&layer->object, kPlaceSecond, -1, 4, 3, 2), 1u);
  EXPECT_EQ(layer->placement.secondX, -1);
  EXPECT_EQ(layer->placement.secondHeight, 2);

  // Detached: its changes no longer reach the layer or the mode.
  ASSERT_EQ(Qz_DoMethod(&layer->object, kQzImageSetSecondSource, 0u), 1u);
  EXPECT_EQ(layer->secondSource, nullptr);
  EXPECT_EQ(layer->secondSourceNotify, 0u);
  EXPECT_EQ(mode->attached, 2);
  Qz_ModifiedAllImageData(second);
  EXPECT_EQ(mode->changed, 1);

  // Disposed while attached: let go before it is freed; compositing goes on.
  Dispose(first);
  EXPECT_EQ(layer->firstSource, nullptr);
  EXPECT_EQ(layer->firstSourceNotify, 0u);
  EXPECT_EQ(attachedOnParent.count.load(), 2) << "the detach is told too";
  Qz_FullProcessImage(doc);
  EXPECT_EQ(Pixel(doc, 7, 7), 0x808080u);

  // A layer disposed while attached leaves the source without a watch on it.
  Qz_Image* third = Make(kQzDocument, 2, 2, 24);
  ASSERT_EQ(Qz_DoMethod(&layer->object, kQzImageSetFirstSource, third), 1u);
  layer->mode = nullptr;
  Qz_DisposeObject(&mode->header);
  Dispose(layer);
  Qz_ModifiedAllImageData(third);
}

TEST_F(LayerTest, SourceDisposedOnAnotherThreadWhileBeingAttachedIsNeverKept) {
  Qz_Image* doc = Document(8, 8);
  Qz_Image* layer = Paint(doc, 8, 8, 0x808080);
  for (int round = 0; round < 40; ++round) {
    SCOPED_TRACE(round);
    auto* source =
        reinterpret_cast<Qz_Image*>(Qz_CreateObject("Image", kQzImageSetType, kQzDocument));
    ASSERT_NE(source, nullptr);
    ASSERT_NE(Qz_AllocImage(source, 3, 3, 24, kQzAllocNoThread, nullptr), nullptr);
    std::atomic<bool> go{false};
    std::thread attacher([&] {
      while (!go.load()) std::this_thread::yield();
      Qz_DoMethod(&layer->object, kQzImageSetFirstSource, source);
    });
    go.store(true);
    if (round % 2) std::this_thread::yield();
    Qz_DisposeObject(&source->object);
    attacher.join();
    EXPECT_EQ(layer->firstSource, nullptr);
    EXPECT_EQ(layer->firstSourceNotify, 0u);
  }
  Qz_FullProcessImage(doc);
}

TEST_F(LayerTest, MovingALayerPutsTheBackgroundBackWhereItWas) {
  Qz_Image* doc = Document(8, 6);
  Qz_Image* layer = Paint(doc, 2, 2, 0x0A0B0C);
  Qz_FullProcessImage(doc);
  ASSERT_EQ(Pixel(doc, 0, 0), 0x0A0B0Cu);
  ASSERT_EQ(Qz_DoMethod(&layer->object, kPlaceLayer, 5, 3, 2, 2), 1u);
  EXPECT_EQ(layer->placement.layerX, 5);
  EXPECT_EQ(layer->placement.layerY, 3);
  for (auto [x, y] : {std::pair{0, 0}, {1, 1}, {4, 3}})
    EXPECT_EQ(Pixel(doc, x, y), Background(doc, x, y)) << x << "," << y;
  for (auto [x, y] : {std::pair{5, 3}, {6, 4}})
    EXPECT_EQ(Pixel(doc, x, y), 0x0A0B0Cu) << x << "," << y;
  // Partly outside the document: the part inside shows, nothing else is touched.
  ASSERT_EQ(Qz_DoMethod(&layer->object, kPlaceLayer, 7, -1, 0, 0), 1u);
  EXPECT_EQ(Pixel(doc, 7, 0), 0x0A0B0Cu);
  EXPECT_EQ(Pixel(doc, 6, 4), Background(doc, 6, 4));
}

TEST_F(LayerTest, HidingShowsWhatLiesBelowAndShowingBringsTheLayerBack) {
  Qz_Image* doc = Document(6, 4);
  Qz_Image* lower = Paint(doc, 3, 4, 0x111111);
  Qz_Image* upper = Paint(doc, 6, 2, 0x222222);
  Qz_FullProcessImage(doc);
  ASSERT_EQ(Pixel(doc, 0, 0), 0x222222u);
  ASSERT_EQ(Pixel(doc, 1, 3), 0x111111u);
  ASSERT_EQ(Qz_DoMethod(&upper->object, kHide), 1u);
  EXPECT_EQ(upper->visible, 0);
  EXPECT_EQ(Pixel(doc, 0, 0), 0x111111u) << "the layer below shows";
  EXPECT_EQ(Pixel(doc, 5, 1), Background(doc, 5, 1)) << "the background from the undo planes";
  ASSERT_EQ(Qz_DoMethod(&lower->object, kHide), 1u);
  for (int32_t y = 0; y < 4; ++y)
    for (int32_t x = 0; x < 6; ++x) ASSERT_EQ(Pixel(doc, x, y), Background(doc, x, y));
  ASSERT_EQ(Qz_DoMethod(&upper->object, kShow), 1u);
  EXPECT_EQ(upper->visible, 1);
  EXPECT_EQ(Pixel(doc, 0, 0), 0x222222u);
  EXPECT_EQ(Pixel(doc, 1, 3), Background(doc, 1, 3));
}

}  // namespace
