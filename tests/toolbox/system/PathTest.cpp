#include "toolbox/system/Path.h"

#include <gtest/gtest.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "support/Scratch.h"
#include "toolbox/base/LogSink.h"

using namespace toolbox;
namespace fs = std::filesystem;

namespace {

constexpr Path::Grammar W = Path::Windows;
constexpr Path::Grammar P = Path::Posix;

std::string Text(const Path& path, bool trailingSeparator = false) {
  char* text = path.ToText(trailingSeparator);
  std::string copy = text;
  std::free(text);
  return copy;
}

std::vector<std::string> Components(const Path& path) {
  std::vector<std::string> components;
  for (int i = 0; i < path.GetComponentCount(); ++i) {
    components.push_back(path.GetComponent(i)->Text());
  }
  return components;
}

using Names = std::vector<std::string>;

// Exceptions of the tests log nowhere, whatever sink another test left behind.
class PathTest : public ::testing::Test {
 protected:
  void SetUp() override { SetCurrentLogSink(nullptr); }
};

}  // namespace

TEST_F(PathTest, WindowsDrivePathSplitsAtBackslashesOnly) {
  Path path("E:\\Program Files\\x\\y.exe", W);
  EXPECT_STREQ("E:\\", path.GetRoot().Text());
  EXPECT_EQ((Names{"Program Files", "x", "y.exe"}), Components(path));
  EXPECT_EQ("E:\\Program Files\\x\\y.exe", Text(path, false));
  EXPECT_EQ("E:\\Program Files\\x\\y.exe\\", Text(path, true));
  EXPECT_STREQ("y.exe", path.Last()->Text());

  Path slashes("E:\\a/b\\c", W);
  EXPECT_EQ((Names{"a/b", "c"}), Components(slashes));
}

TEST_F(PathTest, WindowsRelativeAndDriveRelativeRoots) {
  Path doubled("x\\\\y\\", W);
  EXPECT_STREQ("", doubled.GetRoot().Text());
  EXPECT_EQ((Names{"x", "y"}), Components(doubled));
  EXPECT_EQ("x\\y", Text(doubled));

  Path rooted("\\name", W);
  EXPECT_STREQ("\\", rooted.GetRoot().Text());
  EXPECT_EQ((Names{"name"}), Components(rooted));

  Path driveRelative("E:name", W);
  EXPECT_STREQ("E:", driveRelative.GetRoot().Text());
  EXPECT_EQ("E:name", Text(driveRelative));
}

TEST_F(PathTest, WindowsShareAndServerRoots) {
  Path file("\\\\server\\share\\dir\\f", W);
  EXPECT_STREQ("\\\\server\\share\\", file.GetRoot().Text());
  EXPECT_EQ((Names{"dir", "f"}), Components(file));
  EXPECT_EQ(Path::NetworkShare, file.GetRootKind());

  Path share("\\\\server\\share", W);
  EXPECT_STREQ("\\\\server\\share\\", share.GetRoot().Text());
  EXPECT_EQ(0, share.GetComponentCount());
  EXPECT_EQ("\\\\server\\share\\", Text(share, false));
  EXPECT_EQ("\\\\server\\share\\", Text(share, true));

  Path server("\\\\server\\", W);
  EXPECT_STREQ("\\\\server", server.GetRoot().Text());
  EXPECT_EQ(Path::NetworkServer, server.GetRootKind());

  Path network("\\\\", W);
  EXPECT_EQ(Path::NetworkRoot, network.GetRootKind());
  network.AddText("x");
  EXPECT_EQ(Path::NetworkServer, network.GetRootKind());
}

TEST_F(PathTest, WindowsDeviceAndShellRoots) {
  for (const char* text : {"\\\\?\\", "\\\\.\\", "\\\\?"}) {
    Path device(text, W);
    EXPECT_STREQ("\\\\.", device.GetRoot().Text()) << text;
    EXPECT_EQ(Path::DeviceNamespace, device.GetRootKind()) << text;
  }

  Path shell("::{20D04FE0}\\x", W);
  EXPECT_STREQ("::{20D04FE0}\\", shell.GetRoot().Text());
  EXPECT_EQ(Path::DeviceNamespace, shell.GetRootKind());

  Path longPath("\\\\?\\C:\\x", W);
  EXPECT_STREQ("\\\\?\\C:\\", longPath.GetRoot().Text());
  EXPECT_EQ((Names{"x"}), Components(longPath));
}

TEST_F(PathTest, WindowsRootOnlyAndDriveLettersAreUnclassifiedHere) {
  Path drive("E:\\", W);
  EXPECT_EQ("E:\\", Text(drive, false));
  EXPECT_EQ("E:\\", Text(drive, true));
  EXPECT_EQ(Path::Unclassified, drive.GetRootKind());
  EXPECT_EQ(Path::Unclassified, Path("x\\y", W).GetRootKind());
  EXPECT_EQ(Path::Unclassified, Path("\\x", W).GetRootKind());
}

