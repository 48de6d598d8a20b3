#pragma once

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "toolbox/base/Exception.h"
#include "toolbox/base/Memory.h"

namespace toolbox {

class String;

// A growable array of pointers to T that owns the objects it points to. Its capacity follows
// the element count by a fill percentage in both directions: it grows to aim at the high fill
// and gives memory back once the fill has dropped below the low fill.
//
// Out-of-range indexes are not errors: reads and removals answer null or false and InsertAt
// does nothing. Slots may hold null; the delete operations skip them.
template <class T>
class ArrayList {
 public:
  // Negative when a sorts before b; only the sign is used.
  using CompareFunction = int (*)(const T* a, const T* b);

  // Every list of the program is built with the defaults. A minimum below 8 becomes 8; fill
  // percentages that make no sense (low < 0, low >= high, high >= 100) become 30 and 60.
  explicit ArrayList(int minimumCapacity = 16, int lowFill = 30, int highFill = 60) {
    this->minimumCapacity = minimumCapacity < 8 ? 8 : minimumCapacity;
    if (lowFill < 0 || lowFill >= highFill || highFill >= 100) {
      lowFill = 30;
      highFill = 60;
    }
    this->lowFill = lowFill;
    this->highFill = highFill;
    Reallocate(this->minimumCapacity);
  }

  ArrayList(const ArrayList&) = delete;
  ArrayList& operator=(const ArrayList&) = delete;

  virtual ~ArrayList() {
    for (int i = 0; i < count; ++i) delete items[i];
    std::free(items);
  }

  // Takes the element over. If the array cannot grow, EOutOfMemory is thrown and the element
  // stays the caller's.
  void Add(T* element) {
    EnsureCapacity(count + 1);
    items[count++] = element;
  }

  // Adds a new String holding a copy of the text.
  void AddText(const char* text)
    requires std::same_as<T, String>
  {
    T* element = NewOrThrow<T>(text);
    try {
      Add(element);
    } catch (...) {
      delete element;
      throw;
    }
  }

  // Index == count appends. Outside 0..count nothing happens and the element stays the
  // caller's.
  void InsertAt(T* element, int index) {
    if (index < 0 || index > count) return;
    EnsureCapacity(count + 1);
    std::memmove(items + index + 1, items + index, (count - index) * sizeof(T*));
    items[index] = element;
    ++count;
  }

  T* GetAt(int index) const { return index < 0 || index >= count ? nullptr : items[index]; }
  // Puts the element at index and hands back the one that stood there, which now belongs
  // to the caller. Out of range: null, and the element stays the caller's.
  T* SetAt(int index, T* element) {
    if (index < 0 || index >= count) return nullptr;
    T* replaced = items[index];
    items[index] = element;
    return replaced;
  }
  T* First() const { return GetAt(0); }
  T* Last() const { return GetAt(count - 1); }

  // Takes the element out and hands it to the caller; null when the index is out of range.
  T* RemoveAt(int index) {
    if (index < 0 || index >= count) return nullptr;
    // Resized before anything moves, so that a failed reallocation leaves the list intact.
    EnsureCapacity(count - 1);
    T* element = items[index];
    std::memmove(items + index, items + index + 1, (count - index - 1) * sizeof(T*));
    --count;
    return element;
  }

  T* RemoveLast() { return count == 0 ? nullptr : RemoveAt(count - 1); }

  bool DeleteAt(int index) {
    if (index < 0 || index >= count) return false;
    delete RemoveAt(index);
    return true;
  }

  bool DeleteLast() {
    if (count == 0) return false;
    delete RemoveLast();
    return true;
  }

  // Deletes every element in index order. The capacity is decided with the old count, so a
  // list that is still well filled keeps its array for refilling.
  void DeleteAll() {
    for (int i = 0; i < count; ++i) {
      delete items[i];
      items[i] = nullptr;
    }
    // Even when the resize fails the elements are gone, so the count must not claim them.
    try {
      EnsureCapacity(0);
    } catch (...) {
      count = 0;
      throw;
    }
    count = 0;
  }

  // Selection sort in place: each pass swaps the first of the smallest remaining elements
  // into place, which may carry an element past its equals, so the order of equal elements is
  // not kept. A tournament over the positions finds that element in O(log n) comparisons, so
  // the whole sort makes O(n log n) of them. Without a function the list's Compare is used.
  // The tournament needs an array of about 2 to 4 ints per element: if it cannot be
  // allocated, EOutOfMemory is thrown and the list is unchanged.
  void Sort(CompareFunction compare = nullptr) {
    if (count < 2) return;
    Tournament tournament(*this, compare);
    for (int i = 0; i < count - 1; ++i) {
      int m = tournament.Winner();
      T* swapped = items[m];
      items[m] = items[i];
      items[i] = swapped;
      tournament.Withdraw(i, m);
    }
  }

