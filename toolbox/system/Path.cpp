#include "toolbox/system/Path.h"

#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "toolbox/base/Exception.h"
#include "toolbox/base/Memory.h"
#include "toolbox/system/Files.h"
#include "toolbox/system/ProcessArguments.h"

namespace toolbox {

namespace {

// A root at most 8 MiB in size counts as a small medium (a floppy disk in its day).
constexpr std::int64_t kSmallMediumLimit = 8388608;

// Index of the first occurrence of c in text from position from, or -1.
int FindFrom(const char* text, char c, int from) {
  const char* found = std::strchr(text + from, c);
  return found != nullptr ? static_cast<int>(found - text) : -1;
}

// End of the root of a text in the Windows grammar.
int WindowsRootEnd(const char* text) {
  int length = static_cast<int>(std::strlen(text));
  if (text[0] == '\\' && text[1] == '\\') {
    int serverEnd = FindFrom(text, '\\', 2);
    if (serverEnd < 0) return length;
    int shareEnd = FindFrom(text, '\\', serverEnd + 1);
    return shareEnd < 0 ? length : shareEnd + 1;
  }
  if (text[0] == ':' && text[1] == ':') {
    int end = FindFrom(text, '\\', 2);
    return end < 0 ? length : end + 1;
  }
  int colon = FindFrom(text, ':', 0);
  if (colon >= 0) return text[colon + 1] == '\\' ? colon + 2 : colon + 1;
  return text[0] == '\\' ? 1 : 0;
}

// NetworkServer, NetworkShare or Unclassified for a root in the Windows grammar that begins
// with two backslashes; the text alone decides, the file system is not asked.
int ServerOrShareKind(const String& root) {
  const char* text = root.Text();
  if (text[0] != '\\' || text[1] != '\\') return Path::Unclassified;
  int backslash = FindFrom(text, '\\', 2);
  return backslash >= 0 && backslash < root.Length() - 1 ? Path::NetworkShare
                                                        : Path::NetworkServer;
}

// Fuse file systems whose files lie on another machine.
bool IsNetworkFuseType(const char* type) {
  static const char* const kTypes[] = {"fuse.sshfs",     "fuse.rclone",    "fuse.s3fs",
                                       "fuse.gcsfuse",   "fuse.glusterfs", "fuse.ceph-fuse",
                                       "fuse.curlftpfs", "fuse.davfs2"};
  for (const char* known : kTypes) {
    if (std::strcmp(type, known) == 0) return true;
  }
  return false;
}

// Whether the mount of the given device (major:minor as /proc/self/mountinfo writes it) is a
// network file system reached through fuse.
bool IsNetworkFuseMount(dev_t device) {
  std::size_t length;
  int error;
  HeapText table(ReadWholeFile("/proc/self/mountinfo", length, error));
  if (!table) return false;
  char wanted[48];
  std::snprintf(wanted, sizeof wanted, " %u:%u ", major(device), minor(device));
  // Each line: id, parent id, major:minor, root, mount point, options..., "-", type, ...
  for (char* line = table.get(); *line != '\0';) {
    char* end = std::strchr(line, '\n');
    if (end != nullptr) *end = '\0';
    char* deviceField = std::strstr(line, wanted);
    char* separator = std::strstr(line, " - ");
    if (deviceField != nullptr && separator != nullptr && deviceField < separator) {
      char* type = separator + 3;
      type[std::strcspn(type, " ")] = '\0';
      return IsNetworkFuseType(type);
    }
    if (end == nullptr) break;
    line = end + 1;
  }
  return false;
}

// The removable flag of a block device as the kernel gives it; a partition has none of its
// own and answers with its disk's.
bool IsRemovableBlockDevice(dev_t device) {
  if (major(device) == 0) return false;  // no block device (overlay, btrfs subvolume, ...)
  for (const char* file : {"removable", "../removable"}) {
    char name[96];
    std::snprintf(name, sizeof name, "/sys/dev/block/%u:%u/%s", major(device), minor(device),
                  file);
    std::size_t length;
    int error;
    HeapText flag(ReadWholeFile(name, length, error));
    if (flag) return flag.get()[0] == '1';
  }
  return false;
}

// The folder named by the key in an XDG user-dirs file, as the desktop's own lookup reads
// it: a quoted path that is absolute or begins with $HOME, backslash escaping the next
// character; the last assignment counts. False when the file or the key is missing.
bool ReadUserDirectory(const char* fileName, const char* key, const char* home, String& folder) {
  std::size_t length;
  int error;
  HeapText content(ReadWholeFile(fileName, length, error));
  if (!content) return false;
  std::size_t keyLength = std::strlen(key);
  bool found = false;
  for (const char* line = content.get(); *line != '\0';) {
    const char* end = std::strchr(line, '\n');
    if (end == nullptr) end = line + std::strlen(line);
    const char* p = line;
    line = *end != '\0' ? end + 1 : end;

    while (*p == ' ' || *p == '\t') ++p;
    if (std::strncmp(p, key, keyLength) != 0) continue;
    p += keyLength;
    while (*p == ' ' || *p == '\t') ++p;
    if (*p != '=') continue;
    ++p;
    while (*p == ' ' || *p == '\t') ++p;
    if (*p != '"') continue;
    ++p;
    String value;
    if (std::strncmp(p, "$HOME", 5) == 0) {
      if (home == nullptr) continue;
      value = home;
      p += 5;
    } else if (*p != '/') {
      continue;
    }
    for (; p < end && *p != '"'; ++p) {
      if (*p == '\\' && p + 1 < end) ++p;
      value.Append(*p);
    }
    folder = value;
    found = true;
  }
  return found;
}

// The folder of the user's known folder id as a text, following the XDG conventions: the
// local application data are the configuration home, the documents folder is the one named
// in user-dirs.dirs there, else ~/Documents. False for an unknown id or when the folder
// needs a home folder and HOME is not set.
bool KnownFolderText(int folderId, String& text) {
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] == '\0') home = nullptr;
  // A relative XDG_CONFIG_HOME is invalid by the XDG rules and counts as unset.
  const char* configHome = std::getenv("XDG_CONFIG_HOME");
  if (configHome != nullptr && configHome[0] != '/') configHome = nullptr;

