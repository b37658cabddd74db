// Undo lists stored as object text and read back; layer deletion and moves.
#include <fstream>
#include <sstream>

#include "action_fixture.h"
#include "objects/qz_linked_list.h"
#include "support/temp_dir.h"

namespace qztest {
namespace {

class UndoListTextTest : public ActionTest {};

TEST_F(UndoListTextTest, StoredListLoadsInOrderAndAppliesEachActionOnceOldestFirst) {
  TempDir dir;
  Qz_Image* doc = MakeDocument(12, 12, 1);
  Qz_Image* layer = Layer(doc, 0);
  Stroke(layer, {{1, 1}, {4, 4}}, 1);
  Qz_Object* fill = Qz_CreateObject("FillImageAction", kFillImageActionSetValue, 0x20u);
  ASSERT_EQ(Qz_AddLayerAction(layer, fill, 0), 1u);
  Qz_DoMethod(fill, kActionApply);
  Stroke(layer, {{2, 9}, {9, 9}, {9, 2}}, 2, kActionLines);
  const auto painted = Plane(layer->grey, 12, 12);
  const std::string first = dir.file("first.QzStr"), second = dir.file("second.QzStr");
  ASSERT_EQ(Qz_SaveImageActions(doc, first.c_str()), 1u);
  const QzWord stored = Qz_DoMethod(Qz_GetUndoList(doc), kLinkedListCount);
  const std::string text = qztest::fileContents(first);
  EXPECT_NE(text.find("Qz_SetActionFlags"), std::string::npos);
  EXPECT_NE(text.find("PointAction"), std::string::npos);

  Qz_Image* copy = MakeDocument(12, 12, 1);
  Stroke(Layer(copy, 0), {{0, 0}, {11, 0}});  // replaced by the load
  MediaLog(copy->media).clear();
  ASSERT_EQ(Qz_LoadImageActions(copy, first.c_str()), 1u);
  EXPECT_EQ(Qz_DoMethod(Qz_GetUndoList(copy), kLinkedListCount), stored);
  std::vector<int32_t> starts;
  for (const StrokeMessage& m : MediaLog(copy->media))
    if (m.kind == kMediaStrokeLine) starts.push_back(m.coords[0]);
  EXPECT_EQ(starts, (std::vector<int32_t>{1, 2, 9}));
  EXPECT_EQ(Plane(Layer(copy, 0)->grey, 12, 12), painted) << "the old stroke is gone, the loaded ones are there";
  ASSERT_EQ(Qz_SaveImageActions(copy, second.c_str()), 1u);
  EXPECT_EQ(qztest::fileContents(second), text);
}

TEST_F(UndoListTextTest, MissingOrHostileFilesKeepTheList) {
  TempDir dir;
  Qz_Image* doc = MakeDocument(6, 6, 1);
  Stroke(Layer(doc, 0), {{1, 1}, {2, 2}});
  const QzWord count = Qz_DoMethod(Qz_GetUndoList(doc), kLinkedListCount);
  const std::string bad = dir.file("bad.QzStr");
  std::ofstream(bad) << "LinkedList\n{\n\tRootAction\n\t{\n";
  EXPECT_EQ(Qz_LoadImageActions(doc, dir.file("none.QzStr").c_str()), 0u);
  EXPECT_EQ(Qz_LoadImageActions(doc, bad.c_str()), 0u);
  EXPECT_EQ(Qz_LoadImageActions(nullptr, bad.c_str()), 0u);
  EXPECT_EQ(Qz_SaveImageActions(doc, nullptr), 0u);
  EXPECT_EQ(Qz_DoMethod(Qz_GetUndoList(doc), kLinkedListCount), count);
}

TEST_F(UndoListTextTest, DeletedPaintLayerComesBackWithItsStrokes) {
  Qz_Image* doc = MakeDocument(8, 8, 2);
  Qz_Image* layer = Layer(doc, 1);
  Stroke(layer, {{0, 3}, {7, 3}});
  const auto painted = Plane(layer->grey, 8, 8);
  Qz_Object* del = Qz_CreateObject("DisposeImageAction");
  ASSERT_EQ(Qz_AddLayerAction(layer, del, 0), 1u);
  Qz_DoMethod(del, kActionApply);
  EXPECT_EQ(Layer(doc, 1), nullptr);
  EXPECT_EQ(layer->grey, nullptr);
  ASSERT_EQ(Qz_UndoImageAction(doc), 1u);
  ASSERT_EQ(Layer(doc, 1), layer);
  EXPECT_EQ(doc->activeLayer, layer);
  EXPECT_EQ(Plane(layer->grey, 8, 8), painted);
  ASSERT_EQ(Qz_RedoImageAction(doc), 1u);
  EXPECT_EQ(Layer(doc, 1), nullptr);
}

TEST_F(UndoListTextTest, PositionRecordsThePlacementItReplaces) {
  Qz_Image* doc = MakeDocument(8, 8, 1);
  Qz_Image* layer = Layer(doc, 0);
  layer->placement.layerX = 3;
  layer->placement.layerY = 4;
  Qz_Object* move = Qz_CreateObject("PositionAction", kPositionActionSetKind, 0u);
  Qz_DoMethod(move, kActionSetX, 1);
  Qz_DoMethod(move, kActionSetY, 2);
  ASSERT_EQ(Qz_AddLayerAction(layer, move, 0), 1u);
  // Adding recomputes bounds; the new placement must survive it.
  EXPECT_EQ(int32_t(Qz_DoMethod(move, kActionGetX)), 1);
  EXPECT_EQ(int32_t(Qz_DoMethod(move, kActionGetY)), 2);
  EXPECT_EQ(Qz_DoMethod(move, kActionApply), 1u);
  EXPECT_EQ(Qz_DoMethod(move, kActionUndo), 1u);
}

}  // namespace
}  // namespace qztest

