#include "platform/lists.h"

#include <cstring>

namespace {

// The list header doubles as two sentinel nodes, so links are read and
// written as plain pointer words: a Node's successor and predecessor sit in
// its first two words, as do the list's head/tail and tail/tail-pred pairs.
inline Node*& succ(void* n) { return static_cast<Node**>(n)[0]; }
inline Node*& pred(void* n) { return static_cast<Node**>(n)[1]; }
inline Node* headSentinel(List* l) { return reinterpret_cast<Node*>(&l->lh_Head); }
inline Node* tailSentinel(List* l) { return reinterpret_cast<Node*>(&l->lh_Tail); }

inline bool isSeparator(char c) { return c == '/' || c == '\\' || c == ':'; }

// Moves from a skip item d - 1 items on (a count of 0 would step backwards
// and counts as 1). Never steps over the end of the list: NULL then.
const TagItem* skipFrom(const TagItem* item) {
  QzWord d = item->ti_Data ? item->ti_Data : 1;
  for (QzWord k = 1; k < d; ++k) {
    ++item;
    if (item->ti_Tag == TAG_DONE) return nullptr;
  }
  return item;
}

constexpr int kMaxTagChainDepth = 64;

TagItem* findTag(QzWord tag, const TagItem* tags, int depth) {
  // Chains nest this deep only when a list leads back into itself.
  if (!tags || depth > kMaxTagChainDepth) return nullptr;
  const TagItem* item = tags;
  while (item->ti_Tag != TAG_DONE) {
    if (item->ti_Tag == tag) return const_cast<TagItem*>(item);
    if (item->ti_Tag == TAG_SKIP) {
      item = skipFrom(item);
      if (!item) return nullptr;
      // The item reached by a skip is only looked at for a continuation.
      if (item->ti_Tag == TAG_MORE) {
        if (TagItem* found = findTag(tag, reinterpret_cast<const TagItem*>(item->ti_Data), depth + 1))
          return found;
      }
    } else if (item->ti_Tag == TAG_MORE) {
      if (TagItem* found = findTag(tag, reinterpret_cast<const TagItem*>(item->ti_Data), depth + 1))
        return found;
    }
    ++item;
  }
  return nullptr;
}

}  // namespace

QZ_EXTERN_C_BEGIN

void NewList(List* list) {
  if (!list) return;
  list->lh_Head = tailSentinel(list);
  list->lh_Tail = nullptr;
  list->lh_TailPred = headSentinel(list);
}

void Insert(List* list, Node* node, Node* predNode) {
  if (!list || !node) return;
  Node* p = predNode ? predNode : headSentinel(list);
  Node* s = succ(p);
  pred(node) = p;
  succ(node) = s;
  pred(s) = node;
  succ(p) = node;
}

void AddHead(List* list, Node* node) { Insert(list, node, nullptr); }

void AddTail(List* list, Node* node) {
  if (!list) return;
  Insert(list, node, list->lh_TailPred);
}

void Remove(Node* node) {
  if (!node) return;
  Node* s = succ(node);
  Node* p = pred(node);
  if (p) succ(p) = s;
  if (s) pred(s) = p;
  succ(node) = nullptr;
  pred(node) = nullptr;
}

Node* RemHead(List* list) {
  if (!list) return nullptr;
  Node* first = list->lh_Head;
  if (!succ(first)) return nullptr;
  Remove(first);
  return first;
}

Node* RemTail(List* list) {
  if (!list) return nullptr;
  Node* last = list->lh_TailPred;
  if (!pred(last)) return nullptr;  // the head sentinel's predecessor is NULL
  Remove(last);
  return last;
}

Node* NodeFromIndex(List* list, uint32_t n) {
  if (!list) return nullptr;
  uint32_t i = 0;
  for (Node* cur = list->lh_Head; succ(cur); cur = succ(cur), ++i) {
    if (i == n) return cur;
  }
  return nullptr;
}

uint32_t IndexFromNode(List* list, Node* node) {
  if (!list || !node) return QZ_NOT_IN_LIST;
  uint32_t i = 0;
  for (Node* cur = list->lh_Head; succ(cur); cur = succ(cur), ++i) {
    if (cur == node) return i;
  }
  return QZ_NOT_IN_LIST;
}

uint32_t ListCount(List* list) {
  if (!list) return 0;
  uint32_t count = 0;
  for (Node* cur = list->lh_Head; succ(cur); cur = succ(cur)) ++count;
  return count;
}

TagItem* FindTagItem(QzWord tag, const TagItem* tags) { return findTag(tag, tags, 0); }

QzWord GetTagData(QzWord tag, QzWord defaultValue, const TagItem* tags) {
  const TagItem* found = FindTagItem(tag, tags);
  return found ? found->ti_Data : defaultValue;
}

TagItem* NextTagItem(TagItem** cursor) {
  if (!cursor || !*cursor) return nullptr;
  TagItem* item = *cursor;
  if (item->ti_Tag == TAG_DONE) {
    *cursor = nullptr;
    return nullptr;
  }
  if (item->ti_Tag == TAG_SKIP) {
    item = const_cast<TagItem*>(skipFrom(item));
    if (!item) {
      *cursor = nullptr;
      return nullptr;
    }
  }
  *cursor = item + 1;
  return item;
}

int32_t AddPart(char* dir, const char* name, uint32_t size) {
  if (!dir || !name) return 0;
  size_t dirLen = strnlen(dir, size);
  if (dirLen >= size) return 0;  // not even terminated within the buffer
  size_t nameLen = std::strlen(name);
  bool needSep = dirLen > 0 && dir[dirLen - 1] != '/' && dir[dirLen - 1] != '\\';
  size_t total = dirLen + (needSep ? 1 : 0) + nameLen;
  if (total + 1 > size) return 0;
  if (needSep) dir[dirLen++] = '/';
  std::memcpy(dir + dirLen, name, nameLen + 1);
  return 1;
}

char* FilePart(const char* path) {
  if (!path) return nullptr;
  const char* cut = path;
  for (const char* p = path; *p; ++p) {
    if (isSeparator(*p)) cut = p + 1;
  }
  return const_cast<char*>(cut);
}

char* PathPart(const char* path) {
  if (!path) return nullptr;
  const char* cut = path;
  for (const char* p = path; *p; ++p) {
    if (*p == '/' || *p == '\\') cut = p;
    else if (*p == ':') cut = p + 1;
  }
  return const_cast<char*>(cut);
}

QZ_EXTERN_C_END
