#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <memory>

#include "toolbox/base/Exception.h"
#include "toolbox/base/Memory.h"
#include "toolbox/base/PointeredList.h"

namespace toolbox {

// A chained hash table from a key to an owned T. Each bucket in use holds two parallel
// PointeredLists, the stored keys and their values in insertion order; a bucket that never
// received an entry, or was emptied by Remove, has none. Keys are handled only through the
// virtual operations, so a subclass decides how they are copied, compared and hashed; this
// class itself keys by address.
//
// The bucket count follows the entry count by a target fill (entries per 100 buckets): the
// table is re-evaluated after Put and after emptying, never on Get or Remove.
template <class T>
class HashMap {
 public:
  // A minimum below 1 becomes 16 and a target fill below 10 becomes 50.
  explicit HashMap(int minimumBuckets = 16, int targetFill = 50)
      : targetFill(targetFill < 10 ? 50 : targetFill),
        minimumBuckets(minimumBuckets < 1 ? 16 : minimumBuckets) {
    Rebuild(this->minimumBuckets);
  }

  HashMap(const HashMap&) = delete;
  HashMap& operator=(const HashMap&) = delete;

  // Deletes the remaining values. A subclass whose FreeKey does something must empty the
  // map in its own destructor, while its FreeKey is still the one in force.
  virtual ~HashMap() {
    Empty(true);
    std::free(keyChains);
    std::free(valueChains);
  }

  // Stores the value under (a copy of) the key and takes the value over. A value already
  // stored under the key is deleted and replaced in place, keeping the entry's position.
  // If storing fails, EOutOfMemory is thrown and the value stays the caller's; if only the
  // resize afterwards fails, the entry is stored and EOutOfMemory is thrown all the same.
  void Put(const void* key, T* value) {
    void* storedKey = CopyKey(key);
    try {
      Insert(storedKey, value);
    } catch (...) {
      FreeKey(storedKey);
      throw;
    }
    AdjustSize();
  }

  // The value stored under the key, or null.
  T* Get(const void* key) const {
    const Entry entry = Find(key);
    return entry.keyNode != nullptr ? static_cast<T*>(entry.valueNode->GetPayload()) : nullptr;
  }

  // Takes the entry out and hands its value to the caller; null when the key is absent.
  T* Remove(const void* key) {
    const Entry entry = Find(key);
    if (entry.keyNode == nullptr) return nullptr;
    void* storedKey = entry.keyNode->GetPayload();
    T* value = static_cast<T*>(entry.valueNode->GetPayload());
    keyChains[entry.bucket]->DeleteItem(entry.keyNode);
    valueChains[entry.bucket]->DeleteItem(entry.valueNode);
    --count;
    if (keyChains[entry.bucket]->GetCount() == 0) DropChains(entry.bucket);
    FreeKey(storedKey);
    return value;
  }

  void RemoveAndDelete(const void* key) { DeleteValue(Remove(key)); }

  // Empties the map and hands the values back untouched: they stay their owners' business.
  void RemoveAll() {
    Empty(false);
    AdjustSize();
  }

  // Empties the map, deleting every value.
  void RemoveAndDeleteAll() {
    Empty(true);
    AdjustSize();
  }

  // A new list of the stored keys (not copies), in bucket order and, within a bucket, in
  // insertion order. The keys stay the map's and are valid until their entry goes.
  std::unique_ptr<PointeredList> Keys() const {
    std::unique_ptr<PointeredList> keys(NewOrThrow<PointeredList>());
    ForEachEntry([&](PointeredListItem* keyNode, PointeredListItem*) {
      keys->Append(NewOrThrow<PointeredListItem>(keyNode->GetPayload()));
    });
    return keys;
  }

  int GetCount() const { return count; }
  int GetBucketCount() const { return bucketCount; }

