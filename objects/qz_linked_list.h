// LinkedList: the ordered member list of containers. The list owns its
// members: disposing the list disposes every member.
#pragma once

#include <cstdint>

#include "objects/qz_object.h"

inline constexpr uint32_t kLinkedListClassId = 0x470000;
inline constexpr uint32_t kLinkedListAddHead = 0x47000A;
inline constexpr uint32_t kLinkedListAddTail = 0x47001E;
inline constexpr uint32_t kLinkedListInsert = 0x470032;   // object, position
inline constexpr uint32_t kLinkedListRemove = 0x470046;
inline constexpr uint32_t kLinkedListFirst = 0x470050;
inline constexpr uint32_t kLinkedListLast = 0x47005A;
inline constexpr uint32_t kLinkedListNext = 0x470064;
inline constexpr uint32_t kLinkedListPrevious = 0x47006E;
inline constexpr uint32_t kLinkedListSetUserValue = 0x470078;
inline constexpr uint32_t kLinkedListGetUserValue = 0x470082;
inline constexpr uint32_t kLinkedListIndexOf = 0x47008C;
inline constexpr uint32_t kLinkedListMemberAt = 0x470096;
inline constexpr uint32_t kLinkedListCount = 0x4700A0;

// Insert positions besides a member object.
inline constexpr QzWord kLinkedListAtHead = 0;
inline constexpr QzWord kLinkedListAtTail = 0xFFFFFFFF;

// A member node: the link, then the member.
struct Qz_MemberNode {
  Node node;
  Qz_Object* member;
};

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitLinkedListClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupLinkedListClass(void);
// Container helpers: the node at position n, or the first entry when n is
// out of range (the list's head field when empty); a node's position from
// 0, or 0 when it is not in the list.
QZ_EXPORT Node* Qz__NodeAtOrFirst(List* list, uint32_t n);
QZ_EXPORT uint32_t Qz__PositionOfNode(List* list, Node* node);
QZ_EXTERN_C_END
