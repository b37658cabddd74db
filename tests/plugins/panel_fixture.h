// Shared set-up of the panel tests that act on an image: the image classes
// and the class groups the panel needs, a document with one paint layer made
// the active image, and the panel made as the program makes it, from the
// data root.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <vector>

#include "app/class_registration.h"
#include "image/qz_image.h"
#include "support/ui_harness.h"

namespace qztest {

// Makes the data root the working folder while it lives, as the program does.
class InDataRoot {
 public:
  InDataRoot();
  ~InDataRoot();

 private:
  std::filesystem::path before_;
};

struct PanelClass {
  QzWord (*init)(Qz_GlobalData*);
  void (*cleanup)();
  const char* name;
};

class PanelImageTest : public testing::Test {
 protected:
  // Registers the classes, makes the document (width x height) and the panel.
  void StartUp(const PanelClass& panel, std::initializer_list<qz::app::ClassGroup> groups, int32_t width,
               int32_t height);
  void TearDown() override;
  static void SetActive(Qz_Image* image);
  // The first object made from the class in a tree, in tree order; null when none.
  static Qz_Object* Find(Qz_Object* tree, const char* className);
  // Puts the panel in a window of its own and opens it (window_); the
  // window goes with the panel at tear-down.
  void OpenPanelWindow();

  UiHarness ui;
  Qz_Image* doc_ = nullptr;
  Qz_Image* layer_ = nullptr;
  Qz_Object* panel_ = nullptr;
  Qz_Object* window_ = nullptr;

 private:
  PanelClass panelClass_{};
  std::vector<qz::app::ClassGroup> groups_;
};

}  // namespace qztest
