// LinkedList: an ordered list of member objects that it owns. Answers the
// member-list ids (0x4700xx), find by name over itself and its members, and
// storing and restoring children; everything else goes to Root.
#include <cstdlib>

#include "objects/object_internal.h"
#include "objects/qz_class_kit.h"
#include "objects/qz_builtin_classes.h"
#include "objects/qz_linked_list.h"

namespace {

struct LinkedListObject {
  Qz_Object header;
  List members;        // Qz_MemberNode
  QzWord userValue = 0;
  // Made in place: the list's head and tail point into the object.
  LinkedListObject() { NewList(&members); }
};

const qz::kit::Attribute kLinkedListAttributes[] = {
    {.setter = kLinkedListSetUserValue, .getter = kLinkedListGetUserValue,
     .field = qz::kit::field(&LinkedListObject::userValue), .answersZero = true},
};

LinkedListObject* asList(Qz_Object* object) { return reinterpret_cast<LinkedListObject*>(object); }

Qz_MemberNode* firstNodeOf(LinkedListObject* l, QzWord member) {
  for (Node* n = l->members.lh_Head; n->ln_Succ != nullptr; n = n->ln_Succ) {
    auto* m = reinterpret_cast<Qz_MemberNode*>(n);
    if (reinterpret_cast<QzWord>(m->member) == member) return m;
  }
  return nullptr;
}

QzWord insert(LinkedListObject* l, QzWord member, QzWord position) {
  if (member == 0) return 0;
  auto* node = static_cast<Qz_MemberNode*>(std::calloc(1, sizeof(Qz_MemberNode)));
  if (node == nullptr) return 0;
  node->member = reinterpret_cast<Qz_Object*>(member);
  if (position == kLinkedListAtTail) {
    AddTail(&l->members, &node->node);
  } else if (position == kLinkedListAtHead) {
    AddHead(&l->members, &node->node);
  } else {
    // After the member named by position; at the head when it is not one.
    Qz_MemberNode* after = firstNodeOf(l, position);
    Insert(&l->members, &node->node, after != nullptr ? &after->node : nullptr);
  }
  return 1;
}

QzWord removeMember(LinkedListObject* l, QzWord member) {
  Qz_MemberNode* node = firstNodeOf(l, member);
  if (node == nullptr) return 0;
  Remove(&node->node);
  std::free(node);
  return 1;
}

QzWord memberWord(Node* n) {
  return n->ln_Succ != nullptr ? reinterpret_cast<QzWord>(reinterpret_cast<Qz_MemberNode*>(n)->member)
                               : 0;
}

QzWord previous(LinkedListObject* l, QzWord member) {
  if (member == 0) return 0;
  Qz_MemberNode* node = firstNodeOf(l, member);
  if (node == nullptr) {
    Node* last = l->members.lh_TailPred;
    return last == reinterpret_cast<Node*>(&l->members) ? 0 : memberWord(last);
  }
  Node* pred = node->node.ln_Pred;
  return pred->ln_Pred == nullptr ? 0 : memberWord(pred);
}

QzWord indexOf(LinkedListObject* l, QzWord member) {
  uint32_t index = 0;
  for (Node* n = l->members.lh_Head; n->ln_Succ != nullptr; n = n->ln_Succ, ++index) {
    if (reinterpret_cast<QzWord>(reinterpret_cast<Qz_MemberNode*>(n)->member) == member) return index;
  }
  return index;  // not a member: the count
}

QzWord findByName(Qz_Object* self, const QzWord* args) {
  if (QzWord hit = Qz_DoMethodA(self->super, kRootFindByName, args)) return hit;
  LinkedListObject* l = asList(self);
  for (Node* n = l->members.lh_Head; n->ln_Succ != nullptr;) {
    Node* next = n->ln_Succ;
    if (QzWord hit = Qz_DoMethodA(reinterpret_cast<Qz_MemberNode*>(n)->member, kRootFindByName, args)) {
      return hit;
    }
    n = next;
  }
  return 0;
}

// Sends one method to every member; each successor is taken before the
// call, so a member may remove itself.
QzWord forEachMember(LinkedListObject* l, uint32_t id, const QzWord* args) {
  for (Node* n = l->members.lh_Head; n->ln_Succ != nullptr;) {
    Node* next = n->ln_Succ;
    Qz_DoMethodA(reinterpret_cast<Qz_MemberNode*>(n)->member, id, args);
    n = next;
  }
  return 1;
}

QzWord linkedListDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  LinkedListObject* l = asList(object);
  switch (id) {
    case kLinkedListAddHead: return insert(l, args[0], kLinkedListAtHead);
    case kLinkedListAddTail: return insert(l, args[0], kLinkedListAtTail);
    case kLinkedListInsert: return insert(l, args[0], args[1]);
    case kLinkedListRemove: return removeMember(l, args[0]);
    case kLinkedListFirst: return memberWord(l->members.lh_Head);
    case kLinkedListLast:
      return l->members.lh_TailPred == reinterpret_cast<Node*>(&l->members) ? 0
                                                                           : memberWord(l->members.lh_TailPred);
    case kLinkedListNext: {
      Qz_MemberNode* node = firstNodeOf(l, args[0]);
      return node != nullptr ? memberWord(node->node.ln_Succ) : 0;
    }
    case kLinkedListPrevious: return previous(l, args[0]);
    case kLinkedListIndexOf: return indexOf(l, args[0]);
    case kLinkedListMemberAt: {
      const QzWord n = args[0];
      if (n > 0xFFFFFFFF) return 0;
      Node* node = NodeFromIndex(&l->members, static_cast<uint32_t>(n));
      return node != nullptr ? memberWord(node) : 0;
    }
    case kLinkedListCount: return ListCount(&l->members);
    case kRootFindByName: return findByName(object, args);
    case kRootStoreChildren: return forEachMember(l, kRootStoreObject, args);
    case kRootRestoreChildren: return forEachMember(l, kRootRestoreChild, args);
    default: return qz::kit::inherited(object, id, args);
  }
}

// The members are owned: they go before the Root part.
void linkedListDispose(Qz_Object* object) {
  LinkedListObject* l = asList(object);
  while (Node* n = RemHead(&l->members)) {
    Qz_Object* member = reinterpret_cast<Qz_MemberNode*>(n)->member;
    std::free(n);
    Qz_DisposeObject(member);
  }
}

const qz::kit::ClassDecl kLinkedList = {
    .name = "LinkedList", .superName = "Root", .classId = kLinkedListClassId,
    .instance = qz::kit::instanceOf<LinkedListObject>(), .handler = linkedListDispatch,
    .attributes = kLinkedListAttributes, .tearDown = linkedListDispose,
    .notice = "Ordered list of owned member objects"};

}  // namespace

QzWord Qz_InitLinkedListClass(Qz_GlobalData*) { return qz::kit::addClass(kLinkedList); }
void Qz_CleanupLinkedListClass(void) { qz::kit::removeClass(kLinkedList); }

Node* Qz__NodeAtOrFirst(List* list, uint32_t n) {
  Node* node = NodeFromIndex(list, n);
  return node != nullptr ? node : list->lh_Head;
}

uint32_t Qz__PositionOfNode(List* list, Node* node) {
  const uint32_t index = IndexFromNode(list, node);
  return index == QZ_NOT_IN_LIST ? 0 : index;
}
