#include "rename/dropped_paths.h"

#include <optional>

namespace namitra::rename {
namespace {

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string percentDecoded(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size()) {
      const int high = hexValue(text[i + 1]), low = hexValue(text[i + 2]);
      if (high >= 0 && low >= 0) {
        out.push_back(static_cast<char>(high * 16 + low));
        i += 2;
        continue;
      }
    }
    out.push_back(text[i]);
  }
  return out;
}

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    char c = text[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != prefix[i]) return false;
  }
  return true;
}

std::optional<std::string> localPathOf(std::string_view uri, std::string_view hostName) {
  constexpr std::string_view scheme = "file://";
  if (!startsWithIgnoringCase(uri, scheme)) return std::nullopt;
  const std::string_view rest = uri.substr(scheme.size());
  const std::size_t slash = rest.find('/');
  if (slash == std::string_view::npos) return std::nullopt;
  const std::string_view host = rest.substr(0, slash);
  if (!host.empty() && host != "localhost" && host != hostName) return std::nullopt;
  return percentDecoded(rest.substr(slash));
}

std::string_view trimmedLine(std::string_view line) {
  while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.remove_suffix(1);
  while (!line.empty() && line.front() == ' ') line.remove_prefix(1);
  return line;
}

}  // namespace

std::vector<std::string> localPathsFromUriList(std::string_view uriList, std::string_view hostName) {
  std::vector<std::string> paths;
  while (!uriList.empty()) {
    const std::size_t end = uriList.find('\n');
    const std::string_view line = trimmedLine(uriList.substr(0, end));
    uriList = end == std::string_view::npos ? std::string_view{} : uriList.substr(end + 1);
    if (line.empty() || line.front() == '#') continue;
    if (auto path = localPathOf(line, hostName)) paths.push_back(*std::move(path));
  }
  return paths;
}

std::string normalizedDroppedPath(std::string_view path, std::string_view workingFolder) {
  std::string full;
  if (!path.empty() && path.front() != '/') {
    full = workingFolder;
    if (full.empty() || full.back() != '/') full.push_back('/');
  }
  full.append(path);
  while (full.size() > 1 && full.back() == '/') full.pop_back();
  return full;
}

}  // namespace namitra::rename
