#include "toolbox/config/Config.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "toolbox/config/StringWriter.h"

using namespace toolbox;

namespace {

std::string Written(const Config& config) {
  StringWriter writer;
  EXPECT_TRUE(config.GetRoot().Write(writer, 0));
  return writer.GetText().Text();
}

// The text of a parameter, or a marker when there is none.
std::string TextOf(const ConfigSection* section, const char* name) {
  if (section == nullptr) return "<no section>";
  const ConfigParameter* parameter = section->FindParameter(name);
  return parameter != nullptr ? parameter->GetText() : "<no parameter>";
}

bool IsEmpty(const Config& config) {
  return config.GetRoot().GetParameterCount() == 0 && config.GetRoot().GetSubsectionCount() == 0;
}

// Records what the configuration hands it; keeps one setting, "Count".
class Counter : public Configurable {
 public:
  void ExchangeConfiguration(ConfigSection& section, bool store) override {
    calls.push_back(std::string(section.GetName()) + (store ? " store" : " load"));
    if (store) {
      section.GetParameter("Count").SetLong(count);
    } else {
      count = section.GetLong("Count", 0);
    }
  }
  std::vector<std::string> calls;
  int count = 0;
};

using Calls = std::vector<std::string>;

}  // namespace

TEST(ConfigTest, ClearEmptiesTheRootButKeepsIt) {
  Config config;
  ConfigSection& root = config.GetRoot();
  EXPECT_STREQ(root.GetName(), "Root");
  EXPECT_TRUE(IsEmpty(config));
  root.GetLong("P", 1);
  root.GetSubsection("S").GetLong("Q", 1);
  config.Clear();
  EXPECT_EQ(&config.GetRoot(), &root);
  EXPECT_STREQ(root.GetName(), "Root");
  EXPECT_TRUE(IsEmpty(config));
}

TEST(ConfigParseTest, EmptyOrWhiteTextIsAnEmptyTree) {
  Config config;
  config.GetRoot().GetLong("Old", 1);
  EXPECT_TRUE(config.Parse(""));
  EXPECT_TRUE(IsEmpty(config));
  EXPECT_TRUE(config.Parse(" \r\n\t\f "));
  EXPECT_TRUE(IsEmpty(config));
}

TEST(ConfigParseTest, MalformedTextIsRejectedWhole) {
  for (const char* text : {
           "\xEF\xBB\xBF<A>1</>",      // a byte order mark is text outside every element
           "x<A>1</>",                 // text before the first element
           "<A>1</>\ny",               // text after the last one
           "</A>",                     // closing tag with nothing open
           "<A>1</>\n</>",             // one closing tag too many
           "<X>\n<Y>\n</X>\n</X>",     // closing tag naming another section
           "<A>\n<B>1</>",             // element left open
           "\v<A>1</>",                // the vertical tab is no white space
       }) {
    Config config;
    config.GetRoot().GetLong("Old", 1);
    EXPECT_FALSE(config.Parse(text)) << text;
    EXPECT_TRUE(IsEmpty(config)) << text;
  }
}

TEST(ConfigParseTest, TextMakesAParameterClosedByNameOrShortTag) {
  for (const char* text : {"<A>1</A>", "<A>1</>", "  <A>  1  </>  "}) {
    Config config;
    ASSERT_TRUE(config.Parse(text)) << text;
    EXPECT_EQ(TextOf(&config.GetRoot(), "A"), "1") << text;
    EXPECT_EQ(config.GetRoot().FindParameter("A")->GetKind(), ConfigParameter::kText);
    EXPECT_EQ(config.GetRoot().FindSubsection("A"), nullptr) << text;
  }
}

TEST(ConfigParseTest, ElementWithoutTextIsASectionAndEmptyMarkerAnEmptyText) {
  Config config;
  ASSERT_TRUE(config.Parse("<S>\n</S>\n<N>\\0</>\n<T>\n</>"));
  const ConfigSection& root = config.GetRoot();
  ASSERT_NE(root.FindSubsection("S"), nullptr);
  EXPECT_EQ(root.FindSubsection("S")->GetParameterCount(), 0);
  ASSERT_NE(root.FindSubsection("T"), nullptr);
  EXPECT_EQ(TextOf(&root, "N"), "");
  EXPECT_EQ(root.FindSubsection("N"), nullptr);
}

TEST(ConfigParseTest, ShortClosingTagClosesAnySection) {
  Config config;
  ASSERT_TRUE(config.Parse("<X>\n<Y>\n<P>1</>\n</>\n</>"));
  EXPECT_EQ(TextOf(config.GetRoot().FindSubsection("X")->FindSubsection("Y"), "P"), "1");
}

TEST(ConfigParseTest, ResolvesEscapesInNamesAndValues) {
  Config config;
  ASSERT_TRUE(config.Parse("<a\\/b\\>c\\tn\\0>\\t\\n\\f\\r\\/\\<\\>\\\\\\q\\0z</a\\/b\\>c\\tn>"));
  EXPECT_EQ(TextOf(&config.GetRoot(), "a/b>c\tn"), "\t\n\f\r/<>\\qz");
}

TEST(ConfigParseTest, TrimsSpacesButKeepsEscapedWhiteSpace) {
  Config config;
  ASSERT_TRUE(config.Parse("<a> \t x y \r\n</>\n<b>\\t x \\n</>\n<c>\\0 x \\0</>"));
  EXPECT_EQ(TextOf(&config.GetRoot(), "a"), "x y");
  EXPECT_EQ(TextOf(&config.GetRoot(), "b"), "\t x \n");
  EXPECT_EQ(TextOf(&config.GetRoot(), "c"), " x ");
}

