// LinkedList: member order, navigation, lookups and ownership.
#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "objects/object_text.h"
#include "objects/qz_linked_list.h"
#include "objects/qz_object.h"
#include "probe_classes.h"

namespace {

using qztest::ProbeClass;

class LinkedList : public ::testing::Test {
 protected:
  void SetUp() override {
    list = Qz_CreateObject("LinkedList");
    ASSERT_NE(list, nullptr);
    for (Qz_Object*& m : members) {
      m = Qz_CreateObject("Member");
      ASSERT_NE(m, nullptr);
    }
  }
  void TearDown() override {
    // Members that never joined (or left) are not the list's to dispose.
    const QzWord count = Qz_DoMethod(list, kLinkedListCount);
    for (Qz_Object* m : members) {
      if (list != nullptr && Qz_DoMethod(list, kLinkedListIndexOf, m) == count) Qz_DisposeObject(m);
    }
    Qz_DisposeObject(list);
  }

  QzWord word(Qz_Object* o) const { return reinterpret_cast<QzWord>(o); }

  std::vector<Qz_Object*> order() {
    std::vector<Qz_Object*> out;
    for (QzWord m = Qz_DoMethod(list, kLinkedListFirst); m != 0; m = Qz_DoMethod(list, kLinkedListNext, m)) {
      out.push_back(reinterpret_cast<Qz_Object*>(m));
    }
    return out;
  }

  qztest::ObjectSystem system;
  ProbeClass memberClass{"Member"};
  Qz_Object* list = nullptr;
  Qz_Object* members[4] = {};
};

TEST_F(LinkedList, InsertPositions) {
  Qz_Object* a = members[0];
  Qz_Object* b = members[1];
  Qz_Object* c = members[2];
  Qz_Object* outsider = members[3];
  EXPECT_EQ(Qz_DoMethod(list, kLinkedListAddTail, b), 1u);
  EXPECT_EQ(Qz_DoMethod(list, kLinkedListAddHead, a), 1u);
  EXPECT_EQ(Qz_DoMethod(list, kLinkedListInsert, c, b), 1u);  // after b
  EXPECT_EQ(order(), (std::vector<Qz_Object*>{a, b, c}));
  // After an object that is not a member: at the head.
  EXPECT_EQ(Qz_DoMethod(list, kLinkedListInsert, outsider, members[3]), 1u);
  EXPECT_EQ(order(), (std::vector<Qz_Object*>{outsider, a, b, c}));
  EXPECT_EQ(Qz_DoMethod(list, kLinkedListInsert, nullptr, kLinkedListAtTail), 0u);
  // -1 from a front end arrives as 0xFFFFFFFF and means the tail.
  EXPECT_EQ(Qz_DoMethod(list, kLinkedListRemove, a), 1u);
  EXPECT_EQ(Qz_DoMethod(list, kLinkedListInsert, a, -1), 1u);
  EXPECT_EQ(order(), (std::vector<Qz_Object*>{outsider, b, c, a}));
}

TEST_F(LinkedList, NavigationAndLookups) {
  Qz_Object* a = members[0];
  Qz_Object* b = members[1];
  Qz_Object* outsider = members[3];
  struct Case {
    const char* name;
    uint32_t id;
    QzWord arg;
    QzWord expected;
  };
  const Case empty[] = {
      {"first of empty", kLinkedListFirst, 0, 0},
      {"last of empty", kLinkedListLast, 0, 0},
      {"count of empty", kLinkedListCount, 0, 0},
      {"member at 0 of empty", kLinkedListMemberAt, 0, 0},
  };
  for (const Case& c : empty) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Qz_DoMethod(list, c.id, c.arg), c.expected);
  }
  Qz_DoMethod(list, kLinkedListAddTail, a);
  Qz_DoMethod(list, kLinkedListAddTail, b);
  const Case filled[] = {
      {"first", kLinkedListFirst, 0, word(a)},
      {"last", kLinkedListLast, 0, word(b)},
      {"next of first", kLinkedListNext, word(a), word(b)},
      {"next of last", kLinkedListNext, word(b), 0},
      {"next of outsider", kLinkedListNext, word(outsider), 0},
      {"previous of last", kLinkedListPrevious, word(b), word(a)},
      {"previous of first", kLinkedListPrevious, word(a), 0},
      {"previous of outsider is the last", kLinkedListPrevious, word(outsider), word(b)},
      {"previous of null", kLinkedListPrevious, 0, 0},
      {"index", kLinkedListIndexOf, word(b), 1},
      {"index of outsider is the count", kLinkedListIndexOf, word(outsider), 2},
      {"member at 1", kLinkedListMemberAt, 1, word(b)},
      {"member at the count", kLinkedListMemberAt, 2, 0},
      {"count", kLinkedListCount, 0, 2},
  };
  for (const Case& c : filled) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Qz_DoMethod(list, c.id, c.arg), c.expected);
  }
  EXPECT_EQ(Qz_DoMethod(list, kLinkedListSetUserValue, 0xFFFFFFFFu), 0u);
  EXPECT_EQ(Qz_DoMethod(list, kLinkedListGetUserValue), QzWord{0xFFFFFFFF});
}

