#include "framework/system/SingleInstance.h"

#include <gtest/gtest.h>

#include <QTest>
#include <fcntl.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "support/CapturedLog.h"
#include "support/LaterStart.h"
#include "support/Scratch.h"

extern char** environ;

using framework::SingleInstance;

namespace {

// The running instance is this test; a later start is a thread (support::LaterStart). A
// request that waits for an open dialog, and one that nobody takes, are left to the
// program's own tests.
class SingleInstanceTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(mkdir((folder / "run").c_str(), 0700), 0); }
  std::string File() const { return folder / name; }
  SingleInstance::Outcome HandOver(const std::string& request) {
    return support::LaterStart(File(), request, fallback).Finish();
  }
  // Claims the file and listens, keeping every request that reaches the holder.
  void Hold(SingleInstance& holder, std::vector<std::string>& received) {
    ASSERT_EQ(holder.Claim(File().c_str()), SingleInstance::claimed);
    ASSERT_TRUE(holder.Listen([&received](const std::string& request) {
      received.push_back(request);
      return true;
    }));
  }

  std::string name = "data.vyr";
  std::string fallback;  // the user's own folder where the runtime folder will not do
  scratch::Folder folder;
  scratch::Environment runtime{"XDG_RUNTIME_DIR", folder / "run"};
};

constexpr uid_t kNobody = 65534;

// What a folder holds, recursively, each entry with its owner and mode; sockets apart.
struct Tree {
  std::map<std::string, std::pair<uid_t, mode_t>> entries;
  int sockets = 0;
  bool operator==(const Tree&) const = default;
};

void PrintTo(const Tree& tree, std::ostream* out) {
  for (const auto& [path, owner] : tree.entries) {
    *out << "\n  " << path << " " << owner.first << " " << std::oct << owner.second << std::dec;
  }
  *out << "\n  sockets: " << tree.sockets;
}

Tree Look(const std::string& folder) {
  Tree tree;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    struct stat status {};
    lstat(entry.path().c_str(), &status);
    if (S_ISSOCK(status.st_mode)) {
      ++tree.sockets;
    } else {
      tree.entries[entry.path()] = {status.st_uid, status.st_mode};
    }
  }
  return tree;
}

void MakeFolder(const std::string& path, mode_t mode, uid_t owner) {
  ASSERT_EQ(mkdir(path.c_str(), 0700), 0) << path;
  ASSERT_EQ(chmod(path.c_str(), mode), 0);
  ASSERT_EQ(chown(path.c_str(), owner, owner), 0);
}

// The abstract name a later start of this user looks for the holder at when the user has no
// runtime folder of their own, as a Python bytes literal.
std::string AbstractName(const std::string& key) {
  return "b'\\0voyanta-" + std::to_string(geteuid()) + "-" + key + "'";
}

// A process of the user nobody, started through setpriv: a Python program that tells the
// test what it does, a number a line on its standard output. Killed, if still running, with
// the object.
class AsNobody {
 public:
  explicit AsNobody(const std::string& program) {
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ends[1], STDOUT_FILENO);
    std::vector<std::string> arguments = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", "--",
                                          "/usr/bin/python3", "-I", "-c", program};
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    if (posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ) != 0) child = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(ends[1]);
    fromChild = ends[0];
  }
  ~AsNobody() {
    if (child > 0) {
      kill(child, SIGKILL);
      waitpid(child, nullptr, 0);
    }
    if (fromChild >= 0) close(fromChild);
  }
  AsNobody(const AsNobody&) = delete;
  AsNobody& operator=(const AsNobody&) = delete;

  // The next number from the process, serving the test's events meanwhile; none when it
  // wrote none within 10 s.
  std::optional<long> Next() {
    std::optional<long> number;
    static_cast<void>(QTest::qWaitFor(
        [&] {
          pollfd ready{fromChild, POLLIN, 0};
          char letter = 0;
          while (poll(&ready, 1, 0) == 1 && read(fromChild, &letter, 1) == 1) {
            if (letter != '\n') {
              line += letter;
              continue;
            }
            number = std::stol(line);
            line.clear();
            return true;
          }
          return false;
        },
        10000));
    return number;
  }

 private:
  pid_t child = -1;
  int fromChild = -1;
  std::string line;
};

