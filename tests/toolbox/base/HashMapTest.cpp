#include "toolbox/base/HashMap.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "toolbox/base/Exception.h"
#include "toolbox/base/PointeredList.h"
#include "toolbox/base/StringKeyHashMap.h"

using namespace toolbox;

namespace {

// A value that counts how often each id is deleted.
struct Value {
  Value(int id, std::map<int, int>* deletions) : id(id), deletions(deletions) {}
  ~Value() { ++(*deletions)[id]; }
  int id;
  std::map<int, int>* deletions;
};

std::vector<std::string> KeyTexts(const HashMap<Value>& map) {
  std::vector<std::string> texts;
  std::unique_ptr<PointeredList> keys = map.Keys();
  for (PointeredListItem* item = keys->GetHead(); item != nullptr; item = item->GetNext()) {
    texts.push_back(static_cast<const char*>(item->GetPayload()));
  }
  return texts;
}

std::string KeyName(int i) { return "key" + std::to_string(i); }

// Puts the keys key0 .. key<n-1> with values of the same ids, recording the bucket count
// after each Put.
std::vector<int> PutKeys(StringKeyHashMap<Value>& map, int from, int to,
                         std::map<int, int>* deletions) {
  std::vector<int> buckets;
  for (int i = from; i < to; ++i) {
    map.Put(KeyName(i).c_str(), new Value(i, deletions));
    buckets.push_back(map.GetBucketCount());
  }
  return buckets;
}

}  // namespace

TEST(HashMapTest, TextHashWeighsSignedBytesByPositionParity) {
  EXPECT_EQ(HashText("Root"), 3712u);
  EXPECT_EQ(HashText("ab"), 1753u);
  EXPECT_EQ(HashText(""), 0u);
  EXPECT_EQ(HashText("\xE9"), 4294967043u);
}

TEST(HashMapTest, TextHashSamplesLongKeysByPosition) {
  // Up to 31 bytes every byte counts; from 32 on every (length / 16)-th byte, and the weight
  // follows the position in the text, not the number of the sample.
  EXPECT_EQ(HashText(std::string(31, 'a').c_str()), (16 * 11 + 15 * 7) * 97u);
  std::string sampled(32, 'a');
  EXPECT_EQ(HashText(sampled.c_str()), 16 * 11 * 97u);
  sampled[1] = 'z';
  sampled[31] = 'z';
  EXPECT_EQ(HashText(sampled.c_str()), 16 * 11 * 97u);
  sampled[30] = 'b';
  EXPECT_EQ(HashText(sampled.c_str()), 16 * 11 * 97u + 11);
}

TEST(HashMapTest, SeventeenthKeyGrowsTableTo34AndThirtyFifthTo70Buckets) {
  std::map<int, int> deletions;
  StringKeyHashMap<Value> map;
  EXPECT_EQ(map.GetBucketCount(), 16);
  std::vector<int> buckets = PutKeys(map, 0, 35, &deletions);
  for (int i = 0; i < 35; ++i) {
    int expected = i < 16 ? 16 : i < 34 ? 34 : 70;
    EXPECT_EQ(buckets[i], expected) << "after key " << i + 1;
  }
  EXPECT_EQ(map.GetCount(), 35);
  for (int i = 0; i < 35; ++i) {
    Value* value = map.Get(KeyName(i).c_str());
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->id, i);
  }

  // Every entry moved with the table, and the keys come out in bucket order.
  std::vector<std::string> keys = KeyTexts(map);
  ASSERT_EQ(keys.size(), 35u);
  for (std::size_t k = 1; k < keys.size(); ++k) {
    EXPECT_LE(HashText(keys[k - 1].c_str()) % 70, HashText(keys[k].c_str()) % 70);
  }
}

