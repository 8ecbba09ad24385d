// Slots 0-1879 are the codes of the user-defined area in code order (F040-F07E, F080-F0FC,
// F140, ...). The way in looks a character up in the plain code table first, so a name made of
// ASCII and code page 932 characters costs no hash look-up at all.
#include "platform/name_codec.h"

#include <cassert>
#include <charconv>
#include <cstdio>

#include "platform/stored_file_error.h"
#include "platform/text_file.h"
#include "sjis/char.h"
#include "sjis/code_table.h"
#include "sjis/utf8.h"

namespace namitra::platform {

namespace {

using sjis::CharCode;

constexpr unsigned kFirstLead = 0xF0;
constexpr unsigned kLastLead = 0xF9;
constexpr unsigned kTrailsPerLead = 188;  // 0x40-0x7E and 0x80-0xFC
constexpr unsigned kLowTrails = 63;       // 0x40-0x7E
constexpr char32_t kReplacementChar = 0xFFFD;

CharCode codeOfSlot(std::size_t slot) {
  assert(slot < NameCodec::capacity && "slot out of the user-defined area");
  const unsigned lead = kFirstLead + static_cast<unsigned>(slot / kTrailsPerLead);
  const unsigned index = static_cast<unsigned>(slot % kTrailsPerLead);
  const unsigned trail = index < kLowTrails ? 0x40 + index : 0x80 + (index - kLowTrails);
  return static_cast<CharCode>(lead << 8 | trail);
}

std::optional<std::size_t> slotOfCode(CharCode code) {
  const unsigned lead = code >> 8;
  const unsigned char trail = static_cast<unsigned char>(code & 0xFF);
  if (lead < kFirstLead || lead > kLastLead || !sjis::isTrailByte(trail)) return std::nullopt;
  const unsigned index = trail <= 0x7E ? trail - 0x40u : trail - 0x80u + kLowTrails;
  return (lead - kFirstLead) * kTrailsPerLead + index;
}

bool isScalarValue(char32_t c) { return c <= 0x10FFFF && !(c >= 0xD800 && c <= 0xDFFF); }

template <typename Number>
bool parseHex(std::string_view text, Number& out) {
  if (text.empty()) return false;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), out, 16);
  return result.ec == std::errc() && result.ptr == text.data() + text.size();
}

std::string hex(unsigned value, int digits) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%0*X", digits, value);
  return buffer;
}

}  // namespace

NameCodec::NameCodec() { m_slotOfByte.fill(-1); }

NameCodec::NameCodec(std::filesystem::path tableFile) : m_tableFile(std::move(tableFile)) {
  m_slotOfByte.fill(-1);
  load();
}

std::optional<std::string> NameCodec::toInternal(std::string_view text) {
  if (sjis::isAscii(text)) return std::string(text);
  std::string out;
  out.reserve(text.size());
  std::size_t pos = 0;
  while (pos < text.size()) {
    const unsigned char first = static_cast<unsigned char>(text[pos]);
    const char32_t c = sjis::decodeUtf8(text, pos);
    std::optional<std::size_t> slot;
    if (c == sjis::kInvalidUtf8) {
      slot = slotForRawByte(first);
    } else if (auto code = sjis::encodeChar(c); code && !slotOfCode(*code)) {
      sjis::appendCode(out, *code);
      continue;
    } else {
      slot = slotForCharacter(c);
    }
    if (!slot) return std::nullopt;
    sjis::appendCode(out, codeOfSlot(*slot));
  }
  return out;
}

std::optional<std::size_t> NameCodec::slotForCharacter(char32_t c) {
  if (auto found = m_slotOfCharacter.find(c); found != m_slotOfCharacter.end()) return found->second;
  // A private-use character of the area keeps its plain code while that is free.
  if (auto code = sjis::encodeChar(c)) {
    if (auto own = slotOfCode(*code); own && m_slots[*own].kind == SlotKind::Free) {
      assign(*own, SlotKind::Character, c);
      return own;
    }
  }
  return takeFreeSlot(SlotKind::Character, c);
}

std::optional<std::size_t> NameCodec::slotForRawByte(unsigned char byte) {
  if (m_slotOfByte[byte] >= 0) return static_cast<std::size_t>(m_slotOfByte[byte]);
  return takeFreeSlot(SlotKind::RawByte, byte);
}

