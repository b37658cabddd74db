// A document with one paint layer, shown by a view whose window pixels are
// the picture's, and a tool driven by scripted input over it.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "actions/action_internal.h"
#include "actions/qz_actions.h"
#include "gadgets/qz_input_event.h"
#include "gadgets/qz_widgets.h"
#include "image/qz_image.h"
#include "objects/qz_linked_list.h"
#include "objects/qz_root.h"
#include "platform/windows.h"
#include "tools/qz_root_tool.h"

namespace qz::test {

constexpr int32_t kWidth = 40, kHeight = 30;

class ToolFixture : public ::testing::Test {
 public:
  void SetUp() override {
    doc_ = reinterpret_cast<Qz_Image*>(Qz_CreateObject("Image", kQzImageSetType, kQzDocument));
    ASSERT_NE(Qz_AllocImage(doc_, kWidth, kHeight, 24, kQzAllocNoThread, nullptr), nullptr);
    auto* layer = reinterpret_cast<Qz_Image*>(Qz_CreateObject("Image", kQzImageSetType, kQzPaintLayer));
    layer->parent = doc_;
    ASSERT_NE(Qz_AllocImage(layer, kWidth, kHeight, 8, kQzAllocNoThread, nullptr), nullptr);
    Qz_DoMethod(&doc_->object, kQzImageAddLayer, layer);
    Qz_DoMethod(&doc_->object, kQzImageMakeActive, layer);
    layer_ = layer;
    view_ = Qz_CreateObject("Root");
    Qz_RootInstance(view_)->userData = qz::toWord(doc_);
    auto* box = reinterpret_cast<Qz_LayoutBox*>(Qz_DoMethod(view_, kRootGetLayoutBox));
    box->left = 0, box->top = 0, box->width = kWidth, box->height = kHeight;
    Qz_SetCurrentView(doc_, view_);
  }
  void TearDown() override {
    Qz_DisposeObject(tool_);
    Qz_SetCurrentView(doc_, nullptr);
    Qz_DisposeObject(view_);
    Qz_DisposeObject(&doc_->object);
  }
  void Use(const char* cls, uint32_t state = 0) {
    tool_ = Qz_CreateObject(cls);
    ASSERT_NE(tool_, nullptr);
    if (state) Qz_DoMethod(tool_, kToolButtonSetState, state);
  }
  QzWord Input(uint32_t cls, uint32_t code, int16_t x, int16_t y, uint16_t qualifier = 0) {
    Qz_InputEvent e{};
    e.cls = cls, e.code = code, e.mouseX = x, e.mouseY = y, e.qualifier = qualifier;
    return Qz_DoMethod(tool_, kToolInputMethod, doc_, &e);
  }
  void Drag(int16_t x0, int16_t y0, int16_t x1, int16_t y1, bool right = false, uint16_t qualifier = 0) {
    Input(IDCMP_MOUSEBUTTONS, right ? MENUDOWN : SELECTDOWN, x0, y0);
    Input(IDCMP_MOUSEMOVE, 0, x1, y1, qualifier);
    Input(IDCMP_MOUSEBUTTONS, right ? MENUUP : SELECTUP, x1, y1, qualifier);
  }
  void Click(int16_t x, int16_t y, bool right = false) {
    Input(IDCMP_MOUSEBUTTONS, right ? MENUDOWN : SELECTDOWN, x, y);
    Input(IDCMP_MOUSEBUTTONS, right ? MENUUP : SELECTUP, x, y);
  }
  Qz_Object* Newest() { return qz::actions::listFirst(Qz_GetUndoList(doc_)); }
  uint32_t ListLength() { return uint32_t(Qz_DoMethod(Qz_GetUndoList(doc_), kLinkedListCount)); }
  static std::vector<int32_t> Points(Qz_Object* action) {
    std::vector<int32_t> out;
    auto* list = reinterpret_cast<Qz_Object*>(Qz_DoMethod(action, kActionGetPoints));
    for (Qz_Object* p = list ? qz::actions::listFirst(list) : nullptr; p; p = qz::actions::listOlder(list, p)) {
      out.push_back(int32_t(Qz_DoMethod(p, kActionGetX)));
      out.push_back(int32_t(Qz_DoMethod(p, kActionGetY)));
    }
    return out;
  }

  Qz_Image* doc_ = nullptr;
  Qz_Image* layer_ = nullptr;
  Qz_Object* view_ = nullptr;
  Qz_Object* tool_ = nullptr;
};

}  // namespace qz::test
