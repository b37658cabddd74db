#include "media_fixture.h"

#include "app/class_registration.h"
#include "image/image_shell.h"
#include "qzio/qzio_format_classes.h"
#include "qzio/root_qzio.h"

namespace qztest {
namespace {

class MediaEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    ASSERT_NE(Qz_InitImageBase(), nullptr);
    Qz_GlobalData* global = Qz_GetGlobalData();
    ASSERT_EQ(Qz_InitImageClass(global), 1u);
    ASSERT_GT(qz::app::initClasses(qz::app::classGroup(qz::app::ClassGroup::Actions), global), 0u);
    ASSERT_EQ(qz::app::initClasses(qz::app::classGroup(qz::app::ClassGroup::Media), global), 3u);
    Qz_InitRootQZIOClass(nullptr);  // shape pictures are loaded from files
    Qz_InitPPMQZIOClass(nullptr);
  }
  void TearDown() override {
    Qz_CleanupPPMQZIOClass();
    Qz_CleanupRootQZIOClass();
    qz::app::cleanupClasses(qz::app::classGroup(qz::app::ClassGroup::Media));
    qz::app::cleanupClasses(qz::app::classGroup(qz::app::ClassGroup::Actions));
    Qz_CleanupImageClass();
    Qz_CleanupImageBase();
  }
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new MediaEnvironment);

}  // namespace

void MediaTest::TearDown() {
  for (Qz_Image* d : documents_) {
    Qz_Object* media = d->media;
    Qz_DisposeObject(&d->object);
    Qz_DisposeObject(media);
  }
  documents_.clear();
}

Qz_Image* MediaTest::MakeDocument(int32_t width, int32_t height, int layers, Qz_Object* media) {
  auto* doc = reinterpret_cast<Qz_Image*>(Qz_CreateObject("Image", kQzImageSetType, kQzDocument));
  EXPECT_NE(doc, nullptr);
  EXPECT_NE(Qz_AllocImage(doc, width, height, 24, kQzAllocNoThread, nullptr), nullptr);
  documents_.push_back(doc);
  for (int i = 0; i < layers; ++i) {
    auto* layer = reinterpret_cast<Qz_Image*>(Qz_CreateObject("Image", kQzImageSetType, kQzPaintLayer));
    EXPECT_NE(layer, nullptr);
    layer->parent = doc;
    EXPECT_NE(Qz_AllocImage(layer, width, height, 8, kQzAllocNoThread, nullptr), nullptr);
    Qz_DoMethod(&doc->object, kQzImageAddLayer, layer);
  }
  if (layers) Qz_DoMethod(&doc->object, kQzImageMakeActive, first_layer(doc));
  // The steps that linked the layers lie below the base restore point.
  Qz_Object* base = Qz_CreateObject("RootAction", kActionSetFlags, kActionPanelStop);
  EXPECT_EQ(Qz_AddImageAction(doc, base, 0), 1u);
  // Given after the layers: a new layer would record the media's settings,
  // sizing a media that was never sized.
  doc->media = media;
  return doc;
}

Qz_Image* MediaTest::Layer(Qz_Image* document, int index) {
  Qz_Image* layer = first_layer(document);
  while (index-- > 0 && layer) layer = next_layer(layer);
  return layer;
}

QzWord MediaTest::Send(Qz_Object* media, uint32_t kind, Qz_Image* document, Qz_Image* layer, uint32_t button,
                       uint32_t flags, std::vector<int32_t> coords, const uint32_t* tablet) {
  QzWord w[16] = {kind, qz::toWord(document), qz::toWord(layer), button, flags};
  size_t i = 5;
  for (int32_t c : coords) w[i++] = uint32_t(c);
  w[i] = qz::toWord(tablet);
  return Qz_DoMethodA(media, kMediaStrokeMessage, w);
}

QzWord MediaTest::End(Qz_Object* media, Qz_Image* document, Qz_Image* layer) {
  return Send(media, kStrokeEnd, document, layer, 0, 0, {0, 0, 0, 0});
}

std::vector<uint8_t> Plane(Qz_Plane plane, int32_t width, int32_t height) {
  std::vector<uint8_t> bytes;
  if (!plane) return bytes;
  for (int32_t y = 0; y < height; ++y) bytes.insert(bytes.end(), plane[y], plane[y] + width);
  return bytes;
}

std::vector<std::vector<uint8_t>> BrushRows(Qz_Object* media) {
  auto* brush = reinterpret_cast<Qz_Image*>(Qz_DoMethod(media, kMediaGetBrushImage));
  std::vector<std::vector<uint8_t>> rows;
  if (!brush || !brush->grey) return rows;
  for (int32_t y = 0; y < brush->height; ++y) rows.emplace_back(brush->grey[y], brush->grey[y] + brush->width);
  return rows;
}

}  // namespace qztest
