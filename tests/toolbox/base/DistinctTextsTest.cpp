#include "toolbox/base/DistinctTexts.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

using toolbox::DistinctTexts;

namespace {

enum class Op { use, release, drop, forget };

struct Step {
  Op op;
  std::string text;
};

// Every one of count texts used, then released: a list emptied of them.
std::vector<Step> UsedAndReleased(int count) {
  std::vector<Step> steps;
  for (int i = 0; i < count; ++i) steps.push_back({Op::use, "Item " + std::to_string(i)});
  for (int i = 0; i < count; ++i) steps.push_back({Op::release, "Item " + std::to_string(i)});
  return steps;
}

// A list's cells use and release texts and the store drops the unused ones or forgets the
// widths: each use finds the id expected, the text's bytes, and the width measured of it
// while it was stored, never one of a text that held the id before.
TEST(DistinctTextsTest, StoresEachTextOnceUntilItIsDroppedUnused) {
  const struct {
    const char* title;
    std::vector<Step> steps;
    std::vector<int> ids;  // found by the uses; not checked when empty
    bool manyUnused;       // at the end
  } rows[] = {
      {"the empty text is there from the start", {{Op::use, ""}, {Op::use, "Socks"}, {Op::use, ""}}, {0, 1, 0}, false},
      {"equal texts share one id", {{Op::use, "Socks"}, {Op::use, "Tent"}, {Op::use, "Socks"}}, {1, 2, 1}, false},
      {"a released text stays for a rebuild",
       {{Op::use, "Socks"}, {Op::release, "Socks"}, {Op::use, "Tent"}, {Op::use, "Socks"}}, {1, 2, 1}, false},
      {"a drop keeps the texts shown and gives the others' ids again",
       {{Op::use, "Socks"}, {Op::use, "Tent"}, {Op::use, "Map"}, {Op::release, "Socks"}, {Op::drop, ""},
        {Op::use, "Lamp"}, {Op::use, "Map"}, {Op::use, "Tent"}},
       {1, 2, 3, 1, 3, 2}, false},
      {"widths forgotten", {{Op::use, "Socks"}, {Op::forget, ""}, {Op::use, "Socks"}}, {1, 1}, false},
      // Beside the empty text, always shown: 1024 unused texts are a few, and 2 more for it.
      {"unused texts more than a few", UsedAndReleased(1027), {}, true},
      {"unused texts no more than a few", UsedAndReleased(1026), {}, false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.title);
    DistinctTexts store;
    std::map<std::string, int> uses;
    std::map<std::string, int> measured;  // the width kept with each text stored
    std::vector<int> ids;
    for (const Step& step : row.steps) {
      if (step.op == Op::release) {
        store.Release(store.FindOrAdd(step.text));
        --uses[step.text];
      } else if (step.op == Op::drop) {
        store.DropUnused();
        std::erase_if(measured, [&](const auto& text) { return !text.first.empty() && uses[text.first] == 0; });
      } else if (step.op == Op::forget) {
        store.ForgetWidths();
        measured.clear();
      } else {
        const int id = store.FindOrAdd(step.text);
        store.Use(id);
        ++uses[step.text];
        ids.push_back(id);
        ASSERT_EQ(store.Bytes(id), step.text);
        const auto known = measured.find(step.text);
        ASSERT_EQ(store.WidthsOf(id).bound, known != measured.end() ? known->second : DistinctTexts::kUnknown);
        store.WidthsOf(id).bound = measured[step.text] = static_cast<int>(step.text.size());
      }
    }
    if (!row.ids.empty()) {
      EXPECT_EQ(ids, row.ids);
    }
    EXPECT_EQ(store.ManyUnused(), row.manyUnused);
  }
}

}  // namespace
