#include "core/ItemList.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "framework/base/Exceptions.h"
#include "toolbox/base/PositionTable.h"

using toolbox::String;

namespace {

// A field of a line: its bytes in the file's text.
struct Field {
  const char* begin = "";
  int length = 0;
};

// The field splitter: the text of [rest, end) before its first tab, after which rest stands;
// without a tab the field is empty and rest stays where it is.
Field CutField(const char*& rest, const char* end) {
  const auto* tab = static_cast<const char*>(std::memchr(rest, '\t', static_cast<size_t>(end - rest)));
  if (tab == nullptr) return {};
  Field field{rest, static_cast<int>(tab - rest)};
  rest = tab + 1;
  return field;
}

}  // namespace

String NextField(String& line) {
  const char* rest = line.Text();
  const Field field = CutField(rest, rest + line.Length());
  String text(field.begin, 0, field.length);
  line.RemoveFirst(static_cast<int>(rest - line.Text()));
  return text;
}

void AppendItemList(const Repository& repository, bool checkedOnly, std::string& text) {
  const std::size_t before = text.size();
  try {
    framework::Allocating([&] {
      for (int i = 0; i < repository.GetCount(); ++i) {
        const Item* item = repository.GetAt(i);
        if (checkedOnly && !item->IsChecked()) continue;
        // The line "%s\t%s\t%s\t%s\t\n" of check mark, quantity, name and group, put together
        // piece by piece rather than formatted: the same bytes at a fraction of the cost.
        text += item->IsChecked() ? "1\t" : "0\t";
        for (const String* field : {&item->GetQuantity(), &item->GetName(), &item->GetGroup()}) {
          text.append(field->Text(), static_cast<std::size_t>(field->Length()));
          text += '\t';
        }
        text += '\n';
      }
    });
  } catch (...) {
    text.resize(before);
    throw;
  }
}

void WriteItemList(const Repository& repository, framework::File& file, bool checkedOnly) {
  // All lines in one write: the same bytes as one write per line, without a system call for
  // each item of a large repository.
  std::string text;
  AppendItemList(repository, checkedOnly, text);
  if (!text.empty()) file.Write(text.data(), text.size());
}

namespace {

bool Holds(const String& text, Field field) {
  return text.Length() == field.length && std::memcmp(text.Text(), field.begin, static_cast<size_t>(field.length)) == 0;
}

std::uint32_t HashOf(Field field) {
  return toolbox::PositionTable::HashOf(field.begin, static_cast<std::size_t>(field.length));
}

// Finds items by name and group exactly as a scan from the front of the repository does:
// the index keeps the first item of each name and group. While a file is merged, items are
// only appended and never renamed or reordered, so the first match stays the first match.
// Items are placed by the hash of their name alone; the same name in several groups is
// told apart by the bytes. The index grows by itself as items are put.
class ItemIndex {
 public:
  explicit ItemIndex(const Repository& repository)
      : repository(repository), positions(static_cast<std::size_t>(repository.GetCount())) {
    for (int i = 0; i < repository.GetCount(); ++i) {
      const Item* item = repository.GetAt(i);
      const Field name{item->GetName().Text(), item->GetName().Length()};
      const Field group{item->GetGroup().Text(), item->GetGroup().Length()};
      const std::uint32_t hash = HashOf(name);
      if (Find(hash, name, group) < 0) positions.Put(hash, i);
    }
  }

  // The position of the item with this name (of this hash) and group, or -1.
  int Find(std::uint32_t hash, Field name, Field group) const {
    return positions.Find(hash, [&](int position) {
      const Item* item = repository.GetAt(position);
      return Holds(item->GetName(), name) && Holds(item->GetGroup(), group);
    });
  }

  void Put(std::uint32_t hash, int position) { positions.Put(hash, position); }

 private:
  const Repository& repository;
  toolbox::PositionTable positions;
};

// The group and quantity texts of a file repeat line after line: equal texts share one
// buffer, as copies of a text do, instead of each item holding its own. A text is found
// again as the one before (a group, in a file in order) or by the hash of its bytes among
// the last few distinct ones. One of these serves one field.
class SharedTexts {
 public:
  SharedTexts() = default;
  SharedTexts(const SharedTexts&) = delete;
  SharedTexts& operator=(const SharedTexts&) = delete;