std::optional<std::size_t> NameCodec::takeFreeSlot(SlotKind kind, char32_t value) {
  while (m_firstMaybeFree < capacity && m_slots[m_firstMaybeFree].kind != SlotKind::Free)
    ++m_firstMaybeFree;
  if (m_firstMaybeFree == capacity) return std::nullopt;
  const std::size_t slot = m_firstMaybeFree;
  assign(slot, kind, value);
  return slot;
}

void NameCodec::assign(std::size_t slot, SlotKind kind, char32_t value) {
  assert(m_slots[slot].kind == SlotKind::Free && "a code is assigned only once");
  m_slots[slot] = Slot{kind, value};
  if (kind == SlotKind::Character)
    m_slotOfCharacter.emplace(value, static_cast<std::uint16_t>(slot));
  else
    m_slotOfByte[value] = static_cast<std::int16_t>(slot);
  ++m_assignedCount;
  m_changed = true;
}

std::string NameCodec::toNative(std::string_view internal) const { return convertOut(internal, false); }

std::string NameCodec::toDisplay(std::string_view internal) const { return convertOut(internal, true); }

std::string NameCodec::convertOut(std::string_view internal, bool forDisplay) const {
  if (sjis::isAscii(internal)) return std::string(internal);
  std::string out;
  out.reserve(internal.size() * 3 / 2);
  std::size_t pos = 0;
  while (pos < internal.size()) {
    const std::size_t length = sjis::charLength(internal, pos);
    const CharCode code = sjis::charCodeAt(internal, pos);
    const auto slot = length == 2 ? slotOfCode(code) : std::nullopt;
    const Slot* assigned = slot && m_slots[*slot].kind != SlotKind::Free ? &m_slots[*slot] : nullptr;
    if (assigned && assigned->kind == SlotKind::Character) {
      sjis::appendUtf8(out, assigned->value);
    } else if (assigned) {
      const unsigned char byte = static_cast<unsigned char>(assigned->value);
      if (forDisplay)
        out += "\\x" + hex(byte, 2);
      else
        out.push_back(static_cast<char>(byte));
    } else if (auto c = sjis::decodeChar(code)) {
      sjis::appendUtf8(out, *c);
    } else {
      sjis::appendUtf8(out, kReplacementChar);
      const bool pair = length == 2 && sjis::isTrailByte(internal[pos + 1]);
      pos += pair ? 2 : 1;
      continue;
    }
    pos += length;
  }
  return out;
}

void NameCodec::load() {
  auto text = readWholeFile(m_tableFile);
  if (!text) return;
  for (const std::string& line : splitLines(*text, false)) {
    if (line.empty() || line.front() == '#') continue;
    try {
      loadLine(line);
    } catch (const std::invalid_argument&) {
      throw StoredFileError(m_tableFile, StoredFileOperation::Read, "形式が正しくありません: " + line);
    }
  }
  m_changed = false;
}

void NameCodec::loadLine(std::string_view line) {
  auto bad = [] { throw std::invalid_argument("bad name code line"); };
  const std::size_t space = line.find(' ');
  if (space == std::string_view::npos) bad();
  unsigned code = 0;
  if (!parseHex(line.substr(0, space), code) || code > 0xFFFF) bad();
  const auto slot = slotOfCode(static_cast<CharCode>(code));
  if (!slot || m_slots[*slot].kind != SlotKind::Free) bad();
  const std::string_view what = line.substr(space + 1);
  std::uint32_t value = 0;
  if (what.starts_with("U+") && parseHex(what.substr(2), value) && isScalarValue(value) &&
      !m_slotOfCharacter.contains(value)) {
    assign(*slot, SlotKind::Character, value);
    return;
  }
  if (what.starts_with("BYTE ") && parseHex(what.substr(5), value) && value >= 0x80 &&
      value <= 0xFF && m_slotOfByte[value] < 0) {
    assign(*slot, SlotKind::RawByte, value);
    return;
  }
  bad();
}

void NameCodec::save() const {
  if (m_tableFile.empty() || !m_changed) return;
  std::string text = "# Namitra name codes: a code of the user-defined area and what it stands for\n";
  for (std::size_t slot = 0; slot < capacity; ++slot) {
    const Slot& entry = m_slots[slot];
    if (entry.kind == SlotKind::Free) continue;
    text += hex(codeOfSlot(slot), 4);
    text += entry.kind == SlotKind::Character ? " U+" + hex(entry.value, 4) : " BYTE " + hex(entry.value, 2);
    text += '\n';
  }
  writeWholeFile(m_tableFile, text);
  m_changed = false;
}

}  // namespace namitra::platform
