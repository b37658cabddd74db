// The requesters as a user answers them on the headless host: a new image
// from typed values, a refused size, a rotation undone byte for byte, the
// snap grid, and space added around the image.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>

#include "actions/qz_actions.h"
#include "app/class_registration.h"
#include "app/update_check.h"
#include "gadgets/measurement_units.h"
#include "gadgets/qz_popups.h"
#include "gadgets/qz_sliders.h"
#include "gadgets/qz_text_entry.h"
#include "gadgets/qz_window.h"
#include "image/image_shell.h"
#include "objects/catalogue.h"
#include "objects/message_box.h"
#include "platform/windows.h"
#include "requester_driver.h"
#include "requesters/qz_requesters.h"

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitNewImageReqClass(Qz_GlobalData*);
QZ_EXPORT void Qz_CleanupNewImageReqClass(void);
QZ_EXTERN_C_END

namespace qztest {
namespace {

class RequestersEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    ASSERT_NE(Qz_InitImageBase(), nullptr);
    ASSERT_EQ(Qz_InitImageClass(Qz_GetGlobalData()), 1u);
    ASSERT_GT(qz::app::initClasses(qz::app::classGroup(qz::app::ClassGroup::Actions), Qz_GetGlobalData()), 0u);
    ASSERT_EQ(Qz_InitNewImageReqClass(Qz_GetGlobalData()), 1u);
    Qz__LoadCatalog("Data/Lingua/Quillantrix", "");  // the titles the tests look for
  }
  void TearDown() override {
    Qz__FreeCatalog();
    Qz_CleanupNewImageReqClass();
    qz::app::cleanupClasses(qz::app::classGroup(qz::app::ClassGroup::Actions));
    Qz_CleanupImageClass();
    Qz_CleanupImageBase();
  }
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new RequestersEnvironment);

QzWord Float(float v) { return Qz_FloatToULONG(v); }

std::vector<uint8_t> Bytes(const Qz_Image* image) {
  std::vector<uint8_t> out;
  for (Qz_Plane p : {image->r, image->g, image->b})
    for (int32_t y = 0; y < image->height; ++y) out.insert(out.end(), p[y], p[y] + image->width);
  return out;
}

int32_t DocumentCount() {
  Qz_ImageBase* base = Qz_GetImageBase();
  ObtainSemaphore(&base->semaphore);
  int32_t n = 0;
  for (Qz_Image* i = first_image(base); i; i = next_image(i)) ++n;
  ReleaseSemaphore(&base->semaphore);
  return n;
}

class RequestersTest : public ::testing::Test {
 protected:
  void SetUp() override { qz::msgbox::resetScript(); }
  void TearDown() override {
    if (image_) Qz_DisposeObject(&image_->object);
    qz::msgbox::resetScript();
  }
  // A 24-bit document of a small pattern, without a view.
  Qz_Image* Pattern(int32_t w, int32_t h) {
    image_ = reinterpret_cast<Qz_Image*>(Qz_CreateObject("Image", kQzImageSetType, kQzDocument));
    if (!image_ || !Qz_AllocImage(image_, w, h, 24, kQzAllocNoThread, nullptr)) return nullptr;
    for (int32_t y = 0; y < h; ++y)
      for (int32_t x = 0; x < w; ++x) {
        image_->r[y][x] = uint8_t(x * 20);
        image_->g[y][x] = uint8_t(y * 20);
        image_->b[y][x] = uint8_t(x + y);
      }
    Qz_CopyImageToUndoData(image_, 0, 0, w - 1, h - 1, 0, 0);
    return image_;
  }
  UiHarness ui_;
  Qz_Image* image_ = nullptr;
};

