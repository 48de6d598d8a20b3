// The real program as a user's desktop runs it: started in its own folder, ended by a
// termination signal, its files read afterwards.

#include <gtest/gtest.h>

#include <QPrinterInfo>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
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

class EndToEndTest : public testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::copy_file(VOYANTA_PROGRAM, Program());
    scratch::WriteFile(folder / "voyanta.vyr", "1\t2\tSocks\tClothes\t\n0\t\tTent\tCamping\t\n");
    scratch::WriteFile(Trip(), "1\t3\tPassport\tPapers\t\n");
  }

  std::string Program() const { return folder / "voyanta"; }
  std::string Trip() const { return folder / "summer.vyt"; }

  // Starts the program in its folder with the arguments after its path; the output of this
  // start goes to a file of the folder. It runs on Qt's offscreen platform, or without any
  // display: no QT_QPA_PLATFORM, DISPLAY or WAYLAND_DISPLAY.
  pid_t Start(const std::vector<std::string>& options, bool display = true) {
    std::vector<std::string> environment;
    for (char** variable = environ; *variable != nullptr; ++variable) {
      const std::string text = *variable;
      if (!text.starts_with("HOME=") && !text.starts_with("XDG_") && !text.starts_with("QT_QPA_PLATFORM=") &&
          !text.starts_with("DISPLAY=") && !text.starts_with("WAYLAND_DISPLAY=")) {
        environment.push_back(text);
      }
    }
    environment.push_back("HOME=" + folder.Path());
    environment.push_back("XDG_CONFIG_HOME=" + folder.Path());
    if (display) environment.push_back("QT_QPA_PLATFORM=offscreen");
    std::vector<std::string> arguments = {Program()};
    arguments.insert(arguments.end(), options.begin(), options.end());

    std::vector<char*> envp;
    for (std::string& text : environment) envp.push_back(text.data());
    envp.push_back(nullptr);
    std::vector<char*> argv;
    for (std::string& text : arguments) argv.push_back(text.data());
    argv.push_back(nullptr);

    const std::string output = folder / "output.txt";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, folder.Path().c_str());
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    pid_t pid = -1;
    const int error = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    EXPECT_EQ(error, 0) << std::strerror(error);
    return error == 0 ? pid : -1;
  }

  std::string Output() const { return scratch::ReadFile(folder / "output.txt"); }

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
  }
}

// Command-line printing: the trip is printed and the program ends by itself, with no
// window, also where there is no display at all.
class PrintEndToEndTest : public EndToEndTest {
 protected:
  // Runs the program to its end; its exit status, or -1 when it did not end by itself.
  int RunToEnd(const std::vector<std::string>& arguments, bool display = true) {
    const pid_t pid = Start(arguments, display);
    if (pid <= 0) return -1;
    const int status = WaitForExit(pid);
    EXPECT_TRUE(WIFEXITED(status)) << "wait status " << status << "\n" << Output();
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
};

TEST_F(PrintEndToEndTest, PrintToOptionWritesTheTripIntoThePdfFileWithAnEmbeddedMonospaceFont) {
  scratch::WriteFile(Trip(), "1\t2\tSocks\tClothes\t\n1\t10\tShirts\tClothes\t\n1\t\tTowel\tBath\t\n");
  const std::string pdf = folder / "out.pdf";
  for (bool display : {true, false}) {
    SCOPED_TRACE(display ? "offscreen" : "no display");
    std::filesystem::remove(pdf);
    ASSERT_EQ(RunToEnd({"/pt", "summer.vyt", "out.pdf"}, display), 0) << Output();
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
  struct Row {
    std::vector<std::string> arguments;
    std::string error;
  };
  const std::vector<Row> rows = {
      {{"/pt", "gone.vyt", "out.pdf"}, "Voyanta: " + (folder / "gone.vyt") + ": File not found.\n"},
      {{"/pt", "folder.vyt", "out.pdf"},
       "Voyanta: " + (folder / "folder.vyt") + " was not found or access to it was denied.\n"},
      {{"/pt", "summer.vyt", "Nowhere"}, "Voyanta: There is no printer named Nowhere.\n"},
      {{"/pt", "summer.vyt", "missing/out.pdf"}, "Voyanta: Could not print to " + (folder / "missing/out.pdf") + ".\n"},
      {{"/pt", "summer.vyt", "summer.vyt/out.pdf"},
       "Voyanta: Could not print to " + (folder / "summer.vyt/out.pdf") + ".\n"},
      {{"/pt", "summer.vyt"}, "Voyanta: Printing from the command line takes /p FILE, or /pt FILE PRINTER"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::PrintToString(row.arguments));
    EXPECT_EQ(RunToEnd(row.arguments), 1);
    EXPECT_NE(Output().find(row.error), std::string::npos) << Output();
    EXPECT_FALSE(std::filesystem::exists(folder / "out.pdf"));
  }
}

TEST_F(PrintEndToEndTest, PrintOptionWithoutADefaultPrinterSaysSo) {
  // A machine with a default printer would print on paper: not from a test.
  if (!QPrinterInfo::defaultPrinter().isNull()) GTEST_SKIP() << "this machine has a default printer";
  EXPECT_EQ(RunToEnd({"/p", "summer.vyt"}), 1);
  EXPECT_NE(Output().find("Voyanta: There is no default printer.\n"), std::string::npos) << Output();
}

}  // namespace
