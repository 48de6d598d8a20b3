// The real program as a user's desktop runs it: started in its own folder, ended by a
// termination signal, its files read afterwards.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstddef>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "support/Pdf.h"
#include "support/Scratch.h"
#include "toolbox/config/Config.h"

extern char** environ;

namespace {

using Texts = std::vector<std::string>;
using Clock = std::chrono::steady_clock;

constexpr auto kTimeLimit = std::chrono::seconds(30);

// The signals the process catches, from its status in /proc; 0 once it is gone.
unsigned long long CaughtSignals(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.starts_with("SigCgt:")) return std::stoull(line.substr(7), nullptr, 16);
  }
  return 0;
}

bool Catches(pid_t pid, int signal) { return (CaughtSignals(pid) >> (signal - 1)) & 1; }

// Waits for the process to end; its wait status, or -1 (and the process killed) past the
// time limit.
int WaitForExit(pid_t pid) {
  const auto deadline = Clock::now() + kTimeLimit;
  int status = 0;
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (Clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return status;
}

// How a start is made: on Qt's offscreen platform, or without any display (no
// QT_QPA_PLATFORM, DISPLAY or WAYLAND_DISPLAY); its output goes to a file of the folder;
// it stands in the folder, with HOME and XDG_CONFIG_HOME the folder and the runtime
// folder <folder>/run, unless the environment (NAME=value) says otherwise.
struct Launch {
  bool display = true;
  std::string output = "output.txt";
  std::string workingFolder = {};
  std::vector<std::string> environment = {};
  // A program that starts ours (given by its full path, then its options), or none.
  std::vector<std::string> wrapper = {};
};

class EndToEndTest : public testing::Test {
 protected:
  void SetUp() override {
    // The runtime folder as a login session makes it.
    ASSERT_EQ(mkdir((folder / "run").c_str(), 0700), 0);
    std::filesystem::copy_file(VOYANTA_PROGRAM, Program());
    scratch::WriteFile(folder / "voyanta.vyr", "1\t2\tSocks\tClothes\t\n0\t\tTent\tCamping\t\n");
    scratch::WriteFile(Trip(), "1\t3\tPassport\tPapers\t\n");
  }

  std::string Program() const { return folder / "voyanta"; }
  std::string Trip() const { return folder / "summer.vyt"; }

  // Starts the program with the arguments after its path.
  pid_t Start(const std::vector<std::string>& options, const Launch& launch = {}) {
    std::vector<std::string> environment;
    for (char** variable = environ; *variable != nullptr; ++variable) {
      const std::string text = *variable;
      if (!text.starts_with("HOME=") && !text.starts_with("XDG_") && !text.starts_with("QT_QPA_PLATFORM=") &&
          !text.starts_with("DISPLAY=") && !text.starts_with("WAYLAND_DISPLAY=")) {
        environment.push_back(text);
      }
    }
    const auto set = [&](const std::string& name, const std::string& value) {
      for (const std::string& given : launch.environment) {
        if (given.starts_with(name + "=")) return;
      }
      environment.push_back(name + "=" + value);
    };
    set("HOME", folder.Path());
    set("XDG_CONFIG_HOME", folder.Path());
    set("XDG_RUNTIME_DIR", folder / "run");
    if (launch.display) set("QT_QPA_PLATFORM", "offscreen");
    environment.insert(environment.end(), launch.environment.begin(), launch.environment.end());
    std::vector<std::string> arguments = launch.wrapper;
    arguments.push_back(Program());
    arguments.insert(arguments.end(), options.begin(), options.end());

    std::vector<char*> envp;
    for (std::string& text : environment) envp.push_back(text.data());
    envp.push_back(nullptr);
    std::vector<char*> argv;
    for (std::string& text : arguments) argv.push_back(text.data());
    argv.push_back(nullptr);

    const std::string output = folder / launch.output;
    const std::string workingFolder = launch.workingFolder.empty() ? folder.Path() : launch.workingFolder;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, workingFolder.c_str());
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    pid_t pid = -1;
    const int error = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    EXPECT_EQ(error, 0) << std::strerror(error);
    return error == 0 ? pid : -1;
  }

  // Runs the program to its end; its exit status, or -1 when it did not end by itself.
  int RunToEnd(const std::vector<std::string>& arguments, const Launch& launch = {}) {
    const pid_t pid = Start(arguments, launch);
    if (pid <= 0) return -1;
    const int status = WaitForExit(pid);
    EXPECT_TRUE(WIFEXITED(status)) << "wait status " << status << "\n" << Output(launch.output);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  std::string Output(const std::string& name = "output.txt") const { return scratch::ReadFile(folder / name); }

  scratch::Folder folder;
};

TEST_F(EndToEndTest, EachTerminationSignalEndsTheProgramNormallyAndItsFilesAreWritten) {
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
    SCOPED_TRACE(strsignal(signal));
    std::filesystem::remove_all(folder / "Quorvane");
    const pid_t pid = Start({"/log", "info", Trip()});
    ASSERT_GT(pid, 0);

    // The handlers are in place once the framework runs the application.
    const auto deadline = Clock::now() + kTimeLimit;
    while (!Catches(pid, SIGTERM) && Clock::now() < deadline) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(Catches(pid, signal)) << Output();
    ASSERT_EQ(kill(pid, signal), 0);
    const int status = WaitForExit(pid);
    ASSERT_TRUE(WIFEXITED(status)) << "wait status " << status << "\n" << Output();
    ASSERT_EQ(WEXITSTATUS(status), 0) << Output();

    // Every item, in the program's order, with the check marks of the open trip.
    EXPECT_EQ(scratch::ReadFile(folder / "voyanta.vyr"),
              "0\t\tTent\tCamping\t\n0\t\tSocks\tClothes\t\n1\t3\tPassport\tPapers\t\n");

    toolbox::Config config;
    ASSERT_TRUE(config.LoadFile((folder / "Quorvane/Voyanta/voyanta.cfg").c_str()));
    toolbox::ConfigSection& root = config.GetRoot();
    EXPECT_FALSE(root.GetSubsection("Application").GetSubsection("OnceActions").GetBool("FirstRun", true));
    toolbox::ConfigSection& recent = root.GetSubsection("MRU");
    EXPECT_EQ(recent.GetParameterCount(), 8);
    EXPECT_STREQ(recent.GetText("0", "(missing)"), Trip().c_str());
    for (const char* slot : {"1", "2", "3", "4", "5", "6", "7"}) EXPECT_STREQ(recent.GetText(slot, "(missing)"), "");
    toolbox::ConfigSection& frame = root.GetSubsection("MainFrame");
    EXPECT_EQ(frame.GetLong("XPos", -1), 50);
    EXPECT_EQ(frame.GetLong("YPos", -1), 50);
    EXPECT_EQ(frame.GetLong("XSize", -1), 500);
    EXPECT_EQ(frame.GetLong("YSize", -1), 300);
    EXPECT_FALSE(frame.GetBool("Maximized", true));

    // The logger went last but one, after the exit processing.
    const std::string log = scratch::ReadFile(folder / "Documents/voyanta.log");
    EXPECT_NE(log.rfind("Shutting down logger"), std::string::npos) << log;

    // Nobody else may open the locks, and so nobody else can hold them.
    for (const std::string& lock : {folder / "voyanta.vyr.lock", folder / "Quorvane/Voyanta/voyanta.cfg.lock"}) {
      struct stat info;
      ASSERT_EQ(stat(lock.c_str(), &info), 0) << lock;
      EXPECT_EQ(info.st_mode & 07777, 0600u) << lock;
    }
  }
}

