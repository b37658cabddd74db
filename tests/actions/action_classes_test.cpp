// RootAction's stroke replay to the media, sizes, bounds and names; the
// colour, mode and media-settings actions; the mode choice.
#include "action_fixture.h"

namespace qztest {
namespace {

class ActionClassesTest : public ActionTest {};

TEST_F(ActionClassesTest, LineReplaySendsEachSegmentThenTheEnd) {
  struct Case {
    const char* name;
    uint32_t flags, method, symmetry;
    size_t lines;
    uint32_t strokeFlags;
  };
  const Case cases[] = {
      {"freehand", kActionFreehand, kActionApply, 0, 2, 0},
      {"lines continue the stroke", kActionLines, kActionApply, 0, 2, kStrokeContinue},
      {"outline closes", kActionOutline, kActionApply, 0, 3, kStrokeContinue},
      {"quiet apply", kActionFreehand, kActionApplyQuiet, 0, 2, kStrokeQuiet},
      {"symmetry 4", kActionFreehand, kActionApply, 4, 8, 0},
      {"symmetry 7 gives exactly 7 copies", kActionFreehand, kActionApply, 7, 14, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Qz_Image* doc = MakeDocument(20, 20, 1);
    Qz_Object* a = MakeStroke({{2, 3}, {5, 3}, {5, 9}}, 1, c.flags);
    Qz_DoMethod(a, kActionSetSymmetry, c.symmetry);
    ASSERT_EQ(Qz_AddLayerAction(Layer(doc, 0), a, 0), 1u);
    MediaLog(doc->media).clear();
    Qz_DoMethod(a, c.method);
    const auto& log = MediaLog(doc->media);
    ASSERT_EQ(log.size(), c.lines + 1);
    for (size_t i = 0; i < c.lines; ++i) {
      EXPECT_EQ(log[i].kind, kMediaStrokeLine);
      EXPECT_EQ(log[i].flags, c.strokeFlags);
      EXPECT_EQ(log[i].button, 1u);
    }
    EXPECT_EQ(log.back().kind, 0u);
    if (c.symmetry == 0) {
      EXPECT_EQ(std::vector<int32_t>(log[0].coords, log[0].coords + 4),
                (std::vector<int32_t>{2, 3, 5, 3}));
      if (c.lines == 3) {
        EXPECT_EQ(std::vector<int32_t>(log[2].coords, log[2].coords + 4),
                  (std::vector<int32_t>{5, 9, 2, 3}));
      }
    }
    TearDown();
  }
}

TEST_F(ActionClassesTest, CurveNeedsThreePointsAndPressureTravelsInTheTabletRecord) {
  Qz_Image* doc = MakeDocument(20, 20, 1);
  Qz_Object* curve = MakeStroke({{1, 1}, {5, 9}, {9, 1}}, 2, kActionCurve);
  ASSERT_EQ(Qz_AddLayerAction(Layer(doc, 0), curve, 0), 1u);
  Qz_DoMethod(curve, kActionApply);
  auto& log = MediaLog(doc->media);
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0].kind, kMediaStrokeCurve);
  EXPECT_EQ(log[0].button, 2u);
  EXPECT_EQ(std::vector<int32_t>(log[0].coords, log[0].coords + 6),
            (std::vector<int32_t>{1, 1, 5, 9, 9, 1}));
  log.clear();
  Qz_Object* shortCurve = MakeStroke({{1, 1}, {5, 9}}, 1, kActionCurve);
  ASSERT_EQ(Qz_AddLayerAction(Layer(doc, 0), shortCurve, 0), 1u);
  Qz_DoMethod(shortCurve, kActionApply);
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].kind, 0u);
  log.clear();
  Qz_Object* pressed = MakeStroke({}, 1, kActionLines);
  Qz_DoMethod(pressed, kActionStartPoints, kActionSetX, 1, kActionSetY, 1, kPointSetPressure, 77);
  Qz_DoMethod(pressed, kActionStartPoints, kActionSetX, 4, kActionSetY, 1, kPointSetPressure, 99);
  ASSERT_EQ(Qz_AddLayerAction(Layer(doc, 0), pressed, 0), 1u);
  Qz_DoMethod(pressed, kActionApply);
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0].pressure, 99u);
}