TEST(HashMapTest, RemoveNeverShrinksButTheNextPutDoes) {
  std::map<int, int> deletions;
  StringKeyHashMap<Value> map;
  PutKeys(map, 0, 35, &deletions);
  for (int i = 10; i < 35; ++i) {
    Value* value = map.Remove(KeyName(i).c_str());
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->id, i);
    delete value;
  }
  EXPECT_EQ(map.GetCount(), 10);
  EXPECT_EQ(map.GetBucketCount(), 70);
  PutKeys(map, 100, 101, &deletions);
  EXPECT_EQ(map.GetBucketCount(), 22);
  EXPECT_EQ(map.GetCount(), 11);
  for (int i = 0; i < 10; ++i) EXPECT_NE(map.Get(KeyName(i).c_str()), nullptr);
  EXPECT_EQ(map.Get(KeyName(20).c_str()), nullptr);
}

TEST(HashMapTest, EmptyingReturnsToTheMinimumAndOnlyRemoveAndDeleteAllDeletes) {
  std::map<int, int> deletions;
  StringKeyHashMap<Value> map;
  PutKeys(map, 0, 40, &deletions);
  std::vector<Value*> handedBack;
  for (int i = 0; i < 40; ++i) handedBack.push_back(map.Get(KeyName(i).c_str()));
  map.RemoveAll();
  EXPECT_EQ(map.GetCount(), 0);
  EXPECT_EQ(map.GetBucketCount(), 16);
  EXPECT_TRUE(deletions.empty());
  EXPECT_EQ(map.Get(KeyName(3).c_str()), nullptr);
  for (Value* value : handedBack) delete value;

  deletions.clear();
  PutKeys(map, 0, 40, &deletions);
  EXPECT_EQ(map.GetBucketCount(), 70);
  map.RemoveAndDeleteAll();
  EXPECT_EQ(map.GetCount(), 0);
  EXPECT_EQ(map.GetBucketCount(), 16);
  EXPECT_EQ(deletions.size(), 40u);
  std::unique_ptr<PointeredList> keys = map.Keys();
  EXPECT_EQ(keys->GetCount(), 0);
}

TEST(HashMapTest, PutUnderAnExistingKeyReplacesTheValueInPlace) {
  std::map<int, int> deletions;
  StringKeyHashMap<Value> map;
  // "k" and "ab" share bucket 9 of 16, "Root" is in bucket 0.
  map.Put("k", new Value(1, &deletions));
  map.Put("Root", new Value(2, &deletions));
  map.Put("ab", new Value(3, &deletions));
  EXPECT_EQ(KeyTexts(map), (std::vector<std::string>{"Root", "k", "ab"}));

  map.Put("k", new Value(4, &deletions));
  EXPECT_EQ(deletions, (std::map<int, int>{{1, 1}}));
  EXPECT_EQ(map.GetCount(), 3);
  EXPECT_EQ(map.Get("k")->id, 4);
  EXPECT_EQ(KeyTexts(map), (std::vector<std::string>{"Root", "k", "ab"}));

  // The very value already stored must survive being stored again.
  Value* same = map.Get("ab");
  map.Put("ab", same);
  EXPECT_EQ(map.Get("ab"), same);
  EXPECT_EQ(deletions.count(3), 0u);
}

TEST(HashMapTest, KeysAreCopiedAndComparedWithCaseCounting) {
  std::map<int, int> deletions;
  StringKeyHashMap<Value> map;
  char buffer[8] = "Root";
  map.Put(buffer, new Value(1, &deletions));
  map.Put("root", new Value(2, &deletions));
  std::strcpy(buffer, "Leaf");
  EXPECT_EQ(map.GetCount(), 2);
  EXPECT_EQ(map.Get("Root")->id, 1);
  EXPECT_EQ(map.Get("root")->id, 2);
  EXPECT_EQ(map.Get("ROOT"), nullptr);
  EXPECT_EQ(map.Get("Leaf"), nullptr);

  std::unique_ptr<PointeredList> keys = map.Keys();
  for (PointeredListItem* item = keys->GetHead(); item != nullptr; item = item->GetNext()) {
    EXPECT_NE(item->GetPayload(), static_cast<void*>(buffer));
  }
}

