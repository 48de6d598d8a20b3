#include "core/KeptTrip.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>

#include "core/ItemList.h"
#include "framework/base/Exceptions.h"
#include "toolbox/base/Memory.h"
#include "toolbox/system/Files.h"

std::string KeptTrip::Format(const std::string& tripPath, const Repository& repository) {
  std::string text;
  framework::Allocating([&] {
    if (tripPath.find('\n') == std::string::npos) text = tripPath;
    text += '\n';
  });
  AppendItemList(repository, true, text);
  return text;
}

unsigned long KeptTrip::GetMark() const {
  const std::lock_guard<std::mutex> locked(mutex);
  return mark;
}

bool KeptTrip::Keep(const std::string& text, unsigned long snapshotMark, int& error) {
  // Held while writing: a Settle that comes meanwhile removes what this writes.
  const std::lock_guard<std::mutex> locked(mutex);
  if (snapshotMark != mark) return true;
  return !places.Write(text, error).empty();
}

void KeptTrip::Forget() const {
  const std::lock_guard<std::mutex> locked(mutex);
  places.Remove();
}

void KeptTrip::Settle() {
  const std::lock_guard<std::mutex> locked(mutex);
  ++mark;
  places.Remove();
}

bool KeptTrip::Read(std::string& tripPath, toolbox::String& lines, int& error) const {
  const std::string path = places.FindNewest();
  if (path.empty()) {
    error = ENOENT;
    return false;
  }
  std::size_t length = 0;
  toolbox::HeapText text(toolbox::ReadWholeFile(path.c_str(), length, error, true));
  if (text == nullptr) return false;
  const char* end = static_cast<const char*>(std::memchr(text.get(), '\n', length));
  if (end == nullptr || std::memchr(text.get(), '\0', length) != nullptr) {
    error = EINVAL;
    return false;
  }
  tripPath.assign(text.get(), static_cast<std::size_t>(end - text.get()));
  lines = toolbox::String(end + 1);
  return true;
}
