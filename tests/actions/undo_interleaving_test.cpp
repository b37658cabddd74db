// Seeded random interleavings of strokes, fills, inverts, transforms, undos
// and redos: after every step the document must equal the one rebuilt from
// scratch with the steps that are in force. Strokes are laid by the
// recording media's traces or by the program's airbrush. QZ_UNDO_STEPS sets
// a longer run.
#include <cstdlib>
#include <random>

#include "action_fixture.h"
#include "image/qz_scaling.h"
#include "media/qz_root_media.h"
#include "objects/qz_linked_list.h"

namespace qztest {
namespace {

struct Edit {
  enum Kind { kStroke, kFill, kInvertLayer, kInvertImage, kTransform } kind;
  int layer;
  uint32_t value;  // stroke qualifier, fill value, or transform flags
  int32_t width, height;  // transform size
  std::vector<std::pair<int32_t, int32_t>> points;
};

struct State {
  std::vector<int32_t> sizes;
  std::vector<std::vector<uint8_t>> planes;
  bool operator==(const State&) const = default;
};

void PrintTo(const State& s, std::ostream* out) {
  *out << "sizes";
  for (int32_t v : s.sizes) *out << ' ' << v;
  *out << ", plane sums";
  for (const auto& p : s.planes) {
    uint64_t sum = 0;
    for (uint8_t v : p) sum += v;
    *out << ' ' << sum;
  }
}

class UndoInterleavingTest : public ActionTest {
 protected:
  void Perform(Qz_Image* doc, const Edit& e) {
    Qz_Image* layer = Layer(doc, e.layer);
    Qz_Object* action = nullptr;
    switch (e.kind) {
      case Edit::kStroke: action = MakeStroke(e.points, e.value); break;
      case Edit::kFill:
        action = Qz_CreateObject("FillImageAction", kFillImageActionSetValue, e.value);
        break;
      case Edit::kInvertLayer: action = Qz_CreateObject("InvertImageAction"); break;
      case Edit::kInvertImage:
      case Edit::kTransform: {
        // Steps of the whole image, as the image commands make them.
        action = e.kind == Edit::kTransform
                     ? Qz_CreateObject("TransformAction", kTransformActionSetWidth, e.width,
                                       kTransformActionSetHeight, e.height,
                                       kTransformActionSetFlags, e.value)
                     : Qz_CreateObject("InvertImageAction");
        ASSERT_EQ(Qz_AddImageAction(doc, action, 0), 1u);
        if (e.kind == Edit::kInvertImage) Qz_DoMethod(action, kActionSetLayer, 0u);
        Qz_DoMethod(action, kActionApply);
        return;
      }
    }
    ASSERT_NE(action, nullptr);
    ASSERT_EQ(Qz_AddLayerAction(layer, action, 0), 1u);
    Qz_DoMethod(action, kActionApply);
  }

  static State Snapshot(Qz_Image* doc) {
    State s;
    for (Qz_Image* image = doc; image; image = image == doc ? first_layer(doc) : next_layer(image)) {
      s.sizes.insert(s.sizes.end(), {image->width, image->height});
      if (image == doc) {
        for (Qz_Plane p : {doc->r, doc->g, doc->b}) s.planes.push_back(Plane(p, doc->width, doc->height));
      } else {
        s.planes.push_back(Plane(image->grey, image->width, image->height));
      }
    }
    return s;
  }

  // A document of the case's layers, painting with the case's media.
  Qz_Image* NewDocument() {
    Qz_Image* doc = MakeDocument(kWidth, kHeight, layers_);
    if (airbrush_) {
      Qz_DisposeObject(doc->media);
      doc->media = Qz_CreateObject("AirBrushMedia", kMediaSize, 3u);
      EXPECT_NE(doc->media, nullptr);
    }
    return doc;
  }

  State Rebuilt(const std::vector<Edit>& edits) {
    Qz_Image* doc = NewDocument();
    for (const Edit& e : edits) Perform(doc, e);
    State s = Snapshot(doc);
    DisposeDocument(doc);
    return s;
  }