TEST_F(ActionClassesTest, SizesBoundsUndoCopyAndNames) {
  Qz_Image* doc = MakeDocument(10, 8, 1);
  Qz_Object* a = MakeStroke({{3, -2}, {7, 5}});
  EXPECT_EQ(Qz_DoMethod(a, kActionBaseSize), 2u * 40 + 4);
  EXPECT_EQ(Qz_DoMethod(a, kActionTotalSize), 2u * 40 + 4);
  EXPECT_EQ(Qz_DoMethod(a, kActionDropUndoData), 0u);
  EXPECT_EQ(Qz_DoMethod(a, kActionGetUndoable), 1u);
  ASSERT_EQ(Qz_AddLayerAction(Layer(doc, 0), a, 0), 1u);
  auto* bounds = reinterpret_cast<const int32_t*>(Qz_DoMethod(a, kActionGetBounds));
  EXPECT_EQ(std::vector<int32_t>(bounds, bounds + 4), (std::vector<int32_t>{3, -2, 5, 8}));
  Qz_Object* empty = MakeStroke({});
  Qz_DoMethod(empty, kActionRecomputeBounds);
  bounds = reinterpret_cast<const int32_t*>(Qz_DoMethod(empty, kActionGetBounds));
  EXPECT_EQ(std::vector<int32_t>(bounds, bounds + 4), (std::vector<int32_t>{0, 0, 0, 0}));
  Qz_DisposeObject(empty);
  ASSERT_EQ(Qz_DoMethod(a, kActionTakeUndoCopy), 1u);
  // The copy counts by its own size (the 24-bit document), as the limit does.
  EXPECT_EQ(Qz_DoMethod(a, kActionTotalSize), 84u + 10 * 8 * 3);
  EXPECT_EQ(Qz_DoMethod(a, kActionDropUndoData), 1u);
  EXPECT_EQ(Qz_DoMethod(a, kActionGetUndoable), 0u);
  EXPECT_EQ(Qz_DoMethod(a, kActionTotalSize), 84u);

  struct Name {
    uint32_t flags, qualifier, number;
  };
  for (const Name& n : {Name{0x2, 1, 137}, Name{0x2, 2, 138}, Name{0x4, 1, 127}, Name{0x4, 2, 128},
                        Name{0x10, 1, 139}, Name{0x20, 2, 142}, Name{0x40, 1, 143},
                        Name{0x40, 2, 144}, Name{0x400, 1, 0}})
    EXPECT_EQ(Qz__ActionNameNumber(n.flags, n.qualifier), n.number) << n.flags;
}

TEST_F(ActionClassesTest, UndoCopyRestoresADifferentSizeWithItsLayers) {
  Qz_Image* doc = MakeDocument(10, 10, 1);
  for (int32_t y = 0; y < 10; ++y)
    for (int32_t x = 0; x < 10; ++x) {
      doc->r[y][x] = uint8_t(x * 7);
      doc->b[y][x] = uint8_t(y * 9);
      Layer(doc, 0)->grey[y][x] = uint8_t(x + y);
    }
  Qz_CopyImageToUndoData(doc, 0, 0, 9, 9, 0, 0);  // the document's background
  const auto r = Plane(doc->r, 10, 10), b = Plane(doc->b, 10, 10);
  const auto grey = Plane(Layer(doc, 0)->grey, 10, 10);
  Qz_Object* a = Qz_CreateObject("TransformAction", kTransformActionSetWidth, 6u,
                                 kTransformActionSetHeight, 4u, kTransformActionSetFlags, 4u);
  ASSERT_EQ(Qz_AddImageAction(doc, a, 0), 1u);
  ASSERT_EQ(Qz_DoMethod(a, kActionApply), 1u);
  EXPECT_EQ(doc->width, 6);
  EXPECT_EQ(Layer(doc, 0)->width, 6);
  ASSERT_EQ(Qz_UndoImageAction(doc), 1u);
  ASSERT_EQ(doc->width, 10);
  ASSERT_EQ(doc->height, 10);
  EXPECT_EQ(Plane(doc->r, 10, 10), r);
  EXPECT_EQ(Plane(doc->b, 10, 10), b);
  EXPECT_EQ(Plane(Layer(doc, 0)->grey, 10, 10), grey);
}

uint32_t Chosen(Qz_Image* l) {
  return l->chosenColour[0] | l->chosenColour[1] << 8 | uint32_t(l->chosenColour[2]) << 16;
}

TEST_F(ActionClassesTest, ColourUndoGoesBackOneChangeOfTheSameLayer) {
  Qz_Image* doc = MakeDocument(4, 4, 2);
  Qz_Image* first = Layer(doc, 0);
  const uint32_t start = Chosen(first);  // the current colour, taken when linked
  EXPECT_EQ(Chosen(Layer(doc, 1)), start);
  auto change = [&](Qz_Image* layer, uint32_t colour) {
    Qz_Object* c = Qz_CreateObject("ColourAction");
    // A colour change belongs to the step before it: a stroke gives each
    // change a step of its own, undone with it.
    Stroke(layer, {{1, 1}});
    Qz_DoMethod(c, kActionSetLayer, layer);
    Qz_DoMethod(c, kColourActionRecord, colour);
    ASSERT_EQ(Qz_AddLayerAction(layer, c, 0), 1u);
    Qz_DoMethod(c, kActionApply);
  };
  change(first, 0x0000AA);
  change(first, 0x00BB00);
  change(Layer(doc, 1), 0x123456);
  change(first, 0xCC0000);
  EXPECT_EQ(Chosen(first), 0xCC0000u);
  ASSERT_EQ(Qz_UndoImageAction(doc), 1u);
  EXPECT_EQ(Chosen(first), 0x00BB00u);
  ASSERT_EQ(Qz_UndoImageAction(doc), 1u);  // the other layer's change
  EXPECT_EQ(Chosen(Layer(doc, 1)), start);
  ASSERT_EQ(Qz_UndoImageAction(doc), 1u);
  EXPECT_EQ(Chosen(first), 0x0000AAu);
  ASSERT_EQ(Qz_UndoImageAction(doc), 1u);
  EXPECT_EQ(Chosen(first), start);  // the colour before the first change

  // Applying a change already shown does not ask for fixing. (A re-render
  // the other layer asked for may have committed this layer's colour.)
  const uint32_t committed = uint32_t(first->committedColour[0]) |
                             uint32_t(first->committedColour[1]) << 8 |
                             uint32_t(first->committedColour[2]) << 16;
  Qz_Object* c = Qz_CreateObject("ColourAction", kColourActionSetRGB, committed,
                                 kColourActionSetNewRGB, Chosen(first));
  Qz_DoMethod(c, kActionSetLayer, first);
  const int32_t before = first->needsFixing.load();
  Qz_DoMethod(c, kActionApply);
  EXPECT_EQ(first->needsFixing.load(), before);
  Qz_DisposeObject(c);
}

