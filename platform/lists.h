// Doubly linked lists with a built-in sentinel, tag lists and path-string
// helpers: the vocabulary that processes, ports, classes and notifications
// are built from.
//
// A List's head and tail words double as two sentinel nodes: an empty list
// has lh_Head == (Node*)&lh_Tail, lh_Tail == NULL, lh_TailPred == (Node*)list.
// Walk a list with
//     for (Node* n = list->lh_Head; n->ln_Succ; n = n->ln_Succ) ...
// None of these calls lock: callers hold Forbid or their own semaphore.
#pragma once

#include <cstdint>

#include "platform/qz_export.h"
#include "platform/qz_word.h"

struct Node {
  Node* ln_Succ;
  Node* ln_Pred;
  uint8_t ln_Type;
  int8_t ln_Pri;
  const char* ln_Name;
};

// Records that keep only the two links (class records) begin with this.
struct MinNode {
  MinNode* mln_Succ;
  MinNode* mln_Pred;
};

struct List {
  Node* lh_Head;
  Node* lh_Tail;      // always NULL
  Node* lh_TailPred;
  uint8_t lh_Type;
  uint8_t l_pad;
};

// Node types used by messages.
inline constexpr uint8_t NT_MESSAGE = 5;     // sent, waiting at a port
inline constexpr uint8_t NT_FREEMSG = 6;     // replied, no reply port
inline constexpr uint8_t NT_REPLYMSG = 7;    // replied

// Two words, so an inline array of words is a tag list. Tag ids are 32-bit
// values carried zero-extended; they are compared full width.
struct TagItem {
  QzWord ti_Tag;
  QzWord ti_Data;
};

inline constexpr QzWord TAG_DONE = 0;   // ends a list
inline constexpr QzWord TAG_END = 0;
inline constexpr QzWord TAG_MORE = 2;   // ti_Data points at the list to go on with
inline constexpr QzWord TAG_SKIP = 3;   // skip ti_Data items (counting this one)
inline constexpr QzWord TAG_USER = 0x80000000u;

inline constexpr uint32_t QZ_NOT_IN_LIST = 0xFFFFFFFFu;

QZ_EXTERN_C_BEGIN

QZ_EXPORT void NewList(List* list);
// Links node after pred; a NULL pred puts it at the head.
QZ_EXPORT void Insert(List* list, Node* node, Node* pred);
QZ_EXPORT void AddHead(List* list, Node* node);
QZ_EXPORT void AddTail(List* list, Node* node);
// Unlinks the node and clears both its links; removing it again does nothing.
QZ_EXPORT void Remove(Node* node);
// Unlinks and returns the first / last node, or NULL when the list is empty.
QZ_EXPORT Node* RemHead(List* list);
QZ_EXPORT Node* RemTail(List* list);
// The n-th node counting from 0, or NULL when the list is shorter.
QZ_EXPORT Node* NodeFromIndex(List* list, uint32_t n);
// Position from 0, or QZ_NOT_IN_LIST (0xFFFFFFFF) when the node is not there.
QZ_EXPORT uint32_t IndexFromNode(List* list, Node* node);
QZ_EXPORT uint32_t ListCount(List* list);

QZ_EXPORT TagItem* FindTagItem(QzWord tag, const TagItem* tags);
QZ_EXPORT QzWord GetTagData(QzWord tag, QzWord defaultValue, const TagItem* tags);
// Returns the item under *cursor and advances the cursor; NULL at the end.
// TAG_MORE items are returned like user tags; TAG_SKIP returns the item
// ti_Data - 1 places on.
QZ_EXPORT TagItem* NextTagItem(TagItem** cursor);

// Appends name to the path in dir as a new component, adding "/" unless dir
// is empty or already ends in "/" or "\". size is the whole buffer, its
// terminator included. Returns 1, or 0 (dir unchanged) when the result
// would not fit.
QZ_EXPORT int32_t AddPart(char* dir, const char* name, uint32_t size);
// The file-name part: after the last "/", "\" or ":", else the whole path.
QZ_EXPORT char* FilePart(const char* path);
// Where the path can be cut to leave its folder: at the last "/" or "\"
// (or just after a final ":" volume), else at the start.
QZ_EXPORT char* PathPart(const char* path);

QZ_EXTERN_C_END
