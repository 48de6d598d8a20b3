#pragma once

#include "toolbox/system/FileLock.h"
#include "toolbox/system/Path.h"
#include "toolbox/base/String.h"
#include "toolbox/base/StringKeyHashMap.h"
#include "toolbox/config/ConfigSection.h"
#include "toolbox/config/Configurable.h"
#include "toolbox/config/FileWriter.h"
#include "toolbox/config/Writer.h"

namespace toolbox {

// The program's persistent settings: a tree of sections under a root named "Root", kept in
// memory and stored as one text file.
//
// The file: the root's parameters and subsections form the top level, without tags of the
// root's own. A parameter is "<" name ">" value "</>"; a section is "<" name ">" on a line
// of its own, its contents one level deeper, and "</" name ">" on a line of its own ("</>"
// closes a section too). Names and values are escaped (WriteEscaped); an empty one is "\0".
//
// Sections and parameters obtained from the tree stay valid until the next Parse (which
// starts by emptying the tree), the removal of the section that holds them or of an
// ancestor, or the end of the Config; holders look them up again rather than keep them.
class Config {
 public:
  using Writer = toolbox::Writer;
  using FileWriter = toolbox::FileWriter;

  // The deepest nesting of elements a file may have. Files as the program writes them are a
  // few levels deep; a deeper one is rejected before its tree could exhaust the stack of the
  // recursive writing and deleting.
  static constexpr int kMaxNesting = 1000;

  Config();
  Config(const Config&) = delete;
  Config& operator=(const Config&) = delete;

  ConfigSection& GetRoot() { return root; }
  const ConfigSection& GetRoot() const { return root; }
  // Empties the root; the root itself stays.
  void Clear();

  // Registers the object under the name, in place of any object registered under it. The
  // Config never deletes a registered object; the object stays registered until Unregister
  // or the end of the Config.
  void Register(const char* name, Configurable& configurable);
  void Unregister(const char* name);
  // Hands each registered object the root's subsection of its name (created if missing):
  // store false lets the objects take their settings, store true has them put them there.
  void ExchangeConfigurables(bool store);

  // Replaces the tree with the contents of a NUL-terminated text in the file's syntax. A
  // malformed text (a closing tag with nothing open or naming another section than the
  // innermost open one, text outside every element, an element left open, nesting deeper
  // than kMaxNesting) gives false and an empty tree. On success the registered objects take
  // their settings.
  [[nodiscard]] bool Parse(const char* text);

  // Reads path and parses it; when path cannot be read or is malformed, path + ".old" the
  // same way, but only when that is a regular file of the user's own, never through a link:
  // in a folder that other users may write in, theirs would be taken for the user's settings.
  // Only regular files are read, and the reading never waits on a FIFO. A
  // malformed file is set aside as its name + ".bad" (voyanta.cfg.bad, voyanta.cfg.old.bad),
  // where no save touches it, and an entry of the log names it; another names a file that
  // cannot be read for another reason than being missing (an old copy that is a link or
  // another user's among them). They are logged as errors, since the log leaves out less by
  // default, and kept until the logger starts when there is none yet (LogToCurrentOrKeep).
  // False, with the tree untouched, when neither can be read; false and an empty tree when
  // what was read is malformed. The text ends at a NUL byte in the file. Holds the lock of
  // SaveFile meanwhile.
  [[nodiscard]] bool LoadFile(const char* path);

  // Has the registered objects store their settings, then writes the whole tree over path
  // as a FileReplacement does: through a temporary file of the user's alone, flushed to the
  // disk and renamed over the file, which is the user's alone (0600 when new, whatever the
  // umask; an existing one loses what others were allowed), and a link at path stays a
  // link with the file it points to replaced. Before the rename the previous contents are
  // copied to path + ".old", a new file of the user's alone (WriteUserFile); where that copy
  // cannot be made (another user's file in its place, a folder) a warning is logged and the
  // save goes on without it. A file path + ".new", which earlier versions wrote, is left
  // alone. On failure the file stays as it was, no temporary file stays behind, the failure
  // is logged (Error) with the file and the system's reason, and the answer is false. (Where
  // the folder takes no temporary file, the file is rewritten in place as FileReplacement
  // does, and a failure midway, after the disk space was reserved, can leave it damaged.)
  // Something other than a file at path is left alone and fails the save.
  //
  // Loads and saves of all processes take turns: each waits for the exclusive lock of the
  // file path + ".lock" (made when missing, only the user's, never removed), a few seconds
  // at most. Where the file system gives no locks, the file is used without it, with a
  // warning. Where another process holds it past that time (stuck, or holding it on
  // purpose), the save goes on without it, with a warning, and makes no ".old" copy: a
  // complete file all the same, the last save to end winning.
  [[nodiscard]] bool SaveFile(const char* path);
  // The error number (see Files.h) of the last SaveFile that failed; 0 after one that did not.
  int GetSaveError() const { return saveError; }

  // LoadFile and SaveFile on the configuration file in the folder: the program's file name
  // with the extension "cfg" (Path::CreateApplicationLikePath), so a program voyanta keeps
  // voyanta.cfg. EIllegalState when the program path has no file name.
  [[nodiscard]] bool LoadFromFolder(const Path& folder);
  [[nodiscard]] bool SaveToFolder(const Path& folder);
  // LoadFile on the configuration file beside the program, which serves as a starting
  // configuration and is never written; false without reading when the program path has no
  // file name.
  [[nodiscard]] bool LoadFromProgramFolder();

 private:
  // The registered objects, not owned: a value is never deleted, neither when it is
  // replaced nor when the registry goes.
  class Registry : public StringKeyHashMap<Configurable> {
   public:
    ~Registry() override { this->Empty(false); }

   protected:
    void DeleteValue(Configurable*) override {}
  };

  bool ParseInto(const char* text);
  // LoadFile; setAside for a file of the program's own (locked, a malformed one set aside),
  // not for the starting configuration beside the program, which is only read.
  bool Load(const char* path, bool setAside);
  void SetAside(const String& file);
  // Takes the lock of the file at path, waiting a few seconds at most. True when the file
  // may be used as always (locked, or without locks where there are none); false when
  // another process held it all that time. Logs a warning where it goes without the lock.
  [[nodiscard]] static bool Lock(FileLock& lock, const char* path);
  // Logs why a candidate file of a load was not read, unless it is missing.
  static void LogUnread(const String& file, int error, bool userOnly);
  // Logs the failed save of path (at file, for the reason error) and keeps the reason.
  bool SaveFailed(const char* path, const char* file, int error);
  // SaveFile without the exchange and the lock: the tree written over path, its previous
  // contents kept as path + ".old" first when keepOld is set.
  [[nodiscard]] bool Replace(const char* path, bool keepOld);
  // Copies the file at path to path + ".old"; a failure is logged as a warning only.
  static void KeepOldCopy(const char* path);

  Registry registry;
  ConfigSection root{"Root"};
  int saveError = 0;
};

}  // namespace toolbox