// Something that is no item list where the repository or a trip is expected: the program
// refuses it whole, says so and leaves it as it is.
class BadItemListEndToEndTest : public EndToEndTest {
 protected:
  // What a path holds: its kind, permissions and bytes.
  static std::string Snapshot(const std::string& path) {
    struct stat info;
    if (lstat(path.c_str(), &info) != 0) return "(missing)";
    return std::to_string(info.st_mode) + ":" + (S_ISREG(info.st_mode) ? scratch::ReadFile(path) : "");
  }

  // Bytes as random as a damaged disk's: nearly every few kilobytes of them hold a NUL.
  static std::string RandomBytes() {
    std::mt19937 generator(10);
    std::string bytes(4096, '\0');
    for (char& byte : bytes) byte = static_cast<char>(generator() & 0xFF);
    return bytes;
  }
};

TEST_F(BadItemListEndToEndTest, RepositoryStopsTheStartAndTripIsRefusedWithTheFilesUntouched) {
  const std::string randomBytes = RandomBytes();
  ASSERT_NE(randomBytes.find('\0'), std::string::npos);
  // Root reads every file whatever its permissions, unless it gives up that power.
  const std::vector<std::string> withoutPower = {"/usr/bin/setpriv", "--bounding-set", "-dac_override,-dac_read_search",
                                                 "--inh-caps", "-dac_override,-dac_read_search"};
  const std::vector<std::string> asRoot = geteuid() == 0 ? withoutPower : std::vector<std::string>{};
  const auto readError = [](const std::string& path) { return "Encountered an unexpected error while reading " + path + "."; };
  const auto accessDenied = [](const std::string& path) { return path + " was not found or access to it was denied."; };
  const auto notRegular = [](const std::string& path) { return path + " is not a regular file."; };
  const auto directory = [](const std::string& path) { return path + " is a directory."; };
  struct Row {
    const char* what;
    std::function<void(const std::string& path)> make;
    std::function<std::string(const std::string& path)> tripMessage;
    // Every item and none more; unchecked when the trip's reading began (as any opening
    // of a trip begins), as they were when it could not even be opened. Such a file, as
    // the repository, is named as damaged.
    bool unchecked;
    std::vector<std::string> wrapper;
  };
  const std::vector<Row> rows = {
      {"a NUL byte in a name",
       [](const std::string& path) {
         scratch::WriteFile(path, "1\t2\tSocks\tClothes\t\n0\t\tTe" + std::string(1, '\0') + "nt\tCamping\t\n");
       },
       readError, true, {}},
      {"random bytes", [&](const std::string& path) { scratch::WriteFile(path, randomBytes); }, readError, true, {}},
      {"a folder", [](const std::string& path) { std::filesystem::create_directory(path); }, directory, false, {}},
      {"an unreadable file",
       [](const std::string& path) {
         scratch::WriteFile(path, "1\t2\tSocks\tClothes\t\n");
         chmod(path.c_str(), 0);
       },
       accessDenied, false, asRoot},
      // Neither blocks the start nor is taken for a missing file.
      {"a FIFO", [](const std::string& path) { mkfifo(path.c_str(), 0644); }, notRegular, false, {}},
      {"a device", [](const std::string& path) { std::filesystem::create_symlink("/dev/zero", path); }, notRegular,
       false, {}},
  };
  const std::string repository = folder / "voyanta.vyr";
  const std::string items = scratch::ReadFile(repository);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    if (!row.wrapper.empty() && !std::filesystem::exists(row.wrapper[0])) {
      ADD_FAILURE() << row.wrapper[0] << " is missing";
      continue;
    }
    const Launch launch = {.wrapper = row.wrapper};

    {
      SCOPED_TRACE("as the repository");
      std::filesystem::remove(repository);
      row.make(repository);
      const std::string before = Snapshot(repository);
      EXPECT_EQ(RunToEnd({}, launch), 1);
      const std::string message = "The Voyanta: Voyanta cannot start: its item repository " + repository +
                                  (row.unchecked ? " is damaged." : " can be neither read nor created.");
      EXPECT_NE(Output().find(message), std::string::npos) << Output();
      EXPECT_EQ(Snapshot(repository), before);
      std::filesystem::remove_all(repository);
      scratch::WriteFile(repository, items);
    }
    {
      SCOPED_TRACE("as the trip named on the command line");
      std::filesystem::remove(Trip());
      row.make(Trip());
      const std::string before = Snapshot(Trip());
      EXPECT_EQ(RunToEnd({Trip()}, launch), 1);
      EXPECT_NE(Output().find("Voyanta: " + row.tripMessage(Trip()) + "\n"), std::string::npos) << Output();
      EXPECT_EQ(Snapshot(Trip()), before);
      EXPECT_EQ(scratch::ReadFile(repository),
                row.unchecked ? "0\t\tTent\tCamping\t\n0\t\tSocks\tClothes\t\n" : "0\t\tTent\tCamping\t\n1\t2\tSocks\tClothes\t\n");
      std::filesystem::remove_all(Trip());
      scratch::WriteFile(repository, items);
    }
  }
}

