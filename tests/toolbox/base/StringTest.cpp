#include "toolbox/base/String.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "toolbox/base/Exception.h"

using namespace toolbox;

namespace {

// Every member of the chain that s belongs to, first to last, checking the links both ways
// and that all of them use one buffer.
std::vector<const String*> ChainOf(const String& s) {
  const String* first = &s;
  while (first->GetPreviousSharer() != nullptr) first = first->GetPreviousSharer();
  std::vector<const String*> chain;
  for (const String* m = first; m != nullptr; m = m->GetNextSharer()) {
    if (!chain.empty()) {
      EXPECT_EQ(chain.back(), m->GetPreviousSharer());
      EXPECT_EQ(chain.back()->Text(), m->Text());
    }
    chain.push_back(m);
  }
  return chain;
}

// The cached length, when known, must agree with the text.
void ExpectText(const char* expected, const String& s) {
  EXPECT_STREQ(expected, s.Text());
  if (s.GetCachedLength() >= 0) {
    EXPECT_EQ(int(std::strlen(s.Text())), s.GetCachedLength());
  }
}

}  // namespace

TEST(StringTest, CapacitiesOfNewStringsAndFirstAppends) {
  String s;
  EXPECT_EQ(4, s.GetCapacity());
  EXPECT_EQ(0, s.Length());
  ExpectText("", s);
  s.Append("abc");
  EXPECT_EQ(4, s.GetCapacity());
  s.Append("de");
  EXPECT_EQ(20, s.GetCapacity());
  ExpectText("abcde", s);
  EXPECT_EQ(8, String("hello").GetCapacity());
  EXPECT_EQ(4, String('x').GetCapacity());
  EXPECT_EQ(1, String('x').Length());
}

TEST(StringTest, GrowthDoublesBelow16384AndAddsHalfAbove) {
  String s;
  std::vector<int> capacities{s.GetCapacity()};
  for (int i = 0; i < 36000; ++i) {
    s.Append('a');
    if (s.GetCapacity() != capacities.back()) capacities.push_back(s.GetCapacity());
  }
  // 12284 doubles (plus the rounding 4); 24572 is past 16384 and grows by half.
  std::vector<int> expected{4, 20, 44, 92, 188, 380, 764, 1532, 3068, 6140, 12284, 24572, 36860};
  EXPECT_EQ(expected, capacities);
  EXPECT_EQ(36000, s.Length());
}

TEST(StringTest, CopySharesUntilOneSideChanges) {
  String source("text");
  String copy(source);
  EXPECT_EQ(source.Text(), copy.Text());
  EXPECT_EQ(&copy, source.GetNextSharer());
  EXPECT_EQ(&source, copy.GetPreviousSharer());
  String second(source);  // joins directly after its source
  EXPECT_EQ((std::vector<const String*>{&source, &second, &copy}), ChainOf(copy));

  copy.Append("!");
  ExpectText("text!", copy);
  ExpectText("text", source);
  EXPECT_NE(source.Text(), copy.Text());
  EXPECT_EQ(nullptr, copy.GetPreviousSharer());
  EXPECT_EQ(nullptr, copy.GetNextSharer());
  EXPECT_EQ((std::vector<const String*>{&source, &second}), ChainOf(second));
}

TEST(StringTest, ChainOfThreeSurvivesEveryOrderOfDestruction) {
  int order[] = {0, 1, 2};
  do {
    String* members[3];
    members[0] = new String("shared");
    members[1] = members[0]->Clone();
    members[2] = members[1]->Clone();
    const char* buffer = members[0]->Text();
    ASSERT_EQ(3u, ChainOf(*members[0]).size());
    for (int k = 0; k < 3; ++k) {
      delete members[order[k]];
      members[order[k]] = nullptr;
      for (String* left : members) {
        if (left == nullptr) continue;
        EXPECT_EQ(buffer, left->Text());
        EXPECT_EQ(size_t(2 - k), ChainOf(*left).size());
      }
    }
  } while (std::next_permutation(order, order + 3));
}

TEST(StringTest, AssignToItselfOrToASharerChangesNothing) {
  String a("same");
  String b(a);
  String c(b);  // chain a, b, c
  const char* buffer = a.Text();
  a.Assign(a);
  c.Assign(a);  // would move c behind a if it re-joined
  EXPECT_EQ((std::vector<const String*>{&a, &b, &c}), ChainOf(a));
  EXPECT_EQ(buffer, c.Text());

  String other("other");
  b.Assign(other);
  EXPECT_EQ(other.Text(), b.Text());
  EXPECT_EQ((std::vector<const String*>{&a, &c}), ChainOf(a));
  c = "raw";
  ExpectText("raw", c);
  ExpectText("same", a);
}

