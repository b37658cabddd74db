// The shared image below a layer: what a mode reads from it is always what
// a fresh fetch would give, whatever was edited, undone, redone or re-moded
// below the layer, and it is fetched again only when something below the
// layer changed: never for painting the layer itself or what lies above it,
// and once, not per strip, when it did change.
//
// The property test is seeded (QZ_SEED picks the first of its seeds) and
// runs its passes on eight workers; a failure names the seed and the step.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "actions/qz_actions.h"
#include "app/class_registration.h"
#include "compositor/compositor_kit.h"
#include "image/strip_pool.h"
#include "modes/qz_colourise_mode.h"
#include "modes/shared_below.h"
#include "objects/qz_linked_list.h"

namespace {

using qztest::Document;
using qztest::Rgb;

class ActionsEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    ASSERT_GT(qz::app::initClasses(qz::app::classGroup(qz::app::ClassGroup::Actions), Qz_GetGlobalData()), 0u);
  }
  void TearDown() override { qz::app::cleanupClasses(qz::app::classGroup(qz::app::ClassGroup::Actions)); }
};
const auto* const kActionsEnvironment = ::testing::AddGlobalTestEnvironment(new ActionsEnvironment);

// ---- a mode that reads the whole image below its layer -------------------------------------

// Set while the reference picture is made: every render fetches for itself.
std::atomic<bool> gFreshFetches{false};

// Each pixel shows the pixel below it mirrored through the image's centre,
// moved right by the mode's amount (wrapping): anything anywhere below shows.
QzWord Qz__RenderMirror(Qz_Object* self, const Qz_ModeRenderMessage* message) {
  const Qz_ImageLock* block = message->block;
  const int32_t w = block->image->width, h = block->image->height;
  const int32_t shift = int32_t(int16_t(Qz_DoMethod(self, kQzModeGetAmount)));
  qz::modes::SourceView view;
  std::unique_ptr<qz::modes::SharedBelow> shared;
  Qz_ImageLock fresh{};
  if (gFreshFetches) {
    fresh.image = block->image, fresh.layer = block->layer;
    fresh.x0 = 0, fresh.y0 = 0, fresh.x1 = w - 1, fresh.y1 = h - 1;
    if (!Qz_GetImageDataBelowLayer(&fresh)) return 1;
    view = qz::modes::viewOf(&fresh);
  } else {
    shared = std::make_unique<qz::modes::SharedBelow>(message);
    if (!shared->ok()) return 1;
    view = shared->view();
    EXPECT_EQ(view.x1, w - 1);
    EXPECT_EQ(view.y1, h - 1);
    EXPECT_EQ(view.width, w);
  }
  for (int32_t y = block->y0; y <= block->y1; ++y)
    for (int32_t x = block->x0; x <= block->x1; ++x) {
      const int32_t sx = (((w - 1 - x + shift) % w) + w) % w, sy = h - 1 - y;
      message->r[y - block->y0][x - block->x0] = view.at(0, sx, sy);
      message->g[y - block->y0][x - block->x0] = view.at(1, sx, sy);
      message->b[y - block->y0][x - block->x0] = view.at(2, sx, sy);
    }
  Qz_FreeImageLock(&fresh);
  return 1;
}

QzWord MirrorDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  if (id == kQzModeRender) return Qz__RenderMirror(object, qz::modes::renderMessage(args));
  return qz::kit::inherited(object, id, args);
}

const qz::kit::ClassDecl kMirrorBelowMode = {
    .name = "MirrorBelowMode", .superName = "RootMode", .classId = 0x8FD, .handler = MirrorDispatch};

// ---- fetches of the whole image, per layer ----------------------------------------------------

struct FetchCounter {
  std::atomic<int> forLayer{0};
  Qz_Image* layer = nullptr;
};
FetchCounter gFetches;

void CountFetch(const Qz_ImageLock* lock, void*) {
  if (gFreshFetches || lock->layer != gFetches.layer) return;
  if (lock->x0 == 0 && lock->y0 == 0 && lock->x1 == lock->image->width - 1 && lock->y1 == lock->image->height - 1)
    ++gFetches.forLayer;
}