 protected:
  // The key to store for a key handed to Put.
  virtual void* CopyKey(const void* key) { return const_cast<void*>(key); }
  // Releases a stored key.
  virtual void FreeKey(void*) {}
  virtual void DeleteValue(T* value) { delete value; }
  virtual bool KeysEqual(const void* storedKey, const void* key) const { return storedKey == key; }
  virtual std::uint32_t HashKey(const void* key) const {
    return static_cast<std::uint32_t>((reinterpret_cast<std::uintptr_t>(key) >> 3) * 1009u);
  }

  // Stores an entry whose key is already in stored form. Under a key that is present the new
  // key is freed, the old value deleted and the new one put in its place. Throws EOutOfMemory
  // before changing anything when a new entry cannot be linked in.
  void Insert(void* key, T* value) {
    const Entry entry = Find(key);
    const int bucket = entry.bucket;
    if (entry.keyNode != nullptr) {
      FreeKey(key);
      T* old = static_cast<T*>(entry.valueNode->GetPayload());
      // Storing the very value again must not delete it under the caller.
      if (old != value) DeleteValue(old);
      entry.valueNode->SetPayload(value);
      return;
    }
    std::unique_ptr<PointeredListItem> keyNode(NewOrThrow<PointeredListItem>(key));
    std::unique_ptr<PointeredListItem> valueNode(NewOrThrow<PointeredListItem>(value));
    if (keyChains[bucket] == nullptr) {
      std::unique_ptr<PointeredList> keys(NewOrThrow<PointeredList>());
      std::unique_ptr<PointeredList> values(NewOrThrow<PointeredList>());
      keyChains[bucket] = keys.release();
      valueChains[bucket] = values.release();
    }
    keyChains[bucket]->Append(keyNode.release());
    valueChains[bucket]->Append(valueNode.release());
    ++count;
  }

  // Grows the table when it is more than twice as full as the target and shrinks it (never
  // below the minimum) when it is less than half as full, to the size that meets the target.
  void AdjustSize() {
    // 64-bit intermediates, so that a huge count or target cannot overflow.
    std::int64_t fill = std::int64_t{count} * 100 / bucketCount;
    std::int64_t wanted = std::int64_t{count} * 100 / targetFill;
    if (fill < targetFill / 2) {
      if (wanted < minimumBuckets) wanted = minimumBuckets;
      if (wanted >= bucketCount) return;
    } else if (fill <= std::int64_t{targetFill} * 2) {
      return;
    }
    constexpr std::int64_t kMost = std::numeric_limits<int>::max();
    Rebuild(static_cast<int>(wanted < kMost ? wanted : kMost));
  }

  // Redistributes every entry over n buckets, keeping the order of the old buckets and
  // chains; keys and values move over unchanged. On failure EOutOfMemory is thrown and the
  // table is as it was.
  void Rebuild(int n) {
    PointeredList** newKeyChains = AllocateChains(n);
    PointeredList** newValueChains;
    try {
      newValueChains = AllocateChains(n);
    } catch (...) {
      std::free(newKeyChains);
      throw;
    }
    // The chains of every bucket that will be in use come first: after that, moving the
    // entries needs no allocation, so nothing can fail halfway. The entries' own chain nodes
    // move with them rather than being copied.
    try {
      ForEachEntry([&](PointeredListItem* keyNode, PointeredListItem*) {
        const int target = BucketIndex(keyNode->GetPayload(), n);
        if (newKeyChains[target] != nullptr) return;
        newKeyChains[target] = NewOrThrow<PointeredList>();
        newValueChains[target] = NewOrThrow<PointeredList>();
      });
    } catch (...) {
      DeleteChains(newKeyChains, newValueChains, n);
      throw;
    }
    for (int bucket = 0; bucket < bucketCount; ++bucket) {
      if (keyChains[bucket] == nullptr) continue;
      PointeredList* keys = keyChains[bucket];
      PointeredList* values = valueChains[bucket];
      while (keys->GetHead() != nullptr) {
        PointeredListItem* keyNode = keys->Remove(keys->GetHead());
        PointeredListItem* valueNode = values->Remove(values->GetHead());
        int target = BucketIndex(keyNode->GetPayload(), n);
        newKeyChains[target]->Append(keyNode);
        newValueChains[target]->Append(valueNode);
      }
    }
    DeleteChains(keyChains, valueChains, bucketCount);
    keyChains = newKeyChains;
    valueChains = newValueChains;
    bucketCount = n;
  }

