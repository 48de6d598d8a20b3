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

  // Stable merge sort of the nodes: equal items keep their order, O(n log n) comparisons and
  // no allocation (the recursion is log2 n deep). Without a function the list's Compare is
  // used.
  void Sort(CompareFunction compare = nullptr) {
    if (count < 2) return;
    T* rest = head;
    head = SortRun(rest, count, compare);
    T* previous = nullptr;
    for (T* node = head; node != nullptr; node = Links(node).next) {
      Links(node).previous = previous;
      previous = node;
    }
    tail = previous;
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

  // Sorts the first n (at least 1) nodes of the chain that starts at rest, moves rest past
  // them and returns them as a chain linked by next alone.
  T* SortRun(T*& rest, int n, CompareFunction compare) {
    if (n == 1) {
      T* node = rest;
      rest = Links(node).next;
      Links(node).next = nullptr;
      return node;
    }
    T* earlier = SortRun(rest, n / 2, compare);
    T* later = SortRun(rest, n - n / 2, compare);
    return Merge(earlier, later, compare);
  }

  // A node of the later chain goes first only when it is smaller, so equals keep their order.
  T* Merge(T* earlier, T* later, CompareFunction compare) {
    T* first = nullptr;
    T** end = &first;
    while (earlier != nullptr && later != nullptr) {
      int order = compare != nullptr ? compare(later, earlier) : Compare(later, earlier);
      T*& taken = order < 0 ? later : earlier;
      *end = taken;
      end = &Links(taken).next;
      taken = Links(taken).next;
    }
    *end = earlier != nullptr ? earlier : later;
    return first;
  }

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