// ---- an undoable step that puts pixels back without telling anyone -------------------------

constexpr uint32_t kQuietStepClassId = 0x7c100000;

struct QuietStep {
  Qz_Object header;
  Qz_Image* layer = nullptr;
  int32_t x0 = 0, y0 = 0, x1 = -1, y1 = -1;
  std::vector<uint8_t> before, after;
};

void Qz__Put(QuietStep* s, const std::vector<uint8_t>& bytes) {
  size_t i = 0;
  for (int32_t y = s->y0; y <= s->y1; ++y)
    for (int32_t x = s->x0; x <= s->x1; ++x) s->layer->grey[y][x] = bytes[i++];
}

QzWord QuietStepDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  auto* s = reinterpret_cast<QuietStep*>(object);
  switch (id) {
    case kActionGetLayer: return qz::toWord(s->layer);
    case kActionSetLayer: return 0;  // made for its layer
    case kActionGetUndoable: return 1;
    case kActionGetFlags: return 0;
    case kActionUndo: Qz__Put(s, s->before); return 1;
    case kActionRedo: Qz__Put(s, s->after); return 1;
    default: return qz::kit::inherited(object, id, args);
  }
}

const qz::kit::ClassDecl kQuietStep = {.name = "QuietStepAction", .superName = "Root", .classId = kQuietStepClassId,
                                       .instance = qz::kit::instanceOf<QuietStep>(), .handler = QuietStepDispatch};

// ---- the property ------------------------------------------------------------------------------

constexpr int32_t kWidth = 72, kHeight = 16;

std::vector<uint8_t> Composite(Document& doc) {
  doc.ClearResult();
  doc.Composite();
  return doc.Planes();
}

uint32_t FirstSeed() {
  const char* text = std::getenv("QZ_SEED");
  return text ? uint32_t(std::strtoul(text, nullptr, 10)) : 1u;
}

class SharedBelowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_EQ(qz::kit::addClass(kMirrorBelowMode), 1u);
    ASSERT_EQ(qz::kit::addClass(kQuietStep), 1u);
  }
  static void TearDownTestSuite() {
    qz::kit::removeClass(kQuietStep);
    qz::kit::removeClass(kMirrorBelowMode);
  }
  void SetUp() override {
    Qz__SetModeRerenderPoster([](Qz_Image*) {});
    Qz__SetImageDataObserver(CountFetch, nullptr);
    Qz__SetCompositorWorkers(8);
  }
  void TearDown() override {
    Qz__SetCompositorWorkers(0);
    Qz__SetImageDataObserver(nullptr, nullptr);
    Qz__SetModeRerenderPoster(nullptr);
    gFetches.layer = nullptr;
    gFreshFetches = false;
  }
};

// The layers below and above the one under test, bottom first.
std::vector<Qz_Image*> LayersOf(Qz_Image* doc) {
  std::vector<Qz_Image*> layers;
  for (Qz_Image* l = first_layer(doc); l; l = next_layer(l)) layers.push_back(l);
  return layers;
}

bool IsBelow(Qz_Image* doc, Qz_Image* layer, Qz_Image* of) {
  for (Qz_Image* l = first_layer(doc); l && l != of; l = next_layer(l))
    if (l == layer) return true;
  return false;
}

class RandomEdits {
 public:
  RandomEdits(uint32_t seed, Document& doc, Qz_Image* tested, Qz_Image* picture)
      : random_(seed), doc_(doc), tested_(tested), picture_(picture) {}
  ~RandomEdits() {
    for (Qz_Image* l : removed_) Qz_DisposeObject(&l->object);
  }

  // One edit; true when it can have changed what lies below the tested layer.
  bool Step(std::string& what);

 private:
  int32_t Below(int32_t n) { return int32_t(random_() % uint32_t(n)); }
  uint8_t Byte() { return uint8_t(random_()); }
  Qz_Image* AnyLayer() {
    const std::vector<Qz_Image*> layers = LayersOf(doc_.image);
    return layers[size_t(Below(int32_t(layers.size())))];
  }
  Qz_Image* OtherLayer() {
    for (;;)
      if (Qz_Image* l = AnyLayer(); l != tested_) return l;
  }
  void PaintRect(Qz_Image* layer, bool mark);
  void MakeTestedActive() { Qz_DoMethod(&doc_.image->object, kQzImageMakeActive, tested_); }

