// The folder tree over POSIX folders: listing, opening once, and showing a
// path by opening the nodes down to it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "gadgets/qz_group.h"
#include "gadgets/qz_list_tree.h"
#include "support/temp_dir.h"
#include "support/ui_harness.h"

namespace {

namespace fs = std::filesystem;

class DirTree : public testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"a/B", "a/c/deep", "a/.hidden", "a/Ähnlich", "a/zeta"}) fs::create_directories(dir.file(name));
    std::ofstream(dir.file("a/file.txt")) << "not a folder";
  }
  static std::vector<std::string> childNames(Qz_Object* node) {
    std::vector<std::string> out;
    for (auto* c = reinterpret_cast<Qz_Object*>(Qz_DoMethod(node, kGroupFirst)); c != nullptr;
         c = reinterpret_cast<Qz_Object*>(Qz_DoMethod(node, kGroupNext, c))) {
      out.push_back(reinterpret_cast<const char*>(Qz_DoMethod(c, kListTreeNodeGetName)));
    }
    return out;
  }

  qztest::UiHarness ui;
  qztest::TempDir dir;
};

TEST_F(DirTree, ListsSubFoldersSortedWithoutHiddenOnes) {
  const std::vector<std::string> expected{"B", "c", "zeta", "Ähnlich"};
  EXPECT_EQ(qz::gadgets::listSubFolders(dir.file("a")), expected);
  EXPECT_TRUE(qz::gadgets::listSubFolders(dir.file("missing")).empty());
  struct Case {
    const char* path;
    const char* shown;
  };
  for (const Case& c : {Case{"/", "/"}, Case{"/home/ann", "ann"}, Case{"/home/ann/", "ann"}, Case{"relative", "relative"}}) {
    EXPECT_EQ(qz::gadgets::folderDisplayName(c.path), c.shown) << c.path;
  }
}

TEST_F(DirTree, NodeListsItsChildrenOnceWhenFirstOpened) {
  Qz_Object* node = Qz_CreateObject("DirTreeNode", kDirTreeNodeSetPath, dir.file("a").c_str());
  ASSERT_NE(node, nullptr);
  EXPECT_STREQ(reinterpret_cast<const char*>(Qz_DoMethod(node, kListTreeNodeGetName)), "a");
  EXPECT_TRUE(childNames(node).empty()) << "nothing is listed before the node opens";
  Qz_DoMethod(node, kListTreeNodeExpand);
  const std::vector<std::string> expected{"B", "c", "zeta", "Ähnlich"};
  EXPECT_EQ(childNames(node), expected);
  Qz_DoMethod(node, kListTreeNodeCollapse);
  Qz_DoMethod(node, kListTreeNodeExpand);
  EXPECT_EQ(childNames(node), expected) << "opened twice, listed once";
  EXPECT_EQ(Qz_DoMethod(node, kDirTreeNodeGetIdList), 0u);
  Qz_DisposeObject(node);
}

TEST_F(DirTree, ShowingAPathSelectsItsNode) {
  Qz_Object* tree = Qz_CreateObject("DirTree");
  ASSERT_NE(tree, nullptr);
  const std::string target = dir.file("a/c");
  const QzWord shown = Qz_DoMethod(tree, kDirTreeShowPath, (target + "/").c_str());
  ASSERT_NE(shown, 0u);
  EXPECT_STREQ(reinterpret_cast<const char*>(Qz_DoMethod(reinterpret_cast<Qz_Object*>(shown), kDirTreeNodeGetPath)),
               target.c_str());
  EXPECT_EQ(Qz_DoMethod(tree, kListTreeGetSelectedNode), shown);
  EXPECT_EQ(Qz_DoMethod(tree, kDirTreeShowPath, target.c_str()), 0u) << "the same path without its slash: no work";
  EXPECT_EQ(Qz_DoMethod(tree, kListTreeGetSelectedNode), shown);
  EXPECT_EQ(Qz_DoMethod(tree, kDirTreeShowPath, dir.file("a/none").c_str()), 0u) << "a missing folder";
  Qz_DisposeObject(tree);
}

}  // namespace
