#pragma once

#include "toolbox/base/StringKeyHashMap.h"

namespace toolbox {

// Hands a newly made value over to a map under the key and answers it. Put keeps the value
// when it has stored it, even if the resize that follows throws; only a value the map does
// not hold is deleted here before the exception goes on.
template <class T>
T* PutOwned(StringKeyHashMap<T>& map, const char* key, T* value) {
  try {
    map.Put(key, value);
  } catch (...) {
    if (map.Get(key) != value) delete value;
    throw;
  }
  return value;
}

}  // namespace toolbox
