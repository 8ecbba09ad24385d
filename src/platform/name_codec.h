// The conversion of file names (and of text from the desktop) at the edge of the program,
// extending code page 932 so that every Linux file name survives, byte for byte.
//
// Linux names are UTF-8 or arbitrary bytes, and many hold characters that code page 932 lacks
// (é, emoji, a combining voiced mark of NFD kana, the WAVE DASH U+301C that input methods type)
// or bytes that are no UTF-8 at all. Each distinct such character, and each such byte value,
// gets a code of its own in the user-defined area of code page 932 (lead bytes 0xF0-0xF9, 1,880
// codes): the core sees one ordinary double-byte character, the window shows the original
// character, and the file system gets back exactly the original bytes.
//
// Codes are given out in order, the lowest free code first, and an assignment never changes
// once made; the table file keeps them from one run to the next, so a stored file written in
// one run means the same in the next. A code of the area that is not assigned converts as
// plain iconv CP932 does, to the private-use character U+E000 + its index. A private-use
// character U+E000-U+E757 that comes in takes its own code when that is free (and the code is
// then reserved for it), or else a code of its own like any other character.
//
// The table file is UTF-8 text, one assignment per line, lines starting with "#" ignored:
//   F040 U+00E9        the code 0xF040 stands for the character U+00E9
//   F041 BYTE FF       the code 0xF041 stands for the raw byte 0xFF
//
// One instance serves the whole run, from the GUI thread (it is not safe to share between
// threads). The table is not shared between two programs running at once: the one that saves
// last wins, and assignments the other made in the meantime are lost.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace namitra::platform {

class NameCodec {
 public:
  static constexpr std::size_t capacity = 1880;
  static constexpr const char* defaultFileName = "NameCodes.tbl";

  NameCodec();  // an empty table that is never saved
  // Loads the table when the file exists. Throws StoredFileError when it cannot be read or a
  // line is not an assignment (a duplicate code, character or byte included).
  explicit NameCodec(std::filesystem::path tableFile);

  // Native bytes (or UTF-8 text) to internal code page 932, assigning codes as needed.
  // nullopt only when a code is needed and the area is full; codes assigned before that stay.
  std::optional<std::string> toInternal(std::string_view nativeOrUtf8);
  // Text typed or pasted by the user; the same conversion and the same assignments.
  std::optional<std::string> fromDisplay(std::string_view utf8) { return toInternal(utf8); }

  // The exact original bytes of every name that came in through toInternal. A byte sequence
  // that stands for no character (which toInternal never makes) becomes U+FFFD.
  std::string toNative(std::string_view internal) const;
  // Valid UTF-8 for the window: like toNative, but a raw byte shows as the four characters
  // "\xNN" (upper-case hexadecimal). fromDisplay reads that back as those four characters,
  // not as the byte, so text meant for the file system goes through toNative.
  std::string toDisplay(std::string_view internal) const;

  // Writes the table file when an assignment was made since it was loaded or saved. Throws
  // StoredFileError when it cannot be written; does nothing without a table file.
  void save() const;

  std::size_t assignedCount() const { return m_assignedCount; }
  const std::filesystem::path& tableFile() const { return m_tableFile; }

 private:
  enum class SlotKind : std::uint8_t { Free, Character, RawByte };
  struct Slot {
    SlotKind kind = SlotKind::Free;
    char32_t value = 0;  // the character, or the byte value
  };

  std::optional<std::size_t> slotForCharacter(char32_t c);
  std::optional<std::size_t> slotForRawByte(unsigned char byte);
  std::optional<std::size_t> takeFreeSlot(SlotKind kind, char32_t value);
  void assign(std::size_t slot, SlotKind kind, char32_t value);
  void load();
  void loadLine(std::string_view line);
  std::string convertOut(std::string_view internal, bool forDisplay) const;

  std::filesystem::path m_tableFile;
  std::array<Slot, capacity> m_slots{};
  std::unordered_map<char32_t, std::uint16_t> m_slotOfCharacter;
  std::array<std::int16_t, 256> m_slotOfByte;
  std::size_t m_assignedCount = 0;
  std::size_t m_firstMaybeFree = 0;
  mutable bool m_changed = false;
};

}  // namespace namitra::platform