// Command-line printing: the trip is printed and the program ends by itself, with no
// window, also where there is no display at all.
class PrintEndToEndTest : public EndToEndTest {};

TEST_F(PrintEndToEndTest, PrintToOptionWritesTheTripIntoThePdfFileWithAnEmbeddedMonospaceFont) {
  scratch::WriteFile(Trip(), "1\t2\tSocks\tClothes\t\n1\t10\tShirts\tClothes\t\n1\t\tTowel\tBath\t\n");
  const std::string pdf = folder / "out.pdf";
  for (bool display : {true, false}) {
    SCOPED_TRACE(display ? "offscreen" : "no display");
    std::filesystem::remove(pdf);
    ASSERT_EQ(RunToEnd({"/pt", "summer.vyt", "out.pdf"}, {.display = display}), 0) << Output();
    EXPECT_EQ(pdf::PageCount(pdf), 1);
    EXPECT_EQ(pdf::PageLines(pdf, 1), (Texts{Trip(), "Bath " + std::string(55, '-'), "   [ ] [ ] Towel",
                                             "Clothes " + std::string(52, '-'), "10 [ ] [ ] Shirts",
                                             "2  [ ] [ ] Socks"}));
    EXPECT_EQ(pdf::Info(pdf, "Title"), Trip());
    const std::string fonts = pdf::Fonts(pdf);
    EXPECT_NE(fonts.find("LiberationMono"), std::string::npos) << fonts;
    EXPECT_NE(fonts.find(" yes "), std::string::npos) << "not embedded:\n" << fonts;
  }
  // The trip was merged into the repository, which was saved as on every run.
  EXPECT_EQ(scratch::ReadFile(folder / "voyanta.vyr"),
            "1\t\tTowel\tBath\t\n0\t\tTent\tCamping\t\n1\t10\tShirts\tClothes\t\n1\t2\tSocks\tClothes\t\n");
}

