#include "rename/name_index.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace namitra::rename {
namespace {

// The index over a vector of keys, as the rename run uses it over its rows.
struct Keys {
  std::vector<std::string> keys;
  std::uint64_t (*hash)(std::string_view) = hashText;

  std::uint32_t insert(NameIndex& index, std::uint32_t row) const {
    return index.insert(hash(keys[row]), row, [&](std::uint32_t r) { return keys[r] == keys[row]; });
  }
  std::uint32_t find(const NameIndex& index, const std::string& key) const {
    return index.find(hash(key), [&](std::uint32_t r) { return keys[r] == key; });
  }
};

TEST(NameIndex, KeepsTheFirstRowOfAKeyAndGrowsPastItsEstimate) {
  Keys keys;
  for (int k = 0; k < 3000; ++k) keys.keys.push_back("/d/name" + std::to_string(k % 1000));
  keys.keys.push_back("");
  for (std::uint64_t (*hash)(std::string_view) : {hashText, +[](std::string_view) -> std::uint64_t { return 7; }}) {
    keys.hash = hash;  // the second hash puts every key in one chain: only the keys tell them apart
    NameIndex index(4);
    for (std::uint32_t k = 0; k < 3000; ++k) ASSERT_EQ(keys.insert(index, k), k % 1000);
    EXPECT_EQ(index.size(), 1000u);
    for (std::uint32_t k = 0; k < 1000; ++k) ASSERT_EQ(keys.find(index, keys.keys[k]), k);
    EXPECT_EQ(keys.find(index, "/d/name1000"), NameIndex::npos);
    EXPECT_EQ(keys.find(index, ""), NameIndex::npos);
    EXPECT_EQ(keys.insert(index, 3000), 3000u) << "the empty key is a key like any other";
    EXPECT_EQ(keys.find(index, ""), 3000u);

    index.reset(10);
    EXPECT_EQ(index.size(), 0u);
    EXPECT_EQ(keys.find(index, keys.keys[5]), NameIndex::npos) << "reset forgets every row";
    EXPECT_EQ(keys.insert(index, 5), 5u);
  }
}

}  // namespace
}  // namespace namitra::rename
