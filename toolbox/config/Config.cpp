#include "toolbox/config/Config.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "toolbox/base/ArrayList.h"
#include "toolbox/base/LogSink.h"
#include "toolbox/base/Memory.h"
#include "toolbox/base/PointeredList.h"
#include "toolbox/base/String.h"
#include "toolbox/config/StringWriter.h"
#include "toolbox/system/FileLock.h"
#include "toolbox/system/Files.h"
#include "toolbox/system/Path.h"

namespace toolbox {

namespace {

constexpr const char* kLoadLocation = "toolbox::Config::LoadFile";
// How long a load or a save waits for another process's turn with the file: a save takes a
// moment, so a holder past this is stuck (or somebody holds the lock on purpose).
constexpr int kLockWaitMilliseconds = 3000;

String WithSuffix(const char* path, const char* suffix) {
  String text(path);
  text.Append(suffix);
  return text;
}

// Where the token that starts at pos ends: before the next unescaped "<" or after the next
// unescaped ">", whichever comes first, looking from the second byte on when the token starts
// with "<". An escaped byte never ends a token, so every token holds at least one byte.
const char* TokenEnd(const char* pos) {
  const char* scan = *pos == '<' ? pos + 1 : pos;
  for (;;) {
    scan += std::strcspn(scan, "\\<>");
    switch (*scan) {
      case '\\':
        ++scan;
        if (*scan != '\0') ++scan;
        break;
      case '<':
        return scan;
      case '>':
        return scan + 1;
      default:
        return scan;
    }
  }
}

// Resolves the escapes of the text of the given length in place and ends it with a NUL. A
// backslash that is the last byte stays.
void Unescape(char* text, std::size_t length) {
  std::size_t out = 0;
  for (std::size_t in = 0; in < length; ++in) {
    char c = text[in];
    if (c == '\\' && in + 1 < length) {
      c = text[++in];
      if (c == '0') continue;
      if (c == 'f') c = '\f';
      if (c == 'n') c = '\n';
      if (c == 'r') c = '\r';
      if (c == 't') c = '\t';
    }
    text[out++] = c;
  }
  text[out] = '\0';
}

// The sections open during a parse, innermost last; the root is always the first.
class SectionStack {
 public:
  explicit SectionStack(ConfigSection& root) { Push(root); }
  int GetCount() const { return sections.GetCount(); }
  ConfigSection& Innermost() const {
    return *static_cast<ConfigSection*>(sections.GetTail()->GetPayload());
  }
  // The section that holds the innermost one; only while more than the root is open.
  ConfigSection& Enclosing() const {
    return *static_cast<ConfigSection*>(sections.GetTail()->GetPrevious()->GetPayload());
  }
  void Push(ConfigSection& section) { sections.Append(NewOrThrow<PointeredListItem>(&section)); }
  void Pop() { sections.DeleteLast(); }

