// The settings file: an INI file read and written with the semantics of the Windows profile
// functions the program was built on.
//
// A line "[name]" opens a section; a line "key=value" inside it is a setting. Sections and keys
// are matched without regard to ASCII case, and the first section and the first key of a name
// count. A value read is the text after the first "=" up to a NUL byte (which ends it, as it
// ends a C string), with the blanks (spaces and tabs) around it dropped and then one pair of
// enclosing double quotation marks dropped; at most 2047 bytes of it are seen (cut at a
// character boundary, never inside a double-byte character). So a value of only blanks reads
// back empty, and a value written in quotation marks keeps its blanks.
//
// Writing changes the one line of the key (or adds it at the end of its section, or adds the
// section at the end of the file) and leaves every other byte of the file as it was. Each write
// re-reads the file and replaces it whole (see text_file.h), with CR LF for the lines it adds.
// Reading never fails: a missing, unreadable or oversized file reads as empty, so every key
// gives its default.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace namitra::platform {

class SettingsFile {
 public:
  explicit SettingsFile(std::filesystem::path path);
  const std::filesystem::path& path() const { return m_path; }

  std::string readString(std::string_view section, std::string_view key,
                         std::string_view defaultValue) const;
  // The value as an integer: an optional sign, then decimal digits or hexadecimal digits after
  // "0x", "0X" or "$", and nothing else; a 32-bit value. A missing key, an empty value, a value
  // that is not such a number or one out of range gives the default.
  long readInteger(std::string_view section, std::string_view key, long defaultValue) const;
  // An integer value; non-zero is true.
  bool readBool(std::string_view section, std::string_view key, bool defaultValue) const;

  // Sets one key, creating the file, the section or the key as needed; the value is written as
  // given up to its first line break or NUL (which a one-line setting cannot hold). Throws
  // StoredFileError naming the file when it cannot be written.
  void writeString(std::string_view section, std::string_view key, std::string_view value);
  void writeBool(std::string_view section, std::string_view key, bool value);  // "1" or "0"

 private:
  std::optional<std::string> rawValue(std::string_view section, std::string_view key) const;

  std::filesystem::path m_path;
};

// The name of the settings file of an executable: its file name with the part from its last "."
// on replaced by ".ini", or ".ini" appended when the name has no ".".
std::string settingsFileNameFor(std::string_view executableName);

// The integer of a profile value (see readInteger); nullopt when it is not a number.
std::optional<long> parseProfileInteger(std::string_view value);

}  // namespace namitra::platform