  // Orders by address: 0 when equal, 1 when a lies above b, else -1.
  virtual int Compare(const T* a, const T* b) const {
    auto left = reinterpret_cast<std::uintptr_t>(a);
    auto right = reinterpret_cast<std::uintptr_t>(b);
    return left == right ? 0 : left > right ? 1 : -1;
  }

  int GetCount() const { return count; }
  int GetCapacity() const { return capacity; }
  int GetMinimumCapacity() const { return minimumCapacity; }
  int GetLowFill() const { return lowFill; }
  int GetHighFill() const { return highFill; }

 protected:
  // Requests of this many slots or more are refused as if the heap were exhausted.
  static constexpr int kImpossibleCapacity = 1 << 30;

  // Sizes the array for a count about to become n; "count" is still the old one here. The
  // array grows only when n elements no longer fit, so a default list takes 16 elements in
  // its 16 slots and grows to 28 on the 17th, then to 48 and 81.
  void EnsureCapacity(int n) {
    // 64-bit products: n * 100 overflows 32 bits from about 21 million elements on. The fill
    // test "count * 100 / capacity < low fill" is made without dividing (floor(a / b) < c
    // exactly when a < c * b), since it runs on every Add.
    bool sparse = capacity > minimumCapacity &&
                  std::int64_t{count} * 100 < std::int64_t{lowFill} * capacity;
    if (!sparse && n <= capacity) return;
    std::int64_t target = std::int64_t{n} * 100 / highFill;
    std::int64_t wanted = Max(target, std::int64_t{n} + 1);
    if (sparse) wanted = Max(wanted, minimumCapacity);
    Reallocate(static_cast<int>(wanted < kImpossibleCapacity ? wanted : kImpossibleCapacity));
  }

  // Moves the elements into an array of newCapacity slots. On failure EOutOfMemory is thrown
  // and the list is unchanged.
  void Reallocate(int newCapacity) {
    // The refusal stands in for the request that would overflow the byte size on a 32-bit
    // system; it is thrown directly so that no allocator ever sees an absurd size.
    if (newCapacity >= kImpossibleCapacity) throw EOutOfMemory();
    // realloc rather than allocate, copy and free: it can grow a large array in place, where
    // a fresh array at every step of the 5/3 growth would keep fetching new pages from the
    // system. A shrink decided with the old count while the elements are being deleted may
    // leave fewer slots than that count; only what fits is kept, which is all that matters.
    items = static_cast<T**>(ReallocateOrThrow(items, std::size_t(newCapacity) * sizeof(T*)));
    capacity = newCapacity;
  }

 private:
  static std::int64_t Max(std::int64_t a, std::int64_t b) { return a > b ? a : b; }

  // The knockout tree of Sort, owned by the sort and freed when it ends. A node holds the
  // position of the first smallest element of its range, or -1 when the range has none left;
  // node k plays its children 2k and 2k + 1, the leaves sit at leaves + position. The left
  // child always covers the lower positions, so a tie keeps the left winner, and the later
  // element is compared with the earlier one, as the plain selection sort does.
  class Tournament {
   public:
    Tournament(const ArrayList& list, CompareFunction compare) : list(list), compare(compare) {
      while (leaves < std::size_t(list.count)) leaves *= 2;
      nodes = static_cast<int*>(AllocateOrThrow(2 * leaves * sizeof(int)));
      for (std::size_t k = 0; k < leaves; ++k) {
        nodes[leaves + k] = k < std::size_t(list.count) ? static_cast<int>(k) : -1;
      }
      for (std::size_t k = leaves - 1; k >= 1; --k) Play(k);
    }
    Tournament(const Tournament&) = delete;
    Tournament& operator=(const Tournament&) = delete;
    ~Tournament() { std::free(nodes); }

    int Winner() const { return nodes[1]; }

    // Position taken has been filled for good and position moved now holds the element that
    // stood at taken (the same position when the winner was already in place). Both paths
    // are replayed level by level up to the root.
    void Withdraw(int taken, int moved) {
      std::size_t a = leaves + std::size_t(taken);
      std::size_t b = leaves + std::size_t(moved);
      nodes[a] = -1;
      while (a > 1) {
        a /= 2;
        b /= 2;
        Play(a);
        if (b != a) Play(b);
      }
    }

   private:
    void Play(std::size_t k) {
      int left = nodes[2 * k];
      int right = nodes[2 * k + 1];
      if (left < 0 || right < 0) {
        nodes[k] = left < 0 ? right : left;
        return;
      }
      const T* earlier = list.items[left];
      const T* later = list.items[right];
      int order = compare != nullptr ? compare(later, earlier) : list.Compare(later, earlier);
      nodes[k] = order < 0 ? right : left;
    }

    const ArrayList& list;
    CompareFunction compare;
    std::size_t leaves = 1;
    int* nodes = nullptr;
  };

  int count = 0;
  int highFill = 0;
  T** items = nullptr;
  int minimumCapacity = 0;
  int lowFill = 0;
  int capacity = 0;
};

}  // namespace toolbox