TEST_F(PathTest, PosixPathSplitsAtSlashesOnly) {
  Path path("/usr//lib/", P);
  EXPECT_STREQ("/", path.GetRoot().Text());
  EXPECT_EQ((Names{"usr", "lib"}), Components(path));
  EXPECT_EQ("/usr/lib", Text(path, false));
  EXPECT_EQ("/usr/lib/", Text(path, true));

  Path relative("a\\b/c", P);
  EXPECT_STREQ("", relative.GetRoot().Text());
  EXPECT_EQ((Names{"a\\b", "c"}), Components(relative));
  EXPECT_EQ(Path::Unclassified, relative.GetRootKind());

  Path root("/", P);
  EXPECT_EQ("/", Text(root, false));
  EXPECT_EQ("/", Text(root, true));

  Path empty("", P);
  EXPECT_EQ("", Text(empty, true));
  EXPECT_EQ(nullptr, empty.Last());
  empty.DeleteLast();
  EXPECT_EQ(0, empty.GetComponentCount());
}

TEST_F(PathTest, CopiesAreIndependentAndKeepTheGrammar) {
  Path original("\\\\server\\share\\a\\b", W);
  Path copy(original);
  copy.DeleteLast();
  EXPECT_EQ("\\\\server\\share\\a\\b", Text(original));
  EXPECT_EQ("\\\\server\\share\\a", Text(copy));

  Path assigned("/x/y/z", P);
  assigned = original;
  EXPECT_EQ(Path::Windows, assigned.GetGrammar());
  EXPECT_EQ("\\\\server\\share\\a\\b", Text(assigned));

  Path& self = assigned;
  assigned = self;
  EXPECT_EQ("\\\\server\\share\\a\\b", Text(assigned));

  std::unique_ptr<Path> clone(original.Clone());
  original.AddText("c");
  EXPECT_EQ("\\\\server\\share\\a\\b", Text(*clone));
}

TEST_F(PathTest, SetExtensionCutsAtTheFirstFullStop) {
  for (const char* extension : {"log", ".log"}) {
    String name("my.trip.exe");
    Path::SetExtension(name, extension);
    EXPECT_STREQ("my.log", name.Text());
    String bare("prog");
    Path::SetExtension(bare, extension);
    EXPECT_STREQ("prog.log", bare.Text());
  }
}

TEST_F(PathTest, ApplicationLikePathTakesTheProgramNameIntoTheFolder) {
  scratch::Arguments arguments({"E:\\apps\\tool.exe", "/log", "info"});
  Path folder("D:\\data", W);
  std::unique_ptr<Path> path(Path::CreateApplicationLikePath(folder, "cfg"));
  EXPECT_EQ("D:\\data\\tool.cfg", Text(*path));
  EXPECT_EQ("D:\\data", Text(folder));

  scratch::Arguments posix({"/opt/voyanta/voyanta.bin"});
  std::unique_ptr<Path> config(Path::CreateApplicationLikePath(Path("/etc/x", P), ".cfg"));
  EXPECT_EQ("/etc/x/voyanta.cfg", Text(*config));
}

TEST_F(PathTest, ApplicationLikePathNeedsAProgramFileName) {
  for (const char* program : {"E:\\", ""}) {
    scratch::Arguments arguments({program});
    Path target("D:\\data", W);
    try {
      Path::CreateApplicationLikePathInternal(target, "cfg");
      FAIL() << "no exception for program path '" << program << "'";
    } catch (const EIllegalState& e) {
      EXPECT_STREQ("The __argv[0] does not denote a valid path", e.GetMessage());
      EXPECT_STREQ("toolbox::Path::CreateApplicationLikePathInternal", e.GetLocation());
      EXPECT_EQ(875, e.GetLine());
    }
    EXPECT_EQ("D:\\data", Text(target));
  }
  scratch::Arguments root({"/"});
  EXPECT_THROW(delete Path::CreateApplicationLikePath(Path("/tmp", P), "cfg"), EIllegalState);
}

TEST_F(PathTest, BareProgramNameIsFoundAtTheExecutablesLocation) {
  char location[PATH_MAX];
  ssize_t length = readlink("/proc/self/exe", location, sizeof location - 1);
  ASSERT_GT(length, 0);
  location[length] = '\0';

  scratch::Arguments arguments({"voyanta"});
  std::unique_ptr<Path> program(Path::ProgramPath());
  EXPECT_EQ(location, Text(*program));
  std::unique_ptr<Path> folder(Path::ProgramFolder());
  EXPECT_EQ(fs::path(location).parent_path().string(), Text(*folder));
}

