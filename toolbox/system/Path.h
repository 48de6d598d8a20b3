#pragma once

#include <cstdint>

#include "toolbox/base/ArrayList.h"
#include "toolbox/base/String.h"

namespace toolbox {

// A file-system path split into a root and a list of components, with the few file-system
// services the program needs: its own path and folder, files beside it with another
// extension, the user's known folders, existence tests and directory creation.
//
// Two grammars, chosen when a path is parsed:
// - Windows: the root is a drive ("E:\" or "E:"), a single backslash, a share
//   ("\\server\share\"), a server ("\\server"), a "::" shell prefix or the device root "\\.";
//   only the backslash separates components, a forward slash is an ordinary character.
// - POSIX: the root is "/" or empty; "/" separates components.
// The host's grammar is the default.
//
// File-system failures are results (false, 0, -1), never exceptions; an exhausted heap throws
// EOutOfMemory.
class Path {
 public:
  enum Grammar { Windows, Posix };

  // What GetRootKind tells about the root; 2 and 3 are never given.
  enum RootKind {
    NetworkRoot = 0,
    Unclassified = 1,
    FixedDisk = 4,
    SmallRemovableMedium = 5,  // at most 8 MiB, or of unknown size
    RemovableDisk = 6,
    OpticalDrive = 7,
    NetworkServer = 8,
    NetworkShare = 9,
    DeviceNamespace = 10,
    RamDisk = 11,
  };

  // Folder ids of FromKnownFolder, numbered as the Windows shell numbers them.
  static constexpr int DocumentsFolder = 5;
  static constexpr int LocalApplicationDataFolder = 28;

  static constexpr Grammar HostGrammar() { return Posix; }

  // Empty root, no components.
  Path();
  explicit Path(const char* text, Grammar grammar = HostGrammar());
  Path(const Path& other);
  Path& operator=(const Path& other);

  // A new heap path equal to this one; the caller deletes it.
  Path* Clone() const;

  // Appends a component; the name must not contain the grammar's separator.
  void AddText(const char* name);
  // Removes and deletes the last component, if there is one.
  void DeleteLast();
  // The last component (the file name), or null when there is none.
  String* Last() const;
  // Takes the root; in the Windows grammar "\\?", "\\?\" and "\\.\" become "\\.", a server
  // root loses a trailing backslash and a share root gains one.
  void SetRoot(const String& root);

  // A new heap text that the caller frees with std::free: the root, then the components
  // joined by the grammar's separator, and one more separator after the last component when
  // trailingSeparator is set (never after a root alone).
  char* ToText(bool trailingSeparator) const;

  bool Exists() const;
  // Creates the one directory the path names (mode 0755 before the umask).
  [[nodiscard]] bool MakeDirectory() const;
  // Creates every missing directory along the path; existing ones (also files) are passed.
  // Directories made before a failure stay.
  [[nodiscard]] bool MakeDirectories() const;
  // Size in bytes of the volume that holds the path; 0 when the path does not exist, -1 when
  // the volume cannot be asked.
  std::int64_t GetTotalSize() const;
  // A RootKind. For a POSIX path with root "/" it classifies the file system that holds the
  // path (or its nearest existing ancestor).
  int GetRootKind() const;

  // Makes this path the known folder (DocumentsFolder or LocalApplicationDataFolder) when it
  // exists or, with create, can be created; otherwise answers false and leaves this path as
  // it was.
  [[nodiscard]] bool FromKnownFolder(int folderId, bool create);

  // The program's path (ProcessArguments::ProgramPath) as a new heap path.
  static Path* ProgramPath(Grammar grammar = HostGrammar());
  // The folder that holds the program, as a new heap path.
  static Path* ProgramFolder(Grammar grammar = HostGrammar());
  // A new heap path: the folder, then the program's file name with the given extension.
  static Path* CreateApplicationLikePath(const Path& folder, const char* extension);
  // Appends the program's file name with the given extension to target. Throws
  // EIllegalState when the program path has no file name.
  static void CreateApplicationLikePathInternal(Path& target, const char* extension);
  // Cuts the name at its first full stop and appends a full stop and the extension, which
  // may be given with or without its leading full stop: my.trip.exe and "log" give my.log.
  static void SetExtension(String& name, const char* extension);

  const String& GetRoot() const { return root; }
  Grammar GetGrammar() const { return grammar; }
  int GetComponentCount() const { return components.GetCount(); }
  // Null when the index is out of range.
  const String* GetComponent(int index) const { return components.GetAt(index); }

 private:
  char Separator() const { return grammar == Windows ? '\\' : '/'; }
  void Parse(const char* text);
  // Takes the component over; deletes it when it cannot be added.
  void AddComponent(String* component);
  // Appends clones (sharing the texts) of other's components.
  void AddClones(const Path& other);
  int GetWindowsRootKind() const;
  int ClassifyFileSystem() const;

  ArrayList<String> components{16, 30, 60};
  String root;
  Grammar grammar;
};

}  // namespace toolbox