TEST_F(SingleInstanceTest, EachRequestReachesTheHolderByteForByte) {
  SingleInstance holder;
  std::vector<std::string> received;
  Hold(holder, received);
  const std::vector<std::string> requests = {
      "",  // no document: the window comes to the front
      "/home/me/trips/summer.vyt",
      "/trips/two\nlines, \xc3\xbc and a stray \xff byte.vyt",
      "/" + std::string(4095, 'x'),
  };
  for (const std::string& request : requests) {
    SCOPED_TRACE(request.substr(0, 40));
    const std::size_t before = received.size();
    EXPECT_EQ(HandOver(request), SingleInstance::handedOver);
    ASSERT_TRUE(QTest::qWaitFor([&] { return received.size() > before; }));
    EXPECT_EQ(received.back(), request);
  }
  EXPECT_EQ(received.size(), requests.size());
}

TEST_F(SingleInstanceTest, AFileWithALongNameInAnyScriptIsHandedOverToo) {
  name.clear();
  for (int i = 0; i < 40; ++i) name += "\xe6\x97\x85";  // a CJK letter: three bytes each
  name += ".vyr";
  SingleInstance holder;
  std::vector<std::string> received;
  Hold(holder, received);
  EXPECT_EQ(HandOver("/trips/summer.vyt"), SingleInstance::handedOver);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !received.empty(); }));
}

TEST_F(SingleInstanceTest, LaterStartTakesTheFileWhenTheHolderEndsWhileItWaits) {
  std::optional<SingleInstance> holder(std::in_place);
  ASSERT_EQ(holder->Claim(File().c_str()), SingleInstance::claimed);  // still starting: not listening
  support::LaterStart later(File(), "/trips/summer.vyt");
  QTest::qWait(300);
  holder.reset();
  EXPECT_EQ(later.Finish(), SingleInstance::claimed);
}

// Qt's own fallback for the runtime folder when none is set: a folder of the user's name in
// the temporary folder, which any user may have made first.
std::string FallbackName() {
  const passwd* user = getpwuid(geteuid());
  return std::string("runtime-") + (user != nullptr ? user->pw_name : "");
}

TEST_F(SingleInstanceTest, LaterStartReachesTheHolderWhateverTheRuntimeFolder) {
  if (geteuid() != 0) GTEST_SKIP() << "the other user, nobody, is played as root";
  // Each row in a folder of its own, all of one length.
  const auto rowFolder = [this](std::size_t row) { return folder / ("row" + std::to_string(100 + row)); };
  const std::string rows0 = rowFolder(0);
  // The deepest runtime folder (below a row's folder) whose socket's path fits, with a
  // slash and the key's 32 letters, in the 108 bytes of an address less a terminating zero
  // and Qt's byte more; and one byte deeper.
  const std::string deepest(108 - 2 - 33 - rows0.size() - 1, 'd');
  const std::string deeper = deepest + 'd';
  // Where the holder listens and keeps its own lock: a folder in the row's folder, or none
  // (an abstract name, and no own lock).
  enum Place { runtime, settings, abstract };
  struct Row {
    const char* what;
    std::optional<std::string> runtime;  // XDG_RUNTIME_DIR, "{row}" standing for the row's folder
    std::string made;                    // a folder in the row's folder, made first
    mode_t mode;
    uid_t owner;
    mode_t settingsMode = 0;  // the fallback folder "settings", made first unless 0
    uid_t settingsOwner = 0;
    Place place = abstract;
    std::string link = {};  // a link to the made folder
  };
  const std::string fallbackName = FallbackName();
  const uid_t me = geteuid();
  const std::vector<Row> rows = {
      {"the user's own", "{row}/run", "run", 0700, me, 0755, me, runtime},
      {"not set; Qt's fallback made by another user", std::nullopt, fallbackName, 0700, kNobody},
      {"not set; the settings folder serves", std::nullopt, "", 0, 0, 0755, me, settings},
      {"not set; no fallback yet", std::nullopt, "", 0, 0},
      {"another user's", "{row}/run", "run", 0700, kNobody, 0700, me, settings},
      {"open to others", "{row}/run", "run", 0777, me},
      {"open to others; so are the settings", "{row}/run", "run", 0777, me, 0777, me},
      {"open to others; the settings another user's", "{row}/run", "run", 0777, me, 0755, kNobody},
      {"open to the group", "{row}/run", "run", 0710, me},
      {"missing", "{row}/run", "", 0, 0},
      {"a link to the user's own", "{row}/run", "real", 0700, me, 0, 0, abstract, "run"},
      {"relative", "run", "run", 0700, me},
      {"as deep as a socket's path allows", "{row}/" + deepest, deepest, 0700, me, 0, 0, runtime},
      {"a byte deeper", "{row}/" + deeper, deeper, 0700, me, 0, 0, runtime},
  };
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const Row& row = rows[i];
    SCOPED_TRACE(row.what);
    const std::string base = rowFolder(i);
    ASSERT_EQ(mkdir(base.c_str(), 0755), 0);
    if (!row.made.empty()) MakeFolder(base + "/" + row.made, row.mode, row.owner);
    if (!row.link.empty()) std::filesystem::create_directory_symlink(base + "/" + row.made, base + "/" + row.link);
    if (row.settingsMode != 0) MakeFolder(base + "/settings", row.settingsMode, row.settingsOwner);
    std::optional<std::string> runtimeFolder = row.runtime;
    if (runtimeFolder && runtimeFolder->starts_with("{row}")) runtimeFolder->replace(0, 5, base);
    const scratch::Environment runtimeVariable("XDG_RUNTIME_DIR", runtimeFolder);
    const scratch::Environment temporary("TMPDIR", base);  // where Qt looks for its fallback
    fallback = base + "/settings";
    Tree expected = Look(base);
    {
      SingleInstance holder(fallback);
      std::vector<std::string> received;
      Hold(holder, received);
      EXPECT_EQ(Look(base).sockets, row.place == abstract ? 0 : 1);
      EXPECT_EQ(HandOver("/trips/summer.vyt"), SingleInstance::handedOver);
      EXPECT_TRUE(QTest::qWaitFor([&] { return !received.empty(); }));
      const std::string own = row.place == runtime ? base + "/" + row.made : base + "/settings";
      if (row.place != abstract) expected.entries[own + "/" + holder.GetKey() + ".lock"] = {me, S_IFREG | 0600};
    }
    // Nothing made but the own lock, nothing changed, no socket left.
    EXPECT_EQ(Look(base), expected);
  }
}