TEST_F(RequestersTest, NewImageMakesTheTypedDocumentWhiteWithItsResolution) {
  Qz_Object* request = Qz_CreateObject("NewImageReq", kNewImageSetWidth, Float(10), kNewImageSetHeight, Float(8),
                                       kNewImageSetResolution, Float(150));
  ASSERT_NE(request, nullptr);
  auto made = InBackground([&] { return Qz_DoNewImageReq(request); });
  Qz_Object* window = WaitForWindow(ui_, "New Image");
  ASSERT_NE(window, nullptr);
  Answer(ui_, window, Reply::Ok);
  image_ = made.get();
  Qz_DisposeObject(request);
  ASSERT_NE(image_, nullptr);
  EXPECT_EQ(image_->width, 10);
  EXPECT_EQ(image_->height, 8);
  EXPECT_EQ(image_->depth, 24);
  EXPECT_FLOAT_EQ(image_->resolution, 150.0f);
  for (Qz_Plane p : {image_->r, image_->g, image_->b, image_->undoR, image_->undoG, image_->undoB})
    for (int32_t y = 0; y < 8; ++y)
      for (int32_t x = 0; x < 10; ++x) ASSERT_EQ(p[y][x], 255) << x << "," << y;
  ASSERT_NE(first_layer(image_), nullptr);
  EXPECT_EQ(first_layer(image_)->type, kQzPaintLayer);
  EXPECT_EQ(Qz_GetImageBase()->activeImage, image_);
  EXPECT_NE(Qz_CurrentViewOf(image_), nullptr);
}

TEST_F(RequestersTest, NewImageWindowIsWideEnoughForEveryField) {
  Qz_Object* request = Qz_CreateObject("NewImageReq");
  ASSERT_NE(request, nullptr);
  auto shown = InBackground([&] { return Qz_ShowNewImageReq(request); });
  Qz_Object* window = WaitForWindow(ui_, "New Image");
  ASSERT_NE(window, nullptr);
  const Window* w = ui_.platformWindow(window);
  ASSERT_NE(w, nullptr);
  const int innerRight = w->Width - w->BorderRight;
  for (const char* cls : {"StringEdit", "PopUp", "PopUpList", "Button"}) {
    const std::vector<Qz_Object*> found = FindAllOf(window, cls);
    EXPECT_FALSE(found.empty()) << cls;
    for (Qz_Object* gadget : found) {
      const Qz_LayoutBox b = UiHarness::box(gadget);
      EXPECT_LE(b.left + b.width, innerRight) << cls << " runs past the window's edge";
      EXPECT_GE(b.width, b.minWidth) << cls << " is squeezed below its minimum";
    }
  }
  Answer(ui_, window, Reply::Cancel);
  EXPECT_EQ(shown.get(), nullptr);
  Qz_DisposeObject(request);
}

TEST_F(RequestersTest, TheUnitChooserShowsTheUnitTheFieldsAreIn) {
  Qz_Object* request = Qz_CreateObject("NewImageReq");
  ASSERT_NE(request, nullptr);
  auto shown = InBackground([&] { return Qz_ShowNewImageReq(request); });
  Qz_Object* window = WaitForWindow(ui_, "New Image");
  ASSERT_NE(window, nullptr);
  const std::vector<Qz_Object*> choosers = FindAllOf(window, "MeasurementUnitsPrefs");
  ASSERT_EQ(choosers.size(), 1u);
  const std::vector<Qz_Object*> lists = FindAllOf(choosers[0], "PopUpList");
  ASSERT_EQ(lists.size(), 1u);
  EXPECT_EQ(Qz_DoMethod(lists[0], kPopUpListGetIndex) + 1, uint32_t(qz::measure::kPixels)) << "the list shows Pixels";
  const std::vector<Qz_Object*> fields = FindAllOf(window, "MeasurementEdit");
  ASSERT_FALSE(fields.empty());
  EXPECT_EQ(Qz_DoMethod(fields[0], kMeasurementGetUnit), uint32_t(qz::measure::kPixels));
  Answer(ui_, window, Reply::Cancel);
  EXPECT_EQ(shown.get(), nullptr);
  Qz_DisposeObject(request);
}

