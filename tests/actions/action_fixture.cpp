#include "action_fixture.h"

#include "app/class_registration.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>

namespace qztest {
namespace {

Qz_Class gMediaClass;

void Qz__DrawTrace(Qz_Image* layer, int32_t x0, int32_t y0, int32_t x1, int32_t y1, bool add) {
  if (!layer || !layer->grey) return;
  const int32_t steps = std::max(std::abs(x1 - x0), std::abs(y1 - y0));
  for (int32_t i = 0; i <= steps; ++i) {
    const int32_t x = steps ? x0 + (x1 - x0) * i / steps : x0;
    const int32_t y = steps ? y0 + (y1 - y0) * i / steps : y0;
    if (x < 0 || y < 0 || x >= layer->width || y >= layer->height) continue;
    uint8_t& p = layer->grey[y][x];
    p = uint8_t(add ? std::min(255, p + 40) : std::max(0, p - 40));
  }
}

QzWord Qz__MediaDispatch(Qz_Object* object, uint32_t id, const QzWord* w) {
  auto* m = reinterpret_cast<RecordingMedia*>(object);
  switch (id) {
    case kMediaStroke: {
      StrokeMessage s{uint32_t(w[0]), reinterpret_cast<Qz_Image*>(w[2]), uint32_t(w[3]),
                      uint32_t(w[4]), {}, 0};
      const int coords = s.kind == kMediaStrokeCurve ? 6 : 4;
      for (int i = 0; i < coords; ++i) s.coords[i] = int32_t(w[5 + i]);
      const QzWord tablet = s.kind == kMediaStrokeCurve ? 0 : w[9];
      if (tablet) s.pressure = reinterpret_cast<const uint32_t*>(tablet)[0];
      m->log->push_back(s);
      if (m->delayMs) std::this_thread::sleep_for(std::chrono::milliseconds(m->delayMs));
      if (s.kind == kMediaStrokeLine)
        Qz__DrawTrace(s.layer, s.coords[0], s.coords[1], s.coords[2], s.coords[3], s.button == 1);
      return 1;
    }
    case kMediaSetSize: m->size = uint32_t(w[0]); return 1;
    case kMediaGetSize: return m->size;
    case kMediaSetPressure: m->strength = uint32_t(w[0]); return 1;
    case kMediaGetPressure: return m->strength;
    default: return Qz_DoMethodA(object->super, id, w);
  }
}

Qz_Object* Qz__NewMedia(Qz_Class* c, const QzWord*) {
  Qz_Object* o = Qz_AllocObjectMem(c);
  if (!o) return nullptr;
  o->super = Qz_CreateObject("Root");
  auto* m = reinterpret_cast<RecordingMedia*>(o);
  m->log = new std::vector<StrokeMessage>;
  m->size = 10;
  m->strength = 50;
  m->delayMs = 0;
  return o;
}

void Qz__DisposeMedia(Qz_Object* o) {
  delete reinterpret_cast<RecordingMedia*>(o)->log;
  Qz_DisposeObject(o->super);
  Qz_FreeObjectMem(o);
}

const Qz_Method kNoMethods[] = {{0, nullptr, 0, 0, nullptr, 0, nullptr, 0, 0}};

class ActionEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    ASSERT_NE(Qz_InitImageBase(), nullptr);
    ASSERT_EQ(Qz_InitImageClass(Qz_GetGlobalData()), 1u);
    ASSERT_GT(qz::app::initClasses(qz::app::classGroup(qz::app::ClassGroup::Actions), Qz_GetGlobalData()), 0u);
    // The program's own media, for tests that paint as the program does.
    ASSERT_EQ(qz::app::initClasses(qz::app::classGroup(qz::app::ClassGroup::Media), Qz_GetGlobalData()), 3u);
    Qz_Class& c = gMediaClass;
    c.name = "RecordingMedia";
    c.node.ln_Name = const_cast<char*>(c.name);
    c.classId = 0x7e000000;
    c.version = 2;
    c.superClass = Qz_FindClassFromName("Root");
    c.newObject = Qz__NewMedia;
    c.dispose = Qz__DisposeMedia;
    c.dispatch = Qz__MediaDispatch;
    c.methods = kNoMethods;
    c.objectSize = sizeof(RecordingMedia);
    ASSERT_EQ(Qz_AddClass(&c), 1u);
  }
  void TearDown() override {
    Qz_RemoveClass(&gMediaClass);
    qz::app::cleanupClasses(qz::app::classGroup(qz::app::ClassGroup::Media));
    qz::app::cleanupClasses(qz::app::classGroup(qz::app::ClassGroup::Actions));
    Qz_CleanupImageClass();
    Qz_CleanupImageBase();
  }
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new ActionEnvironment);

}  // namespace