TEST(ConfigParseTest, BackslashAtTheEndOfATokenStays) {
  Config config;
  // The escaped space is trimmed away first, which leaves the backslash last.
  ASSERT_TRUE(config.Parse("<a>x\\ </>"));
  EXPECT_EQ(TextOf(&config.GetRoot(), "a"), "x\\");
}

TEST(ConfigParseTest, ParameterAfterASubsectionOfTheSameNameReplacesIt) {
  Config config;
  ASSERT_TRUE(config.Parse("<A>\n<B>1</>\n</A>\n<A>2</>"));
  EXPECT_EQ(TextOf(&config.GetRoot(), "A"), "2");
  EXPECT_EQ(config.GetRoot().FindSubsection("A"), nullptr);
}

TEST(ConfigParseTest, RepeatedParameterKeepsTheLastValueAndRepeatedSectionIsMerged) {
  Config config;
  ASSERT_TRUE(config.Parse("<P>1</>\n<P>2</>\n<S>\n<x>1</>\n</S>\n<S>\n<y>2</>\n</S>"));
  EXPECT_EQ(TextOf(&config.GetRoot(), "P"), "2");
  const ConfigSection* section = config.GetRoot().FindSubsection("S");
  EXPECT_EQ(TextOf(section, "x"), "1");
  EXPECT_EQ(TextOf(section, "y"), "2");
}

TEST(ConfigParseTest, PendingTextIsConsumedByTheNextClosingTag) {
  // One flag for the whole parse: the text of B is taken up by the closing tag of C, so C
  // goes and B stays a section beside its parameter.
  Config config;
  ASSERT_TRUE(config.Parse("<A><B>1<C></C></B></A>"));
  const ConfigSection* a = config.GetRoot().FindSubsection("A");
  EXPECT_EQ(TextOf(a, "B"), "1");
  ASSERT_NE(a->FindSubsection("B"), nullptr);
  EXPECT_EQ(a->FindSubsection("B")->GetSubsectionCount(), 0);
}

TEST(ConfigParseTest, NestingIsLimited) {
  auto nested = [](int depth) {
    std::string text;
    for (int i = 0; i < depth; ++i) text += "<a>";
    for (int i = 0; i < depth; ++i) text += "</>";
    return text;
  };
  Config config;
  EXPECT_TRUE(config.Parse(nested(Config::kMaxNesting).c_str()));
  EXPECT_EQ(Written(config).size(), size_t{Config::kMaxNesting} * (Config::kMaxNesting + 8));
  EXPECT_FALSE(config.Parse(nested(Config::kMaxNesting + 1).c_str()));
  EXPECT_FALSE(config.Parse(nested(1000000).c_str()));
  EXPECT_TRUE(IsEmpty(config));
}

TEST(ConfigParseTest, WrittenTreeReadsBackTheSame) {
  Config config;
  ConfigSection& root = config.GetRoot();
  root.GetText("Path", "C:\\Trips\\<summer> / 2017");
  root.GetText("Spaced", "  two spaces  ");
  root.GetText("Blank", " ");
  root.GetText("Empty", "");
  root.GetText("Controls", "\t\r\n\f\v\x01\xFF");
  root.GetSubsection("Path").GetLong("Inner", 1);
  root.GetSubsection("Empty section");
  root.GetSubsection("").GetSubsection("deeper").GetBool("On", true);
  std::string first = Written(config);
  Config copy;
  ASSERT_TRUE(copy.Parse(first.c_str()));
  EXPECT_EQ(Written(copy), first);
  EXPECT_EQ(TextOf(&copy.GetRoot(), "Spaced"), "  two spaces  ");
  EXPECT_EQ(TextOf(&copy.GetRoot(), "Blank"), " ");
  EXPECT_EQ(TextOf(copy.GetRoot().FindSubsection("Path"), "Inner"), "1");
}

TEST(ConfigurableTest, LoadHandsSettingsOutAndSaveCollectsThem) {
  Config config;
  Counter counter;
  config.Register("Counter", counter);
  ASSERT_TRUE(config.Parse("<Counter>\n<Count>4</>\n</Counter>"));
  EXPECT_EQ(counter.calls, Calls{"Counter load"});
  EXPECT_EQ(counter.count, 4);
  counter.count = 9;
  config.ExchangeConfigurables(true);
  EXPECT_EQ(config.GetRoot().GetSubsection("Counter").GetLong("Count", 0), 9);
}

TEST(ConfigurableTest, FailedParseHandsNothingOut) {
  Config config;
  Counter counter;
  config.Register("Counter", counter);
  EXPECT_FALSE(config.Parse("<Counter>"));
  EXPECT_TRUE(counter.calls.empty());
}

TEST(ConfigurableTest, SectionIsCreatedForAnObjectWithoutSettings) {
  Config config;
  Counter counter;
  config.Register("Counter", counter);
  ASSERT_TRUE(config.Parse(""));
  EXPECT_NE(config.GetRoot().FindSubsection("Counter"), nullptr);
}

TEST(ConfigurableTest, WithoutRegisteredObjectsExchangeDoesNothing) {
  Config config;
  config.ExchangeConfigurables(false);
  config.ExchangeConfigurables(true);
  EXPECT_TRUE(IsEmpty(config));
}

TEST(ConfigurableTest, ConfigNeverDeletesRegisteredObjects) {
  // Objects on the stack: a delete by the Config would be reported by the sanitizer.
  Counter first, second;
  {
    Config config;
    config.Register("Entry", first);
    config.Register("Entry", second);
    config.ExchangeConfigurables(true);
    config.Register("Other", first);
    config.Unregister("Other");
    config.Unregister("Missing");
    config.ExchangeConfigurables(true);
  }
  EXPECT_TRUE(first.calls.empty());
  EXPECT_EQ(second.calls, (Calls{"Entry store", "Entry store"}));
}