  const String& Share(Field field) {
    if (Holds(*last, field)) return *last;
    String& kept = recent[HashOf(field) % kSlots];
    if (!Holds(kept, field)) kept = String(field.begin, 0, field.length);
    last = &kept;
    return kept;
  }

 private:
  static constexpr std::size_t kSlots = 64;
  String recent[kSlots];
  const String* last = &recent[0];
};

// The whole file as one text. A NUL byte never belongs to an item list: a file holding one
// is binary data and is refused as a whole, before anything of it is merged.
// Read in large blocks into a text made as long as the file, so a large repository costs
// few system calls and no regrowing of the text.
String ReadText(framework::File& file, std::uint64_t size) {
  String text;
  text.Reserve(static_cast<int>(std::min<std::uint64_t>(size, 1u << 30)) + 1, false);
  std::vector<char> buffer(64 * 1024);
  for (;;) {
    size_t read = file.Read(buffer.data(), buffer.size() - 1);
    if (read == 0) break;
    if (std::memchr(buffer.data(), '\0', read) != nullptr) {
      throw framework::FileException(framework::FileException::invalidFile, 0, file.GetFilePath());
    }
    buffer[read] = '\0';
    text.Append(buffer.data());
  }
  return text;
}

// The items a file's lines name, found in the repository or added to it. Into an empty
// repository, lines that come in the program's order (each after the one before, as the
// program writes its files) cannot name an item added before them, which would compare
// equal: they are added without a look-up, and the items stay in order. The index is made
// at the first line that is not. Lives while one file is merged.
class LineItems {
 public:
  explicit LineItems(Repository& repository) : repository(repository) {
    if (repository.GetCount() > 0) index.emplace(repository);
  }

  // The item of the line.
  Item* Of(Field quantity, Field name, Field group) {
    const int count = repository.GetCount();
    std::unique_ptr<Item> made;
    if (!index) {
      made = Make(quantity, name, group);
      if (count == 0 || CompareItems(repository.GetAt(count - 1), made.get()) < 0) return Add(std::move(made));
      index.emplace(repository);
    }
    const std::uint32_t hash = HashOf(name);
    if (const int position = index->Find(hash, name, group); position >= 0) return repository.GetAt(position);
    Item* added = Add(made ? std::move(made) : Make(quantity, name, group));
    index->Put(hash, count);
    return added;
  }

  const String& Quantity(Field quantity) { return quantities.Share(quantity); }
  // Whether the items added are known to be in the program's order.
  bool InOrder() const { return !index; }

 private:
  std::unique_ptr<Item> Make(Field quantity, Field name, Field group) {
    return std::unique_ptr<Item>(
        framework::New<Item>(quantities.Share(quantity), String(name.begin, 0, name.length), groups.Share(group)));
  }

  Item* Add(std::unique_ptr<Item> item) {
    repository.Add(item.get());
    return item.release();
  }

  Repository& repository;
  std::optional<ItemIndex> index;
  SharedTexts quantities;
  SharedTexts groups;
};

// The lines are taken off the front of the text one by one; a cursor stands in for cutting
// the text, which would move the rest of a large file for every line. Answers whether the
// items are known to be in the program's order.
bool Merge(Repository& repository, const String& text) {
  const char* rest = text.Text();
  const char* const last = rest + text.Length();
  LineItems items(repository);
  while (const auto* end = static_cast<const char*>(std::memchr(rest, '\n', static_cast<size_t>(last - rest)))) {
    const Field check = CutField(rest, end);
    const Field quantity = CutField(rest, end);
    const Field name = CutField(rest, end);
    const Field group = CutField(rest, end);
    Item* item = items.Of(quantity, name, group);
    item->SetChecked(check.length == 1 && check.begin[0] == '1');
    item->SetQuantity(items.Quantity(quantity));
    rest = end + 1;
  }
  return items.InOrder();
}

}  // namespace

void ReadItemList(Repository& repository, framework::File& file) {
  framework::FileStatus status;
  if (!file.GetStatus(status) || status.m_size == 0) return;
  // The items, their texts and the index all take memory; running out of it is the
  // framework's memory failure, whichever of them ran out.
  const bool ordered = framework::Allocating([&] { return Merge(repository, ReadText(file, status.m_size)); });
  if (!ordered) SortRepository(repository);
}

void MergeItemList(Repository& repository, const String& text) {
  const bool ordered = framework::Allocating([&] { return Merge(repository, text); });
  if (!ordered) SortRepository(repository);
}
