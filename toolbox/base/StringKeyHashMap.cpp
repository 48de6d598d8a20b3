#include "toolbox/base/StringKeyHashMap.h"

#include <cstddef>
#include <cstring>

namespace toolbox {

std::uint32_t HashText(const char* text) {
  if (text == nullptr) return 0;
  std::size_t length = std::strlen(text);
  std::size_t step = length / 16;
  if (step < 1) step = 1;
  std::uint32_t sum = 0;
  for (std::size_t p = 0; p < length; p += step) {
    // Bytes from 0x80 up count as negative; the sum wraps modulo 2^32.
    auto byte = static_cast<std::int32_t>(static_cast<signed char>(text[p]));
    sum += static_cast<std::uint32_t>(byte * (p % 2 == 0 ? 11 : 7));
  }
  return sum;
}

}  // namespace toolbox
