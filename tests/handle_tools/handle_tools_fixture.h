// A document of one paint layer shown through a stand-in view whose zoom a
// test sets (window pixel = picture pixel x zoom / 100, no offset), with
// the action classes and the handle, crop and magnify tools registered.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "actions/action_internal.h"
#include "app/class_registration.h"
#include "gadgets/qz_input_event.h"
#include "image/qz_image.h"
#include "objects/qz_linked_list.h"
#include "objects/qz_notify.h"
#include "objects/qz_root.h"
#include "platform/windows.h"
#include "tools/point_action_edit.h"
#include "tools/qz_handle_tools.h"
#include "tools/qz_root_tool.h"

namespace handle_tools_test {

inline int32_t gZoomPercent = 100;

inline int ZoomedGeometry(Qz_Object* view, Qz_Image** image, int32_t* w, int32_t* h, int32_t* x, int32_t* y) {
  auto* document = reinterpret_cast<Qz_Image*>(Qz_RootInstance(view)->userData);
  *image = document;
  *w = document->width * gZoomPercent / 100, *h = document->height * gZoomPercent / 100, *x = 0, *y = 0;
  return 1;
}

class ToolsEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    ASSERT_NE(Qz_InitImageBase(), nullptr);
    Qz_GlobalData* global = Qz_GetGlobalData();
    ASSERT_EQ(Qz_InitImageClass(global), 1u);
    ASSERT_GT(qz::app::initClasses(qz::app::classGroup(qz::app::ClassGroup::Modes), global), 0u);
    ASSERT_GT(qz::app::initClasses(qz::app::classGroup(qz::app::ClassGroup::Actions), global), 0u);
    ASSERT_GT(qz::app::initClasses(qz::app::classGroup(qz::app::ClassGroup::Tools), global), 0u);
    saved_ = Qz_GetImageHooks()->viewGeometry;
    Qz_GetImageHooks()->viewGeometry = ZoomedGeometry;
  }
  void TearDown() override {
    Qz_GetImageHooks()->viewGeometry = saved_;
    qz::app::cleanupClasses(qz::app::classGroup(qz::app::ClassGroup::Tools));
    qz::app::cleanupClasses(qz::app::classGroup(qz::app::ClassGroup::Actions));
    qz::app::cleanupClasses(qz::app::classGroup(qz::app::ClassGroup::Modes));
    Qz_CleanupImageClass();
    Qz_CleanupImageBase();
  }

 private:
  int (*saved_)(Qz_Object*, Qz_Image**, int32_t*, int32_t*, int32_t*, int32_t*) = nullptr;
};

// One open document: a 24-bit background with one 8-bit paint layer.
struct Document {
  Qz_Image* doc = nullptr;
  Qz_Image* layer = nullptr;
  Qz_Object* view = nullptr;

  void Open(int32_t width, int32_t height) {
    doc = reinterpret_cast<Qz_Image*>(Qz_CreateObject("Image", kQzImageSetType, kQzDocument));
    ASSERT_NE(Qz_AllocImage(doc, width, height, 24, kQzAllocNoThread, nullptr), nullptr);
    layer = reinterpret_cast<Qz_Image*>(Qz_CreateObject("Image", kQzImageSetType, kQzPaintLayer));
    layer->parent = doc;
    ASSERT_NE(Qz_AllocImage(layer, width, height, 8, kQzAllocNoThread, nullptr), nullptr);
    Qz_DoMethod(&doc->object, kQzImageAddLayer, layer);
    Qz_DoMethod(&doc->object, kQzImageMakeActive, layer);
    view = Qz_CreateObject("Root");
    Qz_RootInstance(view)->userData = qz::toWord(doc);
    auto* box = reinterpret_cast<Qz_LayoutBox*>(Qz_DoMethod(view, kRootGetLayoutBox));
    box->left = 0, box->top = 0, box->width = 4000, box->height = 4000;
    Qz_SetCurrentView(doc, view);
    Qz_DoMethod(&doc->object, kQzImageMakeDocument);
  }
  // The document the panels work on.
  void MakeActive() { Qz_DoMethod(&doc->object, kQzAppMakeActiveImage, doc); }
  // A gradient background, every byte told apart by its place and plane.
  void Paint() {
    for (int32_t y = 0; y < doc->height; ++y)
      for (int32_t x = 0; x < doc->width; ++x) {
        doc->undoR[y][x] = doc->r[y][x] = uint8_t(x * 3 + y);
        doc->undoG[y][x] = doc->g[y][x] = uint8_t(x + y * 5);
        doc->undoB[y][x] = doc->b[y][x] = uint8_t(x ^ y);
        layer->grey[y][x] = uint8_t(x * 7 + y * 11);
      }
  }
  void Close() {
    if (!doc) return;
    Qz_SetCurrentView(doc, nullptr);
    Qz_DisposeObject(view);
    Qz_DisposeObject(&doc->object);
    doc = nullptr;
  }
  // Every byte of the background planes and the layer, in one list.
  std::vector<uint8_t> Bytes() const {
    std::vector<uint8_t> out;
    for (Qz_Plane plane : {doc->undoR, doc->undoG, doc->undoB, layer->grey})
      for (int32_t y = 0; y < doc->height; ++y) out.insert(out.end(), plane[y], plane[y] + doc->width);
    return out;
  }
  Qz_Object* UndoList() const { return Qz_GetUndoList(doc); }
  Qz_Object* Newest() const { return qz::actions::listFirst(UndoList()); }
  uint32_t Steps() const { return uint32_t(Qz_DoMethod(UndoList(), kLinkedListCount)); }
};

inline QzWord Input(Qz_Object* tool, Qz_Image* doc, uint32_t cls, uint32_t code, int32_t x, int32_t y) {
  Qz_InputEvent e{};
  e.cls = cls, e.code = code, e.mouseX = int16_t(x), e.mouseY = int16_t(y);
  return Qz_DoMethod(tool, kToolInputMethod, doc, &e);
}

inline void Drag(Qz_Object* tool, Qz_Image* doc, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  Input(tool, doc, IDCMP_MOUSEBUTTONS, SELECTDOWN, x0, y0);
  Input(tool, doc, IDCMP_MOUSEMOVE, 0, x1, y1);
  Input(tool, doc, IDCMP_MOUSEBUTTONS, SELECTUP, x1, y1);
}

using Points = std::vector<qz::tools::HandlePoint>;

// The gadget of a panel with that class and user data, searched depth first.
inline Qz_Object* FindGadget(Qz_Object* group, uint32_t classId, uint32_t userData) {
  if (!group) return nullptr;
  if (qz::actions::classIdOf(group) == classId && Qz_DoMethod(group, kRootGetUserData) == userData) return group;
  for (Qz_Object* child = qz::actions::listFirst(group); child; child = qz::actions::listOlder(group, child))
    if (Qz_Object* found = FindGadget(child, classId, userData)) return found;
  return nullptr;
}

}  // namespace handle_tools_test
