// Shared set-up of the view tests: a picture file of a known pattern, loaded
// as a document shown in its own window on the headless screen.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <string>

#include "gadgets/qz_window.h"
#include "image/image_shell.h"
#include "objects/object_services.h"
#include "objects/qz_object.h"
#include "platform/exec.h"
#include "support/temp_dir.h"
#include "support/ui_harness.h"

namespace qztest {

// The picture's pixel at x, y as 0x00RRGGBB.
inline uint32_t Pixel(int32_t x, int32_t y) {
  return uint32_t((x * 9) & 0xFF) << 16 | uint32_t((y * 11) & 0xFF) << 8 | uint32_t((x + y) * 5 & 0xFF);
}

inline void WritePicture(const std::string& path, int32_t w, int32_t h) {
  std::ofstream out(path, std::ios::binary);
  out << "P6\n" << w << " " << h << "\n255\n";
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) {
      const uint32_t p = Pixel(x, y);
      out << char(p >> 16) << char(p >> 8) << char(p);
    }
}

// The active document, read under the image base's lock: a window thread
// makes a document active when its view comes to the front.
inline Qz_Image* ActiveImage() {
  Qz_ImageBase* base = Qz_GetImageBase();
  ObtainSemaphore(&base->semaphore);
  Qz_Image* image = base->activeImage;
  ReleaseSemaphore(&base->semaphore);
  return image;
}

class ViewFixture : public ::testing::Test {
 protected:
  static constexpr uint32_t kQuiet = 4;

  void TearDown() override {
    if (image_) Qz_DisposeObject(&image_->object);
  }
  // Loads the picture with its view and waits until its window shows it.
  Qz_Object* LoadShown(const std::string& path) {
    image_ = Qz__LoadImageA(path.c_str(), nullptr, nullptr, kQuiet, nullptr);
    if (!image_ || !Qz_CurrentViewOf(image_)) return nullptr;
    return Shown(image_);
  }
  // The window of the image's view, once it is open and drawn.
  Qz_Object* Shown(Qz_Image* image) {
    Qz_Object* window = Qz_SearchHierachyForClassId(Qz_CurrentViewOf(image), kWindowClassId);
    if (!window) return nullptr;
    for (int i = 0; i < 250 && !Qz__PlatformWindowOf(window); ++i) Delay(1);
    if (!Qz__PlatformWindowOf(window) || !Settle(window, image)) return nullptr;
    return window;
  }
  Qz_Object* ViewWindow() { return Qz_SearchHierachyForClassId(Qz_CurrentViewOf(image_), kWindowClassId); }
  bool Settle(Qz_Object* window, Qz_Image* image = nullptr) {
    if (!image) image = image_;
    if (!ui_.settle(window)) return false;
    if (Qz_CurrentViewOf(image)) Qz__SettleImageView(Qz_CurrentViewOf(image));
    return ui_.settle(window);
  }
  // The view's pixels on screen that differ from the picture (at 100 %).
  int Mismatches(Qz_Object* window, int32_t w, int32_t h) {
    const Qz_LayoutBox b = UiHarness::box(Qz_CurrentViewOf(image_));
    int bad = 0;
    for (int32_t y = 0; y < h; ++y)
      for (int32_t x = 0; x < w; ++x)
        if (ui_.pixel(window, b.left + x, b.top + y) != Pixel(x, y)) ++bad;
    return bad;
  }
  // Whether the image object still exists (it is on the open-image list).
  static bool IsOpen(Qz_Image* image) {
    Qz_ImageBase* base = Qz_GetImageBase();
    ObtainSemaphore(&base->semaphore);
    bool found = false;
    for (Node* n = base->openImages.lh_Head; n && n->ln_Succ; n = n->ln_Succ)
      found = found || reinterpret_cast<Qz_ImageNode*>(n)->image == image;
    ReleaseSemaphore(&base->semaphore);
    return found;
  }
  // Waits until the image is disposed (by someone else); false when it stays.
  static bool WaitUntilDisposed(Qz_Image* image) {
    for (int i = 0; i < 500 && IsOpen(image); ++i) Delay(1);
    return !IsOpen(image);
  }
  UiHarness ui_;
  TempDir dir_;
  Qz_Image* image_ = nullptr;
};

}  // namespace qztest