  Edit RandomEdit(std::mt19937& random) {
    auto pick = [&](int n) { return int(random() % uint32_t(n)); };
    Edit e{Edit::Kind(pick(5)), pick(layers_), 0, 0, 0, {}};
    switch (e.kind) {
      case Edit::kStroke:
        e.value = pick(4) == 0 ? 2 : 1;
        // Strokes of no or one point draw nothing but are steps all the same.
        for (int p = 0, n = pick(5); p < n; ++p) e.points.push_back({pick(kWidth), pick(kHeight)});
        break;
      case Edit::kFill: e.value = pick(3) == 0 ? 0 : 1 + pick(255); break;
      case Edit::kTransform: {
        // Often to the size it has, which changes nothing.
        static const std::pair<int32_t, int32_t> kSizes[] = {{kWidth, kHeight}, {12, 9}, {20, 10}};
        const auto [w, h] = kSizes[pick(3)];
        e.width = w;
        e.height = h;
        e.value = kQzScaleLayers | kQzScaleNoProgress | (pick(2) ? uint32_t(kQzScaleSmooth) : 0u);
        break;
      }
      default: break;
    }
    return e;
  }

  // Counts the undos and redos that moved a step into undos and redos.
  void Run(uint32_t seed, int layers, uint32_t undoLevels, bool airbrush, int steps, int& undos,
           int& redos) {
    layers_ = layers;
    airbrush_ = airbrush;
    Qz_ImageBase* base = Qz_GetImageBase();
    const uint32_t savedLevels = base->undoLevels.load();
    base->undoLevels = undoLevels;
    std::mt19937 random(seed);
    Qz_Image* doc = NewDocument();
    Qz_Object* undoList = Qz_GetUndoList(doc);
    std::vector<Edit> done, undone;
    // Snapshots of rebuilt documents, by the number of steps in force; those
    // past the steps in force hold for redo until a new step.
    std::vector<State> expected{Rebuilt({})};
    // The media paints: a stroke changes its layer.
    ASSERT_NE(Rebuilt({Edit{Edit::kStroke, 0, 1, 0, 0, {{2, 2}, {12, 9}}}}), expected[0]);
    for (int step = 0; step < steps; ++step) {
      SCOPED_TRACE("seed " + std::to_string(seed) + ", step " + std::to_string(step));
      const int r = int(random() % 100);
      // Mostly edits while few steps are in force, mostly moves after.
      if (r < (done.size() < 30 ? 45 : 20)) {
        done.push_back(RandomEdit(random));
        undone.clear();
        Perform(doc, done.back());
        expected.resize(done.size());
        expected.push_back(Rebuilt(done));
      } else if (r < 75) {
        Qz_Object* head = reinterpret_cast<Qz_Object*>(Qz_DoMethod(undoList, kLinkedListFirst));
        if (Qz_UndoImageAction(doc)) {
          ++undos;
          undone.push_back(done.back());
          done.pop_back();
        } else {
          // Only the document's first step and a step whose undo data the
          // memory limit dropped cannot be undone.
          ASSERT_TRUE(done.empty() || Qz_DoMethod(head, kActionGetUndoable) == 0);
        }
      } else {
        if (Qz_RedoImageAction(doc)) {
          ++redos;
          ASSERT_FALSE(undone.empty());
          done.push_back(undone.back());
          undone.pop_back();
        } else {
          ASSERT_TRUE(undone.empty());
        }
      }
      ASSERT_EQ(Snapshot(doc), expected[done.size()]) << done.size() << " steps in force";
    }
    base->undoLevels = savedLevels;
    TearDown();
  }

  static constexpr int32_t kWidth = 16, kHeight = 12;
  int layers_ = 2;
  bool airbrush_ = false;
};

TEST_F(UndoInterleavingTest, EveryStepEqualsTheDocumentRebuiltFromScratch) {
  const char* longer = std::getenv("QZ_UNDO_STEPS");
  const int steps = longer ? std::atoi(longer) : 600;
  struct Case {
    uint32_t seed;
    int layers;
    uint32_t undoLevels;  // 0: no memory limit
    bool airbrush;
  };
  int undos = 0, redos = 0;
  const Case cases[] = {{1, 2, 0, false}, {2, 3, 0, false}, {3, 2, 1, false},
                        {4, 3, 1, false}, {5, 3, 2, true}, {6, 2, 0, true}};
  for (const Case& c : cases) {
    Run(c.seed, c.layers, c.undoLevels, c.airbrush, steps, undos, redos);
    if (HasFatalFailure()) return;
  }
  // The moves were made, not only refused.
  EXPECT_GT(undos, steps / 2);
  EXPECT_GT(redos, steps / 8);
}

}  // namespace
}  // namespace qztest
