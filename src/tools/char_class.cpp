#include "tools/char_class.h"

#include "sjis/char.h"

namespace namitra::tools {
namespace {

int singleByteClass(unsigned char byte) {
  if (byte < 0x80) {
    const bool word = (byte >= '0' && byte <= '9') || (byte >= 'A' && byte <= 'Z') ||
                      (byte >= 'a' && byte <= 'z') || byte == '-';
    const bool delimiter = byte == 0 || byte == '\t' || byte == '\n' || byte == '\r' ||
                           (byte >= 0x20 && byte <= 0x7E && !word);
    return delimiter ? 0 : 1;
  }
  if (byte == 0xA2 || byte == 0xA3 || (byte >= 0xA6 && byte <= 0xDF)) return 2;
  return 0;  // 0x80, 0xA0, 0xA1, 0xA4, 0xA5, 0xFD-0xFF and a lead byte without its trail
}

int doubleByteClass(unsigned code) {
  if (code >= 0x889F) return 6;
  if (code >= 0x824F && code <= 0x829A) return 3;
  if (code >= 0x829F && code <= 0x82F1) return 5;
  if (code >= 0x8340 && code <= 0x8396) return 4;
  return 0;
}

}  // namespace

int CharClassAt(std::string_view text, int position) {
  if (position < 1 || static_cast<std::size_t>(position) > text.size()) return 0;
  const std::size_t start = sjis::charStartAt(text, static_cast<std::size_t>(position - 1));
  if (sjis::charLength(text, start) == 2) return doubleByteClass(sjis::charCodeAt(text, start));
  return singleByteClass(static_cast<unsigned char>(text[start]));
}

}  // namespace namitra::tools