  String config;
  if (configHome != nullptr) {
    config = configHome;
  } else if (home != nullptr) {
    config = home;
    config.Append("/.config");
  } else {
    return false;
  }

  switch (folderId) {
    case Path::LocalApplicationDataFolder:
      text = config;
      return true;
    case Path::DocumentsFolder: {
      config.Append("/user-dirs.dirs");
      if (ReadUserDirectory(config.Text(), "XDG_DOCUMENTS_DIR", home, text)) return true;
      if (home == nullptr) return false;
      text = home;
      text.Append("/Documents");
      return true;
    }
    default:
      return false;
  }
}

}  // namespace

Path::Path() : grammar(HostGrammar()) {}

Path::Path(const char* text, Grammar grammar) : grammar(grammar) {
  Parse(text != nullptr ? text : "");
}

Path::Path(const Path& other) : grammar(other.grammar) {
  SetRoot(other.root);
  AddClones(other);
}

Path& Path::operator=(const Path& other) {
  // Assigning a path to itself would otherwise delete the components it is about to copy.
  if (this == &other) return *this;
  grammar = other.grammar;
  SetRoot(other.root);
  components.DeleteAll();
  AddClones(other);
  return *this;
}

void Path::AddClones(const Path& other) {
  for (int i = 0; i < other.components.GetCount(); ++i) {
    AddComponent(other.components.GetAt(i)->Clone());
  }
}

void Path::AddComponent(String* component) {
  try {
    components.Add(component);
  } catch (...) {
    delete component;
    throw;
  }
}

