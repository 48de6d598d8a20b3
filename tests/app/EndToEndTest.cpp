// The real program as a user's desktop runs it: started in its own folder, ended by a
// termination signal, its files read afterwards.

#include <gtest/gtest.h>
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

  // Starts the program with a trip and "/log info"; its output goes to a file of the folder.
  pid_t Start() {
    std::vector<std::string> environment;
    for (char** variable = environ; *variable != nullptr; ++variable) {
      const std::string text = *variable;
      if (!text.starts_with("HOME=") && !text.starts_with("XDG_") && !text.starts_with("QT_QPA_PLATFORM=")) {
        environment.push_back(text);
      }
    }
    environment.push_back("HOME=" + folder.Path());
    environment.push_back("XDG_CONFIG_HOME=" + folder.Path());
    environment.push_back("QT_QPA_PLATFORM=offscreen");
    std::vector<std::string> arguments = {Program(), "/log", "info", Trip()};

    std::vector<char*> envp;
    for (std::string& text : environment) envp.push_back(text.data());
    envp.push_back(nullptr);
    std::vector<char*> argv;
    for (std::string& text : arguments) argv.push_back(text.data());
    argv.push_back(nullptr);

    const std::string output = folder / "output.txt";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
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
    const pid_t pid = Start();
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

}  // namespace