  // Frees every stored key and, when asked, deletes every value, in bucket and chain order,
  // then drops all chains. The bucket count stays as it is.
  void Empty(bool deleteValues) {
    ForEachEntry([&](PointeredListItem* keyNode, PointeredListItem* valueNode) {
      FreeKey(keyNode->GetPayload());
      if (deleteValues) DeleteValue(static_cast<T*>(valueNode->GetPayload()));
    });
    for (int bucket = 0; bucket < bucketCount; ++bucket) DropChains(bucket);
    count = 0;
  }

 private:
  // Where a key is stored: its bucket, and its node and its value's node in the bucket's
  // chains (null when the key is absent).
  struct Entry {
    int bucket;
    PointeredListItem* keyNode = nullptr;
    PointeredListItem* valueNode = nullptr;
  };

  Entry Find(const void* key) const {
    Entry entry{BucketIndex(key)};
    if (keyChains[entry.bucket] == nullptr) return entry;
    PointeredListItem* valueNode = valueChains[entry.bucket]->GetHead();
    for (PointeredListItem* keyNode = keyChains[entry.bucket]->GetHead(); keyNode != nullptr;
         keyNode = keyNode->GetNext(), valueNode = valueNode->GetNext()) {
      if (KeysEqual(keyNode->GetPayload(), key)) return {entry.bucket, keyNode, valueNode};
    }
    return entry;
  }

  // Calls visit(keyNode, valueNode) for every entry, in bucket and chain order.
  template <class Visit>
  void ForEachEntry(Visit&& visit) const {
    for (int bucket = 0; bucket < bucketCount; ++bucket) {
      if (keyChains[bucket] == nullptr) continue;
      PointeredListItem* valueNode = valueChains[bucket]->GetHead();
      for (PointeredListItem* keyNode = keyChains[bucket]->GetHead(); keyNode != nullptr;
           keyNode = keyNode->GetNext(), valueNode = valueNode->GetNext()) {
        visit(keyNode, valueNode);
      }
    }
  }

  // Deletes the bucket's chains with their nodes (never the keys and values they point to).
  void DropChains(int bucket) {
    delete keyChains[bucket];
    delete valueChains[bucket];
    keyChains[bucket] = nullptr;
    valueChains[bucket] = nullptr;
  }

  int BucketIndex(const void* key) const { return BucketIndex(key, bucketCount); }
  int BucketIndex(const void* key, int buckets) const {
    return static_cast<int>(HashKey(key) % static_cast<std::uint32_t>(buckets));
  }

  // An array of n null chain pointers.
  static PointeredList** AllocateChains(int n) {
    if (n < 1 || static_cast<std::size_t>(n) > SIZE_MAX / sizeof(PointeredList*)) {
      throw EOutOfMemory();
    }
    auto chains = static_cast<PointeredList**>(AllocateOrThrow(n * sizeof(PointeredList*)));
    for (int i = 0; i < n; ++i) chains[i] = nullptr;
    return chains;
  }

  // Deletes the chains with their nodes (never the keys and values they point to) and both
  // arrays.
  static void DeleteChains(PointeredList** keys, PointeredList** values, int n) {
    for (int i = 0; i < n; ++i) {
      delete keys[i];
      delete values[i];
    }
    std::free(keys);
    std::free(values);
  }

  int count = 0;
  int targetFill;
  int minimumBuckets;
  PointeredList** keyChains = nullptr;
  int bucketCount = 0;
  PointeredList** valueChains = nullptr;
};

}  // namespace toolbox