TEST_F(PrintEndToEndTest, EachFailureIsToldOnStandardErrorWithStatus1AndWritesNoPdf) {
  std::filesystem::create_directory(folder / "folder.vyt");
  ASSERT_EQ(mkfifo((folder / "fifo.pdf").c_str(), 0600), 0);
  // Settings that cannot be saved: a folder where their file should be (refused to root too).
  std::filesystem::create_directories(folder / "plain/Quorvane/Voyanta/voyanta.cfg");
  struct Row {
    std::vector<std::string> arguments;
    std::string error;
    std::vector<std::string> environment = {};
  };
  const std::vector<Row> rows = {
      {{"/pt", "gone.vyt", "out.pdf"}, "Voyanta: " + (folder / "gone.vyt") + ": File not found.\n"},
      {{"/pt", "folder.vyt", "out.pdf"},
       "Voyanta: " + (folder / "folder.vyt") + " is a directory.\n"},
      // A spooler that nothing answers for (the one the suite starts knows the printers).
      {{"/pt", "summer.vyt", "Nowhere"}, "Voyanta: The print system cannot be reached.\n", {"CUPS_SERVER=127.0.0.1:1"}},
      {{"/p", "summer.vyt"}, "Voyanta: The print system cannot be reached.\n", {"CUPS_SERVER=127.0.0.1:1"}},
      {{"/pt", "summer.vyt", "missing/out.pdf"},
       "Voyanta: Could not print to " + (folder / "missing/out.pdf") + ".: No such file or directory\n"},
      {{"/pt", "summer.vyt", "summer.vyt/out.pdf"},
       "Voyanta: Could not print to " + (folder / "summer.vyt/out.pdf") + ".: Not a directory\n"},
      // Refused at once, never waiting for a reader at the FIFO's other end.
      {{"/pt", "summer.vyt", "fifo.pdf"},
       "Voyanta: Could not print to " + (folder / "fifo.pdf") + ".: Not a regular file\n"},
      {{"/pt", "summer.vyt"}, "Voyanta: Printing from the command line takes /p FILE, or /pt FILE PRINTER"},
      {{"/pt", "summer.vyt", "settings.pdf"}, "The Voyanta: Voyanta could not save its settings in " + (folder / "plain/Quorvane/Voyanta/voyanta.cfg") + ".: ",
       {"XDG_CONFIG_HOME=" + (folder / "plain")}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::PrintToString(row.arguments));
    EXPECT_EQ(RunToEnd(row.arguments, {.environment = row.environment}), 1);
    EXPECT_NE(Output().find(row.error), std::string::npos) << Output();
    EXPECT_FALSE(std::filesystem::exists(folder / "out.pdf"));
  }
}

