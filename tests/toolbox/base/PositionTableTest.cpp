#include "toolbox/base/PositionTable.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>

using toolbox::PositionTable;

// Every position put is found by its hash and its entry, through runs of equal hashes, runs
// that wrap at the end of the table and growth past the room made; a table of the kept
// positions finds those and no others.
TEST(PositionTableTest, FindsEveryPositionPutThroughCollisionsGrowthAndKeeping) {
  const struct {
    const char* what;
    std::size_t room;
    int count;
    std::function<std::uint32_t(int)> hash;
  } rows[] = {
      {"one hash for all", 0, 40, [](int) { return 7u; }},
      {"hashes at the end of the table", 0, 40, [](int i) { return 0xFFFFFFFFu - std::uint32_t(i % 3); }},
      {"growth far past the room", 4, 1000, [](int i) { return std::uint32_t(i) * 2654435761u; }},
      {"room made first", 1000, 1000, [](int i) { return std::uint32_t(i) * 2654435761u; }},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    PositionTable table(row.room);
    for (int i = 0; i < row.count; ++i) table.Put(row.hash(i), i);
    const PositionTable even = table.Keeping([](int position) { return position % 2 == 0; });
    for (int i = 0; i < row.count; ++i) {
      const auto is = [i](int position) { return position == i; };
      ASSERT_EQ(table.Find(row.hash(i), is), i);
      ASSERT_EQ(even.Find(row.hash(i), is), i % 2 == 0 ? i : -1);
    }
    EXPECT_EQ(table.Find(row.hash(0), [](int) { return false; }), -1);
  }
}
