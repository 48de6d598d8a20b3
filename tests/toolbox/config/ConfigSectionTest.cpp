#include "toolbox/config/ConfigSection.h"

#include <gtest/gtest.h>

#include <string>

#include "WorkedExample.h"
#include "toolbox/config/StringWriter.h"

using namespace toolbox;

namespace {

std::string Written(const ConfigSection& section, int depth = 0) {
  StringWriter writer;
  EXPECT_TRUE(section.Write(writer, depth));
  return writer.GetText().Text();
}

}  // namespace

TEST(ConfigSectionTest, TypedReadingCreatesTheMissingParameterWithItsDefault) {
  ConfigSection section("MainFrame");
  EXPECT_EQ(section.GetLong("XPos", 50), 50);
  ASSERT_NE(section.FindParameter("XPos"), nullptr);
  EXPECT_EQ(section.FindParameter("XPos")->GetKind(), ConfigParameter::kInteger);
  EXPECT_EQ(section.GetLong("XPos", 70), 50);

  EXPECT_TRUE(section.GetBool("Maximized", true));
  EXPECT_EQ(section.FindParameter("Maximized")->GetKind(), ConfigParameter::kBoolean);
  EXPECT_TRUE(section.GetBool("Maximized", false));

  EXPECT_STREQ(section.GetText("Title", "Trip"), "Trip");
  EXPECT_STREQ(section.GetText("Title", "Other"), "Trip");
  EXPECT_EQ(section.GetParameterCount(), 3);
}

TEST(ConfigSectionTest, ReadingsFollowTheStoredKindNotTheDefault) {
  ConfigSection section("S");
  section.GetLong("Size", 300);
  EXPECT_STREQ(section.GetText("Size", "x"), "");
  section.GetParameter("Maximized").SetBool(true);
  EXPECT_STREQ(section.GetText("Maximized", ""), "1");
  EXPECT_EQ(section.GetLong("Maximized", 0), 1);
  section.GetParameter("Answer").SetText("yes");
  EXPECT_FALSE(section.GetBool("Answer", true));
}

TEST(ConfigSectionTest, NamesCountLetterCase) {
  ConfigSection section("S");
  section.GetLong("XPos", 1);
  section.GetLong("xpos", 2);
  EXPECT_EQ(section.GetLong("XPos", 0), 1);
  EXPECT_EQ(section.GetLong("xpos", 0), 2);
  EXPECT_FALSE(section.HasParameter("XPOS"));
}

TEST(ConfigSectionTest, LookUpsCreateNothing) {
  ConfigSection section("S");
  EXPECT_FALSE(section.HasParameter("A"));
  EXPECT_EQ(section.FindSubsection("A"), nullptr);
  EXPECT_EQ(section.GetParameterCount(), 0);
  EXPECT_EQ(section.GetSubsectionCount(), 0);
  ConfigParameter& created = section.GetParameter("A");
  EXPECT_EQ(created.GetKind(), ConfigParameter::kNone);
  EXPECT_EQ(&section.GetParameter("A"), &created);
}

TEST(ConfigSectionTest, SubsectionsAreCreatedOnceAndRemovedWithTheirTree) {
  ConfigSection root("Root");
  ConfigSection& application = root.GetSubsection("Application");
  EXPECT_STREQ(application.GetName(), "Application");
  application.GetSubsection("OnceActions").GetBool("FirstRun", true);
  EXPECT_EQ(&root.GetSubsection("Application"), &application);
  // A parameter and a subsection may share a name.
  root.GetLong("Application", 3);
  EXPECT_EQ(root.GetSubsectionCount(), 1);

  root.RemoveSubsection("Missing");
  root.RemoveSubsection(application.GetName());
  EXPECT_EQ(root.FindSubsection("Application"), nullptr);
  EXPECT_TRUE(root.HasParameter("Application"));
}

TEST(ConfigSectionTest, ClearingDropsOneKindOfChildren) {
  ConfigSection section("S");
  section.GetLong("P", 1);
  section.GetSubsection("Sub").GetLong("Q", 2);
  section.ClearParameters();
  EXPECT_EQ(section.GetParameterCount(), 0);
  EXPECT_EQ(section.GetSubsectionCount(), 1);
  section.GetLong("P", 1);
  section.ClearSubsections();
  EXPECT_EQ(section.GetParameterCount(), 1);
  EXPECT_EQ(section.GetSubsectionCount(), 0);
}

TEST(ConfigSectionTest, WritesTheWorkedExampleByteForByte) {
  ConfigSection root("Root");
  // Created in another order than they are written.
  ConfigSection& frame = root.GetSubsection("MainFrame");
  frame.GetLong("YSize", 300);
  frame.GetLong("XPos", 50);
  frame.GetBool("Maximized", false);
  frame.GetLong("YPos", 50);
  frame.GetLong("XSize", 500);
  root.GetSubsection("Application").GetSubsection("OnceActions").GetBool("FirstRun", false);
  EXPECT_EQ(Written(root), kWorkedExample);
}

TEST(ConfigSectionTest, ParametersComeFirstThenAnEmptyLineThenSubsections) {
  ConfigSection section("S");
  section.GetSubsection("Empty");
  section.GetSubsection("b").GetText("Path", "C:\\x");
  section.GetText("Name", "");
  EXPECT_EQ(Written(section, 1),
            "\t<Name>\\0</>\n"
            "\n"
            "\t<b>\n"
            "\t\t<Path>C:\\\\x</>\n"
            "\t</b>\n"
            "\n"
            "\t<Empty>\n"
            "\t</Empty>\n");
}

TEST(ConfigSectionTest, OrdersNamesIgnoringCaseAndKeepsEqualNamesInKeyOrder) {
  ConfigSection section("S");
  for (const char* name : {"b", "A", "_", "a", "B", "Z"}) section.GetLong(name, 1);
  // A and a share a bucket, as do b and B, so the map's keys hold them in insertion order;
  // "_" (0x5F) sorts before the letters, which are folded to lower case (0x61 on), not to
  // upper case (up to 0x5A).
  EXPECT_EQ(Written(section),
            "<_>1</>\n"
            "<A>1</>\n"
            "<a>1</>\n"
            "<b>1</>\n"
            "<B>1</>\n"
            "<Z>1</>\n");
}

TEST(ConfigSectionTest, EscapesNames) {
  ConfigSection section("S");
  section.GetSubsection("a/b").GetLong("<x>", 1);
  section.GetSubsection("");
  EXPECT_EQ(Written(section),
            "<\\0>\n"
            "</\\0>\n"
            "\n"
            "<a\\/b>\n"
            "\t<\\<x\\>>1</>\n"
            "</a\\/b>\n");
}

TEST(ConfigSectionTest, EmptySectionWritesNothing) {
  ConfigSection section("S");
  EXPECT_EQ(Written(section, 2), "");
}
