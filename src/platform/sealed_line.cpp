#include "platform/sealed_line.h"

#include <array>

namespace namitra::platform {

namespace {

// --- CRC-32 (IEEE 802.3, reflected), eight bytes per round ---

using CrcTables = std::array<std::array<std::uint32_t, 256>, 8>;

constexpr CrcTables makeCrcTables() {
  CrcTables tables{};
  for (std::uint32_t byte = 0; byte < 256; ++byte) {
    std::uint32_t crc = byte;
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ ((crc & 1u) ? 0xEDB88320u : 0u);
    tables[0][byte] = crc;
  }
  for (std::size_t byte = 0; byte < 256; ++byte)
    for (std::size_t slice = 1; slice < 8; ++slice)
      tables[slice][byte] = (tables[slice - 1][byte] >> 8) ^ tables[0][tables[slice - 1][byte] & 0xFF];
  return tables;
}

constexpr CrcTables kCrc = makeCrcTables();

}  // namespace

std::uint32_t crc32Update(std::uint32_t crc, std::string_view bytes) {
  const auto* at = reinterpret_cast<const unsigned char*>(bytes.data());
  std::size_t left = bytes.size();
  for (; left >= 8; left -= 8, at += 8) {
    const std::uint32_t low = crc ^ (at[0] | at[1] << 8 | at[2] << 16 | static_cast<std::uint32_t>(at[3]) << 24);
    crc = kCrc[7][low & 0xFF] ^ kCrc[6][(low >> 8) & 0xFF] ^ kCrc[5][(low >> 16) & 0xFF] ^ kCrc[4][low >> 24] ^
          kCrc[3][at[4]] ^ kCrc[2][at[5]] ^ kCrc[1][at[6]] ^ kCrc[0][at[7]];
  }
  for (; left > 0; --left, ++at) crc = (crc >> 8) ^ kCrc[0][(crc ^ *at) & 0xFF];
  return crc;
}


void appendHex8(std::string& out, std::uint32_t value) {
  static constexpr char kDigits[] = "0123456789abcdef";
  for (int shift = 28; shift >= 0; shift -= 4) out += kDigits[(value >> shift) & 0xF];
}

// Exactly as appendHex8 writes it: eight lower-case digits, so that no other spelling passes.
bool parseHex8(std::string_view text, std::uint32_t& value) {
  if (text.size() != 8) return false;
  value = 0;
  for (char c : text) {
    const bool digit = c >= '0' && c <= '9';
    if (!digit && !(c >= 'a' && c <= 'f')) return false;
    value = value << 4 | static_cast<std::uint32_t>(digit ? c - '0' : c - 'a' + 10);
  }
  return true;
}

namespace {

// --- Escaping: every byte but the four below stands for itself ---

// The letter after "\\" for each byte that is escaped, 0 for the others.
constexpr std::array<char, 256> makeEscapes() {
  std::array<char, 256> escapes{};
  escapes['\\'] = '\\';
  escapes['\t'] = 't';
  escapes['\n'] = 'n';
  escapes['\r'] = 'r';
  return escapes;
}

constexpr std::array<char, 256> kEscapes = makeEscapes();

}  // namespace

void appendEscaped(std::string& out, std::string_view bytes) {
  std::size_t plain = 0;  // the start of the bytes not yet appended
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const char escape = kEscapes[static_cast<unsigned char>(bytes[i])];
    if (escape == 0) continue;
    out.append(bytes.data() + plain, i - plain);
    out += '\\';
    out += escape;
    plain = i + 1;
  }
  out.append(bytes.data() + plain, bytes.size() - plain);
}

std::optional<std::string> unescaped(std::string_view field) {
  std::string bytes;
  bytes.reserve(field.size());
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] != '\\') {
      bytes += field[i];
      continue;
    }
    if (++i == field.size()) return std::nullopt;
    switch (field[i]) {
      case '\\': bytes += '\\'; break;
      case 't': bytes += '\t'; break;
      case 'n': bytes += '\n'; break;
      case 'r': bytes += '\r'; break;
      default: return std::nullopt;
    }
  }
  return bytes;
}

}  // namespace namitra::platform
