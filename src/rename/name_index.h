// A flat index from strings to numbers, for the lookups of a rename run over 100,000 paths.
//
// The rename run looks every planned path, every source and every directory entry up once or
// twice; a node-based hash map spends more time allocating and chasing nodes than the lookups
// are worth. This index keeps open-addressed slots (linear probing, a power-of-two table kept
// at most half full) holding the key's view, its hash and its number: no allocation per entry.
// The index does not own its keys: they must outlive it unchanged.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace namitra::rename {

class NameIndex {
 public:
  static constexpr std::size_t npos = static_cast<std::size_t>(-1);

  explicit NameIndex(std::size_t expected = 0) { m_slots.resize(capacityFor(expected)); }

  // Adds `key` with `value` when the key is new; returns the value the key has now (the
  // earlier one when it was there already).
  std::size_t insert(std::string_view key, std::size_t value);
  // The value of `key`, or npos.
  std::size_t find(std::string_view key) const;
  bool contains(std::string_view key) const { return find(key) != npos; }
  std::size_t size() const { return m_size; }

 private:
  struct Slot {
    std::string_view key;
    std::size_t hash = 0;
    std::size_t value = npos;  // npos marks an empty slot
  };

  static std::size_t capacityFor(std::size_t count);
  std::size_t slotOf(std::string_view key, std::size_t hash) const;
  void grow();

  std::vector<Slot> m_slots;
  std::size_t m_size = 0;
};

}  // namespace namitra::rename