TEST_F(PrintEndToEndTest, APdfNameThatIsNoUtf8IsWrittenUnderItsOwnBytes) {
  const std::string name = "\xe9t\xe9.pdf";  // Latin-1, as an older system names files
  EXPECT_EQ(RunToEnd({"/pt", "summer.vyt", name}), 0) << Output();
  EXPECT_EQ(pdf::PageCount(folder / name), 1);
  int pdfs = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) pdfs += entry.path().extension() == ".pdf";
  EXPECT_EQ(pdfs, 1) << "written under another name too";
}

// One running program per repository: later starts hand their trip over to it and end.
class InstanceEndToEndTest : public EndToEndTest {
 protected:
  void SetUp() override {
    EndToEndTest::SetUp();
    std::filesystem::create_directory(folder / "trips");
    scratch::WriteFile(Winter(), "1\t1\tGloves\tClothes\t\n");
  }

  std::string Winter() const { return folder / "trips/winter.vyt"; }
  std::string Repository() const { return folder / "voyanta.vyr"; }
  std::string ConfigFile() const { return folder / "Quorvane/Voyanta/voyanta.cfg"; }

  // The socket in the runtime folder, else in the settings folder, which serves where the
  // program has no runtime folder; empty while there is none.
  std::string Socket() const {
    std::error_code ignored;
    for (const char* place : {"run", "Quorvane/Voyanta"}) {
      for (const auto& entry : std::filesystem::directory_iterator(folder / place, ignored)) {
        if (entry.is_socket()) return entry.path();
      }
    }
    return {};
  }

  // True when a program listens on the socket; one that was killed left a socket that
  // refuses every connection.
  bool Listening() const {
    const std::string path = Socket();
    sockaddr_un address{};
    if (path.empty() || path.size() >= sizeof address.sun_path) return false;
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, path.size());
    const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const bool connected = connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(socket);
    return connected;
  }

  // Starts a program that runs on the repository and waits until it listens.
  pid_t StartRunning(const std::vector<std::string>& options, const std::vector<std::string>& environment = {}) {
    const pid_t pid = Start(options, {.output = "running.txt", .environment = environment});
    const auto deadline = Clock::now() + kTimeLimit;
    while (!Listening() && Clock::now() < deadline) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(Listening()) << Output("running.txt");
    return pid;
  }

  // Ends it as the desktop does; its exit status, -1 when it did not end normally.
  int End(pid_t pid) {
    if (kill(pid, SIGTERM) != 0) return -1;
    const int status = WaitForExit(pid);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  // The first entry of the saved recent-file list.
  std::string FirstRecentFile() const {
    toolbox::Config config;
    if (!config.LoadFile(ConfigFile().c_str())) return "(no configuration)";
    return config.GetRoot().GetSubsection("MRU").GetText("0", "(missing)");
  }
};

