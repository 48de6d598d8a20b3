#include "toolbox/base/DistinctTexts.h"

#include <limits>
#include <new>
#include <utility>

#include "toolbox/base/Exception.h"
#include "toolbox/base/Memory.h"

namespace toolbox {

DistinctTexts::DistinctTexts() {
  Allocating([&] { texts.emplace_back(); });
  ids.Put(PositionTable::HashOf("", 0), kEmpty);
}

void DistinctTexts::Reserve(std::size_t count) {
  Allocating([&] {
    texts.reserve(count + kFewTexts);
    ids.Reserve(count + kFewTexts);
    // A store regrown while it fills copies itself each time, and room not yet written
    // takes no memory of a large store.
    store.reserve(store.size() + count * kTypicalBytes);
  });
}

// Everything that may fail comes before the text is entered anywhere.
int DistinctTexts::Add(std::string_view bytes, std::uint32_t hash) {
  if (bytes.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) throw EOutOfMemory();
  Allocating([&] {
    if (freeIds.empty()) Grow(texts);
    ids.Reserve(static_cast<std::size_t>(Stored()) + 1);
    store.insert(store.end(), bytes.begin(), bytes.end());
  });
  int id = static_cast<int>(texts.size());
  std::uint32_t generation = 0;
  if (freeIds.empty()) {
    texts.emplace_back();
  } else {
    id = freeIds.back();
    freeIds.pop_back();
    generation = texts[Index(id)].generation + 1;
  }
  texts[Index(id)] = Text{store.size() - bytes.size(), static_cast<int>(bytes.size()), 0, generation};
  ids.Put(hash, id);
  ++unused;
  return id;
}

void DistinctTexts::DropUnused() {
  std::vector<char> kept;
  Allocating([&] {
    kept.reserve(store.size());
    freeIds.reserve(freeIds.size() + static_cast<std::size_t>(unused));
  });
  PositionTable shown = ids.Keeping([&](int id) { return id == kEmpty || texts[Index(id)].uses != 0; });
  for (std::size_t id = 0; id < texts.size(); ++id) {
    Text& text = texts[id];
    if (text.uses == kFree) continue;
    if (id != kEmpty && text.uses == 0) {
      text = Text{0, 0, kFree, text.generation};
      freeIds.push_back(static_cast<int>(id));
      continue;
    }
    const std::string_view bytes = Bytes(static_cast<int>(id));
    text.offset = kept.size();
    kept.insert(kept.end(), bytes.begin(), bytes.end());
  }
  store.swap(kept);
  ids = std::move(shown);
  unused = 0;
  ++drops;
}

}  // namespace toolbox
