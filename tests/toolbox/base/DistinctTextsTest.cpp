#include "toolbox/base/DistinctTexts.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

using toolbox::DistinctTexts;

namespace {

enum class Op { use, release, drop };

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

// A list's cells use and release texts and the store drops the unused ones: each use finds
// the id expected and the text's bytes, and an id with its generation stands for one text
// only, however often the id goes to another text.
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
      {"an id given again twice",
       {{Op::use, "Socks"}, {Op::release, "Socks"}, {Op::drop, ""}, {Op::use, "Tent"}, {Op::release, "Tent"},
        {Op::drop, ""}, {Op::use, "Socks"}},
       {1, 1, 1}, false},
      // Beside the empty text, always shown: 1024 unused texts are a few, and 2 more for it.
      {"unused texts more than a few", UsedAndReleased(1027), {}, true},
      {"unused texts no more than a few", UsedAndReleased(1026), {}, false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.title);
    DistinctTexts store;
    std::map<std::pair<int, std::uint32_t>, std::string> held;  // by id and generation
    std::vector<int> ids;
    for (const Step& step : row.steps) {
      if (step.op == Op::release) {
        store.Release(store.FindOrAdd(step.text));
      } else if (step.op == Op::drop) {
        store.DropUnused();
      } else {
        const int id = store.FindOrAdd(step.text);
        store.Use(id);
        ids.push_back(id);
        ASSERT_EQ(store.Bytes(id), step.text);
        ASSERT_LT(id, store.IdLimit());
        const auto [holder, first] = held.try_emplace({id, store.Generation(id)}, step.text);
        ASSERT_EQ(holder->second, step.text) << "id " << id << " generation " << store.Generation(id);
      }
    }
    if (!row.ids.empty()) {
      EXPECT_EQ(ids, row.ids);
    }
    EXPECT_EQ(store.ManyUnused(), row.manyUnused);
  }
}

}  // namespace