// A Python program of another user's that listens first on the abstract name a later start
// of this user looks for the holder at when the user has no folder of their own: it tells 0
// once it listens, then how many bytes reached it (-1: nobody came within 10 s).
std::string Squatter(const std::string& key) {
  return R"(
import select, socket
server = socket.socket(socket.AF_UNIX)
server.bind()" + AbstractName(key) + R"()
server.listen(4)
print(0, flush=True)
if not select.select([server], [], [], 10)[0]:
    raise SystemExit(print(-1))
connection, _ = server.accept()
received = 0
while chunk := connection.recv(256):
    received += len(chunk)
print(received, flush=True)
)";
}

// Anybody may listen on an abstract name or connect to it: each end is refused by the other
// unless it runs as the same user, told apart by the kernel's record of the peer.
TEST_F(SingleInstanceTest, AnotherUsersServerOnTheNameGetsNothingAndTheLaterStartGivesUpAtOnce) {
  if (geteuid() != 0) GTEST_SKIP() << "the other user, nobody, is played as root";
  const scratch::Environment noRuntime("XDG_RUNTIME_DIR", std::nullopt);
  SingleInstance holder;
  ASSERT_EQ(holder.Claim(File().c_str()), SingleInstance::claimed);
  AsNobody squatter(Squatter(holder.GetKey()));
  ASSERT_EQ(squatter.Next(), 0);

  support::CapturedLog log;
  EXPECT_FALSE(holder.Listen([](const std::string&) { return true; }));
  const auto started = std::chrono::steady_clock::now();
  EXPECT_EQ(HandOver("/trips/summer.vyt"), SingleInstance::failed);
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2)) << "waited for the holder";
  EXPECT_EQ(squatter.Next(), 0) << "bytes handed to the squatter (-1: never reached)";
  const std::vector<std::string> entries = log.Entries(toolbox::LogWarn);
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_NE(entries[0].find("Cannot listen on @voyanta-"), std::string::npos) << entries[0];
  EXPECT_NE(entries[1].find("not handed over: the process at the other end of voyanta-"), std::string::npos)
      << entries[1];
  EXPECT_NE(entries[1].find(" runs as user 65534"), std::string::npos) << entries[1];
}

