#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "toolbox/base/Exception.h"
#include "toolbox/base/HashMap.h"
#include "toolbox/base/Memory.h"

namespace toolbox {

// The hash of a NUL-terminated text: a weighted sum of its bytes taken as signed values, the
// weight 11 at even and 7 at odd positions. A text of n bytes is sampled every n / 16 bytes,
// so a long key costs no more than a short one. A null text hashes like the empty one.
std::uint32_t HashText(const char* text);

// A HashMap keyed by NUL-terminated texts (const char*), compared byte for byte with letter
// case counting. The map stores and owns its own copy of every key.
template <class T>
class StringKeyHashMap : public HashMap<T> {
 public:
  explicit StringKeyHashMap(int minimumBuckets = 16, int targetFill = 50)
      : HashMap<T>(minimumBuckets, targetFill) {}

  // Emptied here, while this class's FreeKey is the one that runs.
  ~StringKeyHashMap() override { this->Empty(true); }

 protected:
  void* CopyKey(const void* key) override {
    if (key == nullptr) {
      throw EIllegalArgument("A map key must not be null", "toolbox::StringKeyHashMap::CopyKey",
                             __LINE__);
    }
    std::size_t size = std::strlen(static_cast<const char*>(key)) + 1;
    void* copy = AllocateOrThrow(size);
    std::memcpy(copy, key, size);
    return copy;
  }

  void FreeKey(void* key) override { std::free(key); }

  bool KeysEqual(const void* storedKey, const void* key) const override {
    return storedKey != nullptr && key != nullptr &&
           std::strcmp(static_cast<const char*>(storedKey), static_cast<const char*>(key)) == 0;
  }

  std::uint32_t HashKey(const void* key) const override {
    return HashText(static_cast<const char*>(key));
  }
};

}  // namespace toolbox
