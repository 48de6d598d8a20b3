#include "core/ItemList.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "framework/Exceptions.h"

using toolbox::String;

String NextField(String& line) {
  int tab = line.Find('\t');
  if (tab < 0) return String();
  String field = line.Substring(0, tab);
  line.RemoveFirst(tab + 1);
  return field;
}

void WriteItemList(const Repository& repository, framework::File& file, bool checkedOnly) {
  // Lines are gathered and written in blocks: the same bytes as one write per line, without
  // a system call for each item of a large repository.
  constexpr int kBlock = 64 * 1024;
  String block;
  for (int i = 0; i < repository.GetCount(); ++i) {
    const Item* item = repository.GetAt(i);
    if (checkedOnly && !item->IsChecked()) continue;
    // The line "%s\t%s\t%s\t%s\t\n" of check mark, quantity, name and group, put together
    // piece by piece rather than formatted: the same bytes at a fraction of the cost.
    const char* const fields[] = {item->IsChecked() ? "1" : "0", item->GetQuantity().Text(), item->GetName().Text(),
                                  item->GetGroup().Text()};
    for (const char* field : fields) {
      block.Append(field);
      block.Append('\t');
    }
    block.Append('\n');
    if (block.Length() >= kBlock) {
      file.Write(block.Text(), block.Length());
      block.Truncate(0);
    }
  }
  if (block.Length() > 0) file.Write(block.Text(), block.Length());
}

namespace {

// Finds items by name and group exactly as a scan from the front of the repository does:
// the index keeps the first item of each name and group. While a file is merged, items are
// only appended and never renamed or reordered, so the first match stays the first match.
class ItemIndex {
 public:
  explicit ItemIndex(const Repository& repository) {
    items.reserve(static_cast<size_t>(repository.GetCount()));
    for (int i = 0; i < repository.GetCount(); ++i) {
      Item* item = repository.GetAt(i);
      items.emplace(Key(item->GetName(), item->GetGroup()), item);
    }
  }

  // The place of the item with this name and group: null until an item is put there.
  Item*& Slot(const String& name, const String& group) { return items[Key(name, group)]; }

 private:
  // A text never holds a NUL byte, so name, NUL, group names one pair unambiguously.
  static std::string Key(const String& name, const String& group) {
    std::string key(name.Text(), static_cast<size_t>(name.Length()));
    key.push_back('\0');
    key.append(group.Text(), static_cast<size_t>(group.Length()));
    return key;
  }

  std::unordered_map<std::string, Item*> items;
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

void Merge(Repository& repository, const String& text) {
  // The lines are taken off the front of the text one by one; a cursor stands in for
  // cutting the text, which would move the rest of a large file for every line.
  ItemIndex index(repository);
  const char* rest = text.Text();
  while (const char* end = std::strchr(rest, '\n')) {
    String line(rest, 0, static_cast<int>(end - rest));
    rest = end + 1;

    String check = NextField(line);
    String quantity = NextField(line);
    String name = NextField(line);
    String group = NextField(line);

    Item*& slot = index.Slot(name, group);
    if (slot == nullptr) {
      Item* added = framework::New<Item>();
      try {
        repository.Add(added);
      } catch (...) {
        delete added;
        throw;
      }
      slot = added;
    }
    Item* item = slot;
    item->SetChecked(std::strcmp(check.Text(), "1") == 0);
    item->SetQuantity(quantity);
    item->SetName(name);
    item->SetGroup(group);
  }
}

}  // namespace

void ReadItemList(Repository& repository, framework::File& file) {
  framework::FileStatus status;
  if (!file.GetStatus(status) || status.m_size == 0) return;
  // The items, their texts and the index (a standard container) all take memory; running
  // out of it is the framework's memory failure, whichever of them ran out.
  framework::Allocating([&] { Merge(repository, ReadText(file, status.m_size)); });
  SortRepository(repository);
}