TEST(HashMapTest, MissingKeysAreNotErrors) {
  std::map<int, int> deletions;
  StringKeyHashMap<Value> map;
  EXPECT_EQ(map.Get("absent"), nullptr);
  EXPECT_EQ(map.Remove("absent"), nullptr);
  map.RemoveAndDelete("absent");
  map.Put("k", new Value(1, &deletions));
  EXPECT_EQ(map.Get("ab"), nullptr);  // same bucket, other key
  EXPECT_EQ(map.Remove("ab"), nullptr);
  EXPECT_EQ(map.GetCount(), 1);
  EXPECT_TRUE(deletions.empty());
}

TEST(HashMapTest, NullTextKeyIsRefusedOnPutAndAbsentOtherwise) {
  std::map<int, int> deletions;
  StringKeyHashMap<Value> map;
  Value value(1, &deletions);
  EXPECT_THROW(map.Put(nullptr, &value), EIllegalArgument);
  EXPECT_EQ(map.GetCount(), 0);
  EXPECT_EQ(map.Get(nullptr), nullptr);
  EXPECT_EQ(map.Remove(nullptr), nullptr);
}

TEST(HashMapTest, EveryValueIsDeletedExactlyOnce) {
  std::map<int, int> deletions;
  {
    StringKeyHashMap<Value> map;
    PutKeys(map, 0, 50, &deletions);
    for (int i = 0; i < 10; ++i) map.Put(KeyName(i).c_str(), new Value(100 + i, &deletions));
    for (int i = 10; i < 20; ++i) map.RemoveAndDelete(KeyName(i).c_str());
    for (int i = 20; i < 45; ++i) delete map.Remove(KeyName(i).c_str());
    map.Put("late", new Value(200, &deletions));
    EXPECT_EQ(map.GetCount(), 16);
  }
  EXPECT_EQ(deletions.size(), 61u);
  for (auto [id, times] : deletions) EXPECT_EQ(times, 1) << "value " << id;
}

TEST(HashMapTest, AddressKeyedMapTellsEqualTextsApart) {
  std::map<int, int> deletions;
  char first[] = "same";
  char second[] = "same";
  {
    HashMap<Value> map;
    map.Put(first, new Value(1, &deletions));
    map.Put(second, new Value(2, &deletions));
    EXPECT_EQ(map.GetCount(), 2);
    EXPECT_EQ(map.Get(first)->id, 1);
    EXPECT_EQ(map.Get(second)->id, 2);
    std::unique_ptr<PointeredList> keys = map.Keys();
    for (PointeredListItem* item = keys->GetHead(); item != nullptr; item = item->GetNext()) {
      EXPECT_TRUE(item->GetPayload() == first || item->GetPayload() == second);
    }
    map.RemoveAndDelete(first);
    EXPECT_EQ(map.Get(first), nullptr);
  }
  EXPECT_EQ(deletions, (std::map<int, int>{{1, 1}, {2, 1}}));
}

TEST(HashMapTest, ConstructionRepairsMinimumAndTarget) {
  std::map<int, int> deletions;
  StringKeyHashMap<Value> repaired(0, 5);
  EXPECT_EQ(repaired.GetBucketCount(), 16);
  std::vector<int> buckets = PutKeys(repaired, 0, 17, &deletions);
  EXPECT_EQ(buckets[15], 16);
  EXPECT_EQ(buckets[16], 34);

  // Four buckets filled to 100 %: the ninth key passes 200 % and grows the table to 9.
  StringKeyHashMap<Value> small(4, 100);
  EXPECT_EQ(small.GetBucketCount(), 4);
  buckets = PutKeys(small, 0, 9, &deletions);
  EXPECT_EQ(buckets[7], 4);
  EXPECT_EQ(buckets[8], 9);
  small.RemoveAndDeleteAll();
  EXPECT_EQ(small.GetBucketCount(), 4);
}
