// A flat index of row numbers under hashed keys, for the lookups of a rename run over 100,000
// rows.
//
// The rename run looks every planned path, every source and every directory entry up once or
// twice; a node-based hash map spends more time allocating and chasing nodes than the lookups
// are worth. This index keeps open-addressed slots (linear probing, a power-of-two table kept at
// most half full) of 8 bytes each: 32 bits of the key's hash and the row number. It keeps no
// keys: the caller tells it whether a row's key equals the one looked up, so a key made of
// pieces (a folder and a name) is never joined into a string of its own.
#pragma once

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace namitra::rename {

class NameIndex {
 public:
  static constexpr std::uint32_t npos = UINT32_MAX;

  explicit NameIndex(std::size_t expected = 0) { reset(expected); }

  // Empties the index for about `expected` keys; the table is kept when it is large enough.
  void reset(std::size_t expected);

  // Adds `row` under `hash` unless a row with an equal key is there already (`sameKey(row)`
  // says whether the key of an indexed row equals the new one). Returns the row the key has
  // now: the earlier one, or `row`.
  template <class SameKey>
  std::uint32_t insert(std::uint64_t hash, std::uint32_t row, SameKey&& sameKey) {
    assert(row != npos && "npos marks an empty slot");
    if (2 * (m_size + 1) > m_slots.size()) grow();
    Slot& slot = m_slots[slotOf(fold(hash), sameKey)];
    if (slot.row != npos) return slot.row;
    slot = {fold(hash), row};
    ++m_size;
    return row;
  }

  // The row whose key equals the one looked up, or npos.
  template <class SameKey>
  std::uint32_t find(std::uint64_t hash, SameKey&& sameKey) const {
    return m_slots[slotOf(fold(hash), sameKey)].row;
  }

  std::size_t size() const { return m_size; }

 private:
  struct Slot {
    std::uint32_t hash = 0;
    std::uint32_t row = npos;
  };

  static std::uint32_t fold(std::uint64_t hash) { return static_cast<std::uint32_t>(hash ^ (hash >> 32)); }

  // The slot holding the key, or the empty slot where it would go.
  template <class SameKey>
  std::size_t slotOf(std::uint32_t hash, SameKey& sameKey) const {
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
      const Slot& s = m_slots[slot];
      if (s.row == npos || (s.hash == hash && sameKey(s.row))) return slot;
    }
  }

  void grow();

  std::vector<Slot> m_slots;
  std::size_t m_size = 0;
};

// The hashes the rename run indexes by: of a whole text, and of a name in a numbered folder.
std::uint64_t hashText(std::string_view text);
std::uint64_t hashInFolder(std::uint32_t folder, std::string_view name);

}  // namespace namitra::rename
