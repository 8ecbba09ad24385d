#include "sjis/replace.h"

#include "sjis/char.h"

namespace namitra::sjis {

namespace {

// Searches from the boundary `at`, moving it forward to the boundary of the match (or past
// the candidates that start on a trail byte).
std::size_t findFromBoundary(std::string_view text, std::string_view find, std::size_t& at) {
  for (;;) {
    const std::size_t candidate = text.find(find, at);
    if (candidate == std::string_view::npos) return candidate;
    while (at < candidate) at = nextCharPos(text, at);
    if (at == candidate) return candidate;
  }
}

std::string_view upToNul(std::string_view text) {
  const std::size_t nul = text.find('\0');
  return nul == std::string_view::npos ? text : text.substr(0, nul);
}

}  // namespace

std::size_t findText(std::string_view text, std::string_view find, std::size_t from) {
  if (from > text.size()) return std::string_view::npos;
  std::size_t at = from;
  return findFromBoundary(text, find, at);
}

std::string replaceAll(std::string_view text, std::string_view find, std::string_view value) {
  text = upToNul(text);
  if (find.empty()) return std::string(text);
  std::string result;
  std::size_t copied = 0;
  std::size_t at = 0;
  for (;;) {
    const std::size_t match = findFromBoundary(text, find, at);
    if (match == std::string_view::npos) break;
    if (result.capacity() == 0) result.reserve(text.size() + value.size());
    result.append(text, copied, match - copied);
    result.append(value);
    copied = match + find.size();
    at = copied;
  }
  if (copied == 0) return std::string(text);
  result.append(text, copied, std::string_view::npos);
  return result;
}

}  // namespace namitra::sjis