  std::mt19937 random_;
  Document& doc_;
  Qz_Image* tested_;
  Qz_Image* picture_;
  std::vector<Qz_Image*> removed_;
};

void RandomEdits::PaintRect(Qz_Image* layer, bool mark) {
  const int32_t x0 = Below(layer->width), y0 = Below(layer->height);
  const int32_t x1 = std::min(layer->width - 1, x0 + Below(20)), y1 = std::min(layer->height - 1, y0 + Below(6));
  for (int32_t y = y0; y <= y1; ++y)
    for (int32_t x = x0; x <= x1; ++x) layer->grey[y][x] = Byte();
  if (mark) Qz_ModifiedImageData(layer, x0, y0, x1, y1);
}

bool RandomEdits::Step(std::string& what) {
  Qz_Image* doc = doc_.image;
  Qz_Image* layer = OtherLayer();
  const bool wasBelow = IsBelow(doc, layer, tested_);
  bool below = wasBelow;
  switch (Below(18)) {
    case 0:
      what = "paint the layer itself";
      PaintRect(tested_, true);
      return false;
    case 1:
      what = "paint another layer";
      PaintRect(layer, true);
      break;
    case 2: {
      what = "write a field directly";
      switch (Below(6)) {
        case 0: layer->opacity = uint16_t(Below(257)); break;
        case 1: layer->blend[Below(9)] = uint16_t(128 + Below(129)); break;
        case 2: layer->visible = !layer->visible; break;
        case 3: layer->placement.layerX = int16_t(Below(9) - 4); break;
        case 4: layer->committedColour[Below(3)] = Byte(); break;
        default: layer->edgeShape = Below(4); break;
      }
      break;
    }
    case 3: {
      what = "set opacity, a blend word or the edge mask";
      const uint32_t ids[] = {0x10006f, 0x10032a, 0x10033e, 0x1003ac, 0x1003e8};
      const uint32_t id = ids[Below(5)];
      Qz_DoMethod(&layer->object, id, uint32_t(id == 0x1003e8 ? Below(4) : Below(200)));
      break;
    }
    case 4:
      what = "move a layer";
      Qz_DoMethod(&layer->object, 0x10024e, uint32_t(Below(7) - 3), uint32_t(Below(5) - 2), 0u, 0u);
      break;
    case 5:
      what = "hide or show a layer";
      Qz_DoMethod(&layer->object, layer->visible ? 0x1002c6u : 0x1002bcu);
      break;
    case 6:
      what = "move a layer up or down";
      Qz_DoMethod(&(Below(3) ? layer : tested_)->object, Below(2) ? 0x10026cu : 0x100276u);
      below = true;  // the order below may have changed
      break;
    case 7: {
      what = "change a mode's setting";
      if (layer->mode && layer->mode->objectClass == Qz_FindClassFromName("ColouriseMode"))
        Qz_DoMethod(layer->mode, kQzColouriseSetTargetRed, uint32_t(Byte()));  // asks for no re-render
      else
        Qz_DoMethod(layer->mode, kQzModeSetAmount, uint32_t(Below(9)));
      break;
    }
    case 8: {
      what = "commit another mode";
      if (layer->mode && layer->mode->objectClass == Qz_FindClassFromName("MirrorBelowMode")) return wasBelow;
      const char* names[] = {"Paint", "Multiply", "Overlay", "Screen", "Darken", "Colourise"};
      const char* name = names[Below(6)];
      layer->chosenMode = qztest::MakeMode(name, layer);
      std::snprintf(layer->chosenModeName, sizeof layer->chosenModeName, "%s", name);
      Qz_DoLayerDoesntNeedsFixing(layer);
      break;
    }
    case 9:
      what = "commit another colour";
      for (uint8_t& c : layer->chosenColour) c = Byte();
      Qz_DoLayerDoesntNeedsFixing(layer);
      break;
    case 10: {
      what = "change the background";
      const int32_t x0 = Below(kWidth - 8), y0 = Below(kHeight - 4);
      if (Below(2)) {
        for (Qz_Plane p : {doc->undoR, doc->undoG, doc->undoB})
          for (int32_t y = y0; y < y0 + 4; ++y) std::memset(p[y] + x0, Byte(), 8);
        Qz_ModifiedImageData(doc, x0, y0, x0 + 7, y0 + 3);
      } else {
        for (Qz_Plane p : {doc->r, doc->g, doc->b})
          for (int32_t y = y0; y < y0 + 4; ++y) std::memset(p[y] + x0, Byte(), 8);
        Qz_CopyImageToUndoData(doc, x0, y0, x0 + 7, y0 + 3, x0, y0);  // tells no one
      }
      return true;
    }
    case 11:
      what = "paint the alpha source of a layer";
      PaintRect(picture_, true);
      return true;
    case 12: {
      what = "add a layer";
      Qz_DoMethod(&doc->object, kQzImageMakeActive, AnyLayer());
      Qz_Image* added = doc_.AddPaintLayer(Below(2) ? "Multiply" : "Paint", {Byte(), Byte(), Byte()}, Below(20),
                                           Below(6), 30, 8, [](int32_t x, int32_t y) { return uint8_t(x * 9 + y * 31); });
      MakeTestedActive();
      return !added || IsBelow(doc, added, tested_);
    }
    case 13: {
      what = "take a layer out";
      if (layer->mode && layer->mode->objectClass == Qz_FindClassFromName("MirrorBelowMode")) return wasBelow;
      if (LayersOf(doc).size() <= 4) return wasBelow;
      Qz_DoMethod(&doc->object, kQzImageRemoveLayer, layer);
      removed_.push_back(layer);  // an undo step may still name it
      return wasBelow;
    }
    case 14: {
      what = "a step that puts pixels back quietly";
      auto* step = reinterpret_cast<QuietStep*>(Qz_CreateObject("QuietStepAction"));
      step->layer = layer;
      step->x0 = Below(layer->width), step->y0 = Below(layer->height);
      step->x1 = std::min(layer->width - 1, step->x0 + 10), step->y1 = std::min(layer->height - 1, step->y0 + 3);
      for (int32_t y = step->y0; y <= step->y1; ++y)
        for (int32_t x = step->x0; x <= step->x1; ++x) {
          step->before.push_back(layer->grey[y][x]);
          step->after.push_back(Byte());
        }
      Qz__Put(step, step->after);
      Qz_ModifiedImageData(layer, step->x0, step->y0, step->x1, step->y1);
      if (!Qz_AddImageAction(doc, &step->header, 0)) Qz_DisposeObject(&step->header);
      break;
    }
    case 15: {
      what = "change a colour as a step";
      Qz_DoMethod(&layer->object, kQzImageSetColour, uint32_t(random_() & 0xFFFFFF));
      Qz_DoLayerDoesntNeedsFixing(layer);
      break;
    }
    default: {
      what = Below(2) ? "undo" : "redo";
      if (what == "undo")
        Qz_UndoImageAction(doc);
      else
        Qz_RedoImageAction(doc);
      for (Qz_Image* l : LayersOf(doc)) Qz_DoLayerDoesntNeedsFixing(l);
      return true;  // the step may have been another layer's
    }
  }
  return below || IsBelow(doc, layer, tested_);
}

