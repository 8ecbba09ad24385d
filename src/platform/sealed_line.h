// The pieces of the program's own line-based records (the run record, namitra-cli's journal):
// fields separated by tabs, in which any bytes can stand, and a CRC-32 that seals what came
// before it.
//
// A field escapes the four bytes that would break a line into pieces: "\\", tab, line feed and
// carriage return become "\\\\", "\\t", "\\n" and "\\r"; every other byte stands for itself, so
// every Linux file name survives. The CRC-32 is the IEEE one (reflected polynomial 0xEDB88320,
// all-ones start and end, as zip and PNG compute it), written as exactly eight lower-case hex
// digits: a line cut short, or changed by hand, does not pass.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace namitra::platform {

// Appends `bytes` to `out` as one field.
void appendEscaped(std::string& out, std::string_view bytes);
// The bytes of a field; nullopt for a backslash that starts no known escape.
std::optional<std::string> unescaped(std::string_view field);

// A running CRC-32: start with kCrc32Start, feed with crc32Update, finish with ~.
inline constexpr std::uint32_t kCrc32Start = 0xFFFFFFFFu;
std::uint32_t crc32Update(std::uint32_t crc, std::string_view bytes);
inline std::uint32_t crc32(std::string_view bytes) { return ~crc32Update(kCrc32Start, bytes); }

// Eight lower-case hexadecimal digits.
void appendHex8(std::string& out, std::uint32_t value);
// Reads exactly what appendHex8 writes; any other spelling fails.
bool parseHex8(std::string_view text, std::uint32_t& value);

}  // namespace namitra::platform
