#pragma once

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "toolbox/base/Exception.h"

namespace toolbox {

// Every heap allocation of the library goes through these, so that an exhausted heap always
// surfaces as EOutOfMemory and never as std::bad_alloc or a null pointer.

// malloc that throws EOutOfMemory instead of returning null. Free with std::free.
inline void* AllocateOrThrow(std::size_t bytes) {
  void* block = std::malloc(bytes == 0 ? 1 : bytes);
  if (block == nullptr) throw EOutOfMemory();
  return block;
}

// realloc that throws EOutOfMemory instead of returning null, leaving the block as it was.
// The kept contents are those that fit. Free with std::free.
inline void* ReallocateOrThrow(void* block, std::size_t bytes) {
  void* moved = std::realloc(block, bytes == 0 ? 1 : bytes);
  if (moved == nullptr) throw EOutOfMemory();
  return moved;
}

// A heap copy of a NUL-terminated text (length + 1 bytes). Free with std::free.
inline char* CopyTextOrThrow(const char* text) {
  std::size_t size = std::strlen(text) + 1;
  auto* copy = static_cast<char*>(AllocateOrThrow(size));
  std::memcpy(copy, text, size);
  return copy;
}

// A text on the heap, owned here and freed with std::free: a copy of CopyTextOrThrow, a file's
// contents (ReadWholeFile), a path's text (Path::ToText).
struct FreeText {
  void operator()(char* text) const { std::free(text); }
};
using HeapText = std::unique_ptr<char, FreeText>;

// new that throws EOutOfMemory instead of std::bad_alloc. Delete with delete.
template <class T, class... Args>
T* NewOrThrow(Args&&... args) {
  T* object = new (std::nothrow) T(std::forward<Args>(args)...);
  if (object == nullptr) throw EOutOfMemory();
  return object;
}

// Runs work that allocates through the standard library (its containers and strings) and
// answers its result: an exhausted heap there (std::bad_alloc) is EOutOfMemory too.
template <class F>
auto Allocating(F&& work) {
  try {
    return work();
  } catch (const std::bad_alloc&) {
    throw EOutOfMemory();
  }
}

// Room for one more element, growing by half as push_back would; std::bad_alloc when the
// heap is exhausted (run it inside Allocating).
template <class T>
void Grow(std::vector<T>& vector) {
  if (vector.size() == vector.capacity()) vector.reserve(vector.size() + vector.size() / 2 + 16);
}

}  // namespace toolbox
