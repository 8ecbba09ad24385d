#include "rename/name_index.h"

#include <functional>

namespace namitra::rename {

std::size_t NameIndex::capacityFor(std::size_t count) {
  std::size_t capacity = 16;
  while (capacity < 2 * count) capacity *= 2;
  return capacity;
}

// The slot holding `key`, or the empty slot where it would go.
std::size_t NameIndex::slotOf(std::string_view key, std::size_t hash) const {
  const std::size_t mask = m_slots.size() - 1;
  for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
    const Slot& s = m_slots[slot];
    if (s.value == npos || (s.hash == hash && s.key == key)) return slot;
  }
}

std::size_t NameIndex::insert(std::string_view key, std::size_t value) {
  if (2 * (m_size + 1) > m_slots.size()) grow();
  const std::size_t hash = std::hash<std::string_view>{}(key);
  Slot& slot = m_slots[slotOf(key, hash)];
  if (slot.value != npos) return slot.value;
  slot = {key, hash, value};
  ++m_size;
  return value;
}

std::size_t NameIndex::find(std::string_view key) const {
  const std::size_t hash = std::hash<std::string_view>{}(key);
  return m_slots[slotOf(key, hash)].value;
}

void NameIndex::grow() {
  std::vector<Slot> old = std::move(m_slots);
  m_slots.assign(old.size() * 2, Slot{});
  for (const Slot& slot : old) {
    if (slot.value != npos) m_slots[slotOf(slot.key, slot.hash)] = slot;
  }
}

}  // namespace namitra::rename