// With a folder of the user's own, where nobody else can make a name, the same squatter
// reaches nothing and stops nothing.
TEST_F(SingleInstanceTest, AnotherUsersServerOnTheAbstractNameCannotStopAHandOverThroughTheUsersFolder) {
  if (geteuid() != 0) GTEST_SKIP() << "the other user, nobody, is played as root";
  const scratch::Environment noRuntime("XDG_RUNTIME_DIR", std::nullopt);
  fallback = folder / "settings";
  ASSERT_EQ(mkdir(fallback.c_str(), 0755), 0);
  SingleInstance holder(fallback);
  ASSERT_EQ(holder.Claim(File().c_str()), SingleInstance::claimed);
  AsNobody squatter(Squatter(holder.GetKey()));
  ASSERT_EQ(squatter.Next(), 0);
  std::vector<std::string> received;
  ASSERT_TRUE(holder.Listen([&received](const std::string& request) {
    received.push_back(request);
    return true;
  }));
  EXPECT_EQ(HandOver("/trips/summer.vyt"), SingleInstance::handedOver);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !received.empty(); }));
}

// Who holds the file, as a later start learns it: a copy of the user's own (which holds the
// own lock too) gets the request; another user's is named as its lock file names them,
// unless the record cannot be true.
TEST_F(SingleInstanceTest, ALaterStartTellsTheUsersOwnCopyFromAnotherUsersWhateverTheLockFileSays) {
  const std::string me = std::to_string(geteuid());
  struct Row {
    const char* what;
    bool ownCopy;        // the holder is a copy of the user's (else a lock of another user's)
    std::string record;  // then written into the lock file
    bool handOver;
    const char* named;
  };
  const std::vector<Row> rows = {
      {"the user's own copy", true, "", true, ""},
      {"the user's own copy; the record says another user", true, "4242 mallory\n", true, ""},
      {"another user's, named", false, "4242 mallory\n", false, "mallory"},
      {"another user's, naming this user", false, me + " me\n", false, ""},
      {"another user's, saying nothing", false, "", false, ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    name = "row" + std::to_string(&row - rows.data()) + ".vyr";
    scratch::WriteFile(File(), "");
    ASSERT_EQ(chmod(File().c_str(), 0666), 0);  // another user may write it, and so hold it
    std::optional<SingleInstance> copy;
    toolbox::FileLock othersLock;
    if (row.ownCopy) {
      ASSERT_EQ(copy.emplace().Claim(File().c_str()), SingleInstance::claimed);
    } else {
      ASSERT_EQ(othersLock.Acquire((File() + ".lock").c_str(), 0, File().c_str()), toolbox::FileLock::acquired);
    }
    scratch::WriteFile(File() + ".lock", row.record);
    SingleInstance later;
    EXPECT_EQ(later.Claim(File().c_str()), SingleInstance::running);
    EXPECT_EQ(later.CanHandOver(), row.handOver);
    EXPECT_EQ(later.GetOtherHolder(), row.named);
  }
}

TEST_F(SingleInstanceTest, AClientOfAnotherUserIsRefusedTheUsersOwnIsNot) {
  if (geteuid() != 0) GTEST_SKIP() << "the other user, nobody, is played as root";
  const scratch::Environment noRuntime("XDG_RUNTIME_DIR", std::nullopt);
  SingleInstance holder;
  std::vector<std::string> received;
  Hold(holder, received);
  support::CapturedLog log;
  AsNobody stranger(R"(
import socket
client = socket.socket(socket.AF_UNIX)
try:
    client.connect()" + AbstractName(holder.GetKey()) + R"()
except OSError:
    raise SystemExit(print(-1))
client.sendall(b'\0\0\0\x0a/etc/evil!')
try:
    answer = client.recv(1)
except ConnectionResetError:
    answer = b''
print(len(answer), flush=True)
)");
  EXPECT_EQ(stranger.Next(), 0) << "answered (-1: never reached)";
  EXPECT_EQ(HandOver("/trips/summer.vyt"), SingleInstance::handedOver);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !received.empty(); }));
  EXPECT_EQ(received, std::vector<std::string>{"/trips/summer.vyt"});
  const std::vector<std::string> entries = log.Entries(toolbox::LogWarn);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_NE(entries[0].find("A request is refused: the process at the other end of voyanta-"), std::string::npos)
      << entries[0];
  EXPECT_NE(entries[0].find(" runs as user 65534"), std::string::npos) << entries[0];
}

}  // namespace
