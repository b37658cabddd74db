// The Image methods that edit layers through actions: each command leaves an
// undoable step (undo and redo bring the pixels back), the fix needs its
// collapse class, mode, colour and media choices reuse the newest step of
// their kind, and linking a layer records the settings it starts with.
#include <cstring>
#include <map>

#include "action_fixture.h"
#include "image/image_shell.h"
#include "image/image_text.h"
#include "objects/qz_class_record.h"
#include "objects/qz_linked_list.h"
#include "objects/qz_notify.h"
#include "objects/qz_root.h"

namespace qztest {
namespace {

constexpr uint32_t kClearLayer = 0x1000c8;
constexpr uint32_t kFillLayer = 0x1000d2;
constexpr uint32_t kInvertImage = 0x1000dc;
constexpr uint32_t kInvertLayer = 0x1000e6;
constexpr uint32_t kDeleteLayer = 0x100082;
constexpr uint32_t kLayerFilled = 0x13008c;
constexpr uint32_t kRecordMediaSetting = 0x100032;
constexpr uint32_t kSetGreen = 0x130051;
constexpr uint32_t kMediaGetKind = 0x110186;

const Qz_Method kNoMethods[] = {{0, nullptr, 0, 0, nullptr, 0, nullptr, 0, 0}};

Qz_Object* NewOverRoot(Qz_Class* c, const QzWord*) {
  Qz_Object* o = Qz_AllocObjectMem(c);
  if (o) o->super = Qz_CreateObject("Root");
  return o;
}
void DisposeOverRoot(Qz_Object* o) {
  Qz_DisposeObject(o->super);
  Qz_FreeObjectMem(o);
}

// Registers a stand-in class for the length of one test.
class StandInClass {
 public:
  StandInClass(const char* name, uint32_t classId, Qz_DispatchFunction dispatch, uint32_t size) {
    spec_ = {name, "test", classId, "Root", NewOverRoot, DisposeOverRoot, dispatch, kNoMethods,
             size, 0};
    record_ = Qz_Class{};
    EXPECT_EQ(Qz_RegisterClassRecord(&record_, &spec_), 1u);
  }
  ~StandInClass() { Qz_UnregisterClassRecord(&record_); }