TEST_F(SharedBelowTest, CachedRenderEqualsAFreshOneAndOnlyChangesBelowFetchAgain) {
  const uint32_t first = FirstSeed();
  for (uint32_t seed = first; seed < first + 3; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    auto pattern = [&](int32_t salt) {
      return [salt](int32_t x, int32_t y) { return uint8_t((x * 37 + y * 91 + salt * 53) ^ (x * y)); };
    };
    Document doc(kWidth, kHeight, [](int32_t x, int32_t y) {
      return Rgb{uint8_t(x * 3 + y), uint8_t(200 - x * 2), uint8_t(y * 15 + x)};
    });
    Qz_Object* base = Qz_CreateObject("RootAction", kActionSetFlags, kActionPanelStop);
    ASSERT_EQ(Qz_AddImageAction(doc.image, base, 0), 1u);
    // Bottom to top: below the tested layer, a mode that reads the image below
    // it too, and a layer masked by an alpha source; above it, a plain layer.
    ASSERT_NE(doc.AddPaintLayer("Paint", {250, 10, 10}, 0, 0, kWidth, kHeight, pattern(1)), nullptr);
    Qz_Image* masked = doc.AddPaintLayer("Multiply", {30, 200, 90}, 5, 2, 50, 12, pattern(2));
    ASSERT_NE(masked, nullptr);
    ASSERT_NE(doc.AddPaintLayer("MirrorBelow", {0, 0, 0}, 3, 1, 40, 14, pattern(3)), nullptr);
    ASSERT_NE(doc.AddPaintLayer("Colourise", {90, 40, 160}, 0, 4, kWidth, 9, pattern(4)), nullptr);
    // Every third row is two runs, split by a clear gap.
    Qz_Image* tested = doc.AddPaintLayer("MirrorBelow", {0, 0, 0}, 0, 0, kWidth, kHeight, [](int32_t x, int32_t y) {
      return uint8_t(y % 3 == 0 && x >= 3 && x < 68 ? 0 : 1 + (x * 7 + y * 13) % 255);
    });
    ASSERT_NE(tested, nullptr);
    ASSERT_NE(doc.AddPaintLayer("Overlay", {200, 200, 40}, 10, 3, 30, 10, pattern(5)), nullptr);
    Document alpha(50, 12, [](int32_t x, int32_t y) { return Rgb{uint8_t(x * 5), uint8_t(y), 0}; });
    Qz_Image* picture = alpha.AddPaintLayer("Paint", {0, 0, 0}, 0, 0, 50, 12, pattern(6));
    ASSERT_NE(picture, nullptr);
    ASSERT_EQ(Qz_DoMethod(&masked->object, kQzImageSetFirstSource, picture), 1u);
    Qz_DoMethod(&doc.image->object, kQzImageMakeActive, tested);
    gFetches.layer = tested;

    RandomEdits edits(seed, doc, tested, picture);
    for (int step = 0; step < 80; ++step) {
      gFetches.forLayer = 0;
      std::string what;
      const bool below = edits.Step(what);
      SCOPED_TRACE("step " + std::to_string(step) + ": " + what);
      const int duringEdit = gFetches.forLayer.exchange(0);
      const std::vector<uint8_t> cached = Composite(doc);
      const int inPass = gFetches.forLayer.load();
      gFreshFetches = true;
      const std::vector<uint8_t> fresh = Composite(doc);
      gFreshFetches = false;
      ASSERT_EQ(cached, fresh) << "a kept image below showed what was there before";
      EXPECT_LE(inPass, 1) << "fetched once for all the strips";
      if (!below) {
        EXPECT_EQ(duringEdit + inPass, 0) << "nothing below changed, nothing is fetched again";
      }
      // A dab on the layer itself: its pass reads what it kept.
      const int32_t x = int32_t(random() % (kWidth - 5)), y = int32_t(random() % (kHeight - 5));
      for (int32_t row = y; row < y + 5; ++row) std::memset(tested->grey[row] + x, 0x80, 5);
      gFetches.forLayer = 0;
      Qz_ModifiedImageData(tested, x, y, x + 4, y + 4);
      EXPECT_EQ(gFetches.forLayer.load(), 0) << "a dab's pass composites nothing below again";
    }
    EXPECT_LE(Qz__SharedBelowCount(), qz::modes::kMaxSharedBelow);
    gFetches.layer = nullptr;
  }
  EXPECT_EQ(Qz__SharedBelowCount(), 0) << "disposed documents keep nothing";
}

