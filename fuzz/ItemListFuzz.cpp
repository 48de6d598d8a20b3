// The item list reader on arbitrary bytes: a file holding a NUL byte is refused whole,
// merging nothing; any other file reads without failing, and the repository it gives must
// be written and read back to the very same items.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/ItemList.h"
#include "framework/Exceptions.h"
#include "framework/File.h"

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const bool binary = bytes.find('\0') != std::string::npos;
  Repository repository;
  try {
    MemoryFile input(bytes);
    framework::File file(input.Path(), framework::File::modeRead);
    ReadItemList(repository, file);
    Check(!binary, "a file holding a NUL byte was read");
  } catch (const framework::FileException&) {
    Check(binary, "a text file was refused");
    Check(repository.GetCount() == 0, "a refused file merged items");
    return 0;
  }
  for (int i = 1; i < repository.GetCount(); ++i) {
    Check(CompareItems(repository.GetAt(i - 1), repository.GetAt(i)) <= 0, "the repository is out of order");
  }

  Repository reread;
  {
    MemoryFile written(Written(repository));
    framework::File file(written.Path(), framework::File::modeRead);
    ReadItemList(reread, file);
  }
  Check(Describe(reread) == Describe(repository), "the written items read back differently");
  return 0;
}
