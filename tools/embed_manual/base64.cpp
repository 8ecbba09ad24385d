#include "embed_manual/base64.h"

#include <cstdint>

namespace namitra::embed {
namespace {

constexpr char kAlphabet[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Three bytes (fewer at the end) as four characters; missing input bytes become "=".
void appendGroup(std::string& out, std::string_view group) {
  std::uint32_t bits = 0;
  for (std::size_t i = 0; i < 3; ++i) {
    const auto byte = i < group.size() ? static_cast<unsigned char>(group[i]) : 0u;
    bits = (bits << 8) | byte;
  }
  for (std::size_t i = 0; i < 4; ++i) {
    const bool present = i <= group.size();
    out += present ? kAlphabet[(bits >> (18 - 6 * i)) & 0x3F] : '=';
  }
}

}  // namespace

std::string encodeBase64(std::string_view bytes) {
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  for (std::size_t at = 0; at < bytes.size(); at += 3) appendGroup(out, bytes.substr(at, 3));
  return out;
}

}  // namespace namitra::embed