TEST_F(RequestersTest, ASizeOfNothingIsRefusedAndTheRequesterShownAgain) {
  const int32_t before = DocumentCount();
  Qz_Object* request = Qz_CreateObject("NewImageReq", kNewImageSetWidth, Float(0));
  ASSERT_NE(request, nullptr);
  qz::msgbox::scriptAnswer(qz::msgbox::Answer::Ok);
  auto made = InBackground([&] { return Qz_DoNewImageReq(request); });
  Qz_Object* window = WaitForWindow(ui_, "New Image");
  ASSERT_NE(window, nullptr);
  Answer(ui_, window, Reply::Ok);
  // Shown again after the message, as it was; cancelled this time.
  for (int i = 0; i < 500 && qz::msgbox::shownBoxes().empty(); ++i) Delay(1);
  Qz_Object* again = WaitForWindow(ui_, "New Image");
  ASSERT_NE(again, nullptr);
  Answer(ui_, again, Reply::Cancel);
  EXPECT_EQ(made.get(), nullptr);
  Qz_DisposeObject(request);
  const auto boxes = qz::msgbox::shownBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].text.find("65536"), std::string::npos);
  EXPECT_EQ(DocumentCount(), before);
}

TEST_F(RequestersTest, ARotationByThirtyDegreesIsOneStepThatUndoesExactly) {
  Qz_Image* image = Pattern(12, 7);
  ASSERT_NE(image, nullptr);
  const auto before = Bytes(image);
  int32_t width = 1, height = 1, angle = 0;
  uint32_t flags = 0;
  auto done = InBackground([&] {
    return Qz_DoTransformRequestor(image, &width, &height, nullptr, nullptr, &angle, nullptr, nullptr, &flags);
  });
  Qz_Object* window = WaitForWindow(ui_, "Rotate");
  ASSERT_NE(window, nullptr);
  const auto dials = FindAllOf(window, "Angle");
  ASSERT_EQ(dials.size(), 1u);
  ui_.post(window, dials[0], kAngleSet, 30);
  Answer(ui_, window, Reply::Ok);
  EXPECT_EQ(done.get(), 1u);
  EXPECT_EQ(angle, -30);
  EXPECT_EQ(width, 0);
  EXPECT_EQ(flags, 2u) << "smooth edges off, all layers off";
  EXPECT_GT(image->width, 12);
  EXPECT_GT(image->height, 7);
  ASSERT_EQ(Qz_UndoImageAction(image), 1u);
  EXPECT_EQ(image->width, 12);
  EXPECT_EQ(image->height, 7);
  EXPECT_EQ(Bytes(image), before);
}

TEST_F(RequestersTest, SnapGridSidesAreStoredAndAtLeastOne) {
  auto done = InBackground([] { return Qz_ShowSnapToGridReq(); });
  Qz_Object* window = WaitForWindow(ui_, "Snap to Grid");
  ASSERT_NE(window, nullptr);
  const auto fields = FindAllOf(window, "MeasurementEdit");
  ASSERT_EQ(fields.size(), 4u);
  const float typed[4] = {0.0f, 16.0f, 3.0f, -2.0f};
  for (size_t i = 0; i < 4; ++i) ui_.post(window, fields[i], kMeasurementSetValue, Float(typed[i]));
  Answer(ui_, window, Reply::Ok);
  EXPECT_EQ(done.get(), 1u);
  const Qz_ImageBase* base = Qz_GetImageBase();
  EXPECT_EQ(base->gridWidth.load(), 1);
  EXPECT_EQ(base->gridHeight.load(), 16);
  EXPECT_EQ(base->gridX.load(), 3);
  EXPECT_EQ(base->gridY.load(), -2);
}

