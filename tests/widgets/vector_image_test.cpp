#include <gtest/gtest.h>

#include "canvas.h"
#include "gadgets/qz_widgets.h"

namespace {

using VectorImage = qztest::Canvas;

TEST_F(VectorImage, SizesFreeOrFixed) {
  struct Case {
    QzWord fixedW, fixedH;
    int minW, maxW, minH, maxH;
  };
  const Case cases[] = {{0, 0, 3, 2400, 3, 2400}, {10, 0, 10, 10, 3, 2400}, {0, 7, 3, 2400, 7, 7}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.fixedW << "x" << c.fixedH);
    Qz_Object* v = Qz_CreateObject("VectorImage");
    if (c.fixedW) Qz_DoMethod(v, kFixWidth, c.fixedW);
    if (c.fixedH) Qz_DoMethod(v, kFixHeight, c.fixedH);
    Qz_DoMethod(v, kRootMeasure);
    const Qz_LayoutBox* b = box(v);
    EXPECT_EQ(b->minWidth, c.minW);
    EXPECT_EQ(b->width, c.minW);
    EXPECT_EQ(b->maxWidth, c.maxW);
    EXPECT_EQ(b->minHeight, c.minH);
    EXPECT_EQ(b->maxHeight, c.maxH);
    Qz_DisposeObject(v);
  }
}

TEST_F(VectorImage, ArrowsPointTheirWayInTheirStatesPen) {
  struct Case {
    QzWord kind;
    bool selected, disabled;
    int tipX, tipY;    // inside the symbol
    int emptyX, emptyY;  // beside it
    uint32_t pen;
  };
  // Box 20,20 21 x 21; drawn inset by one: 21..39.
  const Case cases[] = {
      {kVectorImageUpArrow, false, false, 30, 22, 22, 22, 1},
      {kVectorImageUpArrow, true, false, 30, 22, 22, 22, 2},
      {kVectorImageUpArrow, false, true, 30, 22, 22, 22, info.disabledPen},
      {kVectorImageDownArrow, false, false, 30, 38, 22, 38, 1},
      {kVectorImageLeftArrow, false, false, 22, 30, 22, 22, 1},
      {kVectorImageRightArrow, false, false, 38, 30, 38, 22, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.kind << " sel " << c.selected << " dis " << c.disabled);
    clear();
    Qz_Object* v = attach(Qz_CreateObject("VectorImage", kVectorImageSetKind, c.kind));
    if (c.selected) Qz_DoMethod(v, kRootSelect);
    if (c.disabled) Qz_DoMethod(v, kRootDisable);
    placeAt(v, 20, 20, 21, 21);
    Qz_DoMethod(v, kRootDraw);
    EXPECT_EQ(at(c.tipX, c.tipY), Qz_ResolvePen(c.pen));
    EXPECT_EQ(at(c.emptyX, c.emptyY), qztest::kWhite);
    EXPECT_EQ(at(20, 20), qztest::kWhite) << "inset by one pixel";
    Qz_DisposeObject(v);
  }
}

TEST_F(VectorImage, UnknownKindsDrawNothing) {
  for (uint32_t kind : {0u, 0x5003Cu, 0x50050u, 0x500AAu}) {
    SCOPED_TRACE(kind);
    clear();
    Qz__RenderVectorImage(&info, 0, 0, 30, 30, kind, 0, 0);
    EXPECT_EQ(ink(0, 0, 40, 40), 0);
  }
  Qz__RenderVectorImage(&info, 0, 0, 11, 11, kVectorImagePlusBox, 0, 0);
  EXPECT_EQ(at(5, 2), Qz_ResolvePen(1)) << "the plus box's vertical stroke";
  EXPECT_EQ(at(2, 5), Qz_ResolvePen(1));
}

}  // namespace
