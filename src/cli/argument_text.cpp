#include "cli/argument_text.h"

#include "sjis/utf8.h"

namespace namitra::cli {

std::size_t firstInvalidUtf8(std::string_view text) {
  if (sjis::isAscii(text)) return std::string_view::npos;
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t start = pos;
    if (sjis::decodeUtf8(text, pos) == sjis::kInvalidUtf8) return start;
  }
  return std::string_view::npos;
}

std::optional<std::string> typedText(platform::NameCodec& codec, std::string_view utf8) {
  if (firstInvalidUtf8(utf8) != std::string_view::npos) return std::nullopt;
  return codec.fromDisplay(utf8);
}

std::optional<std::string> pathText(platform::NameCodec& codec, std::string_view native) {
  return codec.toInternal(native);
}

std::string terminalText(const platform::NameCodec& codec, std::string_view internal) {
  const std::string shown = codec.toDisplay(internal);
  std::string text;
  text.reserve(shown.size());
  for (std::size_t i = 0; i < shown.size(); ++i) {
    if (shown[i] != '\r') {
      text.push_back(shown[i]);
      continue;
    }
    text.push_back('\n');
    if (i + 1 < shown.size() && shown[i + 1] == '\n') ++i;
  }
  return text;
}

std::string inQuotes(std::string_view text) { return "'" + std::string(text) + "'"; }

}  // namespace namitra::cli