 private:
  PointeredList sections;
};


}  // namespace

Config::Config() = default;

void Config::Clear() {
  root.ClearParameters();
  root.ClearSubsections();
}

void Config::Register(const char* name, Configurable& configurable) {
  registry.Put(name, &configurable);
}

void Config::Unregister(const char* name) { registry.Remove(name); }

void Config::ExchangeConfigurables(bool store) {
  // The names are copied first: an object may register or unregister others meanwhile.
  ArrayList<String> names;
  {
    std::unique_ptr<PointeredList> keys = registry.Keys();
    for (PointeredListItem* key = keys->GetHead(); key != nullptr; key = key->GetNext()) {
      names.AddText(static_cast<const char*>(key->GetPayload()));
    }
  }
  for (int i = 0; i < names.GetCount(); ++i) {
    const char* name = names.GetAt(i)->Text();
    ConfigSection& section = root.GetSubsection(name);
    Configurable* configurable = registry.Get(name);
    if (configurable != nullptr) configurable->ExchangeConfiguration(section, store);
  }
}

bool Config::Parse(const char* text) {
  Clear();
  if (!ParseInto(text)) {
    Clear();
    return false;
  }
  ExchangeConfigurables(false);
  return true;
}

// One token at a time: an opening tag opens the subsection of its name (reusing one that
// exists); text makes the innermost open section a parameter of the enclosing section, the
// section itself being removed when its closing tag comes. The flag that remembers this is
// one for the whole parse, set by every text and cleared by the closing tag that follows.
bool Config::ParseInto(const char* text) {
  SectionStack open(root);
  bool pending = false;
  HeapText token;
  std::size_t tokenCapacity = 0;
  const char* pos = text;
  while (*pos != '\0') {
    const char* end = TokenEnd(pos);
    std::size_t length = static_cast<std::size_t>(end - pos);
    if (length + 1 > tokenCapacity) {
      tokenCapacity = length + 1;
      token.reset(static_cast<char*>(AllocateOrThrow(tokenCapacity)));
    }
    const char* first = pos;
    const char* last = end;
    pos = end;
    while (first < last && String::IsWhiteSpace(*first)) ++first;
    while (last > first && String::IsWhiteSpace(last[-1])) --last;
    length = static_cast<std::size_t>(last - first);
    if (length == 0) continue;
    char* t = token.get();
    std::memcpy(t, first, length);
    t[length] = '\0';

    bool tag = length >= 2 && t[0] == '<' && t[length - 1] == '>';
    if (tag && t[1] == '/') {
      t[length - 1] = '\0';
      const char* name = t + 2;
      Unescape(t + 2, length - 3);
      if (open.GetCount() == 1) return false;
      ConfigSection& innermost = open.Innermost();
      if (*name != '\0' && std::strcmp(name, innermost.GetName()) != 0) return false;
      if (pending) {
        open.Enclosing().RemoveSubsection(innermost.GetName());
        pending = false;
      }
      open.Pop();
    } else if (tag) {
      t[length - 1] = '\0';
      Unescape(t + 1, length - 2);
      if (open.GetCount() > kMaxNesting) return false;
      open.Push(open.Innermost().GetSubsection(t + 1));
    } else {
      Unescape(t, length);
      if (open.GetCount() == 1) return false;
      open.Enclosing().GetParameter(open.Innermost().GetName()).SetText(t);
      pending = true;
    }
  }
  return open.GetCount() == 1;
}

bool Config::LoadFile(const char* path) { return Load(path, true); }

bool Config::Load(const char* path, bool setAside) {
  FileLock lock;
  if (setAside) static_cast<void>(Lock(lock, path));
  // The old copy is only ever one the program made for the user: in a folder that others may
  // write in, a link or a file of theirs under that name would hand the program their
  // settings, or have it read what the link points to.
  struct Candidate {
    String file;
    bool userOnly;
  };
  const Candidate candidates[] = {{String(path), false}, {WithSuffix(path, ".old"), true}};
  for (const Candidate& candidate : candidates) {
    std::size_t length;
    int error;
    HeapText text(ReadWholeFile(candidate.file.Text(), length, error, candidate.userOnly));
    if (text == nullptr) {
      LogUnread(candidate.file, error, candidate.userOnly);
      continue;
    }
    if (Parse(text.get())) return true;
    if (setAside) {
      SetAside(candidate.file);
    } else {
      LogToCurrentOrKeep(kLoadLocation, __LINE__, LogError, "The configuration file %s is not well formed",
                         candidate.file.Text());
    }
  }
  return false;
}

void Config::LogUnread(const String& file, int error, bool userOnly) {
  if (error == ENOENT) return;
  if (userOnly && (error == ELOOP || error == EPERM)) {
    LogToCurrentOrKeep(kLoadLocation, __LINE__, LogError,
                       "The configuration file %s is not read: it is a link or another user's file", file.Text());
  } else {
    LogToCurrentOrKeep(kLoadLocation, __LINE__, LogError, "The configuration file %s cannot be read: %s",
                       file.Text(), DescribeFileError(error));
  }
}

void Config::SetAside(const String& file) {
  const String bad = WithSuffix(file.Text(), ".bad");
  int error;
  if (RenameFile(file.Text(), bad.Text(), error)) {
    LogToCurrentOrKeep(kLoadLocation, __LINE__, LogError,
                       "The configuration file %s is not well formed; it is kept as %s", file.Text(), bad.Text());
  } else {
    LogToCurrentOrKeep(kLoadLocation, __LINE__, LogError,
                       "The configuration file %s is not well formed and cannot be kept as %s: %s", file.Text(),
                       bad.Text(), DescribeFileError(error));
  }
}

bool Config::Lock(FileLock& lock, const char* path) {
  const String lockPath = WithSuffix(path, ".lock");
  switch (lock.Acquire(lockPath.Text(), kLockWaitMilliseconds)) {
    case FileLock::acquired:
      return true;
    case FileLock::held:
      LogToCurrentOrKeep("toolbox::Config::Lock", __LINE__, LogWarn,
                         "The configuration file %s is used without its lock %s, which another process has held "
                         "for %d ms",
                         path, lockPath.Text(), kLockWaitMilliseconds);
      return false;
    case FileLock::unsupported:
    case FileLock::failed:
      break;
  }
  // A missing folder fails the load or the save anyway. Otherwise better unguarded than not
  // at all: the file is then only as safe as before the lock.
  if (lock.GetError() != ENOENT) {
    LogToCurrentOrKeep("toolbox::Config::Lock", __LINE__, LogWarn,
                       "The configuration file %s is used without its lock %s: %s", path, lockPath.Text(),
                       DescribeFileError(lock.GetError()));
  }
  return true;
}

bool Config::SaveFailed(const char* path, const char* file, int error) {
  saveError = error;
  LogToCurrent("toolbox::Config::SaveFile", __LINE__, LogError, "The configuration file %s could not be saved: %s: %s",
               path, file, DescribeFileError(error));
  return false;
}

bool Config::SaveFile(const char* path) {
  ExchangeConfigurables(true);
  saveError = 0;
  // Saves of other processes wait meanwhile, so that the old copy is the file this save
  // replaces. Without the lock another save may come between the reading of the file and
  // the replacing, and an old copy could be older than the file before: none is made.
  FileLock lock;
  const bool locked = Lock(lock, path);
  return Replace(path, locked);
}

bool Config::Replace(const char* path, bool keepOld) {
  StringWriter text;
  if (!root.Write(text, 0)) return SaveFailed(path, path, EIO);
  // The settings list the trips' paths: the file layer's replace makes them the user's
  // alone, keeps a link at path, and its temporary file goes again when the save fails.
  FileReplacement replacement;
  if (!replacement.Begin(path, FileReplacement::privateFile) ||
      !replacement.Write(text.GetText().Text(), static_cast<std::size_t>(text.GetText().Length()))) {
    return SaveFailed(path, path, replacement.GetError());
  }
  // The old copy first: the file stays whole until the commit's rename, the old copy from then on.
  if (keepOld) KeepOldCopy(path);
  if (!replacement.Commit()) return SaveFailed(path, path, replacement.GetError());
  return true;
}

void Config::KeepOldCopy(const char* path) {
  // Copied rather than moved: the file itself, with its permissions or as a link, stays
  // where the user has it. The copy is a new file of the user's alone, so that nothing
  // another user put under its name is written into or through.
  const String oldPath = WithSuffix(path, ".old");
  std::size_t length;
  int error;
  HeapText previous(ReadWholeFile(path, length, error));
  if (previous == nullptr && error == ENOENT) return;  // the first save: nothing to keep
  if (previous != nullptr && WriteUserFile(oldPath.Text(), previous.get(), length, error)) return;
  // The new settings matter more than the old ones: the save goes on without the copy.
  LogToCurrent("toolbox::Config::SaveFile", __LINE__, LogWarn,
               "The configuration file %s is saved without its old copy %s: %s", path, oldPath.Text(),
               DescribeFileError(error));
}

bool Config::LoadFromFolder(const Path& folder) {
  std::unique_ptr<Path> path(Path::CreateApplicationLikePath(folder, "cfg"));
  HeapText text(path->ToText(false));
  return LoadFile(text.get());
}

bool Config::SaveToFolder(const Path& folder) {
  std::unique_ptr<Path> path(Path::CreateApplicationLikePath(folder, "cfg"));
  HeapText text(path->ToText(false));
  return SaveFile(text.get());
}

bool Config::LoadFromProgramFolder() {
  std::unique_ptr<Path> path(Path::ProgramPath());
  String* name = path->Last();
  if (name == nullptr) return false;
  Path::SetExtension(*name, "cfg");
  HeapText text(path->ToText(false));
  // The file beside the program is only read: it is neither locked nor set aside.
  return Load(text.get(), false);
}

}  // namespace toolbox
