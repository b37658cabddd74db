#include "panel_fixture.h"

#include "gadgets/qz_group.h"
#include "objects/object_services.h"
#include "platform/paths.h"
#include "platform/windows.h"
#include "support/object_tree.h"

QZ_EXTERN_C_BEGIN
QzWord Qz_InitRootPluginClass(Qz_GlobalData*);
void Qz_CleanupRootPluginClass(void);
QZ_EXTERN_C_END

namespace qztest {

InDataRoot::InDataRoot() : before_(std::filesystem::current_path()) {
  char root[4096] = {};
  Qz_GetDataRoot(root, sizeof root);
  std::filesystem::current_path(root);
}

InDataRoot::~InDataRoot() { std::filesystem::current_path(before_); }

void PanelImageTest::StartUp(const PanelClass& panel, std::initializer_list<qz::app::ClassGroup> groups,
                             int32_t width, int32_t height) {
  panelClass_ = panel;
  groups_.assign(groups.begin(), groups.end());
  ASSERT_NE(Qz_InitImageBase(), nullptr);
  ASSERT_EQ(Qz_InitImageClass(Qz_GetGlobalData()), 1u);
  for (auto group : groups_) qz::app::initClasses(qz::app::classGroup(group), Qz_GetGlobalData());
  ASSERT_EQ(Qz_InitRootPluginClass(nullptr), 1u);
  ASSERT_EQ(panel.init(nullptr), 1u);
  doc_ = reinterpret_cast<Qz_Image*>(Qz_CreateObject("Image", kQzImageSetType, kQzDocument));
  ASSERT_NE(doc_, nullptr);
  ASSERT_NE(Qz_AllocImage(doc_, width, height, 24, kQzAllocNoThread, nullptr), nullptr);
  layer_ = reinterpret_cast<Qz_Image*>(Qz_CreateObject("Image", kQzImageSetType, kQzPaintLayer));
  ASSERT_NE(layer_, nullptr);
  layer_->parent = doc_;
  ASSERT_NE(Qz_AllocImage(layer_, width, height, 8, kQzAllocNoThread, nullptr), nullptr);
  Qz_DoMethod(&doc_->object, kQzImageAddLayer, layer_);
  Qz_DoMethod(&doc_->object, kQzImageMakeActive, layer_);
  SetActive(doc_);
  InDataRoot here;
  panel_ = Qz_CreateObject(panel.name);
  ASSERT_NE(panel_, nullptr);
}

void PanelImageTest::OpenPanelWindow() {
  window_ = ui.window(panelClass_.name, 40, 40, 240, 480);  // the panel column's size
  ASSERT_NE(window_, nullptr);
  Qz_DoMethod(window_, kGroupAddTail, panel_);
  ASSERT_TRUE(ui.open(window_));
}

void PanelImageTest::TearDown() {
  if (window_) {
    ui.dispose(window_);  // the panel goes with it
    window_ = panel_ = nullptr;
  }
  Qz_DisposeObject(panel_);
  SetActive(nullptr);
  if (doc_) {
    Qz_Object* media = doc_->media;
    Qz_DisposeObject(&doc_->object);
    Qz_DisposeObject(media);
  }
  if (panelClass_.cleanup) panelClass_.cleanup();
  Qz_CleanupRootPluginClass();
  for (auto it = groups_.rbegin(); it != groups_.rend(); ++it) qz::app::cleanupClasses(qz::app::classGroup(*it));
  Qz_CleanupImageClass();
  Qz_CleanupImageBase();
}

void PanelImageTest::SetActive(Qz_Image* image) {
  Qz_ImageBase* base = Qz_GetImageBase();
  ObtainSemaphore(&base->semaphore);
  base->activeImage = image;
  ReleaseSemaphore(&base->semaphore);
}

Qz_Object* PanelImageTest::Find(Qz_Object* tree, const char* className) {
  const std::vector<Qz_Object*> all = FindAllOf(tree, className);
  return all.empty() ? nullptr : all.front();
}

}  // namespace qztest
