// The item list reader on arbitrary bytes, read as two files: the first byte says how much
// of the rest is a repository file, read into an empty repository, and the remainder is a
// trip read over it. A file holding a NUL byte is refused whole, merging nothing; any other
// file reads without failing, to exactly the items that merging it line by line (each
// line's item found by a scan from the front, or appended) and then the list's sort give.
// The repository must be written and read back to the very same items.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/ItemList.h"
#include "framework/base/Exceptions.h"
#include "framework/system/File.h"

namespace {

void Check(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "ItemListFuzz: %s\n", what);
  std::abort();
}

// A file in memory with the given bytes, opened through the program's own file class.
class MemoryFile {
 public:
  explicit MemoryFile(const std::string& bytes) : descriptor(memfd_create("items", 0)) {
    Check(descriptor >= 0, "no memory file");
    Check(write(descriptor, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()), "short write");
    path = "/proc/self/fd/" + std::to_string(descriptor);
  }
  ~MemoryFile() { close(descriptor); }
  const char* Path() const { return path.c_str(); }

 private:
  int descriptor;
  std::string path;
};

std::string Describe(const Repository& repository) {
  std::string text;
  for (int i = 0; i < repository.GetCount(); ++i) {
    const Item* item = repository.GetAt(i);
    text += item->IsChecked() ? '1' : '0';
    text += std::string("|") + item->GetQuantity().Text() + "|" + item->GetName().Text() + "|" +
            item->GetGroup().Text() + "\n";
  }
  return text;
}

std::string Written(const Repository& repository) {
  char name[] = "/tmp/voyanta-items-XXXXXX";
  const int descriptor = mkstemp(name);
  Check(descriptor >= 0, "no temporary file");
  close(descriptor);
  {
    framework::File file(name, framework::File::modeCreate);
    WriteItemList(repository, file, false);
  }
  std::string bytes;
  if (FILE* in = std::fopen(name, "rb")) {
    char buffer[4096];
    for (std::size_t read; (read = std::fread(buffer, 1, sizeof buffer, in)) > 0;) bytes.append(buffer, read);
    std::fclose(in);
  }
  unlink(name);
  return bytes;
}

bool SameBytes(const toolbox::String& a, const toolbox::String& b) {
  return a.Length() == b.Length() && std::memcmp(a.Text(), b.Text(), static_cast<std::size_t>(a.Length())) == 0;
}

// The merge of a file's lines done the plain way, for comparison: fields cut with
// NextField, the item found by a scan from the front or appended, then the list's own sort.
void MergeLineByLine(Repository& repository, const std::string& bytes) {
  if (bytes.empty()) return;
  std::size_t start = 0;
  for (std::size_t end; (end = bytes.find('\n', start)) != std::string::npos; start = end + 1) {
    toolbox::String line(bytes.substr(start, end - start).c_str());
    const toolbox::String check = NextField(line);
    const toolbox::String quantity = NextField(line);
    const toolbox::String name = NextField(line);
    const toolbox::String group = NextField(line);
    Item* item = nullptr;
    for (int i = 0; i < repository.GetCount() && item == nullptr; ++i) {
      Item* candidate = repository.GetAt(i);
      if (SameBytes(candidate->GetName(), name) && SameBytes(candidate->GetGroup(), group)) item = candidate;
    }
    if (item == nullptr) {
      item = new Item();
      repository.Add(item);
    }
    item->SetChecked(std::strcmp(check.Text(), "1") == 0);
    item->SetQuantity(quantity);
    item->SetName(name);
    item->SetGroup(group);
  }
  repository.Sort(CompareItems);
}

// Reads the bytes as a file into the program's repository and merges them line by line
// into the other.
void ReadBothWays(Repository& repository, Repository& lineByLine, const std::string& bytes) {
  const bool binary = bytes.find('\0') != std::string::npos;
  const std::string before = Describe(repository);
  try {
    MemoryFile input(bytes);
    framework::File file(input.Path(), framework::File::modeRead);
    ReadItemList(repository, file);
    Check(!binary, "a file holding a NUL byte was read");
  } catch (const framework::FileException&) {
    Check(binary, "a text file was refused");
    Check(Describe(repository) == before, "a refused file merged items");
    return;
  }
  MergeLineByLine(lineByLine, bytes);
  Check(Describe(repository) == Describe(lineByLine), "the items differ from a merge line by line");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::size_t cut = rest.size() * data[0] / 255;
  Repository repository;
  Repository lineByLine;
  ReadBothWays(repository, lineByLine, rest.substr(0, cut));
  ReadBothWays(repository, lineByLine, rest.substr(cut));

  Repository reread;
  {
    MemoryFile written(Written(repository));
    framework::File file(written.Path(), framework::File::modeRead);
    ReadItemList(reread, file);
  }
  Check(Describe(reread) == Describe(repository), "the written items read back differently");
  return 0;
}