TEST(StringTest, ReleasedStringReadsEmptyAndCanBeUsedAgain) {
  String a("kept");
  String b(a);
  b.Release();
  EXPECT_EQ(-1, b.GetCachedLength());
  EXPECT_EQ(0, b.GetCapacity());
  EXPECT_EQ(nullptr, a.GetNextSharer());
  ExpectText("kept", a);
  ExpectText("", b);
  EXPECT_EQ(0, b.Length());
  b.Append("new");
  ExpectText("new", b);
}

TEST(StringTest, ConstructionAndSubstringClampTheRange) {
  ExpectText("", String("abc", 4, 1));
  ExpectText("", String("abc", 1, -1));
  ExpectText("ab", String("abc", -5, 2));
  ExpectText("bc", String("abc", 1, 100));
  String s("abcdef");
  ExpectText("cdef", s.Substring(2, 100));
  ExpectText("", s.Substring(7, 1));
  ExpectText("ab", s.Substring(-1, 2));
  ExpectText("", s.Substring(1, -1));
  ExpectText("", String('\0'));
  ExpectText("", String(nullptr));
}

TEST(StringTest, RemovalsClampPositionsAndCounts) {
  String s("abcdef");
  String shared(s);
  s.Truncate(7);
  EXPECT_EQ(s.Text(), shared.Text());  // no change, still shared
  s.Erase(2, -1);
  s.Erase(7, 1);
  EXPECT_EQ(s.Text(), shared.Text());
  s.Erase(1, 2);
  ExpectText("adef", s);
  ExpectText("abcdef", shared);
  s.Erase(-3, 1);
  ExpectText("def", s);
  s.Erase(1, 50);
  ExpectText("d", s);

  String t("abcdef");
  t.RemoveFirst(2);
  t.RemoveLast(-1);
  t.RemoveLast(1);
  ExpectText("cde", t);
  t.RemoveLast(10);
  ExpectText("", t);
  String u("abc");
  u.Truncate(-2);
  ExpectText("", u);
}

TEST(StringTest, ChangingASharedStringGivesItFourMoreBytes) {
  String a("hello");
  String b(a);
  b.Truncate(2);
  EXPECT_EQ(12, b.GetCapacity());
  EXPECT_EQ(8, a.GetCapacity());
  ExpectText("he", b);
  ExpectText("hello", a);
}

TEST(StringTest, FindAndEndsWith) {
  String s("hello world");
  EXPECT_EQ(-1, s.Find('z'));
  EXPECT_EQ(-1, s.Find('\0'));
  EXPECT_EQ(4, s.Find('o'));
  EXPECT_EQ(7, s.Find("o", 5));
  EXPECT_EQ(4, s.Find("o", -3));
  EXPECT_EQ(11, s.Find("", 11));
  EXPECT_EQ(-1, s.Find("", 12));
  EXPECT_EQ(-1, s.Find("word"));

  EXPECT_TRUE(s.EndsWith(""));
  EXPECT_TRUE(s.EndsWith("world"));
  EXPECT_FALSE(s.EndsWith("World"));
  EXPECT_FALSE(s.EndsWith("say hello world"));
}

TEST(StringTest, FindIgnoreCaseTestsTheStartBeforeAnEmptyText) {
  EXPECT_EQ(-1, String("abc").FindIgnoreCase("", 50));
  EXPECT_EQ(0, String(std::string(60, 'x').c_str()).FindIgnoreCase("", 50));
  String s("Hello HELLO");
  EXPECT_EQ(0, s.FindIgnoreCase("hELLo", -2));
  EXPECT_EQ(6, s.FindIgnoreCase("hello", 1));
  EXPECT_EQ(-1, s.FindIgnoreCase("hello", 7));
  EXPECT_EQ(-1, String("\xC4").FindIgnoreCase("\xE4", 0));  // ASCII only
}