TEST_F(InstanceEndToEndTest, SecondStartHandsItsTripToTheRunningProgramAndEndsWritingNothing) {
  struct Row {
    const char* what;
    std::vector<std::string> arguments;
    std::string repository;  // as the running program writes it at its end
    std::string recentFile;
    std::vector<std::string> environment = {};  // of both starts
  };
  // Without a runtime folder Qt would take runtime-<user> in the temporary folder, which any
  // user may have made first.
  const std::string temporary = folder / "tmp";
  const std::string fallback = temporary + "/runtime-" + getpwuid(geteuid())->pw_name;
  std::filesystem::create_directories(fallback);
  // Only root can give it to another user; run by another, the row has the folder its own.
  ASSERT_TRUE(geteuid() != 0 || chown(fallback.c_str(), 65534, 65534) == 0);
  const std::vector<Row> rows = {
      // Named relative to the second start's own folder.
      {"trip", {"winter.vyt"}, "0\t\tTent\tCamping\t\n1\t1\tGloves\tClothes\t\n0\t\tSocks\tClothes\t\n", Winter()},
      {"no trip: the window comes to the front", {}, "0\t\tTent\tCamping\t\n0\t\tSocks\tClothes\t\n", ""},
      {"no runtime folder; another user's runtime-root",
       {"winter.vyt"},
       "0\t\tTent\tCamping\t\n1\t1\tGloves\tClothes\t\n0\t\tSocks\tClothes\t\n",
       Winter(),
       {"XDG_RUNTIME_DIR=", "TMPDIR=" + temporary}},
  };
  const std::string before = scratch::ReadFile(Repository());
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    scratch::WriteFile(Repository(), before);
    std::filesystem::remove_all(folder / "Quorvane");
    const pid_t running = StartRunning({}, row.environment);
    ASSERT_GT(running, 0);

    const Launch second = {.output = "second.txt", .workingFolder = folder / "trips", .environment = row.environment};
    EXPECT_EQ(RunToEnd(row.arguments, second), 0) << Output("second.txt");
    EXPECT_EQ(scratch::ReadFile(Repository()), before);
    EXPECT_FALSE(std::filesystem::exists(ConfigFile()));

    ASSERT_EQ(End(running), 0) << Output("running.txt");
    EXPECT_EQ(scratch::ReadFile(Repository()), row.repository);
    EXPECT_EQ(FirstRecentFile(), row.recentFile);
  }
}

