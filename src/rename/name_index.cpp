#include "rename/name_index.h"

#include <functional>

namespace namitra::rename {

namespace {

std::size_t capacityFor(std::size_t count) {
  std::size_t capacity = 16;
  while (capacity < 2 * count) capacity *= 2;
  return capacity;
}

// The finaliser of splitmix64: every bit of the input moves every bit of the result.
std::uint64_t mix(std::uint64_t x) {
  x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
  x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
  return x ^ (x >> 31);
}

}  // namespace

void NameIndex::reset(std::size_t expected) {
  const std::size_t capacity = capacityFor(expected);
  if (m_slots.size() >= capacity)
    m_slots.assign(m_slots.size(), Slot{});
  else
    m_slots.assign(capacity, Slot{});
  m_size = 0;
}

// Rehashing needs no keys: the slot of a key depends only on its stored hash.
void NameIndex::grow() {
  std::vector<Slot> old = std::move(m_slots);
  m_slots.assign(old.size() * 2, Slot{});
  const std::size_t mask = m_slots.size() - 1;
  for (const Slot& slot : old) {
    if (slot.row == npos) continue;
    std::size_t at = slot.hash & mask;
    while (m_slots[at].row != npos) at = (at + 1) & mask;
    m_slots[at] = slot;
  }
}

std::uint64_t hashText(std::string_view text) { return mix(std::hash<std::string_view>{}(text)); }

std::uint64_t hashInFolder(std::uint32_t folder, std::string_view name) {
  return mix(std::hash<std::string_view>{}(name) + 0x9e3779b97f4a7c15ULL * (folder + 1ULL));
}

}  // namespace namitra::rename
