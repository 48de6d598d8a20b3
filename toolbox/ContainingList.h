#pragma once

#include <cstdint>

namespace toolbox {

template <class T>
class ContainingList;

// Base of the elements of a ContainingList<T>: carries the links. An item belongs to at most
// one list at a time, and both links are null whenever it is in none.
template <class T>
class ContainingListItem {
 public:
  ContainingListItem() = default;
  ContainingListItem(const ContainingListItem&) = delete;
  ContainingListItem& operator=(const ContainingListItem&) = delete;
  virtual ~ContainingListItem() = default;

  T* GetNext() const { return next; }
  T* GetPrevious() const { return previous; }

 private:
  friend class ContainingList<T>;

  T* next = nullptr;
  T* previous = nullptr;
};

// An intrusive doubly linked list that owns its items: T derives from ContainingListItem<T>.
// Items are created by the caller with null links and handed over by Append; the list
// deletes them unless RemoveLast or Remove gives them back.
template <class T>
class ContainingList {
 public:
  // Negative when a sorts before b; only the sign is used.
  using CompareFunction = int (*)(const T* a, const T* b);

  ContainingList() = default;
  ContainingList(const ContainingList&) = delete;
  ContainingList& operator=(const ContainingList&) = delete;
  virtual ~ContainingList() { DeleteAll(); }

  // The item must be in no list.
  void Append(T* item) {
    Links(item).previous = tail;
    if (tail != nullptr) {
      Links(tail).next = item;
    } else {
      head = item;
    }
    tail = item;
    ++count;
  }

  // Unlinks the tail and hands it to the caller; null for an empty list.
  T* RemoveLast() {
    if (tail == nullptr) return nullptr;
    T* item = tail;
    Unlink(item);
    return item;
  }

  bool DeleteLast() {
    T* item = RemoveLast();
    delete item;
    return item != nullptr;
  }

  // Deletes the items from the tail towards the head.
  void DeleteAll() {
    while (DeleteLast()) {
    }
  }

  // Unlinks the first node for which Compare(node, item) is 0 and hands it to the caller;
  // null, with nothing changed, when none matches. With the address order that node is the
  // item itself; a list that compares by content may be given a probe and gets back its own
  // node, which is what a later delete must reach.
  T* Remove(const T* item) {
    for (T* node = head; node != nullptr; node = Links(node).next) {
      if (Compare(node, item) == 0) {
        Unlink(node);
        return node;
      }
    }
    return nullptr;
  }

  bool DeleteItem(const T* item) {
    T* removed = Remove(item);
    delete removed;
    return removed != nullptr;
  }

  // Stable selection sort: the first of the smallest remaining items is moved to the end of
  // the list, n * (n - 1) / 2 comparisons for n items. Without a function the list's Compare
  // is used.
  void Sort(CompareFunction compare = nullptr) {
    T* p = head;
    head = nullptr;
    tail = nullptr;
    count = 0;
    while (p != nullptr) {
      T* r = p;
      for (T* q = Links(p).next; q != nullptr; q = Links(q).next) {
        int order = compare != nullptr ? compare(q, r) : Compare(q, r);
        if (order < 0) r = q;
      }
      if (r == p) p = Links(p).next;
      // r leaves the remaining chain, whose own head is p (not this list's head).
      T* before = Links(r).previous;
      T* after = Links(r).next;
      if (before != nullptr) Links(before).next = after;
      if (after != nullptr) Links(after).previous = before;
      Links(r).next = nullptr;
      Links(r).previous = nullptr;
      Append(r);
    }
  }

  // Orders by address: 0 when equal, 1 when a lies above b, else -1.
  virtual int Compare(const T* a, const T* b) const {
    auto left = reinterpret_cast<std::uintptr_t>(a);
    auto right = reinterpret_cast<std::uintptr_t>(b);
    return left == right ? 0 : left > right ? 1 : -1;
  }

  int GetCount() const { return count; }
  T* GetHead() const { return head; }
  T* GetTail() const { return tail; }

 private:
  static ContainingListItem<T>& Links(T* item) { return *item; }

  // Takes a node of this list out and clears its links.
  void Unlink(T* node) {
    T* before = Links(node).previous;
    T* after = Links(node).next;
    if (before != nullptr) {
      Links(before).next = after;
    } else {
      head = after;
    }
    if (after != nullptr) {
      Links(after).previous = before;
    } else {
      tail = before;
    }
    Links(node).next = nullptr;
    Links(node).previous = nullptr;
    --count;
  }

  int count = 0;
  T* head = nullptr;
  T* tail = nullptr;
};

}  // namespace toolbox