TEST_F(LinkedList, RemovingAnObjectListedTwiceRemovesItsFirstNodeOnly) {
  Qz_Object* a = members[0];
  Qz_Object* b = members[1];
  Qz_DoMethod(list, kLinkedListAddTail, a);
  Qz_DoMethod(list, kLinkedListAddTail, b);
  Qz_DoMethod(list, kLinkedListAddTail, a);
  EXPECT_EQ(Qz_DoMethod(list, kLinkedListRemove, a), 1u);
  EXPECT_EQ(order(), (std::vector<Qz_Object*>{b, a}));
  EXPECT_EQ(Qz_DoMethod(list, kLinkedListRemove, members[2]), 0u);
}

TEST_F(LinkedList, OwnsAndReachesItsMembers) {
  for (Qz_Object* m : members) Qz_DoMethod(list, kLinkedListAddTail, m);
  Qz_DoMethod(members[2], kRootSetObjectName, "third");
  Qz_DoMethod(list, kRootSetObjectName, "list");
  EXPECT_EQ(Qz_DoMethod(list, kRootFindByName, "third"), word(members[2]));
  EXPECT_EQ(Qz_DoMethod(list, kRootFindByName, "list"), word(list));
  EXPECT_EQ(Qz_DoMethod(list, kRootFindByName, "none"), 0u);

  // A real writer: Root's 0x10168 writes each member's text into its file.
  Qz_StoreObjectData writerState{std::tmpfile(), 0, 0, 1};
  ASSERT_NE(writerState.file, nullptr);
  EXPECT_EQ(Qz_DoMethod(list, kRootStoreChildren, &writerState), 1u);
  std::fclose(writerState.file);
  const auto stores = memberClass.callsWithId(kRootStoreObject);
  ASSERT_EQ(stores.size(), 4u);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(stores[i].object, members[i]);
    EXPECT_EQ(stores[i].arg0, reinterpret_cast<QzWord>(&writerState));
  }
  EXPECT_EQ(Qz_DoMethod(list, kRootRestoreChildren, 5), 1u);
  EXPECT_EQ(memberClass.callsWithId(kRootRestoreChild).size(), 4u);

  Qz_DisposeObject(list);
  list = nullptr;
  EXPECT_EQ(memberClass.live(), 0);
}

TEST_F(LinkedList, ContainerNodeHelpers) {
  Qz_DoMethod(list, kLinkedListAddTail, members[0]);
  Qz_DoMethod(list, kLinkedListAddTail, members[1]);
  List empty;
  NewList(&empty);
  EXPECT_EQ(Qz__NodeAtOrFirst(&empty, 3), empty.lh_Head);
  Node* second = nullptr;
  {
    // Reach the list object's members through its node list.
    struct ListView {
      Qz_Object header;
      List members;
    };
    List* members = &reinterpret_cast<ListView*>(list)->members;
    second = Qz__NodeAtOrFirst(members, 1);
    EXPECT_EQ(reinterpret_cast<Qz_MemberNode*>(second)->member, this->members[1]);
    EXPECT_EQ(Qz__NodeAtOrFirst(members, 9), members->lh_Head);
    EXPECT_EQ(Qz__PositionOfNode(members, second), 1u);
    Node stray{};
    EXPECT_EQ(Qz__PositionOfNode(members, &stray), 0u);
  }
}

}  // namespace
