// Undo and redo over flood fills, which leave checkpoints a replay may start
// from: random fills, strokes and settings on two layers over a busy
// background, undone and redone, against the layers as each step left them
// and against documents rebuilt from scratch; and the grounds a checkpoint
// must not be used on (the layer moved or the background changed since),
// where the layer is rebuilt as a replay from the restore point gives it.
#include <random>

#include "action_fixture.h"
#include "actions/action_internal.h"
#include "image/qz_image.h"

namespace qztest {
namespace {

constexpr int32_t kW = 61, kH = 47;

// Shading in bands with grain and walls, so fills of several tolerances
// reach regions of very different sizes.
void PaintBackground(Qz_Image* doc, uint32_t seed) {
  std::mt19937 random(seed);
  for (int32_t y = 0; y < kH; ++y)
    for (int32_t x = 0; x < kW; ++x) {
      const bool wall = (x + 2 * y) % 17 == 0 && random() % 3 != 0;
      const uint8_t v = uint8_t(wall ? 230 : (x * 2 + y) % 70 + random() % 5);
      doc->undoR[y][x] = v, doc->undoG[y][x] = uint8_t(v / 2 + 20), doc->undoB[y][x] = uint8_t(90 - v / 3);
    }
}

struct Step {
  enum Kind { kFill, kStroke, kColour } kind;
  int layer;
  int32_t x, y, tolerance, softness;
  uint32_t button;
  std::vector<std::pair<int32_t, int32_t>> points;
};

class FillUndoTest : public ActionTest {
 protected:
  Qz_Image* Document(uint32_t seed, int32_t placeX = 0) {
    Qz_Image* doc = MakeDocument(kW, kH, 2);
    PaintBackground(doc, seed);
    for (int i = 0; i < 2; ++i) Layer(doc, i)->placement.layerX = int16_t(i == 0 ? placeX : 0);
    return doc;
  }
  void Perform(Qz_Image* doc, const Step& s) {
    Qz_Image* layer = Layer(doc, s.layer);
    Qz_Object* action = nullptr;
    switch (s.kind) {
      case Step::kFill:
        action = Qz_CreateObject("FloodFillAction", kActionSetQualifier, s.button, kFloodFillSetSoftness,
                                 uint32_t(s.softness), kFloodFillSetTolerance, uint32_t(s.tolerance), 0u);
        ASSERT_NE(action, nullptr);
        Qz_DoMethod(action, kActionStartPoints, kActionSetX, uint32_t(s.x), kActionSetY, uint32_t(s.y), 0u);
        break;
      case Step::kStroke: action = MakeStroke(s.points, s.button); break;
      case Step::kColour:
        action = Qz_CreateObject("ColourAction");
        ASSERT_NE(action, nullptr);
        Qz_DoMethod(action, kColourActionSetRGB, uint32_t(s.x));
        Qz_DoMethod(action, kColourActionSetNewRGB, uint32_t(s.x));
        break;
    }
    ASSERT_NE(action, nullptr);
    // Added, then applied, as the tools do.
    ASSERT_EQ(Qz_AddLayerAction(layer, action, 0), 1u);
    Qz_DoMethod(action, kActionApply);
  }
  static std::vector<std::vector<uint8_t>> Layers(Qz_Image* doc) {
    std::vector<std::vector<uint8_t>> planes;
    for (Qz_Image* l = first_layer(doc); l; l = next_layer(l)) planes.push_back(Plane(l->grey, l->width, l->height));
    return planes;
  }
  // The steps on a fresh document of the same background and placement.
  std::vector<std::vector<uint8_t>> Rebuilt(uint32_t seed, const std::vector<Step>& steps, size_t count,
                                            int32_t placeX = 0) {
    Qz_Image* doc = Document(seed, placeX);
    for (size_t i = 0; i < count; ++i) Perform(doc, steps[i]);
    std::vector<std::vector<uint8_t>> planes = Layers(doc);
    DisposeDocument(doc);
    return planes;
  }
  static std::vector<Step> RandomSteps(uint32_t seed, size_t count) {
    std::mt19937 random(seed);
    auto pick = [&](int n) { return int32_t(random() % uint32_t(n)); };
    std::vector<Step> steps;
    for (size_t i = 0; i < count; ++i) {
      Step s{Step::Kind(pick(10) < 6 ? 0 : 1), pick(3) == 0 ? 1 : 0, pick(kW), pick(kH),
             1 + pick(80), 10 + pick(91), uint32_t(pick(3) == 0 ? 2 : 1), {}};
      if (s.kind == Step::kStroke)
        for (int p = 0, n = 2 + pick(3); p < n; ++p) s.points.push_back({pick(kW), pick(kH)});
      if (s.kind == Step::kColour) s.x = pick(0x1000000);
      steps.push_back(s);
    }
    return steps;
  }
};

TEST_F(FillUndoTest, UndoAndRedoGiveEveryStepsLayersBack) {
  for (uint32_t seed : {3u, 11u, 29u}) {
    SCOPED_TRACE(seed);
    const std::vector<Step> steps = RandomSteps(seed, 16);
    Qz_Image* doc = Document(seed);
    std::vector<std::vector<std::vector<uint8_t>>> after{Layers(doc)};
    for (const Step& s : steps) {
      Perform(doc, s);
      after.push_back(Layers(doc));
    }
    ASSERT_EQ(after.back(), Rebuilt(seed, steps, steps.size()));
    // Down five, up two, down to the bottom, up to the top.
    std::mt19937 random(seed);
    size_t at = steps.size();
    auto move = [&](bool undo) {
      ASSERT_EQ(undo ? Qz_UndoImageAction(doc) : Qz_RedoImageAction(doc), 1u);
      at = undo ? at - 1 : at + 1;
      ASSERT_EQ(Layers(doc), after[at]) << "at step " << at;
    };
    for (int i = 0; i < 5; ++i) move(true);
    for (int i = 0; i < 2; ++i) move(false);
    while (at > 0) move(true);
    EXPECT_EQ(Qz_UndoImageAction(doc), 0u);
    while (at < steps.size()) move(false);
    ASSERT_EQ(Layers(doc), Rebuilt(seed, steps, steps.size()));
    TearDown();
  }
}

TEST_F(FillUndoTest, ACheckpointIsNotUsedOnAnotherGround) {
  const std::vector<Step> steps = {
      {Step::kFill, 0, 30, 20, 40, 50, 1, {}},
      {Step::kFill, 0, 5, 40, 60, 30, 2, {}},
      {Step::kFill, 0, 50, 5, 25, 80, 1, {}},
      {Step::kStroke, 0, 0, 0, 0, 0, 1, {{3, 3}, {40, 30}}},
  };
  const struct {
    const char* name;
    bool moveLayer, changeBackground;
  } cases[] = {{"the layer moved", true, false}, {"the background changed", false, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Qz_Image* doc = Document(5);
    for (const Step& s : steps) Perform(doc, s);
    // Changed outside the undo list: the replay fills on the new ground.
    if (c.moveLayer) Layer(doc, 0)->placement.layerX = 4;
    if (c.changeBackground) PaintBackground(doc, 6);
    ASSERT_EQ(Qz_UndoImageAction(doc), 1u);
    Qz_Image* fresh = Document(c.changeBackground ? 6 : 5, c.moveLayer ? 4 : 0);
    for (size_t i = 0; i + 1 < steps.size(); ++i) Perform(fresh, steps[i]);
    EXPECT_EQ(Layers(doc), Layers(fresh));
    TearDown();
  }
}

}  // namespace
}  // namespace qztest