TEST_F(RequestersTest, ScalingKeepsTheProportionsAndIsOneUndoableStep) {
  Qz_Image* image = Pattern(10, 5);
  ASSERT_NE(image, nullptr);
  const auto before = Bytes(image);
  int32_t width = 10, height = 5;
  uint32_t flags = 2;  // in proportion
  auto done = InBackground([&] { return Qz_DoScaleRequestor(image, &width, &height, &flags); });
  Qz_Object* window = WaitForWindow(ui_, "Scale");
  ASSERT_NE(window, nullptr);
  const auto fields = FindAllOf(window, "StringEdit");
  ASSERT_EQ(fields.size(), 2u);
  ui_.post(window, fields[0], kStringEditSetNumber, 30u);
  ASSERT_TRUE(ui_.settle(window));
  EXPECT_EQ(Qz_DoMethod(fields[1], kStringEditGetNumber), 15u) << "the height follows";
  Answer(ui_, window, Reply::Ok);
  EXPECT_EQ(done.get(), 1u);
  EXPECT_EQ(width, 30);
  EXPECT_EQ(height, 15);
  EXPECT_EQ(image->width, 30);
  EXPECT_EQ(image->height, 15);
  ASSERT_EQ(Qz_UndoImageAction(image), 1u);
  EXPECT_EQ(image->width, 10);
  EXPECT_EQ(Bytes(image), before);
}

TEST_F(RequestersTest, TheAboutBoxNamesTheReleaseAndGoesWithOkOrItsCloseBox) {
  for (const bool viaOk : {true, false}) {
    SCOPED_TRACE(viaOk ? "OK" : "close box");
    auto done = InBackground([] { Qz__AboutQuillantrix(); });
    Qz_Object* window = WaitForWindow(ui_, "About Quillantrix");
    ASSERT_NE(window, nullptr);
    bool release = false, address = false;
    // The web address is the host the update check asks, so the two never differ.
    const std::string host = "https://" + qz::update::descriptionHost();
    for (Qz_Object* line : FindAllOf(window, "Text")) {
      const auto* label = reinterpret_cast<const char*>(Qz_DoMethod(line, kRootGetLabel));
      release = release || (label && std::strncmp(label, "Release ", 8) == 0);
      address = address || (label && label == host);
    }
    EXPECT_TRUE(release);
    EXPECT_TRUE(address) << host;
    if (viaOk)
      Answer(ui_, window, Reply::Ok);
    else
      ui_.post(window, window, kWindowFireClose);
    EXPECT_EQ(done.wait_for(std::chrono::seconds(5)), std::future_status::ready);
  }
}

TEST_F(RequestersTest, AddingSpaceIsOneUndoableCropWithTheOldPixelsInside) {
  Qz_Image* image = Pattern(10, 10);
  ASSERT_NE(image, nullptr);
  const auto before = Bytes(image);
  // Nothing to add: no action.
  auto none = InBackground([&] { return Qz_DoAddSpaceReq(image); });
  Qz_Object* window = WaitForWindow(ui_, "Add Space");
  ASSERT_NE(window, nullptr);
  Answer(ui_, window, Reply::Ok);
  EXPECT_EQ(none.get(), 0u);
  EXPECT_EQ(Qz_UndoImageAction(image), 0u);
  if (!Qz_FindClassFromName("CropAction")) GTEST_SKIP() << "no crop action in this build";

  auto done = InBackground([&] { return Qz_DoAddSpaceReq(image); });
  window = WaitForWindow(ui_, "Add Space");
  ASSERT_NE(window, nullptr);
  const auto fields = FindAllOf(window, "StringEdit");
  ASSERT_EQ(fields.size(), 4u);
  const int32_t margins[4] = {2, 3, 4, 5};
  for (size_t i = 0; i < 4; ++i) ui_.post(window, fields[i], kStringEditSetNumber, uint32_t(margins[i]));
  Answer(ui_, window, Reply::Ok);
  EXPECT_EQ(done.get(), 1u);
  ASSERT_EQ(image->width, 16);
  ASSERT_EQ(image->height, 18);
  EXPECT_EQ(image->r[3][2 + 9], 9 * 20);
  EXPECT_EQ(image->g[3 + 9][2], 9 * 20);
  EXPECT_EQ(image->r[0][0], 255) << "white margins";
  ASSERT_EQ(Qz_UndoImageAction(image), 1u);
  EXPECT_EQ(image->width, 10);
  EXPECT_EQ(Bytes(image), before);
}

}  // namespace
}  // namespace qztest