TEST_F(InstanceEndToEndTest, SecondStartThatCannotHandOverSaysSoEndsWith1AndWritesNothing) {
  scratch::WriteFile(folder / "blocker", "");
  struct Row {
    const char* what;
    std::vector<std::string> environment;
  };
  const std::vector<Row> rows = {
      // Below a file: even root cannot make them.
      {"no runtime folder", {"XDG_RUNTIME_DIR=" + (folder / "blocker/run"), "TMPDIR=" + (folder / "blocker")}},
      {"nobody listens in its runtime folder", {"XDG_RUNTIME_DIR=" + (folder / "elsewhere")}},
  };
  const pid_t running = StartRunning({Trip()});
  ASSERT_GT(running, 0);
  // The running program saves the items its trip merged a moment after it opened it.
  const std::string merged = "0\t\tTent\tCamping\t\n0\t\tSocks\tClothes\t\n1\t3\tPassport\tPapers\t\n";
  const auto deadline = Clock::now() + kTimeLimit;
  while (scratch::ReadFile(Repository()) != merged && Clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  const std::string before = scratch::ReadFile(Repository());
  EXPECT_EQ(before, merged);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const Launch launch = {.output = "second.txt", .workingFolder = folder / "trips", .environment = row.environment};
    EXPECT_EQ(RunToEnd({"winter.vyt"}, launch), 1);
    const std::string message = "The Voyanta: Voyanta is already running with the repository " + Repository() + ".\n";
    EXPECT_NE(Output("second.txt").find(message), std::string::npos) << Output("second.txt");
    EXPECT_EQ(scratch::ReadFile(Repository()), before);
    EXPECT_FALSE(std::filesystem::exists(ConfigFile()));
  }
  ASSERT_EQ(End(running), 0) << Output("running.txt");
  EXPECT_EQ(scratch::ReadFile(Repository()), merged);
  EXPECT_EQ(FirstRecentFile(), Trip());
}

TEST_F(InstanceEndToEndTest, KilledProgramDoesNotBlockTheNextStart) {
  const pid_t killed = StartRunning({});
  ASSERT_GT(killed, 0);
  ASSERT_EQ(kill(killed, SIGKILL), 0);
  ASSERT_TRUE(WIFSIGNALED(WaitForExit(killed)));
  ASSERT_NE(Socket(), "");  // left behind
  ASSERT_FALSE(Listening());

  const pid_t next = StartRunning({Trip()});
  ASSERT_GT(next, 0);
  // It listens where the killed one did: a later start reaches it.
  EXPECT_EQ(RunToEnd({"trips/winter.vyt"}, {.output = "third.txt"}), 0) << Output("third.txt");
  ASSERT_EQ(End(next), 0) << Output("running.txt");
  EXPECT_EQ(scratch::ReadFile(Repository()),
            "0\t\tTent\tCamping\t\n1\t1\tGloves\tClothes\t\n0\t\tSocks\tClothes\t\n0\t\tPassport\tPapers\t\n");
  EXPECT_EQ(FirstRecentFile(), Winter());
}

TEST_F(InstanceEndToEndTest, PrintingBesideTheRunningProgramWritesBackNothing) {
  ASSERT_EQ(End(StartRunning({})), 0);  // a configuration of earlier runs
  const pid_t running = StartRunning({});
  ASSERT_GT(running, 0);
  struct stat repositoryBefore, configBefore;
  ASSERT_EQ(stat(Repository().c_str(), &repositoryBefore), 0);
  ASSERT_EQ(stat(ConfigFile().c_str(), &configBefore), 0);
  const std::string repository = scratch::ReadFile(Repository());
  const std::string config = scratch::ReadFile(ConfigFile());

  ASSERT_EQ(RunToEnd({"/pt", "summer.vyt", "out.pdf"}, {.output = "print.txt"}), 0) << Output("print.txt");
  EXPECT_EQ(pdf::PageLines(folder / "out.pdf", 1),
            (Texts{Trip(), "Papers " + std::string(53, '-'), "3 [ ] [ ] Passport"}));
  struct stat repositoryAfter, configAfter;
  ASSERT_EQ(stat(Repository().c_str(), &repositoryAfter), 0);
  ASSERT_EQ(stat(ConfigFile().c_str(), &configAfter), 0);
  EXPECT_EQ(scratch::ReadFile(Repository()), repository);
  EXPECT_EQ(scratch::ReadFile(ConfigFile()), config);
  for (const auto& [before, after] : {std::pair{repositoryBefore, repositoryAfter}, {configBefore, configAfter}}) {
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
    EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
  }

  // The running program never heard of the trip.
  ASSERT_EQ(End(running), 0) << Output("running.txt");
  EXPECT_EQ(scratch::ReadFile(Repository()), "0\t\tTent\tCamping\t\n0\t\tSocks\tClothes\t\n");
}

}  // namespace