TEST_F(PathTest, MakeDirectoriesCreatesOnlyTheMissingTail) {
  scratch::Folder temp;
  fs::create_directory(temp / "a");
  std::ofstream(temp / "a/marker") << "x";

  Path deep((temp / "a/b/c").c_str());
  EXPECT_FALSE(deep.Exists());
  EXPECT_FALSE(deep.MakeDirectory());  // b is missing
  EXPECT_TRUE(deep.MakeDirectories());
  EXPECT_TRUE(fs::is_directory(temp / "a/b/c"));
  EXPECT_TRUE(fs::exists(temp / "a/marker"));

  // Everything there: nothing to do, nothing changed.
  auto before = fs::last_write_time(temp / "a/b");
  EXPECT_TRUE(deep.MakeDirectories());
  EXPECT_EQ(before, fs::last_write_time(temp / "a/b"));

  // A file where a folder should be: it counts as existing, but nothing can go below it.
  EXPECT_TRUE(Path((temp / "a/marker").c_str()).MakeDirectories());
  Path blocked((temp / "a/marker/d/e").c_str());
  EXPECT_FALSE(blocked.MakeDirectories());
}

TEST_F(PathTest, TotalSizeOfMissingPathIsZero) {
  scratch::Folder temp;
  EXPECT_EQ(0, Path((temp / "missing").c_str()).GetTotalSize());
  EXPECT_GT(Path(temp.Path().c_str()).GetTotalSize(), 0);
}

TEST_F(PathTest, RootKindOfMissingPathIsThatOfItsFileSystem) {
  struct statfs fileSystem;
  if (statfs("/dev/shm", &fileSystem) != 0 || fileSystem.f_type != 0x01021994) {
    GTEST_SKIP() << "/dev/shm is no tmpfs here";
  }
  EXPECT_EQ(Path::RamDisk, Path("/dev/shm", P).GetRootKind());
  EXPECT_EQ(Path::RamDisk, Path("/dev/shm/no/such/file", P).GetRootKind());
}

namespace {

// A home folder of its own for every test, with the XDG variables unset.
class KnownFolderTest : public PathTest {
 protected:
  scratch::Folder home;
  scratch::Environment homeVariable{"HOME", home.Path()};
  scratch::Environment configVariable{"XDG_CONFIG_HOME", std::nullopt};

  void WriteUserDirs(const std::string& configFolder, const std::string& content) {
    fs::create_directories(configFolder);
    std::ofstream(configFolder + "/user-dirs.dirs") << content;
  }
};

}  // namespace

TEST_F(KnownFolderTest, ApplicationDataIsTheConfigurationHome) {
  Path path("/unchanged", P);
  EXPECT_FALSE(path.FromKnownFolder(Path::LocalApplicationDataFolder, false));
  EXPECT_EQ("/unchanged", Text(path));
  EXPECT_TRUE(path.FromKnownFolder(Path::LocalApplicationDataFolder, true));
  EXPECT_EQ(home / ".config", Text(path));
  EXPECT_TRUE(fs::is_directory(home / ".config"));

  scratch::Environment config("XDG_CONFIG_HOME", home / "cfg");
  EXPECT_TRUE(path.FromKnownFolder(Path::LocalApplicationDataFolder, true));
  EXPECT_EQ(home / "cfg", Text(path));

  // A relative XDG_CONFIG_HOME is not valid and is passed over.
  scratch::Environment relative("XDG_CONFIG_HOME", "cfg");
  EXPECT_TRUE(path.FromKnownFolder(Path::LocalApplicationDataFolder, false));
  EXPECT_EQ(home / ".config", Text(path));
}

TEST_F(KnownFolderTest, DocumentsFolderFollowsUserDirs) {
  Path path;
  EXPECT_TRUE(path.FromKnownFolder(Path::DocumentsFolder, true));
  EXPECT_EQ(home / "Documents", Text(path));

  WriteUserDirs(home / ".config",
                "# XDG_DOCUMENTS_DIR=\"$HOME/commented\"\n"
                "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
                "XDG_DOCUMENTS_DIR=\"$HOME/My \\\"Docs\\\"\"\n");
  EXPECT_TRUE(path.FromKnownFolder(Path::DocumentsFolder, true));
  EXPECT_EQ(home / "My \"Docs\"", Text(path));

  // The configuration home decides which user-dirs file counts; absolute values stand as
  // they are.
  scratch::Environment config("XDG_CONFIG_HOME", home / "cfg");
  WriteUserDirs(home / "cfg", "XDG_DOCUMENTS_DIR=\"" + (home / "elsewhere") + "\"\n");
  EXPECT_TRUE(path.FromKnownFolder(Path::DocumentsFolder, true));
  EXPECT_EQ(home / "elsewhere", Text(path));
}

TEST_F(KnownFolderTest, NoHomeNoFolder) {
  scratch::Environment noHome("HOME", std::nullopt);
  Path path("/unchanged", P);
  EXPECT_FALSE(path.FromKnownFolder(Path::DocumentsFolder, true));
  EXPECT_FALSE(path.FromKnownFolder(Path::LocalApplicationDataFolder, true));
  EXPECT_FALSE(path.FromKnownFolder(42, true));
  EXPECT_EQ("/unchanged", Text(path));

  // The configuration home alone still names the application data.
  scratch::Environment config("XDG_CONFIG_HOME", home / "cfg");
  EXPECT_TRUE(path.FromKnownFolder(Path::LocalApplicationDataFolder, true));
  EXPECT_EQ(home / "cfg", Text(path));
}
