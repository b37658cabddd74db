#include <gtest/gtest.h>

#include <cstring>
#include <list>
#include <random>
#include <string>
#include <vector>

#include "platform/lists.h"

namespace {

std::vector<Node*> walk(List* l) {
  std::vector<Node*> out;
  for (Node* n = l->lh_Head; n->ln_Succ; n = n->ln_Succ) out.push_back(n);
  return out;
}

// Both directions agree and the sentinels are where they belong.
void expectConsistent(List* l) {
  std::vector<Node*> fwd = walk(l);
  std::vector<Node*> back;
  for (Node* n = l->lh_TailPred; n->ln_Pred; n = n->ln_Pred) back.insert(back.begin(), n);
  EXPECT_EQ(fwd, back);
  EXPECT_EQ(l->lh_Tail, nullptr);
  if (fwd.empty()) {
    EXPECT_EQ(l->lh_Head, reinterpret_cast<Node*>(&l->lh_Tail));
    EXPECT_EQ(l->lh_TailPred, reinterpret_cast<Node*>(l));
  } else {
    EXPECT_EQ(fwd.front()->ln_Pred, reinterpret_cast<Node*>(&l->lh_Head));
    EXPECT_EQ(fwd.back()->ln_Succ, reinterpret_cast<Node*>(&l->lh_Tail));
  }
}

TEST(Lists, EmptyListShapeAndQueries) {
  List l;
  NewList(&l);
  expectConsistent(&l);
  Node stray{};
  EXPECT_EQ(ListCount(&l), 0u);
  EXPECT_EQ(NodeFromIndex(&l, 0), nullptr);
  EXPECT_EQ(IndexFromNode(&l, &stray), 0xFFFFFFFFu);
  EXPECT_EQ(RemHead(&l), nullptr);
  EXPECT_EQ(RemTail(&l), nullptr);
}

TEST(Lists, InsertPositionsAndDoubleRemove) {
  List l;
  NewList(&l);
  Node a{}, b{}, c{}, d{};
  AddTail(&l, &b);      // b
  AddHead(&l, &a);      // a b
  AddTail(&l, &d);      // a b d
  Insert(&l, &c, &b);   // a b c d
  EXPECT_EQ(walk(&l), (std::vector<Node*>{&a, &b, &c, &d}));
  EXPECT_EQ(NodeFromIndex(&l, 2), &c);
  EXPECT_EQ(NodeFromIndex(&l, 4), nullptr);
  EXPECT_EQ(IndexFromNode(&l, &d), 3u);
  Remove(&c);
  EXPECT_EQ(c.ln_Succ, nullptr);
  EXPECT_EQ(c.ln_Pred, nullptr);
  Remove(&c);  // a second removal leaves the list alone
  EXPECT_EQ(walk(&l), (std::vector<Node*>{&a, &b, &d}));
  EXPECT_EQ(IndexFromNode(&l, &c), 0xFFFFFFFFu);
  Insert(&l, &c, nullptr);  // NULL predecessor: the head
  EXPECT_EQ(walk(&l).front(), &c);
  expectConsistent(&l);
}

// Random inserts and removals against a model list.
TEST(Lists, MatchesModelUnderRandomEdits) {
  constexpr int kNodes = 40;
  std::vector<Node> nodes(kNodes);
  std::vector<bool> inList(kNodes, false);
  std::list<Node*> model;
  List l;
  NewList(&l);
  std::mt19937 rng(7);
  for (int step = 0; step < 2000; ++step) {
    int i = static_cast<int>(rng() % kNodes);
    Node* n = &nodes[i];
    if (inList[i]) {
      Remove(n);
      model.remove(n);
      inList[i] = false;
    } else {
      switch (rng() % 3) {
        case 0: AddHead(&l, n); model.push_front(n); break;
        case 1: AddTail(&l, n); model.push_back(n); break;
        default: {
          if (model.empty()) { AddHead(&l, n); model.push_front(n); break; }
          auto it = model.begin();
          std::advance(it, rng() % model.size());
          Insert(&l, n, *it);
          model.insert(std::next(it), n);
        }
      }
      inList[i] = true;
    }
  }
  EXPECT_EQ(walk(&l), std::vector<Node*>(model.begin(), model.end()));
  EXPECT_EQ(ListCount(&l), model.size());
  expectConsistent(&l);
}

// --- tag lists ---------------------------------------------------------

constexpr QzWord kA = 0x80000001, kB = 0x80000002, kC = 0x80000003, kD = 0x80000004;

TEST(TagLists, FindThroughSkipsAndChains) {
  TagItem nested[] = {{kC, 30}, {TAG_DONE, 0}};
  TagItem emptyNested[] = {{TAG_DONE, 0}};
  // kA, then a chain that lacks kD (the search goes on after it), a skip
  // of 3 hiding kB and landing on a chain into nested, then kD.
  TagItem list[] = {
      {kA, 10},
      {TAG_MORE, reinterpret_cast<QzWord>(emptyNested)},
      {TAG_SKIP, 3},
      {kB, 20},
      {TAG_MORE, reinterpret_cast<QzWord>(nested)},
      {kD, 40},
      {TAG_DONE, 0},
      {kB, 99},  // past the end
  };
  struct Case {
    QzWord tag;
    const TagItem* expect;
  };
  const Case cases[] = {
      {kA, &list[0]},
      {kB, nullptr},      // skipped over
      {kC, &nested[0]},   // reached through the chain after the skip
      {kD, &list[5]},     // found after the chains
      {0x80000099, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.tag);
    EXPECT_EQ(FindTagItem(c.tag, list), c.expect);
    EXPECT_EQ(GetTagData(c.tag, 777, list), c.expect ? c.expect->ti_Data : 777u);
  }
  EXPECT_EQ(FindTagItem(kA, nullptr), nullptr);
  EXPECT_EQ(GetTagData(kA, 5, emptyNested), 5u);
}

TEST(TagLists, TagsCompareFullWidth) {
  TagItem list[] = {{0x80000001, 1}, {TAG_DONE, 0}};
  EXPECT_EQ(FindTagItem(QzWord(0xFFFFFFFF80000001ull), list), nullptr);
  EXPECT_NE(FindTagItem(0x80000001, list), nullptr);
}

TEST(TagLists, MalformedListsStillEnd) {
  TagItem loop[] = {{kA, 1}, {TAG_MORE, 0}, {TAG_DONE, 0}};
  loop[1].ti_Data = reinterpret_cast<QzWord>(loop);  // leads back into itself
  EXPECT_EQ(FindTagItem(kB, loop), nullptr);
  EXPECT_EQ(FindTagItem(kA, loop), &loop[0]);
  TagItem list[] = {{TAG_SKIP, 50}, {kA, 1}, {TAG_DONE, 0}};
  EXPECT_EQ(FindTagItem(kB, list), nullptr);
  TagItem* cursor = list;
  EXPECT_EQ(NextTagItem(&cursor), nullptr);
  EXPECT_EQ(cursor, nullptr);
}

TEST(TagLists, NextTagItemVisitOrder) {
  TagItem nested[] = {{kC, 3}, {TAG_DONE, 0}};
  TagItem list[] = {
      {kA, 1},
      {TAG_SKIP, 1},  // returns itself
      {TAG_SKIP, 3},  // returns the item two places on
      {kB, 2},
      {kC, 3},
      {TAG_MORE, reinterpret_cast<QzWord>(nested)},  // returned like a user tag
      {kD, 4},
      {TAG_DONE, 0},
  };
  std::vector<const TagItem*> seen;
  TagItem* cursor = list;
  while (TagItem* t = NextTagItem(&cursor)) seen.push_back(t);
  EXPECT_EQ(seen, (std::vector<const TagItem*>{&list[0], &list[1], &list[4], &list[5], &list[6]}));
  EXPECT_EQ(cursor, nullptr);
  EXPECT_EQ(NextTagItem(&cursor), nullptr);
  EXPECT_EQ(NextTagItem(nullptr), nullptr);
}

// --- path parts ---------------------------------------------------------

TEST(PathParts, AddPartCases) {
  struct Case {
    const char* dir;
    const char* name;
    uint32_t size;
    int32_t result;
    const char* expect;
  };
  const Case cases[] = {
      {"C:\\dir\\", "a.txt", 64, 1, "C:\\dir\\a.txt"},
      {"data", "a.txt", 64, 1, "data/a.txt"},
      {"", "a.txt", 64, 1, "a.txt"},
      {"dir/", "a.txt", 64, 1, "dir/a.txt"},
      {"Qz_Images:", "b", 64, 1, "Qz_Images:/b"},
      {"abc", "de", 7, 1, "abc/de"},    // exactly fills the buffer
      {"abc", "def", 7, 0, "abc"},      // one byte short: refused, untouched
      {"abcdef", "x", 4, 0, "abcdef"},  // directory already longer than the size
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.dir) + " + " + c.name);
    // Guard bytes after the stated size catch any write beyond it.
    std::vector<char> buf(c.size + 16, '#');
    std::memcpy(buf.data(), c.dir, std::strlen(c.dir) + 1);  // cases keep dir within buf
    EXPECT_EQ(AddPart(buf.data(), c.name, c.size), c.result);
    EXPECT_STREQ(buf.data(), c.expect);
    if (std::strlen(c.dir) < c.size) {
      for (size_t i = c.size; i < buf.size(); ++i) ASSERT_EQ(buf[i], '#') << i;
    }
  }
}

TEST(PathParts, FilePartAndPathPart) {
  struct Case {
    const char* path;
    size_t file;  // offset of FilePart
    size_t cut;   // offset of PathPart
  };
  const Case cases[] = {
      {"dir/sub\\name.ext", 8, 7},
      {"C:name", 2, 2},
      {"name", 0, 0},
      {"", 0, 0},
      {"/abs/x", 5, 4},
      {"dir/", 4, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(FilePart(c.path), c.path + c.file);
    EXPECT_EQ(PathPart(c.path), c.path + c.cut);
  }
}

}  // namespace