// ---- the plain cases ------------------------------------------------------------------------------

TEST_F(SharedBelowTest, BottomLayerReadsTheBackgroundAndFetchesNothing) {
  Document doc(9, 5, [](int32_t x, int32_t y) { return Rgb{uint8_t(x), uint8_t(y), 7}; });
  Qz_Image* layer = doc.AddPaintLayer("MirrorBelow", {0, 0, 0}, 0, 0, 9, 5, [](int32_t, int32_t) { return uint8_t(255); });
  ASSERT_NE(layer, nullptr);
  gFetches.layer = layer;
  doc.Composite();
  EXPECT_EQ(gFetches.forLayer.load(), 0);
  EXPECT_EQ(Qz__SharedBelowCount(), 0);
  EXPECT_EQ(doc.Pixel(0, 0), (Rgb{8, 4, 7}));  // mirrored through the centre
  Qz_ImageLock block{};
  block.image = doc.image;
  qz::modes::SharedBelow whole(&block);  // without a layer: the composite itself
  ASSERT_TRUE(whole.ok());
  EXPECT_EQ(whole.view().r, doc.image->r);
}

// A mode keeps what it works out from the image below under the view's
// stamp: it must change with what lies below and with nothing else.
TEST_F(SharedBelowTest, StampsChangeWithWhatLiesBelowOnly) {
  Document doc(9, 5, [](int32_t x, int32_t y) { return Rgb{uint8_t(x), uint8_t(y), 7}; });
  Qz_Image* bottom = doc.AddPaintLayer("Paint", {200, 10, 10}, 0, 0, 9, 5, [](int32_t, int32_t) { return uint8_t(99); });
  Qz_Image* upper = doc.AddPaintLayer("MirrorBelow", {0, 0, 0}, 0, 0, 9, 5, [](int32_t, int32_t) { return uint8_t(255); });
  ASSERT_NE(bottom, nullptr);
  ASSERT_NE(upper, nullptr);
  auto stampFor = [&](Qz_Image* layer) {
    Qz_ImageLock block{};
    block.image = doc.image, block.layer = layer;
    qz::modes::SharedBelow below(&block);
    EXPECT_TRUE(below.ok());
    return below.stamp();
  };
  auto paint = [](Qz_Image* layer) {
    layer->grey[2][3] ^= 0x55;
    Qz_ModifiedImageData(layer, 3, 2, 3, 2);
  };
  const auto onUpper = stampFor(upper), onBottom = stampFor(bottom);
  EXPECT_EQ(stampFor(upper), onUpper) << "nothing changed: the same image";
  EXPECT_EQ(stampFor(bottom), onBottom);
  EXPECT_NE(onUpper, onBottom);
  paint(upper);
  EXPECT_EQ(stampFor(upper), onUpper) << "painting the layer itself changes nothing below it";
  paint(bottom);
  const auto afterBelow = stampFor(upper);
  EXPECT_NE(afterBelow, onUpper) << "a layer below was painted";
  EXPECT_EQ(stampFor(bottom), onBottom) << "the bottom layer reads the background, which did not change";
  doc.image->undoR[1][1] ^= 0x21;
  Qz_NoteImageChange(doc.image);
  EXPECT_NE(stampFor(bottom), onBottom) << "the background changed";
  EXPECT_NE(stampFor(upper), afterBelow);
}

