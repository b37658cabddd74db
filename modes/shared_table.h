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
// Key is a plain value with operator==: everything the table is made from.
#pragma once

#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <utility>

namespace qz::modes {

template <class Key, class Table>
class SharedTable {
 public:
  // The table made for `key`: the one in hand when the key is the last one
  // asked for, else build() (a callable answering a Table) runs once, under
  // the table's mutex, and its result replaces the last. None when the
  // build runs out of memory (the next call tries again).
  template <class Build>
  std::shared_ptr<const Table> get(const Key& key, Build&& build) {
    std::lock_guard<std::mutex> guard(mutex_);
    if (table_ && key_ && *key_ == key) return table_;
    try {
      std::shared_ptr<const Table> fresh = std::make_shared<const Table>(build());
      key_ = key;
      table_ = std::move(fresh);
    } catch (const std::bad_alloc&) {
      return nullptr;
    }
    return table_;
  }

  // Drops the table in hand (renders that hold it keep theirs).
  void reset() {
    std::lock_guard<std::mutex> guard(mutex_);
    table_.reset();
    key_.reset();
  }

 private:
  std::mutex mutex_;
  std::optional<Key> key_;
  std::shared_ptr<const Table> table_;
};

}  // namespace qz::modes
