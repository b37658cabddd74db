// A table that depends only on a mode's settings (and sizes), built once per
// change and shared, immutable, by every strip that renders with it. Kept in
// the mode object; a render takes the table for the settings it read at its
// start and keeps that shared_ptr for the whole call, so a setter's change
// makes a new table while strips still reading the old one keep it alive.
//
//   struct Qz_MyModeObject { Qz_Object header; qz::modes::SharedTable<MyKey, MyTables> tables; ... };
//   const auto tables = self->tables.get(key, [&] { return buildTables(key); });
//   if (!tables) return 1;  // no memory: write nothing
//
// Key is a plain value with operator== (default-constructible): everything
// the table is made from.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <new>
#include <utility>

namespace qz::modes {

template <class Key, class Table, size_t kKept = 4>
class SharedTable {
 public:
  // The table made for `key`: one already made when the key is among the
  // last kKept asked for, else build() (a callable answering a Table) runs
  // once, under the table's mutex, and its result replaces the least
  // recently used. Keeping a few lets a strip that read the settings just
  // before a setter changed them share the table of the old key instead of
  // building it again. None when the build runs out of memory (the next
  // call tries again).
  template <class Build>
  std::shared_ptr<const Table> get(const Key& key, Build&& build) {
    std::lock_guard<std::mutex> guard(mutex_);
    Entry* replace = &entries_[0];
    for (Entry& e : entries_) {
      if (e.table && e.key == key) {
        e.used = ++clock_;
        return e.table;
      }
      if (!e.table || (replace->table && e.used < replace->used)) replace = &e;
    }
    try {
      std::shared_ptr<const Table> fresh = std::make_shared<const Table>(build());
      replace->key = key;
      replace->table = std::move(fresh);
      replace->used = ++clock_;
    } catch (const std::bad_alloc&) {
      return nullptr;
    }
    return replace->table;
  }

  // Drops the tables in hand (renders that hold one keep theirs).
  void reset() {
    std::lock_guard<std::mutex> guard(mutex_);
    for (Entry& e : entries_) e = Entry{};
  }

 private:
  struct Entry {
    Key key{};
    std::shared_ptr<const Table> table;
    uint64_t used = 0;
  };
  std::mutex mutex_;
  std::array<Entry, kKept> entries_{};
  uint64_t clock_ = 0;
};

}  // namespace qz::modes
