// Builds the two code tables from iconv. The decoding table holds one entry per possible code
// (65,536 of them, most unused); the encoding table one entry per character of the Basic
// Multilingual Plane, where every code page 932 character lies.
#include "sjis/code_table.h"

#include <iconv.h>

#include <array>
#include <cerrno>
#include <memory>
#include <stdexcept>
#include <string>

namespace namitra::sjis {

namespace {

constexpr CharCode kNoCode = 0xFFFF;  // never a code: 0xFF is no trail byte

class IconvDescriptor {
 public:
  // Without the CP932 module of glibc (package libc6, gconv) the program cannot read any text:
  // that is reported at once rather than turning every character into '?'.
  IconvDescriptor(const char* to, const char* from) : m_handle(iconv_open(to, from)) {
    if (m_handle == reinterpret_cast<iconv_t>(-1))
      throw std::runtime_error(std::string("iconv cannot convert from ") + from + " to " + to);
  }
  ~IconvDescriptor() { iconv_close(m_handle); }
  IconvDescriptor(const IconvDescriptor&) = delete;
  IconvDescriptor& operator=(const IconvDescriptor&) = delete;

  // Converts the whole input; nullopt when iconv refuses any of it.
  std::optional<std::string> convert(std::string_view input) {
    iconv(m_handle, nullptr, nullptr, nullptr, nullptr);
    char out[16];
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    char* outPtr = out;
    std::size_t outLeft = sizeof out;
    if (iconv(m_handle, &in, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1))
      return std::nullopt;
    if (inLeft != 0) return std::nullopt;
    return std::string(out, outPtr);
  }

 private:
  iconv_t m_handle;
};

char32_t fromUtf32Be(const std::string& bytes) {
  if (bytes.size() != 4) return kNoChar;
  char32_t value = 0;
  for (char b : bytes) value = value << 8 | static_cast<unsigned char>(b);
  return value;
}

std::string toUtf32Be(char32_t c) {
  std::string bytes(4, '\0');
  for (int i = 3; i >= 0; --i, c >>= 8) bytes[i] = static_cast<char>(c & 0xFF);
  return bytes;
}

std::optional<CharCode> codeOfBytes(const std::string& bytes) {
  if (bytes.size() == 1) return static_cast<unsigned char>(bytes[0]);
  if (bytes.size() == 2 && isLeadByte(bytes[0]))
    return static_cast<CharCode>(static_cast<unsigned char>(bytes[0]) << 8 |
                                 static_cast<unsigned char>(bytes[1]));
  return std::nullopt;
}

struct CodeTables {
  std::array<char32_t, 0x10000> decode;
  std::array<CharCode, 0x10000> encode;

  CodeTables() {
    decode.fill(kNoChar);
    encode.fill(kNoCode);
    IconvDescriptor toUnicode("UTF-32BE", "CP932");
    for (unsigned code = 0; code < 0x100; ++code)
      if (!isLeadByte(static_cast<unsigned char>(code)))
        learnCode(toUnicode, static_cast<CharCode>(code), std::string(1, static_cast<char>(code)));
    for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
      if (!isLeadByte(static_cast<unsigned char>(lead))) continue;
      for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
        if (!isTrailByte(static_cast<unsigned char>(trail))) continue;
        const std::string bytes{static_cast<char>(lead), static_cast<char>(trail)};
        learnCode(toUnicode, static_cast<CharCode>(lead << 8 | trail), bytes);
      }
    }
    learnWayBack();
  }

  void learnCode(IconvDescriptor& toUnicode, CharCode code, const std::string& bytes) {
    if (auto out = toUnicode.convert(bytes)) decode[code] = fromUtf32Be(*out);
  }

  // Asks iconv for the code of every character found above and keeps it when it decodes back
  // to the same character.
  void learnWayBack() {
    IconvDescriptor fromUnicode("CP932", "UTF-32BE");
    for (unsigned code = 0; code < 0x10000; ++code) {
      const char32_t c = decode[code];
      if (c == kNoChar || c >= 0x10000 || encode[c] != kNoCode) continue;
      auto bytes = fromUnicode.convert(toUtf32Be(c));
      if (!bytes) continue;
      auto back = codeOfBytes(*bytes);
      if (back && decode[*back] == c) encode[c] = *back;
    }
  }
};

const CodeTables& tables() {
  static const auto instance = std::make_unique<CodeTables>();
  return *instance;
}

}  // namespace

std::optional<char32_t> decodeChar(CharCode code) {
  const char32_t c = tables().decode[code];
  if (c == kNoChar) return std::nullopt;
  return c;
}

const char32_t* decodingTable() { return tables().decode.data(); }

std::optional<CharCode> encodeChar(char32_t c) {
  if (c >= 0x10000) return std::nullopt;
  const CharCode code = tables().encode[c];
  if (code == kNoCode) return std::nullopt;
  return code;
}

}  // namespace namitra::sjis
