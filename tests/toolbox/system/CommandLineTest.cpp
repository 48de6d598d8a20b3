#include "toolbox/system/CommandLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "toolbox/base/ArrayList.h"
#include "toolbox/base/Exception.h"
#include "toolbox/base/String.h"
#include "toolbox/system/ProcessArguments.h"

using namespace toolbox;

namespace {

std::vector<std::string> Texts(const ArrayList<String>* list) {
  std::vector<std::string> texts;
  if (list == nullptr) return texts;
  for (int i = 0; i < list->GetCount(); ++i) texts.push_back(list->GetAt(i)->Text());
  return texts;
}

// Parses "voyanta" followed by the given arguments.
void ParseArguments(CommandLine& line, std::vector<const char*> arguments) {
  arguments.insert(arguments.begin(), "voyanta");
  line.Parse(static_cast<int>(arguments.size()), arguments.data());
}

// A command line with the logger's option declared.
struct CommandLineTest : ::testing::Test {
  CommandLineTest() { line.AddOption("/log", 1); }
  CommandLine line;
};

using Args = std::vector<std::string>;

}  // namespace

TEST_F(CommandLineTest, OptionTakesItsArgumentAndLeavesNoPlainArguments) {
  ParseArguments(line, {"/log", "debug"});
  EXPECT_EQ(Texts(line.GetOptionArguments("/log")), Args{"debug"});
  EXPECT_TRUE(line.GetOption("/log")->IsSeen());
  EXPECT_EQ(line.GetPlainArguments().GetCount(), 0);
  EXPECT_STREQ(line.GetProgram().Text(), "voyanta");
}

TEST_F(CommandLineTest, OptionAtTheEndIsSeenWithoutArguments) {
  ParseArguments(line, {"/log"});
  ASSERT_NE(line.GetOptionArguments("/log"), nullptr);
  EXPECT_EQ(line.GetOptionArguments("/log")->GetCount(), 0);
  EXPECT_TRUE(line.GetOption("/log")->IsSeen());
}

TEST_F(CommandLineTest, TooFewArgumentsEndTheParse) {
  line.AddOption("/pt", 2);
  ParseArguments(line, {"/log", "warn", "/pt", "trip.vyt"});
  EXPECT_TRUE(line.GetOption("/pt")->IsSeen());
  EXPECT_EQ(line.GetOptionArguments("/pt")->GetCount(), 0);
  // The argument that was left over is ignored, not made plain.
  EXPECT_EQ(line.GetPlainArguments().GetCount(), 0);
  EXPECT_EQ(Texts(line.GetOptionArguments("/log")), Args{"warn"});
}

TEST_F(CommandLineTest, LastOccurrenceWins) {
  ParseArguments(line, {"/log", "info", "/log", "error"});
  EXPECT_EQ(Texts(line.GetOptionArguments("/log")), Args{"error"});
}

TEST_F(CommandLineTest, OptionNamesCountTheirPrefixAndCase) {
  ParseArguments(line, {"-log", "debug", "/LOG"});
  EXPECT_EQ(Texts(&line.GetPlainArguments()), Args{"debug"});
  // The declared option was not met: its list is there and empty.
  ASSERT_NE(line.GetOptionArguments("/log"), nullptr);
  EXPECT_EQ(line.GetOptionArguments("/log")->GetCount(), 0);
  EXPECT_FALSE(line.GetOption("/log")->IsSeen());
  // Undeclared options are recorded as seen, without arguments.
  for (const char* name : {"-log", "/LOG"}) {
    const CommandLine::Option* option = line.GetOption(name);
    ASSERT_NE(option, nullptr) << name;
    EXPECT_TRUE(option->IsSeen());
    EXPECT_EQ(option->GetArgumentCount(), 0);
    EXPECT_EQ(option->GetArguments().GetCount(), 0);
  }
}

TEST_F(CommandLineTest, ArgumentsAreTakenWhateverTheyLookLike) {
  ParseArguments(line, {"/log", "/x"});
  EXPECT_EQ(Texts(line.GetOptionArguments("/log")), Args{"/x"});
  EXPECT_EQ(line.GetOption("/x"), nullptr);
}

TEST_F(CommandLineTest, AttachedValueIsAnOptionOfItsOwn) {
  ParseArguments(line, {"/log:debug"});
  EXPECT_NE(line.GetOption("/log:debug"), nullptr);
  EXPECT_FALSE(line.GetOption("/log")->IsSeen());
}

TEST_F(CommandLineTest, PlainArgumentsKeepTheirOrderAroundOptions) {
  ParseArguments(line, {"first.vyt", "/log", "warn", "second.vyt"});
  EXPECT_EQ(Texts(&line.GetPlainArguments()), (Args{"first.vyt", "second.vyt"}));
  EXPECT_EQ(Texts(line.GetOptionArguments("/log")), Args{"warn"});
}

TEST_F(CommandLineTest, UnknownNameHasNoArguments) {
  ParseArguments(line, {"trip.vyt"});
  EXPECT_EQ(line.GetOptionArguments("/print"), nullptr);
}

TEST_F(CommandLineTest, SecondParseAccumulatesPlainArgumentsAndRenewsOptions) {
  ParseArguments(line, {"a", "/log", "info"});
  const char* second[] = {"other", "b"};
  line.Parse(2, second);
  EXPECT_EQ(Texts(&line.GetPlainArguments()), (Args{"a", "b"}));
  EXPECT_STREQ(line.GetProgram().Text(), "other");
  // Not met again: the option keeps what the first parse gave it.
  EXPECT_EQ(Texts(line.GetOptionArguments("/log")), Args{"info"});
}

TEST_F(CommandLineTest, EmptyVectorChangesNothing) {
  line.Parse(0, nullptr);
  EXPECT_STREQ(line.GetProgram().Text(), "");
  EXPECT_EQ(line.GetPlainArguments().GetCount(), 0);
}

TEST_F(CommandLineTest, RedeclaringAnOptionDropsWhatAParseRecorded) {
  ParseArguments(line, {"/log", "debug"});
  line.AddOption("/log", 2);
  const CommandLine::Option* option = line.GetOption("/log");
  EXPECT_FALSE(option->IsSeen());
  EXPECT_EQ(option->GetArgumentCount(), 2);
  EXPECT_EQ(option->GetArguments().GetCount(), 0);
  // An option met undeclared can be declared afterwards too.
  ParseArguments(line, {"/p"});
  line.AddOption("/p", 1);
  ParseArguments(line, {"/p", "trip.vyt"});
  EXPECT_EQ(Texts(line.GetOptionArguments("/p")), Args{"trip.vyt"});
}

TEST_F(CommandLineTest, NegativeArgumentCountIsRejected) {
  EXPECT_THROW(line.AddOption("/back", -1), EIllegalArgument);
  EXPECT_EQ(line.GetOption("/back"), nullptr);
}

TEST_F(CommandLineTest, ParsesTheProcessArguments) {
  const char* arguments[] = {"/usr/bin/voyanta", "trip.vyt", "/log", "debug"};
  ProcessArguments::Set(4, arguments);
  line.Parse();
  ProcessArguments::ReadFromSystem();
  EXPECT_STREQ(line.GetProgram().Text(), "/usr/bin/voyanta");
  EXPECT_EQ(Texts(&line.GetPlainArguments()), Args{"trip.vyt"});
  EXPECT_EQ(Texts(line.GetOptionArguments("/log")), Args{"debug"});
}
