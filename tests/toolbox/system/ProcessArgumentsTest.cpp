#include "toolbox/system/ProcessArguments.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

using namespace toolbox;

namespace {

// Read by a global constructor, as the application object and the logger do.
const int countDuringStaticInitialisation = ProcessArguments::Count();

std::string ExecutableLocation() {
  char buffer[PATH_MAX];
  ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (length < 0) return "";
  return std::string(buffer, length);
}

class ProcessArgumentsTest : public ::testing::Test {
 protected:
  void TearDown() override { ProcessArguments::ReadFromSystem(); }
};

}  // namespace

TEST_F(ProcessArgumentsTest, SystemVectorIsAvailableDuringStaticInitialisation) {
  EXPECT_GE(countDuringStaticInitialisation, 1);
  // GoogleTest keeps the arguments main received, before it takes its own flags out.
  std::vector<std::string> expected = ::testing::internal::GetArgvs();
  ASSERT_EQ(static_cast<int>(expected.size()), ProcessArguments::Count());
  for (int i = 0; i < ProcessArguments::Count(); ++i) {
    EXPECT_EQ(expected[i], ProcessArguments::Vector()[i]);
  }
  EXPECT_EQ(nullptr, ProcessArguments::Vector()[ProcessArguments::Count()]);
}

TEST_F(ProcessArgumentsTest, SetCopiesTheTextsAndKeepsEmptyArguments) {
  char program[] = "/opt/voyanta/voyanta";
  const char* arguments[] = {program, "", "/log", "debug"};
  ProcessArguments::Set(4, arguments);
  program[1] = 'X';

  ASSERT_EQ(4, ProcessArguments::Count());
  const char* const* vector = ProcessArguments::Vector();
  EXPECT_STREQ("/opt/voyanta/voyanta", vector[0]);
  EXPECT_STREQ("", vector[1]);
  EXPECT_STREQ("/log", vector[2]);
  EXPECT_STREQ("debug", vector[3]);
  EXPECT_EQ(nullptr, vector[4]);
}

TEST_F(ProcessArgumentsTest, PathToAnotherFileIsKeptAsGiven) {
  const char* absolute[] = {"/opt/voyanta/voyanta"};
  ProcessArguments::Set(1, absolute);
  EXPECT_STREQ("/opt/voyanta/voyanta", ProcessArguments::ProgramPath());

  const char* relative[] = {"./voyanta", "trip.vyt"};
  ProcessArguments::Set(2, relative);
  EXPECT_STREQ("./voyanta", ProcessArguments::ProgramPath());
}

TEST_F(ProcessArgumentsTest, BareProgramNameResolvesToTheExecutable) {
  const char* arguments[] = {"voyanta", "trip.vyt"};
  ProcessArguments::Set(2, arguments);
  std::string location = ExecutableLocation();
  ASSERT_FALSE(location.empty());
  EXPECT_EQ(location, ProcessArguments::ProgramPath());
  // The vector itself keeps what the process received.
  EXPECT_STREQ("voyanta", ProcessArguments::Vector()[0]);
}

TEST_F(ProcessArgumentsTest, PathThroughALinkToThisProgramResolvesToItsRealLocation) {
  // Started through a link, or by a relative path, the program keeps its files where it
  // really is: the same files however it was started.
  const std::string location = ExecutableLocation();
  ASSERT_FALSE(location.empty());
  char folder[] = "/tmp/voyanta-link-XXXXXX";
  ASSERT_NE(nullptr, mkdtemp(folder));
  const std::string link = std::string(folder) + "/voyanta";
  ASSERT_EQ(0, symlink(location.c_str(), link.c_str()));
  const char* arguments[] = {link.c_str()};
  ProcessArguments::Set(1, arguments);
  EXPECT_EQ(location, ProcessArguments::ProgramPath());
  unlink(link.c_str());
  rmdir(folder);
}

TEST_F(ProcessArgumentsTest, NoArgumentsGiveAnEmptyProgramPath) {
  ProcessArguments::Set(0, nullptr);
  EXPECT_EQ(0, ProcessArguments::Count());
  EXPECT_EQ(nullptr, ProcessArguments::Vector()[0]);
  EXPECT_STREQ("", ProcessArguments::ProgramPath());
}
