#include "image_fixture.h"

#include <algorithm>

namespace qztest {
namespace {

class ImageEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    ASSERT_NE(Qz_InitImageBase(), nullptr);
    ASSERT_EQ(Qz_InitImageClass(Qz_GetGlobalData()), 1u);
  }
  void TearDown() override {
    Qz_CleanupImageClass();
    Qz_CleanupImageBase();
  }
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new ImageEnvironment);

void RecordNotice(QzWord userData, Qz_Object*, uint32_t, const QzWord* words) {
  auto* recorder = reinterpret_cast<std::vector<Notice>*>(userData);
  recorder->push_back({uint32_t(words[0]), reinterpret_cast<Qz_Image*>(words[1]),
                       int32_t(words[2]), int32_t(words[3]), int32_t(words[4]), int32_t(words[5])});
}

}  // namespace

void ImageTest::TearDown() {
  for (auto it = made_.rbegin(); it != made_.rend(); ++it) Qz_DisposeObject(&(*it)->object);
  made_.clear();
}

Qz_Image* ImageTest::Make(int32_t type, int32_t width, int32_t height, int32_t depth,
                          uint32_t flags) {
  auto* image = reinterpret_cast<Qz_Image*>(Qz_CreateObject("Image", kQzImageSetType, type));
  EXPECT_NE(image, nullptr);
  if (!image) return nullptr;
  if (!Qz_AllocImage(image, width, height, depth, flags, nullptr)) {
    ADD_FAILURE() << "allocation failed";
    Qz_DisposeObject(&image->object);
    return nullptr;
  }
  made_.push_back(image);
  return image;
}

void ImageTest::Dispose(Qz_Image* image) {
  made_.erase(std::remove(made_.begin(), made_.end(), image), made_.end());
  Qz_DisposeObject(&image->object);
}

void FillPlane(Qz_Plane plane, int32_t width, int32_t height,
               const std::function<uint8_t(int32_t, int32_t)>& fn) {
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) plane[y][x] = fn(x, y);
}

std::vector<uint8_t> PlaneBytes(Qz_Plane plane, int32_t width, int32_t height) {
  std::vector<uint8_t> bytes;
  for (int32_t y = 0; y < height; ++y) bytes.insert(bytes.end(), plane[y], plane[y] + width);
  return bytes;
}

NoticeRecorder::NoticeRecorder(Qz_Image* image) : image_(image) {
  record_ = Qz_AddCallBackNotify(&image->object, kQzImageChanged, 0, RecordNotice,
                                 reinterpret_cast<QzWord>(&notices));
}

NoticeRecorder::~NoticeRecorder() { Qz_RemoveNotify(&image_->object, record_); }

}  // namespace qztest