void Path::Parse(const char* text) {
  int rootEnd = grammar == Windows ? WindowsRootEnd(text) : (text[0] == '/' ? 1 : 0);
  SetRoot(String(text, 0, rootEnd));
  components.DeleteAll();
  // Doubled and trailing separators give empty pieces, which are no components.
  char separator = Separator();
  const char* piece = text + rootEnd;
  while (*piece != '\0') {
    const char* end = std::strchr(piece, separator);
    std::size_t length = end != nullptr ? end - piece : std::strlen(piece);
    if (length > 0) AddComponent(NewOrThrow<String>(piece, 0, static_cast<int>(length)));
    piece += length;
    if (*piece == separator) ++piece;
  }
}

Path* Path::Clone() const { return NewOrThrow<Path>(*this); }

void Path::AddText(const char* name) { components.AddText(name); }

void Path::DeleteLast() { components.DeleteLast(); }

String* Path::Last() const { return components.Last(); }

void Path::SetRoot(const String& newRoot) {
  root = newRoot;
  if (grammar != Windows) return;
  const char* text = root.Text();
  if (std::strcmp(text, "\\\\?") == 0 || std::strcmp(text, "\\\\?\\") == 0 ||
      std::strcmp(text, "\\\\.\\") == 0) {
    root = "\\\\.";
    return;
  }
  // Two backslashes alone are the network root and "\\." the device root, whatever
  // components the path holds at the moment.
  if (std::strcmp(text, "\\\\") == 0 || std::strcmp(text, "\\\\.") == 0) return;
  int kind = ServerOrShareKind(root);
  if (kind == NetworkServer && root.EndsWith("\\")) {
    root.RemoveLast(1);
  } else if (kind == NetworkShare && !root.EndsWith("\\")) {
    root.Append('\\');
  }
}

char* Path::ToText(bool trailingSeparator) const {
  int count = components.GetCount();
  std::size_t size = root.Length() + count + 1;
  for (int i = 0; i < count; ++i) size += components.GetAt(i)->Length();
  char* text = static_cast<char*>(AllocateOrThrow(size));
  char* next = text;
  std::memcpy(next, root.Text(), root.Length());
  next += root.Length();
  for (int i = 0; i < count; ++i) {
    if (i > 0) *next++ = Separator();
    const String* component = components.GetAt(i);
    std::memcpy(next, component->Text(), component->Length());
    next += component->Length();
  }
  if (trailingSeparator && count > 0) *next++ = Separator();
  *next = '\0';
  return text;
}

bool Path::Exists() const {
  HeapText text(ToText(false));
  struct stat status;
  return stat(text.get(), &status) == 0;
}

bool Path::MakeDirectory() const {
  HeapText text(ToText(false));
  return mkdir(text.get(), 0755) == 0;
}

bool Path::MakeDirectories() const {
  Path partial;
  partial.grammar = grammar;
  partial.SetRoot(root);
  for (int i = 0; i < components.GetCount(); ++i) {
    partial.AddComponent(components.GetAt(i)->Clone());
    // Another process may make the same folder meanwhile (two starts at once): that is as good.
    if (!partial.Exists() && !partial.MakeDirectory() && !partial.Exists()) return false;
  }
  return true;
}

std::int64_t Path::GetTotalSize() const {
  if (!Exists()) return 0;
  HeapText text(ToText(false));
  struct statvfs volume;
  if (statvfs(text.get(), &volume) != 0) return -1;
  return static_cast<std::int64_t>(volume.f_blocks) * static_cast<std::int64_t>(volume.f_frsize);
}

int Path::GetRootKind() const {
  if (grammar == Windows) return GetWindowsRootKind();
  if (std::strcmp(root.Text(), "/") == 0) return ClassifyFileSystem();
  return Unclassified;
}

int Path::GetWindowsRootKind() const {
  const char* text = root.Text();
  if (std::strcmp(text, "\\\\") == 0 && components.GetCount() == 0) return NetworkRoot;
  if (text[0] == ':' && text[1] == ':') return DeviceNamespace;
  if (std::strcmp(text, "\\\\.") == 0) return DeviceNamespace;
  if (text[0] == '\\' && text[1] == '\\') return ServerOrShareKind(root);
  // A drive letter names no drive on this system, so it has no type to classify by.
  return Unclassified;
}

