#include "toolbox/config/ConfigParameter.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "toolbox/config/StringWriter.h"

using namespace toolbox;

namespace {

std::string Written(const ConfigParameter& parameter) {
  StringWriter writer;
  EXPECT_TRUE(parameter.Write(writer));
  return writer.GetText().Text();
}

}  // namespace

TEST(ConfigParameterTest, EmptyParameterReadsAsNothing) {
  ConfigParameter parameter;
  EXPECT_EQ(parameter.GetKind(), ConfigParameter::kNone);
  EXPECT_FALSE(parameter.GetBool());
  EXPECT_EQ(parameter.GetLong(), 0);
  EXPECT_STREQ(parameter.GetText(), "");
}

TEST(ConfigParameterTest, BooleanReadsAsOneOrZero) {
  ConfigParameter parameter;
  parameter.SetBool(true);
  EXPECT_TRUE(parameter.GetBool());
  EXPECT_EQ(parameter.GetLong(), 1);
  EXPECT_STREQ(parameter.GetText(), "1");
  parameter.SetBool(false);
  EXPECT_EQ(parameter.GetLong(), 0);
  EXPECT_STREQ(parameter.GetText(), "0");
}

TEST(ConfigParameterTest, IntegerReadsAsEmptyText) {
  ConfigParameter parameter(std::int32_t{-7});
  EXPECT_TRUE(parameter.GetBool());
  EXPECT_EQ(parameter.GetLong(), -7);
  EXPECT_STREQ(parameter.GetText(), "");
  EXPECT_FALSE(ConfigParameter(std::int32_t{0}).GetBool());
}

TEST(ConfigParameterTest, TextReadsItsLeadingDecimalNumber) {
  struct Case {
    const char* text;
    std::int32_t value;
  };
  for (Case c : {Case{"1", 1}, Case{"12", 12}, Case{"-3", -3}, Case{"  42abc", 42},
                 Case{"\t\n+8", 8}, Case{"0", 0}, Case{"yes", 0}, Case{"true", 0}, Case{"", 0},
                 Case{"- 5", 0}, Case{"99999999999", std::numeric_limits<std::int32_t>::max()},
                 Case{"-2147483648", std::numeric_limits<std::int32_t>::min()},
                 Case{"-99999999999", std::numeric_limits<std::int32_t>::min()}}) {
    ConfigParameter parameter(c.text);
    EXPECT_EQ(parameter.GetLong(), c.value) << c.text;
    EXPECT_EQ(parameter.GetBool(), c.value != 0) << c.text;
    EXPECT_STREQ(parameter.GetText(), c.text);
  }
}

TEST(ConfigParameterTest, RealTruncatesTowardZero) {
  EXPECT_EQ(ConfigParameter(2.9).GetLong(), 2);
  EXPECT_EQ(ConfigParameter(-2.9).GetLong(), -2);
  EXPECT_TRUE(ConfigParameter(0.5).GetBool());
  EXPECT_FALSE(ConfigParameter(0.0).GetBool());
  EXPECT_STREQ(ConfigParameter(2.5).GetText(), "");
  // Beyond the 32-bit range the reading holds at the limit instead of being undefined.
  EXPECT_EQ(ConfigParameter(1e300).GetLong(), std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(ConfigParameter(-1e300).GetLong(), std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(ConfigParameter(std::numeric_limits<double>::quiet_NaN()).GetLong(), 0);
}

TEST(ConfigParameterTest, CharacterReadsAsFlagOrDigit) {
  for (char c : {'1', 'y', 'Y', 't', 'T'}) EXPECT_TRUE(ConfigParameter(c).GetBool()) << c;
  for (char c : {'0', 'n', 'F', '\0'}) EXPECT_FALSE(ConfigParameter(c).GetBool()) << c;
  EXPECT_EQ(ConfigParameter('7').GetLong(), 7);
  EXPECT_EQ(ConfigParameter('y').GetLong(), 0);
  EXPECT_STREQ(ConfigParameter('7').GetText(), "");
}

TEST(ConfigParameterTest, SettingReplacesTheKindAndFreesTheOldText) {
  // The sanitizer run reports a text that is not freed.
  ConfigParameter parameter("first");
  parameter.SetText("second");
  EXPECT_STREQ(parameter.GetText(), "second");
  parameter.SetLong(5);
  EXPECT_EQ(parameter.GetKind(), ConfigParameter::kInteger);
  EXPECT_EQ(parameter.GetLong(), 5);
  parameter.SetText(nullptr);
  EXPECT_EQ(parameter.GetKind(), ConfigParameter::kText);
  EXPECT_STREQ(parameter.GetText(), "");
}

TEST(ConfigParameterTest, SetTextAcceptsItsOwnText) {
  ConfigParameter parameter("same");
  parameter.SetText(parameter.GetText());
  EXPECT_STREQ(parameter.GetText(), "same");
  parameter.SetText(parameter.GetText() + 2);
  EXPECT_STREQ(parameter.GetText(), "me");
}

TEST(ConfigParameterTest, WritesEachKindAsTheFileHoldsIt) {
  EXPECT_EQ(Written(ConfigParameter(true)), "1");
  EXPECT_EQ(Written(ConfigParameter(false)), "0");
  EXPECT_EQ(Written(ConfigParameter(std::int32_t{-2147483647 - 1})), "-2147483648");
  EXPECT_EQ(Written(ConfigParameter(2.5)), "2.5");
  EXPECT_EQ(Written(ConfigParameter(1e20)), "1e+20");
  EXPECT_EQ(Written(ConfigParameter('x')), "x");
  EXPECT_EQ(Written(ConfigParameter('/')), "\\/");
  EXPECT_EQ(Written(ConfigParameter()), "\\0");
  EXPECT_EQ(Written(ConfigParameter("")), "\\0");
  EXPECT_EQ(Written(ConfigParameter("C:\\Trips\\a<b>.vyt")), "C:\\\\Trips\\\\a\\<b\\>.vyt");
}

TEST(ConfigParameterTest, SpacesAtTheEndsOfATextAreShieldedFromTrimming) {
  EXPECT_EQ(Written(ConfigParameter("a b")), "a b");
  EXPECT_EQ(Written(ConfigParameter(" a")), "\\0 a");
  EXPECT_EQ(Written(ConfigParameter("a  ")), "a  \\0");
  EXPECT_EQ(Written(ConfigParameter(" ")), "\\0 \\0");
  // The other white space is escaped and needs no shield.
  EXPECT_EQ(Written(ConfigParameter("\ta\n")), "\\ta\\n");
}
