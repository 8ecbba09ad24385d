// The edit text the name tool benchmarks work on: `lines` lines like "IMG_12345 photo.JPG", each
// with its CR LF, numbered from 0 and repeating after 99999.
#pragma once

#include <cstdio>
#include <string>

namespace namitra::bench {

inline std::string photoNamesText(int lines) {
  std::string text;
  text.reserve(static_cast<std::size_t>(lines) * 21);
  char line[32];
  for (int i = 0; i < lines; ++i) {
    std::snprintf(line, sizeof line, "IMG_%05d photo.JPG\r\n", i % 100000);
    text += line;
  }
  return text;
}

}  // namespace namitra::bench
