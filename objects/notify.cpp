// Notification records kept in Root instances, and their firing.
//
// Every change and walk of a notify list holds the object-tree semaphore;
// deliveries run with it released, from a private copy of the words, so a
// target may add, remove or fire notifications, or dispose the source,
// while it is being served.
#include <array>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "objects/object_internal.h"
#include "objects/qz_notify.h"
#include "objects/qz_semaphore.h"

struct Qz_NotifyHeader {
  List own;        // records whose source is this object
  List partners;   // partner records of notifications aimed at this object
  std::atomic<int32_t> firing{0};  // walks in progress over this header
  bool retired = false;            // the object was disposed during a walk
  char* restoreText = nullptr;

  Qz_NotifyHeader() {
    NewList(&own);
    NewList(&partners);
  }
};

namespace qz::objects {

namespace {

struct PartnerRecord;

struct NotifyRecord {
  Node node;
  NotifyRecord* self;
  Qz_Object* source;
  QzWord target;            // object, symbolic target or callback function
  uint32_t triggerMethod;
  QzWord reserved;
  QzWord triggerValue;      // stored, never compared
  QzWord count;             // words, or kNotifyCallBackMarker
  PartnerRecord* partner;

  QzWord* templateWords() { return reinterpret_cast<QzWord*>(this + 1); }
  QzWord* liveWords() { return templateWords() + count; }
  bool valid() const { return self == this; }
};

struct PartnerRecord {
  Node node;
  PartnerRecord* self;
  NotifyRecord* main;
  bool valid() const { return self == this; }
};

// Words after a live copy, for receivers that read past their arguments.
constexpr std::size_t kSpareWords = 8;
// A template longer than this is refused rather than allocated.
constexpr uint32_t kMaxTemplateWords = 4096;

Qz_Semaphore* treeSemaphore() { return globalData().objectTreeSemaphore; }

// Loop guard: the deliveries in progress on this thread's stack, innermost
// last, each as (header, target). A firing skips a record aimed at the
// target that the innermost delivery of the same header is serving. Kept
// per thread, so firings on other threads never hide each other's
// deliveries, and as targets, never as records a delivery might free.
struct Delivery {
  const Qz_NotifyHeader* header;
  QzWord target;
};
thread_local std::vector<Delivery> tDeliveries;

QzWord innermostTarget(const Qz_NotifyHeader* header) {
  for (auto it = tDeliveries.rbegin(); it != tDeliveries.rend(); ++it) {
    if (it->header == header) return it->target;
  }
  return 0;
}

// Waits out refusals for the cleanup paths that must not be skipped;
// gives up after about two seconds.
bool obtainTreePatiently() {
  for (int attempt = 0; attempt < 100; ++attempt) {
    if (Qz_ObtainSemaphore(treeSemaphore()) != 0) return true;
    Delay(1);
  }
  return false;
}

bool isSymbolicTarget(QzWord target) {
  return target == kNotifyTargetValue || target == kNotifyTargetActiveImage ||
         target == kNotifyTargetActiveLayer || target == kNotifyTargetActiveSubLayer;
}

bool isLiveObject(QzWord word) {
  const auto* object = reinterpret_cast<const Qz_Object*>(word);
  return object != nullptr && object->self == word;
}

Qz_Object* resolveTarget(QzWord target, const QzWord* trigger) {
  if (target == kNotifyTargetValue) return reinterpret_cast<Qz_Object*>(trigger[1]);
  if (isSymbolicTarget(target)) {
    const auto hook = globalData().hooks.resolveTarget;
    return hook != nullptr ? hook(target) : nullptr;
  }
  return reinterpret_cast<Qz_Object*>(target);
}

bool inList(List* list, Node* wanted) {
  for (Node* n = list->lh_Head; n->ln_Succ != nullptr; n = n->ln_Succ) {
    if (n == wanted) return true;
  }
  return false;
}

void freeRecord(NotifyRecord* record) {
  Remove(&record->node);
  record->self = nullptr;
  std::free(record);
}

void freePartner(PartnerRecord* partner) {
  Remove(&partner->node);
  partner->self = nullptr;
  std::free(partner);
}

void fillLiveCopy(NotifyRecord* record, const QzWord* trigger) {
  const QzWord* templ = record->templateWords();
  QzWord* live = record->liveWords();
  for (QzWord i = 0; i < record->count; ++i) {
    switch (templ[i]) {
      case kNotifySameWord: live[i] = trigger[i]; break;
      case kNotifyTriggerValue: live[i] = trigger[1]; break;
      case kNotifySecondArgument: live[i] = trigger[2]; break;
      default: break;
    }
  }
}

}  // namespace

namespace {

// The header is made on first use by whichever thread adds or locks first,
// while other threads may be firing: it is published once, atomically.
std::atomic_ref<Qz_NotifyHeader*> headerSlot(Qz_RootObject* root) {
  return std::atomic_ref<Qz_NotifyHeader*>(root->notify);
}

Qz_NotifyHeader* publishedHeader(Qz_RootObject* root) { return headerSlot(root).load(std::memory_order_acquire); }

}  // namespace

Qz_NotifyHeader* notifyHeader(Qz_RootObject* root) {
  if (Qz_NotifyHeader* header = publishedHeader(root)) return header;
  auto* made = new (std::nothrow) Qz_NotifyHeader;
  if (made == nullptr) return nullptr;
  Qz_NotifyHeader* expected = nullptr;
  if (headerSlot(root).compare_exchange_strong(expected, made, std::memory_order_acq_rel)) return made;
  delete made;
  return expected;
}

void notifySetRestoreText(Qz_NotifyHeader* header, char* text) {
  if (header->restoreText != nullptr && header->restoreText != text) Qz_FreeMem(header->restoreText);
  header->restoreText = text;
}

QzWord notifyAdd(Qz_RootObject* root, const QzWord* args) {
  Qz_Object* source = reinterpret_cast<Qz_Object*>(args[0]);
  const uint32_t method = static_cast<uint32_t>(args[1]);
  const QzWord value = args[2];
  const QzWord target = args[3];
  const uint32_t count = static_cast<uint32_t>(args[4]);
  const QzWord* words = reinterpret_cast<const QzWord*>(args[5]);
  if (target == 0 || count > kMaxTemplateWords || (count > 0 && words == nullptr)) return 0;
  if (!isSymbolicTarget(target) && !isLiveObject(target)) return 0;
  Qz_NotifyHeader* header = notifyHeader(root);
  if (header == nullptr) return 0;
  const std::size_t bytes = sizeof(NotifyRecord) + (2 * std::size_t{count} + kSpareWords) * sizeof(QzWord);
  auto* record = static_cast<NotifyRecord*>(std::calloc(1, bytes));
  if (record == nullptr) return 0;
  record->self = record;
  record->source = source;
  record->target = target;
  record->triggerMethod = method;
  record->triggerValue = value;
  record->count = count;
  if (count > 0) {
    std::memcpy(record->templateWords(), words, count * sizeof(QzWord));
    std::memcpy(record->liveWords(), words, count * sizeof(QzWord));
  }
  // A record that cannot be linked is not handed out as if it were.
  if (Qz_ObtainSemaphore(treeSemaphore()) == 0) {
    std::free(record);
    return 0;
  }
  AddTail(&header->own, &record->node);
  if (!isSymbolicTarget(target)) {
    auto* partner = static_cast<PartnerRecord*>(std::calloc(1, sizeof(PartnerRecord)));
    Qz_NotifyHeader* targetHeader =
        partner != nullptr ? notifyHeader(rootOf(reinterpret_cast<Qz_Object*>(target))) : nullptr;
    if (targetHeader == nullptr) {
      std::free(partner);
      freeRecord(record);
      Qz_ReleaseSemaphore(treeSemaphore());
      return 0;
    }
    partner->self = partner;
    partner->main = record;
    record->partner = partner;
    AddTail(&targetHeader->partners, &partner->node);
  }
  Qz_ReleaseSemaphore(treeSemaphore());
  return reinterpret_cast<QzWord>(record);
}

QzWord notifyAddCallBack(Qz_RootObject* root, const QzWord* args) {
  if (args[2] == 0) return 0;
  Qz_NotifyHeader* header = notifyHeader(root);
  if (header == nullptr) return 0;
  auto* record = static_cast<NotifyRecord*>(
      std::calloc(1, sizeof(NotifyRecord) + (1 + kSpareWords) * sizeof(QzWord)));
  if (record == nullptr) return 0;
  record->self = record;
  record->source = &root->header;
  record->triggerMethod = static_cast<uint32_t>(args[0]);
  record->triggerValue = args[1];
  record->target = args[2];
  record->count = kNotifyCallBackMarker;
  record->templateWords()[0] = args[3];
  if (Qz_ObtainSemaphore(treeSemaphore()) == 0) {
    std::free(record);
    return 0;
  }
  AddTail(&header->own, &record->node);
  Qz_ReleaseSemaphore(treeSemaphore());
  return reinterpret_cast<QzWord>(record);
}

QzWord notifyRemove(Qz_RootObject* root, QzWord handle) {
  Qz_NotifyHeader* header = publishedHeader(root);
  if (header == nullptr) return 0;
  if (Qz_ObtainSemaphore(treeSemaphore()) == 0) return 0;
  auto* record = reinterpret_cast<NotifyRecord*>(handle);
  if (inList(&header->own, &record->node)) {
    if (record->partner != nullptr && record->partner->valid()) freePartner(record->partner);
    freeRecord(record);
  }
  Qz_ReleaseSemaphore(treeSemaphore());
  return 1;
}

QzWord notifyFire(Qz_RootObject* root, const QzWord* args) {
  Qz_NotifyHeader* header = publishedHeader(root);
  Qz_Object* source = reinterpret_cast<Qz_Object*>(args[0]);
  const auto* trigger = reinterpret_cast<const QzWord*>(args[1]);
  if (header == nullptr || trigger == nullptr) return 0;
  Qz_Semaphore* tree = treeSemaphore();
  if (Qz_ObtainSemaphore(tree) == 0) return 0;
  const uint32_t method = static_cast<uint32_t>(trigger[0]);
  header->firing.fetch_add(1, std::memory_order_relaxed);
  std::vector<QzWord> words;
  Node* node = header->own.lh_Head;
  while (node->ln_Succ != nullptr) {
    auto* record = reinterpret_cast<NotifyRecord*>(node);
    Node* next = node->ln_Succ;
    if (!record->valid()) break;
    bool delivered = false;
    if (record->triggerMethod == method) {
      if (record->count == kNotifyCallBackMarker) {
        const auto function = reinterpret_cast<Qz_NotifyCallBack>(record->target);
        const QzWord userData = record->templateWords()[0];
        tDeliveries.push_back(Delivery{header, record->target});
        Qz_ReleaseSemaphore(tree);
        function(userData, source, method, trigger + 1);
        delivered = true;
      } else {
        Qz_Object* target = resolveTarget(record->target, trigger);
        const QzWord targetWord = reinterpret_cast<QzWord>(target);
        if (target != nullptr && innermostTarget(header) != targetWord) {
          fillLiveCopy(record, trigger);
          const QzWord* live = record->liveWords();
          words.assign(live, live + record->count);
          words.resize(record->count + kSpareWords, 0);
          tDeliveries.push_back(Delivery{header, targetWord});
          Qz_ReleaseSemaphore(tree);
          Qz_DoMethodA(target, static_cast<uint32_t>(words[0]), words.data() + 1);
          delivered = true;
        }
      }
      if (delivered) {
        tDeliveries.pop_back();
        if (!obtainTreePatiently()) {
          header->firing.fetch_sub(1, std::memory_order_relaxed);
          return 0;
        }
        // The walk goes on only while the object lives and the next record
        // is still listed; a removed successor ends this firing.
        // (The successor is compared, never read: it may have been freed.)
        const bool nextIsEnd = next == reinterpret_cast<Node*>(&header->own.lh_Tail);
        if (header->retired || (!nextIsEnd && !inList(&header->own, next))) break;
      }
    }
    node = next;
  }
  const bool lastWalk = header->firing.fetch_sub(1, std::memory_order_relaxed) == 1;
  if (lastWalk && header->retired) delete header;
  Qz_ReleaseSemaphore(tree);
  return 0;
}

void notifyDisposeRoot(Qz_RootObject* root) {
  Qz_NotifyHeader* header = headerSlot(root).exchange(nullptr, std::memory_order_acq_rel);
  if (header == nullptr) return;
  const bool locked = obtainTreePatiently();
  // Own notifications: unhook their partners at the targets.
  while (header->own.lh_Head->ln_Succ != nullptr) {
    auto* record = reinterpret_cast<NotifyRecord*>(header->own.lh_Head);
    if (!record->valid()) break;
    if (record->partner != nullptr && record->partner->valid()) freePartner(record->partner);
    freeRecord(record);
  }
  // Notifications aimed at this object: their sources stop sending to it.
  while (header->partners.lh_Head->ln_Succ != nullptr) {
    auto* partner = reinterpret_cast<PartnerRecord*>(header->partners.lh_Head);
    if (!partner->valid()) break;
    if (partner->main != nullptr && partner->main->valid()) freeRecord(partner->main);
    freePartner(partner);
  }
  if (header->restoreText != nullptr) Qz_FreeMem(header->restoreText);
  header->restoreText = nullptr;
  if (header->firing.load(std::memory_order_relaxed) > 0) {
    header->retired = true;  // the last walk frees it
  } else {
    delete header;
  }
  if (locked) Qz_ReleaseSemaphore(treeSemaphore());
}

}  // namespace qz::objects

QzWord Qz_DoNotifyA(Qz_Object* source, const QzWord* words) {
  (void)source;
  (void)words;
  return 0;
}