int Path::ClassifyFileSystem() const {
  // A path that does not exist yet lies on the file system of its nearest existing ancestor.
  Path probe(*this);
  struct statfs fileSystem;
  struct stat status;
  for (;;) {
    HeapText text(probe.ToText(false));
    if (statfs(text.get(), &fileSystem) == 0 && stat(text.get(), &status) == 0) break;
    if (probe.GetComponentCount() == 0) return Unclassified;
    probe.DeleteLast();
  }

  switch (static_cast<unsigned long>(fileSystem.f_type)) {
    case 0x6969:      // NFS
    case 0x517B:      // SMB
    case 0xFF534D42:  // CIFS
    case 0xFE534D42:  // SMB2
    case 0x564C:      // NCP
    case 0x5346414F:  // AFS
    case 0x6B414653:  // kAFS
    case 0x73757245:  // Coda
    case 0x01021997:  // 9P
    case 0x00C36400:  // Ceph
      return NetworkShare;
    case 0x65735546:  // FUSE: the mount's type tells a network file system from a local one
      if (IsNetworkFuseMount(status.st_dev)) return NetworkShare;
      break;
    case 0x01021994:  // tmpfs
    case 0x858458F6:  // ramfs
      return RamDisk;
    case 0x9660:      // ISO 9660
    case 0x15013346:  // UDF
      return OpticalDrive;
  }
  if (IsRemovableBlockDevice(status.st_dev)) {
    std::int64_t size = static_cast<std::int64_t>(fileSystem.f_blocks) *
                        static_cast<std::int64_t>(fileSystem.f_frsize);
    return size <= kSmallMediumLimit ? SmallRemovableMedium : RemovableDisk;
  }
  return FixedDisk;
}

bool Path::FromKnownFolder(int folderId, bool create) {
  String text;
  if (!KnownFolderText(folderId, text)) return false;
  Path folder(text.Text(), HostGrammar());
  if (!folder.Exists() && !(create && folder.MakeDirectories())) return false;
  *this = folder;
  return true;
}

Path* Path::ProgramPath(Grammar grammar) {
  // Finding the executable behind a bare program name is the host's business; a program
  // path read in another grammar is taken as the process received it.
  const char* text = ProcessArguments::ProgramPath();
  if (grammar != HostGrammar()) {
    text = ProcessArguments::Count() > 0 ? ProcessArguments::Vector()[0] : "";
  }
  return NewOrThrow<Path>(text, grammar);
}

Path* Path::ProgramFolder(Grammar grammar) {
  Path* folder = ProgramPath(grammar);
  folder->DeleteLast();
  return folder;
}

Path* Path::CreateApplicationLikePath(const Path& folder, const char* extension) {
  std::unique_ptr<Path> path(folder.Clone());
  CreateApplicationLikePathInternal(*path, extension);
  return path.release();
}

void Path::CreateApplicationLikePathInternal(Path& target, const char* extension) {
  std::unique_ptr<Path> program(ProgramPath(target.grammar));
  std::unique_ptr<String> name(program->components.RemoveLast());
  if (!name) {
    // The line the log has always given for this failure (not this file's), so that old and
    // new logs name it alike.
    constexpr int kLoggedLine = 875;
    throw EIllegalState("The __argv[0] does not denote a valid path",
                        "toolbox::Path::CreateApplicationLikePathInternal", kLoggedLine);
  }
  SetExtension(*name, extension);
  target.AddComponent(name.release());
}

void Path::SetExtension(String& name, const char* extension) {
  int dot = name.Find('.');
  if (dot >= 0) name.Truncate(dot);
  name.Append('.');
  if (extension != nullptr && extension[0] == '.') ++extension;
  name.Append(extension);
}

}  // namespace toolbox