TEST_F(SharedBelowTest, KeepsAFewImagesAndLetsGoOfADisposedDocumentsOnes) {
  std::vector<std::unique_ptr<Document>> docs;
  for (int i = 0; i < qz::modes::kMaxSharedBelow + 2; ++i) {
    docs.push_back(std::make_unique<Document>(8, 4, [i](int32_t x, int32_t) { return Rgb{uint8_t(x * i), 0, 0}; }));
    ASSERT_NE(docs.back()->AddPaintLayer("Paint", {1, 1, 1}, 0, 0, 8, 4, [](int32_t, int32_t) { return uint8_t(99); }),
              nullptr);
    ASSERT_NE(docs.back()->AddPaintLayer("MirrorBelow", {0, 0, 0}, 0, 0, 8, 4,
                                         [](int32_t, int32_t) { return uint8_t(255); }),
              nullptr);
    docs.back()->Composite();
    EXPECT_LE(Qz__SharedBelowCount(), qz::modes::kMaxSharedBelow);
  }
  EXPECT_EQ(Qz__SharedBelowCount(), qz::modes::kMaxSharedBelow);
  docs.back().reset();
  EXPECT_EQ(Qz__SharedBelowCount(), qz::modes::kMaxSharedBelow - 1);
  docs.clear();
  EXPECT_EQ(Qz__SharedBelowCount(), 0);
}

}  // namespace