namespace qztest {
namespace {

TEST_F(UndoListTextTest, EdgeCasesOfTheActionClasses) {
  Qz_Image* doc = MakeDocument(6, 6, 1);
  Qz_Image* layer = Layer(doc, 0);
  // A transform with neither angle nor scale only takes the undo copy.
  Qz_Object* t = Qz_CreateObject("TransformAction");
  ASSERT_EQ(Qz_AddImageAction(doc, t, 0), 1u);
  const uint64_t base = Qz_DoMethod(t, kActionBaseSize);
  EXPECT_EQ(Qz_DoMethod(t, kActionApply), 1u);
  EXPECT_GT(uint64_t(Qz_DoMethod(t, kActionTotalSize)), base);
  EXPECT_EQ(doc->width, 6);
  // Inverting twice restores the layer.
  layer->grey[2][3] = 17;
  const auto before = Plane(layer->grey, 6, 6);
  Qz_Object* invert = Qz_CreateObject("InvertImageAction");
  ASSERT_EQ(Qz_AddLayerAction(layer, invert, 0), 1u);
  Qz_DoMethod(invert, kActionApply);
  EXPECT_EQ(layer->grey[2][3], 255 - 17);
  Qz_DoMethod(invert, kActionApply);
  EXPECT_EQ(Plane(layer->grey, 6, 6), before);
  EXPECT_EQ(Qz_DoMethod(invert, kActionGetFlags), 1u);
  // Deleting an image layer cannot be undone: it stays deleted.
  auto* imageLayer =
      reinterpret_cast<Qz_Image*>(Qz_CreateObject("Image", kQzImageSetType, kQzImageLayer));
  imageLayer->parent = doc;
  ASSERT_NE(Qz_AllocImage(imageLayer, 6, 6, 24, kQzAllocNoThread, nullptr), nullptr);
  Qz_DoMethod(&doc->object, kQzImageAddLayer, imageLayer);
  Qz_Object* del = Qz_CreateObject("DisposeImageAction");
  ASSERT_EQ(Qz_AddLayerAction(imageLayer, del, 0), 1u);
  Qz_DoMethod(del, kActionApply);
  EXPECT_EQ(next_layer(layer), nullptr);
  EXPECT_EQ(Qz_DoMethod(del, kActionUndo), 0u);
  EXPECT_EQ(next_layer(layer), nullptr);
}

}  // namespace
}  // namespace qztest