Qz_Object* MakeRecordingMedia() { return Qz_CreateObject("RecordingMedia"); }

RecordingMedia* AsRecordingMedia(Qz_Object* media) { return reinterpret_cast<RecordingMedia*>(media); }

std::vector<StrokeMessage>& MediaLog(Qz_Object* media) {
  return *reinterpret_cast<RecordingMedia*>(media)->log;
}

void ActionTest::TearDown() {
  while (!documents_.empty()) DisposeDocument(documents_.back());
}

void ActionTest::DisposeDocument(Qz_Image* document) {
  documents_.erase(std::remove(documents_.begin(), documents_.end(), document), documents_.end());
  Qz_Object* media = document->media;
  Qz_DisposeObject(&document->object);
  Qz_DisposeObject(media);
}

Qz_Image* ActionTest::MakeDocument(int32_t width, int32_t height, int layers, int32_t depth) {
  auto* doc = reinterpret_cast<Qz_Image*>(Qz_CreateObject("Image", kQzImageSetType, kQzDocument));
  EXPECT_NE(doc, nullptr);
  EXPECT_NE(Qz_AllocImage(doc, width, height, depth, kQzAllocNoThread, nullptr), nullptr);
  doc->media = MakeRecordingMedia();
  documents_.push_back(doc);
  for (int i = 0; i < layers; ++i) {
    auto* layer =
        reinterpret_cast<Qz_Image*>(Qz_CreateObject("Image", kQzImageSetType, kQzPaintLayer));
    EXPECT_NE(layer, nullptr);
    layer->parent = doc;
    EXPECT_NE(Qz_AllocImage(layer, width, height, 8, kQzAllocNoThread, nullptr), nullptr);
    Qz_DoMethod(&doc->object, kQzImageAddLayer, layer);
  }
  if (layers) Qz_DoMethod(&doc->object, kQzImageMakeActive, first_layer(doc));
  // As a new or loaded document: the steps linking the layers recorded lie
  // below the base restore point, which undo does not go past.
  Qz_Object* base = Qz_CreateObject("RootAction", kActionSetFlags, kActionPanelStop);
  EXPECT_EQ(Qz_AddImageAction(doc, base, 0), 1u);
  return doc;
}

Qz_Image* ActionTest::Layer(Qz_Image* document, int index) {
  Qz_Image* layer = first_layer(document);
  while (index-- > 0 && layer) layer = next_layer(layer);
  return layer;
}

Qz_Object* ActionTest::MakeStroke(const std::vector<std::pair<int32_t, int32_t>>& points,
                                  uint32_t qualifier, uint32_t flags) {
  Qz_Object* action =
      Qz_CreateObject("RootAction", kActionSetQualifier, qualifier, kActionSetFlags, flags);
  EXPECT_NE(action, nullptr);
  for (auto [x, y] : points)
    Qz_DoMethod(action, kActionStartPoints, kActionSetX, x, kActionSetY, y);
  return action;
}

Qz_Object* ActionTest::Stroke(Qz_Image* layer,
                              const std::vector<std::pair<int32_t, int32_t>>& points,
                              uint32_t qualifier, uint32_t flags) {
  Qz_Object* action = MakeStroke(points, qualifier, flags);
  EXPECT_EQ(Qz_AddLayerAction(layer, action, 0), 1u);
  Qz_DoMethod(action, kActionApply);
  return action;
}

std::vector<uint8_t> Plane(Qz_Plane plane, int32_t width, int32_t height) {
  std::vector<uint8_t> bytes;
  if (!plane) return bytes;
  for (int32_t y = 0; y < height; ++y) bytes.insert(bytes.end(), plane[y], plane[y] + width);
  return bytes;
}

}  // namespace qztest