TEST(StringTest, ComparisonsAreUnsignedAndFoldToLowerCase) {
  EXPECT_GT(String::Compare("\x80", "a"), 0);
  EXPECT_LT(String::Compare("ab", "abc"), 0);
  EXPECT_EQ(0, String::Compare("abc", "abc"));
  EXPECT_EQ(0, String::CompareIgnoreCase("ABC", "abc"));
  // '[' lies between the capitals and the small letters: folding to upper case would
  // order it the other way.
  EXPECT_LT(String::CompareIgnoreCase("[", "A"), 0);
  EXPECT_NE(0, String::CompareIgnoreCase("\xC4", "\xE4"));
  EXPECT_EQ(0, String::Compare(nullptr, ""));
}

TEST(StringTest, TrimStripsExactlyTheFiveWhiteCharacters) {
  String s(" \tx \f");
  s.Trim();
  ExpectText("x", s);
  String vertical("\vx ");
  vertical.Trim();
  ExpectText("\vx", vertical);
  String blank("   ");
  blank.Trim();
  EXPECT_EQ(0, blank.GetCachedLength());
  ExpectText("", blank);

  String clean("x y");
  String sharer(clean);
  sharer.Trim();
  EXPECT_EQ(clean.Text(), sharer.Text());
}

TEST(StringTest, ToLowerFoldsLatin1CapitalsButNotTheMultiplicationSign) {
  String s("AZ[@\xC0\xC4\xD7\xDE\xDF");
  String sharer(s);
  s.ToLower();
  ExpectText("az[@\xE0\xE4\xD7\xFE\xDF", s);
  ExpectText("AZ[@\xC0\xC4\xD7\xDE\xDF", sharer);
}

TEST(StringTest, AppendNumberLeavesTheLengthToBeMeasured) {
  String s("n=");
  s.AppendNumber(INT_MIN);
  EXPECT_EQ(-1, s.GetCachedLength());
  EXPECT_EQ(13, s.Length());
  ExpectText("n=-2147483648", s);
  s.AppendNumber(7);
  ExpectText("n=-21474836487", s);
}

TEST(StringTest, AppendAndAssignAcceptTheirOwnText) {
  String s("abcd");  // capacity 8: appending its own text moves the buffer
  s.Append(s.Text());
  ExpectText("abcdabcd", s);
  s.Append(s.Text() + 6);
  ExpectText("abcdabcdcd", s);
  s.Assign(s.Text() + 4);
  ExpectText("abcdcd", s);
  s.Append('\0');
  ExpectText("abcdcd", s);
  s.Append(nullptr);
  ExpectText("abcdcd", s);
}

TEST(StringTest, ReserveKeepsTheStringValid) {
  String a("hello");
  String b(a);
  b.Reserve(2, true);  // cut to what fits
  ExpectText("he", b);
  EXPECT_EQ(2, b.Length());
  String c(a);
  c.Reserve(10, false);
  ExpectText("", c);
  ExpectText("hello", a);

  const char* buffer = a.Text();
  EXPECT_THROW(a.Reserve(INT_MAX, false), EOutOfMemory);
  EXPECT_EQ(buffer, a.Text());
  EXPECT_EQ(8, a.GetCapacity());
}

TEST(StringTest, FormatDoublesItsBufferUntilTheResultFits) {
  String s;
  String sharer(s);
  std::string hundred(100, 'z');
  s.Format("%s", hundred.c_str());  // first guess 2 bytes; 4 -> 20 -> 44 -> 92 -> 188
  EXPECT_EQ(188, s.GetCapacity());
  EXPECT_EQ(-1, s.GetCachedLength());
  ExpectText(hundred.c_str(), s);
  ExpectText("", sharer);
  s.Format("%d-%s", 42, "x");
  ExpectText("42-x", s);
  EXPECT_EQ(188, s.GetCapacity());
}

TEST(StringTest, FormatBeyond512MiBThrowsAndEmptiesTheText) {
  String s("previous");
  try {
    s.Format("%600000000s", "");
    FAIL() << "no exception";
  } catch (const EIllegalArgument& e) {
    EXPECT_STREQ("Formatted string requires too much space (>512MB)", e.GetMessage());
    EXPECT_STREQ("toolbox::String::FormatFromVargs", e.GetLocation());
    EXPECT_EQ(1147, e.GetLine());
  }
  ExpectText("", s);
  EXPECT_EQ(0, s.Length());
}

TEST(StringTest, FormatIntoABufferAlreadyPastTheLimitSucceeds) {
  String s;
  s.Reserve(536870912, false);
  s.Format("%d", 7);
  ExpectText("7", s);
}
