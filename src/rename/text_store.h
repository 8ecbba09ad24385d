// Text kept in large blocks: the many short names of a rename run and of the change history.
//
// A std::string per name costs an allocation and, past 15 bytes, a heap block of its own; over
// 100,000 names that memory, touched for the first time, costs more than the names are worth.
// The store copies each text into the end of a 64 KiB block (a text longer than that gets a
// block of its own) and hands out a view. Blocks are never moved or given back before clear(),
// so a view stays valid, unchanged, for the life of the store however much is added after it.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

namespace namitra::rename {

class TextStore {
 public:
  // A view of the stored copy of `text` (an empty view for an empty text).
  std::string_view add(std::string_view text) {
    if (text.empty()) return {};
    if (text.size() > m_free) startBlock(text.size());
    char* copy = m_next;
    std::memcpy(copy, text.data(), text.size());
    m_next += text.size();
    m_free -= text.size();
    m_size += text.size();
    return {copy, text.size()};
  }

  // The bytes of every text added since the store was made or cleared.
  std::size_t size() const { return m_size; }

  void clear() {
    m_blocks.clear();
    m_next = nullptr;
    m_free = 0;
    m_size = 0;
  }

 private:
  static constexpr std::size_t kBlockSize = 64 * 1024;

  void startBlock(std::size_t atLeast) {
    const std::size_t size = std::max(kBlockSize, atLeast);
    // Not value-initialised: a page of the block is touched only when a text is written to it.
    m_blocks.push_back(std::make_unique_for_overwrite<char[]>(size));
    m_next = m_blocks.back().get();
    m_free = size;
  }

  std::vector<std::unique_ptr<char[]>> m_blocks;
  char* m_next = nullptr;
  std::size_t m_free = 0;
  std::size_t m_size = 0;
};

}  // namespace namitra::rename
