#include "rename/name_index.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace namitra::rename {
namespace {

TEST(NameIndex, KeepsTheFirstValueOfAKeyAndGrowsPastItsEstimate) {
  std::vector<std::string> keys;
  for (int k = 0; k < 3000; ++k) keys.push_back("/d/name" + std::to_string(k % 1000));
  NameIndex index(4);
  for (std::size_t k = 0; k < keys.size(); ++k) EXPECT_EQ(index.insert(keys[k], k), k % 1000);
  EXPECT_EQ(index.size(), 1000u);
  for (std::size_t k = 0; k < 1000; ++k) ASSERT_EQ(index.find(keys[k]), k);
  EXPECT_EQ(index.find("/d/name1000"), NameIndex::npos);
  EXPECT_EQ(index.find(""), NameIndex::npos);
  EXPECT_EQ(index.insert("", 7), 7u) << "the empty key is a key like any other";
  EXPECT_EQ(index.find(""), 7u);
}

}  // namespace
}  // namespace namitra::rename