 private:
  Qz_ClassSpec spec_;
  Qz_Class record_;
};

// The collapse stand-in: keeps what the undo list asks and counts applies.
struct Collapse {
  Qz_Object header;
  Qz_Image* layer;
  uint32_t qualifier;
  int applied, undone;
};
QzWord CollapseDispatch(Qz_Object* o, uint32_t id, const QzWord* args) {
  auto* c = reinterpret_cast<Collapse*>(o);
  switch (id) {
    case kActionSetQualifier: c->qualifier = uint32_t(args[0]); return 0;
    case kActionGetQualifier: return c->qualifier;
    case kActionSetLayer: c->layer = reinterpret_cast<Qz_Image*>(args[0]); return 0;
    case kActionGetLayer: return qz::toWord(c->layer);
    case kActionApply: ++c->applied; return 1;
    case kActionUndo: ++c->undone; return 1;
    case kActionGetUndoable: return 1;
    default: return Qz_DoMethodA(o->super, id, args);
  }
}

// A mode stand-in: "<name>Mode" classes that need nothing.
QzWord ModeDispatch(Qz_Object* o, uint32_t id, const QzWord* args) {
  return Qz_DoMethodA(o->super, id, args);
}

// A media stand-in with a name and a kind.
struct KindMedia {
  Qz_Object header;
  const char* name;
  uint32_t kind, size, strength;
};
QzWord KindMediaDispatch(Qz_Object* o, uint32_t id, const QzWord* args) {
  auto* m = reinterpret_cast<KindMedia*>(o);
  switch (id) {
    case kRootGetObjectName: return qz::toWord(m->name);
    case kMediaGetKind: return m->kind;
    case kMediaGetSize: return m->size;
    case kMediaSetSize: m->size = uint32_t(args[0]); return 1;
    case kMediaGetPressure: return m->strength;
    case kMediaSetPressure: m->strength = uint32_t(args[0]); return 1;
    default: return Qz_DoMethodA(o->super, id, args);
  }
}

void CountNotice(QzWord counter, Qz_Object*, uint32_t, const QzWord*) {
  ++*reinterpret_cast<int*>(counter);
}

class LayerCommandTest : public ActionTest {
 protected:
  static QzWord Count(Qz_Image* doc) { return Qz_DoMethod(Qz_GetUndoList(doc), kLinkedListCount); }
  static Qz_Object* Head(Qz_Image* doc) {
    return reinterpret_cast<Qz_Object*>(Qz_DoMethod(Qz_GetUndoList(doc), kLinkedListFirst));
  }
  static uint32_t ClassOf(Qz_Object* o) { return o ? o->objectClass->classId : 0; }
  static uint32_t Chosen(Qz_Image* l) {
    return l->chosenColour[0] | l->chosenColour[1] << 8 | uint32_t(l->chosenColour[2]) << 16;
  }
  // Every layer's transparency by layer, the background, and which layers are linked.
  static std::map<Qz_Image*, std::vector<uint8_t>> Snapshot(Qz_Image* doc) {
    std::map<Qz_Image*, std::vector<uint8_t>> planes;
    for (Qz_Image* l = first_layer(doc); l; l = next_layer(l))
      planes[l] = Plane(l->grey, l->width, l->height);
    planes[doc] = Plane(doc->undoR, doc->width, doc->height);
    return planes;
  }
};

TEST_F(LayerCommandTest, CommandsLeaveStepsThatUndoAndRedo) {
  struct Case {
    const char* name;
    uint32_t id;
    bool layerArgument;
    uint32_t classId;
  };
  const Case cases[] = {
      {"Clear Layer", kClearLayer, true, kFillImageActionClassId},
      {"Fill Layer", kFillLayer, false, kFillImageActionClassId},
      {"invert the layer", kInvertLayer, false, kInvertImageActionClassId},
      {"invert the image", kInvertImage, false, kInvertImageActionClassId},
      {"delete the layer", kDeleteLayer, true, kDisposeImageActionClassId},
  };
  Qz_Image* app = Qz_GetImageBase()->applicationImage;
  ASSERT_NE(app, nullptr);
  int filled = 0;
  const QzWord note = Qz_AddCallBackNotify(&app->object, kLayerFilled, kNotifyAnyValue,
                                           CountNotice, reinterpret_cast<QzWord>(&filled));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Qz_Image* doc = MakeDocument(8, 6, 2);
    for (Qz_Plane plane : {doc->undoR, doc->undoG, doc->undoB})
      for (int32_t y = 0; y < 6; ++y) std::memset(plane[y], 30 + y, 8);
    Qz_Image* layer = Layer(doc, 0);
    Stroke(layer, {{1, 1}, {6, 4}});
    Stroke(Layer(doc, 1), {{0, 5}, {7, 5}});
    const auto before = Snapshot(doc);
    const QzWord steps = Count(doc);
    const int filledBefore = filled;
    ASSERT_EQ(Qz_DoMethod(&doc->object, c.id, c.layerArgument ? layer : nullptr), 1u);
    EXPECT_EQ(Count(doc), steps + 1);
    Qz_Object* step = Head(doc);
    EXPECT_EQ(ClassOf(step), c.classId);
    if (c.classId == kFillImageActionClassId) {
      EXPECT_STREQ(reinterpret_cast<const char*>(Qz_DoMethod(step, kActionGetName)), c.name);
      EXPECT_EQ(filled, filledBefore + 1) << "the application image is told";
    }
    const auto after = Snapshot(doc);
    EXPECT_NE(after, before);
    const int filledAfter = filled;
    ASSERT_EQ(Qz_UndoImageAction(doc), 1u);
    EXPECT_EQ(Snapshot(doc), before);
    ASSERT_EQ(Qz_RedoImageAction(doc), 1u);
    EXPECT_EQ(Snapshot(doc), after);
    EXPECT_EQ(filled, filledAfter + 2) << "thumbnails are told of the undo and of the redo";
    TearDown();
  }
  Qz_RemoveNotify(&app->object, note);
}

TEST_F(LayerCommandTest, DeletedLayerComesBackInItsPlaceWithItsColour) {
  Qz_Image* doc = MakeDocument(6, 6, 3);
  Qz_Image* middle = Layer(doc, 1);
  ASSERT_EQ(Qz_DoMethod(&middle->object, kQzImageSetColour, 0x336699u), 1u);
  Qz_DoLayerDoesntNeedsFixing(middle);
  Stroke(middle, {{0, 0}, {5, 5}});
  ASSERT_EQ(Qz_DoMethod(&doc->object, kDeleteLayer, middle), 1u);
  EXPECT_EQ(next_layer(Layer(doc, 0)), Layer(doc, 1));
  EXPECT_NE(Layer(doc, 1), middle);
  const QzWord steps = Count(doc);
  ASSERT_EQ(Qz_UndoImageAction(doc), 1u);
  EXPECT_EQ(Layer(doc, 1), middle) << "between the same two layers again";
  EXPECT_EQ(Chosen(middle), 0x336699u);
  EXPECT_EQ(Count(doc), steps - 1) << "coming back records no start-up steps";
  EXPECT_EQ(Qz_DoMethod(&doc->object, kDeleteLayer, nullptr), 0u);
}

TEST_F(LayerCommandTest, FixNeedsTheCollapseClassAndPassesTheFlagAsQualifier) {
  Qz_CleanupCollapseActionClass();  // this test brings its own stand-in
  Qz_Image* doc = MakeDocument(6, 6, 1);
  Stroke(Layer(doc, 0), {{0, 0}, {5, 5}});
  const auto pixels = Snapshot(doc);
  const QzWord steps = Count(doc);
  EXPECT_EQ(Qz_DoMethod(&doc->object, kQzImageFix), 0u);
  EXPECT_EQ(Count(doc), steps);
  EXPECT_EQ(Snapshot(doc), pixels);

  StandInClass collapse("CollapseAction", 0x7C0000, CollapseDispatch, sizeof(Collapse));
  for (uint32_t flag : {0u, 1u}) {
    SCOPED_TRACE(flag);
    ASSERT_EQ(Qz_DoMethod(&doc->object, kQzImageFix, flag), 1u);
    auto* made = reinterpret_cast<Collapse*>(Head(doc));
    ASSERT_EQ(ClassOf(&made->header), 0x7C0000u);
    EXPECT_EQ(made->qualifier, flag ? 2u : 1u);
    EXPECT_EQ(made->layer, Layer(doc, 0));
    EXPECT_EQ(made->applied, 1);
  }
  Qz_Image* empty = MakeDocument(4, 4, 0);
  EXPECT_EQ(Qz_DoMethod(&empty->object, kQzImageFix), 0u) << "no active layer";
  TearDown();  // the stand-ins on the list go before their class
  Qz_InitCollapseActionClass(Qz_GetGlobalData());
}

TEST_F(LayerCommandTest, ModeChoiceReusesTheNewestChoiceOfTheLayer) {
  StandInClass probe("ProbeMode", 0x7C1000, ModeDispatch, sizeof(Qz_Object));
  StandInClass other("OtherMode", 0x7C2000, ModeDispatch, sizeof(Qz_Object));
  Qz_Image* doc = MakeDocument(6, 6, 2);
  Qz_Image* layer = Layer(doc, 0);
  const QzWord steps = Count(doc);
  EXPECT_EQ(Qz_DoMethod(&layer->object, kQzImageSetLayerMode, "Probe"), 1u);
  EXPECT_EQ(Count(doc), steps + 1);
  EXPECT_EQ(ClassOf(Head(doc)), kModeActionClassId);
  EXPECT_STREQ(layer->chosenModeName, "Probe");
  EXPECT_EQ(Qz_DoMethod(&layer->object, kQzImageSetLayerMode, "Other"), 1u);
  EXPECT_EQ(Count(doc), steps + 1) << "the same step, chosen again";
  EXPECT_STREQ(layer->chosenModeName, "Other");
  EXPECT_STREQ(layer->modeName, "Probe");
  EXPECT_EQ(Qz_DoMethod(&layer->object, kQzImageSetLayerMode, "Other"), 0u) << "already coming";
  EXPECT_EQ(Qz_DoMethod(&layer->object, kQzImageSetLayerMode, "Missing"), 0u);
  EXPECT_EQ(Qz_DoMethod(&layer->object, kQzImageSetLayerMode, ""), 0u);
  EXPECT_EQ(Count(doc), steps + 1);
  // The mode in force chosen while another waits: it is what stays in force.
  EXPECT_EQ(Qz_DoMethod(&layer->object, kQzImageSetLayerMode, "Probe"), 1u);
  Qz_DoLayerDoesntNeedsFixing(layer);
  EXPECT_STREQ(layer->modeName, "Probe");
  // Another layer's choice is a step of its own; a document chooses nothing.
  EXPECT_EQ(Qz_DoMethod(&Layer(doc, 1)->object, kQzImageSetLayerMode, "Other"), 1u);
  EXPECT_EQ(Count(doc), steps + 2);
  EXPECT_EQ(Qz_DoMethod(&doc->object, kQzImageSetLayerMode, "Probe"), 0u);
  TearDown();  // the mode objects go before their classes
}

TEST_F(LayerCommandTest, ColourChangesReuseTheNewestColourStepAndUndoToTheStartColour) {
  Qz_Image* doc = MakeDocument(6, 6, 1);
  Qz_Image* layer = Layer(doc, 0);
  const uint32_t start = Chosen(layer);
  const QzWord steps = Count(doc);
  EXPECT_EQ(Qz_DoMethod(&layer->object, kQzImageSetColour, start), 0u) << "unchanged";
  EXPECT_EQ(Qz_DoMethod(&layer->object, kQzImageSetColour, 0x0A0B0Cu), 1u);
  EXPECT_EQ(Chosen(layer), 0x0A0B0Cu);
  EXPECT_EQ(ClassOf(Head(doc)), kColourActionClassId);
  EXPECT_EQ(Qz_DoMethod(&layer->object, kSetGreen, 0x55u), 1u);
  EXPECT_EQ(Chosen(layer), 0x0A550Cu);
  EXPECT_EQ(Qz_DoMethod(&layer->object, kSetGreen, 0x55u), 0u);
  EXPECT_EQ(Count(doc), steps + 1);
  EXPECT_EQ(Qz_DoMethod(Head(doc), kColourActionGetNewRGB), 0x0A550Cu);

  // A copy's layer keeps the colour, also through a replay of it.
  Qz_DoLayerDoesntNeedsFixing(layer);
  Qz_Image* copy = Qz__CopyImage(doc, kQzCopyExact);
  ASSERT_NE(copy, nullptr);
  Qz_Image* copied = first_layer(copy);
  ASSERT_NE(copied, nullptr);
  EXPECT_EQ(Chosen(copied), 0x0A550Cu);
  EXPECT_EQ(std::memcmp(copied->committedColour, layer->committedColour, 3), 0);
  Qz_RedoAllLayerActions(copied);
  EXPECT_EQ(Chosen(copied), 0x0A550Cu);
  Qz_DisposeObject(&copy->object);

  ASSERT_EQ(Qz_UndoImageAction(doc), 1u);
  EXPECT_EQ(Chosen(layer), start);
}

TEST_F(LayerCommandTest, MediaSettingsAreOneUndoableStep) {
  Qz_Image* doc = MakeDocument(6, 6, 1);
  auto* media = reinterpret_cast<RecordingMedia*>(doc->media);
  const uint32_t size = media->size, strength = media->strength;
  const QzWord steps = Count(doc);
  EXPECT_EQ(Qz_DoMethod(&doc->object, kRecordMediaSetting, 0x110099u, 3u), 0u) << "no such setting";
  ASSERT_EQ(Qz_DoMethod(&doc->object, kRecordMediaSetting, kMediaSetSize, 25u), 1u);
  EXPECT_EQ(media->size, 25u);
  // Sent to a layer, it is the document's media that changes.
  ASSERT_EQ(Qz_DoMethod(&Layer(doc, 0)->object, kRecordMediaSetting, kMediaSetPressure, 70u), 1u);
  EXPECT_EQ(media->strength, 70u);
  EXPECT_EQ(Count(doc), steps + 1);
  EXPECT_EQ(ClassOf(Head(doc)), kMediaSettingsActionClassId);
  ASSERT_EQ(Qz_UndoImageAction(doc), 1u);
  EXPECT_EQ(media->size, size);
  EXPECT_EQ(media->strength, strength);
}

TEST_F(LayerCommandTest, NewMediaIsRecordedAndAChangedKindAsksEveryLayerToBeFixed) {
  StandInClass kinds("KindMedia", 0x7C3000, KindMediaDispatch, sizeof(KindMedia));
  Qz_Image* doc = MakeDocument(6, 6, 2);
  Qz_Object* recording = doc->media;
  auto make = [](const char* name, uint32_t kind) {
    auto* m = reinterpret_cast<KindMedia*>(Qz_CreateObject("KindMedia"));
    m->name = name, m->kind = kind, m->size = 5, m->strength = 9;
    return m;
  };
  KindMedia* air = make("Air", 1);
  KindMedia* pencil = make("Pencil", 2);
  KindMedia* chalk = make("Chalk", 2);
  auto needsFixing = [&] {
    return std::pair{Layer(doc, 0)->needsFixing.load(), Layer(doc, 1)->needsFixing.load()};
  };
  const auto start = needsFixing();
  const QzWord steps = Count(doc);

  EXPECT_EQ(Qz_DoMethod(&doc->object, kQzImageSetMedia, nullptr), 0u);
  ASSERT_EQ(Qz_DoMethod(&doc->object, kQzImageSetMedia, air), 1u);
  EXPECT_EQ(doc->media, &air->header);
  EXPECT_STREQ(doc->mediaName, "Air");
  EXPECT_EQ(Count(doc), steps + 1);
  EXPECT_EQ(ClassOf(Head(doc)), kMediaSettingsActionClassId);
  EXPECT_STREQ(reinterpret_cast<const char*>(Qz_DoMethod(Head(doc), kMediaSettingsGetName)), "Air");
  EXPECT_EQ(needsFixing(), std::pair(start.first + 1, start.second + 1));
  ASSERT_EQ(Qz_DoMethod(&doc->object, kQzImageSetMedia, pencil), 1u);
  EXPECT_EQ(needsFixing(), std::pair(start.first + 2, start.second + 2));
  EXPECT_EQ(Count(doc), steps + 1) << "the newest step, reused";
  ASSERT_EQ(Qz_DoMethod(&doc->object, kQzImageSetMedia, chalk), 1u);
  EXPECT_EQ(needsFixing(), std::pair(start.first + 2, start.second + 2)) << "same kind";

  // While a recorded change is being put in force nothing more is recorded.
  Stroke(Layer(doc, 0), {{1, 1}, {2, 2}});
  const QzWord withStroke = Count(doc);
  doc->mediaChangeCount.store(1);
  ASSERT_EQ(Qz_DoMethod(&doc->object, kQzImageSetMedia, air), 1u);
  doc->mediaChangeCount.store(0);
  EXPECT_EQ(doc->media, &air->header);
  EXPECT_EQ(Count(doc), withStroke);

  doc->media = recording;
  for (KindMedia* m : {air, pencil, chalk}) Qz_DisposeObject(&m->header);
  TearDown();
}

TEST_F(LayerCommandTest, LinkingANewLayerRecordsItsStartSettingsAndGivesItTheDocumentsPort) {
  Qz_Image* doc = MakeDocument(6, 6, 1);
  const Qz_ImageBase* base = Qz_GetImageBase();
  const uint32_t current =
      uint32_t(base->colour[0]) | uint32_t(base->colour[1]) << 8 | uint32_t(base->colour[2]) << 16;
  auto* layer = reinterpret_cast<Qz_Image*>(
      Qz_DoMethod(&doc->object, 0x100078, kQzPaintLayer, 6, 6, 8));
  ASSERT_NE(layer, nullptr);
  EXPECT_EQ(Chosen(layer), current);
  EXPECT_EQ(std::memcmp(layer->committedColour, layer->chosenColour, 3), 0);
  Qz_Object* newest = Head(doc);
  EXPECT_EQ(ClassOf(newest), kColourActionClassId);
  EXPECT_EQ(reinterpret_cast<Qz_Image*>(Qz_DoMethod(newest, kActionGetLayer)), layer);
  Qz_Object* older = reinterpret_cast<Qz_Object*>(
      Qz_DoMethod(Qz_GetUndoList(doc), kLinkedListNext, newest));
  EXPECT_EQ(ClassOf(older), kMediaSettingsActionClassId);

  // A document with its own thread: its layers answer posted methods there.
  auto* threaded =
      reinterpret_cast<Qz_Image*>(Qz_CreateObject("Image", kQzImageSetType, kQzDocument));
  ASSERT_NE(Qz_AllocImage(threaded, 4, 4, 24, 0, nullptr), nullptr);
  ASSERT_NE(threaded->port, nullptr);
  auto* paint = reinterpret_cast<Qz_Image*>(
      Qz_DoMethod(&threaded->object, 0x100078, kQzPaintLayer, 4, 4, 8));
  ASSERT_NE(paint, nullptr);
  EXPECT_EQ(Qz_RootInstance(&paint->object)->asyncPort, threaded->port);
  Qz_DisposeObject(&threaded->object);
}

}  // namespace
}  // namespace qztest
