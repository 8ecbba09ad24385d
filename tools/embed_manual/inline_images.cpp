#include "embed_manual/inline_images.h"

#include "embed_manual/base64.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <sstream>

namespace namitra::embed {
namespace {

char lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }
bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

bool startsWithNoCase(std::string_view text, std::size_t at, std::string_view word) {
  if (text.size() - at < word.size()) return false;
  for (std::size_t i = 0; i < word.size(); ++i)
    if (lower(text[at + i]) != word[i]) return false;
  return true;
}

// Where the tag that opens at `at` ends (its ">"), skipping quoted attribute values.
std::size_t tagEnd(std::string_view html, std::size_t at) {
  char quote = 0;
  for (std::size_t i = at; i < html.size(); ++i) {
    const char c = html[i];
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '>') {
      return i;
    }
  }
  return html.size();
}

// True at the "<" of an img tag: "<img" followed by a blank, "/" or ">".
bool isImgTag(std::string_view html, std::size_t at) {
  if (!startsWithNoCase(html, at, "<img")) return false;
  const std::size_t next = at + 4;
  return next < html.size() && (isSpace(html[next]) || html[next] == '/' || html[next] == '>');
}

// The quoted value of the src attribute inside one tag: [begin, end) of the text between the
// quotes, or nullopt when the tag has none.
struct ValueSpan {
  std::size_t begin;
  std::size_t end;
};

std::optional<ValueSpan> srcValue(std::string_view html, std::size_t tagBegin, std::size_t tagStop) {
  char quote = 0;
  for (std::size_t i = tagBegin; i < tagStop; ++i) {
    const char c = html[i];
    if (quote) {
      if (c == quote) quote = 0;
      continue;
    }
    if (c == '"' || c == '\'') {
      quote = c;
      continue;
    }
    if (!isSpace(c) || !startsWithNoCase(html, i + 1, "src")) continue;
    std::size_t at = i + 4;
    while (at < tagStop && isSpace(html[at])) ++at;
    if (at >= tagStop || html[at] != '=') continue;
    ++at;
    while (at < tagStop && isSpace(html[at])) ++at;
    if (at >= tagStop || (html[at] != '"' && html[at] != '\'')) continue;
    const std::size_t close = html.find(html[at], at + 1);
    if (close == std::string_view::npos || close > tagStop) return std::nullopt;
    return ValueSpan{at + 1, close};
  }
  return std::nullopt;
}

std::string dataUri(std::string_view source, const ImageReader& read) {
  const std::optional<std::string> bytes = read(source);
  if (!bytes) throw MissingImageError(std::string(source));
  return "data:" + mimeTypeFor(source) + ";base64," + encodeBase64(*bytes);
}

}  // namespace

std::string mimeTypeFor(std::string_view source) {
  const std::size_t dot = source.rfind('.');
  std::string extension = dot == std::string_view::npos ? "" : std::string(source.substr(dot + 1));
  std::transform(extension.begin(), extension.end(), extension.begin(), lower);
  if (extension == "png") return "image/png";
  if (extension == "svg") return "image/svg+xml";
  if (extension == "jpg" || extension == "jpeg") return "image/jpeg";
  if (extension == "gif") return "image/gif";
  if (extension == "webp") return "image/webp";
  return "application/octet-stream";
}

bool hasScheme(std::string_view source) {
  const std::size_t colon = source.find(':');
  if (colon == std::string_view::npos || colon == 0) return false;
  if (!std::isalpha(static_cast<unsigned char>(source[0]))) return false;
  return std::all_of(source.begin(), source.begin() + colon, [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.';
  });
}

std::string inlineImages(std::string_view html, const ImageReader& read) {
  std::string out;
  out.reserve(html.size());
  std::size_t copied = 0;
  for (std::size_t at = html.find('<'); at != std::string_view::npos; at = html.find('<', at + 1)) {
    if (!isImgTag(html, at)) continue;
    const std::size_t stop = tagEnd(html, at);
    const std::optional<ValueSpan> value = srcValue(html, at, stop);
    if (!value) continue;
    const std::string_view source = html.substr(value->begin, value->end - value->begin);
    if (source.empty() || hasScheme(source)) continue;
    out.append(html.substr(copied, value->begin - copied));
    out += dataUri(source, read);
    copied = value->end;
    at = stop == html.size() ? stop - 1 : stop;
  }
  out.append(html.substr(copied));
  return out;
}

ImageReader filesBeside(std::filesystem::path folder) {
  return [folder = std::move(folder)](std::string_view source) -> std::optional<std::string> {
    std::ifstream in(folder / std::filesystem::path(std::string(source)), std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (in.bad()) return std::nullopt;
    return bytes.str();
  };
}

}  // namespace namitra::embed