// Probe modes, counted, standing in for the mode classes.
int gProbeModes = 0;
Qz_Class gProbe, gOtherProbe;
const Qz_Method kNone[] = {{0, nullptr, 0, 0, nullptr, 0, nullptr, 0, 0}};

void RegisterProbe(Qz_Class& c, const char* name) {
  if (c.registered) return;
  c.name = name;
  c.node.ln_Name = const_cast<char*>(name);
  c.classId = 0x800;
  c.version = 2;
  c.newObject = [](Qz_Class* k, const QzWord*) {
    Qz_Object* o = Qz_AllocObjectMem(k);
    if (o) { o->super = Qz_CreateObject("Root"); ++gProbeModes; }
    return o;
  };
  c.dispose = [](Qz_Object* o) { --gProbeModes; Qz_DisposeObject(o->super); Qz_FreeObjectMem(o); };
  c.dispatch = [](Qz_Object* o, uint32_t id, const QzWord* w) { return Qz_DoMethodA(o->super, id, w); };
  c.methods = kNone;
  c.objectSize = sizeof(Qz_Object);
  ASSERT_EQ(Qz_AddClass(&c), 1u);
  c.registered = 1;
}

TEST_F(ActionClassesTest, ModeChoiceAndItsUndo) {
  RegisterProbe(gProbe, "ProbeMode");
  RegisterProbe(gOtherProbe, "OtherProbeMode");
  Qz_Image* doc = MakeDocument(4, 4, 1);
  Qz_Image* layer = Layer(doc, 0);
  const int live = gProbeModes;
  ASSERT_EQ(Qz__ApplyLayerMode(layer, "Probe"), 1);
  EXPECT_EQ(Qz__ApplyLayerMode(layer, "Probe"), 1);
  EXPECT_EQ(gProbeModes, live + 1) << "choosing the chosen mode makes nothing";
  Qz_Object* chosen = layer->chosenMode;
  EXPECT_EQ(Qz__ApplyLayerMode(layer, "NoSuch"), 0);
  EXPECT_EQ(layer->chosenMode, chosen);
  EXPECT_STREQ(layer->chosenModeName, "Probe");
  ASSERT_EQ(Qz__ApplyLayerMode(layer, "OtherProbe"), 1);
  EXPECT_EQ(layer->mode, chosen) << "the waiting choice moves into force";
  EXPECT_STREQ(layer->modeName, "Probe");
  EXPECT_STREQ(layer->chosenModeName, "OtherProbe");

  // A recorded choice, undone with no older choice: the mode before it returns.
  Qz_Object* m = Qz_CreateObject("ModeAction");
  Qz_DoMethod(m, kActionSetLayer, layer);
  Qz_DoMethod(m, kModeActionSetName, "Probe");
  ASSERT_EQ(Qz_AddLayerAction(layer, m, 0), 1u);
  Qz_DoMethod(m, kActionApply);
  EXPECT_STREQ(layer->chosenModeName, "Probe");
  ASSERT_EQ(Qz_UndoImageAction(doc), 1u);
  EXPECT_STREQ(layer->chosenModeName, "Probe") << "the name in force before the choice";
  EXPECT_STREQ(reinterpret_cast<const char*>(Qz_DoMethod(m, kActionGetName)), "Probe");
}

TEST_F(ActionClassesTest, MediaSettingsPutBackWhatWasInForce) {
  Qz_Image* doc = MakeDocument(4, 4, 1);
  auto* media = reinterpret_cast<RecordingMedia*>(doc->media);
  Qz_Object* s = Qz_CreateObject("MediaSettingsAction", kMediaSetPressure, 80u);
  ASSERT_EQ(Qz_AddLayerAction(Layer(doc, 0), s, 0), 1u);
  Qz_DoMethod(s, kActionApply);
  EXPECT_EQ(media->strength, 80u);
  EXPECT_EQ(media->size, 10u) << "an unset size is left alone";
  ASSERT_EQ(Qz_UndoImageAction(doc), 1u);
  EXPECT_EQ(media->strength, 50u);
  ASSERT_EQ(Qz_RedoImageAction(doc), 1u);
  EXPECT_EQ(media->strength, 80u);
}

}  // namespace
}  // namespace qztest
