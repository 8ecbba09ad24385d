// Fuzz target for the settings file: arbitrary bytes as the file, read and then written.
//
// Input layout: a section name, a key and a value (each a piece whose length is its first
// byte), then the rest as the file. The value read must be one line of at most 2047 bytes
// without NUL, and its integer must be the profile integer of that text, within 32 bits. Then
// the value is written: it must read back as written (first line, blanks around and one pair
// of quotation marks dropped, cut to 2047 bytes at a character boundary), and writing it again
// must leave the file as it is.
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "platform/settings_file.h"
#include "sjis/char.h"

namespace {

using namespace namitra;
using fuzz::require;

// Section and key names the file format can hold: no line ends, brackets, "=" or outer blanks.
std::string nameFrom(std::string_view bytes) {
  std::string name;
  for (char c : bytes)
    if (c > ' ' && c < 0x7F && c != '[' && c != ']' && c != '=') name += c;
  return name;
}

std::string_view trimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

std::string expectedReadBack(std::string_view value) {
  value = value.substr(0, value.find_first_of(std::string_view("\r\n\0", 3)));
  value = trimBlanks(value);
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
  if (value.size() > 2047) value = value.substr(0, sjis::charStartAt(value, 2047));
  return std::string(value);
}

void checkRead(const platform::SettingsFile& file, std::string_view section, std::string_view key) {
  const std::string value = file.readString(section, key, "\x01");
  require(value.size() <= 2047);
  require(value.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos);
  const bool present = value != "\x01" || file.readString(section, key, "\x02") != "\x02";
  const long number = file.readInteger(section, key, -7);
  const long expected = present ? platform::parseProfileInteger(value).value_or(-7) : -7;
  require(number == expected);
  require(number >= INT32_MIN && number <= INT32_MAX);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::InputReader input(data, size);
  const std::string section = nameFrom(input.piece());
  const std::string key = nameFrom(input.piece());
  const std::string_view value = input.piece();
  platform::SettingsFile file(fuzz::scratch().write("namitra.ini", input.rest()));
  checkRead(file, section, key);
  if (section.empty() || key.empty()) return 0;
  file.writeString(section, key, value);
  require(file.readString(section, key, "\x01") == expectedReadBack(value));
  checkRead(file, section, key);
  const std::string written = fuzz::ScratchFolder::read(file.path());
  file.writeString(section, key, value);
  require(fuzz::ScratchFolder::read(file.path()) == written);
  return 0;
}
